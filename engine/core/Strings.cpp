#include "engine/core/Strings.h"

#include <algorithm>

namespace engine {

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char asciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string toLower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), asciiLower);
  return out;
}

std::string toUpper(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), asciiUpper);
  return out;
}

int compareNoCase(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(asciiLower(a[i]));
    const auto cb = static_cast<unsigned char>(asciiLower(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && compareNoCase(a, b) == 0; }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view trimLeading(std::string_view text, char c) {
  const size_t first = text.find_first_not_of(c);
  return first == std::string_view::npos ? std::string_view{} : text.substr(first);
}

std::string_view trimTrailing(std::string_view text, char c) {
  const size_t last = text.find_last_not_of(c);
  return last == std::string_view::npos ? std::string_view{} : text.substr(0, last + 1);
}

std::string_view trimChar(std::string_view text, char c) { return trimTrailing(trimLeading(text, c), c); }

std::string_view trimBlanks(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool isPathSeparator(char c) { return c == '/' || c == '\\'; }

std::string_view fileNamePart(std::string_view path) {
  const size_t sep = path.find_last_of("/\\");
  return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string_view directoryPart(std::string_view path) {
  const size_t sep = path.find_last_of("/\\");
  return sep == std::string_view::npos ? std::string_view{} : path.substr(0, sep);
}

std::string_view extensionPart(std::string_view path) {
  const size_t dot = path.find_last_of('.');
  return dot == std::string_view::npos ? std::string_view{} : path.substr(dot + 1);
}

} // namespace engine
