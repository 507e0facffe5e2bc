// Watches the size of every allocation made through the global operator new, so
// a test can tell whether a lying length prefix made the reader allocate for it.
// Linking allocation_probe.cpp replaces the global operator new and delete.
#ifndef VYN_TESTS_HOSTILE_ALLOCATION_PROBE_H_
#define VYN_TESTS_HOSTILE_ALLOCATION_PROBE_H_

#include <cstddef>

namespace vyn::testing {

void resetLargestAllocation();
// The largest single allocation since the last reset, in bytes.
std::size_t largestAllocation();

}  // namespace vyn::testing

#endif  // VYN_TESTS_HOSTILE_ALLOCATION_PROBE_H_
