// Logs whose shape, not their size, would make a careless reader slow or large:
// every execution naming its events afresh, thousands of graphs, executions
// whose events all arrive late in messages of their own, and events so small
// (no field at all) that what the reader keeps per event dwarfs the log.
#ifndef VYN_BENCH_ADVERSARIAL_SHAPES_H_
#define VYN_BENCH_ADVERSARIAL_SHAPES_H_

#include <string>
#include <vector>

namespace vyn::bench {

struct Shape {
  std::string name;
  std::string description;
  void (*write)(const std::string& path);
};

// The shapes, each written at 15 to 70 megabytes.
const std::vector<Shape>& adversarialShapes();

}  // namespace vyn::bench

#endif  // VYN_BENCH_ADVERSARIAL_SHAPES_H_
