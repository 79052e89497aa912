#include "engine/gui/text/TextView.h"

#include <algorithm>
#include <cstring>

#include "engine/core/WideString.h"
#include "engine/gui/GuiManager.h"
#include "engine/gui/TileWindow.h"
#include "engine/gui/text/MarkupReader.h"
#include "engine/gui/text/TextStyles.h"
#include "engine/render/StateCache.h"
#include "engine/resources/fonts/FontManager.h"
#include "engine/resources/textures/TextureManager.h"

namespace engine {
namespace {

std::unique_ptr<TextNode> newRoot() {
  auto root = std::make_unique<TextNode>();
  root->tagName = u"root";
  return root;
}

// The view's text as one literal section, as if it were written "<RAW>" + text + "</RAW>"
// (but whole, even when the text itself holds "</RAW>").
std::unique_ptr<TextNode> plainDocument(std::u16string_view text) {
  auto root = newRoot();
  auto raw = std::make_unique<TextNode>();
  raw->tagName = u"RAW";
  root->addChild(std::move(raw))->appendText(text);
  return root;
}

void setStageToDiffuse(StateCache& cache, bool diffuseOnly) {
  const DWORD op = diffuseOnly ? D3DTOP_SELECTARG2 : D3DTOP_MODULATE;
  cache.setTextureStageState(0, D3DTSS_COLOROP, op);
  cache.setTextureStageState(0, D3DTSS_ALPHAOP, op);
}

} // namespace

TextView::TextView(std::string name) : FrameWindow(std::move(name)), root_(newRoot()) {
  setResizable(false);
  // Text lies over whatever is behind the view unless a style asks for a background.
  style_.bgColor = FloatColor(0.0f, 0.0f, 0.0f, 0.0f);
  editStyle_ = style_;
  editStyle_.color = FloatColor::fromBytes(200, 0, 0);
  editStyle_.bgColor = FloatColor::fromBytes(0, 0, 100);
}

TextView::~TextView() { giveBackBuffers(); }

void TextView::attached() {
  // Buffers belong to the pool of the GUI they were taken from.
  giveBackBuffers();
  pool_ = manager() ? &manager()->buffers() : nullptr;
}

void TextView::giveBackBuffers() {
  if (pool_) {
    for (const auto& [texture, buffer] : buffers_)
      pool_->giveBack(buffer);
    pool_->giveBack(backgroundBuffer_);
  }
  buffers_.clear();
  backgroundBuffer_ = nullptr;
}

void TextView::setText(std::u16string_view text) {
  plain_ = text;
  markup_ = false;
  replaceDocument(plainDocument(text));
}

void TextView::setText(std::string_view text) { setText(widen(text)); }

void TextView::setMarkup(std::u16string_view markup) {
  plain_.clear();
  markup_ = true;
  editor_.stop();
  auto root = newRoot();
  readMarkup(markup, *root);
  replaceDocument(std::move(root));
}

void TextView::replaceDocument(std::unique_ptr<TextNode> root) {
  for (FrameWindow* image : images_)
    removeChild(image);
  images_.clear();
  root_ = std::move(root);
  resolveStyles(*root_, style_, fontManager());
  attachImages(*root_);
  relayout();
  queueDraw(true);
}

void TextView::attachImages(TextNode& node) {
  for (const auto& child : node.children)
    attachImages(*child);
  if (!node.isTag(u"IMG")) return;
  auto frame = std::make_unique<FrameWindow>();
  frame->setResizable(false);
  frame->setMovable(false);
  auto tile = std::make_unique<TileWindow>();
  TextureManager* textures = textureManager();
  const std::u16string* source = node.attribute(u"Src");
  if (textures && source) {
    TextureRequest request;
    request.location = FileLocation::diskOrArchive(nullptr, narrow(*source, TextEncoding::SystemCodePage));
    tile->setTexture(textures->get(request));
  }
  tile->show(true);
  tile->setRect({0, 0, node.imageWidth, node.imageHeight});
  frame->addChild(std::move(tile));
  frame->show(true);
  frame->setRect({0, 0, node.imageWidth, node.imageHeight});
  node.image = static_cast<FrameWindow*>(addChild(std::move(frame)));
  images_.push_back(node.image);
}

void TextView::setStyle(const TextStyle& style) {
  style_ = style;
  resolveStyles(*root_, style_, fontManager());
  relayout();
  queueDraw(true);
}

void TextView::setBufferMode(int mode) {
  if (mode != bufferMode_) giveBackBuffers();
  bufferMode_ = mode;
  queueDraw(false);
}

void TextView::setWordWrap(bool wrap) {
  if (wrap == wordWrap()) return;
  flags_ = wrap ? (flags_ | kWordWrap) : (flags_ & ~kWordWrap);
  relayout();
  queueDraw(true);
}

void TextView::setEditable(bool editable) {
  editable_ = editable;
  // Dragging over an editable view selects text instead of moving the view.
  if (editable) setMovable(false);
  if (!editable) editor_.stop();
}

void TextView::relayout() {
  flattenDocument(*root_, items_);
  layoutText(items_, clientRect().width, wordWrap(), fontManager(), layout_);
  placeImages();
}

void TextView::placeImages() {
  if (images_.empty()) return;
  for (const TextLine& line : layout_.lines) {
    int pen = line.rect.x;
    for (std::size_t i = line.begin; i < line.end && i < items_.size(); ++i) {
      const TextItem& item = items_[i];
      if (item.image && item.node->image)
        item.node->image->setRect({pen, line.rect.y, item.node->imageWidth, item.node->imageHeight});
      pen += itemMetrics(item).advance;
    }
  }
}

std::size_t TextView::itemAt(float x, float y) const {
  const GuiRect screen = screenRect();
  const float localY = y - static_cast<float>(screen.y);
  for (const TextLine& line : layout_.lines) {
    if (localY >= static_cast<float>(line.rect.bottom())) continue;
    float pen = static_cast<float>(screen.x + line.rect.x);
    for (std::size_t i = line.begin; i < line.end && i < items_.size(); ++i) {
      const float advance = static_cast<float>(itemMetrics(items_[i]).advance);
      if (items_[i].ch == u'\n' || x < pen + advance * 0.5f) return i;
      pen += advance;
    }
    return line.end;
  }
  return items_.size();
}

void TextView::placeGlyphs(GlyphPlacement& placement) const {
  const GuiRect screen = screenRect();
  const GuiRect client = clientRect();
  placement.originX = screen.x + client.x;
  placement.originY = screen.y + client.y;
  placement.glyphZ = layerDepth(layer() - 1);
  placement.backgroundZ = layerDepth(layer());
  if (editor_.editing() && !markup_) {
    placement.editBegin = editor_.selectionBegin();
    placement.editEnd = editor_.selectionEnd();
    placement.editStyle = &editStyle_;
  }
}

bool TextView::draw(GuiDrawContext& context) {
  relayout();
  GlyphPlacement placement;
  if (!clipRect(placement.clip)) return true;
  placeGlyphs(placement);
  batch_.build(items_, layout_, placement);
  return drawBackgrounds(context) && drawRuns(context);
}

bool TextView::upload(GuiBuffer*& buffer, const void* data, UINT bytes) {
  if (!buffer && pool_) buffer = pool_->take();
  if (!buffer) return false;
  void* target = buffer->lock(bytes, bufferMode_ != 0 ? D3DLOCK_DISCARD : D3DLOCK_NOOVERWRITE);
  if (!target) return false;
  std::memcpy(target, data, bytes);
  return buffer->unlock();
}

GuiBuffer*& TextView::bufferFor(Texture* texture) {
  for (auto& [owner, buffer] : buffers_)
    if (owner == texture) return buffer;
  return buffers_.emplace_back(texture, nullptr).second;
}

bool TextView::drawBackgrounds(GuiDrawContext& context) {
  const std::vector<BackgroundVertex>& vertices = batch_.backgrounds();
  if (vertices.empty()) return true;
  const auto bytes = static_cast<UINT>(vertices.size() * sizeof(BackgroundVertex));
  if (!upload(backgroundBuffer_, vertices.data(), bytes)) return false;
  StateCache& cache = stateCache();
  cache.setTexture(0, nullptr);
  setStageToDiffuse(cache, true);
  context.device->SetFVF(kBackgroundFvf);
  context.device->SetStreamSource(0, backgroundBuffer_->object(), 0, sizeof(BackgroundVertex));
  const bool ok =
      SUCCEEDED(context.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(vertices.size() / 3)));
  setStageToDiffuse(cache, false);
  return ok;
}

