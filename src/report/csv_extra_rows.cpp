#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writeExecuteIpsRow(std::ostream&) {}
void VynProfileLogReader::writeDlopenLatencyRow(std::ostream&) {}
void VynProfileLogReader::writeFinalizeAfterTensorUpdatesRows(std::ostream&) {}
void VynProfileLogReader::writeContextRetrievalRows(std::ostream&) {}
void VynProfileLogReader::writeUpdateBinarySectionRows(std::ostream&) {}

}  // namespace vyn::profiling
