// Runs independent pieces of work, such as the graphs of a log, on the
// machine's cores.
#ifndef VYN_BASE_PARALLEL_FOR_H_
#define VYN_BASE_PARALLEL_FOR_H_

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace vyn::base {

// Calls work(i) once for every i below count, on up to as many threads as the
// machine has cores; returns when all calls have returned. The calls must not
// touch each other's data.
template <typename Work>
void parallelFor(std::size_t count, Work&& work) {
  const std::size_t threads = std::min<std::size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
  if (threads <= 1) {
    for (std::size_t at = 0; at < count; ++at) work(at);
    return;
  }
  std::atomic<std::size_t> next{0};
  auto worker = [&] {
    for (std::size_t at = next++; at < count; at = next++) work(at);
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(worker);
  worker();
  for (std::thread& helper : helpers) helper.join();
}

}  // namespace vyn::base

#endif  // VYN_BASE_PARALLEL_FOR_H_
