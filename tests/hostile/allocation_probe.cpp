#include "hostile/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace vyn::testing {
namespace {

std::atomic<std::size_t> largest{0};

void record(std::size_t size) {
  std::size_t seen = largest.load(std::memory_order_relaxed);
  while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
}

void* tryAllocate(std::size_t size) noexcept {
  record(size);
  return std::malloc(size == 0 ? 1 : size);
}

void* allocate(std::size_t size) {
  if (void* memory = tryAllocate(size)) return memory;
  throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
  record(size);
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t rounded = (size + align - 1) / align * align;
  if (void* memory = std::aligned_alloc(align, rounded == 0 ? align : rounded)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void resetLargestAllocation() { largest.store(0); }
std::size_t largestAllocation() { return largest.load(); }

}  // namespace vyn::testing

// Every form is replaced, so that no block allocated by one allocator is freed
// by another.
void* operator new(std::size_t size) { return vyn::testing::allocate(size); }
void* operator new[](std::size_t size) { return vyn::testing::allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return vyn::testing::tryAllocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return vyn::testing::tryAllocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return vyn::testing::allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return vyn::testing::allocateAligned(size, alignment);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept { std::free(memory); }
