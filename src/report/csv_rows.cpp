#include "reader/vyn_profile_log_reader.h"

namespace vyn::profiling {

void VynProfileLogReader::writeCsvPreamble(std::ostream&) {}
void VynProfileLogReader::writeCsvHeaderRow(std::ostream&) {}
void VynProfileLogReader::writePhaseRows(std::ostream&) {}
void VynProfileLogReader::writeInitRow(std::ostream&) {}
void VynProfileLogReader::writeComposeGraphsRow(std::ostream&) {}
void VynProfileLogReader::writeFinalizeRows(std::ostream&) {}
void VynProfileLogReader::writeDeInitRow(std::ostream&) {}
void VynProfileLogReader::writeExecuteRows(std::ostream&) {}
void VynProfileLogReader::writeApplyBinarySectionRows(std::ostream&) {}

}  // namespace vyn::profiling
