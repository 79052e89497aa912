// Turns the dirty groups of the Direct3D state into OpenGL state. It remembers what it last
// sent, so an unchanged value costs no OpenGL call, unless the runtime is told to force
// everything. Clears and the present pass change OpenGL state through the same setters and
// leave a note, so the next draw re-checks the groups they disturbed.
#pragma once

#include "platform/d3d9/DeviceState.h"
#include "platform/d3d9/gl/GlRuntime.h"

#include <array>

namespace d3d9 {

class GlStateApplier {
public:
  explicit GlStateApplier(GlRuntime& runtime);
  ~GlStateApplier();

  // One-time state of a new context: pixel store, winding, provoking vertex, clip control,
  // one sampler object per stage.
  void initialize(bool clipControl);
  // Applies the dirty render-state groups, texture bindings and samplers; clears those bits.
  // `depthBits` is the depth buffer's precision (for depth bias).
  void apply(DeviceState& state, UINT depthBits);

  // For clears and the present pass.
  void setDepthMask(bool write);
  void setColorMask(DWORD mask);
  void setStencilWriteMask(GLuint mask);
  void setScissor(bool enabled, GLint x, GLint y, GLsizei width, GLsizei height);
  void setViewport(GLint x, GLint y, GLsizei width, GLsizei height, float nearZ, float farZ);
  void setPointSize(float size);
  // Depth test, blending, culling, stencil and scissor off; solid fill; all colours written.
  void preparePlainPass();
  // Texture units were rebound behind the state's back (present pass, uploads).
  void disturbTextureUnits() { texturesDisturbed_ = true; }

private:
  struct Sampler {
    GLint wrapS = -1, wrapT = -1, minFilter = -1, magFilter = -1;
    float lodBias = -1e30f, minLod = -1e30f, anisotropy = -1.0f;
    DWORD border = 0;
    bool borderKnown = false;
  };

  void applyDepth(const DeviceState& state);
  void applyBlend(const DeviceState& state);
  void applyRaster(const DeviceState& state, UINT depthBits);
  void applyStencil(const DeviceState& state);
  void applyViewport(const DeviceState& state);
  void applyScissor(const DeviceState& state);
  void applyTextures(const DeviceState& state, bool allStages);
  void applySampler(const DeviceState& state, UINT stage);
  void enable(GLenum capability, int& cached, bool on);

  GlRuntime& runtime_;
  GlCounter& gl_;
  std::uint32_t disturbed_ = 0; // groups changed behind the state's back (clears, present)
  bool texturesDisturbed_ = false;

  int depthTest_ = -1, depthMask_ = -1;
  GLenum depthFunc_ = 0;
  int blend_ = -1;
  GLenum blendSrc_ = 0, blendDst_ = 0, blendSrcAlpha_ = 0, blendDstAlpha_ = 0, equation_ = 0, equationAlpha_ = 0;
  DWORD blendColor_ = 0;
  bool blendColorKnown_ = false;
  int cull_ = -1;
  GLenum cullFace_ = 0;
  GLenum polygonMode_ = 0;
  int offsetFill_ = -1, offsetLine_ = -1, offsetPoint_ = -1;
  float offsetFactor_ = -1e30f, offsetUnits_ = -1e30f;
  int multisample_ = -1;
  float pointSize_ = -1.0f;
  int stencil_ = -1;
  std::array<GLint, 12> stencilFunctions_{}; // front/back: func, ref, mask, fail, zfail, pass
  bool stencilKnown_ = false;
  GLint stencilWriteMask_ = -1;
  bool stencilWriteMaskKnown_ = false;
  DWORD colorMask_ = ~0u;
  std::array<GLint, 4> viewport_{-1, -1, -1, -1};
  float depthRange_[2] = {-1.0f, -1.0f};
  int scissor_ = -1;
  std::array<GLint, 4> scissorBox_{-1, -1, -1, -1};
  std::array<GLuint, kStageCount> samplers_{};
  std::array<Sampler, kStageCount> samplerShadow_{};
};

} // namespace d3d9
