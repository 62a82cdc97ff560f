// End-to-end: whole runs to "done" — the default run and a run with no pairs.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

// The order of the end-of-run lines after the last pair.
void expectAnalysisTail(const std::vector<std::string>& L, int statsLine) {
  ASSERT_GE(statsLine, 0);
  EXPECT_EQ(L[statsLine].rfind("raw160: min=", 0), 0u) << L[statsLine];
  EXPECT_NE(L[statsLine].find("   gray320: min="), std::string::npos) << L[statsLine];
  EXPECT_EQ(L[statsLine + 1], "gray histogram (nonzero bins):");
  int scan = findLine(L, "struct scan:", statsLine);
  ASSERT_GT(scan, statsLine + 1);
  for (int i = statsLine + 2; i < scan; ++i) EXPECT_EQ(L[i].rfind("  ", 0), 0u) << L[i];
  for (int i = scan + 1; i + 1 < static_cast<int>(L.size()); ++i) EXPECT_EQ(L[i].rfind("  ", 0), 0u) << L[i];
  EXPECT_EQ(L.back(), "done");
}

TEST(Run, DefaultArgumentsCaptureTwentyFourPairs) {
  ToolResult r = runTool("default", "default", {});
  ASSERT_EQ(r.exitCode, 0) << r.stdoutText;
  const auto& L = r.lines;
  EXPECT_GE(findLine(L, "warming 6000 ms..."), 0);
  EXPECT_GE(findLine(L, "SetTempBoundary(30.0, 44.0, 37.0)"), 0);
  EXPECT_GE(findLine(L, "capturing 24 pairs (disp 320x240, sensor 160x120)..."), 0);
  const int on = findLine(L, ">>> TriggerFFC(1)");
  const int off = findLine(L, ">>> TriggerFFC(0)");
  ASSERT_GE(on, 0);
  ASSERT_GE(off, 0);
  EXPECT_LT(findLine(L, "[7] frames="), on);
  EXPECT_GT(findLine(L, "[8] frames="), on);
  EXPECT_LT(findLine(L, "[15] frames="), off);
  EXPECT_GT(findLine(L, "[16] frames="), off);
  EXPECT_EQ(countLines(L, "["), 24);
  EXPECT_EQ(fileSize(r.workDir + "/pair_023.raw"), 38400);
  expectAnalysisTail(L, findLine(L, "raw160: "));
  EXPECT_EQ(callNames(r).back(), "Stop");
}

TEST(Run, NoPairsGoesStraightToTheAnalysis) {
  for (const char* pairs : {"0", "-4", "abc"}) {
    ToolResult r = runTool("default", "default", {"out", pairs, "0"});
    ASSERT_EQ(r.exitCode, 0) << r.stdoutText;
    const int ffc = findLine(r.lines, "TriggerFFC=");
    ASSERT_GE(ffc, 0);
    expectAnalysisTail(r.lines, ffc + 1);
    // Zero-filled buffers: the gray statistics and the single bin of value 0.
    EXPECT_NE(r.lines[ffc + 1].find("gray320: min=0 max=0 mean=0.0"), std::string::npos) << r.lines[ffc + 1];
    EXPECT_EQ(r.lines[ffc + 3], "    0: 76800");
    EXPECT_EQ(countLines(r.lines, ">>>"), 0);
    EXPECT_TRUE(listFiles(r.workDir + "/out").empty());
  }
}

}  // namespace
