// Reading a saved run report: geometry, FFC switches, pair lines, points.
#include <gtest/gtest.h>

#include "run_log.h"

TEST(RunLog, ReadsPairsSwitchesAndPoints) {
  const std::string text =
      "T=0000000000001000 C=0000000000002000\r\n"
      "capturing 3 pairs (disp 320x240, sensor 160x120)...\r\n"
      "TriggerFFC=00007f0000001000\r\n"
      "  nuctab th[0:4]=1,2,3,4 g0[0:4]=1,2,3,4 g1[0:4]=1,2,3,4\r\n"
      "  ptrs418x: 0=00007fe22d06d000 1=0000000000000000 2=1 3=2 4=3 5=4 6=5 7=6 \r\n"
      "  cnt: e0=0 f10=4 globframe=4294967295 ffcstate=0\r\n"
      "  modes: fd8=1 fdc=8 fe0=1 fe4=0 11c=0 refp=0000000000000000 f20p=00007fe22cff6000\r\n"
      "  window hi=9299 lo=8116 span=1183 pixels=19200 comp_off=8052 shift=4 gain=55 sm=8 ref=8600\r\n"
      "[0] frames=1 fcnt=4294967295 rc_rgb=1 rc_temp=0 cb=0x0\r\n"
      "  pt( 80, 60) raw@( 40, 30)= 8242 gray= 37 temp32=         0 tempRaw=22.39 tempArm=31.20\r\n"
      "  pt(155,  5) raw@( 77,  2)=65535 gray=255 temp32=4294967295 tempRaw=nan tempArm=0.00\r\n"
      ">>> TriggerFFC(1)\r\n"
      "  nuctab th[0:4]=1,2,3,4 g0[0:4]=1,2,3,4 g1[0:4]=1,2,3,4\r\n"
      "[1] frames=40 fcnt=5 rc_rgb=1 rc_temp=1 cb=320x240\r\n"
      ">>> TriggerFFC(0)\r\n"
      "[2] frames=41 fcnt=6 rc_rgb=0 rc_temp=1 cb=320x240\r\n"
      "raw160: min=1 max=2 mean=1.5   gray320: min=0 max=255 mean=12.0\r\n"
      "  pt( 80, 60) raw@( 40, 30)= 1 gray= 1 temp32=         0 tempRaw=0.00 tempArm=0.00\r\n"
      "done\r\n";
  std::string error;
  const auto log = irreport::parseRunLog(text, error);
  ASSERT_TRUE(log) << error;
  EXPECT_EQ(log->pairCount, 3);
  EXPECT_EQ(log->dispW, 320);
  EXPECT_EQ(log->sensH, 120);
  EXPECT_TRUE(log->ffcBound);
  ASSERT_EQ(log->pairs.size(), 3u);
  const auto& p0 = log->pairs[0];
  EXPECT_EQ(p0.ffc, -1);
  EXPECT_EQ(p0.fcnt, 4294967295u);
  EXPECT_EQ(p0.rcTemp, 0);
  EXPECT_EQ(p0.cbW, 0);
  ASSERT_TRUE(p0.cnt && p0.window && p0.ptrs && p0.refp);
  EXPECT_EQ((*p0.cnt)[2], 4294967295u);
  EXPECT_EQ((*p0.window)[2], 1183u);
  EXPECT_EQ((*p0.ptrs)[0], 0x7fe22d06d000u);
  EXPECT_EQ((*p0.ptrs)[1], 0u);
  EXPECT_EQ(*p0.refp, 0u);
  ASSERT_EQ(p0.points.size(), 2u);
  EXPECT_EQ(p0.points[1].x, 155);
  EXPECT_EQ(p0.points[1].raw, 65535u);
  EXPECT_EQ(log->pairs[1].ffc, 1);
  EXPECT_EQ(log->pairs[1].frames, 40);
  EXPECT_FALSE(log->pairs[1].cnt);  // each pair's lines stay its own
  EXPECT_EQ(log->pairs[2].ffc, 0);
  EXPECT_TRUE(log->pairs[2].points.empty()) << "the end-of-run lines are not sample points";
}

TEST(RunLog, RejectsTextWithoutCapturingLine) {
  std::string error;
  EXPECT_FALSE(irreport::parseRunLog("T=0000000000000000 C=0000000000000000\r\nno channel\r\n", error));
  EXPECT_EQ(error, "the run never started capturing (its last line: \"no channel\")");
  EXPECT_FALSE(irreport::parseRunLog("hello\n", error));
  EXPECT_NE(error.find("not the standard output"), std::string::npos);
  EXPECT_FALSE(irreport::parseRunLog("capturing 3 pairs (disp 0x240, sensor 0x120)...\n", error));
}
