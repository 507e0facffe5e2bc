// Memory handed out from a few large blocks and given back all at once, when
// the arena goes: for the many small, equally long-lived pieces of a loaded
// log (texts, event rows, averaged events).
#ifndef VYN_BASE_ARENA_H_
#define VYN_BASE_ARENA_H_

#include <cstddef>
#include <memory>
#include <vector>

namespace vyn::base {

// Blocks start small, so that a small log costs little memory, and double with
// use up to a largest size. A piece larger than a quarter of the block size
// gets a block of its own and the current block is kept for what follows, so
// that a long text wastes nothing of the block it interrupts. Pieces never
// move; nothing is freed before the arena is.
class Arena {
 public:
  static constexpr std::size_t kFirstBlockBytes = 4096;
  static constexpr std::size_t kLargestBlockBytes = std::size_t{1} << 20;

  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;

  // bytes of memory with no alignment asked (characters). Never null; a
  // request of 0 bytes gives a valid, distinct address.
  char* allocate(std::size_t bytes) {
    if (bytes == 0) bytes = 1;
    if (bytes <= remaining_) {
      char* piece = next_;
      next_ += bytes;
      remaining_ -= bytes;
      return piece;
    }
    return allocateFallback(bytes, 1);
  }

  // bytes of memory at a multiple of alignment (a power of two).
  char* allocateAligned(std::size_t bytes, std::size_t alignment);

  // Room for count objects of type T, suitably aligned, not constructed.
  template <typename T>
  T* allocateArray(std::size_t count) {
    return reinterpret_cast<T*>(allocateAligned(count * sizeof(T), alignof(T)));
  }

  // Everything the arena holds from the system: its blocks and their list.
  std::size_t memoryUsage() const { return blockBytes_ + blocks_.capacity() * sizeof(blocks_[0]); }
  // How many blocks it holds (the large pieces' own among them).
  std::size_t blockCount() const { return blocks_.size(); }

 private:
  char* allocateFallback(std::size_t bytes, std::size_t alignment);
  char* newBlock(std::size_t bytes);

  char* next_ = nullptr;
  std::size_t remaining_ = 0;
  std::size_t nextBlockBytes_ = kFirstBlockBytes;
  std::size_t blockBytes_ = 0;
  std::vector<std::unique_ptr<char[]>> blocks_;
};

}  // namespace vyn::base

#endif  // VYN_BASE_ARENA_H_
