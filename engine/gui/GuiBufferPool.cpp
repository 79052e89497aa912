#include "engine/gui/GuiBufferPool.h"

#include <algorithm>

#include "engine/render/DevicePointer.h"

namespace engine {
namespace {

// Buffers grow in steps, so a text that gains a character does not remake its buffer.
constexpr UINT kGrowthStep = 4096;

} // namespace

void GuiBuffer::release() {
  if (object_) object_->Release();
  object_ = nullptr;
  capacity_ = 0;
}

void* GuiBuffer::lock(UINT bytes, DWORD flags) {
  if (bytes == 0) return nullptr;
  if (!object_ || capacity_ < bytes) {
    release();
    IDirect3DDevice9* device = currentDevice();
    if (!device) return nullptr;
    const UINT size = (bytes + kGrowthStep - 1) / kGrowthStep * kGrowthStep;
    if (FAILED(device->CreateVertexBuffer(size, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0, D3DPOOL_DEFAULT, &object_,
                                          nullptr)) ||
        !object_) {
      object_ = nullptr;
      return nullptr;
    }
    capacity_ = size;
    // A new buffer holds nothing the device still reads.
    flags = D3DLOCK_DISCARD;
  }
  void* data = nullptr;
  lastLockFlags_ = flags;
  if (FAILED(object_->Lock(0, bytes, &data, flags))) return nullptr;
  return data;
}

bool GuiBuffer::unlock() { return object_ && SUCCEEDED(object_->Unlock()); }

GuiBuffer* GuiBufferPool::take() {
  for (const auto& buffer : buffers_) {
    if (!buffer->lent_) {
      buffer->lent_ = true;
      return buffer.get();
    }
  }
  buffers_.push_back(std::make_unique<GuiBuffer>());
  buffers_.back()->lent_ = true;
  return buffers_.back().get();
}

void GuiBufferPool::giveBack(GuiBuffer* buffer) {
  if (buffer) buffer->lent_ = false;
}

void GuiBufferPool::releaseDeviceObjects() {
  for (const auto& buffer : buffers_)
    buffer->release();
}

std::size_t GuiBufferPool::lent() const {
  return static_cast<std::size_t>(
      std::count_if(buffers_.begin(), buffers_.end(), [](const auto& buffer) { return buffer->lent_; }));
}

} // namespace engine
