// The two sources of numbers of a synthetic log: the noise, drawn from the
// seed, and the constants of a graph (its layers' typical times, the units
// they run on), which depend on the graph and the event only, so that logs
// made with different seeds measure the same network.
#ifndef VYN_SYNTH_SYNTH_RANDOM_H_
#define VYN_SYNTH_SYNTH_RANDOM_H_

#include <cmath>
#include <cstdint>

namespace vyn::tools {

// splitmix64's output function: a well-mixed 64-bit number from any other.
inline std::uint64_t mix64(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// A number in [0, 1) from 64 random bits.
inline double unitInterval(std::uint64_t bits) { return static_cast<double>(bits >> 11) * 0x1.0p-53; }

// splitmix64: small, fast, and the same sequence everywhere for a seed.
class SynthRandom {
 public:
  explicit SynthRandom(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() { return mix64(state_ += 0x9E3779B97F4A7C15ULL); }
  // A number in [low, high].
  std::uint64_t between(std::uint64_t low, std::uint64_t high) { return low + next() % (high - low + 1); }
  double unit() { return unitInterval(next()); }
  // Close to a standard normal (the sum of four uniforms, scaled): symmetric,
  // bell-shaped and bounded by 3.5, so no draw is absurd.
  double normal() {
    const double sum = unit() + unit() + unit() + unit();
    return (sum - 2.0) * 1.7320508075688772;
  }
  // A factor around 1 whose logarithm has about the given spread: the noise of
  // a time, which cannot go below zero and is skewed towards longer.
  double jitter(double spread) { return std::exp(spread * normal()); }

 private:
  std::uint64_t state_;
};

// A number in [0, 1) fixed by a graph, an event of its executions and what the
// number is for.
inline double graphConstant(std::uint32_t graph, std::uint32_t node, std::uint32_t purpose) {
  const std::uint64_t key =
      (static_cast<std::uint64_t>(graph) << 32) ^ (static_cast<std::uint64_t>(node) << 4) ^ purpose;
  return unitInterval(mix64(mix64(key + 0x6A09E667F3BCC909ULL)));
}

}  // namespace vyn::tools

#endif  // VYN_SYNTH_SYNTH_RANDOM_H_
