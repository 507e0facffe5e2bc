// Watches the size of every allocation made through the global operator new, so
// a test can tell whether a lying length prefix made the reader allocate for it.
// The standard library's array and nothrow forms call these, so every block goes
// through the same pair. Kept out of the tests' own file, where the compiler
// would see the pair inline and take the free for a mismatched one.
#include <atomic>
#include <cstdlib>
#include <new>

namespace vyn::testing {
std::atomic<std::size_t> largestAllocation{0};
}  // namespace vyn::testing

void* operator new(std::size_t size) {
  std::size_t seen = vyn::testing::largestAllocation.load();
  while (size > seen && !vyn::testing::largestAllocation.compare_exchange_weak(seen, size)) {
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
