// Every shape of generated program must compile and link: a GLSL mistake in a rarely used
// path (bump operations, projected coordinates, exponential table fog, eight mixed lights)
// would otherwise only show as a missing object in some scene.
#include "tests/support/ImageTest.h"

#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/Diagnostics.h"

#include <functional>
#include <string>
#include <vector>

using namespace testsupport;

namespace {

struct Vertex {
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR diffuse, specular;
  float t0[3];
  float t1[4];
};
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX2 |
                       D3DFVF_TEXCOORDSIZE3(0) | D3DFVF_TEXCOORDSIZE4(1);

using Setup = std::function<void(IDirect3DDevice9*)>;

std::vector<std::pair<std::string, Setup>> variants() {
  std::vector<std::pair<std::string, Setup>> out;
  for (DWORD op = D3DTOP_SELECTARG1; op <= D3DTOP_LERP; ++op) {
    out.push_back({"colour op " + std::to_string(op), [op](IDirect3DDevice9* d) {
                     d->SetTextureStageState(0, D3DTSS_COLOROP, op);
                     d->SetTextureStageState(1, D3DTSS_COLOROP, op);
                     d->SetTextureStageState(1, D3DTSS_COLORARG0, D3DTA_SPECULAR | D3DTA_COMPLEMENT);
                   }});
    out.push_back({"alpha op " + std::to_string(op), [op](IDirect3DDevice9* d) {
                     d->SetTextureStageState(0, D3DTSS_ALPHAOP, op);
                     d->SetTextureStageState(0, D3DTSS_ALPHAARG0, D3DTA_TEMP | D3DTA_ALPHAREPLICATE);
                   }});
  }
  for (DWORD selector = D3DTA_DIFFUSE; selector <= D3DTA_CONSTANT; ++selector)
    out.push_back({"argument " + std::to_string(selector), [selector](IDirect3DDevice9* d) {
                     d->SetTextureStageState(0, D3DTSS_COLORARG2, selector | D3DTA_COMPLEMENT | D3DTA_ALPHAREPLICATE);
                     d->SetTextureStageState(0, D3DTSS_ALPHAARG2, selector);
                     d->SetTextureStageState(0, D3DTSS_RESULTARG, D3DTA_TEMP);
                     d->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
                     d->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEMP);
                   }});
  for (DWORD generation : {D3DTSS_TCI_PASSTHRU, D3DTSS_TCI_CAMERASPACENORMAL, D3DTSS_TCI_CAMERASPACEPOSITION,
                           D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR, D3DTSS_TCI_SPHEREMAP})
    for (DWORD flags : {DWORD(D3DTTFF_DISABLE), DWORD(D3DTTFF_COUNT1), DWORD(D3DTTFF_COUNT2),
                        DWORD(D3DTTFF_COUNT3 | D3DTTFF_PROJECTED), DWORD(D3DTTFF_COUNT4 | D3DTTFF_PROJECTED)})
      out.push_back({"coordinates " + std::to_string(generation) + " / " + std::to_string(flags),
                     [generation, flags](IDirect3DDevice9* d) {
                       d->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, generation | 1);
                       d->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, flags);
                     }});
  for (DWORD table : {D3DFOG_NONE, D3DFOG_EXP, D3DFOG_EXP2, D3DFOG_LINEAR})
    for (DWORD vertex : {D3DFOG_NONE, D3DFOG_EXP, D3DFOG_EXP2, D3DFOG_LINEAR})
      out.push_back(
          {"fog " + std::to_string(table) + " / " + std::to_string(vertex), [table, vertex](IDirect3DDevice9* d) {
             d->SetRenderState(D3DRS_FOGENABLE, TRUE);
             d->SetRenderState(D3DRS_FOGTABLEMODE, table);
             d->SetRenderState(D3DRS_FOGVERTEXMODE, vertex);
             d->SetRenderState(D3DRS_RANGEFOGENABLE, vertex == D3DFOG_EXP2);
           }});
  for (DWORD func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func)
    out.push_back({"alpha test " + std::to_string(func), [func](IDirect3DDevice9* d) {
                     d->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
                     d->SetRenderState(D3DRS_ALPHAFUNC, func);
                   }});
  for (DWORD source : {D3DMCS_MATERIAL, D3DMCS_COLOR1, D3DMCS_COLOR2})
    out.push_back({"lighting with sources " + std::to_string(source), [source](IDirect3DDevice9* d) {
                     d->SetRenderState(D3DRS_LIGHTING, TRUE);
                     d->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
                     d->SetRenderState(D3DRS_LOCALVIEWER, source != D3DMCS_COLOR1);
                     d->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
                     d->SetRenderState(D3DRS_COLORVERTEX, source != D3DMCS_COLOR2);
                     for (auto state : {D3DRS_DIFFUSEMATERIALSOURCE, D3DRS_SPECULARMATERIALSOURCE,
                                        D3DRS_AMBIENTMATERIALSOURCE, D3DRS_EMISSIVEMATERIALSOURCE})
                       d->SetRenderState(state, source);
                     for (DWORD i = 0; i < 9; ++i) {
                       D3DLIGHT9 light{};
                       light.Type = static_cast<D3DLIGHTTYPE>(1 + i % 3);
                       light.Range = 100.0f;
                       light.Direction = {0, 0, 1};
                       light.Falloff = float(i % 2);
                       light.Theta = 0.5f;
                       light.Phi = 1.0f;
                       d->SetLight(i, &light);
                       d->LightEnable(i, TRUE);
                     }
                   }});
  out.push_back({"flat shading", [](IDirect3DDevice9* d) { d->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_FLAT); }});
  out.push_back({"every stage", [](IDirect3DDevice9* d) {
                   for (DWORD s = 0; s < 8; ++s)
                     d->SetTextureStageState(s, D3DTSS_COLOROP, D3DTOP_PREMODULATE);
                 }});
  return out;
}

