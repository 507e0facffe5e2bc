#include "stats/pairwise_differences.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
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
// Rows whose window is at most this wide are cut by counting through it.
constexpr std::size_t kCountedWidth = 48;
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
    if (hi - lo <= kCountedWidth) {
      // A narrow window is counted through, without a branch on the values:
      // fewer mispredictions than walking four boundaries to their ends.
      std::size_t counts[4] = {lo, lo, lo, lo};
      for (std::size_t j = lo; j < hi; ++j) {
        const double d = b[j] - x;
        counts[0] += d < low.t;
        counts[1] += d <= low.t;
        counts[2] += d < high.t;
        counts[3] += d <= high.t;
      }
      lowBelow = counts[0];
      lowAtMost = counts[1];
      highBelow = counts[2];
      highAtMost = counts[3];
    } else {
      lowBelow = std::clamp(lowBelow, lo, hi);
      while (lowBelow < hi && b[lowBelow] - x < low.t) ++lowBelow;
      lowAtMost = std::clamp(std::max(lowAtMost, lowBelow), lo, hi);
      while (lowAtMost < hi && b[lowAtMost] - x <= low.t) ++lowAtMost;
      highBelow = std::clamp(std::max(highBelow, lowAtMost), lo, hi);
      while (highBelow < hi && b[highBelow] - x < high.t) ++highBelow;
      highAtMost = std::clamp(std::max(highAtMost, highBelow), lo, hi);
      while (highAtMost < hi && b[highAtMost] - x <= high.t) ++highAtMost;
    }
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
  return std::accumulate(columns.begin(), columns.end(), std::uint64_t{0});
}

// Selects among the differences b[j] - a[i], keeping what it works in from
// one rank to the next.
class Selector {
 public:
  Selector(const std::vector<double>& a, const std::vector<double>& b)
      : a_(a),
        b_(b),
        gatherLimit_(a.size() + b.size() + kGatherExtra),
        drawn_(std::clamp<std::uint64_t>((a.size() + b.size()) / 16, kFewestDrawn, kMostDrawn)),
        random_(0x5eed5eedULL) {
    start_.lo.assign(a.size(), 0);
    start_.hi.assign(a.size(), b.size());
    ends_.resize(a.size());
  }

  // Narrows where every later selection starts to the candidates between two
  // pivots drawn around ranks first..last (first <= last), when both ranks
  // lie strictly between them; else leaves it as it was. The ranks of one
  // interval and its estimate lie close together, so one pass at full width
  // serves all of them.
  void bracket(std::uint64_t first, std::uint64_t last) {
    window_ = start_;
    const std::uint64_t remaining = measure();
    if (remaining <= gatherLimit_) return;
    const std::uint64_t below = sumOf(window_.lo);
    drawPivots(first - below, last - below, remaining);
    cut(a_, b_, window_, low_, high_);
    if (low_.countAtMost < first && last <= high_.countBelow) {
      start_.lo.swap(low_.atMost);
      start_.hi.swap(high_.below);
    }
  }

  // The k-th smallest difference, 1 <= k <= m n, among those where the
  // selections start.
  double select(std::uint64_t k) {
    window_ = start_;
    for (;;) {
      const std::uint64_t remaining = measure();
      // The answer's rank among the candidates, from 1.
      const std::uint64_t rank = k - sumOf(window_.lo);
      if (remaining <= gatherLimit_) return gathered(rank);
      drawPivots(rank, rank, remaining);
      // Each branch drops at least the candidates equal to a pivot, so every
      // round makes progress, however many differences are tied.
      cut(a_, b_, window_, low_, high_);
      if (k <= low_.countBelow) {
        window_.hi.swap(low_.below);
      } else if (k <= low_.countAtMost) {
        return low_.t;
      } else if (k <= high_.countBelow) {
        window_.lo.swap(low_.atMost);
        window_.hi.swap(high_.below);
      } else if (k <= high_.countAtMost) {
        return high_.t;
      } else {
        window_.lo.swap(high_.atMost);
      }
    }
  }

 private:
  // How many candidates the window holds; ends_ gets the running sums of
  // the rows' widths.
  std::uint64_t measure() {
    std::uint64_t remaining = 0;
    for (std::size_t i = 0; i < a_.size(); ++i) {
      remaining += window_.hi[i] - window_.lo[i];
      ends_[i] = remaining;
    }
    return remaining;
  }

