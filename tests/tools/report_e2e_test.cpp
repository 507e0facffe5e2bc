// `vyn-profile-log report` and `diff --format html`: the pages of the sample
// logs have their sections and charts, fetch nothing, and show hostile names
// from a log as text.
#include <algorithm>
#include <utility>

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
  EXPECT_NE(icicle.find("<title>Layer conv1\nper execution: mean 390 us \xC2\xB7 p99 399.8 us \xC2\xB7 27.9% of "
                        "the execution time</title>"),
            std::string::npos)
      << icicle;
  EXPECT_NE(icicle.find("<title>Layer fc\nper execution: mean 245 us"), std::string::npos);
  EXPECT_NE(icicle.find("<title>execution\nper execution: mean 1400 us"), std::string::npos);
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

TEST_F(ReportTest, GraphsComeByTotalExecutionTimeLargestFirst) {
  // The log runs mobilenet first, but yolo's 8 executions add up to 20010 us and
  // mobilenet's to 13250 us.
  const ToolRun report = tool({"report", stage("two-graphs-slower"), "-o", "report.html"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string page = scratch("report.html");
  EXPECT_NE(page.find("<section class=\"graph\" id=\"graph-1\">\n<h2 class=\"cut\" title=\"yolo\">Graph yolo</h2>"),
            std::string::npos);
  EXPECT_NE(page.find("<section class=\"graph\" id=\"graph-2\">\n<h2 class=\"cut\" title=\"mobilenet\">"),
            std::string::npos);
  const std::string summary = element(page, "<table class=\"summary\">", "</table>");
  const std::size_t yolo = summary.find("<tr><td><span class=\"fit\"><a href=\"#graph-1\"><span class=\"cut\" "
                                        "title=\"yolo\">yolo</span></a></span></td><td>8</td><td>20010</td>");
  const std::size_t mobilenet =
      summary.find("<tr><td><span class=\"fit\"><a href=\"#graph-2\"><span class=\"cut\" title=\"mobilenet\">"
                   "mobilenet</span></a></span></td><td>8</td><td>13250</td>");
  ASSERT_NE(yolo, std::string::npos) << summary;
  EXPECT_GT(mobilenet, yolo);
  EXPECT_EQ(page.find("Charts for the"), std::string::npos);  // every graph is charted
}

TEST_F(ReportTest, OnlyTheHundredLargestGraphsGetChartsAndThePageSaysSo) {
  ASSERT_EQ(tool({"synth", "--graphs", "103", "--executions", "2", "--events", "2", "-o", "many.log"}).exitCode, 0);
  const ToolRun report = tool({"report", "many.log", "-o", "many.html"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string page = scratch("many.html");
  EXPECT_EQ(occurrences(page, "<section class=\"graph\""), 100u);
  EXPECT_EQ(occurrences(page, "<svg class=\"chart "), 300u);
  EXPECT_NE(page.find("<p class=\"note limit\">Charts for the 100 graphs with the largest total execution time; 3 "
                      "more are in the table without charts (--graph NAME charts any graph).</p>"),
            std::string::npos);
  // Every graph has a row: the 100 charted ones link to their charts, the other 3
  // are under a closed disclosure.
  EXPECT_EQ(occurrences(page, "<table class=\"summary\">"), 2u);
  EXPECT_EQ(occurrences(page, "<tr><td><span class=\"fit\"><a href=\"#graph-"), 100u);
  const std::string more = element(page, "<details class=\"more\">", "</details>");
  EXPECT_NE(more.find("<summary>3 more graphs, without charts</summary>"), std::string::npos);
  EXPECT_EQ(occurrences(more, "<tr><td><span class=\"fit\"><span class=\"cut\""), 3u);

  // The sections and the rows after them come in the order of the graphs' totals.
  const Json stats = Json::parse(tool({"stats", "many.log", "--format", "json"}).out);
  std::vector<std::pair<double, std::string>> totals;
  for (const Json& graph : stats.at("graphs")) {
    totals.emplace_back(graph.at("execution_time").at("total").get<double>(), graph.at("name").get<std::string>());
  }
  std::stable_sort(totals.begin(), totals.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::size_t lastSection = 0;
  std::size_t lastRow = 0;
  for (std::size_t rank = 0; rank < totals.size(); ++rank) {
    const std::string& name = totals[rank].second;
    const bool charted = rank < 100;
    const std::string place =
        charted ? "id=\"graph-" + std::to_string(rank + 1) + "\">\n<h2 class=\"cut\" title=\"" + name + "\">"
                : "<tr><td><span class=\"fit\"><span class=\"cut\" title=\"" + name + "\">";
    const std::size_t at = page.find(place);
    ASSERT_NE(at, std::string::npos) << name;
    std::size_t& last = charted ? lastSection : lastRow;
    EXPECT_GT(at, last) << name;
    last = at;
  }
}

TEST_F(ReportTest, LongNamesAreCutWholeOnHoverAndARareSlowExecutionIsMarked) {
  // 1000 executions of a graph with a 300-character name: 999 of 1400 us and one
  // of 140000 us; an event of 66 characters with a sub-event.
  const std::string graph = "resnet_" + std::string(293, 'n');
  const std::string event = "Layer " + std::string(60, 'a');
  std::string json = R"([{"messages": [)";
  for (int i = 0; i < 1000; ++i) {
    const int start = 1000 + i * 200000;
    const int duration = i == 499 ? 140000 : 1400;
    json += std::string(i == 0 ? "" : ",") + R"({"timestamp": )" + std::to_string(start) +
            R"(, "methodType": "Execute", "name": ")" + graph + R"(", "timing": {"start": )" +
            std::to_string(start) + R"(, "end": )" + std::to_string(start + duration) +
            R"(}, "events": [{"name": ")" + event +
            R"(", "identifier": 1, "valueKind": "UInt64", "unsignedValue": 400, "unit": "Microseconds",
              "subEvents": [{"name": "Compute", "identifier": 2, "valueKind": "UInt64", "unsignedValue": 100,
                             "unit": "Microseconds"}]}]})";
  }
  json += "]}]";
  const std::string log = pack("long.log", json);
  const ToolRun report = tool({"report", log, "-o", "long.html"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string page = scratch("long.html");
  // The name in the heading and the table: one line, cut by the page's style, whole in the title.
  EXPECT_NE(page.find("<h2 class=\"cut\" title=\"" + graph + "\">Graph " + graph + "</h2>"), std::string::npos);
  EXPECT_NE(page.find("<a href=\"#graph-1\"><span class=\"cut\" title=\"" + graph + "\">" + graph + "</span></a>"),
            std::string::npos);
  EXPECT_NE(page.find(".cut { display: block; max-width: 24em; overflow: hidden; text-overflow: ellipsis; "
                      "white-space: nowrap;"),
            std::string::npos);
  // The sub-event's path keeps its last name: 66 + 3 + 7 characters cut to 32, the
  // long name to 22; each name in a box of its own, cut again if the column is narrow.
  EXPECT_NE(page.find("<td><span class=\"fit\"><span class=\"cut path\" title=\"" + event +
                      " / Compute\"><span>Layer " + std::string(15, 'a') +
                      "\xE2\x80\xA6</span><span class=\"sep\"> / </span><span>Compute</span></span></span></td>"),
            std::string::npos);
  // 40 bins of 3465 us from 1400 to 140000: the slow execution alone in the last,
  // 0.17 px high on a count axis to 1000, so it gets a mark.
  const std::string histogram = element(page, "<svg class=\"chart histogram\"", "</svg>");
  EXPECT_EQ(occurrences(histogram, "<path class=\"rare\""), 1u);
  EXPECT_NE(histogram.find("<title>136535 to 140000 us: 1 execution</title></path>"), std::string::npos);
  // p50 and p99 are both 1400 us, on the y axis (x = 72): their labels start right of
  // it, the p99 one a row higher.
  EXPECT_NE(histogram.find("<text class=\"marker-label\" x=\"76\" y=\"27\"><tspan font-weight=\"bold\" "
                           "fill=\"#E69F00\">p50</tspan> 1400 us</text>"),
            std::string::npos)
      << histogram;
  EXPECT_NE(histogram.find("<text class=\"marker-label\" x=\"76\" y=\"13\"><tspan font-weight=\"bold\" "
                           "fill=\"#D55E00\">p99</tspan> 1400 us</text>"),
            std::string::npos);
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

// graph_1's Layer 2, and the time below it, 50% slower in the new log: Layer 2
// and its Compute change; the execution grows by under the 5% threshold.
TEST_F(ReportTest, DiffPageOpensWithWhatChangedThenGraphsByTotal) {
  ASSERT_EQ(tool({"synth", "--graphs", "3", "--executions", "40", "--seed", "1", "-o", "base.log"}).exitCode, 0);
  ASSERT_EQ(tool({"synth", "--graphs", "3", "--executions", "40", "--seed", "2", "--shift", "graph_1/Layer 2=+50%",
                  "-o", "new.log"})
                .exitCode,
            0);
  const ToolRun diff = tool({"diff", "base.log", "new.log", "--format", "html", "-o", "diff.html"});
  EXPECT_EQ(diff.exitCode, 3) << diff.err;
  const std::string page = scratch("diff.html");
  expectSelfContained(page);
  const std::string changes = element(page, "<section class=\"changes\">", "</section>");
  const std::size_t slower = occurrences(changes, ">slower</td>");
  EXPECT_EQ(slower, 2u);
  EXPECT_EQ(occurrences(changes, "<tr><td>"), slower);
  EXPECT_EQ(occurrences(changes, "title=\"graph_1\""), slower);
  EXPECT_NE(changes.find("title=\"Layer 2\""), std::string::npos);
  EXPECT_NE(changes.find("title=\"Layer 2 / Compute\""), std::string::npos);
  EXPECT_NE(changes.find("the smallest adjusted p first, then the largest change."), std::string::npos);
  EXPECT_NE(page.find("<p class=\"counts\"><strong>" + std::to_string(slower) + " slower</strong>, 0 faster, "),
            std::string::npos);
  // Then a section per graph, each with both distributions and its rows.
  EXPECT_LT(page.find("<section class=\"changes\">"), page.find("<section class=\"graph\""));
  EXPECT_EQ(occurrences(page, "<section class=\"graph\""), 3u);
  EXPECT_EQ(occurrences(page, "<svg class=\"chart histogram base\""), 3u);
  EXPECT_EQ(page.find("Charts for the"), std::string::npos);
}

// The sample logs hold two and one base executions per graph: every row is too
// few to judge, has no adjusted p, and the page says that nothing changed.
TEST_F(ReportTest, DiffPageOfFewExecutionsJudgesNothing) {
  const std::string base = stage("two-graphs");
  const std::string next = stage("two-graphs-slower");
  const ToolRun diff = tool({"diff", base, next, "--format", "html", "-o", "diff.html"});
  EXPECT_EQ(diff.exitCode, 0) << diff.err;
  const std::string page = scratch("diff.html");
  expectSelfContained(page);
  EXPECT_NE(page.find("<h2>What changed</h2>\n<p>No row got slower or faster.</p>"), std::string::npos);
  // yolo's larger total (20010 us in the new log) puts it first; mobilenet is graph 2.
  EXPECT_NE(page.find("id=\"graph-1\">\n<h2 class=\"cut\" title=\"yolo\">Graph yolo</h2>"), std::string::npos);
  EXPECT_NE(page.find("id=\"graph-2\">\n<h2 class=\"cut\" title=\"mobilenet\">Graph mobilenet</h2>"),
            std::string::npos);
  EXPECT_EQ(occurrences(page, ">too few executions</td>"), 7u);
  const std::string arrow = " \xE2\x86\x92 ";
  EXPECT_NE(page.find("<tr><td class=\"text\">execution time</td><td class=\"text\">us</td><td class=\"text "
                      "verdict-too-few-executions\">too few executions</td><td>+18.2%</td><td>+18.6% [+5.6%, "
                      "+31.5%]</td><td>0.0444</td><td>-</td><td>2" + arrow + "8</td><td>1400" + arrow + "1655</td>"),
            std::string::npos);
  EXPECT_NE(page.find("0 slower</strong>, 0 faster, 0 no change, 7 too few executions, 0 added, 0 removed."),
            std::string::npos);
  // The text form is still the text form.
  const std::string text = tool({"diff", base, next}).out;
  EXPECT_NE(text.find("0 slower, 0 faster, 0 no change, 7 too few executions"), std::string::npos);
}

TEST_F(ReportTest, DiffPageChartsTheHundredGraphsWithTheLargestTotals) {
  for (const char* seed : {"1", "2"}) {
    ASSERT_EQ(tool({"synth", "--graphs", "2000", "--executions", "3", "--events", "2", "--seed", seed, "-o",
                    std::string("many-") + seed + ".log"})
                  .exitCode,
              0);
  }
  const ToolRun diff = tool({"diff", "many-1.log", "many-2.log", "--format", "html", "-o", "diff.html"});
  ASSERT_EQ(diff.exitCode, 0) << diff.err;
  const std::string page = scratch("diff.html");
  expectSelfContained(page);
  // Three executions a side: the exact p is never below 2/20, so nothing changed.
  EXPECT_NE(page.find("<h2>What changed</h2>\n<p>No row got slower or faster.</p>"), std::string::npos);
  EXPECT_EQ(occurrences(page, "<section class=\"graph\""), 100u);
  EXPECT_EQ(occurrences(page, "<svg class=\"chart "), 200u);
  EXPECT_NE(page.find("Charts for the 100 graphs with the largest total execution time; 1,900 more are at the end "
                      "of the page, with their execution time only."),
            std::string::npos);
  const std::string others = element(page, "<section class=\"others\">", "</section>");
  EXPECT_NE(others.find("<summary>1,900 more graphs, by total execution time"), std::string::npos);
  EXPECT_EQ(occurrences(others, "<tr><td><span class=\"fit\"><span class=\"cut\""), 1900u);
  // A few hundred bytes a graph beyond the charted ones, not two charts each.
  EXPECT_LT(page.size(), 2u * 1024 * 1024);

  // The sections come in the order of the larger of each graph's two totals.
  const Json json = Json::parse(tool({"diff", "many-1.log", "many-2.log", "--format", "json"}).out);
  std::vector<std::pair<double, std::string>> totals;
  for (const Json& graph : json.at("graphs")) {
    const Json& execution = graph.at("rows").at(0);
    double larger = 0;
    for (const char* side : {"base", "new"}) {
      if (!execution.contains(side) || execution.at(side).is_null()) continue;
      const Json& figures = execution.at(side);
      larger = std::max(larger, figures.at("count").get<double>() * figures.at("mean").get<double>());
    }
    totals.emplace_back(larger, graph.at("name").get<std::string>());
  }
  std::stable_sort(totals.begin(), totals.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  std::size_t last = 0;
  for (std::size_t rank = 0; rank < 100; ++rank) {
    const std::size_t at = page.find("id=\"graph-" + std::to_string(rank + 1) + "\">\n<h2 class=\"cut\" title=\"" +
                                     totals[rank].second + "\">");
    ASSERT_NE(at, std::string::npos) << totals[rank].second;
    EXPECT_GT(at, last);
    last = at;
  }
}

TEST_F(ReportTest, DiffPageShowsHostileNamesAsText) {
  const std::string log = pack("hostile.log", R"json([{"messages": [
      {"timestamp": 1000, "methodType": "Execute", "name": "<script>alert(1)</script>",
       "timing": {"start": 1000, "end": 1500},
       "events": [{"name": "\"onload=alert(1)", "identifier": 1, "valueKind": "UInt64", "unsignedValue": 200,
                   "unit": "Microseconds"}]}]}])json");
  const ToolRun diff = tool({"diff", log, log, "--format", "html", "-o", "diff.html"});
  ASSERT_EQ(diff.exitCode, 0) << diff.err;
  const std::string page = scratch("diff.html");
  expectSelfContained(page);
  EXPECT_EQ(page.find("\"onload"), std::string::npos);
  EXPECT_NE(page.find("<h2 class=\"cut\" title=\"&lt;script&gt;alert(1)&lt;/script&gt;\">Graph &lt;script&gt;"
                      "alert(1)&lt;/script&gt;</h2>"),
            std::string::npos);
  EXPECT_NE(page.find("<span class=\"cut path\" title=\"&quot;onload=alert(1)\"><span>&quot;onload=alert(1)</span>"),
            std::string::npos);
}

}  // namespace
}  // namespace vyn::testing
