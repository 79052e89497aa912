// The props loader of windows: "WindowFrame", "Windows" (the layout of children created by
// code), "Styles", and the rest kept as properties.
#include "engine/gui/AnchorReader.h"
#include "engine/gui/GuiManager.h"
#include "engine/gui/GuiProps.h"
#include "engine/gui/GuiWindow.h"

namespace engine {
namespace {

constexpr AnchorNames kWindowAnchors{"window", "Parent"};

GuiRect readWindowFrame(const PropsMap& keys) {
  const int width = keys.findChild("w") ? keys.getInt("w", 0) : keys.getInt("x2", 0);
  const int height = keys.findChild("h") ? keys.getInt("h", 0) : keys.getInt("y2", 0);
  return {keys.getInt("x1", 0), keys.getInt("y1", 0), width, height};
}

} // namespace

void GuiWindow::load(GuiProps& props) {
  if (const PropsNode* frame = props.take("WindowFrame")) setRect(readWindowFrame(frame->children()));

  if (const PropsNode* windows = props.take("Windows")) {
    std::vector<std::string> loaded;
    AnchorReader anchors(kWindowAnchors, frame_, [&](std::string_view name) -> LayoutFrame* {
      for (const std::string& done : loaded)
        if (equalsNoCase(done, name)) return &findChild(name)->frame_;
      return nullptr;
    });
    for (const auto& entry : windows->children()) {
      GuiWindow* child = findChild(entry.name);
      if (!child) continue;
      child->frame_.resetLayout();
      loaded.push_back(entry.name);
      anchors.resolve(entry.name, child->frame_);
      anchors.read(entry.value->children(), child->frame_);
    }
  }

  if (const PropsNode* styles = props.take("Styles")) {
    for (const auto& entry : styles->children()) {
      const GuiStyle* style = manager_ ? manager_->style(entry.value->asString()) : nullptr;
      if (style) styles_.push_back(style);
    }
  }

  for (const auto& entry : props.keys())
    if (!props.taken(entry.name)) properties_[entry.name] = entry.value;
}

} // namespace engine
