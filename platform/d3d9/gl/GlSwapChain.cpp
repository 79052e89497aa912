#include "platform/d3d9/gl/GlSwapChain.h"

#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/gl/GlFormats.h"
#include "platform/d3d9/gl/GlProgramCache.h"
#include "platform/win32/sdl_bridge.h"

#include <SDL.h>

#include <array>
#include <cstring>

namespace d3d9 {
namespace {

const char* kPresentVertex = R"(#version 330 core
void main() {
  // One triangle that covers the whole target, whichever way y points.
  vec2 p = vec2(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0);
  gl_Position = vec4(p, 0.0, 1.0);
}
)";

// The gamma ramp is a 256-entry table per channel, indexed by the 8-bit channel value.
const char* kPresentFragment = R"(#version 330 core
uniform sampler2D uImage;
uniform sampler2D uRamp;
uniform vec4 uTarget; // width, height, 1 to turn the top-down image upright, 0
out vec4 fragColor;
void main() {
  ivec2 source = textureSize(uImage, 0);
  vec2 p = gl_FragCoord.xy / uTarget.xy;
  if (uTarget.z > 0.5) p.y = 1.0 - p.y;
  ivec2 texel = clamp(ivec2(p * vec2(source)), ivec2(0), source - 1);
  vec3 c = texelFetch(uImage, texel, 0).rgb;
  ivec3 i = ivec3(c * 255.0 + 0.5);
  fragColor = vec4(texelFetch(uRamp, ivec2(i.r, 0), 0).r, texelFetch(uRamp, ivec2(i.g, 0), 0).g,
                   texelFetch(uRamp, ivec2(i.b, 0), 0).b, 1.0);
}
)";

GLsizei samplesFor(const D3DPRESENT_PARAMETERS& params, const GlFeatures& features) {
  if (params.MultiSampleType == D3DMULTISAMPLE_NONMASKABLE) {
    const std::size_t quality = params.MultiSampleQuality;
    return quality < features.sampleCounts.size() ? GLsizei(features.sampleCounts[quality]) : 0;
  }
  return params.MultiSampleType >= D3DMULTISAMPLE_2_SAMPLES ? GLsizei(params.MultiSampleType) : 0;
}

UINT depthBitsOf(D3DFORMAT format) {
  switch (format) {
  case D3DFMT_D16:
    return 16;
  case D3DFMT_D32:
    return 32;
  default:
    return 24;
  }
}

int swapIntervalFor(UINT presentationInterval) {
  switch (presentationInterval) {
  case D3DPRESENT_INTERVAL_IMMEDIATE:
    return 0;
  case D3DPRESENT_INTERVAL_TWO:
    return 2;
  case D3DPRESENT_INTERVAL_THREE:
    return 3;
  case D3DPRESENT_INTERVAL_FOUR:
    return 4;
  default:
    return 1; // DEFAULT and ONE wait for one retrace
  }
}

} // namespace

GlSwapChain::GlSwapChain(GlRuntime& runtime, GlStateApplier& applier) : runtime_(runtime), applier_(applier) {}

GlSwapChain::~GlSwapChain() {
  runtime_.makeCurrent();
  release();
  if (rampTexture_) {
    runtime_.forgetTexture(rampTexture_);
    glDeleteTextures(1, &rampTexture_);
  }
  if (presentProgram_) glDeleteProgram(presentProgram_);
  if (emptyArray_) glDeleteVertexArrays(1, &emptyArray_);
}

void GlSwapChain::release() {
  for (GLuint& texture : colorTextures_) {
    if (texture) {
      runtime_.forgetTexture(texture);
      glDeleteTextures(1, &texture);
    }
    texture = 0;
  }
  if (presentedTexture_ && presentedTexture_ != colorTextures_[0] && presentedTexture_ != colorTextures_[1]) {
    runtime_.forgetTexture(presentedTexture_);
    glDeleteTextures(1, &presentedTexture_);
  }
  presentedTexture_ = 0;
  GLuint buffers[2] = {multisampleColor_, depth_};
  glDeleteRenderbuffers(2, buffers);
  multisampleColor_ = depth_ = 0;
  GLuint framebuffers[2] = {framebuffer_, presentedFramebuffer_};
  glDeleteFramebuffers(2, framebuffers);
  framebuffer_ = presentedFramebuffer_ = 0;
  boundFramebuffer_ = ~0u;
  presentedValid_ = false;
}

void GlSwapChain::bindFramebuffer(GLuint framebuffer) {
  if (boundFramebuffer_ == framebuffer && !runtime_.forceAll()) return;
  runtime_.gl().state(glBindFramebuffer, GL_FRAMEBUFFER, framebuffer);
  boundFramebuffer_ = framebuffer;
}

void GlSwapChain::bindBackBuffer() { bindFramebuffer(framebuffer_); }

