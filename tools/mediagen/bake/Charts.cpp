#include "tools/mediagen/bake/Charts.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

namespace tools {

namespace {

int dominantClass(Vec3 n) {
  int axis = 0;
  if (std::fabs(n.y) > std::fabs(n[axis])) axis = 1;
  if (std::fabs(n.z) > std::fabs(n[axis])) axis = 2;
  return axis * 2 + (n[axis] < 0 ? 1 : 0);
}

struct UnionFind {
  std::vector<uint32_t> parent;
  explicit UnionFind(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0u); }
  uint32_t find(uint32_t x) {
    while (parent[x] != x)
      x = parent[x] = parent[parent[x]];
    return x;
  }
  void join(uint32_t a, uint32_t b) {
    a = find(a);
    b = find(b);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
  }
};

using PosKey = std::tuple<int64_t, int64_t, int64_t>;
PosKey key(Vec3 p) {
  auto q = [](float v) { return int64_t(std::llround(double(v) * 1000.0)); };
  return {q(p.x), q(p.y), q(p.z)};
}

// Charts of one mesh: connected triangles (sharing an edge) of the same dominant class.
std::vector<Chart> chartsOf(const Mesh& mesh, size_t nodeIndex, float texel) {
  size_t triCount = mesh.triangleCount();
  std::vector<int> cls(triCount);
  for (size_t t = 0; t < triCount; ++t) {
    Vec3 a = mesh.vertices[mesh.indices[3 * t]].position, b = mesh.vertices[mesh.indices[3 * t + 1]].position,
         c = mesh.vertices[mesh.indices[3 * t + 2]].position;
    cls[t] = dominantClass(cross(b - a, c - a));
  }
  UnionFind uf(triCount);
  std::map<std::tuple<PosKey, PosKey, int>, uint32_t> edges;
  for (size_t t = 0; t < triCount; ++t) {
    for (int e = 0; e < 3; ++e) {
      PosKey ka = key(mesh.vertices[mesh.indices[3 * t + size_t(e)]].position);
      PosKey kb = key(mesh.vertices[mesh.indices[3 * t + size_t((e + 1) % 3)]].position);
      if (kb < ka) std::swap(ka, kb);
      auto [it, added] = edges.emplace(std::make_tuple(ka, kb, cls[t]), uint32_t(t));
      if (!added) uf.join(uint32_t(t), it->second);
    }
  }
  std::map<uint32_t, size_t> rootToChart;
  std::vector<Chart> charts;
  for (size_t t = 0; t < triCount; ++t) {
    uint32_t root = uf.find(uint32_t(t));
    auto [it, added] = rootToChart.emplace(root, charts.size());
    if (added) {
      Chart c;
      c.node = nodeIndex;
      c.axis = cls[t] / 2;
      c.texel = texel;
      charts.push_back(c);
    }
    charts[it->second].triangles.push_back(uint32_t(t));
  }
  for (Chart& c : charts) {
    int a = (c.axis + 1) % 3, b = (c.axis + 2) % 3;
    float minA = 1e30f, maxA = -1e30f, minB = 1e30f, maxB = -1e30f;
    for (uint32_t t : c.triangles) {
      for (int k = 0; k < 3; ++k) {
        Vec3 p = mesh.vertices[mesh.indices[3 * t + uint32_t(k)]].position;
        minA = std::min(minA, p[a]);
        maxA = std::max(maxA, p[a]);
        minB = std::min(minB, p[b]);
        maxB = std::max(maxB, p[b]);
      }
    }
    c.minA = minA;
    c.minB = minB;
    c.width = int(std::ceil((maxA - minA) / texel)) + 1 + 2 * kChartGutter;
    c.height = int(std::ceil((maxB - minB) / texel)) + 1 + 2 * kChartGutter;
  }
  return charts;
}

// Shelf packer: rows of charts, tallest first.
class Shelves {
public:
  explicit Shelves(int size) : size_(size) {}
  bool place(Chart& c) {
    for (Shelf& s : shelves_) {
      if (c.height <= s.height && s.x + c.width <= size_) {
        c.x = s.x;
        c.y = s.y;
        s.x += c.width;
        return true;
      }
    }
    if (top_ + c.height > size_ || c.width > size_) return false;
    shelves_.push_back({top_, c.height, c.width});
    c.x = 0;
    c.y = top_;
    top_ += c.height;
    return true;
  }

private:
  struct Shelf {
    int y, height, x;
  };
  int size_;
  int top_ = 0;
  std::vector<Shelf> shelves_;
};

} // namespace

bool buildLightMapCharts(SceneModel& model, int atlasSize, ChartLayout& out) {
  out = ChartLayout{};
  out.atlasSize = atlasSize;
  // Every chart of the room goes into one atlas, so each base material needs one light-map
  // material. Should the room outgrow it, all texels get coarser until it fits.
  std::vector<Chart> charts;
  for (float scale = 1.0f; scale < 8.0f; scale *= 1.1f) {
    charts.clear();
    for (size_t n = 0; n < model.nodes.size(); ++n) {
      const SceneNode& node = model.nodes[n];
      const MaterialDef* mat = model.findMaterial(node.material);
      if (!mat || !mat->lightMapped || node.mesh.indices.empty()) continue;
      std::vector<Chart> own = chartsOf(node.mesh, n, node.texelSize * scale);
      charts.insert(charts.end(), own.begin(), own.end());
    }
    std::stable_sort(charts.begin(), charts.end(), [](const Chart& a, const Chart& b) {
      return a.height != b.height ? a.height > b.height : a.width > b.width;
    });
    Shelves shelves(atlasSize);
    bool all = true;
    for (Chart& c : charts) {
      if (!shelves.place(c)) {
        all = false;
        break;
      }
      c.atlas = 0;
    }
    if (all) break;
    charts.clear();
  }
  if (charts.empty()) return false;
  for (const Chart& c : charts) {
    SceneNode& node = model.nodes[c.node];
    node.atlas = 0;
    int a = (c.axis + 1) % 3, b = (c.axis + 2) % 3;
    for (uint32_t t : c.triangles) {
      for (int k = 0; k < 3; ++k) {
        Vertex& v = node.mesh.vertices[node.mesh.indices[3 * t + uint32_t(k)]];
        float tx = (v.position[a] - c.minA) / c.texel + float(kChartGutter) + 0.5f;
        float ty = (v.position[b] - c.minB) / c.texel + float(kChartGutter) + 0.5f;
        v.uv2 = {(float(c.x) + tx) / float(atlasSize), (float(c.y) + ty) / float(atlasSize)};
      }
    }
  }
  out.charts = std::move(charts);
  out.atlasCount = 1;
  return true;
}

} // namespace tools
