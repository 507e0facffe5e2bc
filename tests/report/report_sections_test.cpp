// Report pieces for the cases the golden logs do not hold.
#include <gtest/gtest.h>

#include <cmath>

#include "plugin/vyn_profile_log_reader_xtu.h"
#include "report/backend_dump.h"
#include "report/csv_export.h"
#include "report/event_text.h"
#include "report/header_report.h"
#include "report/report_input.h"
#include "report/summary_sections.h"
#include "report_test_util.h"
#include "support/captured_model.h"

namespace vyn::testing {
namespace {

using namespace vyn::profiling;
using testing::Event;
using testing::Message;

// A value as a host hands it in; a text must outlive the event.
EventValue unsignedValue(std::uint64_t number) { return {ValueDataType::UInt64, number}; }
EventValue textValue(const char* text) { return {ValueDataType::String, reinterpret_cast<std::uintptr_t>(text)}; }
ProfileEvent event(std::string name, std::uint32_t identifier, EventValue value, std::uint32_t unit,
                   std::vector<ProfileEvent> subEvents = {}) {
  return {identifier, value, {}, std::move(name), {}, unit, 0, 1, std::move(subEvents)};
}

TEST(EventText, NarrowValuesUseOnlyTheirOwnBitsAndHardwareUnitsTheLowByte) {
  const std::pair<EventValue, std::string> cases[] = {
      {{ValueDataType::Int8, 0x1FF}, "-1"},        {{ValueDataType::UInt16, 0x12345}, "9029"},
      {{ValueDataType::Int32, 0x1FFFFFFFF}, "-1"}, {{ValueDataType::UInt32, 0x1FFFFFFFF}, "4294967295"},
      {{ValueDataType::Float16, 0xFFFE}, "-2"},    {{0x0216, 0xFFFE}, ""},
      {{ValueDataType::Bool8, 0x101}, "1"},        {{ValueDataType::String, 0}, ""},
  };
  for (const auto& [value, text] : cases) {
    base::TextAppender out;
    EXPECT_EQ(profiling::appendEventValue(out, value).view(), text) << "data type " << std::hex << value.dataType;
  }
  EXPECT_EQ(backend::hardwareUnitNames(0), "");
  EXPECT_EQ(backend::hardwareUnitNames(0xFA), "ZOR");
}

// Rows of trees a host hands in: the generic ones go one level deep and leave
// out objects; no row shows the address a text holds.
TEST(InterfaceRows, GenericRowsCoverOneLevelAndNoRowShowsATextsAddress) {
  static const char kText[] = "x\"y";
  std::ostringstream rows, backendRows;
  VynProfileLogReader{"unused.log", VisibilityLevel::Basic}.printEvent(
      rows,
      {event("exec,main", 1, unsignedValue(5), Unit::Microseconds,
             {event("stage", 2, textValue(kText), Unit::None, {event("deep", 3, unsignedValue(1), 1)}),
              event("raw", 4, unsignedValue(9), Unit::Object)}),
       event("obj", 5, unsignedValue(9), Unit::Object, {event("kept", 6, unsignedValue(2), Unit::Count)})},
      77, "EXECUTE", 0);
  EXPECT_EQ(rows.str(),
            "77,EXECUTE,5,US,BACKEND,ROOT,\"exec,main\"\n"
            "77,EXECUTE,\"x\"\"y\",NONE,BACKEND,SUB-EVENT,stage\n"
            "77,EXECUTE,2,COUNT,BACKEND,SUB-EVENT,kept\n");
  VynProfileLogReaderXtu{"unused.log", VisibilityLevel::Basic}.printEvent(
      backendRows, {event("units", 5004, textValue(kText), 0), event("named", 5005, unsignedValue(9), 2)}, 9,
      "FINALIZE", 1);
  EXPECT_EQ(backendRows.str(),
            "9,FINALIZE,\"\",US,BACKEND,SUB-EVENT,units\n9,FINALIZE,\"\",BYTES,BACKEND,SUB-EVENT,named\n");
}

using ReportSections = ScratchWork;

// Init events that executions carry win over those of context creation, in the
// summary and in the CSV rows; the Init figure stays context creation's.
// Only top-level events 9001 to 9008 are hidden; a burst-count event writes one
// block with its sub-events under it.
TEST(BackendDump, HidesOnlyTopLevelIdentifiers9001To9008AndWritesOneBurstBlock) {
  CapturedModel log;
  log.add({Message::of(kDeInit)
               .lasting(1)
               .event(Event::named("a", 9000).u64(1).withUnit(Unit::None))
               .event(Event::named("b1", 2004).sub(Event::named("k", 2005)))
               .event(measured("h", 9005, 2, 0).sub(measured("hs", 1, 1, 0)))
               .event(Event::named("b2", 2004).sub(Event::named("n", 2010).f64(1.25)))
               .event(measured("h8", 9008, 3, 0).sub(measured("h8s", 1, 4, 0)))
               .event(Event::named("z", 9009)
                          .f64(0.5)
                          .withUnit(Unit::Cycles)
                          .sub(measured("s", 9005, 4, Unit::Count).sub(measured("t", 2004, 1, Unit::Bytes))))});
  const LogModel& model = log.model();
  EXPECT_EQ(written([&](base::TextBuffer& out) { appendBackendEvents(out, model.list(model.deInit.events)); }),
            "a : 1  \nb1 : \n    k : Burst\nb2 : \n    n : 1.250000\n"
            "z : 0.500000  cycles\n    s : 4  count\n        t : 1  bytes\n");
}

TEST_F(ReportSections, InitEventsOfExecutionsWinOverThoseOfContextCreation) {
  VynProfileLogReaderXtu reader{"init.log", VisibilityLevel::All};
  load(reader, "init.log",
       LogBuilder().messages({Message::of(kInitEvents).at(110).lasting(12).event(measured("alt", 1, 2, Unit::Count)),
                              Message::of(kExecute)
                                  .named("g")
                                  .at(300)
                                  .lasting(5)
                                  .event(measured("main", 100, 3, Unit::Count))
                                  .event(measured("run", 7, 1, Unit::Microseconds))}));
  const ReportInput in{reader.model(), reader.statistics(), "init.log", nullptr};
  BackendEventPrinter events(nullptr);
  EXPECT_EQ(written([&](base::TextBuffer& out) {
              writeInitStats(out, in, events);
              writePhaseRows(out, in, events);
            }),
            "Init Stats:\n-----------\n    NetRun: 12 us\n    Backend (main): 3 count\n\n"
            "110,INIT,12,US,NETRUN,ROOT,null\n110,INIT,3,COUNT,BACKEND,ROOT,main\n"
            "0,COMPOSE GRAPHS,0,US,NETRUN,ROOT,null\n0,DE-INIT,0,US,NETRUN,ROOT,null\n");
}

TEST_F(ReportSections, CsvFieldsWithTextFromTheLogAreQuoted) {
  Record record{Header{{{}, {}, {}, {}, "1,2", "plain", "gen\"x"}, false}, std::nullopt};
  record.with(Message::of(kDeInit).named("d\"e").at(50).lasting(60));
  VynProfileLogReader reader{"a,b.log", VisibilityLevel::All};
  load(reader, "a,b.log", LogBuilder().record(record));
  report(reader, "report.csv");
  EXPECT_EQ(readFile("report.csv"),
            "input log file location, \"a,b.log\"\nvyn-profile-viewer version, v2.51.0.260929181845\n"
            "\"gen\"\"x version\", \"1,2\"\nBackend version, plain\n"
            "Msg Timestamp, Message, Time, Unit of Measurement, Timing Source, Event Level, Event Identifier\n"
            "0,INIT,0,US,NETRUN,ROOT,null\n0,COMPOSE GRAPHS,0,US,NETRUN,ROOT,null\n"
            "50,DE-INIT,60,US,NETRUN,ROOT,\"d\"\"e (deinit)\"\n");
}

// The inference rate and the library-load latency take the number a value
// holds: floating values truncated (5 runs in 2000 us), NaN 0.
TEST_F(ReportSections, RateAndLatencyReadTheNumbersTheValuesHold) {
  VynProfileLogReader reader{"rate.log", VisibilityLevel::All};
  load(reader, "rate.log",
       LogBuilder().messages({Message::of(kExecuteOverall)
                                  .at(5)
                                  .lasting(1)
                                  .event(Event::named("duration").f64(2000.9))
                                  .event(Event::named("count").f64(5.7)),
                              Message::of(kDynamicLibLoad).at(6).event(Event::named("latency").f64(std::nan("")))}));
  const ReportInput in{reader.model(), reader.statistics(), "rate.log", nullptr};
  EXPECT_EQ(written([&](base::TextBuffer& out) {
              writeExecuteOverallStats(out, in);
              writeDynamicLibLoadStats(out, in);
              writeExecuteIpsRow(out, in);
              writeDlopenLatencyRow(out, in);
            }),
            "Execute Stats (Overall):\n------------------------\n"
            "    NetRun IPS (includes IO and misc. time): 2500.0000 inf/sec \n\n"
            "Dynamic Lib Load Stats:\n------------------------\n    Backend Latency: 0 us\n\n"
            "5,EXECUTE IPS,2500.000000,INF/SEC,NETRUN,ROOT,null\n6,DLOPEN LATENCY,0,US,NETRUN,ROOT,null\n");
}

// A creation time that does not fit the time text (the year 10000) leaves out
// only its own line.
TEST_F(ReportSections, HeaderTextLeavesOutAnUnprintableCreationTime) {
  CapturedModel log;
  // Time scale, epoch and steady clock, no version table, generator version, back-end version, generator name.
  log.add(Record{Header{{0.5f, 253'402'300'800'000'000u, 42, std::nullopt, "1.2.3", "xtu-9", "tool"}, false},
                 std::nullopt});
  EXPECT_EQ(headerReport(log.model().header, "/logs/run.bin"),
            "Input Log File Location: /logs/run.bin\nTime Scale: 0.5\n"
            "Epoch Timestamp: 253402300800000000 Steady Clock Timestamp: 42\n"
            "Generated using: \nvyn-profile-viewer: v2.51.0.260929181845\ntool: 1.2.3\nBackend: xtu-9\n");
}

}  // namespace
}  // namespace vyn::testing
