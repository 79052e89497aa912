// What the OpenGL back end and its resources share: the context, the count of OpenGL calls,
// and the caches that must forget an object when it is deleted (texture unit bindings,
// vertex array objects), so a reused object name is never mistaken for the old object.
#pragma once

#include "platform/d3d9/gl/GlContext.h"
#include "platform/d3d9/gl/GlFrameRecording.h"

#include <epoxy/gl.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <tuple>

namespace d3d9 {

// Every OpenGL call of the back end goes through one of these, so tests and the benchmark
// can count them: `state` for state changes and bindings, `call` for everything else.
class GlCounter {
public:
  template <class F, class... Args> decltype(auto) call(F function, Args... args) {
    ++calls;
    if (recording) recording->record(false, function, args...);
    return function(args...);
  }
  template <class F, class... Args> decltype(auto) state(F function, Args... args) {
    ++calls;
    ++stateCalls;
    if (recording) recording->record(true, function, args...);
    return function(args...);
  }

  std::uint64_t calls = 0;
  std::uint64_t stateCalls = 0;
  GlFrameRecording* recording = nullptr; // while a frame is recorded
};

constexpr GLuint kUploadUnit = 15; // texture unit used for uploads, never by a stage

class GlRuntime {
public:
  explicit GlRuntime(std::shared_ptr<GlContext> context);
  ~GlRuntime();

  GlContext& context() { return *context_; }
  void makeCurrent() { context_->makeCurrent(); }
  GlCounter& gl() { return counter_; }
  bool forceAll() const { return forceAll_; }
  void setForceAll(bool force) { forceAll_ = force; }

  // Texture units: binds `texture` to `unit` unless it already is.
  void bindTexture(GLuint unit, GLuint texture);
  // Binds `texture` to the upload unit and makes that unit the active one, which uploads
  // (glTexImage2D and the like) act on: a texture already bound there may not be on the
  // active unit.
  void bindForUpload(GLuint texture);
  GLuint boundTexture(GLuint unit) const { return units_[unit]; }
  void useProgram(GLuint program);
  // Forget a deleted texture or buffer everywhere it may be remembered.
  void forgetTexture(GLuint texture);
  void forgetBuffer(GLuint buffer);

  // The vertex array object for a vertex layout read from `buffer`; made on first use.
  struct VertexArray {
    GLuint name = 0;
    GLuint elementBuffer = 0; // index buffer bound in it (part of the object's state)
  };
  VertexArray& vertexArray(GLuint buffer, DWORD fvf, UINT stride, UINT offset);
  void bindVertexArray(VertexArray& array) { bindVertexArrayName(array.name); }
  void bindVertexArrayName(GLuint name);
  void bindElementBuffer(VertexArray& array, GLuint buffer);

  // Writes `size` bytes at `offset` of the buffer bound to GL_COPY_WRITE_BUFFER without
  // waiting for draws still reading other parts of it (the caller promises they do not
  // read this range).
  void writeUnsynchronized(GLintptr offset, GLsizeiptr size, const void* data);

private:
  void activeUnit(GLuint unit);

  std::shared_ptr<GlContext> context_;
  GlCounter counter_;
  bool forceAll_ = false;
  std::array<GLuint, 16> units_{};
  GLuint activeUnit_ = ~0u;
  std::map<std::tuple<GLuint, DWORD, UINT, UINT>, VertexArray> vertexArrays_;
  GLuint boundArray_ = ~0u;
  GLuint program_ = ~0u;
};

} // namespace d3d9