  double gathered(std::uint64_t rank) {
    candidates_.clear();
    for (std::size_t i = 0; i < a_.size(); ++i) {
      for (std::size_t j = window_.lo[i]; j < window_.hi[i]; ++j) candidates_.push_back(b_[j] - a_[i]);
    }
    const auto nth = candidates_.begin() + static_cast<std::ptrdiff_t>(rank - 1);
    std::nth_element(candidates_.begin(), nth, candidates_.end());
    return *nth;
  }

  // Sets the pivots: drawn candidates a little below where the candidate of
  // rank lowRank should fall among them, and a little above that of highRank.
  void drawPivots(std::uint64_t lowRank, std::uint64_t highRank, std::uint64_t remaining) {
    // One candidate drawn from each of drawn_ equal stretches of the
    // candidates taken row by row (stratified: closer to their spread than
    // independent draws, and already in order, so one sweep finds their rows).
    sample_.clear();
    std::size_t row = 0;
    for (std::uint64_t stretch = 0; stretch < drawn_; ++stretch) {
      const std::uint64_t from = stretchStart(stretch, remaining, drawn_);
      const std::uint64_t to = stretchStart(stretch + 1, remaining, drawn_);
      // A uniform fraction of the stretch's width, from the top 53 bits.
      const double fraction = std::ldexp(static_cast<double>(random_() >> 11), -53);
      const std::uint64_t position =
          std::min(to - 1, from + static_cast<std::uint64_t>(fraction * static_cast<double>(to - from)));
      while (ends_[row] <= position) ++row;
      const std::uint64_t before = row == 0 ? 0 : ends_[row - 1];
      sample_.push_back(b_[window_.lo[row] + static_cast<std::size_t>(position - before)] - a_[row]);
    }
    const double spread = kPivotSpread * std::sqrt(static_cast<double>(drawn_)) + 1;
    const auto place = [&](std::uint64_t rank, double offset) {
      const double expected =
          (static_cast<double>(rank) - 0.5) / static_cast<double>(remaining) * static_cast<double>(drawn_);
      const double last = static_cast<double>(drawn_ - 1);
      return static_cast<std::size_t>(std::clamp(std::floor(expected + offset), 0.0, last));
    };
    const auto lowPlace = sample_.begin() + static_cast<std::ptrdiff_t>(place(lowRank, -spread));
    std::nth_element(sample_.begin(), lowPlace, sample_.end());
    low_.t = *lowPlace;
    // Those after the low pivot are at least it, so the high one is among them.
    const auto highPlace = sample_.begin() + static_cast<std::ptrdiff_t>(place(highRank, spread));
    std::nth_element(lowPlace, highPlace, sample_.end());
    high_.t = *highPlace;
  }

  const std::vector<double>& a_;
  const std::vector<double>& b_;
  const std::uint64_t gatherLimit_;
  const std::uint64_t drawn_;
  std::mt19937_64 random_;
  Window start_;   // where every selection starts
  Window window_;  // the current selection's candidates
  Cut low_;
  Cut high_;
  std::vector<std::uint64_t> ends_;
  std::vector<double> sample_;
  std::vector<double> candidates_;
};

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
  if (size() == 0) {
    values.assign(ranks.size(), std::numeric_limits<double>::quiet_NaN());
    return values;
  }
  // A pass costs a step per row: with fewer values in b, rank the differences
  // a[i] - b[j] instead, which are these negated (rounding is symmetric) in the
  // reverse order. 0 - x keeps a zero positive.
  const bool flipped = a_.size() > b_.size();
  std::vector<std::uint64_t> wanted;
  for (const std::uint64_t k : ranks) {
    const std::uint64_t clamped = std::clamp<std::uint64_t>(k, 1, size());
    wanted.push_back(flipped ? size() - clamped + 1 : clamped);
  }
  Selector selector(flipped ? b_ : a_, flipped ? a_ : b_);
  if (wanted.size() > 1) {
    selector.bracket(*std::min_element(wanted.begin(), wanted.end()), *std::max_element(wanted.begin(), wanted.end()));
  }
  for (const std::uint64_t k : wanted) values.push_back(flipped ? 0.0 - selector.select(k) : selector.select(k));
  return values;
}

}  // namespace vyn::profiling
