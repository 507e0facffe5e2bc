// Writes the fuzzer's seed corpus: small logs that between them reach every
// method type, every value kind and unit, the back-end identifiers that steer
// the reports, data-file names, and the framing edge cases. The committed files
// in fuzz/corpus are this program's output; run it again after changing it.
//
// Usage: vyn_fuzz_seed_corpus OUTPUT_DIRECTORY   (created when missing)
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "support/log_builder.h"

namespace {

using vyn::testing::Event;
using vyn::testing::Header;
using vyn::testing::LogBuilder;
using vyn::testing::Message;
using vyn::testing::Record;

// Method types.
constexpr int kExecute = 1, kFinalize = 2, kExecuteRoundTrip = 3, kInitEvents = 4, kDeInit = 5, kInit = 6,
              kComposeGraph = 7, kExecuteOverall = 8, kExecuteEvents = 9, kDynamicLibLoad = 10,
              kApplyBinarySection = 11, kApplyBinarySection2 = 12, kContextGetBinarySize = 13, kContextGetBinary = 14,
              kContextGetBinarySectionSize = 15, kFinalizeAfterTensorUpdates = 16, kUpdateBinarySection = 17;
// Units.
constexpr std::uint32_t kUs = 1, kBytes = 2, kCycles = 3, kCount = 4, kObject = 5, kNone = 6;

Header fullHeader(const std::string& generatorName) {
  Header header;
  header.timeScale = 1.0f;
  header.epochTimestamp = 1700000000000000ull;
  header.steadyClockTimestamp = 42;
  header.hasVersion = true;
  header.generatorVersion = "1.2.3";
  header.backendVersion = "xtu 7";
  header.generatorName = generatorName;
  return header;
}

// One event of every value kind, in every unit, with a nested object.
Event valueZoo() {
  return Event::named("zoo", 7)
      .u64(11)
      .withUnit(kUs)
      .sub(Event::named("signed", 8).i64(-5).withUnit(kCycles))
      .sub(Event::named("single", 9).f32(1.5f).withUnit(kCount))
      .sub(Event::named("double", 10).f64(2.25).withUnit(kNone))
      .sub(Event::named("text", 11).text("hello").withUnit(kBytes))
      .sub(Event::named("blob", 12)
               .data({0, 1, 2, 255})
               .withUnit(kObject)
               .withDetail("blob.bin")
               .sub(Event::named("inner", 13).u64(3).withUnit(99)));
}

LogBuilder session() {
  Record first;
  first.header = fullHeader("vyn-runtime");
  first.with(Message::of(kDynamicLibLoad).at(1).lasting(40).event(Event::named("latency").u64(250)))
      .with(Message::of(kInit).named("init").at(2).lasting(500).event(Event::named("alloc", 100).u64(30)))
      .with(Message::of(kInitEvents).at(3).lasting(90).event(Event::named("load", 101).u64(90)))
      .with(Message::of(kComposeGraph).named("g1").at(4).lasting(100))
      .with(Message::of(kComposeGraph).named("g2").at(5).lasting(250));
  Record second;
  second
      .with(Message::of(kExecute)
                .named("g1")
                .at(10)
                .lasting(1500)
                .event(valueZoo())
                .event(Event::named("init-late", 100).u64(4)))
      .with(Message::of(kExecute).named("g1").at(11).lasting(900).event(Event::named("zoo", 7).u64(13).withUnit(kUs)))
      .with(Message::of(kExecute).named("g2").at(12).lasting(300))
      .with(Message::of(kExecuteEvents)
                .named("g2")
                .at(13)
                .event(Event::named("late", 20).u64(6))
                .event(Event::named("fin", 300).u64(8)))
      .with(Message::of(kExecuteOverall)
                .at(14)
                .lasting(5000)
                .event(Event::named("count").u64(10))
                .event(Event::named("duration").u64(5000)))
      .with(Message::of(kFinalize).named("g1").at(15).lasting(70).event(Event::named("release", 301).u64(70)))
      .with(Message::of(kDeInit).at(16).lasting(30));
  return LogBuilder().record(first).record(second);
}

LogBuilder roundTrip() {
  LogBuilder log;
  log.messages(
      {Message::of(kExecuteRoundTrip).named("g").at(1).lasting(1000).event(Event::named("queue", 405).u64(200)),
       Message::of(kExecuteRoundTrip).named("g").at(2).lasting(100).event(Event::named("queue", 405).u64(300)),
       Message::of(kExecuteRoundTrip).named("h").at(3).lasting(50).withLevel(2)});
  Record withHeader;
  withHeader.header = fullHeader("vyn-runtime");
  withHeader.with(
      Message::of(kExecuteRoundTrip).named("g").at(4).lasting(700).event(Event::named("queue", 405).f64(12.5)));
  return log.record(withHeader);
}

LogBuilder backend() {
  Event burst = Event::named("burst", 2004)
                    .sub(Event::named("kind", 2005))
                    .sub(Event::named("window", 2006).u64(64).withUnit(kBytes))
                    .sub(Event::named("marker", 2009))
                    .sub(Event::named("lanes", 2010).u64(4))
                    .sub(Event::named("stride", 2017).i64(-2))
                    .sub(Event::named("gap", 2018).sub(Event::named("deep", 2011).u64(1)));
  Event units =
      Event::named("units", 5004).u64(7).sub(Event::named("only", 5005)).sub(Event::named("also", 5006).u64(3));
  Message execute = Message::of(kExecute)
                        .named("net")
                        .at(20)
                        .lasting(800)
                        .event(Event::named("pre", 1).u64(5).withUnit(kCycles))
                        .event(burst)
                        .event(Event::named("hidden", 9005).u64(1).sub(Event::named("h2", 1).u64(2)))
                        .event(Event::named("hw", 3).sub(units))
                        .event(Event::named("again", 2004).sub(Event::named("k", 2005)))
                        .event(Event::named("post", 2).u64(6));
  Message create = Message::of(kInitEvents).at(1).lasting(60).event(Event::named("create", 4000).u64(60).sub(units));
  Message finalize = Message::of(kFinalize).named("net").at(30).lasting(40).event(
      Event::named("teardown", 300).u64(40).sub(Event::named("dma", 5004).u64(4)));
  return LogBuilder().messages({create, execute, finalize});
}

LogBuilder sections() {
  Event object = Event::named("section", 50).data({9, 8, 7}).withUnit(kObject).withDetail("section.bin");
  return LogBuilder().messages(
      {Message::of(kContextGetBinarySize).named("ctx").at(1).lasting(10),
       Message::of(kContextGetBinary).named("ctx").at(2).lasting(20),
       Message::of(kContextGetBinarySectionSize).named("ctx").at(3).lasting(5),
       Message::of(kContextGetBinarySectionSize).named("ctx").at(4).lasting(7).event(Event::named("part").u64(2)),
       Message::of(kApplyBinarySection).named("g").at(5).lasting(30).event(object),
       Message::of(kApplyBinarySection2).named("g").at(6).lasting(50).event(object),
       Message::of(kFinalizeAfterTensorUpdates).named("g [tensor 1]").at(7).lasting(15),
       Message::of(kFinalizeAfterTensorUpdates).named("g [tensor 2]").at(8).lasting(25),
       Message::of(kUpdateBinarySection).named("u").at(9).lasting(12)});
}

LogBuilder updater() {
  Record record;
  record.header = fullHeader("zevir-talvo-updater");
  record
      .with(Message::of(kUpdateBinarySection)
                .named("adapter")
                .at(1)
                .lasting(33)
                .event(Event::named("patched", 60).u64(4096).withUnit(kBytes)))
      .with(Message::of(kUpdateBinarySection).named("adapter").at(2).lasting(44));
  return LogBuilder().record(record);
}

// Messages the handlers reject or read with care, and texts the reports must not
// be confused by.
LogBuilder oddities() {
  return LogBuilder().messages(
      {Message::of(0).named("zero"), Message::of(18).named("beyond"), Message::of(-1),
       Message::of(kExecute).at(1),  // no name
       Message::of(kExecute).named("g").timed(50, 10), Message::of(kExecute).named("g").withLevel(127),
       Message::of(kExecute)
           .named(std::string("g\0tail", 6))
           .at(3)
           .lasting(5)
           .event(Event::named("kind99").withUnit(kObject))
           .event(Event::named("empty-bytes").data({}).withUnit(kObject).withDetail("noext"))
           .event(Event{}.text(std::string("a\0b", 3)))
           .event(Event::named("quote\",comma\nline").u64(1).withDetail("/abs.bin").withUnit(kObject)),
       Message::of(kFinalize).named("g"), Message::of(kExecuteEvents).named("g").event(Event::named("x", 100)),
       Message::of(kExecuteOverall).at(9).event(Event::named("duration").u64(0)).event(Event::named("count").u64(3))});
}

// Names that would drive a terminal or break a format: escape sequences, bytes
// that are not UTF-8, a C1 control, line breaks, separators and markup, in
// graphs executed often enough for every analysis to have figures.
LogBuilder hostileNames() {
  const std::vector<std::string> names = {"evil\x1b[2J\x1b[31mRED",
                                          "bad\xff\xfe\xc3",
                                          "csi\xc2\x9b"
                                          "31m\x7f",
                                          "two\nlines;a,b\"c",
                                          "<b>&amp;</b>",
                                          ""};
  std::vector<Message> messages;
  for (std::uint64_t run = 0; run < 4; ++run) {
    for (std::size_t g = 0; g < 2; ++g) {
      Message execute = Message::of(kExecute).named(names[g]).at(run).lasting(100 + run * 7 + g);
      for (std::size_t e = 0; e < names.size(); ++e) {
        Event event = Event::named(names[e], 300).u64(10 + e + run).withUnit(kUs);
        if (e == 2) event.sub(Event::named(names[(e + 1) % names.size()], 301).u64(3).withUnit(kUs));
        execute.event(std::move(event));
      }
      execute.event(Event::named("value", 300).text(names[(g + run) % names.size()]));
      messages.push_back(std::move(execute));
    }
  }
  return LogBuilder().messages(std::move(messages));
}

LogBuilder framing() {
  return LogBuilder().messages({Message::of(kExecute).named("g").at(1).lasting(10)}).lengthPrefix(4000).raw({1, 2, 3});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIRECTORY\n", argv[0]);
    return 2;
  }
  const std::string directory = argv[1];
  try {
    std::filesystem::create_directories(directory);
    session().writeTo(directory + "/session.log");
    roundTrip().writeTo(directory + "/round_trip.log");
    backend().writeTo(directory + "/backend.log");
    sections().writeTo(directory + "/sections.log");
    updater().writeTo(directory + "/updater.log");
    oddities().writeTo(directory + "/oddities.log");
    framing().writeTo(directory + "/framing.log");
    hostileNames().writeTo(directory + "/hostile_names.log");
    LogBuilder().messages({}).raw({7, 7}).writeTo(directory + "/stray_bytes.log");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
