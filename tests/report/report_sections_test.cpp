// Report pieces for the cases the golden logs do not hold.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "plugin/vyn_profile_log_reader_xtu.h"
#include "report/backend_dump.h"
#include "report/csv_export.h"
#include "report/event_text.h"
#include "report/header_report.h"
#include "report/summary_sections.h"
#include "report_test_util.h"
#include "support/captured_model.h"

namespace vyn::testing {
namespace {

using namespace vyn::profiling;
using testing::Event;
using testing::Message;

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

// A value as a host hands it in; a text must outlive the event.
EventValue unsignedValue(std::uint64_t number) { return {ValueDataType::UInt64, number}; }
EventValue textValue(const char* text) { return {ValueDataType::String, reinterpret_cast<std::uintptr_t>(text)}; }
ProfileEvent event(std::string name, std::uint32_t identifier, EventValue value, std::uint32_t unit,
                   std::vector<ProfileEvent> subEvents = {}) {
  return {identifier, value, {}, std::move(name), {}, unit, 0, 1, std::move(subEvents)};
}

TEST(EventText, NarrowValuesUseOnlyTheirOwnBitsAndHardwareUnitsTheLowByte) {
  const std::pair<EventValue, std::string> cases[] = {
      {{ValueDataType::Int8, 0x1FF}, "-1"},           {{ValueDataType::UInt8, 0x1FF}, "255"},
      {{ValueDataType::Int16, 0xFFFF8000}, "-32768"}, {{ValueDataType::UInt16, 0x12345}, "9029"},
      {{ValueDataType::Int32, 0x1FFFFFFFF}, "-1"},    {{ValueDataType::UInt32, 0x1FFFFFFFF}, "4294967295"},
      {{ValueDataType::Float16, 0xFFFE}, "-2"},       {{0x0216, 0xFFFE}, ""},
      {{ValueDataType::Bool8, 0x101}, "1"},           {{ValueDataType::Undefined, 12}, ""},
  };
  for (const auto& [value, text] : cases) {
    base::TextAppender out;
    EXPECT_EQ(profiling::appendEventValue(out, value).view(), text) << "data type " << std::hex << value.dataType;
  }
  // Only a text value can need quotes in a CSV field.
  static const char kText[] = "a,\"b\"";
  base::TextAppender csv;
  profiling::appendCsvEventValue(csv, {ValueDataType::String, reinterpret_cast<std::uintptr_t>(kText)}).character('|');
  profiling::appendCsvEventValue(csv, {ValueDataType::Int32, 0xFFFFFFFEu}).character('|');
  profiling::appendCsvEventValue(csv, {ValueDataType::String, 0});  // no text at all
  EXPECT_EQ(csv.view(), "\"a,\"\"b\"\"\"|-2|");
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

using ReportSections = ScratchWork;

// Init events that executions carry win over those of context creation, in the
// summary and in the CSV rows; the Init figure stays context creation's.
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
  const ReportInput in = input(reader, "init.log");
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
  record.with(Message::of(kInit).named("i,n").at(10).lasting(20))
      .with(Message::of(kComposeGraph).named("c,1").at(30).lasting(40))
      .with(Message::of(kDeInit).named("d\"e").at(50).lasting(60))
      .with(Message::of(kFinalizeAfterTensorUpdates).named("a,b [pass 1]").at(200).lasting(70));
  VynProfileLogReader reader{"a,b.log", VisibilityLevel::All};
  load(reader, "a,b.log", LogBuilder().record(record));
  report(reader, "report.csv");
  EXPECT_EQ(readFile("report.csv"),
            "input log file location, \"a,b.log\"\nvyn-profile-viewer version, v2.51.0.260929181845\n"
            "\"gen\"\"x version\", \"1,2\"\nBackend version, plain\n"
            "Msg Timestamp, Message, Time, Unit of Measurement, Timing Source, Event Level, Event Identifier\n"
            "0,INIT,0,US,NETRUN,ROOT,\"i,n (init)\"\n"
            "30,COMPOSE GRAPHS,40,US,NETRUN,ROOT,\"c,1\"\n"
            "50,DE-INIT,60,US,NETRUN,ROOT,\"d\"\"e (deinit)\"\n"
            "200,FINALIZE AFTER TENSOR UPDATES,70,US,NETRUN,ROOT,\"Graph 0: a,b [pass 1]\"\n");
}

// The inference rate and the library-load latency take the number a value
// holds: floating values truncated, negative or NaN ones 0, texts 0.
TEST_F(ReportSections, RateAndLatencyReadTheNumbersTheValuesHold) {
  const auto rateAndLatency = [](std::vector<Event> overall, std::vector<Event> libraryLoad) {
    Message rate = Message::of(kExecuteOverall).at(5).lasting(1), latency = Message::of(kDynamicLibLoad).at(6);
    rate.events = std::move(overall);
    latency.events = std::move(libraryLoad);
    VynProfileLogReader reader{"rate.log", VisibilityLevel::All};
    load(reader, "rate.log", LogBuilder().messages({rate, latency}));
    const ReportInput in = input(reader, "rate.log");
    return written([&](base::TextBuffer& out) {
      writeExecuteOverallStats(out, in);
      writeDynamicLibLoadStats(out, in);
      writeExecuteIpsRow(out, in);
      writeDlopenLatencyRow(out, in);
    });
  };
  const auto expected = [](const std::string& figure, const std::string& latency) {
    const std::string rule = "\n" + std::string(24, '-') + "\n    ";
    return "Execute Stats (Overall):" + rule + "NetRun IPS (includes IO and misc. time): " + figure +
           "00 inf/sec \n\nDynamic Lib Load Stats:" + rule + "Backend Latency: " + latency + " us\n\n" +
           "5,EXECUTE IPS," + figure + "0000,INF/SEC,NETRUN,ROOT,null\n6,DLOPEN LATENCY," + latency +
           ",US,NETRUN,ROOT,null\n";
  };
  const Event duration = Event::named("duration").f64(2000.9), next = Event::named("next").u64(9);
  EXPECT_EQ(rateAndLatency({duration, Event::named("count").text("12")}, {Event::named("latency").f64(250.75)}),
            expected("0.00", "250"));
  EXPECT_EQ(rateAndLatency({duration, Event::named("count").f64(5.7)}, {Event::named("latency").f64(-3.5), next}),
            expected("2500.00", "0"));
  EXPECT_EQ(rateAndLatency({duration, Event::named("count").u64(1)}, {Event::named("latency").f64(std::nan(""))}),
            expected("500.00", "0"));
  EXPECT_EQ(rateAndLatency({duration}, {}), "");
}

// The mean queue wait truncates; a mean that rounds up to 2^64 in double
// precision still leaves 0, not a wrapped number.
TEST_F(ReportSections, AverageRoundTripsSubtractTheMeanQueueWait) {
  const auto run = [](const char* graph, std::uint64_t duration, std::uint64_t wait) {
    return Message::of(kExecuteRoundTrip).named(graph).timed(0, duration).event(measured("queue wait", 405, wait, 1));
  };
  VynProfileLogReader reader{"run.log", VisibilityLevel::All};
  load(reader, "run.log", LogBuilder().messages({run("g", 1400, 200), run("g", 1600, 401), run("top", kMax, kMax)}));
  const std::string summary = report(reader, "");
  const std::size_t from = summary.find("Execute Stats (Average):"), to = summary.find("Execute Stats (Min):");
  const std::string roundTrip = "    NetRun (Host Round-Trip): ", wait = "    Backend (queue wait): ";
  const std::string excluding = "    NetRun (Host Round-Trip excluding queue wait): ";
  EXPECT_EQ(summary.substr(from, to - from),
            "Execute Stats (Average):\n" + std::string(24, '-') + "\nTotal Inference Time: \n" + std::string(21, '-') +
                "\nGraph 0 (g):\n" + roundTrip + "1500 us\n" + excluding + "1200\n" + wait +
                "300 us\n\nGraph 1 (top):\n" + roundTrip + std::to_string(kMax) + " us\n" + excluding + "0\n" + wait +
                std::to_string(kMax) + " us\n\n");
}

// The generator line needs both name and version; a creation time that does not
// fit the time text (the year 10000) leaves out only its own line.
TEST_F(ReportSections, HeaderTextLeavesOutWhatIsMissingOrUnprintable) {
  const std::string head = "Input Log File Location: /logs/run.bin\n";
  const std::string viewer = "Generated using: \nvyn-profile-viewer: v2.51.0.260929181845\n";
  const std::string epoch =
      "Log File Created: Thu Jan  1 00:00:00 1970\nTime Scale: 2.5e-05\n"
      "Epoch Timestamp: 0 Steady Clock Timestamp: 0\n";
  constexpr std::nullopt_t none = std::nullopt;
  // Time scale, epoch and steady clock, version table, generator version, back-end version, generator name.
  const std::pair<Header, std::string> cases[] = {
      {{{2.5e-05f, 0, none, none, none, "xtu-9", "tool"}, false}, head + epoch + viewer + "Backend: xtu-9\n"},
      {{{2.5e-05f, 0, none, none, "1.2.3", none, none}, false}, head + epoch + viewer},
      {{{0.5f, 253'402'300'800'000'000u, 42, none, "1.2.3", "xtu-9", "tool"}, false},
       head + "Time Scale: 0.5\nEpoch Timestamp: 253402300800000000 Steady Clock Timestamp: 42\n" + viewer +
           "tool: 1.2.3\nBackend: xtu-9\n"},
  };
  for (const auto& [header, expected] : cases) {
    CapturedModel log;
    log.add(Record{header, std::nullopt});
    EXPECT_EQ(headerReport(log.model().header, "/logs/run.bin"), expected);
  }
}

}  // namespace
}  // namespace vyn::testing
