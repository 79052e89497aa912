#include "shell/LoadingScreen.h"

#include "engine/app/Stopwatch.h"
#include "engine/core/Log.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/ScreenQuad.h"
#include "platform/win32/desktop.h"

namespace saver {
namespace {

constexpr std::int64_t kFadeMs = 200;

} // namespace

void drawLoadingScreen(engine::Texture* texture, float opacity) {
  IDirect3DDevice9* device = engine::currentDevice();
  if (!device) return;
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  if (SUCCEEDED(device->BeginScene())) {
    if (texture && texture->d3dTexture()) engine::drawScreenPicture(texture->d3dTexture(), opacity);
    device->EndScene();
  }
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

void LoadingScreen::load(engine::TextureManager& textures, const engine::MediaLibrary& media) {
  engine::TextureRequest request;
  request.location = media.locate("/loading.jpg");
  // The picture as it is, one level: it is only ever shown at the size of the screen, and
  // rounding it up to powers of two would only cost start-up time and memory.
  request.flags = engine::kMatchLevels | engine::kMatchSize;
  request.levels = 1;
  request.width = D3DX_DEFAULT_NONPOW2;
  request.height = D3DX_DEFAULT_NONPOW2;
  texture_ = textures.get(request);
  if (!texture_) engine::logLine("Error: the loading picture /loading.jpg could not be loaded\n");
}

void LoadingScreen::show() { drawLoadingScreen(texture_.get(), 1.0f); }

void LoadingScreen::fadeOut() {
  if (!texture_) return;
  engine::Stopwatch fade;
  // A daemon that stops the saver wants it gone at once, not after a fade nobody sees.
  for (std::int64_t elapsed = fade.elapsedMs(); elapsed < kFadeMs && !win32::terminationPending();
       elapsed = fade.elapsedMs())
    drawLoadingScreen(texture_.get(), 1.0f - static_cast<float>(elapsed) / kFadeMs);
}

} // namespace saver
