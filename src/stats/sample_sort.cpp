#include "stats/sample_sort.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

namespace vyn::profiling {
namespace {

// Below this many samples std::sort is as quick.
constexpr std::size_t kRadixFrom = 512;
// Digits of 11 bits: six passes cover 64 bits, and a pass's counts stay in cache.
constexpr unsigned kDigitBits = 11;
constexpr std::size_t kDigitValues = std::size_t{1} << kDigitBits;
constexpr unsigned kPasses = (64 + kDigitBits - 1) / kDigitBits;
constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;

// A double's bits as an unsigned key in the same order: positives get the sign
// bit set, negatives all their bits flipped (a larger magnitude is smaller).
std::uint64_t keyOf(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return (bits & kSignBit) != 0 ? ~bits : bits | kSignBit;
}

double valueOf(std::uint64_t key) {
  const std::uint64_t bits = (key & kSignBit) != 0 ? key & ~kSignBit : ~key;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::size_t digit(std::uint64_t key, unsigned pass) {
  return static_cast<std::size_t>(key >> (pass * kDigitBits)) & (kDigitValues - 1);
}

}  // namespace

void sortSamples(std::vector<double>& samples) {
  const std::size_t n = samples.size();
  if (n < kRadixFrom) {
    std::sort(samples.begin(), samples.end());
    return;
  }
  // Least significant digit first; every pass's counts come from one reading.
  std::vector<std::uint64_t> keys(n);
  std::vector<std::uint64_t> moved(n);
  std::vector<std::array<std::size_t, kDigitValues>> counts(kPasses);
  for (auto& count : counts) count.fill(0);
  for (std::size_t at = 0; at < n; ++at) {
    keys[at] = keyOf(samples[at]);
    for (unsigned pass = 0; pass < kPasses; ++pass) ++counts[pass][digit(keys[at], pass)];
  }
  for (unsigned pass = 0; pass < kPasses; ++pass) {
    auto& count = counts[pass];
    // A digit every sample shares leaves the order as it is: whole-number
    // samples share their low bits, samples of one magnitude their high ones.
    if (count[digit(keys[0], pass)] == n) continue;
    std::size_t start = 0;
    for (std::size_t& slot : count) start += std::exchange(slot, start);
    for (const std::uint64_t key : keys) moved[count[digit(key, pass)]++] = key;
    keys.swap(moved);
  }
  for (std::size_t at = 0; at < n; ++at) samples[at] = valueOf(keys[at]);
}

}  // namespace vyn::profiling
