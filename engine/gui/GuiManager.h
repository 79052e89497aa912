// The in-engine GUI of the process: it owns the top-level windows, the draw queue, the
// vertex buffers windows draw with and the depth of each layer; it hears the input devices
// before the application does and routes each event to its windows.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/Strings.h"
#include "engine/data/props/PropsNode.h"
#include "engine/device/DeviceObjectListener.h"
#include "engine/gui/GuiBufferPool.h"
#include "engine/gui/GuiRouting.h"
#include "engine/gui/GuiWindow.h"

namespace engine {

class GuiManager;

// A named style windows can take by name ("Styles" of a description).
struct GuiStyle {
  std::string name;
  std::shared_ptr<PropsNode> values;
};

// What a window draws with.
struct GuiDrawContext {
  GuiManager& gui;
  IDirect3DDevice9* device;
  std::int64_t nowMs;
};

class GuiManager : public DeviceObjectListener, public InputListener {
public:
  // Layer depths lie between these distances (the GUI's own near and far values).
  static constexpr float kNear = 1.0f;
  static constexpr float kFar = 1000.0f;

  GuiManager() = default;
  ~GuiManager() override;
  GuiManager(const GuiManager&) = delete;
  GuiManager& operator=(const GuiManager&) = delete;

  GuiWindow* addWindow(std::unique_ptr<GuiWindow> window);
  std::unique_ptr<GuiWindow> removeWindow(GuiWindow* window);
  const GuiWindowList& windows() const { return windows_; }

  // The screen (viewport) the windows lie on, in pixels.
  void setScreenSize(int width, int height);
  int screenWidth() const { return screenWidth_; }
  int screenHeight() const { return screenHeight_; }

  // z of a layer: f / (f - n) * (d - n) / d with the layer's distance d, which grows with the
  // layer number, so smaller layers (deeper windows) lie in front.
  float layerDepth(int layer) const;
  static float layerDistance(int layer);

  // The draw queue: each entered window is drawn every frame until it leaves.
  void enqueue(GuiWindow* window);
  void unqueue(GuiWindow* window);
  const std::vector<GuiWindow*>& queue() const { return queue_; }
  // The frame's GUI step: the queued windows from the farthest layer to the nearest, with
  // the GUI's render states. False when a window failed to draw.
  bool draw(std::int64_t nowMs);

  // One event of the input devices. Buttons and pointer movements go to the windows; keys
  // and characters go to the window with the keyboard focus, when one has it.
  void onInputEvent(const InputEvent& event) override;
  void setKeyboardFocus(GuiWindow* window) { keyboardFocus_ = window; }
  GuiWindow* keyboardFocus() const { return keyboardFocus_; }
  // One window may hold the pointer (a frame being dragged): it hears every pointer event.
  void capture(GuiWindow* window) { captured_ = window; }
  void releaseCapture(GuiWindow* window);
  GuiWindow* captured() const { return captured_; }

  void addStyle(const std::string& name, std::shared_ptr<PropsNode> values);
  const GuiStyle* style(std::string_view name) const;

  GuiBufferPool& buffers() { return buffers_; }

  bool restoreDeviceObjects() override { return true; }
  bool invalidateDeviceObjects() override;

private:
  friend class GuiWindow;
  // A window that goes away leaves the queue and the capture.
  void forget(GuiWindow* window);
  void noteDelivered(GuiWindow* window);
  static void sortFarthestFirst(std::vector<GuiWindow*>& windows);

  GuiBufferPool buffers_;
  std::map<std::string, GuiStyle, NoCaseLess> styles_;
  std::vector<GuiWindow*> queue_;
  std::vector<GuiWindow*> drawOrder_;
  GuiWindow* captured_ = nullptr;
  GuiWindow* keyboardFocus_ = nullptr;
  std::vector<GuiWindow*> delivered_;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  // Last, so that windows go while the pool and queue they reach still exist.
  GuiWindowList windows_;
};

} // namespace engine
