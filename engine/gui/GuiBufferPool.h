// Dynamic vertex buffers the GUI's windows borrow to draw with (a text view takes one per
// charset texture it uses). Buffers live in the default pool: they are released when the
// device is lost and made again, as large as needed, the next time they are locked.
#pragma once

#include <memory>
#include <vector>

#include "platform/d3d9/d3d9.h"

namespace engine {

class GuiBuffer {
public:
  // Locks room for `bytes` (growing the buffer when it is smaller) with the lock flags
  // given; null when the buffer cannot be made or locked.
  void* lock(UINT bytes, DWORD flags);
  bool unlock();
  IDirect3DVertexBuffer9* object() const { return object_; }
  UINT capacity() const { return capacity_; }
  // The flags of the last lock (D3DLOCK_DISCARD or D3DLOCK_NOOVERWRITE).
  DWORD lastLockFlags() const { return lastLockFlags_; }
  void release();
  ~GuiBuffer() { release(); }

private:
  friend class GuiBufferPool;
  IDirect3DVertexBuffer9* object_ = nullptr;
  UINT capacity_ = 0;
  DWORD lastLockFlags_ = 0;
  bool lent_ = false;
};

class GuiBufferPool {
public:
  // A buffer nobody holds, or a new one.
  GuiBuffer* take();
  void giveBack(GuiBuffer* buffer);
  // Releases every buffer's device object (lent ones included; they are made again on
  // their next lock).
  void releaseDeviceObjects();
  std::size_t size() const { return buffers_.size(); }
  std::size_t lent() const;

private:
  std::vector<std::unique_ptr<GuiBuffer>> buffers_;
};

} // namespace engine
