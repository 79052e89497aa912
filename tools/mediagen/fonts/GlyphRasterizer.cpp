#include "tools/mediagen/fonts/GlyphRasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

namespace tools::fonts {

struct GlyphRasterizer::State {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

GlyphRasterizer::GlyphRasterizer() : state_(new State) {}

GlyphRasterizer::~GlyphRasterizer() {
  if (state_->face) FT_Done_Face(state_->face);
  if (state_->library) FT_Done_FreeType(state_->library);
  delete state_;
}

bool GlyphRasterizer::open(const std::string& path, std::string& error) {
  if (FT_Init_FreeType(&state_->library) != 0) {
    error = "FreeType could not start";
    return false;
  }
  if (FT_New_Face(state_->library, path.c_str(), 0, &state_->face) != 0) {
    error = "cannot read the font " + path;
    return false;
  }
  return true;
}

bool GlyphRasterizer::setPixelSize(int pixels) {
  return FT_Set_Pixel_Sizes(state_->face, 0, static_cast<FT_UInt>(pixels)) == 0;
}

int GlyphRasterizer::ascender() const {
  return static_cast<int>(std::ceil(static_cast<double>(state_->face->size->metrics.ascender) / 64.0));
}

int GlyphRasterizer::descender() const {
  return static_cast<int>(std::ceil(-static_cast<double>(state_->face->size->metrics.descender) / 64.0));
}

bool GlyphRasterizer::render(char32_t code, Glyph& glyph) {
  const FT_UInt index = FT_Get_Char_Index(state_->face, code);
  if (index == 0) return false;
  // Light hinting keeps the serif shapes but snaps stems to whole pixels vertically, which
  // is what small text needs to stay crisp.
  if (FT_Load_Glyph(state_->face, index, FT_LOAD_TARGET_LIGHT) != 0) return false;
  if (FT_Render_Glyph(state_->face->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_GlyphSlot slot = state_->face->glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.advance = static_cast<int>(std::lround(static_cast<double>(slot->advance.x) / 64.0));
  glyph.coverage.assign(static_cast<std::size_t>(glyph.width) * glyph.rows, 0);
  for (int y = 0; y < glyph.rows; ++y) {
    for (int x = 0; x < glyph.width; ++x) {
      glyph.coverage[static_cast<std::size_t>(y) * glyph.width + x] = bitmap.buffer[y * bitmap.pitch + x];
    }
  }
  return true;
}

} // namespace tools::fonts
