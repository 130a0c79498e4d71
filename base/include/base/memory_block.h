// The platform's memory for one loaded picture of the package library, under one name.
// Windows keeps a picture in a movable, zero-filled block of global memory (GlobalAlloc),
// locked with GlobalLock while it lives and released with GlobalUnlock and GlobalFree;
// elsewhere a picture is a plain, zero-filled byte vector.
#ifndef KLV_BASE_MEMORY_BLOCK_H_
#define KLV_BASE_MEMORY_BLOCK_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace klv {

#if defined(_WIN32)
// An owned, locked block of global memory. Moves hand the block over; it is not copied.
class MemoryBlock {
 public:
  MemoryBlock() = default;
  // `size` zero bytes. Throws std::bad_alloc when the system gives no such block.
  explicit MemoryBlock(size_t size);
  MemoryBlock(MemoryBlock&& other) noexcept { Swap(other); }
  MemoryBlock& operator=(MemoryBlock&& other) noexcept {
    MemoryBlock gone(std::move(other));
    Swap(gone);
    return *this;
  }
  MemoryBlock(const MemoryBlock&) = delete;
  MemoryBlock& operator=(const MemoryBlock&) = delete;
  ~MemoryBlock();

  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  void Swap(MemoryBlock& other) noexcept {
    std::swap(handle_, other.handle_);
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
  }

  void* handle_ = nullptr;  // the HGLOBAL
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};
#else
using MemoryBlock = std::vector<uint8_t>;
#endif

}  // namespace klv

#endif  // KLV_BASE_MEMORY_BLOCK_H_
