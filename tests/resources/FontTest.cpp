// Fonts and charsets on the recording device: the size choice, glyph metrics from the grid,
// from "Sizes" and from "Rects", colour keys, the log lines of failed loads, and files that
// address characters they do not cover.
#include <gtest/gtest.h>

#include "engine/core/Log.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarWriter.h"
#include "engine/resources/fonts/FontManager.h"
#include "engine/resources/textures/TextureManager.h"
#include "tests/render/PublishedRecordingDevice.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

namespace {

using namespace engine;

constexpr auto png = testsupport::blankPng;

class Fonts : public rendertest::PublishedRecordingDevice {
protected:
  void SetUp() override {
    PublishedRecordingDevice::SetUp();
    folder_.write("sheet.png", png(256, 256));
  }
  void TearDown() override {
    fonts_.reset();
    textures_.reset();
    PublishedRecordingDevice::TearDown();
  }

  FileLocation file(std::string_view name, std::string_view text) {
    return FileLocation::disk(folder_.write(name, text).string());
  }
  // A charset file over the 256 x 256 sheet with the given keys after the usual ones.
  FileLocation charset(std::string_view name, std::string_view keys) {
    return file(name, "Name = \"sheet.png\"; CharsPerLine = 4; CharWidth = 64; CharHeight = 64;\n" + std::string(keys));
  }
  Charset loaded(std::string_view keys) {
    Charset result;
    EXPECT_TRUE(result.load(charset("one.css", keys), nullptr, *textures_));
    return result;
  }

