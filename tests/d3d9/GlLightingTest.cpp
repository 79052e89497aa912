// Per-vertex lighting and fog against Direct3D 9's formulas. Each vertex is drawn as a
// one-pixel point, so the pixel shows exactly what the vertex computed.
#include "tests/support/ImageTest.h"

#include "platform/d3d9/DeviceState.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace testsupport;

namespace {

struct V3 {
  double x, y, z;
};
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(V3 a) { return std::sqrt(dot(a, a)); }
V3 normalize(V3 a) {
  const double l = length(a);
  return l > 0 ? a * (1.0 / l) : a;
}
V3 toV3(const D3DVECTOR& v) { return {v.x, v.y, v.z}; }

constexpr double kViewShift = 50.0; // the view moves everything 50 units away from the eye

// World units are pixels (an orthographic projection with y down); the view adds 50 to z.
void setTransforms(IDirect3DDevice9* device) {
  D3DMATRIX view{};
  view._11 = view._22 = view._33 = view._44 = 1.0f;
  view._43 = float(kViewShift);
  device->SetTransform(D3DTS_VIEW, &view);
  setPixelProjection(device, 200.0f);
}

struct LitVertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR diffuse;
};

struct Scene {
  D3DMATERIAL9 material{};
  std::vector<D3DLIGHT9> lights;
  D3DCOLOR ambient = 0;
  bool specular = false;
  bool localViewer = true;
  bool vertexDiffuse = false; // D3DRS_DIFFUSEMATERIALSOURCE = COLOR1 with a vertex colour
};

// Direct3D 9's vertex lighting in camera space, written out from its documented formulas.
Rgba expectedLighting(const Scene& scene, const LitVertex& v, bool hasNormal) {
  const V3 P{v.x, v.y, v.z + kViewShift};
  const V3 N{v.nx, v.ny, v.nz};
  const double diffuseVertex[4] = {((v.diffuse >> 16) & 0xFF) / 255.0, ((v.diffuse >> 8) & 0xFF) / 255.0,
                                   (v.diffuse & 0xFF) / 255.0, ((v.diffuse >> 24) & 0xFF) / 255.0};
  const D3DCOLORVALUE& md = scene.material.Diffuse;
  const double Cd[3] = {scene.vertexDiffuse ? diffuseVertex[0] : md.r, scene.vertexDiffuse ? diffuseVertex[1] : md.g,
                        scene.vertexDiffuse ? diffuseVertex[2] : md.b};
  const double Ga[3] = {((scene.ambient >> 16) & 0xFF) / 255.0, ((scene.ambient >> 8) & 0xFF) / 255.0,
                        (scene.ambient & 0xFF) / 255.0};
  double A[3] = {Ga[0], Ga[1], Ga[2]}, Dsum[3] = {0, 0, 0}, Ssum[3] = {0, 0, 0};
  const V3 Vdir = scene.localViewer ? normalize(P * -1.0) : V3{0, 0, -1};
  for (const D3DLIGHT9& l : scene.lights) {
    V3 L;
    double f = 1.0;
    if (l.Type == D3DLIGHT_DIRECTIONAL) {
      L = normalize(toV3(l.Direction)) * -1.0;
    } else {
      const V3 lp = toV3(l.Position) + V3{0, 0, kViewShift};
      const double d = length(lp - P);
      if (d > l.Range) continue;
      L = (lp - P) * (1.0 / d);
      f = 1.0 / (l.Attenuation0 + l.Attenuation1 * d + l.Attenuation2 * d * d);
      if (l.Type == D3DLIGHT_SPOT) {
        const double rho = dot(L * -1.0, normalize(toV3(l.Direction)));
        const double cosTheta = std::cos(l.Theta / 2), cosPhi = std::cos(l.Phi / 2);
        double spot = 1.0;
        if (rho <= cosPhi)
          spot = 0.0;
        else if (rho <= cosTheta)
          spot = std::pow((rho - cosPhi) / (cosTheta - cosPhi), l.Falloff);
        f *= spot;
      }
    }
    const double la[3] = {l.Ambient.r, l.Ambient.g, l.Ambient.b}, ld[3] = {l.Diffuse.r, l.Diffuse.g, l.Diffuse.b},
                 ls[3] = {l.Specular.r, l.Specular.g, l.Specular.b};
    for (int i = 0; i < 3; ++i)
      A[i] += la[i] * f;
    if (!hasNormal) continue;
    const double NdotL = dot(N, L);
    for (int i = 0; i < 3; ++i)
      Dsum[i] += ld[i] * std::max(NdotL, 0.0) * f;
    if (scene.specular && NdotL > 0) {
      const double NdotH = dot(N, normalize(L + Vdir));
      if (NdotH > 0)
        for (int i = 0; i < 3; ++i)
          Ssum[i] += ls[i] * std::pow(NdotH, scene.material.Power) * f;
    }
  }
  const D3DCOLORVALUE &ma = scene.material.Ambient, &me = scene.material.Emissive, &ms = scene.material.Specular;
  const double Ca[3] = {ma.r, ma.g, ma.b}, Ce[3] = {me.r, me.g, me.b}, Cs[3] = {ms.r, ms.g, ms.b};
  int out[3];
  for (int i = 0; i < 3; ++i) {
    const double diffuse = std::clamp(Ca[i] * A[i] + Cd[i] * Dsum[i] + Ce[i], 0.0, 1.0);
    const double specular = scene.specular ? std::clamp(Cs[i] * Ssum[i], 0.0, 1.0) : 0.0;
    out[i] = int(std::lround(std::min(1.0, diffuse + specular) * 255));
  }
  return {out[0], out[1], out[2], 255};
}

