// A Direct3D texture of the texture store, shared between identical requests and counted:
// acquiring adds a reference, releasing the last one destroys it. A texture may be divided
// into named sub-textures (rectangles of an atlas) that share its Direct3D texture.
// Textures release their Direct3D object when the device is lost and make it again from
// the kept source (bytes, path or size) when it is back.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/data/ByteBlock.h"
#include "engine/resources/textures/TextureRequest.h"

namespace engine {

class TextureManager;

// Bits of `Texture::source()`.
constexpr std::uint32_t kSourceOwnedBytes = 0x01;
constexpr std::uint32_t kSourcePath = 0x02;
constexpr std::uint32_t kSourceBorrowedBytes = 0x04;
constexpr std::uint32_t kSourceEmpty = 0x08;
constexpr std::uint32_t kSourceDeferred = 0x10;

// A rectangle of texture coordinates.
struct UvRect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 1.0f;
  float bottom = 1.0f;
  bool operator==(const UvRect&) const = default;
};

class Texture {
public:
  Texture() = default;
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // Makes the Direct3D object again from the kept source (after a device reset) and
  // refreshes the sub-textures; a deferred texture is left for its first use.
  virtual bool restore();
  // Releases the Direct3D object (a sub-texture's belongs to its parent and stays).
  virtual void invalidate();
  virtual ~Texture();

  // Reference counting. A sub-texture counts on its parent, which owns it.
  void acquire();
  void release();
  int references() const;

  // The Direct3D texture (the parent's for a sub-texture); a deferred texture is created
  // here, on first use. Null while there is none.
  IDirect3DTexture9* d3dTexture();
  // Level 0 as created (the parent's for a sub-texture).
  const D3DSURFACE_DESC& description() const;
  bool created() const;
  // Whether the format carries an alpha channel.
  bool hasAlpha() const;
  // The rectangle in texture coordinates of the created parent's size (a parent whose
  // creation was deferred is created for it); 0, 0, 1, 1 for a whole texture.
  UvRect uvRect();
  // The texture-coordinate transform a stage draws this texture with: a sub-texture maps
  // coordinates 0..1 onto its rectangle of the shared texture. False for a whole texture,
  // which is drawn with its coordinates as they are.
  bool coordinateTransform(D3DMATRIX& out);
  // The rectangle's size for a sub-texture, else the created width and height.
  UINT width() const;
  UINT height() const;

  const std::string& id() const { return id_; }
  Texture* parent() const { return parent_; }
  const TextureRect& rect() const { return rect_; }
  void setRect(const TextureRect& rect) { rect_ = rect; }
  std::uint32_t placement() const { return placement_; }
  void setPlacement(std::uint32_t placement) { placement_ = placement; }
  std::uint32_t delay() const { return delay_; }
  void setDelay(std::uint32_t delay) { delay_ = delay; }
  const std::vector<std::unique_ptr<Texture>>& subs() const { return subs_; }
  // Named frame animations: each an ordered list of sub-texture ids.
  const std::map<std::string, std::vector<std::string>>& animations() const { return animations_; }
  // For an animated image (what a request for an animation's name hands out): the name of
  // the animation it shows; empty for any other texture.
  const std::string& animation() const { return animation_; }

  std::uint32_t source() const { return source_; }
  const std::string& sourcePath() const { return sourcePath_; }
  const D3DXIMAGE_INFO& imageInfo() const { return imageInfo_; }
  UINT levels() const { return levels_; }
  DWORD filter() const { return filter_; }
  DWORD mipFilter() const { return mipFilter_; }
  D3DCOLOR colorKey() const { return colorKey_; }
  // Format, usage, pool and size: as created, or as requested before that.
  D3DFORMAT format() const;
  DWORD usage() const;
  D3DPOOL pool() const;
  UINT createdWidth() const;
  UINT createdHeight() const;

  // Whether the parameters the request insists on (its flags) are this texture's.
  bool matches(const TextureRequest& request) const;
  // Whether the texture was made from the bytes a memory block holds now.
  bool madeFromBytesOf(const FileLocation& block) const;
  // The sub-texture the request's sub-texture flags name, or null.
  Texture* findSub(const TextureRequest& request) const;
  // A new sub-texture with the request's name and rectangle, attached to this texture.
  Texture* addSub(const TextureRequest& request);
  // The animated image of one of this texture's animations (made on first request), or
  // null when there is no animation of that name.
  Texture* animatedImage(const std::string& name);

private:
  friend class TextureManager;
  friend class TextureDefinitionLoader;
  friend class AtlasPlacement;

  // Takes the request's parameters and the image at the resolved `location` (no file: an
  // empty texture); creates the Direct3D texture unless the request defers it.
  bool load(const TextureRequest& request, FileLocation location);
  bool keepSource(FileLocation& location);
  bool createFromSource();
  void sizeWithinMaxSide(UINT& width, UINT& height) const;
  void readDescription();
  void drawSubImages();
  bool drawIntoParent();
  // Whether it was made from an image of its own (a sub-texture that draws it into its
  // parent), not empty.
  bool hasOwnImage() const;
  void releaseObject();
  // Destroys a texture whose last reference went (it leaves the store's indexes first).
  void destroy();

  int references_ = 0;
  TextureManager* manager_ = nullptr;

  IDirect3DTexture9* object_ = nullptr;
  D3DSURFACE_DESC description_{};
  UINT levels_ = 0;
  DWORD filter_ = D3DX_FILTER_BOX;
  DWORD mipFilter_ = D3DX_FILTER_BOX;
  D3DCOLOR colorKey_ = 0;
  UINT requestedWidth_ = 0;
  UINT requestedHeight_ = 0;
  DWORD requestedUsage_ = 0;
  D3DFORMAT requestedFormat_ = D3DFMT_UNKNOWN;
  D3DPOOL requestedPool_ = D3DPOOL_MANAGED;
  UINT maxSide_ = 0;

  std::uint32_t source_ = 0;
  std::string sourcePath_;
  ByteBlock sourceBytes_;
  D3DXIMAGE_INFO imageInfo_{};

  std::string id_;
  Texture* parent_ = nullptr;
  TextureRect rect_;
  std::uint32_t placement_ = 0;
  std::uint32_t delay_ = 100;
  std::vector<std::unique_ptr<Texture>> subs_;
  std::map<std::string, std::vector<std::string>> animations_;
  std::string animation_;
  std::vector<std::unique_ptr<Texture>> animatedImages_;
};

// Whether a format carries alpha, as the drawing code asks.
bool formatHasAlpha(D3DFORMAT format);

} // namespace engine
