#include "support/captured_model.h"

#include <gtest/gtest.h>

#include "format/record_cursor.h"

namespace vyn::testing {

std::vector<bool> CapturedModel::add(const Record& record) {
  const std::vector<std::uint8_t> bytes = buildRecord(record);
  profiling::RecordCursor cursor;
  std::vector<bool> taken;
  if (!cursor.initialize(bytes.data(), bytes.size())) {
    ADD_FAILURE() << "the test record does not verify";
    return taken;
  }
  if (!model_->header) capture_.captureHeader(cursor.getHeader());
  while (const auto* message = cursor.getNextMessage()) taken.push_back(capture_.dispatch(*message));
  return taken;
}

}  // namespace vyn::testing
