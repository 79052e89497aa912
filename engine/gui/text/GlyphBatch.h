// The vertices of a laid-out text: every character of a visible line becomes a quad of its
// charset's texture (cut, with its texture rectangle, where the clip rectangle cuts it) and
// a background quad, gathered per texture so that each texture is one draw.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/gui/text/TextLayout.h"
#include "platform/d3d9/d3d9.h"

namespace engine {

class Texture;

struct GlyphVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
  float u, v;
};
constexpr DWORD kGlyphFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
static_assert(sizeof(GlyphVertex) == 28);

struct BackgroundVertex {
  float x, y, z, rhw;
  D3DCOLOR diffuse;
};
constexpr DWORD kBackgroundFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;
static_assert(sizeof(BackgroundVertex) == 20);

// One character of a visible line as drawn: its pixel rectangle on the screen (before
// clipping), its colours and charset.
struct GlyphQuad {
  int left = 0, top = 0, right = 0, bottom = 0;
  char16_t ch = 0;
  D3DCOLOR background = 0;
  D3DCOLOR color = 0;
  int charSpace = 0;
  Charset* charset = nullptr;
};

// The glyphs of one charset texture.
struct GlyphRun {
  Texture* texture = nullptr;
  std::vector<GlyphVertex> vertices;
};

// Where and how the text is drawn.
struct GlyphPlacement {
  int originX = 0; // the view's client area on the screen
  int originY = 0;
  GuiRect clip;        // the view's clip rectangle on the screen
  float glyphZ = 0.0f; // the layer in front of the background's
  float backgroundZ = 0.0f;
  std::size_t editBegin = 0; // items drawn with `editStyle` (none when begin == end)
  std::size_t editEnd = 0;
  const TextStyle* editStyle = nullptr;
};

class GlyphBatch {
public:
  // Rebuilds the quads and vertices of the visible lines. Images take part in the layout but
  // are windows of their own: they make no vertices.
  void build(const std::vector<TextItem>& items, const TextLayoutResult& layout, const GlyphPlacement& placement);

  const std::vector<GlyphQuad>& quads() const { return quads_; }
  const std::vector<GlyphRun>& runs() const { return runs_; }
  const std::vector<BackgroundVertex>& backgrounds() const { return backgrounds_; }
  // Where each item's left edge lies on the screen (images included), for hit tests.
  const std::vector<int>& penPositions() const { return pens_; }

private:
  GlyphRun& runOf(Texture* texture);
  void addGlyph(const GlyphQuad& quad, const TextStyle& style, const GlyphPlacement& placement);
  void addBackground(const GlyphQuad& quad, const GlyphPlacement& placement);

  std::vector<GlyphQuad> quads_;
  std::vector<GlyphRun> runs_;
  std::vector<BackgroundVertex> backgrounds_;
  std::vector<int> pens_;
};

} // namespace engine
