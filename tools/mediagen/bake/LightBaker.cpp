#include "tools/mediagen/bake/LightBaker.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>

#include "tools/mediagen/bake/Bvh.h"
#include "tools/mediagen/textures/Noise.h"

namespace tools {

namespace {

struct TriRef {
  uint32_t node;
  uint32_t triangle;
};

struct Sample {
  int atlas, x, y;
  Vec3 position, normal, faceNormal;
};

// Per-texel random numbers: the same texel always draws the same sequence, so the result
// does not depend on how the work is split between threads.
class TexelRandom {
public:
  TexelRandom(const Sample& s, uint32_t pass) : seed_(hash3(s.x + s.atlas * 8192, s.y, pass * 7919u + 17u)) {}
  float next() { return hashFloat(int(counter_++), 0, seed_); }

private:
  uint32_t seed_;
  uint32_t counter_ = 0;
};

void basis(Vec3 n, Vec3& t, Vec3& b) {
  Vec3 helper = std::fabs(n.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
  t = normalize(cross(helper, n));
  b = cross(n, t);
}

// Closest point of a 2D triangle to p, as barycentrics.
void closestBarycentric(Vec2 p, Vec2 a, Vec2 b, Vec2 c, float w[3], float& distance) {
  auto cross2 = [](Vec2 u, Vec2 v) { return u.x * v.y - u.y * v.x; };
  float area = cross2(b - a, c - a);
  if (std::fabs(area) > 1e-12f) {
    float w0 = cross2(b - p, c - p) / area, w1 = cross2(c - p, a - p) / area, w2 = 1 - w0 - w1;
    if (w0 >= 0 && w1 >= 0 && w2 >= 0) {
      w[0] = w0;
      w[1] = w1;
      w[2] = w2;
      distance = 0;
      return;
    }
  }
  distance = 1e30f;
  const Vec2 v[3] = {a, b, c};
  for (int e = 0; e < 3; ++e) {
    Vec2 s = v[e], d = v[(e + 1) % 3] - s;
    float len2 = d.x * d.x + d.y * d.y;
    float t = len2 > 0 ? std::clamp(((p.x - s.x) * d.x + (p.y - s.y) * d.y) / len2, 0.0f, 1.0f) : 0.0f;
    Vec2 q = s + d * t;
    float dist = std::sqrt((p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y));
    if (dist < distance) {
      distance = dist;
      w[0] = w[1] = w[2] = 0;
      w[e] = 1 - t;
      w[(e + 1) % 3] = t;
    }
  }
}

// One sample per covered texel: texels whose centre lies on a triangle, or within 0.75 texel
// of one (so the chart's edge texels are lit from the surface, not left to the dilation).
std::vector<Sample> texelSamples(const SceneModel& model, const ChartLayout& layout) {
  std::vector<Sample> samples;
  for (const Chart& chart : layout.charts) {
    const Mesh& mesh = model.nodes[chart.node].mesh;
    int a = (chart.axis + 1) % 3, b = (chart.axis + 2) % 3;
    std::vector<float> best(size_t(chart.width) * size_t(chart.height), 0.75f);
    std::vector<int> slot(best.size(), -1);
    for (uint32_t t : chart.triangles) {
      Vec3 p[3], n[3];
      Vec2 q[3];
      for (int k = 0; k < 3; ++k) {
        const Vertex& v = mesh.vertices[mesh.indices[3 * t + uint32_t(k)]];
        p[k] = v.position;
        n[k] = v.normal;
        q[k] = {(v.position[a] - chart.minA) / chart.texel + float(kChartGutter) + 0.5f,
                (v.position[b] - chart.minB) / chart.texel + float(kChartGutter) + 0.5f};
      }
      Vec3 face = normalize(cross(p[1] - p[0], p[2] - p[0]));
      int x0 = std::max(0, int(std::floor(std::min({q[0].x, q[1].x, q[2].x}) - 1)));
      int x1 = std::min(chart.width - 1, int(std::ceil(std::max({q[0].x, q[1].x, q[2].x}) + 1)));
      int y0 = std::max(0, int(std::floor(std::min({q[0].y, q[1].y, q[2].y}) - 1)));
      int y1 = std::min(chart.height - 1, int(std::ceil(std::max({q[0].y, q[1].y, q[2].y}) + 1)));
      for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
          float w[3], d;
          closestBarycentric({float(x) + 0.5f, float(y) + 0.5f}, q[0], q[1], q[2], w, d);
          size_t i = size_t(y) * size_t(chart.width) + size_t(x);
          if (!(d < best[i])) continue; // the first triangle over a texel centre keeps it
          best[i] = d;
          Sample s;
          s.atlas = chart.atlas;
          s.x = chart.x + x;
          s.y = chart.y + y;
          s.position = p[0] * w[0] + p[1] * w[1] + p[2] * w[2];
          s.normal = normalize(n[0] * w[0] + n[1] * w[1] + n[2] * w[2]);
          s.faceNormal = face;
          if (slot[i] < 0) {
            slot[i] = int(samples.size());
            samples.push_back(s);
          } else {
            samples[size_t(slot[i])] = s;
          }
        }
      }
    }
  }
  return samples;
}

class Baker {
public:
  Baker(const SceneModel& model, const ChartLayout& layout, const BakeSettings& settings)
      : model_(model), layout_(layout), settings_(settings), bvh_(collect()) {}