  testsupport::TempDir folder_;
  std::unique_ptr<TextureManager> textures_ = std::make_unique<TextureManager>();
  std::unique_ptr<FontManager> fonts_ = std::make_unique<FontManager>(*textures_);
};

TEST_F(Fonts, TheNearestSizeChoosesTheStyleLargerFirst) {
  charset("small.css", "StartChar = 32; EndChar = 126;");
  charset("large.css", "StartChar = 32; EndChar = 126;");
  const FileLocation font = file("two.fs", "Styles[0].Size = 14; Styles[0].Charsets = array(\"small.css\");"
                                           "Styles[1].Size = 64; Styles[1].Charsets = array(\"large.css\");"
                                           "Styles[2].Size = 30;"); // no charsets: not entered
  ASSERT_TRUE(fonts_->loadFont(font));
  EXPECT_EQ(fonts_->styleCount(), 2u);
  Charset* small = fonts_->styleOfSize(14) ? fonts_->firstCharset() : nullptr;
  ASSERT_NE(small, nullptr);
  auto chosen = [&](int size) {
    TextStyle style;
    style.size = size;
    style.flags = kTextBold; // flags and names take no part in the choice
    return fonts_->findCharset(style, u'A');
  };
  EXPECT_EQ(chosen(14), small);
  EXPECT_EQ(chosen(10), small);
  EXPECT_NE(chosen(20), small);
  EXPECT_EQ(chosen(20), chosen(64));
  EXPECT_EQ(chosen(100), chosen(64));
  // A character outside every range has no charset, and the charset's own metrics give it
  // the cell size.
  EXPECT_EQ(chosen(64)->glyphSize(u'\x7F'), (GlyphSize{64, 64}));
  EXPECT_EQ(chosen(64)->glyphRect(u'\x7F'), GlyphRect{});
  TextStyle any;
  EXPECT_EQ(fonts_->findCharset(any, u'\x7F'), nullptr);
  EXPECT_EQ(fonts_->findCharset(any, u'\x263A'), nullptr);
}

TEST_F(Fonts, ALaterStyleOfTheSameSizeReplacesTheListUnderTheFirstKey) {
  charset("first.css", "StartChar = 48; EndChar = 57;");
  charset("second.css", "StartChar = 65; EndChar = 90;");
  const FileLocation font = file("same.fs", "Styles[0].Size = 14; Styles[0].Bold = 1;"
                                            "Styles[0].Charsets = array(\"first.css\");"
                                            "Styles[1].Size = 14; Styles[1].FontName = \"Other\";"
                                            "Styles[1].Charsets = array(\"second.css\");");
  ASSERT_TRUE(fonts_->loadFont(font));
  ASSERT_EQ(fonts_->styleCount(), 1u);
  EXPECT_EQ(fonts_->styleOfSize(14)->flags, kTextBold);
  EXPECT_TRUE(fonts_->styleOfSize(14)->fontName.empty());
  EXPECT_EQ(fonts_->findCharset(TextStyle{}, u'5'), nullptr);
  ASSERT_NE(fonts_->findCharset(TextStyle{}, u'Q'), nullptr);
  EXPECT_EQ(fonts_->findCharset(TextStyle{}, u'Q')->startChar(), 65);
}

TEST_F(Fonts, GridRectanglesSizesAndExplicitRectangles) {
  const Charset glyphs = loaded("StartChar = 48; EndChar = 57; ColorKey = array(255, 0, 255);"
                                "Sizes = array(30, 31, 32); Sizes[\"0\"] = 37; Sizes[\"9\"] = 20;"
                                "Rects[\"0\"] = array(13, 0, 48, 63); Rects[\"1\"] = array(1, 2, 3);");
  // The explicit rectangle wins over "Sizes", both edges inclusive, no cell origin added.
  EXPECT_EQ(glyphs.glyphSize(u'0'), (GlyphSize{36, 64}));
  EXPECT_EQ(glyphs.glyphRect(u'0'), (GlyphRect{13 / 256.0f, 0.0f, 48 / 256.0f, 63 / 256.0f}));
  // Positional and quoted sizes; a rectangle of three items is skipped.
  EXPECT_EQ(glyphs.glyphSize(u'1'), (GlyphSize{31, 64}));
  EXPECT_EQ(glyphs.glyphRect(u'1'), (GlyphRect{64 / 256.0f, 0.0f, 95 / 256.0f, 64 / 256.0f}));
  EXPECT_EQ(glyphs.glyphSize(u'9'), (GlyphSize{20, 64}));
  // Character 9 of the range: column 1, row 2.
  EXPECT_EQ(glyphs.glyphRect(u'9'), (GlyphRect{64 / 256.0f, 128 / 256.0f, 84 / 256.0f, 192 / 256.0f}));
  // No size given: the cell width.
  EXPECT_EQ(glyphs.glyphSize(u'5'), (GlyphSize{64, 64}));
  // Cut by a clip rectangle: pixel insets over the image size.
  EXPECT_EQ(glyphs.glyphRectInset(u'9', 2, 0, 4, 32),
            (GlyphRect{66 / 256.0f, 128 / 256.0f, 80 / 256.0f, 160 / 256.0f}));
  EXPECT_EQ(glyphs.colorKey(), 0xFFFF00FFu);
  EXPECT_EQ(glyphs.texture()->colorKey(), 0xFFFF00FFu);
  EXPECT_EQ(glyphs.texture()->format(), D3DFMT_A8R8G8B8);
}

TEST_F(Fonts, ColourKeysAndFormatsAsWritten) {
  EXPECT_EQ(loaded("ColorKey = 16711935;").colorKey(), 16711935u);
  EXPECT_EQ(loaded("ColorKey.r = 300; ColorKey.b = 7;").colorKey(), 0xFF2C0007u);
  EXPECT_EQ(loaded("ColorKey.0 = 1; ColorKey.r = 200; ColorKey.g = 2;").colorKey(), 0xFF010200u);
  EXPECT_EQ(loaded("Format = \"D3DFMT_A4R4G4B4\";").format(), D3DFMT_A4R4G4B4);
  EXPECT_EQ(loaded("Format = \"D3DFMT_DXT1\";").format(), D3DFMT_UNKNOWN);
  EXPECT_EQ(loaded("").format(), D3DFMT_A8R8G8B8);
}

TEST_F(Fonts, SizesAndRectsOutsideTheRangeAreSkipped) {
  // A space below "StartChar", an index past the end and keys that are no index at all must
  // not write outside the widths; the characters inside keep what they were given.
  const Charset glyphs = loaded("StartChar = 65; EndChar = 66; Sizes = array(10, 11);"
                                "Sizes[\" \"] = 99; Sizes[\"C\"] = 99; Sizes.70000 = 99; Sizes.x = 99;"
                                "Sizes[\"\"] = 99; Rects[\" \"] = array(0, 0, 200, 63);");
  EXPECT_EQ(glyphs.glyphSize(u'A').width, 10);
  EXPECT_EQ(glyphs.glyphSize(u'B').width, 11);
  EXPECT_EQ(glyphs.glyphSize(u' ').width, 64);
  EXPECT_EQ(glyphs.glyphRect(u' '), GlyphRect{});
}

TEST_F(Fonts, FilesWithoutAGridOrWithAnImpossibleRangeAreRefused) {
  LogCapture log;
  Charset noGrid;
  EXPECT_FALSE(noGrid.load(file("nogrid.css", "Name = \"sheet.png\"; CharsPerLine = 0;"), nullptr, *textures_));
  EXPECT_EQ(noGrid.texture(), nullptr);
  Charset negative;
  EXPECT_FALSE(negative.load(file("negative.css", "Name = \"sheet.png\"; CharsPerLine = -3;"), nullptr, *textures_));
  Charset huge;
  EXPECT_FALSE(huge.load(charset("huge.css", "StartChar = 0; EndChar = 2000000000;"), nullptr, *textures_));
  ASSERT_EQ(log.lines().size(), 3u);
  EXPECT_NE(log.lines()[0].find("CharsPerLine"), std::string::npos);

  // An image-less charset needs no grid; an inverted range fails without a word.
  log.clear();
  Charset textless;
  EXPECT_TRUE(textless.load(file("textless.css", "StartChar = 5;"), nullptr, *textures_));
  EXPECT_EQ(textless.glyphRect(u'\x05'), GlyphRect{});
  Charset inverted;
  EXPECT_FALSE(inverted.load(charset("inverted.css", "StartChar = 10; EndChar = 9;"), nullptr, *textures_));
  EXPECT_TRUE(log.lines().empty());
}

TEST_F(Fonts, AFailedCharsetIsLoggedKeptAndFailsTheFont) {
  charset("good.css", "StartChar = 48; EndChar = 57;");
  file("imageless.css", "Name = \"nowhere.png\"; CharsPerLine = 4; StartChar = 65; EndChar = 90;");
  const FileLocation font = file("mixed.fs", "Styles[0].Size = 20;"
                                             "Styles[0].Charsets = array(\"good.css\", \"missing.css\", "
                                             "\"imageless.css\");");
  LogCapture log;
  EXPECT_FALSE(fonts_->loadFont(font));
  EXPECT_EQ(log.lines(), (std::vector<std::string>{"Error: Charset 'missing.css' loading failed\n",
                                                   "Error: font texture loading failed\n",
                                                   "Error: Charset 'imageless.css' loading failed\n"}));
  // The failed ones stay in the list without a texture; the good one still answers.
  Charset* letters = fonts_->findCharset(TextStyle{}, u'B');
  ASSERT_NE(letters, nullptr);
  EXPECT_EQ(letters->texture(), nullptr);
  ASSERT_NE(fonts_->findCharset(TextStyle{}, u'7'), nullptr);
  EXPECT_NE(fonts_->findCharset(TextStyle{}, u'7')->texture(), nullptr);

  // A font file that is not there adds nothing; one without "Styles" adds nothing and succeeds.
  EXPECT_FALSE(fonts_->loadFont(FileLocation::disk((folder_.path() / "absent.fs").string())));
  EXPECT_TRUE(fonts_->loadFont(file("empty.fs", "Name = \"unused\";")));
  EXPECT_EQ(fonts_->styleCount(), 1u);
}

TEST_F(Fonts, FontsInAnArchiveFindTheirCharsetsAndImagesBesideThem) {
  RarWriter writer;
  writer.addFile("Media\\boxed.fs", "Styles[0].Size = 14; Styles[0].Charsets = array(\"boxed.css\");", 0);
  writer.addFile("Media\\boxed.css", "Name = \"boxed.png\"; CharsPerLine = 4; StartChar = 32; EndChar = 40;", 0);
  writer.addFile("Media\\boxed.png", png(64, 64), 0);
  const std::string bytes = writer.finish();
  MemFileArchive archive;
  ASSERT_TRUE(archive.open(FileLocation::memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()))));
  LogCapture log;
  ASSERT_TRUE(fonts_->loadFont(FileLocation::diskOrArchive(&archive, "Media/boxed.fs")));
  EXPECT_TRUE(log.lines().empty());
  Charset* boxed = fonts_->firstCharset();
  ASSERT_NE(boxed, nullptr);
  ASSERT_NE(boxed->texture(), nullptr);
  EXPECT_EQ(boxed->texture()->imageInfo().Width, 64u);
}

