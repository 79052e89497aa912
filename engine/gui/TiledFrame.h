// A frame window whose look is a set of named tiles laid out by anchors among themselves
// and to the frame, with different tiles shown in different window states.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/gui/FrameWindow.h"
#include "engine/gui/TileWindow.h"

namespace engine {

class TiledFrame : public FrameWindow {
public:
  // The state that shows every tile when a description names no states.
  static constexpr std::string_view kDefaultState = "default";

  explicit TiledFrame(std::string name = {}) : FrameWindow(std::move(name)) {}

  // Reads "Tiles" and "States", then the frame and window keys.
  void load(GuiProps& props) override;
  // Draws the tiles of the current state, in their list's order.
  bool draw(GuiDrawContext& context) override;

  // Enters a tile under a name as a child of the frame (replacing one of that name).
  TileWindow* addTile(const std::string& name, std::unique_ptr<TileWindow> tile);
  TileWindow* tile(std::string_view name) const;

  // The state whose simple states are exactly the window's; else the default state; else
  // the first one described.
  std::string currentState() const;
  const std::vector<std::string>* tilesOf(std::string_view state) const;
  const std::set<std::string, NoCaseLess>* simpleStatesOf(std::string_view state) const;

private:
  void loadTiles(const PropsNode& tiles);
  void loadStates(const PropsNode& states);
  void setState(const std::string& state, std::vector<std::string> tiles);

  std::map<std::string, TileWindow*, NoCaseLess> tiles_;
  std::map<std::string, std::vector<std::string>, NoCaseLess> stateTiles_;
  std::map<std::string, std::set<std::string, NoCaseLess>, NoCaseLess> stateSets_;
  std::vector<std::string> stateOrder_;
};

} // namespace engine
