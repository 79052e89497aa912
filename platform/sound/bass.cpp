// The calls go to the loaded library; before loadLibrary and after freeLibrary they fail,
// as calls through an unbound module would.
#include "platform/sound/bass.h"

#include "platform/sound/AudioLibrary.h"

namespace sound {
namespace {

// The module's one instance, as a loaded library is one per process.
std::unique_ptr<AudioLibrary>& library() {
  static std::unique_ptr<AudioLibrary> instance;
  return instance;
}

} // namespace

bool loadLibrary() {
  if (library()) return false;
  library() = std::make_unique<AudioLibrary>();
  return true;
}

void freeLibrary() { library().reset(); }

AudioLibrary* loadedLibrary() { return library().get(); }

bool decodeAhead(const void* file, DWORD length, DWORD flags) {
  return library() && library()->decodeAhead(file, length, flags);
}

} // namespace sound

using sound::loadedLibrary;

// The window is where the Windows library attached its output; an SDL output needs none.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND, const void* clsid) {
  return loadedLibrary() ? loadedLibrary()->init(device, freq, flags, clsid) : FALSE;
}

BOOL BASS_SetConfig(DWORD option, DWORD value) {
  return loadedLibrary() ? loadedLibrary()->setConfig(option, value) : FALSE;
}

BOOL BASS_Set3DFactors(float distf, float rollf, float doppf) {
  return loadedLibrary() ? loadedLibrary()->set3DFactors(distf, rollf, doppf) : FALSE;
}

BOOL BASS_Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                        const BASS_3DVECTOR* top) {
  return loadedLibrary() ? loadedLibrary()->set3DPosition(pos, vel, front, top) : FALSE;
}

void BASS_Apply3D() {
  if (loadedLibrary()) loadedLibrary()->apply3D();
}

HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max, DWORD flags) {
  return loadedLibrary() ? loadedLibrary()->sampleLoad(mem, file, offset, length, max, flags) : 0;
}

HCHANNEL BASS_SampleGetChannel(HSAMPLE handle, BOOL onlynew) {
  return loadedLibrary() ? loadedLibrary()->sampleGetChannel(handle, onlynew) : 0;
}

BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  return loadedLibrary() ? loadedLibrary()->channelPlay(handle, restart) : FALSE;
}

BOOL BASS_ChannelSet3DAttributes(DWORD handle, int mode, float min, float max, int iangle, int oangle, int outvol) {
  return loadedLibrary() ? loadedLibrary()->channelSet3DAttributes(handle, mode, min, max, iangle, oangle, outvol)
                         : FALSE;
}

BOOL BASS_ChannelSet3DPosition(DWORD handle, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                               const BASS_3DVECTOR* vel) {
  return loadedLibrary() ? loadedLibrary()->channelSet3DPosition(handle, pos, orient, vel) : FALSE;
}

BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan) {
  return loadedLibrary() ? loadedLibrary()->channelSetAttributes(handle, freq, volume, pan) : FALSE;
}
