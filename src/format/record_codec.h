// Between the record model and the FlatBuffers bytes of a record.
//
// encodeRecord lays the tables out in one fixed order (children before parents,
// fields in schema order), so equal models always give equal bytes; decodeRecord
// reads every field of a verified record, noting which are present. A log written
// by encodeRecord therefore decodes and encodes back to the same bytes.
#ifndef VYN_FORMAT_RECORD_CODEC_H_
#define VYN_FORMAT_RECORD_CODEC_H_

#include <flatbuffers/flatbuffers.h>

#include <cstdint>
#include <vector>

#include "format/record_model.h"

namespace vyn::profiling {

// Builds the record into builder, which is cleared first. The result is
// builder.GetBufferPointer() / builder.GetSize(), without a length prefix.
void encodeRecord(const RecordModel& record, flatbuffers::FlatBufferBuilder& builder);

// REQUIRES: bytes[0, size) passed verifyRecord.
RecordModel decodeRecord(const std::uint8_t* bytes, std::size_t size);

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_RECORD_CODEC_H_
