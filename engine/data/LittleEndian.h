// Little-endian integers as the media formats (archives, UDF files) store them, read from
// and appended to byte strings. Bytes are taken unsigned, so no sign spreads into a value.
#pragma once

#include <cstdint>
#include <string>

namespace engine {

inline std::uint16_t readLe16(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

inline std::uint32_t readLe32(const char* bytes) {
  return static_cast<std::uint32_t>(readLe16(bytes)) | (static_cast<std::uint32_t>(readLe16(bytes + 2)) << 16);
}

// The low 16 bits of `value`.
inline void appendLe16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}

inline void appendLe32(std::string& out, std::uint32_t value) {
  appendLe16(out, value & 0xFFFF);
  appendLe16(out, value >> 16);
}

} // namespace engine
