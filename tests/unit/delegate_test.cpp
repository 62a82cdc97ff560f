// Tests of the frame delegate: which frames it keeps, that every call is
// counted, and that the main thread never sees a torn image while the
// delegate runs on another thread (meaningful under ThreadSanitizer).
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "sdk/delegate.h"

namespace {

// One source frame large enough for the oversize case, refilled per row.
std::vector<unsigned char> g_source(640 * 480 * 3);

TEST(Delegate, KeepsOnlyFramesThatFitAndCountsEveryCall) {
  struct Row {
    const char* what;
    bool nullData;
    int w, h, pixelSize;
    bool kept;
  };
  // Applied in order: each row starts from the state the previous one left.
  const Row rows[] = {
      {"exact 320x240 fill", false, 320, 240, 3, true},
      {"null data", true, 320, 240, 3, false},
      {"width 0", false, 0, 240, 3, false},
      {"height 0", false, 320, 0, 3, false},
      {"negative width", false, -320, 240, 3, false},
      {"negative height", false, 320, -240, 3, false},
      {"both negative", false, -320, -240, 3, false},
      {"pixel size 4", false, 320, 240, 4, false},
      {"pixel size 1", false, 320, 240, 1, false},
      {"oversize 640x480", false, 640, 480, 3, false},
      {"one column too wide", false, 321, 240, 3, false},
      {"product wraps in 32 bits", false, 0x10000, 0x10000, 3, false},
      {"smaller frame overwrites only its prefix", false, 100, 50, 3, true},
      {"oversize after a small frame keeps the small one", false, 640, 480, 3, false},
      {"one row frame", false, 320, 1, 3, true},
  };
  std::vector<unsigned char> before(kCallbackImageBytes);
  int seed = 1;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    for (size_t i = 0; i < g_source.size(); ++i) g_source[i] = static_cast<unsigned char>(i * 31 + seed * 17);
    ++seed;
    int32_t w0 = 0, h0 = 0;
    const size_t had = copyCallbackImage(before.data(), &w0, &h0);
    std::memcpy(before.data(), g_cb, kCallbackImageBytes);  // the whole buffer, not only the last frame
    const int32_t frames0 = frameCount();

    onIR(r.nullData ? nullptr : g_source.data(), r.w, r.h, r.pixelSize);

    EXPECT_EQ(frameCount(), frames0 + 1);
    int32_t w = -1, h = -1;
    std::vector<unsigned char> out(kCallbackImageBytes);
    const size_t got = copyCallbackImage(out.data(), &w, &h);
    if (r.kept) {
      const size_t n = static_cast<size_t>(r.w) * static_cast<size_t>(r.h) * 3;
      EXPECT_EQ(w, r.w);
      EXPECT_EQ(h, r.h);
      EXPECT_EQ(got, n);
      EXPECT_EQ(std::memcmp(g_cb, g_source.data(), n), 0);
      EXPECT_EQ(std::memcmp(g_cb + n, before.data() + n, kCallbackImageBytes - n), 0) << "bytes past the frame changed";
      EXPECT_EQ(std::memcmp(out.data(), g_source.data(), n), 0);
    } else {
      EXPECT_EQ(w, w0);
      EXPECT_EQ(h, h0);
      EXPECT_EQ(got, had);
      EXPECT_EQ(std::memcmp(g_cb, before.data(), kCallbackImageBytes), 0);
    }
    int32_t sw = -1, sh = -1;
    callbackImageSize(&sw, &sh);
    EXPECT_EQ(sw, w);
    EXPECT_EQ(sh, h);
  }
}

// The delegate delivers uniform frames of two sizes from its own thread; the
// main thread's copies must always be one whole frame of one size.
TEST(Delegate, MainThreadNeverSeesATornImage) {
  constexpr int kFrames = 400;
  static std::vector<unsigned char> big(kCallbackImageBytes), small(160 * 120 * 3);
  // Start from a uniform frame so every state the reader can meet is one.
  std::memset(small.data(), 0xee, small.size());
  onIR(small.data(), 160, 120, 3);
  const int32_t start = frameCount();
  std::atomic<bool> done{false};
  std::thread sdk([&] {
    for (int i = 0; i < kFrames; ++i) {
      const bool large = i % 2 == 0;
      std::vector<unsigned char>& frame = large ? big : small;
      std::memset(frame.data(), i & 0xff, frame.size());
      onIR(frame.data(), large ? 320 : 160, large ? 240 : 120, 3);
    }
    done.store(true);
  });
  std::vector<unsigned char> copy(kCallbackImageBytes);
  int torn = 0, sizeMismatch = 0, reads = 0;
  while (!done.load() || reads == 0) {
    int32_t w = 0, h = 0;
    const size_t n = copyCallbackImage(copy.data(), &w, &h);
    ++reads;
    if (n != static_cast<size_t>(w) * static_cast<size_t>(h) * 3) ++sizeMismatch;
    if (!((w == 320 && h == 240) || (w == 160 && h == 120))) ++sizeMismatch;
    for (size_t i = 1; i < n; ++i)
      if (copy[i] != copy[0]) {
        ++torn;
        break;
      }
  }
  sdk.join();
  EXPECT_EQ(frameCount(), start + kFrames);
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(sizeMismatch, 0);
}

}  // namespace
