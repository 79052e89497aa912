// How a drawable is drawn: eight fixed-function texture stages, blending, depth and
// culling, an alpha factor, lighting and a Direct3D material, and how these become device
// states before a draw.
#pragma once

#include <array>
#include <cstdint>

#include "engine/resources/textures/TextureRef.h"
#include "platform/d3d9/d3d9types.h"

namespace engine {

// A stage operation chosen at draw time from the stage's texture and the lighting.
constexpr DWORD kAutomaticOp = 100;
constexpr int kStageCount = 8;

// Alpha sources of stage 0 (setAlphaSource).
enum AlphaSource : int {
  kAlphaNone = 0,
  kAlphaFactor = 1,
  kAlphaTexture = 2,
  kAlphaFactorTexture = 3,
  kAlphaDiffuse = 4,
  kAlphaFactorDiffuse = 5,
  kAlphaTextureDiffuse = 6,
};

// `blend` values.
constexpr int kBlendAlpha = 0;
constexpr int kBlendAdditive = 1;

struct StageSettings {
  DWORD colorOp = D3DTOP_DISABLE;
  DWORD alphaOp = D3DTOP_DISABLE;
  DWORD colorArg0 = D3DTA_DIFFUSE;
  DWORD colorArg1 = D3DTA_TEXTURE;
  DWORD colorArg2 = D3DTA_DIFFUSE;
  DWORD alphaArg0 = D3DTA_DIFFUSE;
  DWORD alphaArg1 = D3DTA_TEXTURE;
  DWORD alphaArg2 = D3DTA_DIFFUSE;
  TextureRef texture;
  DWORD texCoordIndex = 0;
  DWORD addressU = D3DTADDRESS_WRAP;
  DWORD addressV = D3DTADDRESS_WRAP;
  DWORD minFilter = D3DTEXF_LINEAR;
  DWORD magFilter = D3DTEXF_LINEAR;
  DWORD mipFilter = D3DTEXF_LINEAR;
};

// Which arguments a stage operation reads (bit 0: argument 0, bit 1: 1, bit 2: 2).
unsigned argumentsRead(DWORD op);
// Whether a stage argument names `source` (modifier bits aside).
bool argumentIs(DWORD arg, DWORD source);

struct RenderSettings {
  std::array<StageSettings, kStageCount> stages;
  int blend = kBlendAlpha;
  DWORD zFunc = D3DCMP_LESSEQUAL;
  bool zWrite = true;
  DWORD cullMode = D3DCULL_CCW;
  float alphaFactor = 1.0f;
  bool lit = true;
  D3DMATERIAL9 material;

  // The defaults: stage 0 automatic, stages 1 to 7 disabled, each stage reading its own
  // coordinate set; white diffuse and ambient material.
  RenderSettings();

  static D3DMATERIAL9 defaultMaterial();

  // Sets stage 0's alpha operation and arguments from an AlphaSource.
  void setAlphaSource(int mode);
  // Whether the stages produce an alpha that must be tested and blended.
  bool usesAlpha() const;
  // Whether an enabled stage reads the texture factor on a side asked for.
  bool usesFactor(bool alphaSide, bool colorSide) const;

  // Sets every device state for the next draw through the state cache, for vertices of
  // format `fvf`. False when a state could not be set (no device).
  bool apply(DWORD fvf) const;
};

} // namespace engine
