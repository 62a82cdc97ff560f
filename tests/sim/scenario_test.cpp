// The scenario reader: named scenarios, key=value files with comments and
// overrides, and what happens with names and keys it does not know.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "scenario.h"
#include "sim_harness.h"

TEST(ScenarioText, FileOverridesItsBaseScenario) {
  Scenario s;
  char bad[64];
  const int failures = applyScenarioText(s,
                                         "# a camera that stalls early\n"
                                         "scenario = stopframes\n"
                                         "frames_stop_after=5   # instead of 30\r\n"
                                         "\n"
                                         "nsegs=0x80000001\n"
                                         "pointers=slot5\n",
                                         bad, sizeof bad);
  EXPECT_EQ(failures, 0);
  EXPECT_STREQ(s.name, "stopframes");
  EXPECT_EQ(s.framesStopAfter, 5);
  EXPECT_EQ(s.nsegs, 0x80000001u);
  EXPECT_EQ(s.pointers, PointerMode::slot5);
  EXPECT_EQ(s.width, 320);
}

TEST(ScenarioText, ScenarioLineResetsEarlierKeys) {
  Scenario s;
  applyScenarioText(s, "width=77\nscenario=geom160\n");
  EXPECT_EQ(s.width, 160);
  EXPECT_EQ(s.height, 120);
}

TEST(ScenarioText, ReportsUnknownKeysAndBadValuesAndGoesOn) {
  Scenario s;
  char bad[64];
  EXPECT_EQ(applyScenarioText(s, "colour=red\nwidth=wide\nbar=sideways\nheight=100\nnonsense\n", bad, sizeof bad), 4);
  EXPECT_STREQ(bad, "colour,width,bar,nonsense");
  EXPECT_EQ(s.width, 320);
  EXPECT_EQ(s.height, 100);
}

TEST(ScenarioText, EveryNamedScenarioIsDistinctAndLoads) {
  std::set<std::string> names;
  for (int i = 0; i < scenarioCount(); ++i) {
    Scenario s;
    ASSERT_TRUE(namedScenario(s, scenarioName(i)));
    EXPECT_STREQ(s.name, scenarioName(i));
    names.insert(scenarioName(i));
  }
  EXPECT_EQ(names.size(), static_cast<size_t>(scenarioCount()));
  Scenario s;
  EXPECT_FALSE(namedScenario(s, "no-such-scenario"));
}

TEST(ScenarioChoice, LoggedAtFirstUseAndUnknownFallsBackToDefault) {
  useScenario("geom160");
  sim().SetUnitMode(0);
  EXPECT_EQ(logLines().at(0), "0 scenario(geom160)");

  useScenario("no-such-scenario");
  sim().SetUnitMode(0);
  const auto calls = logCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "scenario(default)");
  EXPECT_EQ(calls[1], "unknown_scenario(no-such-scenario)");
  EXPECT_EQ(calls[2], "SetUnitMode(0)");
  EXPECT_EQ(peek<int32_t>(discover().dev + 0xaf4), 320);
}

TEST(ScenarioChoice, FileNamesItsKeysInTheLog) {
  useScenario("scenario=geom161\nwidth=200\nfoo=1\n");
  sim().SetUnitMode(0);
  const auto calls = logCalls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "scenario(geom161)");
  EXPECT_EQ(calls[2], "unknown_keys(foo)");
  const Discovery d = discover();
  EXPECT_EQ(peek<int32_t>(d.dev + 0xaf4), 200);
  EXPECT_EQ(peek<int32_t>(d.dev + 0xaf8), 121);
}
