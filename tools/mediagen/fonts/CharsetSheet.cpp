#include "tools/mediagen/fonts/CharsetSheet.h"

#include <cctype>
#include <sstream>

namespace tools::fonts {

bool usableAsQuotedKey(char c) {
  if (std::isdigit(static_cast<unsigned char>(c)) || std::islower(static_cast<unsigned char>(c))) return true;
  // Not '.', '[', ']', quotes, backslash, '=', '(', ')', ',' or ';': a key path or a
  // statement would be split or misquoted at them.
  static const std::string kSafe = " :!#$%&*+-<>?@^_`{|}~/";
  return kSafe.find(c) != std::string::npos;
}

namespace {

std::string describe(int code) {
  if (code == 32) return "space";
  if (code > 32 && code < 127 && code != '/') return std::string(1, static_cast<char>(code));
  return "#" + std::to_string(code);
}

} // namespace

std::string charsetProps(const CharsetSheet& sheet) {
  std::ostringstream out;
  out << "// " << sheet.description << "\n"
      << "// Cells of " << sheet.cellWidth << " x " << sheet.cellHeight << " pixels, " << sheet.charsPerLine
      << " per row, from character " << sheet.startChar << " to " << sheet.endChar << ".\n"
      << "Name         = \"" << sheet.imageName << "\";\n"
      << "Format       = \"D3DFMT_A8R8G8B8\";\n"
      << "CharsPerLine = " << sheet.charsPerLine << ";\n"
      << "CharWidth    = " << sheet.cellWidth << ";\n"
      << "CharHeight   = " << sheet.cellHeight << ";\n"
      << "StartChar    = " << sheet.startChar << ";\n"
      << "EndChar      = " << sheet.endChar << ";\n";
  if (sheet.magentaKey) out << "// Magenta cells are transparent.\nColorKey     = array(255, 0, 255);\n";
  out << "// Advance width in pixels of every character, in order from StartChar.\nSizes = array(\n";
  const int perLine = 16;
  for (std::size_t i = 0; i < sheet.widths.size(); ++i) {
    const int code = sheet.startChar + static_cast<int>(i);
    if (i % perLine == 0) out << "// " << describe(code) << " ...\n";
    out << sheet.widths[i] << (i + 1 < sheet.widths.size() ? (i % perLine == perLine - 1 ? ",\n" : ", ") : "\n");
  }
  out << ");\n";
  if (!sheet.rects.empty()) {
    out << "// Glyph rectangles in pixels: left, top, right, bottom (inclusive).\n";
    for (const auto& [c, rect] : sheet.rects) {
      out << "Rects[\"" << c << "\"] = array(" << rect.left << ", " << rect.top << ", " << rect.right << ", "
          << rect.bottom << ");\n";
    }
  }
  return out.str();
}

std::string fontProps(const std::string& comment, int size, const std::string& charsetName) {
  std::ostringstream out;
  out << "// " << comment << "\n"
      << "Styles[0].Size     = " << size << ";\n"
      << "Styles[0].Charsets = array(\"" << charsetName << "\");\n";
  return out.str();
}

} // namespace tools::fonts
