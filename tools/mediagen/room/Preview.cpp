#include "tools/mediagen/room/Preview.h"

#include <algorithm>
#include <cmath>

#include "platform/d3dx9/d3dx9math.h"

namespace tools {

namespace {

struct ClipVertex {
  D3DXVECTOR4 clip; // after world x view x projection
  Vec3 viewNormal;
  Vec2 uv, uv2;
};

ClipVertex lerpClip(const ClipVertex& a, const ClipVertex& b, float t) {
  ClipVertex r;
  r.clip = D3DXVECTOR4(a.clip.x + (b.clip.x - a.clip.x) * t, a.clip.y + (b.clip.y - a.clip.y) * t,
                       a.clip.z + (b.clip.z - a.clip.z) * t, a.clip.w + (b.clip.w - a.clip.w) * t);
  r.viewNormal = lerp(a.viewNormal, b.viewNormal, t);
  r.uv = a.uv + (b.uv - a.uv) * t;
  r.uv2 = a.uv2 + (b.uv2 - a.uv2) * t;
  return r;
}

struct DrawItem {
  const SceneNode* node;
  D3DXMATRIX world;
  float distance;
  bool blended;
};

class Raster {
public:
  Raster(int w, int h) : w_(w), h_(h), colour_(w, h, {0, 0, 0, 1}), depth_(size_t(w) * size_t(h), 1.0f) {}
  Image& colour() { return colour_; }

  // Shading callback: (uv, uv2, view normal) -> colour with alpha.
  template <class Shade> void triangle(ClipVertex v[3], bool cullBack, bool blend, Shade shade) {
    // Clip against the near plane (z >= 0 in Direct3D clip space).
    std::vector<ClipVertex> poly(v, v + 3), out;
    for (size_t i = 0; i < poly.size(); ++i) {
      const ClipVertex& a = poly[i];
      const ClipVertex& b = poly[(i + 1) % poly.size()];
      bool ina = a.clip.z >= 0, inb = b.clip.z >= 0;
      if (ina) out.push_back(a);
      if (ina != inb) out.push_back(lerpClip(a, b, a.clip.z / (a.clip.z - b.clip.z)));
    }
    for (size_t i = 1; i + 1 < out.size(); ++i) {
      ClipVertex t[3] = {out[0], out[i], out[i + 1]};
      raster(t, cullBack, blend, shade);
    }
  }

private:
  template <class Shade> void raster(ClipVertex v[3], bool cullBack, bool blend, Shade shade) {
    float sx[3], sy[3], sz[3], iw[3];
    for (int i = 0; i < 3; ++i) {
      iw[i] = 1.0f / v[i].clip.w;
      sx[i] = (v[i].clip.x * iw[i] + 1.0f) * 0.5f * float(w_);
      sy[i] = (1.0f - v[i].clip.y * iw[i]) * 0.5f * float(h_);
      sz[i] = v[i].clip.z * iw[i];
    }
    // Screen y runs down: a clockwise triangle has a positive area here.
    float area = (sx[1] - sx[0]) * (sy[2] - sy[0]) - (sy[1] - sy[0]) * (sx[2] - sx[0]);
    if (area == 0 || (cullBack && area < 0)) return;
    int x0 = std::max(0, int(std::floor(std::min({sx[0], sx[1], sx[2]}))));
    int x1 = std::min(w_ - 1, int(std::ceil(std::max({sx[0], sx[1], sx[2]}))));
    int y0 = std::max(0, int(std::floor(std::min({sy[0], sy[1], sy[2]}))));
    int y1 = std::min(h_ - 1, int(std::ceil(std::max({sy[0], sy[1], sy[2]}))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        float px = float(x) + 0.5f, py = float(y) + 0.5f;
        float b0 = ((sx[1] - px) * (sy[2] - py) - (sy[1] - py) * (sx[2] - px)) / area;
        float b1 = ((sx[2] - px) * (sy[0] - py) - (sy[2] - py) * (sx[0] - px)) / area;
        float b2 = 1.0f - b0 - b1;
        if (b0 < 0 || b1 < 0 || b2 < 0) continue;
        float z = b0 * sz[0] + b1 * sz[1] + b2 * sz[2];
        float& d = depth_[size_t(y) * size_t(w_) + size_t(x)];
        if (z > d || z > 1.0f) continue;
        float p0 = b0 * iw[0], p1 = b1 * iw[1], p2 = b2 * iw[2], s = 1.0f / (p0 + p1 + p2);
        p0 *= s;
        p1 *= s;
        p2 *= s;
        Vec2 uv = v[0].uv * p0 + v[1].uv * p1 + v[2].uv * p2;
        Vec2 uv2 = v[0].uv2 * p0 + v[1].uv2 * p1 + v[2].uv2 * p2;
        Vec3 n = normalize(v[0].viewNormal * p0 + v[1].viewNormal * p1 + v[2].viewNormal * p2);
        Rgba c = shade(uv, uv2, n);
        Rgba& dst = colour_.at(x, y);
        if (blend) {
          if (c.a < 1.0f / 255.0f) continue;
          dst = mix(dst, Rgba{c.r, c.g, c.b, 1}, c.a);
        } else {
          dst = Rgba{c.r, c.g, c.b, 1};
        }
        d = z;
      }
    }
  }

