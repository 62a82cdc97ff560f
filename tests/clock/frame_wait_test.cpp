// The frame wait against a scripted clock: fresh frames, the silent 3000 ms
// time-out with 5 ms polls, and a tick that wraps around during the wait.
#include <gtest/gtest.h>

#include "capture/frame_wait.h"
#include "fake_clock.h"
#include "sdk/delegate.h"

namespace {

struct WaitCase {
  const char* name;
  uint32_t start;
  std::vector<uint32_t> frameAt;  // relative to start
  bool frameBefore;               // a frame already counted before the wait
  bool expectFrame;
  size_t expectSleeps;
};

class FrameWait : public testing::TestWithParam<WaitCase> {};

TEST_P(FrameWait, EndsOnAFreshFrameOrAfter3000ms) {
  const WaitCase& c = GetParam();
  g_clock = FakeClock{};
  g_clock.now = c.start;
  for (uint32_t t : c.frameAt) g_clock.frameAt.push_back(c.start + t);
  const int32_t last = frameCount();
  if (c.frameBefore) onIR(nullptr, 0, 0, 0);

  EXPECT_EQ(waitForFrame(last), c.expectFrame);
  EXPECT_EQ(g_clock.sleeps.size(), c.expectSleeps);
  for (uint32_t s : g_clock.sleeps) EXPECT_EQ(s, 5u);
}

// 3000 ms pass after 600 polls of 5 ms: the check "above 2999" comes before
// each sleep, so the wait sleeps exactly 600 times.
INSTANTIATE_TEST_SUITE_P(
    Cases, FrameWait,
    testing::Values(WaitCase{"frame_already_counted", 1000, {}, true, true, 0},
                    WaitCase{"frame_after_12ms", 1000, {12}, false, true, 3},
                    WaitCase{"no_frame_times_out", 1000, {}, false, false, 600},
                    WaitCase{"frame_at_2999ms", 0, {2999}, false, true, 600},
                    WaitCase{"tick_wraps_during_wait", 0xFFFFFF00u, {}, false, false, 600},
                    WaitCase{"tick_wraps_then_frame", 0xFFFFFFF0u, {100}, false, true, 20}),
    [](const testing::TestParamInfo<WaitCase>& info) { return std::string(info.param.name); });

}  // namespace
