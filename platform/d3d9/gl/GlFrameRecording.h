// The OpenGL calls of a frame, kept so that they can be issued again on their own: the same
// draws, buffers, textures and programs straight to OpenGL, with nothing of the Direct3D
// layer that chose them. Recorded with state caching off, so that the frame carries every
// state it needs; replayed whole, or without the state calls that set what is already set.
// This is the floor a frame of the saver is measured against.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

namespace d3d9 {

class GlFrameRecording {
public:
  // Called by the back end for every OpenGL call it makes while recording.
  template <class F, class... Args> void record(bool state, F function, Args... args) {
    if constexpr (std::is_pointer_v<std::invoke_result_t<F, Args...>>) {
      // A mapped buffer is written through the answer: nothing to issue again.
      replayable_ = false;
      return;
    } else {
      if (!replayable_) return;
      Call call;
      call.function = reinterpret_cast<const void*>(function);
      call.state = state;
      if (!capture(call, function, args...)) {
        replayable_ = false;
        return;
      }
      calls_.push_back(std::move(call));
    }
  }
  // The window system's swap at the end of the frame (no OpenGL call of its own).
  void recordSwap(std::function<void()> swap);

  // False when the frame made a call that cannot be issued again (a mapped buffer, a texture
  // upload from memory): record another frame. Buffer uploads are copied with their call.
  bool replayable() const { return replayable_; }
  bool empty() const { return calls_.empty(); }
  void clear();
  // Marks the state calls that set what is already set when the frame is issued again and
  // again: by an earlier call of the frame, or by the end of the frame before. Call once the
  // frame is recorded.
  void markRepeatedStates();

  // Issues the frame again; answers how many OpenGL calls it made. `pruned` leaves out the
  // calls markRepeatedStates marked, so a pruned frame must follow a whole one.
  std::size_t replay(bool pruned) const;
  std::size_t callCount(bool pruned) const;

private:
  struct Call {
    const void* function = nullptr;
    bool state = false;
    bool redundant = false;
    bool swap = false;
    std::string arguments; // the bytes of the arguments, to compare states
    std::function<void()> issue;
  };

  template <class T> static void append(std::string& bytes, const T& value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
  }

  // Copies what the call reads; false for an argument whose extent is unknown.
  template <class F, class... Args> bool capture(Call& call, F function, Args... args) {
    if constexpr ((!std::is_pointer_v<Args> && ...)) {
      (append(call.arguments, args), ...);
      call.issue = [function, args...] { function(args...); };
      return true;
    } else if constexpr (sizeof...(Args) == 5) {
      // glDrawElementsBaseVertex: the "pointer" is an offset into the bound index buffer.
      (append(call.arguments, args), ...);
      call.issue = [function, args...] { function(args...); };
      return true;
    } else {
      return captureArray(call, function, args...);
    }
  }
  // The uniform and sampler arrays: count × 4 floats, count × 16 floats (matrices), 4 floats.
  template <class F, class A, class B, class P> bool captureArray(Call& call, F function, A a, B b, P values) {
    if constexpr (std::is_floating_point_v<std::remove_cv_t<std::remove_pointer_t<P>>>) {
      const std::size_t count = std::is_same_v<A, GLint> ? std::size_t(b) * 4 : 4;
      auto copy = std::make_shared<std::vector<GLfloat>>(values, values + count);
      append(call.arguments, a), append(call.arguments, b);
      call.arguments.append(reinterpret_cast<const char*>(copy->data()), copy->size() * sizeof(GLfloat));
      call.issue = [function, a, b, copy] { function(a, b, copy->data()); };
      return true;
    } else {
      return false;
    }
  }
  template <class F, class A, class B, class C, class P>
  bool captureArray(Call& call, F function, A a, B b, C transpose, P values) {
    if constexpr (std::is_floating_point_v<std::remove_cv_t<std::remove_pointer_t<P>>>) {
      auto copy = std::make_shared<std::vector<GLfloat>>(values, values + std::size_t(b) * 16);
      append(call.arguments, a), append(call.arguments, b), append(call.arguments, transpose);
      call.arguments.append(reinterpret_cast<const char*>(copy->data()), copy->size() * sizeof(GLfloat));
      call.issue = [function, a, b, transpose, copy] { function(a, b, transpose, copy->data()); };
      return true;
    } else if constexpr (std::is_pointer_v<P> && std::is_same_v<C, GLsizeiptr>) {
      // glBufferSubData(target, offset, size, data): the frame's own vertices, uploaded
      // again by every replay as the saver uploads them every frame.
      auto copy = bytesOf(values, transpose);
      append(call.arguments, a), append(call.arguments, b), append(call.arguments, transpose);
      call.issue = [function, a, b, transpose, copy] { function(a, b, transpose, copy ? copy->data() : nullptr); };
      return true;
    } else if constexpr (std::is_pointer_v<C> && std::is_same_v<B, GLsizeiptr>) {
      // glBufferData(target, size, data, usage): a discarded buffer filled again.
      auto copy = bytesOf(transpose, b);
      append(call.arguments, a), append(call.arguments, b), append(call.arguments, values);
      call.issue = [function, a, b, copy, values] { function(a, b, copy ? copy->data() : nullptr, values); };
      return true;
    } else {
      return false;
    }
  }
  // `size` bytes from `data` (null for none).
  static std::shared_ptr<std::vector<char>> bytesOf(const void* data, GLsizeiptr size) {
    if (!data || size <= 0) return nullptr;
    const char* bytes = static_cast<const char*>(data);
    return std::make_shared<std::vector<char>>(bytes, bytes + size);
  }
  template <class F, class... Args> bool captureArray(Call&, F, Args...) { return false; }

  // Whether the call sets a state to the value it already has (and if not, notes the new
  // value).
  bool alreadySet(const Call& call, std::string& key);
  // How many leading arguments name the state a call sets (the capability, the binding
  // target, the uniform location, ...); -1 for calls never taken as repeated.
  int selectorCount(const void* function) const;

  std::vector<Call> calls_;
  std::map<std::string, std::string> shadow_; // state -> the arguments that last set it
  GLuint program_ = 0;
  GLuint activeUnit_ = 0;
  GLuint vertexArray_ = 0;
  bool replayable_ = true;
};

} // namespace d3d9
