// Text views on the recording device with a font of known metrics: charset runs, line
// layout (spaces, newlines, wrapping, floats, scale and spacing), vertex generation with
// clipping, batching per texture, the buffer modes and editing.
#include <gtest/gtest.h>

#include "engine/gui/text/TextView.h"
#include "engine/resources/fonts/FontManager.h"
#include "engine/resources/textures/TextureManager.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/render/PublishedRecordingDevice.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"

namespace {

using namespace engine;

constexpr auto png = testsupport::blankPng;

class TextViews : public rendertest::PublishedRecordingDevice {
protected:
  void SetUp() override {
    PublishedRecordingDevice::SetUp();
    // Letters: 10 x 12 cells, 16 to a row of a 256 x 128 sheet; "i" is 4 wide, space 5.
    folder_.write("letters.png", png(256, 128));
    folder_.write("letters.css", "Name = \"letters.png\"; CharsPerLine = 16; CharWidth = 10; CharHeight = 12;"
                                 "StartChar = 32; EndChar = 126; Sizes[\"i\"] = 4; Sizes[\" \"] = 5;");
    // Digits of a second texture, 8 x 16.
    folder_.write("digits.png", png(128, 16));
    folder_.write("digits.css", "Name = \"digits.png\"; CharsPerLine = 10; CharWidth = 8; CharHeight = 16;"
                                "StartChar = 48; EndChar = 57;");
    folder_.write("test.fs", "Styles[0].Size = 12; Styles[0].Charsets = array(\"digits.css\", \"letters.css\");");
    publishTextureManager(textures_.get());
    publishFontManager(fonts_.get());
    ASSERT_TRUE(fonts_->loadFont(FileLocation::disk((folder_.path() / "test.fs").string())));
    gui_->setScreenSize(640, 480);
    view_ = static_cast<TextView*>(gui_->addWindow(std::make_unique<TextView>("view")));
    view_->show(true);
    view_->setRect({100, 50, 200, 100});
    TextStyle style = view_->style();
    style.size = 12;
    view_->setStyle(style);
  }
  void TearDown() override {
    gui_.reset();
    fonts_.reset();
    textures_.reset();
    PublishedRecordingDevice::TearDown();
  }
  bool drawn() {
    device_->BeginScene();
    log_->clear();
    const bool ok = gui_->draw(0);
    device_->EndScene();
    return ok;
  }

