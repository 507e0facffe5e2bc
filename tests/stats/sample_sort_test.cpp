// Sorting samples: the same order as std::sort for every kind of double, on
// both sides of the size where the radix passes take over.
#include "stats/sample_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace vyn::profiling {
namespace {

void expectSortedLikeStdSort(std::vector<double> samples) {
  std::vector<double> expected = samples;
  std::sort(expected.begin(), expected.end());
  sortSamples(samples);
  EXPECT_EQ(samples, expected);  // == takes -0 and +0 alike, as std::sort does
}

TEST(SampleSort, SameOrderAsStdSort) {
  std::mt19937_64 random(7);
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  for (const std::size_t size : {0, 1, 2, 511, 512, 513, 5000, 100000}) {
    // Whole numbers with many ties, as microseconds are.
    std::uniform_int_distribution<int> ticks(0, 400);
    std::vector<double> whole(size);
    for (double& value : whole) value = ticks(random);
    expectSortedLikeStdSort(whole);

    // Both signs, every magnitude, zeros of both signs, infinities, subnormals.
    std::normal_distribution<double> spread(0, 1);
    std::vector<double> mixed(size);
    for (std::size_t at = 0; at < size; ++at) {
      mixed[at] = spread(random) * std::pow(10.0, static_cast<double>(at % 40) - 20);
    }
    for (const double special : {0.0, -0.0, kInfinity, -kInfinity, std::numeric_limits<double>::denorm_min(),
                                 -std::numeric_limits<double>::max(), 1e300}) {
      if (!mixed.empty()) mixed[static_cast<std::size_t>(random() % mixed.size())] = special;
    }
    expectSortedLikeStdSort(mixed);
  }
  // Every digit shared: every pass left out.
  expectSortedLikeStdSort(std::vector<double>(3000, 42.0));
}

}  // namespace
}  // namespace vyn::profiling
