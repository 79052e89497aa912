// Every encoding must decode arbitrary bytes without reading outside them, and a decoded
// text must survive a re-encode and decode unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "engine/core/WideString.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto encoding = static_cast<engine::TextEncoding>(1 + data[0] % 6);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::u16string text = engine::widen(bytes, encoding);
  const std::u16string again =
      engine::widen(engine::narrow(text, engine::TextEncoding::Utf8), engine::TextEncoding::Utf8);
  const std::u16string twice =
      engine::widen(engine::narrow(again, engine::TextEncoding::Utf8), engine::TextEncoding::Utf8);
  if (again != twice) std::abort();
  return 0;
}
