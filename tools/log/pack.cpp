// pack: a log's JSON form to its binary form.
#include <flatbuffers/flatbuffers.h>

#include <cerrno>
#include <fstream>
#include <iostream>
#include <vector>

#include "base/output_file.h"
#include "base/system_error_text.h"
#include "format/log_json.h"
#include "format/record_codec.h"
#include "format/record_format.h"
#include "log/command_output.h"
#include "log/commands.h"

namespace vyn::tools {
namespace {

void appendPrefix(std::vector<std::uint8_t>& out, std::size_t length) {
  const auto prefix = profiling::lengthPrefix(static_cast<std::uint32_t>(length));
  out.insert(out.end(), prefix.begin(), prefix.end());
}

}  // namespace

int runPack(const std::string& inputPath, const std::string& outputPath) {
  Json document;
  {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (inputPath != "-") {
      file.open(inputPath, std::ios::binary);
      if (!file) {
        reportProblem(inputPath, "cannot be read: " + base::systemErrorText(errno));
        return 1;
      }
      in = &file;
    }
    try {
      document = Json::parse(*in);
    } catch (const Json::parse_error& error) {
      // The library's text carries the line and column of the fault.
      reportProblem(inputPath, std::string("not valid JSON: ") + error.what());
      return 1;
    }
  }
  if (!document.is_array()) {
    reportProblem(inputPath, "$: expected an array of records");
    return 1;
  }

  // Everything is converted before the output is created, so a bad value
  // leaves no half-written log behind.
  std::vector<std::uint8_t> log;
  flatbuffers::FlatBufferBuilder builder(1 << 16);
  for (std::size_t i = 0; i < document.size(); ++i) {
    const std::string path = "$[" + std::to_string(i) + "]";
    LogEntry entry;
    try {
      entry = entryFromJson(document[i], path);
    } catch (const JsonLogError& error) {
      reportProblem(inputPath, error.what());
      return 1;
    }
    switch (entry.kind) {
      case LogEntry::Kind::Record: {
        profiling::encodeRecord(entry.record, builder);
        const std::uint8_t* bytes = builder.GetBufferPointer();
        if (const auto fault = profiling::findRecordFault(bytes, builder.GetSize())) {
          reportProblem(inputPath, "warning: " + path + ": the record will not verify: " + fault->words);
        }
        appendPrefix(log, builder.GetSize());
        log.insert(log.end(), bytes, bytes + builder.GetSize());
        break;
      }
      case LogEntry::Kind::RawFrame:
        appendPrefix(log, entry.bytes.size());
        log.insert(log.end(), entry.bytes.begin(), entry.bytes.end());
        break;
      case LogEntry::Kind::Trailing:
        if (i + 1 != document.size()) {
          reportProblem(inputPath, path + ": trailing_bytes must be the last entry");
          return 1;
        }
        log.insert(log.end(), entry.bytes.begin(), entry.bytes.end());
        break;
    }
  }

  base::OutputFile output;
  if (!openCommandOutput(output, outputPath, {inputPath})) return 1;
  output.write(log.data(), log.size());
  return closeCommandOutput(output);
}

}  // namespace vyn::tools
