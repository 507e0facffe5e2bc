#include "plugin/built_in_reader.h"

#include <utility>

#include "plugin/vyn_profile_log_reader_xtu.h"

namespace vyn::profiling {

BuiltInReader::BuiltInReader(const std::string& logPath, VisibilityLevel level, bool generic)
    : reader_(generic ? std::make_unique<VynProfileLogReader>(logPath, level)
                      : std::make_unique<VynProfileLogReaderXtu>(logPath, level)) {}

BuiltInReader::~BuiltInReader() = default;

ProfileLogReader& BuiltInReader::reader() { return *reader_; }

void BuiltInReader::setLoadProgress(LoadProgress progress) { reader_->setLoadProgress(std::move(progress)); }

const LoadOutcome& BuiltInReader::loadOutcome() const { return reader_->loadOutcome(); }

const LogModel& BuiltInReader::model() const { return reader_->model(); }

}  // namespace vyn::profiling
