// Reads the generated font files as the program's font loader does and checks that every
// glyph it would draw lies inside its image, carries ink where it should and none where
// it would be cut off, and that the overlay texts fit their labels.
#include "tests/mediagen/PropsReader.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

using mediatest::PropsNode;

std::string mediaFile(const std::string& name) { return std::string(TICKWOOD_MEDIA_STAGE) + "/" + name; }

PropsNode parsed(const std::string& name) {
  PropsNode root;
  std::string error;
  EXPECT_TRUE(mediatest::parseProps(testsupport::TempDir::read(mediaFile(name)), root, error)) << name << ": " << error;
  return root;
}

int intOf(const PropsNode& root, const char* key) {
  const PropsNode* node = root.find(key);
  EXPECT_NE(node, nullptr) << key;
  return node ? node->asInt() : 0;
}

// What the loader makes of one charset file.
struct Charset {
  std::string imageName;
  int start = 0, end = 0, perLine = 1, cellWidth = 0, cellHeight = 0;
  std::vector<int> widths;
  struct Rect {
    int left, top, right, bottom;
  };
  std::map<unsigned char, Rect> rects;
  bool magentaKey = false;
  d3dx9::Image image;

  int width(unsigned char c) const { return widths.at(static_cast<std::size_t>(c - start)); }
  // The pixel rectangle the program samples for `c`, right and bottom exclusive.
  Rect glyph(unsigned char c) const {
    auto found = rects.find(c);
    if (found != rects.end())
      return {found->second.left, found->second.top, found->second.right + 1, found->second.bottom + 1};
    const int i = c - start;
    const int x = (i % perLine) * cellWidth, y = (i / perLine) * cellHeight;
    return {x, y, x + width(c), y + cellHeight};
  }
  int textWidth(const std::string& text) const {
    int total = 0;
    for (unsigned char c : text)
      total += glyph(c).right - glyph(c).left;
    return total;
  }
};

// Loads the font file, its one style and that style's charset with its image.
Charset loadFont(const std::string& fontFile, int expectedSize) {
  Charset charset;
  const PropsNode font = parsed(fontFile);
  const PropsNode* styles = font.find("Styles");
  if (!styles || styles->children.size() != 1) {
    ADD_FAILURE() << fontFile << " should hold one style";
    return charset;
  }
  const PropsNode& style = *styles->children[0];
  EXPECT_EQ(intOf(style, "Size"), expectedSize);
  const PropsNode* names = style.find("Charsets");
  if (!names || names->children.size() != 1) {
    ADD_FAILURE() << fontFile << " should name one charset";
    return charset;
  }
  const PropsNode css = parsed(names->children[0]->value);
  charset.imageName = css.find("Name") ? css.find("Name")->value : "";
  EXPECT_EQ(css.find("Format") ? css.find("Format")->value : "", "D3DFMT_A8R8G8B8");
  charset.start = intOf(css, "StartChar");
  charset.end = intOf(css, "EndChar");
  charset.perLine = intOf(css, "CharsPerLine");
  charset.cellWidth = intOf(css, "CharWidth");
  charset.cellHeight = intOf(css, "CharHeight");
  if (const PropsNode* key = css.find("ColorKey")) {
    charset.magentaKey = key->children.size() == 3 && key->children[0]->asInt() == 255 &&
                         key->children[1]->asInt() == 0 && key->children[2]->asInt() == 255;
  }
  if (const PropsNode* sizes = css.find("Sizes")) {
    for (const auto& entry : sizes->children)
      charset.widths.push_back(entry->asInt());
  }
  if (const PropsNode* rects = css.find("Rects")) {
    for (const auto& entry : rects->children) {
      EXPECT_EQ(entry->name.size(), 3u) << "Rects key " << entry->name;
      EXPECT_EQ(entry->children.size(), 4u) << "Rects key " << entry->name;
      if (entry->name.size() != 3 || entry->children.size() != 4) continue;
      charset.rects[static_cast<unsigned char>(entry->name[1])] = {
          entry->children[0]->asInt(), entry->children[1]->asInt(), entry->children[2]->asInt(),
          entry->children[3]->asInt()};
    }
  }
  std::string error;
  EXPECT_TRUE(testsupport::readPicture(mediaFile(charset.imageName), charset.image, error)) << error;
  return charset;
}

bool isKey(std::uint32_t argb) { return argb == 0xFFFF00FFu; }

// Opacity the program ends up with for a texel: colour-keyed texels become transparent.
int opacity(const Charset& charset, int x, int y) {
  const std::uint32_t p = charset.image.at(UINT(x), UINT(y));
  return charset.magentaKey && isKey(p) ? 0 : testsupport::alpha(p);
}

