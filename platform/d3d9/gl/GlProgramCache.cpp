#include "platform/d3d9/gl/GlProgramCache.h"

#include "platform/d3d9/Diagnostics.h"
#include "platform/d3d9/gl/ShaderSource.h"

#include <vector>

namespace d3d9 {
namespace {

GLuint compile(GlCounter& gl, GLenum type, const std::string& source, std::string& log) {
  const GLuint shader = gl.call(glCreateShader, type);
  const char* text = source.c_str();
  gl.call(glShaderSource, shader, 1, &text, nullptr);
  gl.call(glCompileShader, shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 1));
    glGetShaderInfoLog(shader, length, nullptr, text.data());
    log = text.data();
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

const char* kGroupNames[kUniformGroupCount] = {"uTransforms", "uViewport", "uMaterial", "uLights",
                                               "uTexMatrix",  "uFog",      "uPixel"};

} // namespace

GLuint linkProgram(GlCounter& gl, const std::string& vertex, const std::string& fragment, std::string& log) {
  const GLuint vs = compile(gl, GL_VERTEX_SHADER, vertex, log);
  if (!vs) return 0;
  const GLuint fs = compile(gl, GL_FRAGMENT_SHADER, fragment, log);
  if (!fs) {
    glDeleteShader(vs);
    return 0;
  }
  const GLuint program = gl.call(glCreateProgram);
  gl.call(glAttachShader, program, vs);
  gl.call(glAttachShader, program, fs);
  gl.call(glLinkProgram, program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 1));
    glGetProgramInfoLog(program, length, nullptr, text.data());
    log = text.data();
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

GlProgramCache::GlProgramCache(GlRuntime& runtime) : runtime_(runtime) {}

GlProgramCache::~GlProgramCache() {
  runtime_.makeCurrent();
  for (auto& [key, program] : programs_)
    if (program) glDeleteProgram(program->name);
}

GlProgram* GlProgramCache::program(const FixedFunctionKey& key) {
  auto it = programs_.find(key);
  if (it != programs_.end()) return it->second.get();
  std::unique_ptr<GlProgram> made = build(key);
  GlProgram* result = made.get();
  programs_.emplace(key, std::move(made)); // a failure is remembered too, so it is reported once
  return result;
}

std::unique_ptr<GlProgram> GlProgramCache::build(const FixedFunctionKey& key) {
  GlCounter& gl = runtime_.gl();
  const ShaderSource source = generateFixedFunctionProgram(key, runtime_.context().useClipControl());
  std::string log;
  const GLuint name = linkProgram(gl, source.vertex, source.fragment, log);
  if (!name) {
    report("Direct3D: a fixed-function program failed to build: " + log);
    return nullptr;
  }
  ++built_;
  auto program = std::make_unique<GlProgram>();
  program->name = name;
  for (unsigned g = 0; g < kUniformGroupCount; ++g) {
    program->locations[g] = glGetUniformLocation(name, kGroupNames[g]);
    program->uploaded[g] = ~0ull;
  }
  runtime_.useProgram(name);
  for (GLint stage = 0; stage < GLint(kStageCount); ++stage) {
    const std::string sampler = "uTexture" + std::to_string(stage);
    const GLint location = glGetUniformLocation(name, sampler.c_str());
    if (location >= 0) gl.state(glUniform1i, location, stage);
  }
  return program;
}

void GlProgramCache::upload(GlProgram& program, const FixedFunctionConstants& constants) {
  GlCounter& gl = runtime_.gl();
  for (unsigned g = 0; g < kUniformGroupCount; ++g) {
    const GLint location = program.locations[g];
    const auto group = static_cast<UniformGroup>(g);
    if (location < 0 || (program.uploaded[g] == constants.generation(group) && !runtime_.forceAll())) continue;
    const std::vector<float>& values = constants.values(group);
    if (group == kUniformTransforms || group == kUniformTexMatrices)
      gl.state(glUniformMatrix4fv, location, GLsizei(values.size() / 16), GLboolean(GL_FALSE), values.data());
    else
      gl.state(glUniform4fv, location, GLsizei(values.size() / 4), values.data());
    program.uploaded[g] = constants.generation(group);
  }
}

} // namespace d3d9
