// The time label on the OpenGL back end with the shipped overlay font, at viewport widths
// 1024 and 2048, in both time styles: it sits in the bottom-right corner with its laid-out
// extent, its glyph quads lie on whole pixels, and every pixel is what the glyph's own texels
// give (point-sampled from the font's sheet, magenta keyed out) over the background, so no
// glyph shows any part of its neighbours in the sheet.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>

#include "clockroom/Overlays.h"
#include "engine/gui/GuiManager.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"
#include "engine/resources/fonts/FontManager.h"
#include "engine/resources/textures/TextureManager.h"
#include "shell/Settings.h"
#include "tests/support/GlTestDevice.h"
#include "tests/support/Pictures.h"

namespace {

constexpr std::uint32_t kBackground = 0x203040;

struct OverlayCase {
  UINT width;
  bool twentyFourHour;
  const char* text;
};

void PrintTo(const OverlayCase& c, std::ostream* out) {
  *out << c.width << (c.twentyFourHour ? " 24-hour" : " 12-hour");
}

class OverlayImage : public ::testing::TestWithParam<OverlayCase> {
protected:
  void SetUp() override {
    testsupport::PresentParameters params;
    params.width = GetParam().width;
    params.height = GetParam().width * 3 / 4;
    OPEN_GL_DEVICE_OR_SKIP(gl_, params);
    engine::publishDevice(gl_.device());
    textures_ = std::make_unique<engine::TextureManager>();
    engine::publishTextureManager(textures_.get());
    fonts_ = std::make_unique<engine::FontManager>(*textures_);
    engine::publishFontManager(fonts_.get());
    const std::filesystem::path media = TICKWOOD_MEDIA_STAGE;
    ASSERT_TRUE(fonts_->loadFont(engine::FileLocation::disk((media / "64font.fs").string())));
    std::string error;
    ASSERT_TRUE(testsupport::readPicture(media / "64font.png", sheet_, error)) << error;
  }
  void TearDown() override {
    gui_.reset();
    fonts_.reset();
    textures_.reset();
    engine::publishDevice(nullptr);
  }

  // Draws the label showing 15:07:09 over the background and reads the picture back.
  engine::TextView* drawTime() {
    saver::Settings settings;
    settings.showFps = false;
    settings.showTime = true;
    settings.timeStyle = GetParam().twentyFourHour;
    const int width = static_cast<int>(GetParam().width), height = width * 3 / 4;
    gui_->setScreenSize(width, height);
    overlays_.create(*gui_, settings, static_cast<float>(width) / 1024.0f);
    SYSTEMTIME now{};
    now.wHour = 15;
    now.wMinute = 7;
    now.wSecond = 9;
    overlays_.showTime(now, width, height);
    IDirect3DDevice9* device = gl_.device();
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u | kBackground, 1.0f, 0),
              D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_TRUE(gui_->draw(0));
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_TRUE(gl_.presentAndRead());
    return overlays_.timeLabel();
  }

  // The sheet's texel under texture coordinates (u, v), the key colour transparent.
  std::uint32_t texel(float u, float v, float nudgeU, float nudgeV) const {
    const auto x = static_cast<UINT>(std::floor(u * static_cast<float>(sheet_.width) + nudgeU));
    const auto y = static_cast<UINT>(std::floor(v * static_cast<float>(sheet_.height) + nudgeV));
    const std::uint32_t value = sheet_.at(std::min(x, sheet_.width - 1), std::min(y, sheet_.height - 1));
    return value == 0xFFFF00FFu ? 0u : value;
  }
  static testsupport::Rgba over(std::uint32_t argb) {
    const float a = static_cast<float>(argb >> 24) / 255.0f;
    auto mix = [&](int shift) {
      const float glyph = static_cast<float>((argb >> shift) & 0xFF);
      const float ground = static_cast<float>((kBackground >> shift) & 0xFF);
      return static_cast<int>(std::lround(glyph * a + ground * (1.0f - a)));
    };
    return {mix(16), mix(8), mix(0), 255};
  }

  testsupport::GlTestDevice gl_;
  std::unique_ptr<engine::TextureManager> textures_;
  std::unique_ptr<engine::FontManager> fonts_;
  std::unique_ptr<engine::GuiManager> gui_ = std::make_unique<engine::GuiManager>();
  saver::Overlays overlays_;
  d3dx9::Image sheet_;
};

