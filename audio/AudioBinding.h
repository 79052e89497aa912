// Binding the audio library. The library is linked into the program, so binding writes no
// file and loads no module: it makes the library's calls available, and unloading stops
// its output and forgets every sample. A call made while the library is not bound fails
// and changes nothing, so a room without a binding runs silently.
#pragma once

namespace audio {

void bindAudioLibrary();
// Does nothing when the library is not bound.
void unloadAudioLibrary();

} // namespace audio