  std::vector<Image> run(BakeStats* stats) {
    samples_ = texelSamples(model_, layout_);
    size_t atlasTexels = size_t(layout_.atlasSize) * size_t(layout_.atlasSize);
    direct_.assign(size_t(layout_.atlasCount), std::vector<Vec3>(atlasTexels));
    std::vector<Vec3> total(samples_.size());
    parallel([&](size_t i, size_t& rays) {
      const Sample& s = samples_[i];
      direct_[size_t(s.atlas)][index(s.x, s.y)] = direct(s, rays);
    });
    parallel([&](size_t i, size_t& rays) {
      const Sample& s = samples_[i];
      total[i] = direct_[size_t(s.atlas)][index(s.x, s.y)] + indirect(s, rays);
    });
    std::vector<Image> atlases;
    for (int a = 0; a < layout_.atlasCount; ++a)
      atlases.emplace_back(layout_.atlasSize, layout_.atlasSize, Rgba{0, 0, 0, 0});
    for (size_t i = 0; i < samples_.size(); ++i) {
      const Sample& s = samples_[i];
      atlases[size_t(s.atlas)].at(s.x, s.y) = {encodeLight(total[i].x, settings_), encodeLight(total[i].y, settings_),
                                               encodeLight(total[i].z, settings_), 1};
    }
    for (Image& img : atlases)
      dilate(img);
    if (stats) {
      stats->texels = samples_.size();
      stats->rays = rays_.load();
    }
    return atlases;
  }

private:
  std::vector<BvhTriangle> collect() {
    std::vector<BvhTriangle> tris;
    for (size_t n = 0; n < model_.nodes.size(); ++n) {
      const SceneNode& node = model_.nodes[n];
      if (!node.castsShadow) continue;
      const MaterialDef* mat = model_.findMaterial(node.material);
      float transmission = mat ? mat->transmission : 0.0f;
      const Mesh& m = node.mesh;
      for (uint32_t t = 0; t < m.triangleCount(); ++t) {
        BvhTriangle bt;
        bt.a = m.vertices[m.indices[3 * t]].position;
        bt.b = m.vertices[m.indices[3 * t + 1]].position;
        bt.c = m.vertices[m.indices[3 * t + 2]].position;
        bt.transmission = transmission;
        bt.id = uint32_t(refs_.size());
        refs_.push_back({uint32_t(n), t});
        tris.push_back(bt);
      }
    }
    return tris;
  }

  size_t index(int x, int y) const { return size_t(y) * size_t(layout_.atlasSize) + size_t(x); }

