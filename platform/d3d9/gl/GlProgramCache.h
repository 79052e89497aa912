// The generated fixed-function programs, one per distinct key, built on first use and kept
// for the life of the device; and the upload of their uniform groups.
#pragma once

#include "platform/d3d9/FixedFunctionKey.h"
#include "platform/d3d9/gl/FixedFunctionConstants.h"
#include "platform/d3d9/gl/GlRuntime.h"

#include <array>
#include <memory>
#include <string>
#include <unordered_map>

namespace d3d9 {

struct GlProgram {
  GLuint name = 0;
  std::array<GLint, kUniformGroupCount> locations{};
  std::array<std::uint64_t, kUniformGroupCount> uploaded{};
};

class GlProgramCache {
public:
  explicit GlProgramCache(GlRuntime& runtime);
  ~GlProgramCache();

  // The program for `key`; null when it cannot be built (reported once per key).
  GlProgram* program(const FixedFunctionKey& key);
  // Sends the groups the program has not seen in their current generation.
  void upload(GlProgram& program, const FixedFunctionConstants& constants);
  std::uint64_t built() const { return built_; }

private:
  std::unique_ptr<GlProgram> build(const FixedFunctionKey& key);

  GlRuntime& runtime_;
  std::unordered_map<FixedFunctionKey, std::unique_ptr<GlProgram>> programs_;
  std::uint64_t built_ = 0;
};

// Compiles and links a vertex and fragment shader; 0 with `log` set on failure.
GLuint linkProgram(GlCounter& gl, const std::string& vertex, const std::string& fragment, std::string& log);

} // namespace d3d9
