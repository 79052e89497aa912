#include "audio/AudioBinding.h"

#include "engine/core/Log.h"
#include "platform/sound/bass.h"

namespace audio {

void bindAudioLibrary() {
  if (!sound::loadLibrary()) engine::logLine("The audio library is bound already\n");
}

void unloadAudioLibrary() { sound::freeLibrary(); }

} // namespace audio
