// A buffer of bytes that grows without clearing what it gains.
#ifndef VYN_BASE_BYTE_BUFFER_H_
#define VYN_BASE_BYTE_BUFFER_H_

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace vyn::base {

// An allocator whose vectors grow without clearing what they gain: bytes read
// from a file are written before they are read, and clearing a record's worth
// of memory first would cost as much as reading it.
template <typename T>
struct UnclearedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UnclearedAllocator<U>;
  };
  UnclearedAllocator() = default;
  template <typename U>
  UnclearedAllocator(const UnclearedAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};

using ByteBuffer = std::vector<std::uint8_t, UnclearedAllocator<std::uint8_t>>;

}  // namespace vyn::base

#endif  // VYN_BASE_BYTE_BUFFER_H_
