#include "platform/d3d9/gl/GlRuntime.h"

#include "platform/d3d9/VertexLayout.h"

#include <cstring>

namespace d3d9 {

GlRuntime::GlRuntime(std::shared_ptr<GlContext> context) : context_(std::move(context)) { makeCurrent(); }

GlRuntime::~GlRuntime() {
  makeCurrent();
  for (auto& [key, array] : vertexArrays_)
    glDeleteVertexArrays(1, &array.name);
}

void GlRuntime::activeUnit(GLuint unit) {
  if (activeUnit_ == unit && !forceAll_) return;
  counter_.state(glActiveTexture, GL_TEXTURE0 + unit);
  activeUnit_ = unit;
}

void GlRuntime::bindTexture(GLuint unit, GLuint texture) {
  if (units_[unit] == texture && !forceAll_) return;
  activeUnit(unit);
  counter_.state(glBindTexture, GL_TEXTURE_2D, texture);
  units_[unit] = texture;
}

void GlRuntime::bindForUpload(GLuint texture) {
  bindTexture(kUploadUnit, texture);
  activeUnit(kUploadUnit);
}

void GlRuntime::useProgram(GLuint program) {
  if (program_ == program && !forceAll_) return;
  counter_.state(glUseProgram, program);
  program_ = program;
}

void GlRuntime::forgetTexture(GLuint texture) {
  // Deleting a texture unbinds it from every unit of the context; remember that, or a new
  // texture that reuses the name would be taken for already bound.
  for (GLuint& bound : units_)
    if (bound == texture) bound = 0;
}

void GlRuntime::forgetBuffer(GLuint buffer) {
  for (auto it = vertexArrays_.begin(); it != vertexArrays_.end();) {
    if (std::get<0>(it->first) == buffer) {
      if (boundArray_ == it->second.name) boundArray_ = ~0u;
      glDeleteVertexArrays(1, &it->second.name);
      it = vertexArrays_.erase(it);
    } else {
      if (it->second.elementBuffer == buffer) it->second.elementBuffer = 0;
      ++it;
    }
  }
}

GlRuntime::VertexArray& GlRuntime::vertexArray(GLuint buffer, DWORD fvf, UINT stride, UINT offset) {
  auto [it, inserted] = vertexArrays_.try_emplace(std::make_tuple(buffer, fvf, stride, offset));
  VertexArray& array = it->second;
  if (!inserted) return array;
  counter_.call(glGenVertexArrays, 1, &array.name);
  bindVertexArray(array);
  counter_.state(glBindBuffer, GL_ARRAY_BUFFER, buffer);
  const VertexLayout layout = describeFvf(fvf);
  auto attribute = [&](GLuint location, GLint size, GLenum type, GLboolean normalized, UINT at) {
    counter_.call(glEnableVertexAttribArray, location);
    counter_.call(glVertexAttribPointer, location, size, type, normalized, static_cast<GLsizei>(stride),
                  reinterpret_cast<const void*>(static_cast<std::uintptr_t>(offset + at)));
  };
  attribute(0, layout.position == PositionKind::XyzRhw ? 4 : 3, GL_FLOAT, GL_FALSE, 0);
  if (layout.hasNormal) attribute(1, 3, GL_FLOAT, GL_FALSE, layout.normalOffset);
  // D3DCOLOR is B, G, R, A in memory; GL_BGRA reads it in that order.
  if (layout.hasDiffuse) attribute(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, layout.diffuseOffset);
  if (layout.hasSpecular) attribute(3, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, layout.specularOffset);
  for (UINT set = 0; set < layout.texCount; ++set)
    attribute(4 + set, static_cast<GLint>(layout.texSize[set]), GL_FLOAT, GL_FALSE, layout.texOffset[set]);
  return array;
}

void GlRuntime::bindVertexArrayName(GLuint name) {
  if (boundArray_ == name && !forceAll_) return;
  counter_.state(glBindVertexArray, name);
  boundArray_ = name;
}

void GlRuntime::bindElementBuffer(VertexArray& array, GLuint buffer) {
  if (array.elementBuffer == buffer && !forceAll_) return;
  bindVertexArray(array);
  counter_.state(glBindBuffer, GL_ELEMENT_ARRAY_BUFFER, buffer);
  array.elementBuffer = buffer;
}

void GlRuntime::writeUnsynchronized(GLintptr offset, GLsizeiptr size, const void* data) {
  void* target = counter_.call(glMapBufferRange, GL_COPY_WRITE_BUFFER, offset, size,
                               GLbitfield(GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT | GL_MAP_INVALIDATE_RANGE_BIT));
  if (target) {
    std::memcpy(target, data, std::size_t(size));
    counter_.call(glUnmapBuffer, GL_COPY_WRITE_BUFFER);
  } else {
    counter_.call(glBufferSubData, GL_COPY_WRITE_BUFFER, offset, size, data);
  }
}

} // namespace d3d9
