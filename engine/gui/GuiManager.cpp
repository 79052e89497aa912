#include "engine/gui/GuiManager.h"

#include <algorithm>

#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"

namespace engine {
namespace {

// Windows blend over the picture by their alpha (text cells keyed transparent, tiles with
// alpha), unlit and unfogged, lying in their layers.
void applyGuiStates(StateCache& cache) {
  cache.setRenderState(D3DRS_ZENABLE, TRUE);
  cache.setRenderState(D3DRS_ZWRITEENABLE, TRUE);
  cache.setRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
  cache.setRenderState(D3DRS_LIGHTING, FALSE);
  cache.setRenderState(D3DRS_FOGENABLE, FALSE);
  cache.setRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  cache.setRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
  cache.setRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  cache.setRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  cache.setRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  cache.setRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  cache.setTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  cache.setTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  cache.setTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  cache.setTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  cache.setTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  cache.setTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  cache.setTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  cache.setTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  cache.setTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  cache.setTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  cache.setSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  cache.setSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  cache.setSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  cache.setSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
}

} // namespace

GuiManager::~GuiManager() {
  windows_.clear();
  queue_.clear();
}

GuiWindow* GuiManager::addWindow(std::unique_ptr<GuiWindow> window) {
  if (!window) return nullptr;
  windows_.push_back(std::move(window));
  GuiWindow* added = windows_.back().get();
  added->attachTo(this);
  return added;
}

std::unique_ptr<GuiWindow> GuiManager::removeWindow(GuiWindow* window) {
  auto found = std::find_if(windows_.begin(), windows_.end(), [&](const auto& w) { return w.get() == window; });
  if (found == windows_.end()) return nullptr;
  std::unique_ptr<GuiWindow> removed = std::move(*found);
  windows_.erase(found);
  removed->attachTo(nullptr);
  return removed;
}

void GuiManager::setScreenSize(int width, int height) {
  screenWidth_ = width;
  screenHeight_ = height;
}

float GuiManager::layerDistance(int layer) {
  // Layer 0 sits well inside the range, so a few levels of nesting either way stay apart.
  constexpr float kLayerZero = 64.0f;
  return std::clamp(kLayerZero + static_cast<float>(layer), kNear + 1.0f, kFar);
}

float GuiManager::layerDepth(int layer) const {
  const float distance = layerDistance(layer);
  return kFar / (kFar - kNear) * (distance - kNear) / distance;
}

void GuiManager::enqueue(GuiWindow* window) {
  if (window->drawQueued()) return;
  queue_.push_back(window);
  window->setDrawQueued(true);
}

void GuiManager::unqueue(GuiWindow* window) {
  if (!window->drawQueued()) return;
  std::erase(queue_, window);
  window->setDrawQueued(false);
}

void GuiManager::forget(GuiWindow* window) {
  unqueue(window);
  if (captured_ == window) captured_ = nullptr;
  if (keyboardFocus_ == window) keyboardFocus_ = nullptr;
  std::erase(delivered_, window);
}

void GuiManager::releaseCapture(GuiWindow* window) {
  if (captured_ == window) captured_ = nullptr;
}

bool GuiManager::draw(std::int64_t nowMs) {
  IDirect3DDevice9* device = currentDevice();
  if (!device || queue_.empty()) return true;
  applyGuiStates(stateCache());
  // Far layers first, so that what lies in front blends over them; a window may leave the
  // queue while it draws, so the walk goes over a copy, kept between frames so that drawing
  // allocates nothing.
  drawOrder_.assign(queue_.begin(), queue_.end());
  sortFarthestFirst(drawOrder_);
  GuiDrawContext context{*this, device, nowMs};
  bool ok = true;
  for (GuiWindow* window : drawOrder_)
    if (window->drawQueued()) ok = window->draw(context) && ok;
  return ok;
}

void GuiManager::sortFarthestFirst(std::vector<GuiWindow*>& windows) {
  // An insertion sort: stable, as windows of one layer keep their queue order, and without
  // the temporary buffer std::stable_sort takes; a screen has a handful of windows.
  for (std::size_t i = 1; i < windows.size(); ++i) {
    GuiWindow* window = windows[i];
    std::size_t j = i;
    for (; j > 0 && windows[j - 1]->layer() < window->layer(); --j)
      windows[j] = windows[j - 1];
    windows[j] = window;
  }
}

void GuiManager::noteDelivered(GuiWindow* window) { delivered_.push_back(window); }

void GuiManager::onInputEvent(const InputEvent& event) {
  const bool button = event.isButton();
  const bool key = event.kind == InputEventKind::KeyPressed || event.kind == InputEventKind::KeyReleased ||
                   event.kind == InputEventKind::Character;
  if (key && keyboardFocus_) keyboardFocus_->onInputEvent(event);
  if (!button && event.kind != InputEventKind::PointerMoved) return;
  delivered_.clear();
  if (button)
    routeButton(windows_, event);
  else
    routeMove(windows_, event);
  if (captured_ && std::find(delivered_.begin(), delivered_.end(), captured_) == delivered_.end())
    captured_->deliver(event, PointerNotice::None);
  delivered_.clear();
}

void GuiManager::addStyle(const std::string& name, std::shared_ptr<PropsNode> values) {
  styles_[name] = GuiStyle{name, std::move(values)};
}

const GuiStyle* GuiManager::style(std::string_view name) const {
  auto found = styles_.find(name);
  return found == styles_.end() ? nullptr : &found->second;
}

bool GuiManager::invalidateDeviceObjects() {
  buffers_.releaseDeviceObjects();
  return true;
}

} // namespace engine
