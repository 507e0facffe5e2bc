// The options the analysis commands share, read as a user types them: a word
// of a choice becomes the value it names, any other word is refused with the
// choices listed in their order.
#include "log/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vyn::tools {
namespace {

enum class Shade { Light, Dark, Auto };

struct Parsed {
  Shade shade = Shade::Auto;
  TimeUnit unit = TimeUnit::Auto;
  std::string refusal;
};

Parsed parse(std::vector<std::string> args) {
  Parsed parsed;
  CLI::App app;
  addChoice<Shade>(&app, "--shade", parsed.shade, {{"light", Shade::Light}, {"dark", Shade::Dark}}, "shade");
  addTimeUnitOption(&app, parsed.unit, "unit");
  std::reverse(args.begin(), args.end());  // CLI11 takes them last first
  try {
    app.parse(args);
  } catch (const CLI::ParseError& error) {
    parsed.refusal = error.what();
  }
  return parsed;
}

TEST(ChoiceOptionTest, WordsBecomeTheirValuesOthersAreRefusedNamingTheChoices) {
  const struct {
    std::vector<std::string> args;
    Shade shade;
    TimeUnit unit;
    std::string refusal;
  } cases[] = {
      {{}, Shade::Auto, TimeUnit::Auto, ""},
      {{"--shade", "light", "--unit", "ms"}, Shade::Light, TimeUnit::Milli, ""},
      {{"--unit", "s"}, Shade::Auto, TimeUnit::Seconds, ""},
      // The value behind a word is no word of its own.
      {{"--shade", "1"}, Shade::Auto, TimeUnit::Auto, "--shade: 1 not in {light,dark}"},
      {{"--unit", "min"}, Shade::Auto, TimeUnit::Auto, "--unit: min not in {auto,us,ms,s}"},
  };
  for (const auto& c : cases) {
    const Parsed parsed = parse(c.args);
    EXPECT_EQ(parsed.refusal, c.refusal) << ::testing::PrintToString(c.args);
    if (!c.refusal.empty()) continue;
    EXPECT_EQ(parsed.shade, c.shade) << ::testing::PrintToString(c.args);
    EXPECT_EQ(parsed.unit, c.unit) << ::testing::PrintToString(c.args);
  }
}

}  // namespace
}  // namespace vyn::tools
