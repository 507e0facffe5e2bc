// The generic report of composed logs: standard output and the CSV export are
// compared byte for byte with golden/ (the export is appended to); also which
// data files the report saves.
#include <gtest/gtest.h>

#include "report_test_util.h"

namespace vyn::testing {
namespace {

Event reading(std::string name, std::uint64_t value, std::uint32_t unit = Unit::Microseconds) {
  return measured(std::move(name), 7, value, unit);
}
Event queueWait(std::uint64_t value) { return measured("queue wait", 405, value); }
Message run(int method, const char* graph, std::uint64_t at, std::uint64_t duration) {
  Message message = Message::of(method).at(at).lasting(duration);
  return graph != nullptr ? message.named(graph) : message;
}

LogBuilder updaterLog() {
  // Time scale, epoch and steady clock, no version table, generator version, back-end version, generator name.
  Record record{Header{{1.0f, 0, 5, std::nullopt, "1.2", "be 9", "zevir-talvo-updater"}, false}, std::nullopt};
  record.with(run(kUpdateBinarySection, nullptr, 300, 12).event(reading("section", 64, Unit::Bytes)))
      .with(run(kExecute, "g", 305, 5))
      .with(run(kUpdateBinarySection, "ignored", 310, 15)
                .event(reading("section", 32, Unit::Bytes).sub(reading("chunk", 8, Unit::Bytes))));
  return LogBuilder().record(record);
}

using GenericReport = ScratchWork;

TEST_F(GenericReport, ComposedLogsReportAsWritten) {
  const std::pair<const char*, LogBuilder> cases[] = {
      {"generic/empty", LogBuilder()},
      // Queue waits longer than the round trip leave 0.
      {"generic/round_trip",
       LogBuilder().messages(
           {run(kExecuteRoundTrip, "net_a", 1000, 1500).event(queueWait(300)).event(reading("kernel", 900)),
            run(kExecuteRoundTrip, "net_b", 1100, 50).event(queueWait(80)),
            run(kExecuteRoundTrip, "net_a", 2000, 2500).event(queueWait(700)).event(reading("kernel", 1700))})},
      // The first run has no queue-wait event, so there are no samples to average;
      // it is skipped as a minimum and replaced as a maximum.
      {"generic/round_trip_partial",
       LogBuilder().messages(
           {run(kExecuteRoundTrip, "net_c", 10, 0), run(kExecuteRoundTrip, "net_c", 20, 400).event(queueWait(100))})},
      {"generic/ips_count_first",
       LogBuilder().messages({run(kExecute, "g", 500, 40),
                              run(kExecuteOverall, nullptr, 900, 1000)
                                  .event(reading("inferences", 5, Unit::Count))
                                  .event(reading("duration", 2000)),
                              run(kDynamicLibLoad, nullptr, 10, 300).event(reading("latency", 250))})},
      {"generic/ips_duration_first", LogBuilder().messages({run(kExecuteOverall, nullptr, 7, 1)
                                                                .event(reading("duration", 7))
                                                                .event(reading("count", 3, Unit::Count))})},
      {"generic/ips_zero_duration", LogBuilder().messages({run(kExecuteOverall, nullptr, 8, 1)
                                                               .event(reading("count", 12, Unit::Count))
                                                               .event(reading("duration", 0))})},
      {"generic/context",
       LogBuilder().messages(
           {run(kContextGetBinarySize, "ctx size", 50, 5), run(kContextGetBinarySize, "ctx size 2", 55, 9),
            run(kContextGetBinary, "ctx, main", 60, 120), run(kContextGetBinarySectionSize, nullptr, 70, 0),
            run(kContextGetBinarySectionSize, "sec b", 80, 40), run(kContextGetBinarySectionSize, "sec c", 90, 20)})},
      {"generic/binary_sections",
       LogBuilder().messages(
           {run(kApplyBinarySection, "g1", 100, 30).event(reading("patch", 6, Unit::Bytes)),
            run(kApplyBinarySection2, "g1", 110, 10).event(reading("patch", 2, Unit::Bytes)),
            run(kApplyBinarySection, "g2", 120, 0),
            run(kFinalizeAfterTensorUpdates, "g1 [pass 1]", 200, 70).event(reading("tensors", 3, Unit::Count)),
            run(kFinalizeAfterTensorUpdates, "g1 [pass 2]", 210, 90).event(reading("tensors", 5, Unit::Count))})},
      // A log of the updater tool reports only its latest update.
      {"generic/updater", updaterLog()},
  };
  for (const auto& [name, log] : cases) {
    SCOPED_TRACE(name);
    writeFile("report.csv", "earlier\n");  // appended to, by every report
    profiling::VynProfileLogReader fresh{"run.log", profiling::VisibilityLevel::All};
    load(fresh, "run.log", log);
    // Without a path the summary alone is written.
    for (const char* csv : {"", "report.csv", "report.csv"})
      EXPECT_EQ(report(fresh, csv), golden(std::string(name) + ".stdout")) << csv;
    const std::string rows = golden(std::string(name) + ".csv");
    EXPECT_EQ(readFile("report.csv"), "earlier\n" + rows + rows);
  }
}

TEST_F(GenericReport, AverageSectionSavesTheDataOfEveryRunTwoLevelsDeepWhenAsked) {
  const auto blob = [](const std::string& file, std::uint8_t byte) {
    return Event::named("blob", 7).data({byte, 0, byte}).withUnit(Unit::Object).withDetail(file);
  };
  const LogBuilder log = LogBuilder().messages(
      {run(kExecute, "g", 1, 10).event(blob("r1.bin", 1)),
       run(kExecute, "g", 2, 20).event(blob("r2.bin", 2).sub(blob("r2s.bin", 3).sub(blob("deep.bin", 4))))});
  for (const bool dataFiles : {false, true}) {
    profiling::VynProfileLogReader reader{"run.log", profiling::VisibilityLevel::All};
    load(reader, "run.log", log, dataFiles);
    report(reader, "");
    EXPECT_EQ(entriesBelowRoot().size(), dataFiles ? 9u : 2u);  // work, the log and the data files
  }
  // The runs' own events and their direct sub-events are saved by the Average
  // section; the Min and Max event trees then save what they show (the first run
  // and the second one, deepest event included) under the next free names.
  EXPECT_EQ(entriesBelowRoot(),
            (std::vector<std::string>{"work", "work/deep.bin", "work/r1.bin", "work/r1_1.bin", "work/r2.bin",
                                      "work/r2_1.bin", "work/r2s.bin", "work/r2s_1.bin", "work/run.log"}));
  EXPECT_EQ(readFile("r2s.bin"), std::string("\x03\x00\x03", 3));
}

}  // namespace
}  // namespace vyn::testing