D3DCOLORVALUE rgba(float r, float g, float b, float a = 1.0f) { return {r, g, b, a}; }

class Lighting : public ImageTest {
protected:
  // Draws the vertices as points and checks each pixel against the formulas.
  void check(const Scene& scene, const std::vector<LitVertex>& vertices, bool withNormals = true) {
    setTransforms(device);
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, scene.ambient);
    device->SetRenderState(D3DRS_SPECULARENABLE, scene.specular);
    device->SetRenderState(D3DRS_LOCALVIEWER, scene.localViewer);
    device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, scene.vertexDiffuse ? D3DMCS_COLOR1 : D3DMCS_MATERIAL);
    device->SetMaterial(&scene.material);
    for (DWORD i = 0; i < scene.lights.size(); ++i) {
      ASSERT_EQ(device->SetLight(i, &scene.lights[i]), D3D_OK);
      device->LightEnable(i, TRUE);
    }
    if (withNormals) {
      device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE);
      ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, UINT(vertices.size()), vertices.data(), sizeof(LitVertex)),
                D3D_OK);
    } else {
      struct Plain {
        float x, y, z;
        D3DCOLOR diffuse;
      };
      std::vector<Plain> plain;
      for (const LitVertex& v : vertices)
        plain.push_back({v.x, v.y, v.z, v.diffuse});
      device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, UINT(plain.size()), plain.data(), sizeof(Plain)), D3D_OK);
    }
    finish();
    for (const LitVertex& v : vertices) {
      const Rgba expected = expectedLighting(scene, v, withNormals);
      EXPECT_TRUE(colorNear(gl.pixel(UINT(v.x), UINT(v.y)), expected, 1)) << "vertex at " << v.x << ", " << v.y;
    }
  }

  static D3DMATERIAL9 material() {
    D3DMATERIAL9 m{};
    m.Diffuse = rgba(1.0f, 0.5f, 0.25f);
    m.Ambient = rgba(0.5f, 0.5f, 0.5f);
    m.Emissive = rgba(0.05f, 0.0f, 0.02f);
    m.Specular = rgba(0.7f, 0.7f, 0.7f);
    m.Power = 10.0f;
    return m;
  }
};

