#include "engine/resources/textures/Texture.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "engine/core/Log.h"
#include "engine/core/Strings.h"
#include "engine/render/DevicePointer.h"
#include "engine/render/StateCache.h"
#include "engine/resources/textures/TextureDefinition.h"
#include "engine/resources/textures/TextureManager.h"

namespace engine {
namespace {

const D3DSURFACE_DESC kNoDescription{};

} // namespace

bool formatHasAlpha(D3DFORMAT format) {
  switch (format) {
  case D3DFMT_A8R8G8B8:
  case D3DFMT_A1R5G5B5:
  case D3DFMT_A4R4G4B4:
  case D3DFMT_A8:
  case D3DFMT_A8R3G3B2:
  case D3DFMT_A2B10G10R10:
  case D3DFMT_A8B8G8R8:
  case D3DFMT_A16B16G16R16:
  case D3DFMT_A8P8:
  case D3DFMT_A8L8:
  case D3DFMT_A4L4:
  case D3DFMT_A2W10V10U10:
  case D3DFMT_A16B16G16R16F:
  case D3DFMT_A32B32G32R32F:
  case D3DFMT_MULTI2_ARGB8:
    return true;
  default:
    return false;
  }
}

Texture::~Texture() {
  animatedImages_.clear();
  subs_.clear();
  releaseObject();
}

void Texture::acquire() {
  if (parent_) {
    parent_->acquire();
    return;
  }
  ++references_;
}

void Texture::release() {
  if (parent_) {
    parent_->release();
    return;
  }
  if (--references_ <= 0) destroy();
}

int Texture::references() const { return parent_ ? parent_->references() : references_; }

void Texture::destroy() {
  if (manager_) manager_->forget(this);
  delete this;
}

void Texture::releaseObject() {
  if (!object_) return;
  stateCache().forgetTexture(object_);
  object_->Release();
  object_ = nullptr;
}

IDirect3DTexture9* Texture::d3dTexture() {
  if (parent_) return parent_->d3dTexture();
  if (source_ & kSourceDeferred) {
    source_ &= ~kSourceDeferred;
    restore();
  }
  return object_;
}

const D3DSURFACE_DESC& Texture::description() const {
  if (parent_) return parent_->description();
  return object_ ? description_ : kNoDescription;
}

bool Texture::created() const { return parent_ ? parent_->created() : object_ != nullptr; }

bool Texture::hasAlpha() const { return formatHasAlpha(format()); }

D3DFORMAT Texture::format() const {
  if (parent_) return parent_->format();
  return object_ ? description_.Format : requestedFormat_;
}

DWORD Texture::usage() const {
  if (parent_) return parent_->usage();
  return object_ ? description_.Usage : requestedUsage_;
}

D3DPOOL Texture::pool() const {
  if (parent_) return parent_->pool();
  return object_ ? description_.Pool : requestedPool_;
}

UINT Texture::createdWidth() const {
  if (parent_) return parent_->createdWidth();
  return object_ ? description_.Width : requestedWidth_;
}

UINT Texture::createdHeight() const {
  if (parent_) return parent_->createdHeight();
  return object_ ? description_.Height : requestedHeight_;
}

UINT Texture::width() const { return parent_ ? static_cast<UINT>(rect_.right - rect_.left) : createdWidth(); }

UINT Texture::height() const { return parent_ ? static_cast<UINT>(rect_.bottom - rect_.top) : createdHeight(); }

UvRect Texture::uvRect() {
  if (!parent_) return {};
  // Relative to what was created: D3DX may have rounded the image up to a power of two, so a
  // deferred parent is made first.
  parent_->d3dTexture();
  const float w = static_cast<float>(parent_->createdWidth());
  const float h = static_cast<float>(parent_->createdHeight());
  if (w <= 0.0f || h <= 0.0f) return {};
  return {static_cast<float>(rect_.left) / w, static_cast<float>(rect_.top) / h, static_cast<float>(rect_.right) / w,
          static_cast<float>(rect_.bottom) / h};
}

bool Texture::coordinateTransform(D3DMATRIX& out) {
  if (!parent_) return false;
  const UvRect uv = uvRect();
  out = D3DMATRIX{};
  out._11 = uv.right - uv.left;
  out._22 = uv.bottom - uv.top;
  out._33 = out._44 = 1.0f;
  // Two-component coordinates are transformed as (u, v, 1, 0): the offset goes in row 3.
  out._31 = uv.left;
  out._32 = uv.top;
  return true;
}

bool Texture::matches(const TextureRequest& request) const {
  const std::uint32_t flags = request.flags;
  if ((flags & kMatchFormat) && format() != request.format) return false;
  if ((flags & kMatchColorKey) && colorKey_ != request.colorKey) return false;
  if ((flags & kMatchSize) && (createdWidth() != request.width || createdHeight() != request.height)) return false;
  if ((flags & kMatchUsage) && usage() != request.usage) return false;
  if ((flags & kMatchPool) && pool() != request.pool) return false;
  if ((flags & kMatchFilter) && (filter_ != request.filter || mipFilter_ != request.mipFilter)) return false;
  if ((flags & kMatchLevels) && levels_ != request.levels) return false;
  // Whatever the flags: a texture shrunk to a side differs from the whole image.
  return maxSide_ == request.maxSide;
}

bool Texture::madeFromBytesOf(const FileLocation& block) const {
  return sourceBytes_.size() == block.blockSize &&
         (block.blockSize == 0 || std::memcmp(sourceBytes_.data(), block.blockData, block.blockSize) == 0);
}

Texture* Texture::findSub(const TextureRequest& request) const {
  for (const auto& sub : subs_) {
    if ((request.flags & kMatchSubName) && sub->id_ != request.subName) continue;
    if ((request.flags & kMatchSubRect) && !(sub->rect_ == request.subRect)) continue;
    return sub.get();
  }
  return nullptr;
}

Texture* Texture::addSub(const TextureRequest& request) {
  auto sub = std::make_unique<Texture>();
  sub->parent_ = this;
  sub->id_ = request.subName;
  sub->rect_ = request.subRect;
  sub->delay_ = delay_;
  subs_.push_back(std::move(sub));
  return subs_.back().get();
}

Texture* Texture::animatedImage(const std::string& name) {
  if (animations_.find(name) == animations_.end()) return nullptr;
  for (const auto& image : animatedImages_)
    if (image->animation_ == name) return image.get();
  auto image = std::make_unique<Texture>();
  image->parent_ = this;
  image->animation_ = name;
  // The whole atlas: the animation transform moves its coordinates onto each frame.
  image->rect_ = {0, 0, static_cast<std::int32_t>(createdWidth()), static_cast<std::int32_t>(createdHeight())};
  image->delay_ = delay_;
  animatedImages_.push_back(std::move(image));
  return animatedImages_.back().get();
}

bool Texture::load(const TextureRequest& request, FileLocation location) {
  const std::uint32_t flags = request.flags;
  requestedWidth_ = (flags & kMatchSize) ? request.width : 0;
  requestedHeight_ = (flags & kMatchSize) ? request.height : 0;
  levels_ = (flags & kMatchLevels) ? request.levels : 0;
  requestedUsage_ = (flags & kMatchUsage) ? request.usage : 0;
  requestedFormat_ = (flags & kMatchFormat) ? request.format : D3DFMT_UNKNOWN;
  requestedPool_ = (flags & kMatchPool) ? request.pool : D3DPOOL_MANAGED;
  filter_ = (flags & kMatchFilter) ? request.filter : D3DX_FILTER_BOX;
  mipFilter_ = (flags & kMatchFilter) ? request.mipFilter : D3DX_FILTER_BOX;
  colorKey_ = (flags & kMatchColorKey) ? request.colorKey : 0;
  maxSide_ = request.maxSide;
  if (request.dropSubs) subs_.clear();

  // A definition file describes a texture instead of holding an image.
  if ((location.flags & kLocationDisk) && extensionPart(location.path) == "ts")
    return TextureDefinitionLoader::loadFile(*this, location);
  if (!keepSource(location)) return false;
  if (request.deferred) {
    source_ |= kSourceDeferred;
    return true;
  }
  return createFromSource();
}

bool Texture::keepSource(FileLocation& location) {
  if (location.flags == 0) {
    source_ = kSourceEmpty;
    return true;
  }
  if (location.flags & kLocationDisk) {
    sourcePath_ = location.path;
    if (!location.shareBlock) {
      source_ = kSourcePath;
      return true;
    }
  }
  bool borrow = true;
  // A file that cannot be read is the caller's to report: it knows what the picture was for.
  if (!location.readAll(sourceBytes_, borrow) || sourceBytes_.size() == 0) return false;
  if (sourcePath_.empty()) sourcePath_ = location.path;
  source_ = sourceBytes_.borrowed() ? kSourceBorrowedBytes : kSourceOwnedBytes;
  return true;
}

bool Texture::createFromSource() {
  IDirect3DDevice9* device = currentDevice();
  if (!device) return false;
  releaseObject();
  HRESULT result = D3DERR_INVALIDCALL;
  imageInfo_ = {};
  if (source_ & kSourceEmpty) {
    result = D3DXCreateTexture(device, requestedWidth_, requestedHeight_, levels_, requestedUsage_, requestedFormat_,
                               requestedPool_, &object_);
  } else {
    UINT width = requestedWidth_, height = requestedHeight_;
    if (maxSide_) sizeWithinMaxSide(width, height);
    if (source_ & kSourcePath) {
      result = D3DXCreateTextureFromFileExA(device, sourcePath_.c_str(), width, height, levels_, requestedUsage_,
                                            requestedFormat_, requestedPool_, filter_, mipFilter_, colorKey_,
                                            &imageInfo_, nullptr, &object_);
    } else if (source_ & (kSourceOwnedBytes | kSourceBorrowedBytes)) {
      result = D3DXCreateTextureFromFileInMemoryEx(
          device, sourceBytes_.data(), static_cast<UINT>(sourceBytes_.size()), width, height, levels_, requestedUsage_,
          requestedFormat_, requestedPool_, filter_, mipFilter_, colorKey_, &imageInfo_, nullptr, &object_);
    }
  }
  if (FAILED(result) || !object_) {
    object_ = nullptr;
    logLine("Error: cannot create the texture " + sourcePath_ + "\n");
    return false;
  }
  readDescription();
  drawSubImages();
  return true;
}

void Texture::sizeWithinMaxSide(UINT& width, UINT& height) const {
  if (width == 0 || height == 0) {
    // The header alone tells the image's size; a file that cannot tell it fails below.
    D3DXIMAGE_INFO info{};
    const HRESULT read =
        (source_ & kSourcePath)
            ? D3DXGetImageInfoFromFileA(sourcePath_.c_str(), &info)
            : D3DXGetImageInfoFromFileInMemory(sourceBytes_.data(), static_cast<UINT>(sourceBytes_.size()), &info);
    if (FAILED(read)) return;
    width = info.Width;
    height = info.Height;
  }
  const UINT longer = std::max(width, height);
  if (longer <= maxSide_) return;
  const auto scaled = [&](UINT side) {
    return std::max<UINT>(1, static_cast<UINT>((std::uint64_t(side) * maxSide_ + longer / 2) / longer));
  };
  width = scaled(width);
  height = scaled(height);
}

void Texture::readDescription() {
  object_->GetLevelDesc(0, &description_);
  levels_ = object_->GetLevelCount();
  rect_ = {0, 0, static_cast<std::int32_t>(description_.Width), static_cast<std::int32_t>(description_.Height)};
}

bool Texture::hasOwnImage() const { return (source_ & (kSourcePath | kSourceOwnedBytes | kSourceBorrowedBytes)) != 0; }

void Texture::drawSubImages() {
  for (const auto& sub : subs_)
    if (sub->hasOwnImage()) sub->drawIntoParent();
}

bool Texture::drawIntoParent() {
  IDirect3DTexture9* target = parent_ ? parent_->object_ : nullptr;
  if (!target) return false;
  IDirect3DSurface9* surface = nullptr;
  if (FAILED(target->GetSurfaceLevel(0, &surface))) return false;
  const RECT rect{rect_.left, rect_.top, rect_.right, rect_.bottom};
  HRESULT result = D3DERR_INVALIDCALL;
  if (source_ & kSourcePath)
    result = D3DXLoadSurfaceFromFileA(surface, nullptr, &rect, sourcePath_.c_str(), nullptr, filter_, colorKey_,
                                      &imageInfo_);
  else
    result = D3DXLoadSurfaceFromFileInMemory(surface, nullptr, &rect, sourceBytes_.data(),
                                             static_cast<UINT>(sourceBytes_.size()), nullptr, filter_, colorKey_,
                                             &imageInfo_);
  surface->Release();
  return SUCCEEDED(result);
}

bool Texture::restore() {
  if (parent_) return true; // drawn by the parent's restore
  if (source_ & kSourceDeferred) return true;
  if (object_) return true;
  return createFromSource();
}

void Texture::invalidate() {
  if (parent_) return;
  releaseObject();
}

} // namespace engine
