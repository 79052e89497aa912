// Texture definition files (".ts" on disk): props scripts that name an image and its
// creation parameters, divide the texture into sub-textures (at explicit rectangles or
// placed in the atlas) and name frame animations over them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/data/FileSearchPaths.h"
#include "engine/data/props/PropsNode.h"
#include "engine/resources/textures/TextureRequest.h"

namespace engine {

class Texture;

// What one definition (the file, or one entry of its "Subs") says, defaults filled in.
struct TextureDefinition {
  std::string fileName;
  std::uint32_t sourceKind = 0; // how the image is kept: bytes (kSourceOwnedBytes) or its path
  UINT width = D3DX_DEFAULT;    // both or neither
  UINT height = D3DX_DEFAULT;
  std::optional<TextureRect> rect;
  std::optional<std::uint32_t> delay;
  DWORD usage = 0;
  std::string id;
  D3DPOOL pool = D3DPOOL_MANAGED;
  UINT levels = 1;
  D3DFORMAT format = D3DFMT_UNKNOWN;
  D3DCOLOR colorKey = 0;
  DWORD filter = D3DX_FILTER_LINEAR;
  DWORD mipFilter = D3DX_FILTER_BOX;
};

TextureDefinition readTextureDefinition(const PropsMap& keys);

// Applies definitions to the textures of the store.
class TextureDefinitionLoader {
public:
  // Reads the definition file at the resolved disk `location` into `texture`: its image or
  // an empty texture, its sub-textures and animations. False when the file cannot be parsed,
  // an image cannot be made or a sub-texture finds no room.
  static bool loadFile(Texture& texture, const FileLocation& location);

private:
  static bool apply(Texture& texture, const PropsMap& keys, const FileSearchPaths& context);
  static bool applySub(Texture& parent, const PropsMap& keys, const FileSearchPaths& context);
  static void takeParameters(Texture& texture, const TextureDefinition& definition);
  static bool keepImage(Texture& texture, const TextureDefinition& definition, const FileSearchPaths& context);
  static void readAnimations(Texture& texture, const PropsNode& animations);
};

} // namespace engine