  int w_, h_;
  Image colour_;
  std::vector<float> depth_;
};

D3DXMATRIX toMatrix(const std::array<float, 16>& m) {
  D3DXMATRIX r;
  for (int i = 0; i < 16; ++i)
    r.m[i / 4][i % 4] = m[size_t(i)];
  return r;
}

Rgba clamp01(Rgba c) {
  return {std::clamp(c.r, 0.0f, 1.0f), std::clamp(c.g, 0.0f, 1.0f), std::clamp(c.b, 0.0f, 1.0f),
          std::clamp(c.a, 0.0f, 1.0f)};
}

} // namespace

Preview::Preview(const SceneModel& model, std::string mediaDir, std::vector<Image> lightMaps)
    : model_(model), mediaDir_(std::move(mediaDir)), lightMaps_(std::move(lightMaps)) {}

const Image* Preview::texture(const std::string& name) {
  if (name.empty()) return nullptr;
  auto it = textures_.find(name);
  if (it == textures_.end()) {
    Image img;
    if (!readImage(mediaDir_ + "/" + name, img)) img = Image();
    it = textures_.emplace(name, std::move(img)).first;
  }
  return it->second.width() > 0 ? &it->second : nullptr;
}

Image Preview::render(const PreviewCamera& camera, const PreviewOptions& options) {
  D3DXMATRIX view, proj, viewProj;
  D3DXVECTOR3 eye(camera.eye.x, camera.eye.y, camera.eye.z);
  D3DXVECTOR3 at(camera.eye.x + camera.direction.x, camera.eye.y + camera.direction.y,
                 camera.eye.z + camera.direction.z);
  D3DXVECTOR3 up(camera.up.x, camera.up.y, camera.up.z);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&proj, camera.fovY, float(options.width) / float(options.height), 0.1f, 1000.0f);
  D3DXMatrixMultiply(&viewProj, &view, &proj);

  // Node poses: the hands turn about (0, 1, 0) by the program's angles, the pendulum by its keys.
  std::vector<DrawItem> items;
  const D3DXVECTOR3 handAxis(0, 1, 0);
  for (const SceneNode& node : model_.nodes) {
    D3DXMATRIX world = toMatrix(node.nodeTM);
    if (node.name == "strelka_1big" || node.name == "strelka_1min") {
      D3DXQUATERNION q;
      D3DXQuaternionRotationAxis(&q, &handAxis, node.name == "strelka_1big" ? options.hourAngle : options.minuteAngle);
      D3DXMatrixRotationQuaternion(&world, &q);
    } else if (!node.rotationKeys.empty()) {
      float period = node.rotationKeys.back().time;
      float t = std::fmod(options.pendulumTime, period);
      size_t k = 0;
      while (k + 2 < node.rotationKeys.size() && node.rotationKeys[k + 1].time <= t)
        ++k;
      const AniKey &a = node.rotationKeys[k], &b = node.rotationKeys[k + 1];
      D3DXQUATERNION qa(a.value[0], a.value[1], a.value[2], a.value[3]),
          qb(b.value[0], b.value[1], b.value[2], b.value[3]), q;
      D3DXQuaternionSlerp(&q, &qa, &qb, (t - a.time) / (b.time - a.time));
      D3DXMATRIX r, tr;
      D3DXMatrixRotationQuaternion(&r, &q);
      const auto& p = node.positionKeys.front().value;
      D3DXMatrixTranslation(&tr, p[0], p[1], p[2]);
      D3DXMatrixMultiply(&world, &r, &tr);
    }
    const MaterialDef* mat = model_.findMaterial(node.material);
    bool blended = mat && (!mat->chromeTexture.empty() || mat->transmission > 0);
    Box3 b = node.mesh.bounds();
    D3DXVECTOR3 c((b.lo.x + b.hi.x) / 2, (b.lo.y + b.hi.y) / 2, (b.lo.z + b.hi.z) / 2), wc;
    D3DXVec3TransformCoord(&wc, &c, &world);
    D3DXVECTOR3 d = wc - eye;
    items.push_back({&node, world, D3DXVec3Length(&d), blended});
  }
  std::stable_sort(items.begin(), items.end(), [](const DrawItem& a, const DrawItem& b) {
    if (a.blended != b.blended) return !a.blended;
    return a.blended && a.distance > b.distance;
  });

