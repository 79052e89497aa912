#include "engine/core/WideString.h"

#include <array>
#include <cstdint>

namespace engine {
namespace {

// Windows-1252 bytes 0x80-0x9F; the five bytes the code page leaves undefined map to the
// control code points of the same value, as the system converter does.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }
bool isHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void appendUtf16(std::u16string& out, char32_t c) {
  if (c > 0x10FFFF || isSurrogate(c)) {
    out.push_back(kReplacementCharacter);
  } else if (c >= 0x10000) {
    c -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
  } else {
    out.push_back(static_cast<char16_t>(c));
  }
}

std::u16string widenCp1252(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    out.push_back(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : static_cast<char16_t>(b));
  }
  return out;
}

// Decodes UTF-8, replacing each maximal ill-formed subpart with one U+FFFD (the Unicode
// recommendation), so overlong forms, surrogates and truncated tails never pass through.
std::u16string widenUtf8(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  size_t i = 0;
  const size_t n = bytes.size();
  auto byteAt = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  while (i < n) {
    const unsigned char b0 = byteAt(i);
    if (b0 < 0x80) {
      out.push_back(b0);
      ++i;
      continue;
    }
    int length = 0;
    char32_t c = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2;
      c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3;
      c = b0 & 0x0F;
      if (b0 == 0xE0) lo = 0xA0;
      if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4;
      c = b0 & 0x07;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    } else {
      out.push_back(kReplacementCharacter);
      ++i;
      continue;
    }
    size_t k = 1;
    bool ok = true;
    for (; k < static_cast<size_t>(length); ++k) {
      if (i + k >= n) {
        ok = false;
        break;
      }
      const unsigned char b = byteAt(i + k);
      const unsigned char min = k == 1 ? lo : 0x80;
      const unsigned char max = k == 1 ? hi : 0xBF;
      if (b < min || b > max) {
        ok = false;
        break;
      }
      c = (c << 6) | (b & 0x3F);
    }
    if (!ok) {
      out.push_back(kReplacementCharacter);
      i += k; // the valid prefix is consumed as one ill-formed subpart
      continue;
    }
    appendUtf16(out, c);
    i += static_cast<size_t>(length);
  }
  return out;
}

std::u16string widenUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 2 + 1);
  const size_t pairs = bytes.size() / 2;
  for (size_t k = 0; k < pairs; ++k) {
    const auto a = static_cast<unsigned char>(bytes[2 * k]);
    const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
    out.push_back(static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
  }
  if (bytes.size() % 2 != 0) out.push_back(kReplacementCharacter);
  return out;
}

std::u16string widenUtf32(std::string_view bytes, bool bigEndian) {
  std::u16string out;
  out.reserve(bytes.size() / 4 + 1);
  const size_t units = bytes.size() / 4;
  for (size_t k = 0; k < units; ++k) {
    char32_t c = 0;
    for (int j = 0; j < 4; ++j) {
      const auto b = static_cast<unsigned char>(bytes[4 * k + static_cast<size_t>(bigEndian ? j : 3 - j)]);
      c = (c << 8) | b;
    }
    appendUtf16(out, c);
  }
  if (bytes.size() % 4 != 0) out.push_back(kReplacementCharacter);
  return out;
}

// Walks UTF-16 code units as code points; unpaired surrogates become U+FFFD.
template <class Sink> void forEachCodePoint(std::u16string_view text, Sink sink) {
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
      ++i;
    } else if (isSurrogate(c)) {
      c = kReplacementCharacter;
    }
    sink(c);
  }
}

std::string narrowCp1252(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  forEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out.push_back(static_cast<char>(c));
      return;
    }
    for (size_t k = 0; k < kCp1252High.size(); ++k) {
      if (kCp1252High[k] == c) {
        out.push_back(static_cast<char>(0x80 + k));
        return;
      }
    }
    out.push_back('?');
  });
  return out;
}

std::string narrowUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  forEachCodePoint(text, [&](char32_t c) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  });
  return out;
}

void appendUnit(std::string& out, std::uint32_t value, int bytes, bool bigEndian) {
  for (int j = 0; j < bytes; ++j) {
    const int shift = 8 * (bigEndian ? bytes - 1 - j : j);
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
  }
}

std::string narrowUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  // Re-encoding keeps valid pairs and replaces unpaired surrogates.
  forEachCodePoint(text, [&](char32_t c) {
    std::u16string units;
    appendUtf16(units, c);
    for (char16_t u : units)
      appendUnit(out, u, 2, bigEndian);
  });
  return out;
}

std::string narrowUtf32(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 4);
  forEachCodePoint(text, [&](char32_t c) { appendUnit(out, c, 4, bigEndian); });
  return out;
}

} // namespace

bool isValidEncoding(int encoding) { return encoding >= 1 && encoding <= 6; }

std::u16string widen(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
  case TextEncoding::SystemCodePage:
    return widenCp1252(bytes);
  case TextEncoding::Utf8:
    return widenUtf8(bytes);
  case TextEncoding::Utf16LE:
    return widenUtf16(bytes, false);
  case TextEncoding::Utf16BE:
    return widenUtf16(bytes, true);
  case TextEncoding::Utf32LE:
    return widenUtf32(bytes, false);
  case TextEncoding::Utf32BE:
    return widenUtf32(bytes, true);
  }
  return {};
}

std::u16string widen(std::string_view bytes) { return widen(bytes, TextEncoding::SystemCodePage); }

std::string narrow(std::u16string_view text, TextEncoding encoding) {
  switch (encoding) {
  case TextEncoding::SystemCodePage:
    return narrowCp1252(text);
  case TextEncoding::Utf8:
    return narrowUtf8(text);
  case TextEncoding::Utf16LE:
    return narrowUtf16(text, false);
  case TextEncoding::Utf16BE:
    return narrowUtf16(text, true);
  case TextEncoding::Utf32LE:
    return narrowUtf32(text, false);
  case TextEncoding::Utf32BE:
    return narrowUtf32(text, true);
  }
  return {};
}

} // namespace engine