  // Runs f(sample index, rays) over all samples. Each worker counts its rays on its own and
  // adds them up once at the end: a shared counter bumped per ray would bounce between the
  // cores on every ray.
  template <class F> void parallel(F f) {
    std::atomic<size_t> next{0};
    const size_t chunk = 256;
    auto work = [&] {
      size_t rays = 0;
      for (size_t begin = next.fetch_add(chunk); begin < samples_.size(); begin = next.fetch_add(chunk))
        for (size_t i = begin; i < std::min(begin + chunk, samples_.size()); ++i)
          f(i, rays);
      rays_ += rays;
    };
    std::vector<std::thread> helpers;
    for (int t = 1; t < settings_.threads; ++t)
      helpers.emplace_back(work);
    work();
    for (auto& h : helpers)
      h.join();
  }

  Vec3 origin(const Sample& s) const {
    Vec3 g = dot(s.faceNormal, s.normal) < 0 ? -s.faceNormal : s.faceNormal;
    return s.position + g * 0.05f;
  }

  // The shade lets only part of the light through its sides; the top and bottom are open.
  float shadeFactor(Vec3 fromBulb) const {
    const LightRig& l = model_.lights;
    Vec3 w = normalize(fromBulb);
    float upCos = (l.shadeTopZ - l.lampPosition.z) / std::hypot(l.shadeTopRadius, l.shadeTopZ - l.lampPosition.z);
    float downCos =
        (l.shadeBottomZ - l.lampPosition.z) / std::hypot(l.shadeBottomRadius, l.shadeBottomZ - l.lampPosition.z);
    return (w.z < upCos && w.z > downCos) ? l.shadeTransmission : 1.0f;
  }

  Vec3 direct(const Sample& s, size_t& rays) {
    const LightRig& l = model_.lights;
    TexelRandom rng(s, 1);
    Vec3 o = origin(s), e{};
    int n = settings_.lampSamples, side = int(std::sqrt(float(n)));
    for (int i = 0; i < n; ++i) {
      float u1 = (float(i % side) + rng.next()) / float(side),
            u2 = (float(i / side) + rng.next()) / float((n + side - 1) / side);
      float z = 1 - 2 * u1, r = std::sqrt(std::max(0.0f, 1 - z * z)), phi = 6.2831853f * u2;
      Vec3 light = l.lampPosition + Vec3{r * std::cos(phi), r * std::sin(phi), z} * l.lampRadius;
      Vec3 d = light - o;
      float dist = length(d);
      Vec3 dir = d * (1.0f / dist);
      float cosine = dot(s.normal, dir);
      if (cosine <= 0) continue;
      ++rays;
      float vis = bvh_.transmittance(o, dir, 0.01f, dist - 0.01f);
      if (vis <= 0) continue;
      e += l.lampColour * (vis * shadeFactor(s.position - l.lampPosition) * cosine * 10000.0f /
                           (dist * dist + l.lampRadius * l.lampRadius * 4.0f));
    }
    e *= 1.0f / float(n);
    Vec3 moon{};
    Vec3 toMoon = -l.moonDirection, t, b;
    basis(toMoon, t, b);
    for (int i = 0; i < settings_.moonSamples; ++i) {
      float a = 6.2831853f * (float(i) + rng.next()) / float(settings_.moonSamples),
            r = l.moonSpread * std::sqrt(rng.next());
      Vec3 dir = normalize(toMoon + t * (r * std::cos(a)) + b * (r * std::sin(a)));
      float cosine = dot(s.normal, dir);
      if (cosine <= 0) continue;
      ++rays;
      moon += l.moonColour * (cosine * bvh_.transmittance(o, dir, 0.01f, 5000.0f));
    }
    return e + moon * (1.0f / float(settings_.moonSamples));
  }

