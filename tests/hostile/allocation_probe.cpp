// Watches the size of every allocation made through the global operator new, so
// that a test can tell whether a lying length prefix made the reader allocate
// for it. Every form that shares its blocks with plain delete is replaced, so
// that no block allocated by one allocator is freed by another (a sanitizer's
// allocator among them). Kept out of the tests' own file, where the compiler
// would see the pair inline and take the free for a mismatched one.
#include <atomic>
#include <cstdlib>
#include <new>

namespace vyn::testing {
std::atomic<std::size_t> largestAllocation{0};
}  // namespace vyn::testing

namespace {

void* allocate(std::size_t size) noexcept {
  std::size_t seen = vyn::testing::largestAllocation.load();
  while (size > seen && !vyn::testing::largestAllocation.compare_exchange_weak(seen, size)) {
  }
  return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size) {
  if (void* memory = allocate(size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

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
