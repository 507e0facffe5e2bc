// How the analysis commands write figures: times in a chosen unit, numbers to
// one decimal place or three significant digits, unit words.
#ifndef VYN_STATS_FIGURE_TEXT_H_
#define VYN_STATS_FIGURE_TEXT_H_

#include <cstdint>
#include <string>
#include <string_view>

namespace vyn::tools {

enum class TimeUnit { Auto, Micro, Milli, Seconds };

// The unit in which a typical time, in microseconds, reads best: below 10 ms in
// microseconds, below 10 s in milliseconds, else in seconds. A fixed unit stays.
TimeUnit resolveTimeUnit(TimeUnit wanted, double typicalMicroseconds);
std::string_view timeUnitName(TimeUnit unit);
double inTimeUnit(double microseconds, TimeUnit unit);
// "12.5 ms": a time in microseconds written in the unit, its word after it.
std::string timeWithUnit(double microseconds, TimeUnit unit);

// Times in microseconds written in one chosen unit, and column headers that name it.
class TimeText {
 public:
  explicit TimeText(TimeUnit unit) : unit_(unit) {}
  std::string operator()(double microseconds) const;
  // "mean (ms)"
  std::string header(const char* name) const;
  TimeUnit unit() const { return unit_; }

 private:
  TimeUnit unit_;
};

// The word for an event's unit code: "us", "bytes", "cycles", "count", "object",
// "none"; code 1 and every unknown code are microseconds.
std::string_view eventUnitName(std::uint8_t unit);
bool isMicroseconds(std::uint8_t unit);

// 1234.5, 12.3, 0.0123: one decimal place from 100 on, three significant digits
// below; never rounded to a whole number when it is not one. Not finite: "-".
std::string figureText(double value);
// A fraction as a percentage with one decimal: 0.1234 gives "12.3%".
std::string percentText(double fraction);
// 1234567 as "1,234,567".
std::string countText(std::uint64_t count);

}  // namespace vyn::tools

#endif  // VYN_STATS_FIGURE_TEXT_H_
