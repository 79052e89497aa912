// Where the room's sounds plug into the clock room: the audio binding implements this and
// the application is given it (without one the room is silent and the storm has no thunder).
// The calls come at the points of the room's life where the sounds belong.
#pragma once

#include "engine/scene/CameraPath.h"
#include "platform/d3dx9/d3dx9math.h"
#include "shell/Settings.h"

namespace saver {

class RoomSounds {
public:
  virtual ~RoomSounds() = default;
  // Before the room loads: the audio library bound and initialised.
  virtual void bind(const Settings& settings) = 0;
  // Once the room is there: the music, the rain, the thunder claps (loaded, not started) and
  // the ticking placed at the clock's face, as the settings ask.
  virtual void start(const Settings& settings, const D3DXVECTOR3& clockFace) = 0;
  // Whether the first thunder clap was loaded: only then does thunder follow a flash.
  virtual bool thunderLoaded() const = 0;
  // 0, 1, 2: "/ClockGrom1.ogg", "/ClockGrom2.ogg", "/ClockGrom3.ogg".
  virtual void playThunder(int clap) = 0;
  // Every ready frame: the fade-in of the volume and the listener at the camera.
  virtual void update(const engine::CameraPose& listener) = 0;
  // After the frame loop: silence and unload.
  virtual void shutdown() = 0;
};

} // namespace saver
