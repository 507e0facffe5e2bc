#include "format/flat_buffer_reader_util.h"

namespace vyn::profiling {

bool FlatBufferReaderUtil::initialize(std::shared_ptr<std::vector<std::uint8_t>>) { return false; }
const fb::MethodMessage* FlatBufferReaderUtil::getNextMessage() { return nullptr; }

}  // namespace vyn::profiling
