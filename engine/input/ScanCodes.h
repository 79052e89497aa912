// The character a key gives in text editing, by DirectInput key code: digits, the lower-case
// letters, a few punctuation marks and the space; Return, Backspace and Escape give the
// codes below, every other key kNoCharacter.
#pragma once

#include <cstdint>

namespace engine {

constexpr std::uint16_t kNoCharacter = 255;
constexpr std::uint16_t kReturnCharacter = 254;
constexpr std::uint16_t kBackspaceCharacter = 253;
constexpr std::uint16_t kEscapeCharacter = 252;

// kNoCharacter for codes outside 0..255.
std::uint16_t characterOfScanCode(int dik);

} // namespace engine
