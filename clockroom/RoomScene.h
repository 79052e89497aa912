// The clock room's scene: the room file with its animations playing, the user's photo in the
// picture frame, the light-mapped materials turned so that the texture factor darkens them,
// and six nodes taken out of the tree to be drawn in a fixed order around it: the window
// view under the lightning, the lamp, then the room, then the hands, the glass and the
// curtain over it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "clockroom/ClockMechanism.h"
#include "engine/data/FileLocation.h"
#include "engine/render/RenderView.h"
#include "engine/scene/Scene.h"

namespace saver {

// The lights of one frame: the lightning's brightness (0 to 1), the lamp's darkening (0 to
// 0.5) and the room's ambient colour.
struct RoomLight {
  float flash = 0.0f;
  float flicker = 0.0f;
  D3DCOLOR ambient = 0xFF808080;
};

class RoomScene {
public:
  RoomScene() = default;
  RoomScene(const RoomScene&) = delete;
  RoomScene& operator=(const RoomScene&) = delete;
  ~RoomScene();

  // The room from `location`: its animations play over the union of their key ranges, the
  // photo at `photoPath` on disk (empty: none) goes into the "Picture" frame, the light maps
  // are turned, the named nodes leave the tree, and the hands follow `clock`'s keys (which
  // must outlive the room). False when the file cannot be loaded; the scene then stays
  // empty.
  bool load(const engine::FileLocation& location, const std::string& photoPath, const ClockMechanism& clock);
  // Starts the animation clocks of the room tree (layer 0), from now.
  void startAnimations();
  // Lets go of the room and everything it made on the device.
  void release();

  // Draws the room through `view` in its order. `context` gives the traversal's flags and
  // time (its queue is the view's). False when a draw failed.
  bool renderScene(engine::RenderView& view, const RoomLight& light, const engine::TraversalContext& context);

  bool loaded() const { return scene_ != nullptr; }
  engine::Scene& scene() { return *scene_; }
  // Each null when the room file lacks it.
  engine::SceneNode* hourHand() const { return hourHand_; }
  engine::SceneNode* minuteHand() const { return minuteHand_; }
  engine::SceneNode* glass() const { return glass_; }
  engine::SceneNode* lamp() const { return lamp_; }
  engine::SceneNode* curtain() const { return curtain_; }
  engine::SceneNode* windowView() const { return windowView_; }
  // Where the hour hand stands in the world: the clock's face, where the ticking sounds.
  const D3DXVECTOR3& clockFacePosition() const { return clockFacePosition_; }

private:
  void playAnimations();
  void putPhotoInFrame(const std::string& photoPath);
  void takeOutNamedNodes(const ClockMechanism& clock);
  void installHand(engine::SceneNode& hand, const engine::AnimationKey& key);
  bool drawNode(engine::SceneNode* node, engine::RenderView& view, const engine::TraversalContext& context);

  std::unique_ptr<engine::Scene> scene_;
  // The children of the root the named nodes were found in: out of the tree, kept alive.
  std::vector<std::unique_ptr<engine::SceneNode>> takenOut_;
  engine::SceneNode* hourHand_ = nullptr;
  engine::SceneNode* minuteHand_ = nullptr;
  engine::SceneNode* glass_ = nullptr;
  engine::SceneNode* lamp_ = nullptr;
  engine::SceneNode* curtain_ = nullptr;
  engine::SceneNode* windowView_ = nullptr;
  D3DXVECTOR3 clockFacePosition_{0.0f, 0.0f, 0.0f};
};

// Turns a light-mapped material (one whose second stage is in use) so that the first stage
// takes the light map minus the texture factor and the second doubles the base texture by
// it; other materials stay as they are. True when it turned the material.
bool turnLightMap(engine::RenderSettings& settings);

} // namespace saver