  testsupport::TempDir folder_;
  std::unique_ptr<TextureManager> textures_ = std::make_unique<TextureManager>();
  std::unique_ptr<FontManager> fonts_ = std::make_unique<FontManager>(*textures_);
  std::unique_ptr<GuiManager> gui_ = std::make_unique<GuiManager>();
  TextView* view_ = nullptr;
};

TEST_F(TextViews, PlainTextIsLiteralAndRunsFollowTheCharsets) {
  view_->setText(u"12:05 <pm>");
  const TextNode& raw = *view_->document().children.at(0);
  EXPECT_TRUE(raw.isTag(u"RAW"));
  ASSERT_EQ(raw.children.size(), 1u);
  const TextNode& run = *raw.children[0];
  EXPECT_EQ(run.text, u"12:05 <pm>");
  // Digits, then letters from ':', digits again, letters again.
  std::vector<std::size_t> starts;
  for (const auto& [index, charset] : run.charsetRuns)
    starts.push_back(index);
  EXPECT_EQ(starts, (std::vector<std::size_t>{0, 2, 3, 5}));
  EXPECT_EQ(run.charsetAt(1)->startChar(), 48);
  EXPECT_EQ(run.charsetAt(2)->startChar(), 32);
  // Even a text that holds the closing tag stays whole.
  view_->setText(u"a</RAW><B>b");
  EXPECT_EQ(view_->document().children.at(0)->children.at(0)->text, u"a</RAW><B>b");
  view_->setText(std::string_view("caf\xE9"));
  EXPECT_EQ(view_->plainText(), u"caf\u00E9");
  // A character no charset holds is empty: it draws and moves nothing.
  view_->setText(u"a\u263Ab");
  EXPECT_EQ(view_->contentRect().width, 20);
}

TEST_F(TextViews, LinesOfSpacesNewlinesAndScaledSpacedGlyphs) {
  view_->setText(u"   ");
  ASSERT_EQ(view_->lines().size(), 1u);
  EXPECT_EQ(view_->lines()[0].rect.height, 12);
  EXPECT_EQ(view_->contentRect().width, 15);

  view_->setText(u"ab\n\nc");
  ASSERT_EQ(view_->lines().size(), 3u);
  EXPECT_EQ(view_->lines()[1].rect, (GuiRect{0, 12, 0, 12})); // an empty line: the space's height
  EXPECT_EQ(view_->lines()[2].rect.y, 24);
  EXPECT_EQ(view_->lines()[0].reason, LineEnd::Newline);
  EXPECT_EQ(view_->contentRect(), (GuiRect{0, 0, 20, 36}));

  TextStyle style = view_->style();
  style.scale = 1.5f;
  style.charSpace = 2;
  style.rowSpace = 3;
  view_->setStyle(style);
  view_->setText(u"ai1\nx");
  // trunc(1.5 x 10) + 2, trunc(1.5 x 4) + 2, trunc(1.5 x 8) + 2; the digit is the tallest.
  EXPECT_EQ(view_->lines()[0].rect, (GuiRect{0, 0, 17 + 8 + 14, 24}));
  EXPECT_EQ(view_->lines()[1].rect.y, 27);
  // An empty document still has one line, of the first charset's cell (the digits').
  view_->setText(u"");
  ASSERT_EQ(view_->lines().size(), 1u);
  EXPECT_EQ(view_->contentRect().height, 16);
}

TEST_F(TextViews, WrappingBreaksAtWordsAndInsideWordsTooWide) {
  view_->setRect({100, 50, 65, 100});
  view_->setText(u"abc defgh ijklmnopq");
  // Without wrapping one long line is cut by the clip rectangle.
  ASSERT_EQ(view_->lines().size(), 1u);
  EXPECT_GT(view_->contentRect().width, 65);

  view_->setWordWrap(true);
  ASSERT_EQ(view_->lines().size(), 4u);
  // "abc " + "defgh" would be 35 + 50: "defgh" starts the next line with the blank after it.
  EXPECT_EQ(view_->lines()[0].end, 4u);
  EXPECT_EQ(view_->lines()[0].reason, LineEnd::Wrap);
  EXPECT_EQ(view_->lines()[1].end, 10u);
  // "ijklmnopq" (84 pixels) is wider than the view: it breaks at the first glyph that does
  // not fit, "p", which starts the next word.
  EXPECT_EQ(view_->lines()[2].end - view_->lines()[2].begin, 7u);
  EXPECT_EQ(view_->lines()[2].rect.width, 4 + 6 * 10);
  EXPECT_EQ(view_->lines()[3].end, 19u);

  // A single glyph wider than the view still takes a line of its own.
  view_->setRect({100, 50, 6, 100});
  EXPECT_EQ(view_->lines().size(), 4u); // laid out again on draw, not on move
  drawn();
  EXPECT_EQ(view_->lines().size(), 19u);

  // Spacing after the last glyph may take a word past the view: it still goes on the line
  // rather than wrapping for ever.
  TextStyle spaced = view_->style();
  spaced.charSpace = 3;
  view_->setStyle(spaced);
  view_->setRect({100, 50, 64, 100});
  view_->setText(u"abcdefgh");
  ASSERT_EQ(view_->lines().size(), 2u);
  EXPECT_EQ(view_->lines()[0].rect.width, 65);
}

TEST_F(TextViews, AFloatTakesTheLeftOfTheLinesBesideIt) {
  view_->setRect({100, 50, 80, 100});
  view_->setWordWrap(true);
  view_->setMarkup(u"<F TextFloat><IMG Width=30 Height=30/></F>ab cd ef gh");
  // The image floats: lines beside it start at its right edge until below its bottom.
  const auto& lines = view_->lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].rect.x, 0);
  EXPECT_EQ(lines[0].rect.height, 12);
  EXPECT_EQ(lines[1].rect.x, 30);
  GuiRect last = lines.back().rect;
  EXPECT_GE(last.y + last.height, 12);
  // The image is a window of its own at its place in the text.
  const TextItem& image = view_->items().front();
  ASSERT_TRUE(image.image);
  ASSERT_NE(image.node->image, nullptr);
  EXPECT_EQ(image.node->image->rect(), (GuiRect{0, 0, 30, 30}));
  view_->setText(u"plain");
  EXPECT_EQ(view_->children().size(), 0u);

  // A word that cannot pass a tall float on its side goes below it in one step.
  view_->setMarkup(u"<F TextFloat><IMG Width=30 Height=4000/></F>abcdefghijklmnop");
  ASSERT_EQ(view_->lines().size(), 4u);
  EXPECT_EQ(view_->lines()[1].end, view_->lines()[1].begin);
  EXPECT_EQ(view_->lines()[2].rect, (GuiRect{0, 4000, 74, 12}));
  // Image sizes stay within 4096 pixels, whatever a document says.
  view_->setMarkup(u"<IMG Width=99999999999 Height=-5/>");
  EXPECT_EQ(view_->items().at(0).node->imageWidth, 4096);
  EXPECT_EQ(view_->items().at(0).node->imageHeight, 0);
}

