// The back buffer as an offscreen framebuffer (colour, depth-stencil, optional multisample)
// and the presentation: resolve, then draw it to the window through the gamma ramp.
//
// The framebuffer stores the image top row first (Direct3D's upper-left origin), so
// viewports, scissor rectangles and read-backs use Direct3D's coordinates unchanged; the
// present pass turns it upright for the window.
#pragma once

#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/gl/GlRuntime.h"
#include "platform/d3d9/gl/GlStateApplier.h"

#include <string>

namespace d3d9 {

class GlSwapChain {
public:
  GlSwapChain(GlRuntime& runtime, GlStateApplier& applier);
  ~GlSwapChain();

  // (Re)makes the framebuffers for the present parameters; false with `failure` set.
  bool configure(const D3DPRESENT_PARAMETERS& params, std::string& failure);
  // Makes the back buffer the target of clears and draws.
  void bindBackBuffer();
  // Shows the back buffer: resolves it, draws it to the window through `ramp`, swaps.
  void present(const D3DGAMMARAMP& ramp);
  // The last presented image after the ramp, rows top-down.
  bool readPresented(PresentedImage& image);

  UINT depthBits() const { return depthBits_; }

private:
  void release();
  void bindFramebuffer(GLuint framebuffer);
  void uploadRamp(const D3DGAMMARAMP& ramp);
  void drawPresentPass(GLuint target, GLsizei width, GLsizei height, bool flip);

  GlRuntime& runtime_;
  GlStateApplier& applier_;
  D3DPRESENT_PARAMETERS params_{};
  UINT depthBits_ = 0;
  GLuint framebuffer_ = 0;       // what draws render into
  GLuint colorTextures_[2] = {}; // without multisampling: back buffer and presented image, swapped
  GLuint multisampleColor_ = 0;  // with multisampling: the back buffer's colour
  GLuint depth_ = 0;
  GLuint presentedFramebuffer_ = 0; // resolve target (and read source) for the presented image
  GLuint presentedTexture_ = 0;
  bool presentedValid_ = false;
  GLuint boundFramebuffer_ = ~0u;

  GLuint rampTexture_ = 0;
  D3DGAMMARAMP uploadedRamp_{};
  bool rampKnown_ = false;
  GLuint presentProgram_ = 0;
  GLint sizeLocation_ = -1;
  GLuint emptyArray_ = 0;
  UINT swapInterval_ = ~0u;
};

} // namespace d3d9
