#include "engine/scene/RenderSettings.h"

#include <algorithm>

#include "engine/render/StateCache.h"
#include "engine/resources/textures/Texture.h"

namespace engine {

namespace {

constexpr unsigned kReadsArg0 = 1;
constexpr unsigned kReadsArg1 = 2;
constexpr unsigned kReadsArg2 = 4;

bool reads(DWORD op, DWORD arg0, DWORD arg1, DWORD arg2, DWORD source) {
  const unsigned read = argumentsRead(op);
  return ((read & kReadsArg0) && argumentIs(arg0, source)) || ((read & kReadsArg1) && argumentIs(arg1, source)) ||
         ((read & kReadsArg2) && argumentIs(arg2, source));
}

// Reads argument 1 or 2 (the factor test looks at these two only).
bool readsOneOrTwo(DWORD op, DWORD arg1, DWORD arg2, DWORD source) {
  const unsigned read = argumentsRead(op);
  return ((read & kReadsArg1) && argumentIs(arg1, source)) || ((read & kReadsArg2) && argumentIs(arg2, source));
}

bool hasAlphaChannel(const StageSettings& stage) { return stage.texture && stage.texture->hasAlpha(); }

// Sets the device states of one stage; a helper object so the running "factor used" mark
// and the success of every call travel along.
class StageApplier {
public:
  StageApplier(const RenderSettings& settings, DWORD fvf, bool lighting)
      : settings_(settings), fvf_(fvf), lighting_(lighting) {}

  bool ok() const { return ok_; }

  // False when the stage ends the cascade.
  bool apply(DWORD i) {
    const StageSettings& stage = settings_.stages[i];
    if (stage.colorOp == D3DTOP_DISABLE) {
      stageState(i, D3DTSS_COLOROP, D3DTOP_DISABLE);
      return false;
    }
    texture(i, stage);
    colour(i, stage);
    alpha(i, stage);
    return true;
  }

private:
  void stageState(DWORD i, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    ok_ = stateCache().setTextureStageState(i, type, value) && ok_;
  }
  void sampler(DWORD i, D3DSAMPLERSTATETYPE type, DWORD value) {
    ok_ = stateCache().setSamplerState(i, type, value) && ok_;
  }

  bool readsTexture(const StageSettings& s) const {
    const bool colour = s.colorOp == kAutomaticOp
                            ? bool(s.texture)
                            : reads(s.colorOp, s.colorArg0, s.colorArg1, s.colorArg2, D3DTA_TEXTURE);
    const bool alpha = s.alphaOp == kAutomaticOp
                           ? bool(s.texture)
                           : reads(s.alphaOp, s.alphaArg0, s.alphaArg1, s.alphaArg2, D3DTA_TEXTURE);
    return colour || alpha;
  }

