// Vertex buffers, index buffers, textures and surfaces. Buffers keep a system-memory copy of
// their contents (so locking works in every pool); a texture keeps one only while its back
// end cannot hold its texels for it (see Texture). Every unlocked range goes to the
// resource's back-end object.
//
// Reference counting follows Direct3D 9: the application's references (AddRef/Release)
// keep the device alive; a resource bound to the device (SetTexture, SetStreamSource,
// SetIndices) also has a binding held by the device, so it lives until it is unbound even
// when the application has released it.
#pragma once

#include "platform/d3d9/DeviceBackend.h"
#include "platform/d3d9/d3d9.h"

#include <memory>
#include <vector>

namespace d3d9 {

// What resources need from the device that made them.
class ResourceOwner {
public:
  // The device interface the application holds (GetDevice answers it).
  virtual IDirect3DDevice9* outerDevice() = 0;
  virtual DeviceBackend& backend() = 0;
  // A resource of `pool` gained its first or lost its last application reference.
  virtual void countResource(D3DPOOL pool, int delta) = 0;

protected:
  ~ResourceOwner() = default;
};

template <class Interface> class Resource : public Interface {
public:
  ULONG AddRef() override {
    if (publicRefs_++ == 0) acquireOwner();
    return publicRefs_;
  }

  ULONG Release() override {
    if (publicRefs_ == 0) return 0;
    const ULONG left = --publicRefs_;
    if (left == 0) {
      IDirect3DDevice9* device = owner_.outerDevice();
      if (counted_) owner_.countResource(pool_, -1);
      if (bindings_ == 0) delete this;
      device->Release();
    }
    return left;
  }

  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override {
    if (!ppDevice) return D3DERR_INVALIDCALL;
    *ppDevice = owner_.outerDevice();
    (*ppDevice)->AddRef();
    return D3D_OK;
  }

  // The device's own references while the resource is bound.
  void bind() { ++bindings_; }
  void unbind() {
    if (bindings_ > 0 && --bindings_ == 0 && publicRefs_ == 0) delete this;
  }

  D3DPOOL pool() const { return pool_; }
  ResourceOwner& owner() const { return owner_; }

protected:
  // Starts with one application reference. `counted` resources take part in the count of
  // live D3DPOOL_DEFAULT resources that Reset checks.
  Resource(ResourceOwner& owner, D3DPOOL pool, bool counted) : owner_(owner), pool_(pool), counted_(counted) {
    acquireOwner();
  }
  ~Resource() override = default;

  ResourceOwner& owner_;

private:
  void acquireOwner() {
    owner_.outerDevice()->AddRef();
    if (counted_) owner_.countResource(pool_, +1);
  }

  ULONG publicRefs_ = 1;
  ULONG bindings_ = 0;
  D3DPOOL pool_;
  bool counted_;
};

// The bytes of a buffer and its lock bookkeeping, shared by vertex and index buffers.
class BufferStorage {
public:
  BufferStorage(UINT size, DWORD usage, std::unique_ptr<BufferBackend> backend);

  HRESULT lock(UINT offset, UINT size, void** data, DWORD flags);
  HRESULT unlock();

  const BYTE* bytes() const { return bytes_.data(); }
  UINT size() const { return static_cast<UINT>(bytes_.size()); }
  BufferBackend* backend() const { return backend_.get(); }
  // Increases whenever the contents change (lets callers cache derived facts).
  std::uint64_t version() const { return version_; }

private:
  std::vector<BYTE> bytes_;
  DWORD usage_;
  std::unique_ptr<BufferBackend> backend_;
  UINT lockCount_ = 0;
  UINT dirtyBegin_ = 0;
  UINT dirtyEnd_ = 0;
  DWORD lockFlags_ = 0;
  bool written_ = false;
  std::uint64_t version_ = 0;
};

// Bytes per index of D3DFMT_INDEX16 or D3DFMT_INDEX32.
inline UINT indexBytes(D3DFORMAT format) { return format == D3DFMT_INDEX32 ? 4 : 2; }

struct IndexRange {
  UINT smallest = ~0u; // stays ~0u and 0 for no indices
  UINT largest = 0;
};

// The smallest and largest of the `count` indices from index `first` of `indices`, each
// `indexSize` (2 or 4) bytes.
IndexRange indexRange(const BYTE* indices, UINT indexSize, UINT first, UINT count);

class VertexBuffer final : public Resource<IDirect3DVertexBuffer9> {
public:
  VertexBuffer(ResourceOwner& owner, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool);

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  const BufferStorage& storage() const { return storage_; }

private:
  D3DVERTEXBUFFER_DESC desc_;
  BufferStorage storage_;
};

class IndexBuffer final : public Resource<IDirect3DIndexBuffer9> {
public:
  IndexBuffer(ResourceOwner& owner, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool);

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  const BufferStorage& storage() const { return storage_; }
  D3DFORMAT format() const { return desc_.Format; }
  UINT indexSize() const { return indexBytes(desc_.Format); }
  // The largest index in [first, first + count); cached for the whole buffer.
  UINT maxIndex(UINT first, UINT count) const;

private:
  D3DINDEXBUFFER_DESC desc_;
  BufferStorage storage_;
  mutable std::uint64_t maxVersion_ = ~0ull;
  mutable UINT wholeMax_ = 0;
};

class TextureSurface;

class Texture final : public Resource<IDirect3DTexture9> {
public:
  Texture(ResourceOwner& owner, const TextureDescription& description);
  ~Texture() override;

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
  DWORD GetLevelCount() override { return description_.levels; }
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;
  HRESULT LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect(UINT Level) override;