class ProgramVariants : public ImageTest {};

TEST_P(ProgramVariants, EveryShapeOfProgramBuilds) {
  IDirect3DTexture9* texture = solidTexture(device, 4, 4, 0xFF808080);
  const Vertex triangle[3] = {{-0.5f, -0.5f, 2.0f, 0, 0, -1, 0xFFFFFFFF, 0xFF000000, {0, 0, 1}, {0, 0, 0, 1}},
                              {0.5f, -0.5f, 2.0f, 0, 0, -1, 0xFFFFFFFF, 0xFF000000, {1, 0, 1}, {1, 0, 0, 1}},
                              {-0.5f, 0.5f, 2.0f, 0, 0, -1, 0xFFFFFFFF, 0xFF000000, {0, 1, 1}, {0, 1, 0, 1}}};
  const RhwTexVertex screen[3] = {
      {0, 0, 0.5f, 1, 0xFFFFFFFF, 0, 0}, {10, 0, 0.5f, 1, 0xFFFFFFFF, 1, 0}, {0, 10, 0.5f, 1, 0xFFFFFFFF, 0, 1}};
  d3d9::ReportCapture reports;
  int count = 0;
  for (const auto& [name, setup] : variants()) {
    // Back to defaults (a reset would end the scene), then the variant's states.
    for (DWORD s = 0; s < 8; ++s) {
      device->SetTexture(s, texture);
      device->SetTextureStageState(s, D3DTSS_COLOROP, s == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
      device->SetTextureStageState(s, D3DTSS_ALPHAOP, s == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE);
      device->SetTextureStageState(s, D3DTSS_TEXCOORDINDEX, s);
      device->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
      device->SetTextureStageState(s, D3DTSS_RESULTARG, D3DTA_CURRENT);
    }
    for (auto state : {D3DRS_FOGENABLE, D3DRS_ALPHATESTENABLE, D3DRS_LIGHTING, D3DRS_SPECULARENABLE})
      device->SetRenderState(state, FALSE);
    device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
    setup(device);
    device->SetFVF(kFvf);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(Vertex)), D3D_OK) << name;
    device->SetFVF(kRhwTexFvf);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, screen, sizeof(RhwTexVertex)), D3D_OK) << name;
    for (const std::string& line : reports.lines())
      ADD_FAILURE() << name << ": " << line;
    ++count;
  }
  for (DWORD s = 0; s < 8; ++s)
    device->SetTexture(s, nullptr);
  texture->Release();
  finish();
  d3d9::DeviceStatistics statistics;
  d3d9::deviceStatistics(device, statistics);
  EXPECT_GT(statistics.programsBuilt, std::uint64_t(count)); // distinct shapes, and no failure among them
}

INSTANTIATE_TEST_SUITE_P(StateCache, ProgramVariants, ::testing::Values(true), cachingName);

} // namespace
