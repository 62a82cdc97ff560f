// Capture rules: the geometry fallback and the flat-field-correction schedule.
#include <gtest/gtest.h>

#include <vector>

#include "capture/geometry.h"
#include "capture/loop.h"

namespace {

TEST(Geometry, AcceptsOneToThousandElseFallsBack) {
  const struct {
    int32_t w, h;
    Geometry expect;
  } cases[] = {
      {320, 240, {320, 240, 160, 120}}, {1000, 1000, {1000, 1000, 500, 500}}, {1001, 240, {160, 120, 80, 60}},
      {320, 0, {160, 120, 80, 60}},     {320, -240, {160, 120, 80, 60}},      {0, 0, {160, 120, 80, 60}},
      {1, 240, {1, 240, 0, 120}},       {321, 241, {321, 241, 160, 120}},     {161, 121, {161, 121, 80, 60}},
      {-2147483647 - 1, 5, {160, 120, 80, 60}},
  };
  for (const auto& c : cases) {
    Geometry g = settleGeometry(c.w, c.h);
    EXPECT_EQ(g.dispW, c.expect.dispW) << c.w << "x" << c.h;
    EXPECT_EQ(g.dispH, c.expect.dispH) << c.w << "x" << c.h;
    EXPECT_EQ(g.sensW, c.expect.sensW) << c.w << "x" << c.h;
    EXPECT_EQ(g.sensH, c.expect.sensH) << c.w << "x" << c.h;
  }
}

// Which pairs send FFC on and off, for each pair count.
TEST(FfcSchedule, OnAtAThirdOffAtTwoThirds) {
  const struct {
    int32_t pairs;
    std::vector<int32_t> on, off;
  } cases[] = {{0, {}, {}},       {-3, {}, {}},      {1, {0}, {0}},   {2, {0}, {1}},
               {3, {1}, {2}},     {5, {1}, {3}},     {24, {8}, {16}}, {4, {1}, {2}}};
  for (const auto& c : cases) {
    std::vector<int32_t> on, off;
    for (int32_t i = -1; i <= 30; ++i) {
      if (ffcOnAt(i, c.pairs)) on.push_back(i);
      if (ffcOffAt(i, c.pairs)) off.push_back(i);
    }
    EXPECT_EQ(on, c.on) << "pairs " << c.pairs;
    EXPECT_EQ(off, c.off) << "pairs " << c.pairs;
  }
}

}  // namespace
