#include "engine/gui/text/GlyphBatch.h"

#include <algorithm>

#include "engine/resources/fonts/Charset.h"

namespace engine {
namespace {

struct Edges {
  float left, top, right, bottom;
};

// The six corners of a quad as two triangles, in the order every screen quad uses.
template <class Vertex, class Make> void pushQuad(std::vector<Vertex>& out, const Edges& e, Make make) {
  out.push_back(make(e.left, e.top, 0));
  out.push_back(make(e.right, e.top, 1));
  out.push_back(make(e.left, e.bottom, 2));
  out.push_back(make(e.right, e.top, 1));
  out.push_back(make(e.right, e.bottom, 3));
  out.push_back(make(e.left, e.bottom, 2));
}

} // namespace

GlyphRun& GlyphBatch::runOf(Texture* texture) {
  for (GlyphRun& run : runs_)
    if (run.texture == texture) return run;
  runs_.push_back({texture, {}});
  return runs_.back();
}

void GlyphBatch::build(const std::vector<TextItem>& items, const TextLayoutResult& layout,
                       const GlyphPlacement& placement) {
  quads_.clear();
  backgrounds_.clear();
  for (GlyphRun& run : runs_)
    run.vertices.clear();
  pens_.assign(items.size(), 0);
  for (const TextLine& line : layout.lines) {
    const GuiRect onScreen{placement.originX + line.rect.x, placement.originY + line.rect.y, line.rect.width,
                           line.rect.height};
    GuiRect common;
    const bool visible = intersectRects(onScreen, placement.clip, common);
    int pen = onScreen.x;
    for (std::size_t i = line.begin; i < line.end && i < items.size(); ++i) {
      const TextItem& item = items[i];
      pens_[i] = pen;
      const ItemMetrics metrics = itemMetrics(item);
      if (visible && !item.image && item.ch != u'\n') {
        const bool edited = placement.editStyle && i >= placement.editBegin && i < placement.editEnd;
        const TextStyle& style = edited ? *placement.editStyle : item.node->style;
        GlyphQuad quad{pen,
                       onScreen.y,
                       pen + metrics.width,
                       onScreen.y + metrics.height,
                       item.ch,
                       toColor(style.bgColor),
                       toColor(style.color),
                       item.node->style.charSpace,
                       item.charset};
        quads_.push_back(quad);
        addBackground(quad, placement);
        if (item.ch != u'\t') addGlyph(quad, item.node->style, placement);
      }
      pen += metrics.advance;
    }
  }
  std::erase_if(runs_, [](const GlyphRun& run) { return run.vertices.empty(); });
}

void GlyphBatch::addGlyph(const GlyphQuad& quad, const TextStyle& style, const GlyphPlacement& placement) {
  if (!quad.charset || !quad.charset->texture()) return;
  const GuiRect& clip = placement.clip;
  const int left = std::max(quad.left, clip.x);
  const int top = std::max(quad.top, clip.y);
  const int right = std::min(quad.right, clip.right());
  const int bottom = std::min(quad.bottom, clip.bottom());
  if (right <= left || bottom <= top) return;
  GlyphRect uv;
  if (left == quad.left && top == quad.top && right == quad.right && bottom == quad.bottom) {
    uv = quad.charset->glyphRect(quad.ch);
  } else {
    // The cut pixels, in texels of the unscaled glyph.
    const float scale = style.scale > 0.0f ? style.scale : 1.0f;
    uv = quad.charset->glyphRectInset(
        quad.ch, static_cast<float>(left - quad.left) / scale, static_cast<float>(top - quad.top) / scale,
        static_cast<float>(quad.right - right) / scale, static_cast<float>(quad.bottom - bottom) / scale);
  }
  const Edges edges{static_cast<float>(left) - 0.5f, static_cast<float>(top) - 0.5f, static_cast<float>(right) - 0.5f,
                    static_cast<float>(bottom) - 0.5f};
  const float us[4] = {uv.left, uv.right, uv.left, uv.right};
  const float vs[4] = {uv.top, uv.top, uv.bottom, uv.bottom};
  pushQuad(runOf(quad.charset->texture()).vertices, edges, [&](float x, float y, int corner) {
    return GlyphVertex{x, y, placement.glyphZ, 1.0f, quad.color, us[corner], vs[corner]};
  });
}

void GlyphBatch::addBackground(const GlyphQuad& quad, const GlyphPlacement& placement) {
  // A transparent background (what the overlays use) would draw nothing.
  if ((quad.background >> 24) == 0) return;
  const GuiRect& clip = placement.clip;
  const int left = std::max(quad.left, clip.x);
  const int top = std::max(quad.top, clip.y);
  const int right = std::min(quad.right + quad.charSpace, clip.right());
  const int bottom = std::min(quad.bottom, clip.bottom());
  if (right <= left || bottom <= top) return;
  const Edges edges{static_cast<float>(left) - 0.5f, static_cast<float>(top) - 0.5f, static_cast<float>(right) - 0.5f,
                    static_cast<float>(bottom) - 0.5f};
  pushQuad(backgrounds_, edges, [&](float x, float y, int) {
    return BackgroundVertex{x, y, placement.backgroundZ, 1.0f, quad.background};
  });
}

} // namespace engine
