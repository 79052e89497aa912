// A bitmap charset as the program's font loader reads it: a grid image of character cells
// plus a ".css" props file giving the grid, the advance widths and, where wanted, explicit
// pixel rectangles; and the ".fs" font file that names the charset for one text size.
#pragma once

#include "tools/mediagen/common/Image.h"

#include <map>
#include <string>
#include <vector>

namespace tools::fonts {

struct PixelRect {
  int left, top, right, bottom; // both edges inclusive
};

struct CharsetSheet {
  std::string imageName;
  Image image;
  int startChar = 0;
  int endChar = 0;
  int charsPerLine = 1;
  int cellWidth = 0;
  int cellHeight = 0;
  bool magentaKey = false;
  std::vector<int> widths;         // one per character from startChar on
  std::map<char, PixelRect> rects; // explicit rectangles ("Rects")
  std::string description;         // first comment line of the file

  int cellLeft(int code) const { return ((code - startChar) % charsPerLine) * cellWidth; }
  int cellTop(int code) const { return ((code - startChar) / charsPerLine) * cellHeight; }
};

// Characters that can stand as a quoted one-character key of the props language: the ones
// that would be read as a key separator, a bracket, a quote or an escape cannot, and since
// keys ignore case, capitals would land on the key of their small letters. Characters
// without a key of their own are placed by the grid and their "Sizes" entry alone.
bool usableAsQuotedKey(char c);

std::string charsetProps(const CharsetSheet& sheet);
std::string fontProps(const std::string& comment, int size, const std::string& charsetName);

} // namespace tools::fonts