  Vec3 indirect(const Sample& s, size_t& rays) {
    const LightRig& l = model_.lights;
    TexelRandom rng(s, 2);
    Vec3 o = origin(s), t, b, sum{};
    basis(s.normal, t, b);
    float open = 0;
    int n = settings_.hemisphereSamples, side = int(std::sqrt(float(n)));
    int rows = (n + side - 1) / side;
    for (int i = 0; i < n; ++i) {
      float u1 = (float(i % side) + rng.next()) / float(side), u2 = (float(i / side) + rng.next()) / float(rows);
      float r = std::sqrt(u1), phi = 6.2831853f * u2;
      Vec3 dir =
          normalize(t * (r * std::cos(phi)) + b * (r * std::sin(phi)) + s.normal * std::sqrt(std::max(0.0f, 1 - u1)));
      ++rays;
      Hit hit;
      if (!bvh_.closest(o, dir, 0.01f, 5000.0f, hit)) {
        sum += l.skyColour; // left through the window
        open += 1;
        continue;
      }
      if (hit.t > 40.0f) open += 1;
      sum += bounce(hit);
    }
    return sum * (1.0f / float(n)) + l.ambientColour * (open / float(n));
  }

  // Light leaving the surface that a hemisphere ray hit: its direct light times its albedo.
  Vec3 bounce(const Hit& hit) const {
    const TriRef& ref = refs_[hit.id];
    const SceneNode& node = model_.nodes[ref.node];
    const MaterialDef* mat = model_.findMaterial(node.material);
    if (!mat || node.atlas < 0) return {};
    const Mesh& m = node.mesh;
    Vec2 a = m.vertices[m.indices[3 * ref.triangle]].uv2, b = m.vertices[m.indices[3 * ref.triangle + 1]].uv2,
         c = m.vertices[m.indices[3 * ref.triangle + 2]].uv2;
    Vec2 uv = a * (1 - hit.u - hit.v) + b * hit.u + c * hit.v;
    int x = std::clamp(int(uv.x * float(layout_.atlasSize)), 0, layout_.atlasSize - 1);
    int y = std::clamp(int(uv.y * float(layout_.atlasSize)), 0, layout_.atlasSize - 1);
    // Surfaces right at the bulb are far brighter than anything else; a ray that happens to
    // hit one would leave a speck, so what one ray brings back is limited.
    Vec3 e = direct_[size_t(node.atlas)][index(x, y)];
    return Vec3{std::min(e.x, 3.0f), std::min(e.y, 3.0f), std::min(e.z, 3.0f)} * mat->albedo;
  }

  // Spreads chart edges into the gutters so bilinear filtering never mixes in the
  // background, then fills what is left with the atlas's mean (kinder to the JPEG coder).
  static void dilate(Image& img) {
    int w = img.width(), h = img.height();
    for (int pass = 0; pass < 4; ++pass) {
      Image next = img;
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          if (img.at(x, y).a > 0) continue;
          Rgba sum{0, 0, 0, 0};
          for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
              int nx = x + dx, ny = y + dy;
              if (nx < 0 || ny < 0 || nx >= w || ny >= h || img.at(nx, ny).a == 0) continue;
              sum = sum + img.at(nx, ny);
            }
          if (sum.a > 0) next.at(x, y) = Rgba{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, 1};
        }
      }
      img = std::move(next);
    }
    Rgba mean{0, 0, 0, 0};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (img.at(x, y).a > 0) mean = mean + img.at(x, y);
    if (mean.a > 0) mean = Rgba{mean.r / mean.a, mean.g / mean.a, mean.b / mean.a, 1};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (img.at(x, y).a == 0) img.at(x, y) = mean;
  }

  const SceneModel& model_;
  const ChartLayout& layout_;
  BakeSettings settings_;
  std::vector<TriRef> refs_;
  Bvh bvh_;
  std::vector<Sample> samples_;
  std::vector<std::vector<Vec3>> direct_;
  std::atomic<size_t> rays_{0};
};

} // namespace

float encodeLight(float irradiance, const BakeSettings& settings) {
  // Rises with slope 1/2 (display brightness 1:1 with light) and bends over below the top
  // of the 8-bit range, so even the bulb's socket does not clip.
  constexpr float kCeiling = 0.96f;
  float x = std::pow(std::max(0.0f, irradiance * settings.exposure), settings.contrast);
  return kCeiling * (1.0f - std::exp(-x * 0.5f / kCeiling));
}

std::vector<Image> bakeLightMaps(const SceneModel& model, const ChartLayout& layout, const BakeSettings& settings,
                                 BakeStats* stats) {
  Baker baker(model, layout, settings);
  return baker.run(stats);
}

} // namespace tools
