// End-to-end: loading and binding the SDK, and camera start-up up to the
// capture loop, against the simulated SDK.
#include <gtest/gtest.h>

#include <regex>

#include "harness.h"

namespace {

const std::string kNull = "0000000000000000";
const std::regex kAddr("[0-9a-f]{16}");

std::vector<std::string> tokens(const std::string& line) {
  std::vector<std::string> out;
  std::stringstream ss(line);
  std::string t;
  while (ss >> t) out.push_back(t);
  return out;
}

bool isAddress(const std::string& s) { return std::regex_match(s, kAddr); }
bool isLiveAddress(const std::string& s) { return isAddress(s) && s != kNull; }

// Value after "name=" in a token list.
std::string field(const std::string& line, const std::string& name) {
  for (const auto& t : tokens(line))
    if (t.rfind(name + "=", 0) == 0) return t.substr(name.size() + 1);
  return "";
}

TEST(Binding, NoSdkOnTheSearchPath) {
  ToolResult r = runTool("", "default", {});
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(r.lines.size(), 1u) << r.stdoutText;
  EXPECT_EQ(r.lines[0], "T=" + kNull + " C=" + kNull);
  EXPECT_TRUE(r.calls.empty());
}

TEST(Binding, OnlyThermalSdkPresent) {
  ToolResult r = runTool("thermalonly", "default", {});
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(r.lines.size(), 1u) << r.stdoutText;
  EXPECT_TRUE(isLiveAddress(field(r.lines[0], "T"))) << r.lines[0];
  EXPECT_EQ(field(r.lines[0], "C"), kNull);
}

TEST(Binding, MissingFrameDelegateEntryPoint) {
  ToolResult r = runTool("nodelegate", "default", {});
  EXPECT_EQ(r.exitCode, 2);
  ASSERT_EQ(r.lines.size(), 3u) << r.stdoutText;
  EXPECT_TRUE(isLiveAddress(field(r.lines[0], "T")));
  EXPECT_TRUE(isLiveAddress(field(r.lines[0], "C")));
  const auto t = tokens(r.lines[1]);
  const char* names[] = {"Start", "TempPoint", "Gray", "RGB", "TempRaw", "Bar"};
  ASSERT_EQ(t.size(), 6u) << r.lines[1];
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(t[i].substr(0, t[i].find('=')), names[i]);
    EXPECT_TRUE(isLiveAddress(field(r.lines[1], names[i]))) << r.lines[1];
  }
  EXPECT_EQ(r.lines[2], "missing export");
  for (const auto& name : callNames(r)) EXPECT_NE(name, "Start");
}

// The start-up lines in order, for a run with no pairs.
TEST(Startup, LinesInOrderThenAnalysisAndDone) {
  ToolResult r = runTool("default", "default", {"out", "0", "0", "31.5", "40", "35.26"});
  ASSERT_EQ(r.exitCode, 0) << r.stdoutText;
  const auto& L = r.lines;
  ASSERT_GE(L.size(), 24u) << r.stdoutText;
  EXPECT_EQ(L[0].rfind("T=", 0), 0u);
  EXPECT_EQ(L[1].rfind("Start=", 0), 0u);
  EXPECT_EQ(L[2], "SetTempBoundary(31.5, 40.0, 35.3)");
  EXPECT_EQ(L[3], "Start()...");
  EXPECT_EQ(L[4], "Start=1");
  EXPECT_EQ(L[5], "warming 0 ms...");
  EXPECT_TRUE(std::regex_match(L[6], std::regex("chan 0: rc=1 gray=[0-9a-f]{16} hdr=[0-9a-f]{16}"))) << L[6];
  EXPECT_TRUE(std::regex_match(L[7], std::regex("dev=[0-9a-f]{16} w=320 h=240 graybuf=[0-9a-f]{16} rawp=[0-9a-f]{16}")))
      << L[7];
  for (int i = 0; i < 15; ++i) {
    char expect[32];
    snprintf(expect, sizeof expect, "  dev+0x%03x = ", 0x240 + 8 * i);
    EXPECT_EQ(L[8 + i].rfind(expect, 0), 0u) << L[8 + i];
    EXPECT_TRUE(isAddress(L[8 + i].substr(strlen(expect))));
  }
  // dev+0x270 is rawp.
  EXPECT_EQ(L[8 + 6].substr(14), field(L[7], "rawp"));
  EXPECT_EQ(L[23], "capturing 0 pairs (disp 320x240, sensor 160x120)...");
  EXPECT_TRUE(std::regex_match(L[24], std::regex("TriggerFFC=[0-9a-f]{16}")));
  EXPECT_EQ(L[25].rfind("raw160: ", 0), 0u);
  EXPECT_EQ(L.back(), "done");
  // dev = hdr - 0xaf0
  const uint64_t hdr = std::stoull(field(L[6], "hdr"), nullptr, 16);
  EXPECT_EQ(std::stoull(field(L[7], "dev"), nullptr, 16), hdr - 0xaf0);
  EXPECT_TRUE(listFiles(r.workDir + "/out").empty());

  const auto calls = callNames(r);
  std::vector<std::string> order;
  for (const auto& c : calls)
    if (c == "SetUnitMode" || c == "SetTempBoundary" || c == "SetNewIRFrameDelegate" || c == "Start" || c == "Stop")
      order.push_back(c);
  EXPECT_EQ(order, (std::vector<std::string>{"SetUnitMode", "SetTempBoundary", "SetNewIRFrameDelegate", "Start", "Stop"}));
  bool boundary = false;
  for (const auto& c : r.calls) boundary |= c.find("SetTempBoundary(31.5,40.0,35.3") != std::string::npos;
  EXPECT_TRUE(boundary);
}

