// Frame statistics and gray histogram: the whole printed text for small
// buffers, including S = 0 and a count wider than its field.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/frame_stats.h"

namespace {

std::string statistics(const std::vector<uint16_t>& raw, const std::vector<unsigned char>& gray) {
  testing::internal::CaptureStdout();
  printFrameStatistics(raw.data(), static_cast<int32_t>(raw.size()), gray.data(), static_cast<int64_t>(gray.size()));
  return testing::internal::GetCapturedStdout();
}

TEST(FrameStatistics, PrintsLineHeadingAndNonEmptyBins) {
  const struct {
    const char* name;
    std::vector<uint16_t> raw;
    std::vector<unsigned char> gray;
    std::string expect;
  } cases[] = {
      {"all zero 320x240", std::vector<uint16_t>(160 * 120, 0), std::vector<unsigned char>(320 * 240, 0),
       "raw160: min=0 max=0 mean=0.0   gray320: min=0 max=0 mean=0.0\n"
       "gray histogram (nonzero bins):\n"
       "    0: 76800\n"},
      {"constant raw 1000, bins ascending", std::vector<uint16_t>(19200, 1000), {200, 3, 7, 3, 1},
       "raw160: min=1000 max=1000 mean=1000.0   gray320: min=1 max=200 mean=42.8\n"
       "gray histogram (nonzero bins):\n"
       "    1:     1\n"
       "    3:     2\n"
       "    7:     1\n"
       "  200:     1\n"},
      {"raw compared unsigned", {40000, 65535, 0}, {255},
       "raw160: min=0 max=65535 mean=35178.3   gray320: min=255 max=255 mean=255.0\n"
       "gray histogram (nonzero bins):\n"
       "  255:     1\n"},
      {"1-pixel-wide display: S = 0", {}, std::vector<unsigned char>(240, 9),
       "raw160: min=65535 max=0 mean=nan   gray320: min=9 max=9 mean=9.0\n"
       "gray histogram (nonzero bins):\n"
       "    9:   240\n"},
      {"count wider than six digits", std::vector<uint16_t>(500 * 500, 7), std::vector<unsigned char>(1000 * 1000, 128),
       "raw160: min=7 max=7 mean=7.0   gray320: min=128 max=128 mean=128.0\n"
       "gray histogram (nonzero bins):\n"
       "  128:1000000\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(statistics(c.raw, c.gray), c.expect) << c.name;
  }
}

}  // namespace
