// A window the user can drag by its body and resize by its borders and corners, keeping an
// aspect ratio if asked; the pointer shows the cursor of the handle under it.
#pragma once

#include <array>

#include "engine/gui/GuiWindow.h"
#include "platform/win32/winuser.h"

namespace engine {

// The handles of a frame, each with its cursor.
enum class HitRegion : int {
  None = 0,
  TopLeft = 1,
  Top = 2,
  TopRight = 3,
  Right = 4,
  BottomRight = 5,
  Bottom = 6,
  BottomLeft = 7,
  Left = 8,
  Body = 9,
};

class FrameWindow : public GuiWindow {
public:
  // How far inside its edges a border handle reaches, in pixels.
  static constexpr int kBorderHandle = 4;

  explicit FrameWindow(std::string name = {});

  // Reads "Resizable" and "Movable" (each false when absent), then the window keys.
  void load(GuiProps& props) override;
  // Cursor feedback on pointer movement, dragging between a left press and its release.
  void onInputEvent(const InputEvent& event) override;

  void setResizable(bool resizable) { resizable_ = resizable; }
  void setMovable(bool movable) { movable_ = movable; }
  bool resizable() const { return resizable_; }
  bool movable() const { return movable_; }
  // While resizing, the size keeps width = aspect x height.
  void setKeepAspect(bool keep, float aspect) {
    keepAspect_ = keep;
    aspect_ = aspect;
  }
  bool moving() const { return moving_; }
  bool resizing() const { return resizing_; }

  // The handle under a screen position.
  HitRegion hitTest(float x, float y) const;
  static LPCSTR cursorOf(HitRegion region);

private:
  void startDrag(const InputEvent& event);
  void drag(const InputEvent& event);
  void endDrag();
  GuiRect resized(float dx, float dy) const;

  bool resizable_ = true;
  bool movable_ = true;
  bool resizing_ = false;
  bool moving_ = false;
  bool keepAspect_ = false;
  float aspect_ = 1.0f;
  float grabX_ = 0.0f;
  float grabY_ = 0.0f;
  GuiRect grabRect_;
  HitRegion hitRegion_ = HitRegion::None;
};

} // namespace engine
