// tickwood-fontgen <serif.ttf> <media-folder> <preview-folder>
// Renders the program's two bitmap fonts from a free serif font with FreeType:
//   sylfaen.fs, sylfaen_eng_14.css, sylfaen_eng_14.png  the 14-pixel text font;
//   64font.fs, 64font.css, 64font.png                   the 64-pixel overlay font.
// The preview folder gets fonts-preview.png: sample lines laid out from the written
// metrics the way the program lays them out, to look at.
#include "tools/mediagen/fonts/CharsetSheet.h"
#include "tools/mediagen/fonts/GlyphRasterizer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using tools::fromByte;
using tools::Image;
using tools::Rgba;
using tools::fonts::CharsetSheet;
using tools::fonts::Glyph;
using tools::fonts::GlyphRasterizer;

// The overlay labels have fixed extents at 1024 pixels of screen width (350 x 74 for the
// 12-hour clock, 290 x 74 for the 24-hour one) and clip what does not fit, so the widest
// times must fit with a little room to spare.
constexpr int kTwelveHourExtent = 350;
constexpr int kTwentyFourHourExtent = 290;
constexpr int kOutline = 2; // dark rim around the overlay glyphs, pixels

bool printable(int code) { return (code >= 32 && code < 127) || code >= 160; }

// The 14-pixel font: every character of the system code page's Latin-1 half, white on
// transparent, advance widths as positional "Sizes".
CharsetSheet makeTextSheet(GlyphRasterizer& font) {
  CharsetSheet sheet;
  sheet.description = "The 14-pixel text font.";
  sheet.imageName = "sylfaen_eng_14.png";
  sheet.startChar = 0;
  sheet.endChar = 255;
  sheet.charsPerLine = 18;
  sheet.cellWidth = 14;
  sheet.cellHeight = 14;
  sheet.image = Image(256, 256, Rgba{1, 1, 1, 0}); // white ink, transparent where there is none
  int size = 14;
  while (size > 6 && (!font.setPixelSize(size) || font.ascender() + font.descender() > sheet.cellHeight))
    --size;
  const int baseline = font.ascender();
  for (int code = sheet.startChar; code <= sheet.endChar; ++code) {
    Glyph glyph;
    if (!printable(code) || !font.render(static_cast<char32_t>(code), glyph)) {
      sheet.widths.push_back(0);
      continue;
    }
    const int shift = std::max(0, -glyph.left);
    const int width = std::clamp(std::max(glyph.advance + shift, shift + glyph.left + glyph.width), 1, sheet.cellWidth);
    sheet.widths.push_back(width);
    const int x0 = sheet.cellLeft(code) + shift + glyph.left;
    const int y0 = sheet.cellTop(code) + baseline - glyph.top;
    for (int y = 0; y < glyph.rows; ++y) {
      for (int x = 0; x < glyph.width; ++x) {
        const int px = x0 + x, py = y0 + y;
        if (px >= sheet.cellLeft(code) + sheet.cellWidth || py < sheet.cellTop(code) ||
            py >= sheet.cellTop(code) + sheet.cellHeight)
          continue;
        sheet.image.at(px, py).a = fromByte(glyph.at(x, y));
      }
    }
  }
  return sheet;
}

// Widest text the overlays show, given one glyph width per character.
int widestTime(const int* widthOf, bool twelveHour) {
  int digit = 0;
  for (int c = '0'; c <= '9'; ++c)
    digit = std::max(digit, widthOf[c]);
  const int base = 6 * digit + 2 * widthOf[':'] + widthOf[' '];
  return twelveHour ? base + std::max(widthOf['a'], widthOf['p']) + widthOf['m'] : base;
}

struct PlacedGlyph {
  Glyph glyph;
  int shift = 0; // pen offset from the cell's left edge
  int width = 0; // advance in the sheet, outline included
};

