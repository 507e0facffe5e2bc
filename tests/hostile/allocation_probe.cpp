#include "hostile/allocation_probe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace vyn::testing {
namespace {

std::atomic<std::size_t> largest{0};

void* allocate(std::size_t size) {
  std::size_t seen = largest.load(std::memory_order_relaxed);
  while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void resetLargestAllocation() { largest.store(0); }
std::size_t largestAllocation() { return largest.load(); }

}  // namespace vyn::testing

void* operator new(std::size_t size) { return vyn::testing::allocate(size); }
void* operator new[](std::size_t size) { return vyn::testing::allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