  void texture(DWORD i, const StageSettings& s) {
    if (!s.texture || !readsTexture(s)) {
      ok_ = stateCache().setTexture(i, nullptr) && ok_;
      return;
    }
    stageState(i, D3DTSS_TEXCOORDINDEX, s.texCoordIndex);
    D3DMATRIX transform;
    if (s.texture->coordinateTransform(transform)) {
      stageState(i, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
      ok_ = stateCache().setTransform(D3DTRANSFORMSTATETYPE(D3DTS_TEXTURE0 + i), transform) && ok_;
    } else {
      stageState(i, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
    }
    ok_ = stateCache().setTexture(i, s.texture->d3dTexture()) && ok_;
    sampler(i, D3DSAMP_ADDRESSU, s.addressU);
    sampler(i, D3DSAMP_ADDRESSV, s.addressV);
    sampler(i, D3DSAMP_MINFILTER, s.minFilter);
    sampler(i, D3DSAMP_MAGFILTER, s.magFilter);
    sampler(i, D3DSAMP_MIPFILTER, s.mipFilter);
  }

  void colour(DWORD i, const StageSettings& s) {
    if (s.colorOp != kAutomaticOp) {
      stageState(i, D3DTSS_COLOROP, s.colorOp);
      const unsigned read = argumentsRead(s.colorOp);
      if (read & kReadsArg0) stageState(i, D3DTSS_COLORARG0, s.colorArg0);
      if (read & kReadsArg1) stageState(i, D3DTSS_COLORARG1, s.colorArg1);
      if (read & kReadsArg2) stageState(i, D3DTSS_COLORARG2, s.colorArg2);
      return;
    }
    if (i > 0) {
      stageState(i, D3DTSS_COLORARG1, D3DTA_CURRENT);
      stageState(i, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
      stageState(i, D3DTSS_COLORARG2, s.texture ? D3DTA_TEXTURE : D3DTA_DIFFUSE);
      return;
    }
    if (!s.texture) {
      stageState(i, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
      stageState(i, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
      return;
    }
    stageState(i, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    if (lighting_ || (fvf_ & D3DFVF_DIFFUSE)) {
      stageState(i, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
      stageState(i, D3DTSS_COLOROP, D3DTOP_MODULATE);
    } else {
      stageState(i, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    }
  }

  void alpha(DWORD i, const StageSettings& s) {
    if (s.alphaOp != kAutomaticOp) {
      stageState(i, D3DTSS_ALPHAOP, s.alphaOp);
      const unsigned read = argumentsRead(s.alphaOp);
      if (read & kReadsArg0) stageState(i, D3DTSS_ALPHAARG0, s.alphaArg0);
      if (read & kReadsArg1) stageState(i, D3DTSS_ALPHAARG1, s.alphaArg1);
      if (read & kReadsArg2) stageState(i, D3DTSS_ALPHAARG2, s.alphaArg2);
      if (reads(s.alphaOp, s.alphaArg0, s.alphaArg1, s.alphaArg2, D3DTA_TFACTOR)) factorUsed_ = true;
      return;
    }
    const bool t = hasAlphaChannel(s);
    const bool f = !factorUsed_ && settings_.alphaFactor != 1.0f;
    if (t && f) {
      stageState(i, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
      stageState(i, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
      stageState(i, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
      factorUsed_ = true;
      return;
    }
    if (!t && !f) {
      stageState(i, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
      return;
    }
    if (f) factorUsed_ = true;
    const DWORD source = t ? D3DTA_TEXTURE : D3DTA_TFACTOR;
    if (i == 0) {
      stageState(i, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
      stageState(i, D3DTSS_ALPHAARG1, source);
    } else {
      stageState(i, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
      stageState(i, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
      stageState(i, D3DTSS_ALPHAARG2, source);
    }
  }

  const RenderSettings& settings_;
  DWORD fvf_;
  bool lighting_;
  bool factorUsed_ = false;
  bool ok_ = true;
};

} // namespace

unsigned argumentsRead(DWORD op) {
  switch (op) {
  case D3DTOP_DISABLE:
  case kAutomaticOp:
    return 0;
  case D3DTOP_SELECTARG1:
    return kReadsArg1;
  case D3DTOP_SELECTARG2:
    return kReadsArg2;
  case D3DTOP_MULTIPLYADD:
  case D3DTOP_LERP:
    return kReadsArg0 | kReadsArg1 | kReadsArg2;
  default:
    return kReadsArg1 | kReadsArg2;
  }
}

bool argumentIs(DWORD arg, DWORD source) { return (arg & D3DTA_SELECTMASK) == source; }

D3DMATERIAL9 RenderSettings::defaultMaterial() {
  D3DMATERIAL9 m{};
  m.Diffuse = {1.0f, 1.0f, 1.0f, 1.0f};
  m.Ambient = {1.0f, 1.0f, 1.0f, 1.0f};
  return m;
}

RenderSettings::RenderSettings() : material(defaultMaterial()) {
  for (int i = 0; i < kStageCount; ++i)
    stages[std::size_t(i)].texCoordIndex = DWORD(i);
  stages[0].colorOp = kAutomaticOp;
  stages[0].alphaOp = kAutomaticOp;
}

void RenderSettings::setAlphaSource(int mode) {
  StageSettings& s = stages[0];
  switch (mode) {
  case kAlphaNone:
    s.alphaOp = D3DTOP_DISABLE;
    break;
  case kAlphaFactor:
    s.alphaOp = D3DTOP_SELECTARG1;
    s.alphaArg1 = D3DTA_TFACTOR;
    break;
  case kAlphaTexture:
    s.alphaOp = D3DTOP_SELECTARG1;
    s.alphaArg1 = D3DTA_TEXTURE;
    break;
  case kAlphaFactorTexture:
    s.alphaOp = D3DTOP_MODULATE;
    s.alphaArg1 = D3DTA_TEXTURE;
    s.alphaArg2 = D3DTA_TFACTOR;
    break;
  case kAlphaDiffuse:
    s.alphaOp = D3DTOP_SELECTARG1;
    s.alphaArg1 = D3DTA_DIFFUSE;
    break;
  case kAlphaFactorDiffuse:
    s.alphaOp = D3DTOP_MODULATE;
    s.alphaArg1 = D3DTA_DIFFUSE;
    s.alphaArg2 = D3DTA_TFACTOR;
    break;
  case kAlphaTextureDiffuse:
    s.alphaOp = D3DTOP_MODULATE;
    s.alphaArg1 = D3DTA_TEXTURE;
    s.alphaArg2 = D3DTA_DIFFUSE;
    break;
  default:
    break;
  }
}

bool RenderSettings::usesAlpha() const {
  for (const StageSettings& s : stages) {
    if (s.alphaOp == D3DTOP_DISABLE) return false;
    if (s.alphaOp != kAutomaticOp) return true;
    if (hasAlphaChannel(s)) return true;
  }
  return false;
}

bool RenderSettings::usesFactor(bool alphaSide, bool colorSide) const {
  for (const StageSettings& s : stages) {
    if (s.colorOp == D3DTOP_DISABLE) return false;
    if (alphaSide && readsOneOrTwo(s.alphaOp, s.alphaArg1, s.alphaArg2, D3DTA_TFACTOR)) return true;
    if (colorSide && readsOneOrTwo(s.colorOp, s.colorArg1, s.colorArg2, D3DTA_TFACTOR)) return true;
  }
  return false;
}

bool RenderSettings::apply(DWORD fvf) const {
  StateCache& cache = stateCache();
  bool ok = true;
  auto state = [&](D3DRENDERSTATETYPE type, DWORD value) { ok = cache.setRenderState(type, value) && ok; };

  state(D3DRS_CULLMODE, cullMode);
  state(D3DRS_ZFUNC, zFunc);
  state(D3DRS_ZWRITEENABLE, zWrite ? TRUE : FALSE);
  ok = cache.setMaterial(material) && ok;

  bool blending = blend != kBlendAlpha;
  if (usesAlpha()) {
    state(D3DRS_ALPHAREF, 1);
    state(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    state(D3DRS_ALPHATESTENABLE, TRUE);
    blending = true;
  } else {
    state(D3DRS_ALPHATESTENABLE, FALSE);
    if (!blending) state(D3DRS_ALPHABLENDENABLE, FALSE);
  }
  if (blending) {
    state(D3DRS_ALPHABLENDENABLE, TRUE);
    state(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    state(D3DRS_DESTBLEND, blend == kBlendAdditive ? D3DBLEND_ONE : D3DBLEND_INVSRCALPHA);
  }

  if (usesFactor(true, false)) {
    // A factor outside 0..1 (or not a number, from a damaged file) would not fit the byte.
    const float factorInRange = alphaFactor >= 0.0f ? std::min(alphaFactor, 1.0f) : 0.0f;
    const DWORD alpha = DWORD(factorInRange * 255.0f);
    const DWORD factor = cache.getRenderState(D3DRS_TEXTUREFACTOR);
    state(D3DRS_TEXTUREFACTOR, (factor & 0x00FFFFFFu) | (alpha << 24));
  }

  const bool lighting = lit && (fvf & D3DFVF_NORMAL);
  state(D3DRS_LIGHTING, lighting ? TRUE : FALSE);
  state(D3DRS_DIFFUSEMATERIALSOURCE, lighting ? D3DMCS_MATERIAL : D3DMCS_COLOR1);

  StageApplier stagesApplier(*this, fvf, lighting);
  for (DWORD i = 0; i < DWORD(kStageCount); ++i)
    if (!stagesApplier.apply(i)) break;
  return ok && stagesApplier.ok();
}

} // namespace engine
