#include "engine/resources/textures/TextureKeys.h"

#include <array>
#include <cstdint>

namespace engine {
namespace {

struct NamedFormat {
  std::string_view name;
  D3DFORMAT format;
};

constexpr std::array<NamedFormat, 7> kFormats{{
    {"D3DFMT_R8G8B8", D3DFMT_R8G8B8},
    {"D3DFMT_A8R8G8B8", D3DFMT_A8R8G8B8},
    {"D3DFMT_X8R8G8B8", D3DFMT_X8R8G8B8},
    {"D3DFMT_R5G6B5", D3DFMT_R5G6B5},
    {"D3DFMT_X1R5G5B5", D3DFMT_X1R5G5B5},
    {"D3DFMT_A1R5G5B5", D3DFMT_A1R5G5B5},
    {"D3DFMT_A4R4G4B4", D3DFMT_A4R4G4B4},
}};

std::uint32_t channel(const PropsNode& node, std::string_view digit, std::string_view letter) {
  const PropsNode* entry = node.findChild(digit);
  if (!entry) entry = node.findChild(letter);
  return entry ? static_cast<std::uint32_t>(entry->asInt()) & 0xFFu : 0u;
}

} // namespace

D3DFORMAT formatFromName(std::string_view name) {
  for (const NamedFormat& entry : kFormats)
    if (entry.name == name) return entry.format;
  return D3DFMT_UNKNOWN;
}

D3DCOLOR readColorKey(const PropsNode& node) {
  if (node.children().empty()) return static_cast<D3DCOLOR>(node.asInt());
  return 0xFF000000u | channel(node, "0", "r") << 16 | channel(node, "1", "g") << 8 | channel(node, "2", "b");
}

} // namespace engine
