// Every texture-stage operation against its formula. Each case draws one 10 x 10 cell of a
// single frame, so the state changes between draws are exercised as well.
#include "tests/support/ImageTest.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

using namespace testsupport;

namespace {

using Color = std::array<double, 4>; // r, g, b, a in 0..1

Color fromD3d(D3DCOLOR c) {
  return {((c >> 16) & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, (c & 0xFF) / 255.0, ((c >> 24) & 0xFF) / 255.0};
}

const D3DCOLOR kDiffuse = D3DCOLOR_ARGB(0x80, 0x40, 0x80, 0xC0);
const D3DCOLOR kSpecular = D3DCOLOR_ARGB(0x00, 0xC8, 0x14, 0x64);
const D3DCOLOR kFactor = D3DCOLOR_ARGB(0x60, 0x80, 0x40, 0x20);
const D3DCOLOR kTexel = D3DCOLOR_ARGB(0x40, 0x20, 0x60, 0xA0);
const D3DCOLOR kTexel2 = D3DCOLOR_ARGB(0xFF, 0x64, 0xC8, 0x32);
const D3DCOLOR kConstant = D3DCOLOR_ARGB(0x10, 0x11, 0x22, 0x33);

const Color D = fromD3d(kDiffuse), S = fromD3d(kSpecular), T = fromD3d(kFactor), X = fromD3d(kTexel),
            X2 = fromD3d(kTexel2), K = fromD3d(kConstant);

double sat(double v) { return std::clamp(v, 0.0, 1.0); }

// Applies a per-channel formula to r, g and b.
Color rgb(const std::function<double(int)>& f) { return {sat(f(0)), sat(f(1)), sat(f(2)), 1.0}; }
Color all(double v) { return {sat(v), sat(v), sat(v), 1.0}; }

struct Case {
  std::string name;
  std::function<void(IDirect3DDevice9*)> setup;
  Color expected;
};

void colorOp(IDirect3DDevice9* d, DWORD stage, DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT,
             DWORD arg0 = D3DTA_CURRENT) {
  d->SetTextureStageState(stage, D3DTSS_COLOROP, op);
  d->SetTextureStageState(stage, D3DTSS_COLORARG1, arg1);
  d->SetTextureStageState(stage, D3DTSS_COLORARG2, arg2);
  d->SetTextureStageState(stage, D3DTSS_COLORARG0, arg0);
}

void alphaOp(IDirect3DDevice9* d, DWORD stage, DWORD op, DWORD arg1, DWORD arg2 = D3DTA_CURRENT,
             DWORD arg0 = D3DTA_CURRENT) {
  d->SetTextureStageState(stage, D3DTSS_ALPHAOP, op);
  d->SetTextureStageState(stage, D3DTSS_ALPHAARG1, arg1);
  d->SetTextureStageState(stage, D3DTSS_ALPHAARG2, arg2);
  d->SetTextureStageState(stage, D3DTSS_ALPHAARG0, arg0);
}

// Shows stage 0's alpha as a grey: stage 1 selects it with ALPHAREPLICATE.
void showAlpha(IDirect3DDevice9* d) { colorOp(d, 1, D3DTOP_SELECTARG1, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE); }

std::vector<Case> colorCases() {
  const DWORD tex = D3DTA_TEXTURE, dif = D3DTA_DIFFUSE, fac = D3DTA_TFACTOR, cur = D3DTA_CURRENT;
  const DWORD comp = D3DTA_COMPLEMENT, rep = D3DTA_ALPHAREPLICATE;
  auto simple = [](std::string name, DWORD op, DWORD a1, DWORD a2, Color expected, DWORD a0 = D3DTA_CURRENT) {
    return Case{std::move(name), [=](IDirect3DDevice9* d) { colorOp(d, 0, op, a1, a2, a0); }, expected};
  };
  return {
      simple("SELECTARG1", D3DTOP_SELECTARG1, tex, dif, X),
      simple("SELECTARG2", D3DTOP_SELECTARG2, tex, dif, D),
      simple("MODULATE", D3DTOP_MODULATE, tex, dif, rgb([](int i) { return X[i] * D[i]; })),
      simple("MODULATE with TFACTOR", D3DTOP_MODULATE, tex, fac, rgb([](int i) { return X[i] * T[i]; })),
      simple("MODULATE2X", D3DTOP_MODULATE2X, tex, dif, rgb([](int i) { return 2 * X[i] * D[i]; })),
      simple("MODULATE4X", D3DTOP_MODULATE4X, tex, fac, rgb([](int i) { return 4 * X[i] * T[i]; })),
      simple("ADD", D3DTOP_ADD, tex, dif, rgb([](int i) { return X[i] + D[i]; })),
      simple("ADDSIGNED", D3DTOP_ADDSIGNED, tex, dif, rgb([](int i) { return X[i] + D[i] - 0.5; })),
      simple("ADDSIGNED2X", D3DTOP_ADDSIGNED2X, tex, dif, rgb([](int i) { return 2 * (X[i] + D[i] - 0.5); })),
      simple("SUBTRACT", D3DTOP_SUBTRACT, dif, tex, rgb([](int i) { return D[i] - X[i]; })),
      simple("SUBTRACT TFACTOR", D3DTOP_SUBTRACT, tex, fac, rgb([](int i) { return X[i] - T[i]; })),
      simple("ADDSMOOTH", D3DTOP_ADDSMOOTH, tex, dif, rgb([](int i) { return X[i] + D[i] * (1 - X[i]); })),
      simple("BLENDDIFFUSEALPHA", D3DTOP_BLENDDIFFUSEALPHA, tex, fac,
             rgb([](int i) { return X[i] * D[3] + T[i] * (1 - D[3]); })),
      simple("BLENDTEXTUREALPHA", D3DTOP_BLENDTEXTUREALPHA, fac, dif,
             rgb([](int i) { return T[i] * X[3] + D[i] * (1 - X[3]); })),
      simple("BLENDFACTORALPHA", D3DTOP_BLENDFACTORALPHA, tex, dif,
             rgb([](int i) { return X[i] * T[3] + D[i] * (1 - T[3]); })),
      simple("BLENDCURRENTALPHA", D3DTOP_BLENDCURRENTALPHA, tex, fac,
             rgb([](int i) { return X[i] * D[3] + T[i] * (1 - D[3]); })),
      simple("BLENDTEXTUREALPHAPM", D3DTOP_BLENDTEXTUREALPHAPM, fac, dif,
             rgb([](int i) { return T[i] + D[i] * (1 - X[3]); })),
      simple("MODULATEALPHA_ADDCOLOR", D3DTOP_MODULATEALPHA_ADDCOLOR, tex, dif,
             rgb([](int i) { return X[i] + X[3] * D[i]; })),
      simple("MODULATECOLOR_ADDALPHA", D3DTOP_MODULATECOLOR_ADDALPHA, tex, dif,
             rgb([](int i) { return X[i] * D[i] + X[3]; })),
      simple("MODULATEINVALPHA_ADDCOLOR", D3DTOP_MODULATEINVALPHA_ADDCOLOR, tex, dif,
             rgb([](int i) { return X[i] + (1 - X[3]) * D[i]; })),
      simple("MODULATEINVCOLOR_ADDALPHA", D3DTOP_MODULATEINVCOLOR_ADDALPHA, tex, dif,
             rgb([](int i) { return (1 - X[i]) * D[i] + X[3]; })),
      simple("DOTPRODUCT3", D3DTOP_DOTPRODUCT3, tex, dif,
             all(4 * ((X[0] - 0.5) * (D[0] - 0.5) + (X[1] - 0.5) * (D[1] - 0.5) + (X[2] - 0.5) * (D[2] - 0.5)))),
      simple("DOTPRODUCT3 of a colour with itself", D3DTOP_DOTPRODUCT3, fac, fac,
             all(4 * ((T[0] - 0.5) * (T[0] - 0.5) + (T[1] - 0.5) * (T[1] - 0.5) + (T[2] - 0.5) * (T[2] - 0.5)))),
      simple("MULTIPLYADD", D3DTOP_MULTIPLYADD, tex, dif, rgb([](int i) { return T[i] + X[i] * D[i]; }), fac),
      simple("LERP", D3DTOP_LERP, tex, fac, rgb([](int i) { return D[i] * X[i] + (1 - D[i]) * T[i]; }), dif),
      simple("COMPLEMENT", D3DTOP_SELECTARG1, tex | comp, dif, rgb([](int i) { return 1 - X[i]; })),
      simple("ALPHAREPLICATE", D3DTOP_SELECTARG1, fac | rep, dif, all(T[3])),
      simple("COMPLEMENT of ALPHAREPLICATE", D3DTOP_SELECTARG1, dif | comp | rep, tex, all(1 - D[3])),
      simple("SPECULAR", D3DTOP_ADD, D3DTA_SPECULAR, dif, rgb([](int i) { return S[i] + D[i]; })),
      simple("CONSTANT", D3DTOP_SELECTARG1, D3DTA_CONSTANT, dif, K),
      simple("CURRENT in stage 0 is the diffuse colour", D3DTOP_SELECTARG1, cur, tex, D),
      Case{"a stage reading a missing texture is off",
           [=](IDirect3DDevice9* d) {
             d->SetTexture(0, nullptr);
             colorOp(d, 0, D3DTOP_MODULATE, tex, fac);
             colorOp(d, 1, D3DTOP_ADD, fac, cur);
           },
           D},
      Case{"a missing texture as argument 2 turns the stage off as well",
           [=](IDirect3DDevice9* d) {
             d->SetTexture(0, nullptr);
             colorOp(d, 0, D3DTOP_MODULATE, fac, tex);
             colorOp(d, 1, D3DTOP_ADD, fac, cur);
           },
           D},
      Case{"a missing texture as argument 0 turns the stage off as well",
           [=](IDirect3DDevice9* d) {
             d->SetTexture(0, nullptr);
             colorOp(d, 0, D3DTOP_LERP, fac, dif, tex);
           },
           D},
      Case{"two stages cascade through CURRENT",
           [=](IDirect3DDevice9* d) {
             colorOp(d, 0, D3DTOP_MODULATE, tex, dif);
             colorOp(d, 1, D3DTOP_ADD, cur, fac);
           },
           rgb([](int i) { return X[i] * D[i] + T[i]; })},
      Case{"TEMP keeps a result aside",
           [=](IDirect3DDevice9* d) {
             colorOp(d, 0, D3DTOP_SELECTARG1, fac);
             d->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
             colorOp(d, 1, D3DTOP_SELECTARG1, dif);
             colorOp(d, 2, D3DTOP_SUBTRACT, cur, D3DTA_TEMP);
           },
           rgb([](int i) { return D[i] - T[i]; })},
      Case{"light map minus factor, times two, times base",
           [=](IDirect3DDevice9* d) {
             colorOp(d, 0, D3DTOP_SUBTRACT, tex, fac);
             colorOp(d, 1, D3DTOP_MODULATE2X, tex, cur);
           },
           rgb([](int i) { return 2 * sat(X[i] - T[i]) * X2[i]; })},
      Case{"specular is added after the stages",
           [=](IDirect3DDevice9* d) {
             colorOp(d, 0, D3DTOP_SELECTARG1, dif);
             d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
           },
           rgb([](int i) { return D[i] + S[i]; })},
  };
}

std::vector<Case> alphaCases() {
  const DWORD tex = D3DTA_TEXTURE, dif = D3DTA_DIFFUSE, fac = D3DTA_TFACTOR;
  auto alpha = [](std::string name, DWORD op, DWORD a1, DWORD a2, double expected, DWORD a0 = D3DTA_CURRENT) {
    return Case{std::move(name),
                [=](IDirect3DDevice9* d) {
                  colorOp(d, 0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE);
                  alphaOp(d, 0, op, a1, a2, a0);
                  showAlpha(d);
                },
                all(expected)};
  };
  return {
      alpha("alpha SELECTARG1 TFACTOR", D3DTOP_SELECTARG1, fac, dif, T[3]),
      alpha("alpha MODULATE", D3DTOP_MODULATE, tex, dif, X[3] * D[3]),
      alpha("alpha MODULATE with TFACTOR", D3DTOP_MODULATE, tex, fac, X[3] * T[3]),
      alpha("alpha ADD", D3DTOP_ADD, tex, fac, X[3] + T[3]),
      alpha("alpha SUBTRACT", D3DTOP_SUBTRACT, dif, tex, D[3] - X[3]),
      alpha("alpha COMPLEMENT", D3DTOP_SELECTARG1, dif | D3DTA_COMPLEMENT, tex, 1 - D[3]),
      alpha("alpha LERP", D3DTOP_LERP, tex, fac, D[3] * X[3] + (1 - D[3]) * T[3], dif),
      Case{"alpha reading a missing texture passes the alpha on",
           [=](IDirect3DDevice9* d) {
             d->SetTexture(0, nullptr);
             colorOp(d, 0, D3DTOP_SELECTARG1, dif);
             alphaOp(d, 0, D3DTOP_SELECTARG1, tex);
             showAlpha(d);
           },
           all(D[3])},
      Case{"alpha reading a missing texture in argument 2 passes the alpha on",
           [=](IDirect3DDevice9* d) {
             d->SetTexture(0, nullptr);
             colorOp(d, 0, D3DTOP_SELECTARG1, dif);
             alphaOp(d, 0, D3DTOP_MODULATE, fac, tex);
             showAlpha(d);
           },
           all(D[3])},
  };
}

struct CellVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse, specular;
  float u, v;
};

class StageOps : public ImageTest {
protected:
  void drawCell(int index, IDirect3DTexture9* texture, IDirect3DTexture9* texture2, const Case& c) {
    // Reset what the cases change, then let the case set its states.
    for (DWORD stage = 0; stage < 3; ++stage) {
      device->SetTextureStageState(stage, D3DTSS_COLOROP, stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
      device->SetTextureStageState(stage, D3DTSS_ALPHAOP, stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE);
      device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(stage, D3DTSS_RESULTARG, D3DTA_CURRENT);
    }
    device->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
    device->SetTexture(0, texture);
    device->SetTexture(1, texture2);
    c.setup(device);
    const float left = float((index % 16) * 10), top = float((index / 16) * 10);
    const CellVertex v[4] = {{left - 0.5f, top - 0.5f, 0.5f, 1.0f, kDiffuse, kSpecular, 0.0f, 0.0f},
                             {left + 9.5f, top - 0.5f, 0.5f, 1.0f, kDiffuse, kSpecular, 1.0f, 0.0f},
                             {left - 0.5f, top + 9.5f, 0.5f, 1.0f, kDiffuse, kSpecular, 0.0f, 1.0f},
                             {left + 9.5f, top + 9.5f, 0.5f, 1.0f, kDiffuse, kSpecular, 1.0f, 1.0f}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(CellVertex)), D3D_OK) << c.name;
  }
};

TEST_P(StageOps, EveryOperationMatchesItsFormula) {
  IDirect3DTexture9* texture = solidTexture(device, 4, 4, kTexel);
  IDirect3DTexture9* texture2 = solidTexture(device, 4, 4, kTexel2);
  ASSERT_TRUE(texture && texture2);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, kFactor);
  for (DWORD stage = 0; stage < 3; ++stage)
    device->SetTextureStageState(stage, D3DTSS_CONSTANT, kConstant);
  std::vector<Case> cases = colorCases();
  for (Case& c : alphaCases())
    cases.push_back(std::move(c));
  ASSERT_LE(cases.size(), 16u * 12u);
  for (std::size_t i = 0; i < cases.size(); ++i)
    drawCell(int(i), texture, texture2, cases[i]);
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
  texture->Release();
  texture2->Release();
  finish();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const UINT x = UINT((i % 16) * 10 + 5), y = UINT((i / 16) * 10 + 5);
    const Color& e = cases[i].expected;
    const Rgba expected{int(std::lround(e[0] * 255)), int(std::lround(e[1] * 255)), int(std::lround(e[2] * 255)), 255};
    EXPECT_TRUE(colorNear(gl.pixel(x, y), expected, 1)) << cases[i].name;
  }
}