TEST_P(Lighting, DirectionalLightFollowsTheCosineLaw) {
  Scene scene;
  scene.material = material();
  scene.ambient = D3DCOLOR_XRGB(40, 40, 40);
  D3DLIGHT9 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = rgba(0.8f, 0.6f, 0.4f);
  sun.Ambient = rgba(0.1f, 0.1f, 0.1f);
  sun.Direction = {0.0f, 0.0f, 2.0f}; // not normalised on purpose
  scene.lights = {sun};
  check(scene, {{10, 10, 0, 0, 0, -1, 0},
                {20, 10, 0, 0.6f, 0, -0.8f, 0},
                {30, 10, 0, 0, 0, 1, 0}, // facing away: ambient and emissive only
                {40, 10, 0, 0, -1, 0, 0}});
}

TEST_P(Lighting, PointLightAttenuatesAndStopsAtItsRange) {
  Scene scene;
  scene.material = material();
  D3DLIGHT9 bulb{};
  bulb.Type = D3DLIGHT_POINT;
  bulb.Diffuse = rgba(1.0f, 0.9f, 0.8f);
  bulb.Ambient = rgba(0.3f, 0.3f, 0.3f);
  bulb.Position = {60.0f, 40.0f, -20.0f};
  bulb.Range = 60.0f;
  bulb.Attenuation0 = 0.5f;
  bulb.Attenuation1 = 0.02f;
  bulb.Attenuation2 = 0.0005f;
  scene.lights = {bulb};
  check(scene, {{60, 40, 0, 0, 0, -1, 0},
                {80, 50, 0, 0, 0, -1, 0},
                {100, 40, 0, -0.6f, 0, -0.8f, 0},
                {60, 95, 0, 0, 0, -1, 0},  // 58.5 away: just inside
                {60, 100, 0, 0, 0, -1, 0}, // 63.2 away: outside, not even ambient
                {20, 40, 0, 1, 0, 0, 0}});
}

TEST_P(Lighting, SpotLightHasAFullConeAPenumbraAndADarkOutside) {
  Scene scene;
  scene.material = material();
  for (float falloff : {1.0f, 2.0f}) {
    D3DLIGHT9 spot{};
    spot.Type = D3DLIGHT_SPOT;
    spot.Diffuse = rgba(0.5f, 0.5f, 0.5f);
    spot.Position = {falloff == 1.0f ? 40.0f : 120.0f, 60.0f, -50.0f};
    spot.Direction = {0.0f, 0.0f, 1.0f};
    spot.Range = 500.0f;
    spot.Attenuation0 = 1.0f;
    spot.Theta = 0.4f;
    spot.Phi = 0.9f;
    spot.Falloff = falloff;
    scene.lights.push_back(spot);
  }
  // Off-axis angles: 0, atan(10/50) = 0.197 (inside theta/2 = 0.2), 0.29 and 0.38 (penumbra),
  // 0.51 (beyond phi/2 = 0.45).
  std::vector<LitVertex> vertices;
  for (float cx : {40.0f, 120.0f})
    for (float dx : {0.0f, 10.0f, 15.0f, 20.0f, 28.0f})
      vertices.push_back({cx + dx, 60, 0, 0, 0, -1, 0});
  check(scene, vertices);
}

TEST_P(Lighting, SpecularHighlightIsAddedWhenEnabled) {
  Scene scene;
  scene.material = material();
  scene.specular = true;
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_POINT;
  light.Diffuse = rgba(0.3f, 0.3f, 0.3f);
  light.Specular = rgba(1.0f, 1.0f, 1.0f);
  light.Position = {80.0f, 60.0f, -40.0f};
  light.Range = 1000.0f;
  light.Attenuation0 = 1.0f;
  scene.lights = {light};
  check(scene, {{80, 60, 0, 0, 0, -1, 0}, {90, 60, 0, 0.2f, 0, -0.98f, 0}, {70, 70, 0, -0.3f, 0.3f, -0.9f, 0}});
}

