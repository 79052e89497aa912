#include "platform/d3d9/Resources.h"

#include "platform/d3d9/FormatInfo.h"

#include <algorithm>
#include <cstring>

namespace d3d9 {

// ---------------------------------------------------------------------------------------
// Buffers

BufferStorage::BufferStorage(UINT size, DWORD usage, std::unique_ptr<BufferBackend> backend)
    : bytes_(size), usage_(usage), backend_(std::move(backend)) {}

HRESULT BufferStorage::lock(UINT offset, UINT size, void** data, DWORD flags) {
  if (!data) return D3DERR_INVALIDCALL;
  const UINT total = this->size();
  if (offset > total) return D3DERR_INVALIDCALL;
  if (size == 0) size = total - offset; // 0 locks the rest of the buffer
  if (size > total - offset) return D3DERR_INVALIDCALL;
  // DISCARD and NOOVERWRITE are promises that only dynamic buffers may make.
  if (!(usage_ & D3DUSAGE_DYNAMIC)) flags &= ~(D3DLOCK_DISCARD | D3DLOCK_NOOVERWRITE);
  if (lockCount_ == 0) {
    dirtyBegin_ = offset;
    dirtyEnd_ = offset + size;
    lockFlags_ = flags;
    written_ = false;
  } else {
    dirtyBegin_ = std::min(dirtyBegin_, offset);
    dirtyEnd_ = std::max(dirtyEnd_, offset + size);
    lockFlags_ &= flags; // a nested lock without a promise cancels it
  }
  if (!(flags & D3DLOCK_READONLY)) written_ = true;
  ++lockCount_;
  *data = bytes_.data() + offset;
  return D3D_OK;
}

HRESULT BufferStorage::unlock() {
  if (lockCount_ == 0) return D3DERR_INVALIDCALL;
  if (--lockCount_ > 0) return D3D_OK;
  if (written_) {
    ++version_;
    if (backend_) backend_->update(bytes_.data(), size(), dirtyBegin_, dirtyEnd_ - dirtyBegin_, lockFlags_);
  }
  return D3D_OK;
}

VertexBuffer::VertexBuffer(ResourceOwner& owner, UINT length, DWORD usage, DWORD fvf, D3DPOOL pool)
    : Resource(owner, pool, true), desc_{D3DFMT_VERTEXDATA, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf},
      storage_(length, usage, owner.backend().createBuffer(false, length, usage)) {}

HRESULT VertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
  return storage_.lock(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT VertexBuffer::Unlock() { return storage_.unlock(); }

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

IndexBuffer::IndexBuffer(ResourceOwner& owner, UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : Resource(owner, pool, true), desc_{format, D3DRTYPE_INDEXBUFFER, usage, pool, length},
      storage_(length, usage, owner.backend().createBuffer(true, length, usage)) {}

HRESULT IndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
  return storage_.lock(OffsetToLock, SizeToLock, ppbData, Flags);
}

HRESULT IndexBuffer::Unlock() { return storage_.unlock(); }

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

namespace {

template <class Index> IndexRange scanIndices(const BYTE* bytes, UINT first, UINT count) {
  IndexRange range;
  for (UINT i = first; i < first + count; ++i) {
    Index value;
    std::memcpy(&value, bytes + std::size_t(i) * sizeof value, sizeof value);
    range.smallest = std::min<UINT>(range.smallest, value);
    range.largest = std::max<UINT>(range.largest, value);
  }
  return range;
}

} // namespace

IndexRange indexRange(const BYTE* indices, UINT indexSize, UINT first, UINT count) {
  return indexSize == 4 ? scanIndices<std::uint32_t>(indices, first, count)
                        : scanIndices<std::uint16_t>(indices, first, count);
}

UINT IndexBuffer::maxIndex(UINT first, UINT count) const {
  const UINT total = storage_.size() / indexSize();
  if (first >= total) return 0;
  count = std::min(count, total - first);
  // Most draws stay far inside the bound vertices; the whole-buffer maximum proves that
  // without walking the indices of every draw.
  if (maxVersion_ != storage_.version()) {
    wholeMax_ = indexRange(storage_.bytes(), indexSize(), 0, total).largest;
    maxVersion_ = storage_.version();
  }
  if (first == 0 && count == total) return wholeMax_;
  return indexRange(storage_.bytes(), indexSize(), first, count).largest;
}

// ---------------------------------------------------------------------------------------
// Textures

Texture::Texture(ResourceOwner& owner, const TextureDescription& description)
    : Resource(owner, description.pool, true), description_(description),
      backend_(owner.backend().createTexture(description)) {
  levels_.resize(description.levels);
  for (UINT level = 0; level < description.levels; ++level)
    levels_[level].pitch = levelPitch(description.format, levelWidth(level));
}

bool Texture::backendKeepsTexels() const {
  return backend_ && backend_->readsBack() && drawable() && !(description_.usage & D3DUSAGE_DYNAMIC);
}

void Texture::loadBytes(UINT index, bool discard) {
  LevelData& level = levels_[index];
  if (level.texels == Texels::InBytes) return;
  if (discard) level.texels = Texels::Zero; // nothing to read back
  level.bytes = texelsOf(index);
  level.texels = Texels::InBytes;
}

void Texture::settleBytes(LevelData& level) {
  if (!backendKeepsTexels()) return;
  std::vector<BYTE>().swap(level.bytes);
  level.texels = Texels::InBackend;
}

std::size_t Texture::systemMemoryBytes() const {
  std::size_t bytes = 0;
  for (const LevelData& level : levels_)
    bytes += level.bytes.capacity();
  return bytes;
}

std::vector<BYTE> Texture::texelsOf(UINT index) const {
  const LevelData& level = levels_[index];
  if (level.texels == Texels::InBytes) return level.bytes;
  std::vector<BYTE> texels(levelSize(description_.format, levelWidth(index), levelHeight(index)), BYTE{0});
  if (level.texels == Texels::InBackend) backend_->readLevel(index, texels.data());
  return texels;
}

UINT Texture::levelWidth(UINT level) const { return levelExtent(description_.width, level); }
UINT Texture::levelHeight(UINT level) const { return levelExtent(description_.height, level); }

HRESULT Texture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (!pDesc || Level >= description_.levels) return D3DERR_INVALIDCALL;
  *pDesc = {description_.format, D3DRTYPE_SURFACE,  description_.usage, description_.pool, D3DMULTISAMPLE_NONE, 0,
            levelWidth(Level),   levelHeight(Level)};
  return D3D_OK;
}

Texture::~Texture() = default;

HRESULT Texture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  if (!ppSurfaceLevel || Level >= description_.levels) return D3DERR_INVALIDCALL;
  if (surfaces_.empty()) surfaces_.resize(description_.levels);
  if (!surfaces_[Level]) surfaces_[Level] = std::make_unique<TextureSurface>(*this, Level);
  *ppSurfaceLevel = surfaces_[Level].get();
  AddRef();
  return D3D_OK;
}

