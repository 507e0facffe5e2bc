// `vyn-profile-log report` and `diff --format html`: the pages have their
// sections and charts, order the graphs by total execution time and chart at
// most 100 and fetch nothing. Hostile names on the pages:
// hostile_names_e2e_test.cpp; long names cut: html_layout_test.cpp and the
// browser tests.
#include <utility>

#include "tools/tool_runner.h"

namespace vyn::testing {
namespace {

constexpr auto npos = std::string::npos;

std::size_t occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// The text of the first element that starts with opening, up to its closing tag.
std::string element(const std::string& page, const std::string& opening, const std::string& closing) {
  const std::size_t start = page.find(opening);
  return start == npos ? "" : page.substr(start, page.find(closing, start) + closing.size() - start);
}

void expectSelfContained(const std::string& page) {
  EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
  EXPECT_NE(page.find("</html>"), npos);
  for (const char* fetch : {"http://", "https://", "src=", "<link", "<script", "@import", "url("}) {
    EXPECT_EQ(page.find(fetch), npos) << fetch;
  }
}

std::string section(std::size_t rank, const std::string& name) {
  return "id=\"graph-" + std::to_string(rank) + "\">\n<h2 class=\"cut\" title=\"" + name + "\">";
}

class ReportTest : public ToolTest {};

TEST_F(ReportTest, EverySampleLogGetsASummaryAndThreeChartsPerGraphLargestTotalFirst) {
  // two-graphs-slower runs mobilenet first, but yolo's 8 executions add up to
  // 20010 us and mobilenet's to 13250.
  const struct {
    const char* sample;
    std::size_t graphs;
    const char* first;
  } cases[] = {{"two-graphs", 2, "mobilenet"},
               {"round-trip", 1, "detector"},
               {"updater", 0, ""},
               {"two-graphs-slower", 2, "yolo"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sample);
    const ToolRun report = tool({"report", stage(c.sample), "-o", "report.html"});
    ASSERT_EQ(report.exitCode, 0) << report.err;
    EXPECT_EQ(report.out + report.err, "");
    const std::string page = scratch("report.html");
    expectSelfContained(page);
    EXPECT_EQ(page.find("<p>No executions.</p>") != npos, c.graphs == 0);
    EXPECT_EQ(occurrences(page, "<table class=\"summary\">"), c.graphs == 0 ? 0u : 1u);
    EXPECT_EQ(occurrences(page, "<section class=\"graph\" id=\"graph-"), c.graphs);
    for (const char* chart : {"timeline", "histogram", "icicle"}) {
      EXPECT_EQ(occurrences(page, "<svg class=\"chart " + std::string(chart) + "\""), c.graphs) << chart;
    }
    if (c.graphs != 0) {
      EXPECT_NE(page.find(section(1, c.first)), npos);
    }
  }
}

TEST_F(ReportTest, ALongRunIsDrawnAsAnEnvelopeThatStaysSmall) {
  ASSERT_EQ(tool({"synth", "--graphs", "2", "--executions", "20000", "--events", "3", "-o", "long.log"}).exitCode, 0);
  const ToolRun report = tool({"report", "long.log", "-o", "long.html", "--skip-first", "10", "--unit", "ms"});
  ASSERT_EQ(report.exitCode, 0) << report.err;
  const std::string page = scratch("long.html");
  EXPECT_LT(page.size(), 300u * 1024);
  EXPECT_EQ(occurrences(page, "<path class=\"series envelope\""), 2u);
  EXPECT_EQ(page.find("<circle"), npos);
  EXPECT_EQ(occurrences(page, "execution time (ms)</text>"), 4u);  // the timeline's y axis, the histogram's x
  EXPECT_NE(page.find("the first 10 executions of each graph left out"), npos);
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
            npos);
  // The 100 charted graphs' rows link to their charts; the other 3 are under a closed disclosure.
  EXPECT_EQ(occurrences(page, "<tr><td><span class=\"fit\"><a href=\"#graph-"), 100u);
  const std::string more = element(page, "<details class=\"more\">", "</details>");
  EXPECT_NE(more.find("<summary>3 more graphs, without charts</summary>"), npos);
  EXPECT_EQ(occurrences(more, "<tr><td><span class=\"fit\"><span class=\"cut\""), 3u);
}

TEST_F(ReportTest, RefusesUnknownGraphsMissingOutputsAndWritingOverTheLog) {
  const std::string log = stage("two-graphs");
  const ToolRun unknown = tool({"report", log, "-o", "report.html", "--graph", "resnet"});
  EXPECT_EQ(unknown.exitCode, 1);
  EXPECT_EQ(unknown.err,
            "vyn-profile-log: two-graphs.log: no graph named 'resnet' (graphs executed: mobilenet, yolo)\n");
  const std::string before = scratch(log);
  EXPECT_EQ(tool({"report", log, "-o", log}).exitCode, 1);
  EXPECT_EQ(scratch(log), before);
  EXPECT_EQ(scratchNames(), std::vector<std::string>{log});
}

// graph_1's Layer 2 and graph_0's Layer 3, and the time below each, 50% and 20%
// slower in the new log. Every one of the four rows is wholly separated, so
// each pair's adjusted p is the same (Holm's step-down) and graph_1's smaller
// (the larger shift): graph_1's rows first, then within each pair the larger
// change first, which puts graph_0's Layer 3 (+20.8%) before its Compute (+19.7%).
TEST_F(ReportTest, DiffPageOpensWithWhatChangedMostSignificantFirst) {
  ASSERT_EQ(tool({"synth", "--graphs", "3", "--executions", "40", "--seed", "1", "-o", "base.log"}).exitCode, 0);
  ASSERT_EQ(tool({"synth", "--graphs", "3", "--executions", "40", "--seed", "2", "--shift", "graph_1/Layer 2=+50%",
                  "--shift", "graph_0/Layer 3=+20%", "-o", "new.log"})
                .exitCode,
            0);
  const ToolRun diff = tool({"diff", "base.log", "new.log", "--format", "html", "-o", "diff.html"});
  EXPECT_EQ(diff.exitCode, 3) << diff.err;
  const std::string page = scratch("diff.html");
  expectSelfContained(page);
  const std::string changes = element(page, "<section class=\"changes\">", "</section>");
  std::vector<std::string> titles;
  for (std::size_t at = changes.find("title=\""); at != npos; at = changes.find("title=\"", at + 1)) {
    titles.push_back(changes.substr(at + 7, changes.find('"', at + 7) - at - 7));
  }
  EXPECT_EQ(titles, (std::vector<std::string>{"graph_1", "Layer 2", "graph_1", "Layer 2 / Compute", "graph_0",
                                              "Layer 3", "graph_0", "Layer 3 / Compute"}));
  EXPECT_EQ(occurrences(changes, ">slower</td>"), 4u);
  EXPECT_NE(page.find("<p class=\"counts\"><strong>4 slower</strong>, 0 faster, "), npos);
  EXPECT_EQ(occurrences(page, "<svg class=\"chart histogram base\""), 3u);  // a chart per graph
}

}  // namespace
}  // namespace vyn::testing
