// A progress line on standard error, drawn only when standard error is a
// terminal: redrawn at most ten times a second, never wider than the terminal,
// and erased by clear() (and when it goes), so that what follows it starts on
// a clean line. The load and write meters draw their figures through it.
#ifndef VYN_ANALYSIS_PROGRESS_LINE_H_
#define VYN_ANALYSIS_PROGRESS_LINE_H_

#include <chrono>
#include <cstddef>
#include <string>

namespace vyn::tools {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // Starts the clock. A label ("base run.log") leads the line, for a tool that
  // shows more than one; a long one is cut in the middle.
  explicit ProgressLine(const std::string& label = {});
  ~ProgressLine() { clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Whether standard error is a terminal: without one nothing is ever drawn.
  bool onTerminal() const { return onTerminal_; }
  // The width of a bar that keeps the line within the terminal; 0 on a narrow one.
  std::size_t barWidth();
  // Seconds since the line was made.
  double seconds() const;
  // Whether the last drawing (or the start) is old enough for a new one.
  bool due() const { return Clock::now() - lastDrawing_ >= kRedrawInterval; }

  // Replaces the line on the terminal with the label and text.
  void draw(const std::string& text);
  // Erases the line; a later draw brings it back.
  void clear();

 private:
  static constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

  const bool onTerminal_;
  const std::string label_;  // as drawn, with the colon and blank that end it
  const Clock::time_point start_;
  Clock::time_point lastDrawing_;
  std::size_t barWidth_ = 0;
  bool measured_ = false;  // barWidth_ is known
  bool drawn_ = false;     // a line is on the terminal
};

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_PROGRESS_LINE_H_