HRESULT Texture::LockRect(UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  if (!pLockedRect || Level >= description_.levels || !lockable()) return D3DERR_INVALIDCALL;
  LevelData& level = levels_[Level];
  if (level.locked) return D3DERR_INVALIDCALL;
  const LONG width = static_cast<LONG>(levelWidth(Level));
  const LONG height = static_cast<LONG>(levelHeight(Level));
  RECT rect = pRect ? *pRect : RECT{0, 0, width, height};
  if (rect.left < 0 || rect.top < 0 || rect.left >= rect.right || rect.top >= rect.bottom || rect.right > width ||
      rect.bottom > height)
    return D3DERR_INVALIDCALL;
  const FormatInfo info = formatInfo(description_.format);
  std::size_t offset;
  if (info.compressed()) {
    // Compressed levels lock whole 4x4 blocks.
    if ((rect.left % 4) || (rect.top % 4)) return D3DERR_INVALIDCALL;
    offset = static_cast<std::size_t>(rect.top / 4) * level.pitch +
             static_cast<std::size_t>(rect.left / 4) * info.blockBytes;
  } else {
    offset = static_cast<std::size_t>(rect.top) * level.pitch +
             static_cast<std::size_t>(rect.left) * (info.bitsPerPixel / 8);
  }
  loadBytes(Level, Flags & D3DLOCK_DISCARD);
  level.locked = true;
  level.flags = Flags;
  level.written = rect;
  pLockedRect->Pitch = static_cast<INT>(level.pitch);
  pLockedRect->pBits = level.bytes.data() + offset;
  return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT Level) {
  if (Level >= description_.levels || !levels_[Level].locked) return D3DERR_INVALIDCALL;
  LevelData& level = levels_[Level];
  level.locked = false;
  if (!(level.flags & D3DLOCK_READONLY) && backend_)
    backend_->updateLevel(Level, level.bytes.data(), level.pitch, level.written);
  settleBytes(level);
  return D3D_OK;
}

void Texture::copyLevelsFrom(const Texture& source) {
  for (UINT i = 0; i < description_.levels; ++i) {
    LevelData& level = levels_[i];
    level.bytes = source.texelsOf(i);
    level.texels = Texels::InBytes;
    if (backend_)
      backend_->updateLevel(i, level.bytes.data(), level.pitch, RECT{0, 0, LONG(levelWidth(i)), LONG(levelHeight(i))});
    settleBytes(level);
  }
}

HRESULT TextureSurface::GetDesc(D3DSURFACE_DESC* pDesc) { return texture_.GetLevelDesc(level_, pDesc); }

HRESULT TextureSurface::LockRect(D3DLOCKED_RECT* pLockedRect, const RECT* pRect, DWORD Flags) {
  return texture_.LockRect(level_, pLockedRect, pRect, Flags);
}

HRESULT TextureSurface::UnlockRect() { return texture_.UnlockRect(level_); }

BackBufferSurface::BackBufferSurface(ResourceOwner& owner, const D3DSURFACE_DESC& desc)
    : Resource(owner, D3DPOOL_DEFAULT, false), desc_(desc) {}

HRESULT BackBufferSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (!pDesc) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

} // namespace d3d9
