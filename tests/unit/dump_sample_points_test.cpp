// Sample-point readout: the line format, the temperature gate and the
// point-result buffer, and displays too small for the table.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dump/sample_points.h"

namespace {

std::vector<std::string> splitLines(const std::string& out) {
  std::vector<std::string> result;
  size_t from = 0;
  for (size_t nl; (nl = out.find('\n', from)) != std::string::npos; from = nl + 1) result.push_back(out.substr(from, nl - from));
  EXPECT_EQ(from, out.size());
  return result;
}

// Writes tempRaw = x / 10 and tempArm = -y / 10 into the result buffer.
int g_calls = 0;
int pointTemperature(int x, int y, void* result) {
  ++g_calls;
  const double raw = x / 10.0, arm = -y / 10.0;
  std::memcpy(static_cast<unsigned char*>(result) + 16, &raw, sizeof raw);
  std::memcpy(static_cast<unsigned char*>(result) + 24, &arm, sizeof arm);
  return 1;
}

// Writes only for the first point it is asked about.
int firstPointOnly(int x, int y, void* result) { return g_calls++ == 0 ? pointTemperature(x, y, result) : 0; }

struct Buffers {
  int32_t dispW, dispH, sensW, sensH;
  std::vector<unsigned char> gray;  // exactly sized, so a stray read is caught by the sanitizers
  std::vector<uint16_t> raw;
  std::vector<uint32_t> temp;
  Buffers(int32_t w, int32_t h)
      : dispW(w), dispH(h), sensW(w >> 1), sensH(h >> 1), gray(size_t(w) * h, 1), raw(size_t(w >> 1) * (h >> 1), 2),
        temp(size_t(w) * h, 3) {}
  std::string read(ReadTemperatureFn fn, int32_t rcTemp) const {
    testing::internal::CaptureStdout();
    readSamplePoints(fn, gray.data(), raw.data(), temp.data(), dispW, dispH, sensW, sensH, rcTemp);
    return testing::internal::GetCapturedStdout();
  }
};

TEST(SamplePoints, LineFormatAt320x240) {
  Buffers b(320, 240);
  b.gray[36805] = 255;  // point 9 (5, 115)
  b.raw[9122] = 65535;
  b.temp[36805] = 4294967295u;
  b.gray[60 * 320 + 80] = 7;  // point 0 (80, 60)
  b.raw[30 * 160 + 40] = 12345;
  b.temp[60 * 320 + 80] = 42;
  g_calls = 0;
  const std::vector<std::string> lines = splitLines(b.read(pointTemperature, 1));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(g_calls, 12);
  EXPECT_EQ(lines[0], "  pt( 80, 60) raw@( 40, 30)=12345 gray=  7 temp32=        42 tempRaw=8.00 tempArm=-6.00");
  EXPECT_EQ(lines[9], "  pt(  5,115) raw@(  2, 57)=65535 gray=255 temp32=4294967295 tempRaw=0.50 tempArm=-11.50");
  EXPECT_EQ(lines[10], "  pt(155,  5) raw@( 77,  2)=    2 gray=  1 temp32=         3 tempRaw=15.50 tempArm=-0.50");
}

TEST(SamplePoints, WithoutTemperaturesEveryLineShowsZeros) {
  Buffers b(320, 240);
  g_calls = 0;
  // rc_temp 0 leaves the temperature buffer unread; an unbound entry point
  // and one that writes nothing both leave 0.00.
  for (ReadTemperatureFn fn : {static_cast<ReadTemperatureFn>(nullptr), firstPointOnly}) {
    const std::vector<std::string> lines = splitLines(b.read(fn, 0));
    ASSERT_EQ(lines.size(), 12u);
    for (size_t i = 0; i < lines.size(); ++i) {
      const char* tail = fn && i == 0 ? " temp32=         0 tempRaw=8.00 tempArm=-6.00"
                                      : " temp32=         0 tempRaw=0.00 tempArm=0.00";
      EXPECT_EQ(lines[i].substr(lines[i].find(" temp32=")), tail) << i;
    }
  }
}

// A display below 156 x 116: a point whose index leaves a buffer reads 0 from
// it; every line is still printed.
TEST(SamplePoints, SmallDisplayStaysInsideTheBuffers) {
  const struct {
    int32_t w, h;
  } sizes[] = {{40, 30}, {1, 1}, {2, 2}, {155, 115}};
  for (const auto& s : sizes) {
    Buffers b(s.w, s.h);
    const std::vector<std::string> lines = splitLines(b.read(nullptr, 1));
    ASSERT_EQ(lines.size(), 12u) << s.w << "x" << s.h;
    for (size_t i = 0; i < 12; ++i) {
      const SamplePoint p = kSamplePoints[i];
      const bool onDisplay = int64_t{p.y} * s.w + p.x < int64_t{s.w} * s.h;
      const bool onSensor = int64_t{p.y / 2} * (s.w >> 1) + p.x / 2 < int64_t{s.w >> 1} * (s.h >> 1);
      EXPECT_NE(lines[i].find(onSensor ? ")=    2 " : ")=    0 "), std::string::npos) << lines[i];
      EXPECT_NE(lines[i].find(onDisplay ? " gray=  1 temp32=         3 " : " gray=  0 temp32=         0 "),
                std::string::npos)
          << lines[i];
    }
  }
  // 40 x 30: (10, 10) lies inside; (20, 60) leaves every buffer.
  const std::vector<std::string> lines = splitLines(Buffers(40, 30).read(nullptr, 1));
  EXPECT_EQ(lines[6], "  pt( 10, 10) raw@(  5,  5)=    2 gray=  1 temp32=         3 tempRaw=0.00 tempArm=0.00");
  EXPECT_EQ(lines[11], "  pt( 20, 60) raw@( 10, 30)=    0 gray=  0 temp32=         0 tempRaw=0.00 tempArm=0.00");
}

}  // namespace