bool TextView::drawRuns(GuiDrawContext& context) {
  StateCache& cache = stateCache();
  // Each screen pixel takes the one texel under it: a scaled glyph then never reads the
  // texels of its neighbours in the sheet, however its quad falls.
  cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  cache.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  bool ok = true;
  for (const GlyphRun& run : batch_.runs()) {
    GuiBuffer*& buffer = bufferFor(run.texture);
    const auto bytes = static_cast<UINT>(run.vertices.size() * sizeof(GlyphVertex));
    if (!upload(buffer, run.vertices.data(), bytes)) return false;
    cache.setTexture(0, run.texture->d3dTexture());
    context.device->SetFVF(kGlyphFvf);
    context.device->SetStreamSource(0, buffer->object(), 0, sizeof(GlyphVertex));
    ok = SUCCEEDED(context.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, static_cast<UINT>(run.vertices.size() / 3))) &&
         ok;
  }
  return ok;
}

void TextView::onKey(int dikCode) {
  // Only plain text is edited: a marked-up document has no one text to type into.
  if (markup_) return;
  std::u16string text = plain_;
  if (editor_.key(dikCode, text)) {
    plain_ = text;
    replaceDocument(plainDocument(plain_));
  }
  queueDraw(true);
}

void TextView::onInputEvent(const InputEvent& event) {
  if (!editable_) {
    FrameWindow::onInputEvent(event);
    return;
  }
  switch (event.kind) {
  case InputEventKind::LeftButtonPressed:
    editor_.press(itemAt(event.pointer.x, event.pointer.y));
    selecting_ = true;
    if (manager()) manager()->setKeyboardFocus(this);
    queueDraw(true);
    break;
  case InputEventKind::PointerMoved:
    if (selecting_) {
      editor_.extend(itemAt(event.pointer.x, event.pointer.y));
      queueDraw(true);
    }
    break;
  case InputEventKind::LeftButtonReleased:
    selecting_ = false;
    break;
  case InputEventKind::KeyPressed:
    onKey(event.param);
    break;
  default:
    break;
  }
}

} // namespace engine
