#include "engine/gui/text/ScanCodes.h"

#include <array>
#include <string_view>

namespace engine {
namespace {

constexpr std::array<char16_t, 256> makeTable() {
  std::array<char16_t, 256> table{};
  for (char16_t& entry : table)
    entry = kNoCharacter;
  for (int code = 2; code <= 10; ++code)
    table[static_cast<std::size_t>(code)] = static_cast<char16_t>(u'1' + (code - 2));
  table[11] = u'0';
  constexpr std::u16string_view kTop = u"qwertyuiop", kMiddle = u"asdfghjkl", kBottom = u"zxcvbnm";
  for (std::size_t i = 0; i < kTop.size(); ++i)
    table[16 + i] = kTop[i];
  for (std::size_t i = 0; i < kMiddle.size(); ++i)
    table[30 + i] = kMiddle[i];
  for (std::size_t i = 0; i < kBottom.size(); ++i)
    table[44 + i] = kBottom[i];
  table[51] = u',';
  table[52] = u'.';
  table[53] = u';';
  table[57] = u' ';
  table[28] = kReturnCharacter;
  table[14] = kBackspaceCharacter;
  table[1] = kEscapeCharacter;
  return table;
}

constexpr std::array<char16_t, 256> kTable = makeTable();

} // namespace

char16_t scanCodeCharacter(int dikCode) {
  if (dikCode < 0 || dikCode > 255) return kNoCharacter;
  return kTable[static_cast<std::size_t>(dikCode)];
}

} // namespace engine
