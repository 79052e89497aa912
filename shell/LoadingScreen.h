// The picture shown while the room loads: "/loading.jpg" over the whole screen, drawn once
// before the loading starts and faded out over 200 ms when the room is ready.
#pragma once

#include "engine/data/MediaLibrary.h"
#include "engine/resources/textures/TextureManager.h"

namespace saver {

// Clears the back buffer (black, depth 1), draws `texture` over the whole viewport with the
// given opacity (0 to 1) and presents. A missing texture leaves the frame black.
void drawLoadingScreen(engine::Texture* texture, float opacity);

class LoadingScreen {
public:
  // Takes the picture from the media; without it (logged) the loading screen is black.
  void load(engine::TextureManager& textures, const engine::MediaLibrary& media);
  // At full opacity.
  void show();
  // From full opacity to nothing over 200 ms; at once when the run is being stopped.
  void fadeOut();
  void release() { texture_.reset(); }
  engine::Texture* texture() const { return texture_.get(); }

private:
  engine::TextureRef texture_;
};

} // namespace saver