TEST_F(TextViews, GlyphsLandOnWholePixelsAndAreCutWithTheirTextureRectangles) {
  view_->setText(u"a1");
  ASSERT_TRUE(drawn());
  const GlyphBatch& batch = view_->batch();
  ASSERT_EQ(batch.runs().size(), 2u); // one draw per charset texture
  EXPECT_EQ(calls("DrawPrimitive"), 2u);
  const GlyphVertex* a = batch.runs()[0].vertices.data();
  EXPECT_FLOAT_EQ(a[0].x, 99.5f);
  EXPECT_FLOAT_EQ(a[0].y, 49.5f);
  EXPECT_FLOAT_EQ(a[4].x, 109.5f);
  EXPECT_FLOAT_EQ(a[4].y, 61.5f);
  EXPECT_FLOAT_EQ(a[0].rhw, 1.0f);
  EXPECT_EQ(a[0].diffuse, 0xFFFFFFFFu);
  // "a" is character 65 of the letters: column 1, row 4.
  EXPECT_FLOAT_EQ(a[0].u, 10 / 256.0f);
  EXPECT_FLOAT_EQ(a[0].v, 48 / 128.0f);
  EXPECT_FLOAT_EQ(a[4].u, 20 / 256.0f);
  EXPECT_FLOAT_EQ(a[4].v, 60 / 128.0f);
  EXPECT_FLOAT_EQ(a[0].z, gui_->layerDepth(view_->layer() - 1));
  EXPECT_TRUE(batch.backgrounds().empty()); // transparent backgrounds draw nothing

  // The view's bottom edge cuts the second line 5 pixels into its 12: the texture
  // rectangle loses the same 7 pixels at the bottom.
  view_->setRect({100, 50, 200, 17});
  view_->setText(u"a\nb");
  ASSERT_TRUE(drawn());
  const std::vector<GlyphVertex>& letters = view_->batch().runs()[0].vertices;
  ASSERT_EQ(letters.size(), 12u);
  const GlyphVertex* b = letters.data() + 6;
  EXPECT_FLOAT_EQ(b[4].y, 66.5f);
  EXPECT_FLOAT_EQ(b[0].v, 48 / 128.0f);
  EXPECT_FLOAT_EQ(b[4].v, (60.0f - 7.0f) / 128.0f);
  // Glyphs beyond the right edge are cut away.
  view_->setRect({100, 50, 15, 100});
  view_->setText(u"abc");
  ASSERT_TRUE(drawn());
  const std::vector<GlyphVertex>& cut = view_->batch().runs()[0].vertices;
  ASSERT_EQ(cut.size(), 12u);
  EXPECT_FLOAT_EQ(cut[10].x, 114.5f);
  EXPECT_FLOAT_EQ(cut[10].u, (20.0f + 5.0f) / 256.0f);
}

