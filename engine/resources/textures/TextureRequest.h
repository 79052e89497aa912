// What a caller asks the texture store for: where the image lives and which creation
// parameters it insists on. Parameters whose flag is not set take the store's defaults and
// do not stop a request from sharing an existing texture.
#pragma once

#include <cstdint>
#include <string>

#include "engine/data/FileLocation.h"
#include "platform/d3dx9/d3dx9tex.h"

namespace engine {

class Texture;

// Bits of `TextureRequest::flags`: the parameters that must match.
constexpr std::uint32_t kMatchFormat = 0x01;
constexpr std::uint32_t kMatchColorKey = 0x02;
constexpr std::uint32_t kMatchSize = 0x04; // width and height
constexpr std::uint32_t kMatchUsage = 0x08;
constexpr std::uint32_t kMatchPool = 0x10;
constexpr std::uint32_t kMatchFilter = 0x20; // filter and mip filter
constexpr std::uint32_t kMatchLevels = 0x40;
constexpr std::uint32_t kMatchSubName = 0x80;  // the sub-texture called `subName`
constexpr std::uint32_t kMatchSubRect = 0x100; // the sub-texture at `subRect`
constexpr std::uint32_t kStartFromTexture = 0x200;

// Texels of a texture: left, top, right, bottom.
struct TextureRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const TextureRect&) const = default;
};

struct TextureRequest {
  Texture* texture = nullptr; // with kStartFromTexture
  FileLocation location;      // a default location asks for an empty texture
  std::string subName;
  TextureRect subRect;
  UINT width = 0;
  UINT height = 0;
  UINT levels = 0;
  DWORD usage = 0;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  D3DPOOL pool = D3DPOOL_MANAGED;
  DWORD filter = D3DX_FILTER_BOX;
  DWORD mipFilter = D3DX_FILTER_BOX;
  D3DCOLOR colorKey = 0;
  // Not 0: the texture takes the image's own size (or the size asked for), never rounded
  // up, and scaled down with its proportions kept until neither side exceeds this. For
  // pictures of any size that are shown small, such as the user's photo in the frame; a
  // large JPEG is then shrunk while it is decoded. Only textures made with the same
  // maxSide are shared.
  UINT maxSide = 0;
  bool unshared = false; // never reuse an existing texture
  bool noCreate = false; // only look up
  bool dropSubs = false; // destroy the sub-textures before the image is (re)created
  bool deferred = false; // create the Direct3D texture on first use
  std::uint32_t flags = 0;
};

} // namespace engine
