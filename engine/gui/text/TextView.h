// A GUI window that shows a small marked-up document with the bitmap fonts: laid out into
// lines, drawn as screen quads batched per charset texture. Plain text set on it is shown
// literally; an editable view takes keys while it has the GUI's keyboard focus.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gui/FrameWindow.h"
#include "engine/gui/text/GlyphBatch.h"
#include "engine/gui/text/TextEditor.h"
#include "engine/gui/text/TextLayout.h"

namespace engine {

class GuiBuffer;
class GuiBufferPool;

class TextView : public FrameWindow {
public:
  static constexpr std::uint32_t kWordWrap = 1;
  static constexpr std::uint32_t kDisplayOption = 4;

  explicit TextView(std::string name = {});
  ~TextView() override;

  // Plain text, taken literally (as a "<RAW>" section); narrow text is widened through the
  // system code page.
  void setText(std::u16string_view text);
  void setText(std::string_view text);
  // A document in markup.
  void setMarkup(std::u16string_view markup);
  // The style the text's root node takes.
  void setStyle(const TextStyle& style);
  const TextStyle& style() const { return style_; }
  // How the vertex buffers are locked: 0 without overwriting what is drawn, else discarding.
  // A change gives the buffers back to the pool and takes the view off the draw queue.
  void setBufferMode(int mode);
  int bufferMode() const { return bufferMode_; }
  void setWordWrap(bool wrap);
  bool wordWrap() const { return (flags_ & kWordWrap) != 0; }
  void setEditable(bool editable);

  // The laid-out extent: the widest line and the total height.
  GuiRect contentRect() const { return {0, 0, layout_.width, layout_.height}; }
  const TextNode& document() const { return *root_; }
  const std::vector<TextItem>& items() const { return items_; }
  const std::vector<TextLine>& lines() const { return layout_.lines; }
  const GlyphBatch& batch() const { return batch_; }
  const std::u16string& plainText() const { return plain_; }
  const TextEditor& editor() const { return editor_; }
  // The buffers the last draw filled: the glyphs of each texture, and the backgrounds.
  const std::vector<std::pair<Texture*, GuiBuffer*>>& glyphBuffers() const { return buffers_; }
  const GuiBuffer* backgroundBuffer() const { return backgroundBuffer_; }
  // The item under a screen position (past the end of its line: the line's end).
  std::size_t itemAt(float x, float y) const;

  // Lays out again, builds the vertices of the visible lines and draws them.
  bool draw(GuiDrawContext& context) override;
  void onInputEvent(const InputEvent& event) override;

protected:
  void attached() override;

private:
  void replaceDocument(std::unique_ptr<TextNode> root);
  void attachImages(TextNode& node);
  void relayout();
  void placeImages();
  void placeGlyphs(GlyphPlacement& placement) const;
  bool upload(GuiBuffer*& buffer, const void* data, UINT bytes);
  bool drawBackgrounds(GuiDrawContext& context);
  bool drawRuns(GuiDrawContext& context);
  GuiBuffer*& bufferFor(Texture* texture);
  void giveBackBuffers();
  void onKey(int dikCode);

  std::unique_ptr<TextNode> root_;
  std::vector<TextItem> items_;
  TextLayoutResult layout_;
  GlyphBatch batch_;
  TextStyle style_;
  TextStyle editStyle_;
  std::u16string plain_;
  TextEditor editor_;
  bool markup_ = false; // the text came as markup, not as plain text
  bool editable_ = false;
  bool selecting_ = false;
  std::vector<FrameWindow*> images_;
  std::vector<std::pair<Texture*, GuiBuffer*>> buffers_;
  GuiBuffer* backgroundBuffer_ = nullptr;
  GuiBufferPool* pool_ = nullptr;
  int bufferMode_ = 2;
  std::uint32_t flags_ = 0;
};

} // namespace engine