bool GlSwapChain::configure(const D3DPRESENT_PARAMETERS& params, std::string& failure) {
  runtime_.makeCurrent();
  GlCounter& gl = runtime_.gl();
  release();
  params_ = params;
  const GlFeatures& features = runtime_.context().features();
  const GLsizei width = GLsizei(params.BackBufferWidth), height = GLsizei(params.BackBufferHeight);
  const GLenum colorFormat = glColorBufferFormat(params.BackBufferFormat);
  const GLsizei samples = samplesFor(params, features);
  const bool copy = samples > 0 || params.SwapEffect == D3DSWAPEFFECT_COPY;

  auto makeTexture = [&]() {
    GLuint texture = 0;
    gl.call(glGenTextures, 1, &texture);
    runtime_.bindForUpload(texture);
    gl.call(glTexParameteri, GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl.call(glTexImage2D, GL_TEXTURE_2D, 0, GLint(colorFormat), width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    return texture;
  };

  gl.call(glGenFramebuffers, 1, &framebuffer_);
  bindFramebuffer(framebuffer_);
  if (samples > 0) {
    gl.call(glGenRenderbuffers, 1, &multisampleColor_);
    gl.state(glBindRenderbuffer, GL_RENDERBUFFER, multisampleColor_);
    gl.call(glRenderbufferStorageMultisample, GL_RENDERBUFFER, samples, colorFormat, width, height);
    gl.call(glFramebufferRenderbuffer, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, multisampleColor_);
  } else {
    colorTextures_[0] = makeTexture();
    gl.call(glFramebufferTexture2D, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTextures_[0], 0);
  }
  depthBits_ = 0;
  if (params.EnableAutoDepthStencil) {
    const GLenum depthFormat = glDepthBufferFormat(params.AutoDepthStencilFormat);
    depthBits_ = depthBitsOf(params.AutoDepthStencilFormat);
    gl.call(glGenRenderbuffers, 1, &depth_);
    gl.state(glBindRenderbuffer, GL_RENDERBUFFER, depth_);
    gl.call(glRenderbufferStorageMultisample, GL_RENDERBUFFER, samples, depthFormat, width, height);
    const GLenum attachment = depthFormat == GL_DEPTH24_STENCIL8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    gl.call(glFramebufferRenderbuffer, GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, depth_);
  }
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    failure = "the back buffer framebuffer is incomplete";
    return false;
  }
  if (copy) {
    // The presented image is a copy (a resolve for multisampling; COPY keeps the back buffer).
    presentedTexture_ = makeTexture();
    gl.call(glGenFramebuffers, 1, &presentedFramebuffer_);
    bindFramebuffer(presentedFramebuffer_);
    gl.call(glFramebufferTexture2D, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, presentedTexture_, 0);
  } else {
    // Flipping: the back buffer and the presented image trade places at every present.
    colorTextures_[1] = makeTexture();
    presentedTexture_ = colorTextures_[1];
  }
  bindBackBuffer();

  if (!presentProgram_) {
    std::string log;
    presentProgram_ = linkProgram(gl, kPresentVertex, kPresentFragment, log);
    if (!presentProgram_) {
      failure = "the present program failed to build: " + log;
      return false;
    }
    runtime_.useProgram(presentProgram_);
    gl.state(glUniform1i, glGetUniformLocation(presentProgram_, "uImage"), 0);
    gl.state(glUniform1i, glGetUniformLocation(presentProgram_, "uRamp"), 1);
    sizeLocation_ = glGetUniformLocation(presentProgram_, "uTarget");
    gl.call(glGenVertexArrays, 1, &emptyArray_);
    gl.call(glGenTextures, 1, &rampTexture_);
    runtime_.bindForUpload(rampTexture_);
    gl.call(glTexParameteri, GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    gl.call(glTexImage2D, GL_TEXTURE_2D, 0, GL_RGBA16, 256, 1, 0, GL_RGBA, GL_UNSIGNED_SHORT, nullptr);
    rampKnown_ = false;
  }

  SDL_Window* window = runtime_.context().window();
  if (!params.Windowed) {
    SDL_DisplayMode desktop{};
    const int display = SDL_GetWindowDisplayIndex(window);
    SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &desktop);
    // Without a window manager the full-screen request is not acted on: the window covers
    // the display by its own place and size as well.
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) == 0) {
      SDL_SetWindowPosition(window, bounds.x, bounds.y);
      SDL_SetWindowSize(window, width, height);
    }
    if (desktop.w == width && desktop.h == height) {
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
    } else {
      SDL_DisplayMode mode{desktop.format, width, height, int(params.FullScreen_RefreshRateInHz), nullptr};
      SDL_SetWindowDisplayMode(window, &mode);
      SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    }
  } else if (SDL_GetWindowFlags(window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP)) {
    SDL_SetWindowFullscreen(window, 0);
  }
  const UINT interval = UINT(swapIntervalFor(params.PresentationInterval));
  if (interval != swapInterval_) {
    if (SDL_GL_SetSwapInterval(int(interval)) != 0) {
      report(std::string("Direct3D: the window system refused swap interval ") + std::to_string(interval) + ": " +
             SDL_GetError());
      SDL_GL_SetSwapInterval(interval == 0 ? 0 : 1);
    }
    swapInterval_ = interval;
  }
  return true;
}