TEST_P(Lighting, NonLocalViewerLooksStraightAhead) {
  Scene scene;
  scene.material = material();
  scene.specular = true;
  scene.localViewer = false;
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = rgba(0.2f, 0.2f, 0.2f);
  light.Specular = rgba(1.0f, 1.0f, 1.0f);
  light.Direction = {0.3f, 0.0f, 1.0f};
  scene.lights = {light};
  check(scene, {{30, 30, 0, 0, 0, -1, 0}, {130, 90, 0, -0.15f, 0, -0.99f, 0}});
}

TEST_P(Lighting, VertexColourCanStandInForTheMaterial) {
  Scene scene;
  scene.material = material();
  scene.vertexDiffuse = true;
  D3DLIGHT9 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = rgba(1.0f, 1.0f, 1.0f);
  sun.Direction = {0.0f, 0.0f, 1.0f};
  scene.lights = {sun};
  check(scene, {{10, 10, 0, 0, 0, -1, D3DCOLOR_XRGB(20, 200, 90)}, {20, 10, 0, 0, 0.6f, -0.8f, 0xFF808080}});
}

TEST_P(Lighting, WithoutNormalsOnlyAmbientAndEmissiveRemain) {
  Scene scene;
  scene.material = material();
  scene.ambient = D3DCOLOR_XRGB(60, 30, 90);
  D3DLIGHT9 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = rgba(1.0f, 1.0f, 1.0f);
  sun.Ambient = rgba(0.2f, 0.2f, 0.2f);
  sun.Direction = {0.0f, 0.0f, 1.0f};
  scene.lights = {sun};
  check(scene, {{10, 10, 0, 0, 0, 0, 0}}, false);
}

TEST_P(Lighting, LitQuadIsEvenUnderADirectionalLight) {
  setTransforms(device);
  D3DMATERIAL9 m = material();
  device->SetMaterial(&m);
  D3DLIGHT9 sun{};
  sun.Type = D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = rgba(0.8f, 0.8f, 0.8f);
  sun.Direction = {0.0f, 0.6f, 0.8f};
  device->SetLight(2, &sun);
  device->LightEnable(2, TRUE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL); // the vertex colour is black
  const LitVertex quad[4] = {{19.5f, 19.5f, 0, 0, 0, -1, 0},
                             {59.5f, 19.5f, 0, 0, 0, -1, 0},
                             {19.5f, 59.5f, 0, 0, 0, -1, 0},
                             {59.5f, 59.5f, 0, 0, 0, -1, 0}};
  device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex));
  finish();
  Scene scene;
  scene.material = m;
  scene.lights = {sun};
  const Rgba expected = expectedLighting(scene, quad[0], true);
  EXPECT_EQ(gl.count(expected, 1), 40 * 40) << "centre " << gl.pixel(40, 40) << ", expected " << expected;
}

INSTANTIATE_IMAGE_TEST(Lighting);

// ------------------------------------------------------------------------------------
// Fog

class Fog : public ImageTest {
protected:
  struct Point {
    float x, y, z;
    D3DCOLOR color;
  };
  void drawPoints(const std::vector<Point>& points) {
    setTransforms(device);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, UINT(points.size()), points.data(), sizeof(Point)), D3D_OK);
  }
  void fogStates(DWORD vertexMode, DWORD tableMode, float start, float end, bool range) {
    device->SetRenderState(D3DRS_FOGENABLE, TRUE);
    device->SetRenderState(D3DRS_FOGCOLOR, D3DCOLOR_XRGB(0, 0, 255));
    device->SetRenderState(D3DRS_FOGVERTEXMODE, vertexMode);
    device->SetRenderState(D3DRS_FOGTABLEMODE, tableMode);
    device->SetRenderState(D3DRS_FOGSTART, d3d9::bitsFromFloat(start));
    device->SetRenderState(D3DRS_FOGEND, d3d9::bitsFromFloat(end));
    device->SetRenderState(D3DRS_RANGEFOGENABLE, range);
  }
  // White fogged towards blue by factor f.
  static Rgba fogged(double f) {
    f = std::clamp(f, 0.0, 1.0);
    const int c = int(std::lround(255 * f));
    return {c, c, 255, 255};
  }
};

