// Scene files through the scene loader and one draw of what loaded, on the recording
// device (no textures: the store is not published). Inputs are mutated as UDF trees, so
// that names, sections and counts change as a person editing a scene would change them.
#include <cstddef>
#include <cstdint>

#include "engine/render/DevicePointer.h"
#include "fuzz/SceneFuzzTarget.h"
#include "fuzz/UdfMutator.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

// A recording device of its own for each input: one kept between inputs would hold what
// the last input bound and every resource id it handed out, which the fuzzer's leak check
// would take for leaks after every input.
class FreshDevice {
public:
  FreshDevice() : d3d_(d3d9::createRecordingDirect3D()) {
    D3DPRESENT_PARAMETERS p{};
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = reinterpret_cast<HWND>(0x1234);
    p.Windowed = TRUE;
    p.EnableAutoDepthStencil = TRUE;
    p.AutoDepthStencilFormat = D3DFMT_D24S8;
    d3d_->CreateDevice(0, D3DDEVTYPE_HAL, p.hDeviceWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_);
    engine::publishDevice(device_);
  }
  ~FreshDevice() {
    engine::publishDevice(nullptr);
    device_->Release();
    d3d_->Release();
  }
  FreshDevice(const FreshDevice&) = delete;
  FreshDevice& operator=(const FreshDevice&) = delete;

private:
  IDirect3D9* d3d_;
  IDirect3DDevice9* device_ = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FreshDevice device;
  fuzztargets::runScene(data, size);
  return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed) {
  return fuzztargets::mutateUdf(data, size, maxSize, seed, LLVMFuzzerMutate);
}

extern "C" std::size_t LLVMFuzzerCustomCrossOver(const std::uint8_t* first, std::size_t firstSize,
                                                 const std::uint8_t* second, std::size_t secondSize, std::uint8_t* out,
                                                 std::size_t maxOutSize, unsigned int seed) {
  return fuzztargets::crossOverUdf(first, firstSize, second, secondSize, out, maxOutSize, seed);
}