PlacedGlyph placeOverlayGlyph(GlyphRasterizer& font, int code) {
  PlacedGlyph placed;
  if (!font.render(static_cast<char32_t>(code), placed.glyph)) return placed;
  const Glyph& g = placed.glyph;
  const int inkLeft = g.width > 0 ? g.left - kOutline : 0;
  const int inkRight = g.width > 0 ? g.left + g.width + kOutline : 0;
  placed.shift = std::max(0, -inkLeft);
  placed.width = std::max(g.advance, inkRight) + placed.shift;
  return placed;
}

// The 64-pixel overlay font: printable ASCII, white glyphs with a soft dark rim on a
// magenta colour-key ground, explicit rectangles per glyph.
bool makeOverlaySheet(GlyphRasterizer& font, CharsetSheet& sheet, std::string& error) {
  sheet.description = "The 64-pixel font of the time and frame-rate overlays.";
  sheet.imageName = "64font.png";
  sheet.startChar = 32;
  sheet.endChar = 126;
  sheet.charsPerLine = 16;
  sheet.cellWidth = 64;
  sheet.cellHeight = 64;
  sheet.magentaKey = true;
  // The largest size at which the glyphs fit their cells and the times fit their labels.
  std::vector<PlacedGlyph> placed;
  int size = 58;
  for (; size >= 32; --size) {
    if (!font.setPixelSize(size) || font.ascender() + font.descender() + 2 * kOutline > sheet.cellHeight) continue;
    placed.assign(128, {});
    int widths[128] = {};
    bool fits = true;
    for (int code = sheet.startChar; code <= sheet.endChar; ++code) {
      placed[static_cast<std::size_t>(code)] = placeOverlayGlyph(font, code);
      widths[code] = placed[static_cast<std::size_t>(code)].width;
      fits = fits && widths[code] <= sheet.cellWidth;
    }
    // Digits share one width, so the time does not shift sideways as it counts.
    int digit = 0;
    for (int c = '0'; c <= '9'; ++c)
      digit = std::max(digit, widths[c]);
    for (int c = '0'; c <= '9'; ++c) {
      PlacedGlyph& p = placed[static_cast<std::size_t>(c)];
      p.shift += (digit - p.width) / 2;
      p.width = widths[c] = digit;
    }
    if (fits && widestTime(widths, true) * 100 <= kTwelveHourExtent * 97 &&
        widestTime(widths, false) * 100 <= kTwentyFourHourExtent * 97)
      break;
  }
  if (size < 32) {
    error = "no size of the font fits the overlay labels";
    return false;
  }
  std::printf("64font: glyphs rendered at %d pixels\n", size);
  sheet.image = Image(1024, 512, Rgba{1, 0, 1, 1}); // the magenta colour key
  // Centre the font's line in the cell.
  const int baseline = (sheet.cellHeight - font.ascender() - font.descender()) / 2 + font.ascender();
  for (int code = sheet.startChar; code <= sheet.endChar; ++code) {
    const PlacedGlyph& p = placed[static_cast<std::size_t>(code)];
    const int left = sheet.cellLeft(code), top = sheet.cellTop(code);
    sheet.widths.push_back(std::max(1, p.width));
    if (tools::fonts::usableAsQuotedKey(static_cast<char>(code))) {
      sheet.rects[static_cast<char>(code)] = {left, top, left + std::max(1, p.width) - 1, top + sheet.cellHeight - 1};
    }
    const Glyph& g = p.glyph;
    const int x0 = left + p.shift + g.left, y0 = top + baseline - g.top;
    for (int y = top; y < top + sheet.cellHeight; ++y) {
      for (int x = left; x < left + sheet.cellWidth; ++x) {
        const double ink = g.at(x - x0, y - y0) / 255.0;
        // The rim: the strongest ink within kOutline pixels, softened at its edge.
        double rim = 0.0;
        for (int dy = -kOutline - 1; dy <= kOutline + 1; ++dy) {
          for (int dx = -kOutline - 1; dx <= kOutline + 1; ++dx) {
            const double distance = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            const double reach = std::clamp(kOutline + 1.0 - distance, 0.0, 1.0);
            rim = std::max(rim, reach * g.at(x - x0 + dx, y - y0 + dy) / 255.0);
          }
        }
        const double alpha = ink + 0.8 * rim * (1.0 - ink);
        if (alpha <= 0.0) continue;
        const float grey = fromByte(int(std::lround(255.0 * ink / alpha)));
        sheet.image.at(x, y) = {grey, grey, grey, fromByte(int(std::lround(255.0 * alpha)))};
      }
    }
  }
  return true;
}

