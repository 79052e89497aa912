// A bitmap resource of any bytes loads or is refused without reading outside them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win32/resources.h"
#include "platform/win32/wingdi.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // An exact-size copy, so any read past the end is caught.
  std::vector<std::uint8_t> bytes(data, data + size);
  win32::registerResource(2, 173, bytes.data(), bytes.size());
  if (HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(173))) DeleteObject(bitmap);
  win32::unregisterResource(2, 173);
  return 0;
}
