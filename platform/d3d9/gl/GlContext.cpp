#include "platform/d3d9/gl/GlContext.h"

#include "platform/d3d9/Runtime.h"
#include "platform/d3d9/gl/GlFormats.h"
#include "platform/win32/sdl_bridge.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdlib>

namespace d3d9 {
namespace {

void requestCoreProfile() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The device renders into its own framebuffer; the window only receives the result.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
  SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
}

// Whether a framebuffer with these attachments is complete on this driver.
bool framebufferWorks(GLenum color, GLenum depth, GLsizei samples) {
  GLuint framebuffer = 0, buffers[2] = {0, 0};
  glGenFramebuffers(1, &framebuffer);
  glGenRenderbuffers(2, buffers);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, color, 16, 16);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
  if (depth) {
    glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, depth, 16, 16);
    const GLenum attachment = depth == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, buffers[1]);
  }
  const bool complete =
      glGetError() == GL_NO_ERROR && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glDeleteRenderbuffers(2, buffers);
  glDeleteFramebuffers(1, &framebuffer);
  while (glGetError() != GL_NO_ERROR) {
  }
  return complete;
}

void probeCurrentContext(GlFeatures& f) {
  f.version = epoxy_gl_version();
  f.clipControl = f.version >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  f.s3tc = epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc");
  f.anisotropy = f.version >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                 epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic");
  if (f.anisotropy) glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &f.maxAnisotropy);
  f.mirrorClampToEdge = f.version >= 44 || epoxy_has_gl_extension("GL_ARB_texture_mirror_clamp_to_edge");
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &f.maxTextureSize);
  GLfloat pointSizes[2] = {1.0f, 1.0f};
  glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, pointSizes);
  f.maxPointSize = pointSizes[1];
  const GLubyte* renderer = glGetString(GL_RENDERER);
  f.renderer = renderer ? reinterpret_cast<const char*>(renderer) : "OpenGL";

  for (D3DFORMAT format :
       {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A2R10G10B10})
    if (framebufferWorks(glColorBufferFormat(format), 0, 0)) f.backBufferFormats.push_back(format);
  for (D3DFORMAT format : {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32})
    if (framebufferWorks(GL_RGBA8, glDepthBufferFormat(format), 0)) f.depthFormats.push_back(format);
  GLint maxSamples = 0;
  glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
  for (GLint samples = 2; samples <= maxSamples && samples <= 16; ++samples) {
    if (!framebufferWorks(GL_RGBA8, GL_DEPTH24_STENCIL8, samples)) continue;
    // A driver may round a request up; only offer counts it makes exactly.
    GLuint buffer = 0;
    GLint actual = 0;
    glGenRenderbuffers(1, &buffer);
    glBindRenderbuffer(GL_RENDERBUFFER, buffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, 4, 4);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, GL_RENDERBUFFER_SAMPLES, &actual);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glDeleteRenderbuffers(1, &buffer);
    if (actual == samples) f.sampleCounts.push_back(static_cast<UINT>(samples));
  }
  for (int interval = 0; interval <= 4; ++interval)
    if (SDL_GL_SetSwapInterval(interval) == 0) f.swapIntervals.push_back(static_cast<UINT>(interval));
  SDL_GL_SetSwapInterval(0);
}

} // namespace

std::shared_ptr<GlContext> GlContext::create(SDL_Window* window, bool allowClipControl, std::string& failure) {
  if (!window) {
    failure = "the device window is not an SDL window";
    return nullptr;
  }
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_OPENGL)) {
    failure = "the device window was not made for OpenGL";
    return nullptr;
  }
  if (const char* forced = std::getenv("TICKWOOD_FORCE_NO_OPENGL"); forced && std::string(forced) == "1") {
    failure = "no OpenGL 3.3 context: TICKWOOD_FORCE_NO_OPENGL is set";
    return nullptr;
  }
  requestCoreProfile();
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (!context) {
    failure = std::string("no OpenGL 3.3 context: ") + SDL_GetError();
    return nullptr;
  }
  std::shared_ptr<GlContext> result(new GlContext);
  result->window_ = window;
  result->context_ = context;
  if (epoxy_gl_version() < 33) {
    failure = "OpenGL 3.3 is not available";
    return nullptr;
  }
  probeCurrentContext(result->features_);
  result->useClipControl_ = allowClipControl && result->features_.clipControl;
  return result;
}

GlContext::~GlContext() {
  if (context_) {
    if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
  }
}

void GlContext::makeCurrent() {
  if (SDL_GL_GetCurrentContext() != context_ || SDL_GL_GetCurrentWindow() != window_)
    SDL_GL_MakeCurrent(window_, static_cast<SDL_GLContext>(context_));
}

bool probeGlFeatures(GlFeatures& features, std::string& failure) {
  if (!win32::ensureVideo()) {
    failure = std::string("no video: ") + SDL_GetError();
    return false;
  }
  // SDL unloads the OpenGL driver when its last OpenGL window goes; the probe's window would
  // be that, and the device's window would load the driver again. One reference for the
  // life of the process keeps the driver (and its own global state) loaded once.
  static const bool driverHeld = SDL_GL_LoadLibrary(nullptr) == 0;
  (void)driverHeld;
  SDL_Window* window = SDL_CreateWindow("probe", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 16, 16,
                                        SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (!window) {
    failure = std::string("no window: ") + SDL_GetError();
    return false;
  }
  SDL_GLContext previous = SDL_GL_GetCurrentContext();
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  bool ok = false;
  {
    std::shared_ptr<GlContext> context = GlContext::create(window, true, failure);
    if (context) {
      features = context->features();
      ok = true;
    }
  }
  SDL_DestroyWindow(window);
  if (previous) SDL_GL_MakeCurrent(previousWindow, previous);
  return ok;
}

bool runtimeAvailable(std::string& failure) {
  GlFeatures features;
  return probeGlFeatures(features, failure);
}

} // namespace d3d9
