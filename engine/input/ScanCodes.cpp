#include "engine/input/ScanCodes.h"

#include <array>
#include <string_view>

namespace engine {
namespace {

// Consecutive key codes that give consecutive characters of a string.
constexpr void fillRow(std::array<std::uint16_t, 256>& table, int firstCode, std::string_view characters) {
  for (std::size_t i = 0; i < characters.size(); ++i)
    table[static_cast<std::size_t>(firstCode) + i] = static_cast<std::uint16_t>(characters[i]);
}

constexpr std::array<std::uint16_t, 256> makeTable() {
  std::array<std::uint16_t, 256> table{};
  table.fill(kNoCharacter);
  fillRow(table, 0x02, "1234567890");
  fillRow(table, 0x10, "qwertyuiop");
  fillRow(table, 0x1E, "asdfghjkl");
  fillRow(table, 0x2C, "zxcvbnm,.;");
  table[0x39] = ' ';
  table[0x1C] = kReturnCharacter;
  table[0x0E] = kBackspaceCharacter;
  table[0x01] = kEscapeCharacter;
  return table;
}

constexpr std::array<std::uint16_t, 256> kCharacters = makeTable();

} // namespace

std::uint16_t characterOfScanCode(int dik) {
  if (dik < 0 || dik > 255) return kNoCharacter;
  return kCharacters[static_cast<std::size_t>(dik)];
}

} // namespace engine