#ifdef TICKWOOD_MEDIA_STAGE
TEST_F(Fonts, TheShippedFontsLoadFromTheMediaFolder) {
  const std::string media = TICKWOOD_MEDIA_STAGE;
  LogCapture log;
  ASSERT_TRUE(fonts_->loadFont(FileLocation::disk(media + "/sylfaen.fs")));
  ASSERT_TRUE(fonts_->loadFont(FileLocation::disk(media + "/64font.fs")));
  EXPECT_TRUE(log.lines().empty());
  TextStyle text;
  Charset* small = fonts_->findCharset(text, u'A');
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(small->charHeight(), 14);
  // "A" (index 65) sits in column 11, row 3 of 14-pixel cells, 18 to a row.
  const int width = small->glyphSize(u'A').width;
  EXPECT_GT(width, 5);
  EXPECT_EQ(small->glyphRect(u'A'),
            (GlyphRect{154 / 256.0f, 42 / 256.0f, (154.0f + static_cast<float>(width)) / 256.0f, 56 / 256.0f}));
  TextStyle overlay;
  overlay.size = 64;
  Charset* large = fonts_->findCharset(overlay, u'7');
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(large->charHeight(), 64);
  EXPECT_EQ(large->colorKey(), 0xFFFF00FFu);
  // Every character the overlays show has an explicit rectangle inside its own cell.
  for (char16_t c : std::u16string(u"0123456789: apm")) {
    const GlyphRect rect = large->glyphRect(c);
    const int index = c - large->startChar();
    const float cellLeft = static_cast<float>(index % large->charsPerLine() * 64) / 1024.0f;
    EXPECT_EQ(rect.left, cellLeft) << static_cast<char>(c);
    EXPECT_LE(rect.right, cellLeft + 63.0f / 1024.0f) << static_cast<char>(c);
    EXPECT_EQ(rect.right - rect.left, static_cast<float>(large->glyphSize(c).width - 1) / 1024.0f)
        << static_cast<char>(c);
  }
}
#endif

} // namespace
