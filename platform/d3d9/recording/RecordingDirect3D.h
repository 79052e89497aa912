// The recording back end: the same IDirect3D9 and IDirect3DDevice9 interfaces without a
// GPU. Every call is checked and executed like on the OpenGL back end (state, resources,
// lost-device cycle), recorded with its arguments and result in a call log, and may be
// answered with a scripted result instead. Unit tests of the engine use it.
#pragma once

#include "platform/d3d9/Direct3DBase.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace d3d9 {

struct RecordedCall {
  std::string method;              // "SetRenderState"
  std::vector<std::uint64_t> args; // integer arguments in order; resources by id (0 = none)
  std::vector<float> floats;       // matrices, materials, lights, clear depth, in order
  HRESULT result = D3D_OK;

  // "SetRenderState(137, 1)"; floats follow the integers.
  std::string text() const;
};

class CallLog {
public:
  const std::vector<RecordedCall>& calls() const { return calls_; }
  std::size_t count(std::string_view method) const;
  std::vector<RecordedCall> named(std::string_view method) const;
  void clear() { calls_.clear(); }

  // The next `times` calls of `method` answer `result` without doing their work.
  void script(std::string_view method, HRESULT result, unsigned times = 1);
  // Every call of `method` answers `result` until clearScripts.
  void scriptAlways(std::string_view method, HRESULT result);
  void clearScripts();

  // The id a resource is recorded by: 1, 2, ... in order of creation; 0 for none.
  std::uint64_t idOf(const IUnknown* resource) const;

  // Used by the recording objects: records `method` with its arguments and answers the
  // scripted result, or else what `work` answers.
  template <class Work>
  HRESULT run(const char* method, std::vector<std::uint64_t> args, std::vector<float> floats, Work work) {
    RecordedCall call{method, std::move(args), std::move(floats), D3D_OK};
    if (auto scripted = takeScripted(method)) {
      call.result = *scripted;
    } else {
      call.result = work();
    }
    const HRESULT result = call.result;
    calls_.push_back(std::move(call));
    return result;
  }
  void registerResource(const IUnknown* resource);

private:
  std::optional<HRESULT> takeScripted(std::string_view method);

  std::vector<RecordedCall> calls_;
  std::map<std::string, std::vector<HRESULT>, std::less<>> queued_;
  std::map<std::string, HRESULT, std::less<>> always_;
  std::map<const void*, std::uint64_t> ids_;
  std::uint64_t lastId_ = 0;
};

// The arguments CreateDevice and Reset record for their present parameters (none for null).
std::vector<std::uint64_t> presentParameterArgs(const D3DPRESENT_PARAMETERS* params);

// What the recording Direct3D object reports about the machine.
struct RecordingSetup {
  std::vector<AdapterDescription> adapters;
  BackendCapabilities capabilities;
  UINT windowWidth = 640; // the client size of every window
  UINT windowHeight = 480;
};

// One adapter with a 1024 x 768 X8R8G8B8 60 Hz desktop and the usual modes, and a device
// with hardware transform and lighting, eight stages, the common formats and 2x/4x
// multisampling.
RecordingSetup defaultRecordingSetup();

// A new recording Direct3D object (one reference).
IDirect3D9* createRecordingDirect3D(const RecordingSetup& setup = defaultRecordingSetup());

// Changes the desktop mode an adapter of a recording Direct3D object reports, as when the
// user switches the desktop to another mode; false for objects of other back ends.
bool setDesktopMode(IDirect3D9* direct3d, UINT adapter, const D3DDISPLAYMODE& mode);

// The call log shared by a recording Direct3D object and every device it made; null for
// objects of other back ends.
CallLog* callLog(IDirect3D9* direct3d);
CallLog* callLog(IDirect3DDevice9* device);

} // namespace d3d9
