#include "platform/d3d9/gl/GlStateApplier.h"

#include "platform/d3d9/Resources.h"
#include "platform/d3d9/gl/GlResources.h"

#include <algorithm>
#include <cmath>

namespace d3d9 {
namespace {

// D3DCMPFUNC and OpenGL's comparison functions list the same tests in the same order.
GLenum compareFunction(DWORD func) {
  return (func >= D3DCMP_NEVER && func <= D3DCMP_ALWAYS) ? GL_NEVER + (func - D3DCMP_NEVER) : GL_ALWAYS;
}

GLenum blendFactor(DWORD blend) {
  switch (blend) {
  case D3DBLEND_ZERO:
    return GL_ZERO;
  case D3DBLEND_ONE:
    return GL_ONE;
  case D3DBLEND_SRCCOLOR:
    return GL_SRC_COLOR;
  case D3DBLEND_INVSRCCOLOR:
    return GL_ONE_MINUS_SRC_COLOR;
  case D3DBLEND_SRCALPHA:
    return GL_SRC_ALPHA;
  case D3DBLEND_INVSRCALPHA:
    return GL_ONE_MINUS_SRC_ALPHA;
  case D3DBLEND_DESTALPHA:
    return GL_DST_ALPHA;
  case D3DBLEND_INVDESTALPHA:
    return GL_ONE_MINUS_DST_ALPHA;
  case D3DBLEND_DESTCOLOR:
    return GL_DST_COLOR;
  case D3DBLEND_INVDESTCOLOR:
    return GL_ONE_MINUS_DST_COLOR;
  case D3DBLEND_SRCALPHASAT:
    return GL_SRC_ALPHA_SATURATE;
  case D3DBLEND_BLENDFACTOR:
    return GL_CONSTANT_COLOR;
  case D3DBLEND_INVBLENDFACTOR:
    return GL_ONE_MINUS_CONSTANT_COLOR;
  default:
    return GL_ONE;
  }
}

GLenum blendEquation(DWORD op) {
  switch (op) {
  case D3DBLENDOP_SUBTRACT:
    return GL_FUNC_SUBTRACT;
  case D3DBLENDOP_REVSUBTRACT:
    return GL_FUNC_REVERSE_SUBTRACT;
  case D3DBLENDOP_MIN:
    return GL_MIN;
  case D3DBLENDOP_MAX:
    return GL_MAX;
  default:
    return GL_FUNC_ADD;
  }
}

// The obsolete "both" factors set source and destination together.
void resolveBoth(DWORD& src, DWORD& dst) {
  if (src == D3DBLEND_BOTHSRCALPHA) {
    src = D3DBLEND_SRCALPHA;
    dst = D3DBLEND_INVSRCALPHA;
  } else if (src == D3DBLEND_BOTHINVSRCALPHA) {
    src = D3DBLEND_INVSRCALPHA;
    dst = D3DBLEND_SRCALPHA;
  }
}

GLenum stencilOp(DWORD op) {
  switch (op) {
  case D3DSTENCILOP_ZERO:
    return GL_ZERO;
  case D3DSTENCILOP_REPLACE:
    return GL_REPLACE;
  case D3DSTENCILOP_INCRSAT:
    return GL_INCR;
  case D3DSTENCILOP_DECRSAT:
    return GL_DECR;
  case D3DSTENCILOP_INVERT:
    return GL_INVERT;
  case D3DSTENCILOP_INCR:
    return GL_INCR_WRAP;
  case D3DSTENCILOP_DECR:
    return GL_DECR_WRAP;
  default:
    return GL_KEEP;
  }
}

GLint addressMode(DWORD address, bool mirrorOnce) {
  switch (address) {
  case D3DTADDRESS_MIRROR:
    return GL_MIRRORED_REPEAT;
  case D3DTADDRESS_CLAMP:
    return GL_CLAMP_TO_EDGE;
  case D3DTADDRESS_BORDER:
    return GL_CLAMP_TO_BORDER;
  case D3DTADDRESS_MIRRORONCE:
    return mirrorOnce ? GL_MIRROR_CLAMP_TO_EDGE : GL_MIRRORED_REPEAT;
  default:
    return GL_REPEAT;
  }
}

bool isPoint(DWORD filter) { return filter == D3DTEXF_NONE || filter == D3DTEXF_POINT; }

template <class T> bool update(T& cached, const T& desired, bool force) {
  if (!force && cached == desired) return false;
  cached = desired;
  return true;
}

} // namespace

GlStateApplier::GlStateApplier(GlRuntime& runtime) : runtime_(runtime), gl_(runtime.gl()) {}

GlStateApplier::~GlStateApplier() {
  runtime_.makeCurrent();
  glDeleteSamplers(static_cast<GLsizei>(samplers_.size()), samplers_.data());
}

void GlStateApplier::initialize(bool clipControl) {
  gl_.state(glPixelStorei, GL_UNPACK_ALIGNMENT, 1);
  gl_.state(glPixelStorei, GL_PACK_ALIGNMENT, 1);
  if (clipControl) gl_.state(glClipControl, GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  // Direct3D's front faces wind clockwise on screen. With the upper-left origin OpenGL
  // negates its winding test, so "clockwise" means the same on both sides; without it the
  // vertex shader flips y, which turns screen-clockwise into OpenGL's counter-clockwise.
  gl_.state(glFrontFace, clipControl ? GL_CW : GL_CCW);
  gl_.state(glProvokingVertex, GL_FIRST_VERTEX_CONVENTION); // flat shading uses the first vertex
  gl_.call(glGenSamplers, static_cast<GLsizei>(samplers_.size()), samplers_.data());
  for (GLuint unit = 0; unit < samplers_.size(); ++unit)
    gl_.state(glBindSampler, unit, samplers_[unit]);
}

void GlStateApplier::enable(GLenum capability, int& cached, bool on) {
  if (!update(cached, on ? 1 : 0, runtime_.forceAll())) return;
  if (on)
    gl_.state(glEnable, capability);
  else
    gl_.state(glDisable, capability);
}

void GlStateApplier::apply(DeviceState& state, UINT depthBits) {
  state.markDirty(disturbed_);
  disturbed_ = 0;
  const std::uint32_t dirty = state.dirty();
  if (dirty & kDirtyDepth) applyDepth(state);
  if (dirty & kDirtyBlend) applyBlend(state);
  if (dirty & kDirtyRaster) applyRaster(state, depthBits);
  if (dirty & kDirtyStencil) applyStencil(state);
  if (dirty & kDirtyColorMask) setColorMask(state.renderState(D3DRS_COLORWRITEENABLE));
  if (dirty & kDirtyViewport) applyViewport(state);
  if (dirty & kDirtyScissor) applyScissor(state);
  if ((dirty & kDirtyTextures) || texturesDisturbed_) applyTextures(state, texturesDisturbed_);
  texturesDisturbed_ = false;
  if (dirty & kDirtySamplers) {
    for (UINT stage = 0; stage < kStageCount; ++stage)
      if (state.dirtySamplers() & (1u << stage)) applySampler(state, stage);
  }
  state.clearDirty(kDirtyDepth | kDirtyBlend | kDirtyRaster | kDirtyStencil | kDirtyColorMask | kDirtyViewport |
                   kDirtyScissor | kDirtyTextures | kDirtySamplers);
  disturbed_ = 0; // what the groups set just now is what the state asks for
}

void GlStateApplier::applyDepth(const DeviceState& state) {
  enable(GL_DEPTH_TEST, depthTest_, state.renderState(D3DRS_ZENABLE) != D3DZB_FALSE);
  setDepthMask(state.renderState(D3DRS_ZWRITEENABLE) != FALSE);
  if (update(depthFunc_, compareFunction(state.renderState(D3DRS_ZFUNC)), runtime_.forceAll()))
    gl_.state(glDepthFunc, depthFunc_);
}

void GlStateApplier::applyBlend(const DeviceState& state) {
  const bool on = state.renderState(D3DRS_ALPHABLENDENABLE) != FALSE;
  enable(GL_BLEND, blend_, on);
  if (!on) return; // factors only matter while blending; they are checked when it is turned on
  DWORD src = state.renderState(D3DRS_SRCBLEND), dst = state.renderState(D3DRS_DESTBLEND);
  resolveBoth(src, dst);
  DWORD srcAlpha = src, dstAlpha = dst;
  DWORD op = state.renderState(D3DRS_BLENDOP), opAlpha = op;
  if (state.renderState(D3DRS_SEPARATEALPHABLENDENABLE) != FALSE) {
    srcAlpha = state.renderState(D3DRS_SRCBLENDALPHA);
    dstAlpha = state.renderState(D3DRS_DESTBLENDALPHA);
    resolveBoth(srcAlpha, dstAlpha);
    opAlpha = state.renderState(D3DRS_BLENDOPALPHA);
  }
  const bool force = runtime_.forceAll();
  bool factors = update(blendSrc_, blendFactor(src), force);
  factors = update(blendDst_, blendFactor(dst), force) || factors;
  factors = update(blendSrcAlpha_, blendFactor(srcAlpha), force) || factors;
  factors = update(blendDstAlpha_, blendFactor(dstAlpha), force) || factors;
  if (factors) gl_.state(glBlendFuncSeparate, blendSrc_, blendDst_, blendSrcAlpha_, blendDstAlpha_);
  bool equations = update(equation_, blendEquation(op), force);
  equations = update(equationAlpha_, blendEquation(opAlpha), force) || equations;
  if (equations) gl_.state(glBlendEquationSeparate, equation_, equationAlpha_);
  const bool usesFactor = src == D3DBLEND_BLENDFACTOR || src == D3DBLEND_INVBLENDFACTOR ||
                          dst == D3DBLEND_BLENDFACTOR || dst == D3DBLEND_INVBLENDFACTOR ||
                          srcAlpha == D3DBLEND_BLENDFACTOR || srcAlpha == D3DBLEND_INVBLENDFACTOR ||
                          dstAlpha == D3DBLEND_BLENDFACTOR || dstAlpha == D3DBLEND_INVBLENDFACTOR;
  const DWORD color = state.renderState(D3DRS_BLENDFACTOR);
  if (usesFactor && (force || !blendColorKnown_ || blendColor_ != color)) {
    const std::array<float, 4> c = colorFloats(color);
    gl_.state(glBlendColor, c[0], c[1], c[2], c[3]);
    blendColor_ = color;
    blendColorKnown_ = true;
  }
}

void GlStateApplier::applyRaster(const DeviceState& state, UINT depthBits) {
  const bool force = runtime_.forceAll();
  const DWORD cull = state.renderState(D3DRS_CULLMODE);
  const bool culling = cull == D3DCULL_CW || cull == D3DCULL_CCW;
  enable(GL_CULL_FACE, cull_, culling);
  // Front faces are Direct3D's clockwise ones (see initialize).
  if (culling && update(cullFace_, GLenum(cull == D3DCULL_CCW ? GL_BACK : GL_FRONT), force))
    gl_.state(glCullFace, cullFace_);

  const DWORD fill = state.renderState(D3DRS_FILLMODE);
  const GLenum mode = fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL;
  if (update(polygonMode_, mode, force)) gl_.state(glPolygonMode, GL_FRONT_AND_BACK, polygonMode_);

  // Direct3D's depth bias is in depth units; OpenGL's in steps of the depth buffer.
  const float bias = state.renderStateFloat(D3DRS_DEPTHBIAS);
  const float slope = state.renderStateFloat(D3DRS_SLOPESCALEDEPTHBIAS);
  const bool offset = bias != 0.0f || slope != 0.0f;
  enable(GL_POLYGON_OFFSET_FILL, offsetFill_, offset);
  enable(GL_POLYGON_OFFSET_LINE, offsetLine_, offset);
  enable(GL_POLYGON_OFFSET_POINT, offsetPoint_, offset);
  if (offset) {
    const float units = bias * std::ldexp(1.0f, static_cast<int>(depthBits ? depthBits : 24));
    const bool a = update(offsetFactor_, slope, force);
    if (update(offsetUnits_, units, force) || a) gl_.state(glPolygonOffset, offsetFactor_, offsetUnits_);
  }
  enable(GL_MULTISAMPLE, multisample_, state.renderState(D3DRS_MULTISAMPLEANTIALIAS) != FALSE);
  const float size = std::max(1.0f, state.renderStateFloat(D3DRS_POINTSIZE));
  if (update(pointSize_, size, force)) gl_.state(glPointSize, pointSize_);
}

void GlStateApplier::setPointSize(float size) {
  if (update(pointSize_, size, runtime_.forceAll())) gl_.state(glPointSize, pointSize_);
  disturbed_ |= kDirtyRaster;
}

void GlStateApplier::applyStencil(const DeviceState& state) {
  const bool on = state.renderState(D3DRS_STENCILENABLE) != FALSE;
  enable(GL_STENCIL_TEST, stencil_, on);
  if (!on) return;
  const bool twoSided = state.renderState(D3DRS_TWOSIDEDSTENCILMODE) != FALSE;
  const GLint ref = static_cast<GLint>(state.renderState(D3DRS_STENCILREF));
  const GLint mask = static_cast<GLint>(state.renderState(D3DRS_STENCILMASK));
  // OpenGL's front faces are Direct3D's clockwise ones; the CCW states apply to the back.
  const D3DRENDERSTATETYPE backFunc = twoSided ? D3DRS_CCW_STENCILFUNC : D3DRS_STENCILFUNC;
  const D3DRENDERSTATETYPE backFail = twoSided ? D3DRS_CCW_STENCILFAIL : D3DRS_STENCILFAIL;
  const D3DRENDERSTATETYPE backZFail = twoSided ? D3DRS_CCW_STENCILZFAIL : D3DRS_STENCILZFAIL;
  const D3DRENDERSTATETYPE backPass = twoSided ? D3DRS_CCW_STENCILPASS : D3DRS_STENCILPASS;
  const std::array<GLint, 12> desired{GLint(compareFunction(state.renderState(D3DRS_STENCILFUNC))),
                                      ref,
                                      mask,
                                      GLint(stencilOp(state.renderState(D3DRS_STENCILFAIL))),
                                      GLint(stencilOp(state.renderState(D3DRS_STENCILZFAIL))),
                                      GLint(stencilOp(state.renderState(D3DRS_STENCILPASS))),
                                      GLint(compareFunction(state.renderState(backFunc))),
                                      ref,
                                      mask,
                                      GLint(stencilOp(state.renderState(backFail))),
                                      GLint(stencilOp(state.renderState(backZFail))),
                                      GLint(stencilOp(state.renderState(backPass)))};
  const bool force = runtime_.forceAll() || !stencilKnown_;
  const std::array<GLint, 12> previous = stencilFunctions_;
  stencilFunctions_ = desired;
  stencilKnown_ = true;
  for (int face = 0; face < 2; ++face) {
    const GLenum glFace = face == 0 ? GL_FRONT : GL_BACK;
    const int b = face * 6;
    if (force || !std::equal(desired.begin() + b, desired.begin() + b + 3, previous.begin() + b))
      gl_.state(glStencilFuncSeparate, glFace, GLenum(desired[b]), desired[b + 1], GLuint(desired[b + 2]));
    if (force || !std::equal(desired.begin() + b + 3, desired.begin() + b + 6, previous.begin() + b + 3))
      gl_.state(glStencilOpSeparate, glFace, GLenum(desired[b + 3]), GLenum(desired[b + 4]), GLenum(desired[b + 5]));
  }
  setStencilWriteMask(state.renderState(D3DRS_STENCILWRITEMASK));
}

void GlStateApplier::applyViewport(const DeviceState& state) {
  const D3DVIEWPORT9& v = state.viewport();
  // The render target is stored top row first, so Direct3D's top-left origin is kept.
  setViewport(GLint(v.X), GLint(v.Y), GLsizei(v.Width), GLsizei(v.Height), v.MinZ, v.MaxZ);
}

void GlStateApplier::applyScissor(const DeviceState& state) {
  const RECT& r = state.scissorRect();
  setScissor(state.renderState(D3DRS_SCISSORTESTENABLE) != FALSE, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void GlStateApplier::applyTextures(const DeviceState& state, bool allStages) {
  for (UINT stage = 0; stage < kStageCount; ++stage) {
    if (!allStages && !(state.dirtyTextureStages() & (1u << stage))) continue;
    const Texture* texture = state.texture(stage);
    const auto* backend = texture ? static_cast<const GlTexture*>(texture->backend()) : nullptr;
    runtime_.bindTexture(stage, backend ? backend->name() : 0);
  }
}

void GlStateApplier::applySampler(const DeviceState& state, UINT stage) {
  const bool force = runtime_.forceAll();
  Sampler& s = samplerShadow_[stage];
  const GLuint sampler = samplers_[stage];
  const bool mirrorOnce = runtime_.context().features().mirrorClampToEdge;
  if (update(s.wrapS, addressMode(state.samplerState(stage, D3DSAMP_ADDRESSU), mirrorOnce), force))
    gl_.state(glSamplerParameteri, sampler, GL_TEXTURE_WRAP_S, s.wrapS);
  if (update(s.wrapT, addressMode(state.samplerState(stage, D3DSAMP_ADDRESSV), mirrorOnce), force))
    gl_.state(glSamplerParameteri, sampler, GL_TEXTURE_WRAP_T, s.wrapT);
  const DWORD magFilter = state.samplerState(stage, D3DSAMP_MAGFILTER);
  const DWORD minFilter = state.samplerState(stage, D3DSAMP_MINFILTER);
  const DWORD mipFilter = state.samplerState(stage, D3DSAMP_MIPFILTER);
  if (update(s.magFilter, GLint(isPoint(magFilter) ? GL_NEAREST : GL_LINEAR), force))
    gl_.state(glSamplerParameteri, sampler, GL_TEXTURE_MAG_FILTER, s.magFilter);
  GLint minGl;
  if (mipFilter == D3DTEXF_NONE)
    minGl = isPoint(minFilter) ? GL_NEAREST : GL_LINEAR;
  else if (mipFilter == D3DTEXF_POINT)
    minGl = isPoint(minFilter) ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
  else
    minGl = isPoint(minFilter) ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
  if (update(s.minFilter, minGl, force)) gl_.state(glSamplerParameteri, sampler, GL_TEXTURE_MIN_FILTER, s.minFilter);
  if (update(s.lodBias, floatFromBits(state.samplerState(stage, D3DSAMP_MIPMAPLODBIAS)), force))
    gl_.state(glSamplerParameterf, sampler, GL_TEXTURE_LOD_BIAS, s.lodBias);
  if (update(s.minLod, float(state.samplerState(stage, D3DSAMP_MAXMIPLEVEL)), force))
    gl_.state(glSamplerParameterf, sampler, GL_TEXTURE_MIN_LOD, s.minLod);
  const GlFeatures& features = runtime_.context().features();
  if (features.anisotropy) {
    const bool anisotropic = magFilter == D3DTEXF_ANISOTROPIC || minFilter == D3DTEXF_ANISOTROPIC;
    const float level =
        anisotropic ? std::clamp(float(state.samplerState(stage, D3DSAMP_MAXANISOTROPY)), 1.0f, features.maxAnisotropy)
                    : 1.0f;
    if (update(s.anisotropy, level, force))
      gl_.state(glSamplerParameterf, sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, s.anisotropy);
  }
  const DWORD border = state.samplerState(stage, D3DSAMP_BORDERCOLOR);
  if (force || !s.borderKnown || s.border != border) {
    const std::array<float, 4> c = colorFloats(border);
    gl_.state(glSamplerParameterfv, sampler, GL_TEXTURE_BORDER_COLOR, c.data());
    s.border = border;
    s.borderKnown = true;
  }
}

void GlStateApplier::setDepthMask(bool write) {
  if (update(depthMask_, write ? 1 : 0, runtime_.forceAll())) gl_.state(glDepthMask, GLboolean(write));
  disturbed_ |= kDirtyDepth;
}

void GlStateApplier::setColorMask(DWORD mask) {
  mask &= 0xF;
  if (update(colorMask_, mask, runtime_.forceAll()))
    gl_.state(glColorMask, GLboolean(mask & D3DCOLORWRITEENABLE_RED),
              GLboolean((mask & D3DCOLORWRITEENABLE_GREEN) != 0), GLboolean((mask & D3DCOLORWRITEENABLE_BLUE) != 0),
              GLboolean((mask & D3DCOLORWRITEENABLE_ALPHA) != 0));
  disturbed_ |= kDirtyColorMask;
}

void GlStateApplier::setStencilWriteMask(GLuint mask) {
  if (runtime_.forceAll() || !stencilWriteMaskKnown_ || stencilWriteMask_ != GLint(mask)) {
    gl_.state(glStencilMask, mask);
    stencilWriteMask_ = GLint(mask);
    stencilWriteMaskKnown_ = true;
  }
  disturbed_ |= kDirtyStencil;
}

void GlStateApplier::setScissor(bool enabled, GLint x, GLint y, GLsizei width, GLsizei height) {
  enable(GL_SCISSOR_TEST, scissor_, enabled);
  if (enabled && update(scissorBox_, std::array<GLint, 4>{x, y, width, height}, runtime_.forceAll()))
    gl_.state(glScissor, x, y, width, height);
  disturbed_ |= kDirtyScissor;
}

void GlStateApplier::setViewport(GLint x, GLint y, GLsizei width, GLsizei height, float nearZ, float farZ) {
  const bool force = runtime_.forceAll();
  if (update(viewport_, std::array<GLint, 4>{x, y, width, height}, force)) gl_.state(glViewport, x, y, width, height);
  if (force || depthRange_[0] != nearZ || depthRange_[1] != farZ) {
    gl_.state(glDepthRange, double(nearZ), double(farZ));
    depthRange_[0] = nearZ;
    depthRange_[1] = farZ;
  }
  disturbed_ |= kDirtyViewport;
}

void GlStateApplier::preparePlainPass() {
  enable(GL_DEPTH_TEST, depthTest_, false);
  enable(GL_BLEND, blend_, false);
  enable(GL_CULL_FACE, cull_, false);
  enable(GL_STENCIL_TEST, stencil_, false);
  setScissor(false, 0, 0, 0, 0);
  setColorMask(0xF);
  if (update(polygonMode_, GLenum(GL_FILL), runtime_.forceAll())) gl_.state(glPolygonMode, GL_FRONT_AND_BACK, GL_FILL);
  disturbed_ |= kDirtyDepth | kDirtyBlend | kDirtyRaster | kDirtyStencil;
}

} // namespace d3d9