  Raster raster(options.width, options.height);
  for (const DrawItem& item : items) {
    const SceneNode& node = *item.node;
    const MaterialDef* mat = model_.findMaterial(node.material);
    if (!mat) continue;
    const Image* base = texture(mat->texture);
    const Image* chrome = texture(mat->chromeTexture);
    const Image* lm =
        (node.atlas >= 0 && size_t(node.atlas) < lightMaps_.size()) ? &lightMaps_[size_t(node.atlas)] : nullptr;
    // The window view is drawn with an ambient of 0.5 when no lightning flashes.
    float ambientScale = node.name == "FonPlane01" ? 0.5f : 1.0f;
    D3DXMATRIX wvp, wv;
    D3DXMatrixMultiply(&wvp, &item.world, &viewProj);
    D3DXMatrixMultiply(&wv, &item.world, &view);
    auto shade = [&](Vec2 uv, Vec2 uv2, Vec3 n) {
      Rgba t = base ? base->sample(uv.x, uv.y) : Rgba{1, 1, 1, 1};
      if (chrome) {
        // Sphere-map coordinates from the view-space normal, as the fixed pipeline makes them.
        Rgba r = chrome->sample(0.5f + 0.5f * n.x, 0.5f - 0.5f * n.y);
        return clamp01(Rgba{2 * t.r * r.r, 2 * t.g * r.g, 2 * t.b * r.b, t.a});
      }
      if (lm) {
        Rgba l = lm->sample(uv2.x, uv2.y);
        return clamp01(Rgba{2 * l.r * t.r, 2 * l.g * t.g, 2 * l.b * t.b, t.a});
      }
      if (mat->lightMapped) {
        // Not baked yet: a head light shows the shapes.
        float k = 0.35f + 0.65f * std::fabs(n.z);
        return clamp01(Rgba{t.r * k, t.g * k, t.b * k, t.a});
      }
      Argb a = mat->hasAmbient ? mat->ambient : Argb{};
      float k = ambientScale;
      return clamp01(
          Rgba{t.r * std::min(a.r * k, 1.0f), t.g * std::min(a.g * k, 1.0f), t.b * std::min(a.b * k, 1.0f), t.a});
    };
    const Mesh& mesh = node.mesh;
    for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
      ClipVertex cv[3];
      for (int k = 0; k < 3; ++k) {
        const Vertex& v = mesh.vertices[mesh.indices[i + size_t(k)]];
        D3DXVECTOR3 p(v.position.x, v.position.y, v.position.z), nrm(v.normal.x, v.normal.y, v.normal.z), vn;
        D3DXVec3Transform(&cv[k].clip, &p, &wvp);
        D3DXVec3TransformNormal(&vn, &nrm, &wv);
        cv[k].viewNormal = {vn.x, vn.y, vn.z};
        cv[k].uv = v.uv;
        cv[k].uv2 = v.uv2;
      }
      raster.triangle(cv, !mat->twoSided, item.blended, shade);
    }
  }
  return raster.colour();
}

} // namespace tools
