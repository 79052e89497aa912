#include "platform/d3dx9/Screenshot.h"

#include <fstream>

#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3dx9/ImageEncoder.h"

namespace d3dx9 {

bool saveScreenshot(IDirect3DDevice9* device, const std::string& path, std::string& error) {
  d3d9::PresentedImage presented;
  if (!device || !d3d9::readPresentedImage(device, presented)) {
    error = "no frame has been presented";
    return false;
  }
  Image image = blankImage(presented.width, presented.height);
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    const std::uint8_t* rgba = &presented.rgba[i * 4];
    image.pixels[i] = 0xFF000000u | (std::uint32_t{rgba[0]} << 16) | (std::uint32_t{rgba[1]} << 8) | rgba[2];
  }
  std::vector<BYTE> png;
  if (!encodePng(image, false, png)) {
    error = "the frame could not be encoded";
    return false;
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  out.close();
  if (!out) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

} // namespace d3dx9