  const TextureDescription& description() const { return description_; }
  TextureBackend* backend() const { return backend_.get(); }
  UINT levelWidth(UINT level) const;
  UINT levelHeight(UINT level) const;
  // Whether the application may lock it: the GPU's own memory (D3DPOOL_DEFAULT) only when
  // it was made dynamic.
  bool lockable() const { return pool() != D3DPOOL_DEFAULT || (description_.usage & D3DUSAGE_DYNAMIC); }
  // Whether it can be bound for drawing: scratch and system memory textures cannot.
  bool drawable() const { return pool() == D3DPOOL_DEFAULT || pool() == D3DPOOL_MANAGED; }
  // Copies every level of `source` (same format and sizes) in and tells the back end.
  void copyLevelsFrom(const Texture& source);
  // The bytes of system memory its levels hold now.
  std::size_t systemMemoryBytes() const;

private:
  // Where a level's texels are. A drawable texture that is not dynamic is written once and
  // then only drawn, so when its back end keeps the texels (and can give them back) the
  // system-memory copy goes at each unlock and a later lock reads them back: a room's
  // textures are not held twice. Bytes are made at the first lock, not at creation.
  enum class Texels { Zero, InBytes, InBackend };

  struct LevelData {
    std::vector<BYTE> bytes;
    Texels texels = Texels::Zero;
    UINT pitch = 0;
    bool locked = false;
    DWORD flags = 0;
    RECT written{};
  };

  bool backendKeepsTexels() const;
  // Makes the level's bytes hold its texels; a discarding lock needs no old contents.
  void loadBytes(UINT index, bool discard);
  // Gives the bytes up after they went to the back end, when it keeps them.
  void settleBytes(LevelData& level);
  // A copy of the level's texels wherever they are.
  std::vector<BYTE> texelsOf(UINT index) const;

  TextureDescription description_;
  std::vector<LevelData> levels_;
  std::unique_ptr<TextureBackend> backend_;
  std::vector<std::unique_ptr<TextureSurface>> surfaces_; // made on first request, one per level
};

// One level of a texture seen as a surface (GetSurfaceLevel). It is part of its texture:
// made once per level and counted with the texture's references, so a surface asked for
// twice is the same object (callers compare surfaces by pointer) and holding it keeps the
// texture.
class TextureSurface final : public IDirect3DSurface9 {
public:
  TextureSurface(Texture& texture, UINT level) : texture_(texture), level_(level) {}
  ~TextureSurface() override = default;

  ULONG AddRef() override { return texture_.AddRef(); }
  ULONG Release() override { return texture_.Release(); }
  HRESULT GetDevice(IDirect3DDevice9** ppDevice) override { return texture_.GetDevice(ppDevice); }
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) override;
  HRESULT UnlockRect() override;

private:
  Texture& texture_;
  UINT level_;
};

// The back buffer as GetBackBuffer hands it out: a description, not lockable.
class BackBufferSurface final : public Resource<IDirect3DSurface9> {
public:
  BackBufferSurface(ResourceOwner& owner, const D3DSURFACE_DESC& desc);

  D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;
  HRESULT LockRect(D3DLOCKED_RECT*, const RECT*, DWORD) override { return D3DERR_INVALIDCALL; }
  HRESULT UnlockRect() override { return D3DERR_INVALIDCALL; }

private:
  D3DSURFACE_DESC desc_;
};

} // namespace d3d9