// Every character in range: its rectangle lies in the image and in its own cell, printable
// characters show ink there, and nothing of the glyph lies in the cell beyond it.
void expectGlyphsInPlace(const Charset& charset, const std::string& mustHaveInk) {
  ASSERT_GT(charset.perLine, 0);
  ASSERT_EQ(charset.widths.size(), static_cast<std::size_t>(charset.end - charset.start + 1));
  // The texture store rounds images up to powers of two; glyph sheets should not need it.
  EXPECT_EQ(charset.image.width & (charset.image.width - 1), 0u);
  EXPECT_EQ(charset.image.height & (charset.image.height - 1), 0u);
  for (int code = charset.start; code <= charset.end; ++code) {
    const auto c = static_cast<unsigned char>(code);
    const Charset::Rect r = charset.glyph(c);
    const int i = code - charset.start;
    const int cellX = (i % charset.perLine) * charset.cellWidth, cellY = (i / charset.perLine) * charset.cellHeight;
    ASSERT_GE(r.left, cellX) << code;
    ASSERT_GE(r.top, cellY) << code;
    ASSERT_LE(r.right, cellX + charset.cellWidth) << code;
    ASSERT_LE(r.bottom, cellY + charset.cellHeight) << code;
    ASSERT_LE(r.right, int(charset.image.width)) << code;
    ASSERT_LE(r.bottom, int(charset.image.height)) << code;
    EXPECT_EQ(r.right - r.left, charset.width(c)) << "Rects and Sizes disagree for " << code;
    int inside = 0, outside = 0;
    for (int y = cellY; y < cellY + charset.cellHeight; ++y) {
      for (int x = cellX; x < cellX + charset.cellWidth; ++x) {
        (x >= r.left && x < r.right ? inside : outside) += opacity(charset, x, y) > 0;
      }
    }
    EXPECT_EQ(outside, 0) << "glyph " << code << " is cut off by its width";
    if (mustHaveInk.find(static_cast<char>(code)) != std::string::npos) {
      EXPECT_GT(inside, 0) << "glyph " << code << " is empty";
    }
  }
}

const std::string kAsciiInk =
    "!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

TEST(FontFiles, TextFontHasPositionalSizesForEveryCharacterOfItsSheet) {
  const Charset text = loadFont("sylfaen.fs", 14);
  EXPECT_EQ(text.imageName, "sylfaen_eng_14.png");
  EXPECT_EQ(text.cellHeight, 14);
  EXPECT_TRUE(text.rects.empty());
  EXPECT_EQ(text.start, 0);
  EXPECT_EQ(text.end, 255);
  expectGlyphsInPlace(text, kAsciiInk + "\xC0\xC9\xE9\xF6\xFC\xDF\xA9");
  EXPECT_GT(text.width(' '), 0);
}

TEST(FontFiles, OverlayFontHasKeyedRectsForTheClockAndFitsTheLabels) {
  const Charset overlay = loadFont("64font.fs", 64);
  EXPECT_EQ(overlay.cellHeight, 64);
  EXPECT_TRUE(overlay.magentaKey);
  expectGlyphsInPlace(overlay, kAsciiInk);
  for (char c : std::string("0123456789: amp")) {
    EXPECT_TRUE(overlay.rects.count(static_cast<unsigned char>(c))) << "no rectangle for '" << c << "'";
  }
  // Digits share a width, so the right-aligned time does not jitter as it counts.
  for (char c = '1'; c <= '9'; ++c)
    EXPECT_EQ(overlay.width(c), overlay.width('0'));
  // The labels are 350 (12-hour) and 290 (24-hour) pixels wide at 1024 and clip the rest.
  EXPECT_LE(overlay.textWidth("12:00:00 pm"), 350);
  EXPECT_LE(overlay.textWidth("23:59:59 "), 290);
  // Magenta ground around the glyphs, and white ink.
  EXPECT_TRUE(isKey(overlay.image.at(overlay.image.width - 1, overlay.image.height - 1)));
  bool white = false;
  for (int y = 64; y < 128 && !white; ++y)
    for (int x = 0; x < 64 && !white; ++x)
      white = (overlay.image.at(UINT(x), UINT(y)) & 0xFFFFFF00u) == 0xFFFFFF00u; // opaque, red and green full
  EXPECT_TRUE(white) << "the '0' glyph has no white ink";
}

TEST(PropsReader, FollowsTheLanguageForTheFormsTheFontFilesUse) {
  PropsNode root;
  std::string error;
  ASSERT_TRUE(
      mediatest::parseProps("// c\nA = array(1,\n// two\n2); Styles[0].Size = 64; Rects[\":\"] = array(1, 2, 3, 4);"
                            " Name = \"x;y\";",
                            root, error))
      << error;
  ASSERT_NE(root.find("a"), nullptr);
  ASSERT_EQ(root.find("A")->children.size(), 2u);
  EXPECT_EQ(root.find("A")->children[1]->value, "2");
  EXPECT_EQ(root.find("Styles")->find("0")->find("Size")->value, "64");
  EXPECT_EQ(root.find("Rects")->find("\":\"")->children[3]->value, "4");
  EXPECT_EQ(root.find("Name")->value, "x;y");
  // A key quoted with '.' would be split by the program: the reader splits it as well.
  PropsNode split;
  ASSERT_TRUE(mediatest::parseProps("Rects[\".\"] = 1;", split, error));
  EXPECT_EQ(split.find("Rects")->find("\".\""), nullptr);
  EXPECT_FALSE(mediatest::parseProps("A = 1;; B = 2;", split, error));
}

} // namespace
