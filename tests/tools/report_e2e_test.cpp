// `vyn-profile-log report` and `diff --format html`: the pages of the sample
// logs have their sections and charts, fetch nothing, and show hostile names
// from a log as text.
#include <nlohmann/json.hpp>

#include "tools/tool_runner.h"

namespace vyn::testing {
namespace {

using Json = nlohmann::json;

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// The text of the first element that starts with opening, up to its closing tag.
std::string element(const std::string& page, const std::string& opening, const std::string& closing) {
  const std::size_t start = page.find(opening);
  if (start == std::string::npos) return {};
  const std::size_t end = page.find(closing, start);
  return page.substr(start, end == std::string::npos ? std::string::npos : end + closing.size() - start);
}

void expectSelfContained(const std::string& page) {
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_EQ(page.find("http://"), std::string::npos);
  EXPECT_EQ(page.find("https://"), std::string::npos);
  EXPECT_EQ(page.find("src="), std::string::npos);
  EXPECT_EQ(page.find("<link"), std::string::npos);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_EQ(page.find("@import"), std::string::npos);
  EXPECT_EQ(page.find("url("), std::string::npos);
  EXPECT_NE(page.find("</html>"), std::string::npos);
}

class ReportTest : public ToolTest {
 protected:
  std::size_t graphsOf(const std::string& log) {
    const ToolRun stats = tool({"stats", log, "--format", "json"});
    EXPECT_EQ(stats.exitCode, 0) << stats.err;
    return Json::parse(stats.out).at("graphs").size();
  }
};

TEST_F(ReportTest, EverySampleLogGetsASummaryAndThreeChartsPerGraph) {
  for (const std::string sample : {"two-graphs", "round-trip", "updater", "two-graphs-slower"}) {
    SCOPED_TRACE(sample);
    const std::string log = stage(sample);
    const ToolRun report = tool({"report", log, "-o", "report.html"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(report.out, "");
    EXPECT_EQ(report.err, "");
    const std::string page = scratch("report.html");
    expectSelfContained(page);
    const std::size_t graphs = graphsOf(log);
    if (graphs == 0) {
      EXPECT_NE(page.find("<p>No executions.</p>"), std::string::npos);
    }
    EXPECT_EQ(occurrences(page, "<table class=\"summary\">"), graphs == 0 ? 0u : 1u);
    EXPECT_EQ(occurrences(page, "<section class=\"graph\" id=\"graph-"), graphs);
    for (std::size_t at = 1; at <= graphs; ++at) {
      EXPECT_NE(page.find("<section class=\"graph\" id=\"graph-" + std::to_string(at) + "\">"), std::string::npos);
    }
    EXPECT_EQ(occurrences(page, "<svg class=\"chart timeline\""), graphs);
    EXPECT_EQ(occurrences(page, "<svg class=\"chart histogram\""), graphs);
    EXPECT_EQ(occurrences(page, "<svg class=\"chart icicle\""), graphs);
    if (graphs == 0) continue;
    // The palette's colours: the series and bars, the p50 and p99 lines.
    EXPECT_NE(page.find("stroke=\"#E69F00\""), std::string::npos);
    EXPECT_NE(page.find("stroke=\"#D55E00\""), std::string::npos);
    EXPECT_NE(page.find("<g class=\"bars\" fill=\"#0072B2\">"), std::string::npos);
    // Every axis names its unit.
    EXPECT_EQ(occurrences(page, "execution time (us)</text>"), 2 * graphs);
    EXPECT_EQ(occurrences(page, "mean time per execution (us)</text>"), graphs);
  }
}

TEST_F(ReportTest, IcicleBoxesCarryTheirFiguresAndLieWithinTheChart) {
  const ToolRun report = tool({"report", stage("two-graphs"), "-o", "report.html", "--graph", "mobilenet"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string page = scratch("report.html");
  EXPECT_EQ(occurrences(page, "<section class=\"graph\""), 1u);
  const std::string icicle = element(page, "<svg class=\"chart icicle\"", "</svg>");
  ASSERT_FALSE(icicle.empty());
  // Every rectangle holds a <title>; mobilenet's two layers: 390 and 245 us of a mean of 1400.
  EXPECT_EQ(occurrences(icicle, "<rect"), occurrences(icicle, "><title>"));
  EXPECT_NE(icicle.find("<title>Layer conv1\nmean 390 us per execution \xC2\xB7 p99 399.8 us \xC2\xB7 27.9% of the "
                        "execution time</title>"),
            std::string::npos)
      << icicle;
  EXPECT_NE(icicle.find("<title>Layer fc\nmean 245 us"), std::string::npos);
  EXPECT_NE(icicle.find("<title>execution\nmean 1400 us"), std::string::npos);
  // Two executions: drawn as dots, each with its time.
  const std::string timeline = element(page, "<svg class=\"chart timeline\"", "</svg>");
  EXPECT_EQ(occurrences(timeline, "<circle"), 2u);
  EXPECT_NE(timeline.find("<title>execution 2: 1300 us</title>"), std::string::npos);
}

TEST_F(ReportTest, HostileNamesShowAsTextEverywhere) {
  // A graph and events named like markup, attributes and a path.
  const std::string log = pack("hostile.log", R"json([{"messages": [
      {"timestamp": 1000, "methodType": "Execute", "name": "<script>alert(1)</script>",
       "timing": {"start": 1000, "end": 1500},
       "events": [{"name": "\"onload=alert(1)", "identifier": 1, "valueKind": "UInt64", "unsignedValue": 200,
                   "unit": "Microseconds", "subEvents": [{"name": "'><img onerror=alert(1)>&amp;",
                   "identifier": 2, "valueKind": "UInt64", "unsignedValue": 50, "unit": "Microseconds"}]}]}]}])json");
  writeFile(work.file("<b>run&.log"), scratch(log));
  for (const std::string& input : {log, std::string("<b>run&.log")}) {
    SCOPED_TRACE(input);
    const ToolRun report = tool({"report", input, "-o", "report.html"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    const std::string page = scratch("report.html");
    expectSelfContained(page);
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("\"onload"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_EQ(page.find("'>"), std::string::npos);
    EXPECT_NE(page.find("Graph &lt;script&gt;alert(1)&lt;/script&gt;</h2>"), std::string::npos);
    EXPECT_NE(page.find("&quot;onload=alert(1) / &#39;&gt;&lt;img onerror=alert(1)&gt;&amp;amp;"),
              std::string::npos);
    // The graph's name in the table, the headings, the chart labels and the tooltips.
    EXPECT_GE(occurrences(page, "&lt;script&gt;alert(1)&lt;/script&gt;"), 5u);
  }
  EXPECT_NE(scratch("report.html").find("&lt;b&gt;run&amp;.log"), std::string::npos);
}

TEST_F(ReportTest, ALongRunIsDrawnAsAnEnvelopeThatStaysSmall) {
  ASSERT_EQ(tool({"synth", "--graphs", "2", "--executions", "20000", "--events", "3", "-o", "long.log"}).exitCode, 0);
  const ToolRun report = tool({"report", "long.log", "-o", "long.html", "--skip-first", "10", "--unit", "ms"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string page = scratch("long.html");
  EXPECT_LT(page.size(), 300u * 1024);
  EXPECT_EQ(occurrences(page, "<path class=\"series envelope\""), 2u);
  EXPECT_EQ(page.find("<circle"), std::string::npos);
  EXPECT_EQ(occurrences(page, "execution time (ms)</text>"), 4u);
  EXPECT_NE(page.find("the first 10 executions of each graph left out"), std::string::npos);
}

TEST_F(ReportTest, RefusesUnknownGraphsMissingOutputsAndWritingOverTheLog) {
  const std::string log = stage("two-graphs");
  const ToolRun unknown = tool({"report", log, "-o", "report.html", "--graph", "resnet"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err,
            "vyn-profile-log: two-graphs.log: no graph named 'resnet' (graphs executed: mobilenet, yolo)\n");
  EXPECT_EQ(tool({"report", log}).exitCode, 2);
  EXPECT_EQ(tool({"report", log, "-o", ""}).exitCode, 2);
  EXPECT_EQ(tool({"report", log, "-o", "r.html", "--unit", "minutes"}).exitCode, 2);
  const std::string before = scratch(log);
  EXPECT_EQ(tool({"report", log, "-o", log}).exitCode, 1);
  EXPECT_EQ(scratch(log), before);
  EXPECT_EQ(tool({"report", "missing.log", "-o", "r.html"}).exitCode, 1);
  EXPECT_EQ(scratchNames(), std::vector<std::string>{log});
}

TEST_F(ReportTest, DiffPageShowsBothDistributionsAndTheVerdicts) {
  const std::string base = stage("two-graphs");
  const std::string next = stage("two-graphs-slower");
  const ToolRun diff = tool({"diff", base, next, "--format", "html", "-o", "diff.html"});
  EXPECT_EQ(diff.exitCode, 0) << diff.err;
  const std::string page = scratch("diff.html");
  expectSelfContained(page);
  EXPECT_EQ(occurrences(page, "<section class=\"graph\""), 2u);
  EXPECT_EQ(occurrences(page, "<table class=\"verdicts\">"), 2u);
  EXPECT_EQ(occurrences(page, "<svg class=\"chart histogram base\""), 2u);
  EXPECT_EQ(occurrences(page, "<svg class=\"chart histogram new\""), 2u);
  // The rows the text shows (golden/diff-two-graphs.txt): with two and one base
  // executions every row is too few to judge, and has no adjusted p.
  EXPECT_EQ(occurrences(page, ">too few executions</td>"), 7u);
  EXPECT_NE(page.find("<td>execution time</td><td class=\"text\">us</td><td class=\"text verdict-too-few-executions\">"
                      "too few executions</td><td>+18.2%</td><td>+18.6% [+5.7%, +31.4%]</td><td>0.0444</td><td>-</td>"
                      "<td>2</td><td>8</td>"),
            std::string::npos);
  EXPECT_NE(page.find("0 slower</strong>, 0 faster, 0 no change, 7 too few executions, 0 added, 0 removed."),
            std::string::npos);
  // The text form is still the text form.
  const std::string text = tool({"diff", base, next}).out;
  EXPECT_NE(text.find("0 slower, 0 faster, 0 no change, 7 too few executions"), std::string::npos);
}

}  // namespace
}  // namespace vyn::testing
