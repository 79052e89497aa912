// Any settings file must parse without reading outside its bytes, and whatever parses must
// come back unchanged from a write and a second read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/win32/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  win32::RegistryDocument document;
  std::string error;
  if (!win32::RegistryDocument::parse(text, document, error)) return 0;
  const std::string written = document.serialize();
  win32::RegistryDocument again;
  if (!win32::RegistryDocument::parse(written, again, error)) std::abort();
  if (again.serialize() != written) std::abort();
  return 0;
}