void GlSwapChain::uploadRamp(const D3DGAMMARAMP& ramp) {
  if (rampKnown_ && std::memcmp(&ramp, &uploadedRamp_, sizeof ramp) == 0) return;
  // On the stack: the ramp changes on every frame of a lightning flash.
  std::array<WORD, 256 * 4> texels;
  for (int i = 0; i < 256; ++i) {
    texels[i * 4] = ramp.red[i];
    texels[i * 4 + 1] = ramp.green[i];
    texels[i * 4 + 2] = ramp.blue[i];
    texels[i * 4 + 3] = 0xFFFF;
  }
  runtime_.bindForUpload(rampTexture_);
  runtime_.gl().call(glTexSubImage2D, GL_TEXTURE_2D, 0, 0, 0, 256, 1, GL_RGBA, GL_UNSIGNED_SHORT, texels.data());
  uploadedRamp_ = ramp;
  rampKnown_ = true;
}

void GlSwapChain::drawPresentPass(GLuint target, GLsizei width, GLsizei height, bool flip) {
  GlCounter& gl = runtime_.gl();
  bindFramebuffer(target);
  applier_.preparePlainPass();
  applier_.setViewport(0, 0, width, height, 0.0f, 1.0f);
  runtime_.useProgram(presentProgram_);
  gl.state(glUniform4f, sizeLocation_, float(width), float(height), flip ? 1.0f : 0.0f, 0.0f);
  runtime_.bindTexture(0, presentedTexture_);
  runtime_.bindTexture(1, rampTexture_);
  applier_.disturbTextureUnits();
  runtime_.bindVertexArrayName(emptyArray_);
  gl.call(glDrawArrays, GL_TRIANGLES, 0, 3);
}

void GlSwapChain::present(const D3DGAMMARAMP& ramp) {
  runtime_.makeCurrent();
  GlCounter& gl = runtime_.gl();
  const GLsizei width = GLsizei(params_.BackBufferWidth), height = GLsizei(params_.BackBufferHeight);
  if (presentedFramebuffer_) {
    gl.state(glBindFramebuffer, GL_READ_FRAMEBUFFER, framebuffer_);
    gl.state(glBindFramebuffer, GL_DRAW_FRAMEBUFFER, presentedFramebuffer_);
    gl.call(glBlitFramebuffer, 0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    boundFramebuffer_ = ~0u;
  } else {
    std::swap(colorTextures_[0], colorTextures_[1]);
    presentedTexture_ = colorTextures_[1];
    bindBackBuffer();
    gl.call(glFramebufferTexture2D, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTextures_[0], 0);
  }
  presentedValid_ = true;
  uploadRamp(ramp);
  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(runtime_.context().window(), &drawableWidth, &drawableHeight);
  if (drawableWidth > 0 && drawableHeight > 0) {
    drawPresentPass(0, drawableWidth, drawableHeight, true);
    SDL_Window* window = runtime_.context().window();
    // A daemon may destroy its window at any moment: the drawing finishes first, so that
    // only the copy to the window is left between the check and the swap.
    const bool embedded = win32::isEmbeddedWindow(window);
    if (embedded) gl.call(glFinish);
    if (!embedded || win32::windowCanPresent(window)) {
      if (GlFrameRecording* recording = runtime_.gl().recording)
        recording->recordSwap([window] { SDL_GL_SwapWindow(window); });
      SDL_GL_SwapWindow(window);
    }
  }
  bindBackBuffer();
}

bool GlSwapChain::readPresented(PresentedImage& image) {
  if (!presentedValid_) return false;
  runtime_.makeCurrent();
  GlCounter& gl = runtime_.gl();
  const GLsizei width = GLsizei(params_.BackBufferWidth), height = GLsizei(params_.BackBufferHeight);
  GLuint texture = 0, framebuffer = 0;
  gl.call(glGenTextures, 1, &texture);
  runtime_.bindForUpload(texture);
  gl.call(glTexImage2D, GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  gl.call(glGenFramebuffers, 1, &framebuffer);
  bindFramebuffer(framebuffer);
  gl.call(glFramebufferTexture2D, GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
  drawPresentPass(framebuffer, width, height, false);
  image.width = params_.BackBufferWidth;
  image.height = params_.BackBufferHeight;
  image.rgba.assign(std::size_t(width) * std::size_t(height) * 4, 0);
  gl.call(glReadPixels, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
  bindBackBuffer();
  glDeleteFramebuffers(1, &framebuffer);
  runtime_.forgetTexture(texture);
  glDeleteTextures(1, &texture);
  return true;
}

} // namespace d3d9
