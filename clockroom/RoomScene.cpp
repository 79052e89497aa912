#include "clockroom/RoomScene.h"

#include <algorithm>
#include <utility>

#include "engine/core/FloatColor.h"
#include "engine/render/StateCache.h"
#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/MeshInstance.h"
#include "engine/scene/NodeTransform.h"

namespace saver {
namespace {

// The nodes drawn on their own, in the order their names are looked for: a child of the
// root holding more than one of them is taken for the first.
struct NamedNode {
  const char* name;
  engine::SceneNode* RoomScene::*field;
};

// The photo takes the place of the first stage's texture of this node's material.
constexpr const char* kPictureNode = "Picture";

// A grey of one byte value in every colour channel.
D3DCOLOR grey(DWORD alpha, float value, float scale) {
  const auto v = static_cast<DWORD>(std::clamp(value, 0.0f, 1.0f) * scale);
  return D3DCOLOR_ARGB(alpha, v, v, v);
}

} // namespace

bool turnLightMap(engine::RenderSettings& settings) {
  auto& stages = settings.stages;
  if (stages[1].colorOp == D3DTOP_DISABLE) return false;
  std::swap(stages[0], stages[1]);
  // The light map less the factor (black but while the lamp flickers) ...
  stages[0].colorOp = D3DTOP_SUBTRACT;
  stages[0].colorArg1 = D3DTA_TEXTURE;
  stages[0].colorArg2 = D3DTA_TFACTOR;
  // ... doubled onto the base texture: a light-map texel of one half is the full base colour.
  stages[1].colorOp = D3DTOP_MODULATE2X;
  stages[1].colorArg1 = D3DTA_TEXTURE;
  stages[1].colorArg2 = D3DTA_CURRENT;
  for (engine::StageSettings* stage : {&stages[0], &stages[1]}) {
    stage->alphaOp = D3DTOP_SELECTARG1;
    stage->alphaArg1 = D3DTA_TEXTURE;
  }
  return true;
}

RoomScene::~RoomScene() = default;

bool RoomScene::load(const engine::FileLocation& location, const std::string& photoPath, const ClockMechanism& clock) {
  release();
  auto scene = std::make_unique<engine::Scene>();
  if (!scene->load(location, "")) return false;
  scene_ = std::move(scene);
  playAnimations();
  putPhotoInFrame(photoPath);
  scene_->root().forEach([](engine::SceneNode& node) {
    if (engine::MeshInstance* mesh = node.geometry()) turnLightMap(mesh->settings());
  });
  takeOutNamedNodes(clock);
  return true;
}

void RoomScene::playAnimations() {
  // Every animation of the file on every layer, wrapped over the union of their key ranges,
  // so that the pendulum swings for the whole run.
  engine::SceneNode& root = scene_->root();
  root.playAnimation("", engine::kAllLayers, true);
  root.setAnimationSpeed(engine::kAllLayers, 1.0f, true);
  root.setAnimationFlags(engine::kAllLayers, engine::kPlayWrapSubRange, true);
  float start = 0.0f, end = 0.0f;
  if (root.animationTimeRange(start, end)) root.setAnimationSubRange(engine::kAllLayers, start, end, true);
}

void RoomScene::putPhotoInFrame(const std::string& photoPath) {
  engine::TextureManager* textures = engine::textureManager();
  if (photoPath.empty() || !textures) return;
  engine::SceneNode* picture = scene_->root().findByName(kPictureNode);
  engine::MeshInstance* frame = picture ? picture->geometry() : nullptr;
  if (!frame) return;
  // Only the file on disk: a photo path never names something in the media.
  engine::TextureRequest request;
  request.location = engine::FileLocation::disk(photoPath);
  engine::TextureRef photo = textures->get(request);
  if (photo) frame->settings().stages[0].texture = std::move(photo);
}

void RoomScene::takeOutNamedNodes(const ClockMechanism& clock) {
  static constexpr NamedNode kNamed[] = {
      {"strelka_1big", &RoomScene::hourHand_}, {"strelka_1min", &RoomScene::minuteHand_},
      {"Clock glass", &RoomScene::glass_},     {"Lamp lamp", &RoomScene::lamp_},
      {"Curtain", &RoomScene::curtain_},       {"FonPlane01", &RoomScene::windowView_},
  };
  engine::SceneNode& root = scene_->root();
  // The children as they are now: taking one out must not disturb the walk.
  std::vector<engine::SceneNode*> children;
  for (auto& entry : root.children())
    children.push_back(entry.value.get());
  for (engine::SceneNode* child : children) {
    for (const NamedNode& named : kNamed) {
      engine::SceneNode* found = child->findByName(named.name);
      if (!found) continue;
      this->*named.field = found;
      if (named.field == &RoomScene::hourHand_) {
        installHand(*found, clock.hourHandRotation());
        clockFacePosition_ = found->worldPosition();
      } else if (named.field == &RoomScene::minuteHand_) {
        installHand(*found, clock.minuteHandRotation());
      }
      takenOut_.push_back(root.removeChild(*child));
      break;
    }
  }
}

void RoomScene::installHand(engine::SceneNode& hand, const engine::AnimationKey& key) {
  hand.installTransform("", std::make_shared<engine::RotationKeyTransform>(&key));
  hand.startAnimation(0, true);
}

void RoomScene::release() {
  hourHand_ = minuteHand_ = glass_ = lamp_ = curtain_ = windowView_ = nullptr;
  takenOut_.clear();
  scene_.reset();
}

void RoomScene::startAnimations() {
  if (scene_) scene_->root().startAnimation(0, true);
}

bool RoomScene::drawNode(engine::SceneNode* node, engine::RenderView& view, const engine::TraversalContext& context) {
  return !node || engine::drawFrame(*node, view, context);
}

bool RoomScene::renderScene(engine::RenderView& view, const RoomLight& light, const engine::TraversalContext& context) {
  if (!scene_) return true;
  engine::StateCache& cache = engine::stateCache();
  bool ok = true;
  if (windowView_) {
    // The night outside lights up with the lightning: its texture plus a grey of the flash,
    // under an ambient light beyond white at the flash's peak.
    if (engine::MeshInstance* view = windowView_->geometry()) {
      engine::StageSettings& stage = view->settings().stages[1];
      stage.colorOp = D3DTOP_ADD;
      stage.colorArg1 = D3DTA_CURRENT;
      stage.colorArg2 = D3DTA_TFACTOR;
    }
    cache.setRenderState(D3DRS_TEXTUREFACTOR, grey(255, light.flash, 64.0f));
    const float ambient = 0.5f + 0.7f * light.flash;
    cache.setRenderState(D3DRS_AMBIENT, engine::toColor(engine::FloatColor(1.0f, ambient, ambient, ambient)));
    ok = drawNode(windowView_, view, context) && ok;
    cache.setRenderState(D3DRS_AMBIENT, light.ambient);
  }
  ok = drawNode(lamp_, view, context) && ok;
  // The light maps lose this grey while the lamp flickers.
  cache.setRenderState(D3DRS_TEXTUREFACTOR, grey(0, light.flicker, 128.0f));
  ok = drawNode(&scene_->root(), view, context) && ok;
  for (engine::SceneNode* node : {hourHand_, minuteHand_, glass_, curtain_})
    ok = drawNode(node, view, context) && ok;
  return ok;
}

} // namespace saver
