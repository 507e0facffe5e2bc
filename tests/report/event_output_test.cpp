// Event text conversions, the summary's event tree, the generic and the Xtu CSV
// event rows, and the back-end dump of one event list.
#include <gtest/gtest.h>

#include <sstream>

#include "reader/vyn_profile_log_reader_xtu.h"
#include "report/event_text.h"
#include "report_test_util.h"

namespace vyn::testing {
namespace {

using namespace vyn::profiling;

TEST(EventText, ValuesAreReadByTheirDataType) {
  static const char kText[] = "a,b";
  const std::pair<EventValue, std::string> cases[] = {
      {valueOf(ValueDataType::Int8, 0x1FF), "-1"},
      {valueOf(ValueDataType::UInt8, 0x1FF), "255"},
      {valueOf(ValueDataType::Int16, 0xFFFF8000), "-32768"},
      {valueOf(ValueDataType::UInt16, 0x12345), "9029"},
      {valueOf(ValueDataType::Int32, 0x1FFFFFFFF), "-1"},
      {valueOf(ValueDataType::UInt32, 0x1FFFFFFFF), "4294967295"},
      {signedValue(-9), "-9"},
      {unsignedValue(18446744073709551615ull), "18446744073709551615"},
      {valueOf(ValueDataType::Float16, 0xFFFE), "-2"},
      {valueOf(0x0216, 0xFFFE), ""},
      {valueOf(ValueDataType::Float32, 0x3FC00000), "1.500000"},
      {doubleValue(-0.125), "-0.125000"},
      {valueOf(ValueDataType::Bool8, 0x101), "1"},
      {textValue(kText), "a,b"},
      {valueOf(ValueDataType::Undefined, 12), ""},
  };
  for (const auto& [value, text] : cases) {
    EXPECT_EQ(formatEventValue(value), text) << "data type " << std::hex << value.dataType;
  }
}

TEST(EventText, UnitWordsSuffixesMasksAndLevels) {
  const char* const names[] = {"US", "US", "BYTES", "CYCLES", "COUNT", "OBJECT", "NONE", "US"};
  const char* const suffixes[] = {" us",    " us",     " bytes", " cycles",
                                  " count", " object", " ",      " us"};
  for (std::uint32_t unit = 0; unit < 8; ++unit) {
    EXPECT_EQ(unitName(unit), names[unit]);
    EXPECT_EQ(unitSuffix(unit), suffixes[unit]);
  }
  EXPECT_EQ(formatUnitMask(0), "");
  EXPECT_EQ(formatUnitMask(5), "ZEL, DMA");
  EXPECT_EQ(formatUnitMask(7), "ZEL, ZOR, DMA");
  EXPECT_EQ(formatUnitMask(0xFA), "ZOR");
  EXPECT_EQ(eventLevelText(0), "ROOT");
  EXPECT_EQ(eventLevelText(1), "SUB-EVENT");
  EXPECT_EQ(eventLevelText(2), "SUB-SUB-EVENT");
}

class EventPrinters : public ::testing::Test {
 protected:
  VynProfileLogReaderXtu xtu{"unused.log", VisibilityLevel::Basic};
  VynProfileLogReader generic{"unused.log", VisibilityLevel::Basic};
  std::ostringstream out;
};

TEST_F(EventPrinters, TreeIndentsByDepthAndLeavesObjectsOut) {
  const std::vector<ProfileEvent> events = {
      event("load", 1, unsignedValue(3), EventUnit::Bytes,
            {event("part", 2, signedValue(-4), EventUnit::None)}),
      event("blob", 3, unsignedValue(1), EventUnit::Object,
            {event("inside", 4, doubleValue(0.5), EventUnit::Microseconds)}),
      event("ratio", 5, doubleValue(2.5), EventUnit::Cycles),
  };
  generic.writeEventTree(out, events, 1);
  EXPECT_EQ(out.str(),
            "    Backend (load): 3 bytes\n"
            "        part: -4 \n"
            "        inside: 0.500000 us\n"
            "    Backend (ratio): 2.500000 cycles\n");
  // Later sections inherit the notation the tree leaves behind.
  EXPECT_TRUE(out.flags() & std::ios::fixed);
  EXPECT_EQ(out.precision(), 0);
}

TEST_F(EventPrinters, GenericRowsCoverOneLevelOfSubEvents) {
  static const char kQuoted[] = "x\"y";
  const std::vector<ProfileEvent> events = {
      event("exec,main", 1, unsignedValue(5), EventUnit::Microseconds,
            {event("stage", 2, textValue(kQuoted), EventUnit::None,
                   {event("deep", 3, unsignedValue(1), EventUnit::Microseconds)}),
             event("raw", 4, unsignedValue(9), EventUnit::Object)}),
      event("obj", 5, unsignedValue(9), EventUnit::Object,
            {event("kept", 6, unsignedValue(2), EventUnit::Count)}),
  };
  generic.printEvent(out, events, 77, "EXECUTE", 0);
  EXPECT_EQ(out.str(),
            "77,EXECUTE,5,US,BACKEND,ROOT,\"exec,main\"\n"
            "77,EXECUTE,\"x\"\"y\",NONE,BACKEND,SUB-EVENT,stage\n"
            "77,EXECUTE,2,COUNT,BACKEND,SUB-EVENT,kept\n");
}

// Burst rows and the other identifiers of a real log are in the golden files;
// these are the value-column cases a log rarely holds.
TEST_F(EventPrinters, XtuRowsReadHardwareUnitsAsNumbersAndNestLevels) {
  static const char kMaskText[] = "\x07";
  const std::vector<ProfileEvent> events = {
      event("first", 1, unsignedValue(1), EventUnit::Microseconds,
            {event("units", 5004, doubleValue(6.7), 0),
             event("unit text", 5004, textValue(kMaskText), 0),
             event("named", 5005, unsignedValue(9), EventUnit::Bytes,
                   {event("deeper", 3, unsignedValue(2), EventUnit::Object)})}),
      event("after", 7, unsignedValue(7), 0),
  };
  xtu.printEvent(out, events, 9, "FINALIZE", 0);
  EXPECT_EQ(out.str(),
            "9,FINALIZE,1,US,BACKEND,ROOT,first\n"
            "9,FINALIZE,\"ZOR, DMA\",US,BACKEND,SUB-EVENT,units\n"
            "9,FINALIZE,\"\",US,BACKEND,SUB-EVENT,unit text\n"
            "9,FINALIZE,\"\",BYTES,BACKEND,SUB-EVENT,named\n"
            "9,FINALIZE,2,OBJECT,BACKEND,SUB-SUB-EVENT,deeper\n"
            "9,FINALIZE,7,US,BACKEND,ROOT,after\n");
}

TEST_F(EventPrinters, DumpWritesOneBurstBlockAndHidesTopLevelIdentifiers) {
  const std::vector<ProfileEvent> events = {
      event("a", 9000, unsignedValue(1), EventUnit::None),
      event("b1", 2004, unsignedValue(0), 0, {event("k", 2005, unsignedValue(0), 0)}),
      event("h", 9005, unsignedValue(2), 0, {event("hs", 1, unsignedValue(1), 0)}),
      event("b2", 2004, unsignedValue(0), 0, {event("n", 2010, doubleValue(1.25), 0)}),
      event("z", 9009, doubleValue(0.5), EventUnit::Cycles,
            {event("s", 9005, unsignedValue(4), EventUnit::Count,
                   {event("t", 2004, unsignedValue(1), EventUnit::Bytes)})}),
  };
  xtu.printBackendEvents(out, events);
  EXPECT_EQ(out.str(),
            "a : 1  \n"
            "b1 : \n"
            "    k : Burst\n"
            "b2 : \n"
            "    n : 1.250000\n"
            "z : 0.500000  cycles\n"
            "    s : 4  count\n"
            "        t : 1  bytes\n");
}

}  // namespace
}  // namespace vyn::testing
