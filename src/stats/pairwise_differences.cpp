#include "stats/pairwise_differences.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

namespace vyn::profiling {
namespace {

// Candidates drawn per round: about one per sixteen values of the two samples,
// so that drawing them costs less than a pass over the samples, within bounds
// that keep the pivots close to the answer yet cheap to draw.
constexpr std::uint64_t kFewestDrawn = 256;
constexpr std::uint64_t kMostDrawn = 8192;
// How far either pivot sits from where the answer should fall among the drawn
// candidates, in units of the square root of their number: three standard
// deviations of that position, so that a round misses only about once in 300.
constexpr double kPivotSpread = 1.5;
// Candidates gathered outright once no more are left than this beyond one per
// value of the two samples.
constexpr std::uint64_t kGatherExtra = 4096;

// The candidate columns [lo[i], hi[i]) of each row i: the differences strictly
// between two values known to bound the answer. Columns left of lo[i] hold
// smaller differences, so the sum of lo is how many lie below every candidate.
struct Window {
  std::vector<std::size_t> lo;
  std::vector<std::size_t> hi;
};

// Where a pivot t falls in each row's window: below[i] is the first column
// whose difference is not below t, atMost[i] the first whose difference is above
// t; and how many differences of the whole matrix are below t and at most t.
struct Cut {
  double t = 0;
  std::vector<std::size_t> below;
  std::vector<std::size_t> atMost;
  std::uint64_t countBelow = 0;
  std::uint64_t countAtMost = 0;
};

// Cuts the window at both pivots in one pass. The pivots must lie strictly
// between the values that bound the window, so that every boundary stays in it.
// Along i the differences fall, so each boundary only moves right.
void cut(const std::vector<double>& a, const std::vector<double>& b, const Window& window, Cut& low, Cut& high) {
  for (Cut* at : {&low, &high}) {
    at->below.resize(a.size());
    at->atMost.resize(a.size());
    at->countBelow = 0;
    at->countAtMost = 0;
  }
  std::size_t lowBelow = 0, lowAtMost = 0, highBelow = 0, highAtMost = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::size_t lo = window.lo[i];
    const std::size_t hi = window.hi[i];
    const double x = a[i];
    lowBelow = std::clamp(lowBelow, lo, hi);
    while (lowBelow < hi && b[lowBelow] - x < low.t) ++lowBelow;
    lowAtMost = std::clamp(std::max(lowAtMost, lowBelow), lo, hi);
    while (lowAtMost < hi && b[lowAtMost] - x <= low.t) ++lowAtMost;
    highBelow = std::clamp(std::max(highBelow, lowAtMost), lo, hi);
    while (highBelow < hi && b[highBelow] - x < high.t) ++highBelow;
    highAtMost = std::clamp(std::max(highAtMost, highBelow), lo, hi);
    while (highAtMost < hi && b[highAtMost] - x <= high.t) ++highAtMost;
    low.below[i] = lowBelow;
    low.atMost[i] = lowAtMost;
    high.below[i] = highBelow;
    high.atMost[i] = highAtMost;
    low.countBelow += lowBelow;
    low.countAtMost += lowAtMost;
    high.countBelow += highBelow;
    high.countAtMost += highAtMost;
  }
}

// floor(stretch * count / stretches), without the product overflowing.
std::uint64_t stretchStart(std::uint64_t stretch, std::uint64_t count, std::uint64_t stretches) {
  return stretch * (count / stretches) + stretch * (count % stretches) / stretches;
}

std::uint64_t sumOf(const std::vector<std::size_t>& columns) {
  std::uint64_t sum = 0;
  for (const std::size_t column : columns) sum += column;
  return sum;
}

// What a selection works in, kept from one rank to the next: the windows,
// the cuts, the drawn candidates and the gathered ones.
struct Workspace {
  Window window;
  Cut low;
  Cut high;
  std::vector<std::uint64_t> ends;
  std::vector<double> sample;
  std::vector<double> candidates;
};

// The k-th smallest of the differences b[j] - a[i], 1 <= k <= m n.
double select(const std::vector<double>& a, const std::vector<double>& b, std::uint64_t k, Workspace& space) {
  const std::size_t m = a.size();
  Window& window = space.window;
  window.lo.assign(m, 0);
  window.hi.assign(m, b.size());
  const std::uint64_t gatherLimit = m + b.size() + kGatherExtra;
  const std::uint64_t drawn = std::clamp<std::uint64_t>((m + b.size()) / 16, kFewestDrawn, kMostDrawn);
  std::mt19937_64 random(0x5eed5eedULL);
  std::vector<std::uint64_t>& ends = space.ends;  // running sums of the windows' widths
  ends.resize(m);
  std::vector<double>& sample = space.sample;
  Cut& low = space.low;
  Cut& high = space.high;
  for (;;) {
    std::uint64_t remaining = 0;
    for (std::size_t i = 0; i < m; ++i) {
      remaining += window.hi[i] - window.lo[i];
      ends[i] = remaining;
    }
    // The answer's rank among the candidates, from 1.
    const std::uint64_t rank = k - sumOf(window.lo);
    if (remaining <= gatherLimit) {
      std::vector<double>& candidates = space.candidates;
      candidates.clear();
      for (std::size_t i = 0; i < m; ++i) {
        for (std::size_t j = window.lo[i]; j < window.hi[i]; ++j) candidates.push_back(b[j] - a[i]);
      }
      const auto nth = candidates.begin() + static_cast<std::ptrdiff_t>(rank - 1);
      std::nth_element(candidates.begin(), nth, candidates.end());
      return *nth;
    }

    // One candidate drawn from each of `drawn` equal stretches of the
    // candidates taken row by row (stratified: closer to their spread than
    // independent draws, and already in order, so one sweep finds their rows).
    sample.clear();
    std::size_t row = 0;
    for (std::uint64_t stretch = 0; stretch < drawn; ++stretch) {
      const std::uint64_t from = stretchStart(stretch, remaining, drawn);
      const std::uint64_t to = stretchStart(stretch + 1, remaining, drawn);
      const std::uint64_t position = std::uniform_int_distribution<std::uint64_t>(from, to - 1)(random);
      while (ends[row] <= position) ++row;
      const std::uint64_t before = row == 0 ? 0 : ends[row - 1];
      sample.push_back(b[window.lo[row] + static_cast<std::size_t>(position - before)] - a[row]);
    }
    // The pivots: the drawn candidates a little below and a little above
    // where the answer should fall among them.
    const double expected =
        (static_cast<double>(rank) - 0.5) / static_cast<double>(remaining) * static_cast<double>(drawn);
    const double spread = kPivotSpread * std::sqrt(static_cast<double>(drawn)) + 1;
    const auto place = [&](double position) {
      return static_cast<std::size_t>(std::clamp(std::floor(position), 0.0, static_cast<double>(drawn - 1)));
    };
    const std::size_t lowAt = place(expected - spread);
    const std::size_t highAt = place(expected + spread);
    const auto lowPlace = sample.begin() + static_cast<std::ptrdiff_t>(lowAt);
    std::nth_element(sample.begin(), lowPlace, sample.end());
    low.t = *lowPlace;
    // Those after the low pivot are at least it, so the high one is among them.
    std::nth_element(lowPlace, sample.begin() + static_cast<std::ptrdiff_t>(highAt), sample.end());
    high.t = sample[highAt];

    // Each branch drops at least the candidates equal to a pivot, so every
    // round makes progress, however many differences are tied.
    cut(a, b, window, low, high);
    if (k <= low.countBelow) {
      window.hi.swap(low.below);
    } else if (k <= low.countAtMost) {
      return low.t;
    } else if (k <= high.countBelow) {
      window.lo.swap(low.atMost);
      window.hi.swap(high.below);
    } else if (k <= high.countAtMost) {
      return high.t;
    } else {
      window.lo.swap(high.atMost);
    }
  }
}

}  // namespace

