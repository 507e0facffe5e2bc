#include "support/log_builder.h"

#include <fstream>
#include <stdexcept>

#include "format/record_codec.h"

namespace vyn::testing {
namespace {

profiling::MessageModel toModel(const Message& message) {
  profiling::MessageModel model;
  model.timestamp.emplace().value = message.timestamp;
  model.methodType = message.methodType;
  if (message.hasTiming) model.timing = profiling::TimingModel{message.start, message.end, {}, {}, {}};
  model.level = message.level;
  if (message.events) model.events.emplace(message.events->begin(), message.events->end());
  model.name = message.name;
  return model;
}

}  // namespace

std::vector<std::uint8_t> buildRecord(const Record& record) {
  profiling::RecordModel model;
  if (record.header) {
    model.header = *record.header;
    if (record.header->hasVersion && !model.header->version)
      model.header->version = profiling::HeaderVersionModel{1, 2, 3, 4};
  }
  if (record.messages) {
    model.messages.emplace();
    for (const Message& message : *record.messages) model.messages->push_back(toModel(message));
  }
  flatbuffers::FlatBufferBuilder fbb;
  profiling::encodeRecord(model, fbb);
  return {fbb.GetBufferPointer(), fbb.GetBufferPointer() + fbb.GetSize()};
}

void LogBuilder::writeTo(const std::string& path) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
  if (!out) throw std::runtime_error("cannot write test log " + path);
}

}  // namespace vyn::testing
