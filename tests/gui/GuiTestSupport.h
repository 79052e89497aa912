// Small helpers of the GUI tests: props trees from text, and a window that records what it
// hears and draws.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/data/MemoryStream.h"
#include "engine/data/props/PropsParser.h"
#include "engine/gui/GuiManager.h"

namespace guitest {

inline std::unique_ptr<engine::PropsTree> props(std::string_view text) {
  auto tree = std::make_unique<engine::PropsTree>();
  engine::MemoryStream stream;
  stream.openOver(text);
  EXPECT_TRUE(engine::parseProps(stream, *tree));
  return tree;
}

inline engine::InputEvent pointerEvent(engine::InputEventKind kind, float x, float y, float previousX,
                                       float previousY) {
  return {kind, {x, y}, {previousX, previousY}, {x - previousX, y - previousY}, 0};
}

// Writes "<name>:<what>" into a shared journal for every notice, event and draw.
class JournalWindow : public engine::GuiWindow {
public:
  JournalWindow(std::string name, std::vector<std::string>& journal) : GuiWindow(std::move(name)), journal_(journal) {}

  void onInputEvent(const engine::InputEvent& event) override {
    journal_.push_back(name() + ":event" + std::to_string(static_cast<int>(event.kind)));
  }
  bool draw(engine::GuiDrawContext&) override {
    journal_.push_back(name() + ":draw");
    return true;
  }

protected:
  void onPointerNotice(engine::PointerNotice notice) override {
    GuiWindow::onPointerNotice(notice);
    static const char* kNames[] = {"", ":enter", ":leave", ":move"};
    if (notice != engine::PointerNotice::None) journal_.push_back(name() + kNames[static_cast<int>(notice)]);
  }

private:
  std::vector<std::string>& journal_;
};

} // namespace guitest