std::uint64_t PairwiseDifferences::countAtMost(double t) const {
  std::uint64_t count = 0;
  std::size_t j = 0;
  for (std::size_t i = 0; i < a_.size(); ++i) {
    while (j < b_.size() && at(i, j) <= t) ++j;
    count += j;
  }
  return count;
}

std::uint64_t PairwiseDifferences::countBelow(double t) const {
  std::uint64_t count = 0;
  std::size_t j = 0;
  for (std::size_t i = 0; i < a_.size(); ++i) {
    while (j < b_.size() && at(i, j) < t) ++j;
    count += j;
  }
  return count;
}

double PairwiseDifferences::smallestAbove(double t) const {
  double smallest = std::numeric_limits<double>::infinity();
  std::size_t j = 0;
  for (std::size_t i = 0; i < a_.size(); ++i) {
    while (j < b_.size() && at(i, j) <= t) ++j;
    if (j < b_.size()) smallest = std::min(smallest, at(i, j));
  }
  return smallest;
}

std::vector<double> PairwiseDifferences::kths(const std::vector<std::uint64_t>& ranks) const {
  std::vector<double> values;
  values.reserve(ranks.size());
  Workspace space;
  // A pass costs a step per row: with fewer values in b, rank the differences
  // a[i] - b[j] instead, which are these negated (rounding is symmetric) in the
  // reverse order. 0 - x keeps a zero positive.
  const bool flipped = a_.size() > b_.size();
  for (std::uint64_t k : ranks) {
    if (size() == 0) {
      values.push_back(std::numeric_limits<double>::quiet_NaN());
      continue;
    }
    k = std::clamp<std::uint64_t>(k, 1, size());
    values.push_back(flipped ? 0.0 - select(b_, a_, size() - k + 1, space) : select(a_, b_, k, space));
  }
  return values;
}

double PairwiseDifferences::kth(std::uint64_t k) const { return kths({k}).front(); }

}  // namespace vyn::profiling
