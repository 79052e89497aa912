// An OpenGL 3.3 core context on an SDL window, and what the driver behind it can do.
#pragma once

#include "platform/d3d9/d3d9types.h"

#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

namespace d3d9 {

struct GlFeatures {
  int version = 0; // major * 10 + minor
  bool clipControl = false;
  bool s3tc = false;
  bool anisotropy = false;
  float maxAnisotropy = 1.0f;
  bool mirrorClampToEdge = false;
  int maxTextureSize = 0;
  float maxPointSize = 1.0f;
  std::string renderer;
  std::vector<UINT> sampleCounts;           // multisample counts above 1 usable for the back buffer
  std::vector<D3DFORMAT> backBufferFormats; // colour formats a framebuffer can render to
  std::vector<D3DFORMAT> depthFormats;      // depth formats a framebuffer can use
  std::vector<UINT> swapIntervals;          // intervals the window system accepts (0 = immediate)
};

class GlContext {
public:
  // A context on `window` (made with SDL_WINDOW_OPENGL); null with `failure` set when none
  // can be made. Without `allowClipControl` the context emulates Direct3D's clip space in
  // the shaders even when glClipControl exists (tests run that path too).
  static std::shared_ptr<GlContext> create(SDL_Window* window, bool allowClipControl, std::string& failure);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes the context current on its window (cheap when it already is).
  void makeCurrent();
  SDL_Window* window() const { return window_; }
  const GlFeatures& features() const { return features_; }
  bool useClipControl() const { return useClipControl_; }

private:
  GlContext() = default;

  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;
  GlFeatures features_;
  bool useClipControl_ = false;
};

// What OpenGL offers on this machine, found with a hidden window and a throwaway context;
// false with `failure` set when no context can be made.
bool probeGlFeatures(GlFeatures& features, std::string& failure);

} // namespace d3d9
