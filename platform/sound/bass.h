// The audio library the room's sounds are played through: the calls the program makes,
// under their own names, and only those. The library is linked in; `sound::loadLibrary`
// and `sound::freeLibrary` stand for loading and freeing its module.
//
// Samples are Ogg Vorbis files given as bytes, decoded once when they are loaded. Sounds
// are mixed in software on the output's own thread: device 1 is the default output,
// device 0 is no output at all (every call still succeeds, nothing is heard). Distances are
// in the caller's units; 3D settings of the listener, the factors and the channels take
// effect at the next BASS_Apply3D.
#pragma once

#include <cstdint>

#include "platform/win32/windows.h"

using QWORD = std::uint64_t;
using HSAMPLE = DWORD;
using HCHANNEL = DWORD;

struct BASS_3DVECTOR {
  float x;
  float y;
  float z;
};

// BASS_Init flags.
constexpr DWORD BASS_DEVICE_3D = 4;

// BASS_SampleLoad flags. Everything is mixed in software, so BASS_SAMPLE_SOFTWARE only
// confirms what happens anyway; 3D samples are mixed down to mono.
constexpr DWORD BASS_SAMPLE_MONO = 2;
constexpr DWORD BASS_SAMPLE_LOOP = 4;
constexpr DWORD BASS_SAMPLE_3D = 8;
constexpr DWORD BASS_SAMPLE_SOFTWARE = 16;

// BASS_SetConfig options.
constexpr DWORD BASS_CONFIG_GVOL_SAMPLE = 4; // the volume of every sample channel, 0...100

// The 3D mode of a channel: its position is in world space.
constexpr int BASS_3DMODE_NORMAL = 0;

// device: 1 the default output, 0 no output. freq: the output rate asked for (the output may
// run at another; samples are resampled to it). flags: 0 or BASS_DEVICE_3D. The window is
// not needed here; clsid must be null. FALSE when already initialised or the output cannot
// be opened (the caller then tries device 0).
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid);
// Only BASS_CONFIG_GVOL_SAMPLE; values above 100 are refused.
BOOL BASS_SetConfig(DWORD option, DWORD value);
// A negative factor leaves it unchanged. Only the roll-off factor (0...10) changes what is
// heard: sources never move with a velocity here, so the distance (above 0) and Doppler
// (0...10) factors are checked but have nothing to act on.
BOOL BASS_Set3DFactors(float distf, float rollf, float doppf);
// The listener. A null vector leaves that one unchanged; front and top come together and
// must not be parallel. A non-zero velocity is refused (no Doppler shift in this mixer).
BOOL BASS_Set3DPosition(const BASS_3DVECTOR* pos, const BASS_3DVECTOR* vel, const BASS_3DVECTOR* front,
                        const BASS_3DVECTOR* top);
// Makes the 3D changes since the last call heard, all at once.
void BASS_Apply3D();
// mem must be TRUE: `file` points at `length` bytes of an Ogg Vorbis file, read from
// `offset`. max: simultaneous channels of the sample, 1...65535. A file that is not Ogg
// Vorbis, is truncated or damaged gives 0 and a log line.
HSAMPLE BASS_SampleLoad(BOOL mem, const void* file, QWORD offset, DWORD length, DWORD max, DWORD flags);
// A new channel of the sample; onlynew must be TRUE. 0 when all `max` channels are in
// use (a channel is in use from here until its sample has played to its end).
HCHANNEL BASS_SampleGetChannel(HSAMPLE handle, BOOL onlynew);
// Starts the channel, from the beginning with restart or where it stopped otherwise.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
// For channels of 3D samples. mode: BASS_3DMODE_NORMAL; min and max distance (0 or less:
// unchanged; beyond max the volume holds); inside and outside angles of the sound cone: 360
// (sources sound alike all around); outvol, the volume outside the cone, 0...100, which
// full cones leave nothing to act on. -1: unchanged.
BOOL BASS_ChannelSet3DAttributes(DWORD handle, int mode, float min, float max, int iangle, int oangle, int outvol);
// The source's position and the direction its cone points in (which full cones make
// irrelevant); null: unchanged. A non-zero velocity is refused.
BOOL BASS_ChannelSet3DPosition(DWORD handle, const BASS_3DVECTOR* pos, const BASS_3DVECTOR* orient,
                               const BASS_3DVECTOR* vel);
// volume: 0...100, -1 unchanged. freq and pan must be -1 (unchanged): channels play at their
// sample's rate, and only 3D channels are placed.
BOOL BASS_ChannelSetAttributes(DWORD handle, int freq, int volume, int pan);

namespace sound {

class AudioLibrary;

// Makes the calls above available (false when they already are). Before it, and after
// freeLibrary, every call fails.
bool loadLibrary();
// Stops the output and forgets every sample and channel.
void freeLibrary();
// The loaded library, for tests and measurements; null when none is loaded.
AudioLibrary* loadedLibrary();
// Starts decoding, on a thread of the library's own, the sample that a later
// BASS_SampleLoad(TRUE, file, 0, length, max, flags) of the same bytes will ask for, so that
// decoding runs while the caller does other work; that load then waits for it instead of
// decoding. The bytes must stay as they are until that load or freeLibrary. False (and
// nothing started) when no library is loaded.
bool decodeAhead(const void* file, DWORD length, DWORD flags);

} // namespace sound
