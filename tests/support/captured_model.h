// A log composed with the log builder, taken into a model the way a reader
// takes it: each record verified, its header captured, its messages dispatched;
// and the model as one line of text, so that a test compares all that a capture
// left, and only that, with what it expects.
#ifndef VYN_TESTS_SUPPORT_CAPTURED_MODEL_H_
#define VYN_TESTS_SUPPORT_CAPTURED_MODEL_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/log_capture.h"
#include "model/log_model.h"
#include "support/log_builder.h"

namespace vyn::testing {

class CapturedModel {
 public:
  explicit CapturedModel(std::int8_t visibilityLevel = 127)
      : model_(std::make_unique<profiling::LogModel>()), capture_(*model_, visibilityLevel) {}

  // Captures the record; returns what dispatch said of each message. Fails the
  // test when the record does not verify.
  std::vector<bool> add(const Record& record);
  std::vector<bool> add(std::vector<Message> messages) { return add(Record{std::nullopt, std::move(messages)}); }

  const profiling::LogModel& model() const { return *model_; }

 private:
  std::unique_ptr<profiling::LogModel> model_;
  profiling::LogCapture capture_;
};

// The names of the top-level events.
std::string eventNames(const profiling::LogModel& model, profiling::EventSpan events);

// Every part of the model that differs from a fresh one, in a fixed order and
// joined by "; "; an occurrence as "value@timestamp 'name' [events]". The header
// is left out.
std::string modelText(const profiling::LogModel& model);

}  // namespace vyn::testing

#endif  // VYN_TESTS_SUPPORT_CAPTURED_MODEL_H_