// Standard output is buffered between the report's flush points: while the
// tool warms up, the lines up to "warming" have reached it, and nothing after.
TEST(Startup, LinesReachTheConsoleAtTheirFlushPoints) {
  ToolRun run;
  run.args = {"out", "0", "3000"};
  run.peekFor = "warming ";
  ToolResult r = runTool(run);
  ASSERT_EQ(r.exitCode, 0) << r.stdoutText;
  ASSERT_FALSE(r.peek.empty());
  EXPECT_EQ(r.peek.back(), "warming 3000 ms...");
  EXPECT_EQ(r.peek.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(r.lines.begin(), r.lines.begin() + 6), r.peek);
}

TEST(Startup, ChannelTwoAfterTwoFailingChannels) {
  ToolResult r = runTool("default", "channel2", {"out", "0", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.stdoutText;
  int c0 = findLine(r.lines, "chan 0: ");
  ASSERT_GE(c0, 0);
  EXPECT_TRUE(std::regex_match(r.lines[c0], std::regex("chan 0: rc=0 gray=.{16} hdr=.{16}"))) << r.lines[c0];
  EXPECT_TRUE(std::regex_match(r.lines[c0 + 1], std::regex("chan 1: rc=1 gray=[0-9a-f]{16} hdr=.{16}")));
  EXPECT_TRUE(std::regex_match(r.lines[c0 + 2], std::regex("chan 2: rc=1 gray=[0-9a-f]{16} hdr=[0-9a-f]{16}")));
  EXPECT_EQ(r.lines[c0 + 3].rfind("dev=", 0), 0u);
  EXPECT_EQ(countLines(r.lines, "chan "), 3);
}

TEST(Startup, NoChannelStopsAndExits3) {
  ToolResult r = runTool("default", "nocamera", {"out", "3", "0"});
  EXPECT_EQ(r.exitCode, 3);
  ASSERT_GE(r.lines.size(), 9u);
  EXPECT_EQ(countLines(r.lines, "chan "), 8);
  EXPECT_EQ(r.lines.back(), "no channel");
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(r.lines[r.lines.size() - 9 + i], "chan " + std::to_string(i) + ": rc=0 gray=" + kNull + " hdr=" + kNull);
  const auto calls = callNames(r);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "Stop");
}

TEST(Startup, GeometryFallbackAndStartResultLowByte) {
  const struct {
    const char* scenario;
    const char* capturing;
  } cases[] = {{"geom1001", "capturing 0 pairs (disp 160x120, sensor 80x60)..."},
               {"geom320x0", "capturing 0 pairs (disp 160x120, sensor 80x60)..."},
               {"geom161", "capturing 0 pairs (disp 161x121, sensor 80x60)..."},
               {"geom1wide", "capturing 0 pairs (disp 1x240, sensor 0x120)..."}};
  for (const auto& c : cases) {
    ToolResult r = runTool("default", c.scenario, {"out", "0", "0"});
    EXPECT_EQ(r.exitCode, 0) << c.scenario << "\n" << r.stdoutText;
    EXPECT_GE(findLine(r.lines, c.capturing), 0) << c.scenario << "\n" << r.stdoutText;
    EXPECT_EQ(r.lines.back(), "done") << c.scenario;
  }
  ToolResult r = runTool("default", "start1ff", {"out", "0", "0"});
  EXPECT_GE(findLine(r.lines, "Start=255"), 0) << r.stdoutText;
}

}  // namespace
