#include "platform/d3d9/gl/GlFrameRecording.h"

namespace d3d9 {
namespace {

template <class F> const void* address(F function) { return reinterpret_cast<const void*>(function); }

} // namespace

void GlFrameRecording::recordSwap(std::function<void()> swap) {
  if (!replayable_) return;
  Call call;
  call.swap = true;
  call.issue = std::move(swap);
  calls_.push_back(std::move(call));
}

void GlFrameRecording::clear() {
  calls_.clear();
  shadow_.clear();
  program_ = activeUnit_ = vertexArray_ = 0;
  replayable_ = true;
}

int GlFrameRecording::selectorCount(const void* f) const {
  // One value for the whole context.
  for (const void* single : {address(glUseProgram),
                             address(glActiveTexture),
                             address(glBindVertexArray),
                             address(glDepthFunc),
                             address(glDepthMask),
                             address(glBlendFuncSeparate),
                             address(glBlendEquationSeparate),
                             address(glBlendColor),
                             address(glCullFace),
                             address(glViewport),
                             address(glDepthRange),
                             address(glScissor),
                             address(glPolygonOffset),
                             address(glPointSize),
                             address(glColorMask),
                             address(glStencilMask),
                             address(glClearColor),
                             address(glClearDepth),
                             address(glClearStencil),
                             address(glFrontFace),
                             address(glProvokingVertex)})
    if (f == single) return 0;
  // One value per capability, target, unit, face or uniform location.
  for (const void* keyed :
       {address(glEnable), address(glDisable), address(glBindTexture), address(glBindBuffer), address(glBindSampler),
        address(glPolygonMode), address(glPixelStorei), address(glStencilFuncSeparate), address(glStencilOpSeparate),
        address(glUniform1i), address(glUniform4f), address(glUniform4fv), address(glUniformMatrix4fv)})
    if (f == keyed) return 1;
  for (const void* keyed : {address(glSamplerParameteri), address(glSamplerParameterf), address(glSamplerParameterfv)})
    if (f == keyed) return 2;
  return -1; // framebuffer bindings (read and draw overlap) and anything unknown
}

bool GlFrameRecording::alreadySet(const Call& call, std::string& key) {
  const int selectors = selectorCount(call.function);
  // Context the state belongs to: uniforms to the program, textures to the unit, the index
  // buffer binding to the vertex array.
  const void* f = call.function;
  const bool enable = f == address(glEnable) || f == address(glDisable);
  key.clear();
  append(key, enable ? address(glEnable) : f);
  if (f == address(glUniform1i) || f == address(glUniform4f) || f == address(glUniform4fv) ||
      f == address(glUniformMatrix4fv))
    append(key, program_);
  if (f == address(glBindTexture)) append(key, activeUnit_);
  std::string value = call.arguments;
  if (f == address(glBindBuffer)) {
    GLenum target = 0;
    std::memcpy(&target, call.arguments.data(), sizeof target);
    if (target == GL_ELEMENT_ARRAY_BUFFER) append(key, vertexArray_);
  }
  if (enable) append(value, f == address(glEnable));
  if (selectors > 0) {
    // The leading arguments are 32-bit enums or names.
    key.append(call.arguments.substr(0, std::size_t(selectors) * 4));
  }
  // Track what later keys depend on, whether or not this call repeats.
  if (f == address(glUseProgram)) std::memcpy(&program_, call.arguments.data(), sizeof program_);
  if (f == address(glActiveTexture)) std::memcpy(&activeUnit_, call.arguments.data(), sizeof activeUnit_);
  if (f == address(glBindVertexArray)) std::memcpy(&vertexArray_, call.arguments.data(), sizeof vertexArray_);
  if (selectors < 0) return false;
  auto [entry, inserted] = shadow_.try_emplace(key, value);
  if (inserted) return false;
  if (entry->second == value) return true;
  entry->second = value;
  return false;
}

void GlFrameRecording::markRepeatedStates() {
  shadow_.clear();
  program_ = activeUnit_ = vertexArray_ = 0;
  std::string key;
  // The first pass leaves the state as the frame ends; the second sees what the next frame
  // repeats of it.
  for (int pass = 0; pass < 2; ++pass)
    for (Call& call : calls_)
      if (!call.swap) call.redundant = call.state && alreadySet(call, key);
}

std::size_t GlFrameRecording::replay(bool pruned) const {
  std::size_t issued = 0;
  for (const Call& call : calls_) {
    if (pruned && call.redundant) continue;
    call.issue();
    if (!call.swap) ++issued;
  }
  return issued;
}

std::size_t GlFrameRecording::callCount(bool pruned) const {
  std::size_t count = 0;
  for (const Call& call : calls_)
    if (!call.swap && !(pruned && call.redundant)) ++count;
  return count;
}

} // namespace d3d9
