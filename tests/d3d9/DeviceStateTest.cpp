#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/FixedFunctionKey.h"
#include "platform/d3d9/FormatInfo.h"
#include "platform/d3d9/VertexLayout.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace d3d9;

namespace {

TEST(DeviceState, StartsWithDirect3DsDefaults) {
  DeviceState state;
  state.reset(true, 640, 480);
  EXPECT_EQ(state.renderState(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
  EXPECT_EQ(state.renderState(D3DRS_CULLMODE), DWORD(D3DCULL_CCW));
  EXPECT_EQ(state.renderState(D3DRS_LIGHTING), DWORD(TRUE));
  EXPECT_EQ(state.renderState(D3DRS_TEXTUREFACTOR), 0xFFFFFFFFu);
  EXPECT_EQ(state.renderStateFloat(D3DRS_FOGEND), 1.0f);
  EXPECT_EQ(state.renderState(D3DRS_DIFFUSEMATERIALSOURCE), DWORD(D3DMCS_COLOR1));
  EXPECT_EQ(state.stageState(0, D3DTSS_COLOROP), DWORD(D3DTOP_MODULATE));
  EXPECT_EQ(state.stageState(1, D3DTSS_COLOROP), DWORD(D3DTOP_DISABLE));
  EXPECT_EQ(state.stageState(0, D3DTSS_ALPHAOP), DWORD(D3DTOP_SELECTARG1));
  EXPECT_EQ(state.stageState(5, D3DTSS_TEXCOORDINDEX), 5u);
  EXPECT_EQ(state.samplerState(3, D3DSAMP_MINFILTER), DWORD(D3DTEXF_POINT));
  EXPECT_EQ(state.samplerState(3, D3DSAMP_MIPFILTER), DWORD(D3DTEXF_NONE));
  EXPECT_EQ(state.viewport().Width, 640u);
  EXPECT_EQ(state.viewport().MaxZ, 1.0f);
  EXPECT_EQ(state.world()._11, 1.0f);
  state.reset(false, 640, 480);
  EXPECT_EQ(state.renderState(D3DRS_ZENABLE), DWORD(D3DZB_FALSE)); // no depth buffer, no depth test
}

TEST(DeviceState, RepeatedValueIsReportedUnchangedAndMarksNothing) {
  DeviceState state;
  state.clearDirty(kDirtyAll);
  EXPECT_EQ(state.setRenderState(D3DRS_ZFUNC, D3DCMP_LESS), Change::Changed);
  EXPECT_EQ(state.dirty(), std::uint32_t(kDirtyDepth));
  state.clearDirty(kDirtyAll);
  EXPECT_EQ(state.setRenderState(D3DRS_ZFUNC, D3DCMP_LESS), Change::Same);
  EXPECT_EQ(state.dirty(), 0u);
  // Forcing everything reports (and marks) even an equal value.
  state.setForceAll(true);
  EXPECT_EQ(state.setRenderState(D3DRS_ZFUNC, D3DCMP_LESS), Change::Changed);
  EXPECT_EQ(state.dirty(), std::uint32_t(kDirtyDepth));
}

TEST(DeviceState, EachSetterMarksTheGroupsItFeeds) {
  DeviceState state;
  auto groupsOf = [&](auto set) {
    state.clearDirty(kDirtyAll);
    set();
    return state.dirty();
  };
  EXPECT_EQ(groupsOf([&] { state.setRenderState(D3DRS_FOGSTART, bitsFromFloat(5.0f)); }), std::uint32_t(kDirtyFog));
  EXPECT_EQ(groupsOf([&] { state.setRenderState(D3DRS_FOGENABLE, TRUE); }), std::uint32_t(kDirtyShaderKey));
  EXPECT_EQ(groupsOf([&] { state.setStageState(2, D3DTSS_CONSTANT, 7); }), std::uint32_t(kDirtyPixelConstants));
  D3DMATRIX m{};
  m._11 = 2;
  EXPECT_EQ(groupsOf([&] { state.setTransform(D3DTS_VIEW, m); }), std::uint32_t(kDirtyTransforms | kDirtyLights));
  EXPECT_EQ(groupsOf([&] { state.setTransform(D3DTS_TEXTURE3, m); }), std::uint32_t(kDirtyTextureMatrices));
  EXPECT_EQ(groupsOf([&] { state.setSamplerState(4, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP); }),
            std::uint32_t(kDirtySamplers));
  EXPECT_EQ(state.dirtySamplers(), 1u << 4);
  // A light that is off changes nothing the shaders see; switching it on changes the program.
  D3DLIGHT9 light{};
  light.Type = D3DLIGHT_POINT;
  EXPECT_EQ(groupsOf([&] { state.setLight(3, light); }), 0u);
  EXPECT_EQ(groupsOf([&] { state.enableLight(3, true); }), std::uint32_t(kDirtyLights | kDirtyShaderKey));
  light.Type = D3DLIGHT_SPOT;
  EXPECT_EQ(groupsOf([&] { state.setLight(3, light); }), std::uint32_t(kDirtyLights | kDirtyShaderKey));
}

TEST(DeviceState, RejectsWhatIsNoDirect3D9State) {
  DeviceState state;
  EXPECT_EQ(state.setRenderState(47, 1), Change::Invalid); // D3D8's ZBIAS
  EXPECT_EQ(state.setRenderState(400, 1), Change::Invalid);
  EXPECT_EQ(state.setStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), Change::Invalid);
  EXPECT_EQ(state.setStageState(0, 12, 0), Change::Invalid);
  EXPECT_EQ(state.setSamplerState(16, D3DSAMP_MINFILTER, 0), Change::Invalid);
  EXPECT_EQ(state.setTransform(4, D3DMATRIX{}), Change::Invalid);
  D3DLIGHT9 light{};
  light.Type = static_cast<D3DLIGHTTYPE>(4);
  EXPECT_EQ(state.setLight(0, light), Change::Invalid);
  D3DVIEWPORT9 tooWide{600, 0, 100, 10, 0.0f, 1.0f};
  EXPECT_EQ(state.setViewport(tooWide, 640, 480), Change::Invalid);
  D3DVIEWPORT9 badDepth{0, 0, 10, 10, 0.8f, 0.2f};
  EXPECT_EQ(state.setViewport(badDepth, 640, 480), Change::Invalid);
}

TEST(DeviceState, LightEnableOnAnUnsetIndexMakesTheDefaultLight) {
  DeviceState state;
  ASSERT_EQ(state.enableLight(9, true), Change::Changed);
  D3DLIGHT9 light;
  ASSERT_TRUE(state.getLight(9, light));
  EXPECT_EQ(light.Type, D3DLIGHT_DIRECTIONAL);
  EXPECT_EQ(light.Diffuse.r, 1.0f);
  EXPECT_EQ(light.Direction.z, 1.0f);
  EXPECT_FALSE(state.getLight(10, light));
  // At most eight lights are active, in index order.
  for (DWORD i = 20; i < 30; ++i)
    state.enableLight(i, true);
  const D3DLIGHT9* active[kMaxActiveLights];
  EXPECT_EQ(state.activeLights(active), kMaxActiveLights);
  D3DLIGHT9 first;
  state.getLight(9, first);
  EXPECT_EQ(std::memcmp(active[0], &first, sizeof first), 0);
}

TEST(VertexLayout, ComponentsFollowEachOtherInBitOrder) {
  const VertexLayout mesh = describeFvf(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2);
  ASSERT_TRUE(mesh.valid);
  EXPECT_EQ(mesh.stride, 40u);
  EXPECT_EQ(mesh.normalOffset, 12u);
  EXPECT_EQ(mesh.texOffset[0], 24u);
  EXPECT_EQ(mesh.texOffset[1], 32u);
  const VertexLayout glyph = describeFvf(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  EXPECT_EQ(glyph.stride, 28u);
  EXPECT_EQ(glyph.diffuseOffset, 16u);
  EXPECT_EQ(glyph.position, PositionKind::XyzRhw);
  const VertexLayout sized =
      describeFvf(D3DFVF_XYZ | D3DFVF_SPECULAR | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE1(0) | D3DFVF_TEXCOORDSIZE4(1));
  EXPECT_EQ(sized.texSize[0], 1u);
  EXPECT_EQ(sized.texSize[1], 4u);
  EXPECT_EQ(sized.stride, 12u + 4u + 4u + 16u);
  EXPECT_FALSE(describeFvf(D3DFVF_XYZ | 0x900).valid); // nine coordinate sets
  EXPECT_FALSE(describeFvf(D3DFVF_XYZ | D3DFVF_RESERVED0).valid);
  EXPECT_EQ(verticesForPrimitives(D3DPT_TRIANGLESTRIP, 2), 4u);
  EXPECT_EQ(verticesForPrimitives(D3DPT_LINELIST, 3), 6u);
  EXPECT_EQ(verticesForPrimitives(D3DPT_TRIANGLELIST, 0), 0u);
}

TEST(FormatInfo, SizesOfLevels) {
  EXPECT_EQ(levelPitch(D3DFMT_A8R8G8B8, 10), 40u);
  EXPECT_EQ(levelPitch(D3DFMT_R8G8B8, 10), 30u);
  EXPECT_EQ(levelPitch(D3DFMT_DXT1, 10), 24u); // three blocks of 8 bytes
  EXPECT_EQ(levelRows(D3DFMT_DXT5, 10), 3u);
  EXPECT_EQ(levelSize(D3DFMT_DXT5, 4, 4), 16u);
  EXPECT_EQ(fullMipChain(256, 64), 9u);
  EXPECT_EQ(fullMipChain(1, 1), 1u);
  EXPECT_TRUE(formatInfo(D3DFMT_A1R5G5B5).hasAlpha);
  EXPECT_FALSE(formatInfo(D3DFMT_X1R5G5B5).hasAlpha);
}

// -------------------------------------------------------------------------------------
// Program keys

FixedFunctionKey keyOf(const DeviceState& state, DWORD fvf) { return makeFixedFunctionKey(state, describeFvf(fvf)); }

TEST(FixedFunctionKey, DefaultStateIsAllZero) {
  DeviceState state;
  const FixedFunctionKey key = keyOf(state, 0);
  for (std::uint32_t word : key.words)
    EXPECT_EQ(word, 0u);
}

TEST(FixedFunctionKey, StatesThatCannotMatterDoNotSplitPrograms) {
  DeviceState a, b;
  // Arguments of a stage after the first disabled one.
  b.setStageState(3, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  // Argument 2 of SELECTARG1.
  a.setStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  b.setStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  b.setStageState(0, D3DTSS_COLORARG2, D3DTA_SPECULAR);
  // Lights while lighting is off.
  a.setRenderState(D3DRS_LIGHTING, FALSE);
  b.setRenderState(D3DRS_LIGHTING, FALSE);
  b.enableLight(0, true);
  // The alpha function while the alpha test is off.
  b.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  EXPECT_EQ(keyOf(a, D3DFVF_XYZ | D3DFVF_DIFFUSE), keyOf(b, D3DFVF_XYZ | D3DFVF_DIFFUSE));
}

TEST(FixedFunctionKey, DecodesWhatWasPacked) {
  DeviceState state;
  state.setStageState(1, D3DTSS_COLOROP, D3DTOP_LERP);
  state.setStageState(1, D3DTSS_COLORARG0, D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE);
  state.setStageState(1, D3DTSS_COLORARG1, D3DTA_SPECULAR | D3DTA_COMPLEMENT);
  state.setStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  state.setStageState(1, D3DTSS_ALPHAOP, D3DTOP_ADD);
  state.setStageState(1, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  state.setStageState(1, D3DTSS_RESULTARG, D3DTA_TEMP);
  state.setStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  state.setRenderState(D3DRS_FOGENABLE, TRUE);
  state.setRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
  state.setRenderState(D3DRS_RANGEFOGENABLE, TRUE);
  state.setRenderState(D3DRS_ALPHATESTENABLE, TRUE);
  state.setRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
  D3DLIGHT9 spot{};
  spot.Type = D3DLIGHT_SPOT;
  state.setLight(4, spot);
  state.enableLight(4, true);
  const DecodedKey k = decodeFixedFunctionKey(keyOf(state, D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1));
  EXPECT_TRUE(k.hasNormal);
  EXPECT_EQ(k.texCount, 1u);
  EXPECT_TRUE(k.lighting);
  EXPECT_EQ(k.lightCount, 1u);
  EXPECT_EQ(k.lightKinds[0], D3DLIGHT_SPOT);
  EXPECT_TRUE(k.fog);
  EXPECT_EQ(k.fogVertexMode, DWORD(D3DFOG_LINEAR));
  EXPECT_TRUE(k.rangeFog);
  EXPECT_EQ(k.alphaFunc, DWORD(D3DCMP_GREATEREQUAL));
  ASSERT_EQ(k.stageCount, 2u);
  EXPECT_EQ(k.stages[0].colorOp, DWORD(D3DTOP_SELECTARG2));
  EXPECT_EQ(k.stages[1].colorOp, DWORD(D3DTOP_LERP));
  EXPECT_EQ(k.stages[1].colorArg0, D3DTA_TFACTOR | D3DTA_ALPHAREPLICATE);
  EXPECT_EQ(k.stages[1].colorArg1, D3DTA_SPECULAR | D3DTA_COMPLEMENT);
  EXPECT_EQ(k.stages[1].alphaOp, DWORD(D3DTOP_ADD));
  EXPECT_TRUE(k.stages[1].resultToTemp);
  // Pre-transformed vertices are never lit and get no vertex fog.
  const DecodedKey rhw = decodeFixedFunctionKey(keyOf(state, D3DFVF_XYZRHW | D3DFVF_DIFFUSE));
  EXPECT_FALSE(rhw.lighting);
  EXPECT_EQ(rhw.fogVertexMode, DWORD(D3DFOG_NONE));
}

TEST(FixedFunctionKey, StageReadingAMissingTextureEndsTheCascade) {
  DeviceState state;
  state.setStageState(1, D3DTSS_COLOROP, D3DTOP_ADD);
  const DecodedKey k = decodeFixedFunctionKey(keyOf(state, D3DFVF_XYZ | D3DFVF_DIFFUSE));
  EXPECT_EQ(k.stageCount, 0u); // stage 0 modulates a texture it does not have
}

} // namespace