TEST_P(OverlayImage, TheTimeSitsInTheCornerAndEveryGlyphShowsOnlyItsOwnTexels) {
  engine::TextView* label = drawTime();
  ASSERT_NE(label, nullptr);
  ASSERT_FALSE(HasFailure());
  const float scale = static_cast<float>(GetParam().width) / 1024.0f;
  EXPECT_EQ(label->plainText(), std::u16string(GetParam().text, GetParam().text + std::strlen(GetParam().text)));

  // The extent is the sum of the scaled glyphs, one glyph high; the label touches the corner.
  engine::TextStyle style;
  style.size = saver::Overlays::kFontSize;
  int width = 0;
  for (const char* c = GetParam().text; *c; ++c) {
    const engine::Charset* charset = fonts_->findCharset(style, static_cast<char16_t>(*c));
    ASSERT_NE(charset, nullptr) << *c;
    width += static_cast<int>(scale * static_cast<float>(charset->glyphSize(static_cast<char16_t>(*c)).width));
  }
  const engine::GuiRect extent = label->contentRect();
  EXPECT_EQ(extent.width, width);
  EXPECT_EQ(extent.height, static_cast<int>(64 * scale));
  const int screenWidth = static_cast<int>(gl_.image().width), screenHeight = static_cast<int>(gl_.image().height);
  EXPECT_EQ(label->rect().x, screenWidth - extent.width);
  EXPECT_EQ(label->rect().y, screenHeight - extent.height);

  // Quads on whole pixels.
  for (const engine::GlyphRun& run : label->batch().runs())
    for (const engine::GlyphVertex& vertex : run.vertices) {
      EXPECT_EQ(vertex.x + 0.5f, std::floor(vertex.x + 0.5f));
      EXPECT_EQ(vertex.y + 0.5f, std::floor(vertex.y + 0.5f));
    }

  // Every pixel against the sheet.
  std::vector<bool> covered(std::size_t(screenWidth) * screenHeight, false);
  int wrong = 0, ink = 0;
  for (const engine::GlyphQuad& quad : label->batch().quads()) {
    const engine::GlyphRect uv = quad.charset->glyphRect(quad.ch);
    for (int y = quad.top; y < std::min(quad.bottom, screenHeight); ++y) {
      for (int x = quad.left; x < std::min(quad.right, screenWidth); ++x) {
        covered[std::size_t(y) * screenWidth + x] = true;
        const float u = uv.left + (uv.right - uv.left) * (static_cast<float>(x - quad.left) + 0.5f) /
                                      static_cast<float>(quad.right - quad.left);
        const float v = uv.top + (uv.bottom - uv.top) * (static_cast<float>(y - quad.top) + 0.5f) /
                                     static_cast<float>(quad.bottom - quad.top);
        const testsupport::Rgba actual = gl_.pixel(static_cast<UINT>(x), static_cast<UINT>(y));
        bool matches = false;
        // Where a sample falls on a texel edge either side may be taken.
        for (float nu : {-0.02f, 0.02f})
          for (float nv : {-0.02f, 0.02f})
            matches = matches || testsupport::colorNear(actual, over(texel(u, v, nu, nv)), 3);
        wrong += !matches;
        ink += actual.r > 200 && actual.g > 200 && actual.b > 200;
      }
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_GT(ink, static_cast<int>(100 * scale * scale));
  int stray = 0;
  for (int y = 0; y < screenHeight; ++y)
    for (int x = 0; x < screenWidth; ++x)
      if (!covered[std::size_t(y) * screenWidth + x])
        stray += !testsupport::colorNear(gl_.pixel(static_cast<UINT>(x), static_cast<UINT>(y)), over(0), 0);
  EXPECT_EQ(stray, 0);
}

INSTANTIATE_TEST_SUITE_P(Widths, OverlayImage,
                         ::testing::Values(OverlayCase{1024, false, "3:07:09 pm"}, OverlayCase{1024, true, "15:07:09 "},
                                           OverlayCase{2048, false, "3:07:09 pm"},
                                           OverlayCase{2048, true, "15:07:09 "}));

} // namespace