TEST_P(Fog, LinearVertexFogUsesDepthOrEyeDistance) {
  fogStates(D3DFOG_LINEAR, D3DFOG_NONE, 60.0f, 260.0f, false);
  const std::vector<Point> points = {{20, 20, 0, 0xFFFFFFFF}, {40, 20, 60, 0xFFFFFFFF}, {60, 20, 140, 0xFFFFFFFF}};
  drawPoints(points);
  fogStates(D3DFOG_LINEAR, D3DFOG_NONE, 60.0f, 260.0f, true);
  const std::vector<Point> ranged = {{20, 80, 0, 0xFFFFFFFF}, {120, 100, 100, 0xFFFFFFFF}};
  drawPoints(ranged);
  finish();
  for (const Point& p : points) {
    const double d = p.z + kViewShift;
    EXPECT_TRUE(colorNear(gl.pixel(UINT(p.x), UINT(p.y)), fogged((260 - d) / 200), 1)) << "depth " << d;
  }
  for (const Point& p : ranged) {
    const double d = std::sqrt(double(p.x) * p.x + double(p.y) * p.y + (p.z + kViewShift) * (p.z + kViewShift));
    EXPECT_TRUE(colorNear(gl.pixel(UINT(p.x), UINT(p.y)), fogged((260 - d) / 200), 1)) << "distance " << d;
  }
}

TEST_P(Fog, ExponentialVertexFogUsesTheDensity) {
  fogStates(D3DFOG_EXP, D3DFOG_NONE, 0.0f, 1.0f, false);
  const float density = 0.01f;
  device->SetRenderState(D3DRS_FOGDENSITY, d3d9::bitsFromFloat(density));
  drawPoints({{30, 30, 10, 0xFFFFFFFF}});
  finish();
  EXPECT_TRUE(colorNear(gl.pixel(30, 30), fogged(std::exp(-60.0 * 0.01)), 1));
}

TEST_P(Fog, TableFogUnderAnOrthographicProjectionUsesDeviceDepth) {
  fogStates(D3DFOG_NONE, D3DFOG_LINEAR, 0.2f, 0.8f, false);
  // Device depth is (z + 50) / 200.
  drawPoints({{10, 10, 0, 0xFFFFFFFF}, {20, 10, 50, 0xFFFFFFFF}, {30, 10, 100, 0xFFFFFFFF}});
  finish();
  EXPECT_TRUE(colorNear(gl.pixel(10, 10), fogged((0.8 - 0.25) / 0.6), 1));
  EXPECT_TRUE(colorNear(gl.pixel(20, 10), fogged((0.8 - 0.5) / 0.6), 1));
  EXPECT_TRUE(colorNear(gl.pixel(30, 10), fogged((0.8 - 0.75) / 0.6), 1));
}

TEST_P(Fog, PreTransformedVerticesTakeTheFogFactorFromSpecularAlpha) {
  fogStates(D3DFOG_LINEAR, D3DFOG_NONE, 0.0f, 1.0f, false);
  struct Vertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
  };
  const Vertex with[1] = {{10, 10, 0.5f, 1.0f, 0xFFFFFFFF, D3DCOLOR_ARGB(0x40, 0, 0, 0)}};
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR);
  device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, with, sizeof(Vertex));
  // Without a specular colour there is no fog factor, so nothing is fogged.
  drawRhwQuad(device, 20, 20, 30, 30, 0xFFFFFFFF);
  finish();
  EXPECT_TRUE(colorNear(gl.pixel(10, 10), fogged(0x40 / 255.0), 1));
  EXPECT_EQ(gl.pixel(25, 25), (Rgba{255, 255, 255, 255}));
}

INSTANTIATE_IMAGE_TEST(Fog);

} // namespace
