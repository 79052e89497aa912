// A window of the in-engine GUI: a rectangle in its parent's client area (set directly or
// by anchors), clipped to its ancestors, drawn in a layer given by its place in the tree,
// queued for drawing while shown, and fed with input events. Every window kind derives from
// it and overrides loading, drawing and input.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Strings.h"
#include "engine/data/props/PropsNode.h"
#include "engine/gui/LayoutFrame.h"
#include "engine/input/InputEvent.h"

namespace engine {

class GuiManager;
class GuiProps;
struct GuiDrawContext;
struct GuiStyle;

// What a window hears about the pointer.
enum class PointerNotice { None, Enter, Leave, Move };

// The state a window is in while the pointer is over it.
constexpr std::string_view kFocusedState = "focused";

class GuiWindow {
public:
  explicit GuiWindow(std::string name = {});
  virtual ~GuiWindow();
  GuiWindow(const GuiWindow&) = delete;
  GuiWindow& operator=(const GuiWindow&) = delete;

  // The props loader: reads "WindowFrame", "Windows" and "Styles"; every key no loader takes
  // goes into `properties`. Subclasses read their own keys first and then call this.
  virtual void load(GuiProps& props);
  // Draws the window (the draw queue calls it); false when drawing failed.
  virtual bool draw(GuiDrawContext& context);
  // The window's own handler, after its children had the event.
  virtual void onInputEvent(const InputEvent& event);
  // Windows that a parent draws itself (tiles of a tiled frame) never enter the queue.
  virtual bool drawnByParent() const { return false; }
  // A named rectangle in the window's own coordinates; "client" is the area children live in.
  virtual GuiRect clientRect(std::string_view name = "client") const;

  // The tree. A child is owned by its parent; it joins the parent's GUI.
  GuiWindow* addChild(std::unique_ptr<GuiWindow> child);
  std::unique_ptr<GuiWindow> removeChild(GuiWindow* child);
  GuiWindow* findChild(std::string_view name) const;
  GuiWindow* parent() const { return parent_; }
  const std::vector<std::unique_ptr<GuiWindow>>& children() const { return children_; }
  const std::string& name() const { return name_; }
  GuiManager* manager() const { return manager_; }

  // Geometry. setRect clamps the size to the limits (the upper first, then the lower),
  // stores it, lays out the frames anchored to this one, re-queues every descendant whose
  // clip rectangle changed and queues the window.
  void setRect(const GuiRect& rect);
  void setPosition(int x, int y) { setRect({x, y, rect().width, rect().height}); }
  const GuiRect& rect() const { return frame_.rect(); }
  void setSizeLimits(int minWidth, int minHeight, int maxWidth, int maxHeight);
  // `rect` with its size held to the limits, the upper one applied first.
  GuiRect limited(const GuiRect& rect) const;
  // The rectangle on the screen, and that intersected with every ancestor's; false (and an
  // empty rectangle) when nothing of the window is visible.
  GuiRect screenRect() const;
  bool clipRect(GuiRect& out) const;
  // The parent's client area in this window's coordinates (the screen for a top-level one).
  GuiRect parentClientArea() const;
  LayoutFrame& frame() { return frame_; }

  // Layers: deeper windows get smaller numbers and lie in front.
  void setDepthIndex(int depthIndex) { depthIndex_ = depthIndex; }
  int depthIndex() const { return depthIndex_; }
  int layer() const;
  float layerDepth(int layer) const;

  void show(bool shown);
  bool shown() const { return shown_; }
  void enable(bool enabled);
  bool enabled() const { return enabled_; }
  // Puts the window into the draw queue (when enabled, shown and attached, and not pending
  // already) or takes it out; with `recursive` its descendants too.
  void queueDraw(bool queue, bool recursive = false);
  bool drawQueued() const { return drawQueued_; }

  std::set<std::string, NoCaseLess>& states() { return states_; }
  const std::set<std::string, NoCaseLess>& states() const { return states_; }
  const std::vector<const GuiStyle*>& styles() const { return styles_; }
  // Keys of the window's description that no loader took.
  const std::map<std::string, std::shared_ptr<PropsNode>, NoCaseLess>& properties() const { return properties_; }

  // Routing, from the GUI manager or the parent: the notice, then the children, then the
  // window's own handler.
  void deliver(const InputEvent& event, PointerNotice notice);

protected:
  // The pointer entered, left or moved over the window.
  virtual void onPointerNotice(PointerNotice notice);
  // Called when the window joins or leaves a GUI.
  virtual void attached() {}

private:
  friend class GuiManager;
  void attachTo(GuiManager* manager);
  void setDrawQueued(bool queued) { drawQueued_ = queued; }
  void collectClips(std::vector<std::pair<GuiWindow*, GuiRect>>& out) const;

  std::string name_;
  GuiWindow* parent_ = nullptr;
  GuiManager* manager_ = nullptr;
  std::vector<std::unique_ptr<GuiWindow>> children_;
  LayoutFrame frame_{*this};
  GuiRect minSize_{0, 0, 0, 0};
  GuiRect maxSize_{0, 0, 1 << 20, 1 << 20};
  int depthIndex_ = 1;
  bool enabled_ = true;
  bool shown_ = false;
  bool drawQueued_ = false;
  std::set<std::string, NoCaseLess> states_;
  std::vector<const GuiStyle*> styles_;
  std::map<std::string, std::shared_ptr<PropsNode>, NoCaseLess> properties_;
};

} // namespace engine
