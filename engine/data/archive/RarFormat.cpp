#include "engine/data/archive/RarFormat.h"

#include <algorithm>
#include <zlib.h>

namespace engine {

std::uint32_t crc32Of(std::string_view bytes) {
  uLong crc = ::crc32(0L, Z_NULL, 0);
  const auto* data = reinterpret_cast<const Bytef*>(bytes.data());
  std::size_t left = bytes.size();
  while (left > 0) {
    const auto step = static_cast<uInt>(std::min<std::size_t>(left, 1u << 30));
    crc = ::crc32(crc, data, step);
    data += step;
    left -= step;
  }
  return static_cast<std::uint32_t>(crc);
}

namespace rar {

std::uint16_t headerCrc(std::string_view headerFromType) {
  return static_cast<std::uint16_t>(crc32Of(headerFromType) & 0xFFFFu);
}

std::uint32_t dosDateTime(int year, int month, int day, int hour, int minute, int second) {
  year = std::clamp(year, 1980, 2107);
  month = std::clamp(month, 1, 12);
  day = std::clamp(day, 1, 31);
  hour = std::clamp(hour, 0, 23);
  minute = std::clamp(minute, 0, 59);
  second = std::clamp(second, 0, 59);
  const auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  const auto time = static_cast<std::uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

} // namespace rar
} // namespace engine