// What a device that was told nothing reads: the stage constant is opaque white, and a
// vertex without a specular colour has opaque black wherever its specular is read.
TEST_P(StageOps, UnsetConstantsAndMissingSpecularReadTheDefaults) {
  struct PlainVertex {
    float x, y, z, rhw;
    D3DCOLOR diffuse;
  };
  auto cell = [&](float left, DWORD arg) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, arg);
    const PlainVertex v[4] = {{left - 0.5f, -0.5f, 0.5f, 1.0f, kDiffuse},
                              {left + 9.5f, -0.5f, 0.5f, 1.0f, kDiffuse},
                              {left - 0.5f, 9.5f, 0.5f, 1.0f, kDiffuse},
                              {left + 9.5f, 9.5f, 0.5f, 1.0f, kDiffuse}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(PlainVertex)), D3D_OK);
  };
  cell(0, D3DTA_CONSTANT);
  cell(10, D3DTA_CONSTANT | D3DTA_ALPHAREPLICATE);
  cell(20, D3DTA_SPECULAR);
  cell(30, D3DTA_SPECULAR | D3DTA_ALPHAREPLICATE);
  // Specular alpha is also the fog factor of pre-transformed vertices: opaque means unfogged.
  device->SetRenderState(D3DRS_FOGENABLE, TRUE);
  device->SetRenderState(D3DRS_FOGCOLOR, D3DCOLOR_XRGB(255, 0, 0));
  cell(40, D3DTA_SPECULAR | D3DTA_ALPHAREPLICATE);
  finish();
  EXPECT_EQ(gl.pixel(5, 5), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(gl.pixel(15, 5), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(gl.pixel(25, 5), (Rgba{0, 0, 0, 255}));
  EXPECT_EQ(gl.pixel(35, 5), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(gl.pixel(45, 5), (Rgba{255, 255, 255, 255}));
}

INSTANTIATE_IMAGE_TEST(StageOps);

} // namespace
