#include "engine/gui/TiledFrame.h"

#include <algorithm>

#include "engine/gui/AnchorReader.h"
#include "engine/gui/GuiProps.h"
#include "engine/resources/textures/TextureManager.h"

namespace engine {
namespace {

constexpr AnchorNames kTileAnchors{"tile", "PARENT"};

// "file" or "file:region"; a tile without a region may give "texrect": x1, y1 and the
// right and bottom edges ("w" or "x2", "h" or "y2").
TextureRef requestTexture(const PropsMap& entry) {
  TextureManager* textures = textureManager();
  const std::string named = entry.getString("texture", "");
  if (!textures || named.empty()) return {};
  TextureRequest request;
  const std::size_t colon = named.find(':');
  request.location = FileLocation::diskOrArchive(nullptr, named.substr(0, colon));
  if (colon != std::string::npos) {
    request.subName = named.substr(colon + 1);
    request.flags |= kMatchSubName;
  } else if (const PropsNode* rect = entry.findChild("texrect")) {
    const PropsMap& keys = rect->children();
    request.subRect = {keys.getInt("x1", 0), keys.getInt("y1", 0),
                       keys.findChild("w") ? keys.getInt("w", 0) : keys.getInt("x2", 0),
                       keys.findChild("h") ? keys.getInt("h", 0) : keys.getInt("y2", 0)};
    request.flags |= kMatchSubRect;
  }
  return textures->get(request);
}

std::set<std::string, NoCaseLess> splitStates(const std::string& name) {
  std::set<std::string, NoCaseLess> simple;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = name.find('_', start);
    if (end > start) simple.emplace(name.substr(start, end - start));
    if (end == std::string::npos) return simple;
    start = end + 1;
  }
}

} // namespace

TileWindow* TiledFrame::addTile(const std::string& name, std::unique_ptr<TileWindow> tile) {
  if (TileWindow* previous = this->tile(name)) removeChild(previous);
  tile->setDrawnByParent(true);
  tile->show(true);
  auto* added = static_cast<TileWindow*>(addChild(std::move(tile)));
  tiles_[name] = added;
  return added;
}

TileWindow* TiledFrame::tile(std::string_view name) const {
  auto found = tiles_.find(name);
  return found == tiles_.end() ? nullptr : found->second;
}

void TiledFrame::load(GuiProps& props) {
  if (const PropsNode* tiles = props.take("Tiles")) loadTiles(*tiles);
  if (const PropsNode* states = props.take("States")) loadStates(*states);
  if (stateTiles_.empty()) {
    std::vector<std::string> every;
    for (const auto& [name, tile] : tiles_)
      every.push_back(name);
    setState(std::string(kDefaultState), std::move(every));
  }
  FrameWindow::load(props);
}

void TiledFrame::loadTiles(const PropsNode& tiles) {
  // Every tile exists before any is read, so that anchors may name tiles further down.
  for (const auto& entry : tiles.children())
    addTile(entry.name, std::make_unique<TileWindow>(entry.name));
  std::vector<std::string> defined;
  AnchorReader anchors(kTileAnchors, frame(), [&](std::string_view name) -> LayoutFrame* {
    for (const std::string& done : defined)
      if (equalsNoCase(done, name)) return &tile(name)->frame();
    return nullptr;
  });
  for (const auto& entry : tiles.children()) {
    TileWindow* tile = this->tile(entry.name);
    const PropsMap& keys = entry.value->children();
    tile->setTexture(requestTexture(keys));
    tile->setTiled((keys.getInt("tiledx", 0) & 1) != 0, (keys.getInt("tiledy", 0) & 1) != 0);
    defined.push_back(entry.name);
    anchors.resolve(entry.name, tile->frame());
    anchors.read(keys, tile->frame());
  }
}

void TiledFrame::setState(const std::string& state, std::vector<std::string> tiles) {
  if (stateTiles_.find(state) == stateTiles_.end()) stateOrder_.push_back(state);
  stateTiles_[state] = std::move(tiles);
  stateSets_[state] = splitStates(state);
}

void TiledFrame::loadStates(const PropsNode& states) {
  for (const auto& entry : states.children()) {
    std::vector<std::string> tiles;
    if (const PropsNode* list = entry.value->findChild("tiles"))
      for (const auto& name : list->children())
        tiles.push_back(name.value->asString());
    setState(entry.name, std::move(tiles));
  }
}

std::string TiledFrame::currentState() const {
  for (const auto& [state, simple] : stateSets_)
    if (simple.size() == states().size() && std::equal(simple.begin(), simple.end(), states().begin(),
                                                       [](const auto& a, const auto& b) { return equalsNoCase(a, b); }))
      return state;
  if (stateTiles_.count(std::string(kDefaultState))) return std::string(kDefaultState);
  return stateOrder_.empty() ? std::string() : stateOrder_.front();
}

const std::vector<std::string>* TiledFrame::tilesOf(std::string_view state) const {
  auto found = stateTiles_.find(state);
  return found == stateTiles_.end() ? nullptr : &found->second;
}

const std::set<std::string, NoCaseLess>* TiledFrame::simpleStatesOf(std::string_view state) const {
  auto found = stateSets_.find(state);
  return found == stateSets_.end() ? nullptr : &found->second;
}

bool TiledFrame::draw(GuiDrawContext& context) {
  const std::vector<std::string>* shown = tilesOf(currentState());
  if (!shown) return true;
  bool ok = true;
  for (const std::string& name : *shown)
    if (TileWindow* tile = this->tile(name)) ok = tile->draw(context) && ok;
  return ok;
}

} // namespace engine