// Lays `text` out from the sheet's widths, the way the program draws text, onto `canvas`.
void drawSample(Image& canvas, const CharsetSheet& sheet, const std::string& text, int x, int y) {
  for (unsigned char c : text) {
    if (c < sheet.startChar || c > sheet.endChar) continue;
    const int width = sheet.widths[static_cast<std::size_t>(c - sheet.startChar)];
    for (int dy = 0; dy < sheet.cellHeight; ++dy) {
      for (int dx = 0; dx < width; ++dx) {
        const Rgba& source = sheet.image.at(sheet.cellLeft(c) + dx, sheet.cellTop(c) + dy);
        const bool keyed = sheet.magentaKey && source.r == 1 && source.g == 0 && source.b == 1 && source.a == 1;
        const float alpha = keyed ? 0.0f : source.a;
        Rgba& target = canvas.at(x + dx, y + dy);
        target = {target.r * (1 - alpha) + source.r * alpha, target.g * (1 - alpha) + source.g * alpha,
                  target.b * (1 - alpha) + source.b * alpha, 1.0f};
      }
    }
    x += width;
  }
}

bool writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tickwood-fontgen <serif.ttf> <media-folder> <preview-folder>\n");
    return 2;
  }
  const std::string media = argv[2];
  std::string error;
  GlyphRasterizer font;
  CharsetSheet overlay;
  if (!font.open(argv[1], error) || !makeOverlaySheet(font, overlay, error)) {
    std::fprintf(stderr, "tickwood-fontgen: %s\n", error.c_str());
    return 1;
  }
  const CharsetSheet text = makeTextSheet(font);
  const bool written =
      tools::writePng(text.image, media + "/" + text.imageName, true, &error) &&
      tools::writePng(overlay.image, media + "/" + overlay.imageName, true, &error) &&
      writeText(media + "/sylfaen_eng_14.css", tools::fonts::charsetProps(text)) &&
      writeText(media + "/sylfaen.fs", tools::fonts::fontProps("The 14-pixel text font.", 14, "sylfaen_eng_14.css")) &&
      writeText(media + "/64font.css", tools::fonts::charsetProps(overlay)) &&
      writeText(media + "/64font.fs", tools::fonts::fontProps("The 64-pixel overlay font.", 64, "64font.css"));
  if (!written) {
    std::fprintf(stderr, "tickwood-fontgen: cannot write the fonts into %s %s\n", media.c_str(), error.c_str());
    return 1;
  }
  Image preview(720, 260, tools::rgb(28, 30, 40));
  drawSample(preview, overlay, "12:59:59 pm", 10, 8);
  drawSample(preview, overlay, "23:47:05", 10, 76);
  drawSample(preview, overlay, "60", 420, 76);
  drawSample(preview, text, "The quick brown fox jumps over the lazy dog. 0123456789", 10, 160);
  drawSample(preview, text, "Tickwood Settings - \xC0\xE9\xEE\xF5\xFC\xDF \xA9 2024 (*.jpg;*.png) [OK] {Cancel}", 10,
             180);
  drawSample(preview, text, "!\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~", 10, 200);
  if (!tools::writePng(preview, std::string(argv[3]) + "/fonts-preview.png", false, &error)) {
    std::fprintf(stderr, "tickwood-fontgen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