TEST_F(TextViews, BackgroundsBufferModesAndBatching) {
  TextStyle style = view_->style();
  style.bgColor = FloatColor(1.0f, 0.0f, 0.0f, 1.0f);
  style.charSpace = 3;
  view_->setStyle(style);
  view_->setText(u"ab1234");
  ASSERT_TRUE(drawn());
  EXPECT_EQ(view_->batch().backgrounds().size(), 36u);
  // Each background covers its glyph and the spacing after it.
  EXPECT_FLOAT_EQ(view_->batch().backgrounds()[4].x, 112.5f);
  EXPECT_FLOAT_EQ(view_->batch().backgrounds()[0].z, gui_->layerDepth(view_->layer()));
  EXPECT_EQ(calls("DrawPrimitive"), 3u);
  ASSERT_EQ(view_->glyphBuffers().size(), 2u);
  EXPECT_EQ(view_->glyphBuffers()[0].second->lastLockFlags(), static_cast<DWORD>(D3DLOCK_DISCARD));
  EXPECT_EQ(gui_->buffers().lent(), 3u);

  view_->setBufferMode(0);
  EXPECT_EQ(gui_->buffers().lent(), 0u);
  EXPECT_FALSE(view_->drawQueued());
  view_->queueDraw(true);
  ASSERT_TRUE(drawn()); // buffers exist: a second lock keeps what is drawn
  ASSERT_TRUE(drawn());
  EXPECT_EQ(view_->glyphBuffers()[1].second->lastLockFlags(), static_cast<DWORD>(D3DLOCK_NOOVERWRITE));

  // A lost device takes the buffers; the next draw makes them again.
  gui_->invalidateDeviceObjects();
  ASSERT_TRUE(drawn());
  EXPECT_EQ(calls("DrawPrimitive"), 3u);
}

TEST_F(TextViews, AnEditableViewTakesKeysAndShowsTheSelectionInTheEditStyle) {
  view_->setEditable(true);
  view_->setText(u"ab");
  gui_->onInputEvent(guitest::pointerEvent(InputEventKind::LeftButtonPressed, 101, 55, 101, 55));
  EXPECT_EQ(gui_->keyboardFocus(), view_);
  gui_->onInputEvent(guitest::pointerEvent(InputEventKind::PointerMoved, 125, 55, 101, 55));
  gui_->onInputEvent(guitest::pointerEvent(InputEventKind::LeftButtonReleased, 125, 55, 125, 55));
  EXPECT_EQ(view_->rect().x, 100); // no drag
  EXPECT_EQ(view_->editor().selectionEnd(), 2u);
  ASSERT_TRUE(drawn());
  EXPECT_EQ(view_->batch().quads()[0].color, 0xFFC80000u);
  EXPECT_EQ(view_->batch().quads()[0].background, 0xFF000064u);

  gui_->onInputEvent({InputEventKind::KeyPressed, {0, 0}, {0, 0}, {}, 2}); // "1" replaces the selection
  gui_->onInputEvent({InputEventKind::KeyPressed, {0, 0}, {0, 0}, {}, 28});
  EXPECT_EQ(view_->plainText(), u"1\n");
  EXPECT_EQ(view_->lines().size(), 2u);
  // A marked-up document is not typed into.
  view_->setMarkup(u"<B>x</B>");
  gui_->onInputEvent({InputEventKind::KeyPressed, {0, 0}, {0, 0}, {}, 2});
  EXPECT_EQ(view_->items().size(), 1u);
}

} // namespace
