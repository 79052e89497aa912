// The keys text editing understands: a DirectInput key code gives the character it types,
// or one of the editing commands below.
#pragma once

namespace engine {

constexpr char16_t kNoCharacter = 255; // the key types nothing
constexpr char16_t kReturnCharacter = 254;
constexpr char16_t kBackspaceCharacter = 253;
constexpr char16_t kEscapeCharacter = 252;

// Digits, lower-case letters, ',', '.', ';' and space, and the three commands; kNoCharacter
// for every other code (and for codes outside 0..255).
char16_t scanCodeCharacter(int dikCode);

} // namespace engine
