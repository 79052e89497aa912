#include "engine/resources/textures/TextureDefinition.h"

#include <algorithm>
#include <array>
#include <memory>

#include "engine/core/Log.h"
#include "engine/data/props/PropsParser.h"
#include "engine/resources/textures/AtlasPlacement.h"
#include "engine/resources/textures/Texture.h"
#include "engine/resources/textures/TextureKeys.h"

namespace engine {
namespace {

struct NamedValue {
  std::string_view name;
  DWORD value;
};

constexpr std::array<NamedValue, 4> kFilters{{
    {"D3DX_FILTER_NONE", D3DX_FILTER_NONE},
    {"D3DX_FILTER_LINEAR", D3DX_FILTER_LINEAR},
    {"D3DX_FILTER_TRIANGLE", D3DX_FILTER_TRIANGLE},
    {"D3DX_FILTER_BOX", D3DX_FILTER_BOX},
}};

constexpr std::array<NamedValue, 3> kPools{{
    {"D3DPOOL_DEFAULT", D3DPOOL_DEFAULT},
    {"D3DPOOL_SYSTEMMEM", D3DPOOL_SYSTEMMEM},
    {"D3DPOOL_MANAGED", D3DPOOL_MANAGED},
}};

template <std::size_t N>
DWORD named(const PropsMap& keys, std::string_view key, const std::array<NamedValue, N>& table, DWORD fallback) {
  const PropsNode* node = keys.findChild(key);
  if (!node) return fallback;
  for (const NamedValue& entry : table)
    if (entry.name == node->asString()) return entry.value;
  return fallback;
}

// The rectangle of a sub-texture: "x1" and "y1" are its corner; its right edge is "x2", or
// "x1" + "w"; its bottom edge is "y2", or "y1" + "h".
std::optional<TextureRect> readRect(const PropsMap& keys) {
  const PropsNode* left = keys.findChild("x1");
  const PropsNode* top = keys.findChild("y1");
  const PropsNode* right = keys.findChild("x2");
  const PropsNode* width = keys.findChild("w");
  const PropsNode* bottom = keys.findChild("y2");
  const PropsNode* height = keys.findChild("h");
  if (!left || !top || !(right || width) || !(bottom || height)) return std::nullopt;
  TextureRect rect{left->asInt(), top->asInt(), 0, 0};
  rect.right = right ? right->asInt() : rect.left + width->asInt();
  rect.bottom = bottom ? bottom->asInt() : rect.top + height->asInt();
  return rect;
}

} // namespace

TextureDefinition readTextureDefinition(const PropsMap& keys) {
  TextureDefinition definition;
  definition.fileName = keys.getString("FileName", "");
  if (!definition.fileName.empty()) definition.sourceKind = kSourceOwnedBytes;
  const std::string initFlags = keys.getString("InitFlags", "");
  if (initFlags == "SAVE_NAME") definition.sourceKind = kSourcePath;
  if (initFlags == "SAVE_DATA") definition.sourceKind = kSourceOwnedBytes;
  if (keys.findChild("Width") && keys.findChild("Height")) {
    definition.width = static_cast<UINT>(keys.getInt("Width", -1));
    definition.height = static_cast<UINT>(keys.getInt("Height", -1));
  }
  definition.rect = readRect(keys);
  if (keys.findChild("Delay")) definition.delay = static_cast<std::uint32_t>(std::max(keys.getInt("Delay", 0), 0));
  if (keys.getString("Usage", "") == "D3DUSAGE_DYNAMIC") definition.usage = D3DUSAGE_DYNAMIC;
  definition.id = keys.getString("Id", "");
  definition.pool = static_cast<D3DPOOL>(named(keys, "Pool", kPools, D3DPOOL_MANAGED));
  definition.levels = static_cast<UINT>(keys.getInt("Levels", 1));
  if (const PropsNode* format = keys.findChild("Format")) definition.format = formatFromName(format->asString());
  if (const PropsNode* key = keys.findChild("ColorKey")) definition.colorKey = readColorKey(*key);
  definition.filter = named(keys, "Filter", kFilters, D3DX_FILTER_LINEAR);
  definition.mipFilter = named(keys, "MipFilter", kFilters, D3DX_FILTER_BOX);
  return definition;
}

bool TextureDefinitionLoader::loadFile(Texture& texture, const FileLocation& location) {
  PropsTree tree;
  FileSearchPaths context;
  // Image names are read from disk, beside the definition when not found as written.
  context.add(location.directory());
  if (!parsePropsFile(location, tree, &context)) {
    logLine("Error: texture definition " + location.path + " cannot be read\n");
    return false;
  }
  if (apply(texture, tree, context)) return true;
  logLine("Error: texture definition " + location.path + " cannot be applied\n");
  return false;
}

void TextureDefinitionLoader::takeParameters(Texture& texture, const TextureDefinition& definition) {
  texture.requestedWidth_ = definition.width;
  texture.requestedHeight_ = definition.height;
  texture.levels_ = definition.levels;
  texture.requestedUsage_ = definition.usage;
  texture.requestedFormat_ = definition.format;
  texture.requestedPool_ = definition.pool;
  texture.filter_ = definition.filter;
  texture.mipFilter_ = definition.mipFilter;
  texture.colorKey_ = definition.colorKey;
  texture.id_ = definition.id;
}

bool TextureDefinitionLoader::keepImage(Texture& texture, const TextureDefinition& definition,
                                        const FileSearchPaths& context) {
  if (definition.fileName.empty()) {
    texture.source_ = kSourceEmpty;
    return true;
  }
  FileLocation image = FileLocation::disk(definition.fileName);
  if (!context.resolveOrAbsolute(image)) {
    logLine("Error: texture definition image " + definition.fileName + " not found\n");
    return false;
  }
  texture.sourcePath_ = image.path;
  if (definition.sourceKind == kSourcePath) {
    texture.source_ = kSourcePath;
    return true;
  }
  bool borrow = false;
  if (!image.readAll(texture.sourceBytes_, borrow) || texture.sourceBytes_.size() == 0) return false;
  texture.source_ = kSourceOwnedBytes;
  return true;
}

bool TextureDefinitionLoader::apply(Texture& texture, const PropsMap& keys, const FileSearchPaths& context) {
  const TextureDefinition definition = readTextureDefinition(keys);
  takeParameters(texture, definition);
  texture.delay_ = definition.delay.value_or(texture.delay_);
  if (!keepImage(texture, definition, context) || !texture.createFromSource()) return false;
  if (definition.rect) {
    texture.rect_ = *definition.rect;
    texture.placement_ = 2;
  }
  if (const PropsNode* subs = keys.findChild("Subs")) {
    for (const auto& entry : subs->children())
      if (!applySub(texture, entry.value->children(), context)) return false;
    texture.drawSubImages();
  }
  if (const PropsNode* animations = keys.findChild("Animation")) readAnimations(texture, *animations);
  return true;
}

bool TextureDefinitionLoader::applySub(Texture& parent, const PropsMap& keys, const FileSearchPaths& context) {
  const TextureDefinition definition = readTextureDefinition(keys);
  auto sub = std::make_unique<Texture>();
  takeParameters(*sub, definition);
  sub->delay_ = definition.delay.value_or(parent.delay_);
  if (!keepImage(*sub, definition, context)) return false;
  int width = definition.width == D3DX_DEFAULT ? 0 : static_cast<int>(definition.width);
  int height = definition.height == D3DX_DEFAULT ? 0 : static_cast<int>(definition.height);
  if (sub->hasOwnImage()) {
    // Made once to learn the image's size; it draws into its parent's texture from now on.
    if (!sub->createFromSource()) return false;
    width = static_cast<int>(sub->imageInfo_.Width);
    height = static_cast<int>(sub->imageInfo_.Height);
    sub->releaseObject();
  } else {
    sub->source_ = 0;
  }
  sub->parent_ = &parent;
  if (definition.rect) {
    sub->rect_ = *definition.rect;
    sub->placement_ = 2;
    parent.subs_.push_back(std::move(sub));
    parent.subs_.back()->placement_ = 0;
    return true;
  }
  sub->rect_ = {0, 0, width, height};
  if (AtlasPlacement(parent).place(sub, AtlasPlacement::kDefinitionBudget)) return true;
  logLine("Error: no room in the texture for the sub-texture '" + definition.id + "'\n");
  return false;
}

void TextureDefinitionLoader::readAnimations(Texture& texture, const PropsNode& animations) {
  for (const auto& animation : animations.children()) {
    std::vector<std::string>& frames = texture.animations_[animation.name];
    frames.clear();
    for (const auto& frame : animation.value->children())
      frames.push_back(frame.value->asString());
  }
}

} // namespace engine
