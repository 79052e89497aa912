#include "shell/CommandLine.h"

#include <cstdint>
#include <limits>

namespace saver {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number at the first decimal digit from `from` on, as atol reads it, except that a
// number too large for a handle saturates instead of overflowing.
std::uintptr_t numberFrom(std::string_view text, std::size_t from) {
  while (from < text.size() && !isDigit(text[from]))
    ++from;
  std::uintptr_t value = 0;
  constexpr std::uintptr_t kLimit = static_cast<std::uintptr_t>(std::numeric_limits<long>::max());
  for (; from < text.size() && isDigit(text[from]); ++from) {
    const auto digit = static_cast<std::uintptr_t>(text[from] - '0');
    value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
  }
  return value;
}

} // namespace

RunMode parseCommandLine(std::string_view text, std::uintptr_t& parent) {
  parent = 0;
  // The program name; "one past" the closing quote or the blank never runs past the end.
  std::size_t at = 0;
  if (!text.empty() && text.front() == '"') {
    const std::size_t close = text.find('"', 1);
    at = close == std::string_view::npos ? text.size() : close + 1;
  } else {
    const std::size_t blank = text.find(' ');
    at = blank == std::string_view::npos ? text.size() : blank + 1;
  }
  const std::size_t switchAt = text.find_first_of("/-", at);
  if (switchAt == std::string_view::npos) return RunMode::Configure;

  // A switch character at the very end has no letter: like any unlisted letter, it runs.
  const char letter = switchAt + 1 < text.size() ? text[switchAt + 1] : '\0';
  switch (letter) {
  case 'A':
  case 'a':
    parent = numberFrom(text, switchAt + 2);
    return RunMode::ChangePassword;
  case 'C':
  case 'c':
    parent = numberFrom(text, switchAt + 2);
    return RunMode::Configure;
  case 'P':
  case 'p':
    parent = numberFrom(text, switchAt + 2);
    return RunMode::Preview;
  case 'T':
  case 't':
    return RunMode::Test;
  default:
    return RunMode::Saver;
  }
}

} // namespace saver
