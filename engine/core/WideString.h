// Wide (16-bit) text and its six byte encodings. Text views and the GUI work on UTF-16
// code units; bytes from files and narrow strings are converted here.
#pragma once

#include <string>
#include <string_view>

namespace engine {

enum class TextEncoding {
  // The system's multibyte code page. This port fixes it to Windows-1252 so that narrow
  // text (and the charset files made for it) reads the same on every machine and locale.
  SystemCodePage = 1,
  Utf8 = 2,
  Utf16LE = 3,
  Utf16BE = 4,
  Utf32LE = 5,
  Utf32BE = 6,
};

// The replacement character for bytes that do not form a character (malformed or truncated
// sequences, surrogate or out-of-range code points in UTF-8/UTF-32).
constexpr char16_t kReplacementCharacter = 0xFFFD;

bool isValidEncoding(int encoding);

// Bytes to UTF-16 code units; code points above 0xFFFF become surrogate pairs.
std::u16string widen(std::string_view bytes, TextEncoding encoding);
// Narrow strings of the engine are widened through the system code page.
std::u16string widen(std::string_view bytes);

// UTF-16 code units to bytes. Unpaired surrogates become U+FFFD; characters the system
// code page cannot hold become '?'.
std::string narrow(std::u16string_view text, TextEncoding encoding);

} // namespace engine
