#include "hostile/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace vyn::testing {
namespace {

std::atomic<std::size_t> largest{0};

// Records the size; null when memory is out.
void* allocate(std::size_t size) noexcept {
  std::size_t seen = largest.load();
  while (size > seen && !largest.compare_exchange_weak(seen, size)) {
  }
  return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size) {
  if (void* memory = allocate(size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void resetLargestAllocation() { largest.store(0); }
std::size_t largestAllocation() { return largest.load(); }

}  // namespace vyn::testing

// Every form that shares its blocks with plain delete is replaced, so that no
// block allocated by one allocator is freed by another. The over-aligned forms
// are left as a pair to the library: no buffer the reader sizes from a log uses them.
using vyn::testing::allocate;
using vyn::testing::allocateOrThrow;
void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
