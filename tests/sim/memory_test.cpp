// The memory each scenario promises, read back without starting the
// camera (so nothing races): geometry and buffer extents, nsegs and the
// record's extent, pointer fields null, valid or stale, channels, the
// stream record, the colour bar and the module globals.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "sim_harness.h"

namespace {

constexpr uint32_t kSlots = 0x41840;
constexpr uint32_t kRefp = 0x41ef0, kE0buf = 0x41ee8, kE0acc = 0x41ef8, kSmoRec = 0x41f10, kF20 = 0x41f20;

uintptr_t field(uintptr_t dev, uint32_t off) { return peek<uintptr_t>(dev + off); }

uintptr_t streamOf(const Discovery& d) {
  return peek<uintptr_t>(sim().base + 0x73758 + static_cast<uintptr_t>(d.channel) * 0x4a8);
}

struct GeometryCase {
  const char* scenario;
  int width, height;      // in the header
  size_t toolDisp, toolSens;  // pixel counts the tool settles on
};

class Geometry : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(Geometry, BuffersCoverWhatTheToolReads) {
  const GeometryCase& g = GetParam();
  useScenario(g.scenario);
  const Discovery d = discover();
  ASSERT_NE(d.dev, 0u);
  EXPECT_EQ(peek<int32_t>(d.dev + 0xaf4), g.width);
  EXPECT_EQ(peek<int32_t>(d.dev + 0xaf8), g.height);
  EXPECT_EQ(peek<uint32_t>(d.dev + 0xaf0), 40u);
  const size_t raw = g.toolSens * 2, map = g.toolSens * 4;
  EXPECT_EQ(readable(reinterpret_cast<uintptr_t>(d.gray), g.toolDisp), g.toolDisp);
  EXPECT_EQ(readable(field(d.dev, 0x270), raw), raw);
  for (uint32_t off : {kRefp, kE0buf, kF20}) EXPECT_EQ(readable(field(d.dev, off), raw), raw) << std::hex << off;
  for (int i = 0; i < 8; ++i) EXPECT_EQ(readable(field(d.dev, kSlots + 8 * i), raw), raw) << "slot " << i;
  EXPECT_EQ(readable(field(d.dev, kE0acc), map), map);
  const uintptr_t smoRec = field(d.dev, kSmoRec);
  EXPECT_EQ(readable(peek<uintptr_t>(smoRec + 0x10), raw), raw);
  EXPECT_EQ(readable(peek<uintptr_t>(smoRec + 0x18), map), map);
  // RGB24 and the temperature data write no more than they are asked for.
  std::vector<unsigned char> rgb(g.toolDisp * 3 + 16, 0xab);
  sim().GetRGB(d.channel, rgb.data(), static_cast<int>(g.toolDisp * 3), 1);
  for (size_t i = g.toolDisp * 3; i < rgb.size(); ++i) ASSERT_EQ(rgb[i], 0xab);
  std::vector<unsigned char> temp(map + 16, 0xab);
  sim().GetTemp(d.channel, temp.data(), static_cast<int>(map), 1);
  for (size_t i = map; i < temp.size(); ++i) ASSERT_EQ(temp[i], 0xab);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Geometry,
                         ::testing::Values(GeometryCase{"default", 320, 240, 76800, 19200},
                                           GeometryCase{"geom160", 160, 120, 19200, 4800},
                                           GeometryCase{"geom161", 161, 121, 19481, 4800},
                                           GeometryCase{"geom1000", 1000, 1000, 1000000, 250000},
                                           GeometryCase{"geom1001", 1001, 240, 19200, 4800},
                                           GeometryCase{"geom320x0", 320, 0, 19200, 4800},
                                           GeometryCase{"geom1wide", 1, 240, 240, 0}),
                         [](const auto& info) { return std::string(info.param.scenario); });

struct NsegsCase {
  const char* scenario;
  uint32_t nsegs;
};

class Nsegs : public ::testing::TestWithParam<NsegsCase> {};

TEST_P(Nsegs, FieldAndRecordExtent) {
  useScenario(GetParam().scenario);
  const uint32_t n = GetParam().nsegs;
  const Discovery d = discover();
  EXPECT_EQ(peek<uint32_t>(d.dev + 0x41554), n);
  EXPECT_EQ(readable(d.dev, 0x54490), 0x54490u);  // every fixed field
  if (n <= 327) {
    const size_t gain = static_cast<size_t>(n) * 76800;
    EXPECT_EQ(readable(d.dev + 0x41870, gain), gain);
  }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Nsegs,
                         ::testing::Values(NsegsCase{"default", 1}, NsegsCase{"nsegs0", 0}, NsegsCase{"nsegs1", 1},
                                           NsegsCase{"nsegs327", 327}, NsegsCase{"nsegs328", 328},
                                           NsegsCase{"nsegs2047", 2047}, NsegsCase{"nsegs2048", 2048},
                                           NsegsCase{"nsegs7fffffff", 0x7fffffff},
                                           NsegsCase{"nsegs80000001", 0x80000001u},
                                           NsegsCase{"nsegs55925", 55925}),
                         [](const auto& info) { return std::string(info.param.scenario); });

// What a pointer field holds: V a readable buffer, 0 null, X non-null but unreadable.
char kindOf(uintptr_t p, size_t len) {
  if (p == 0) return '0';
  return readable(p, len) == len ? 'V' : 'X';
}

struct PointerCase {
  const char* scenario;
  const char* slots;   // ptrs418x slots 0..7
  const char* fields;  // rawp, refp, e0buf, e0acc, f20, smo record, stream record
};

class Pointers : public ::testing::TestWithParam<PointerCase> {};

TEST_P(Pointers, NullValidOrStale) {
  useScenario(GetParam().scenario);
  const Discovery d = discover();
  std::string slots, fields;
  for (int i = 0; i < 8; ++i) slots += kindOf(field(d.dev, kSlots + 8 * i), 38400);
  for (uint32_t off : {0x270u, kRefp, kE0buf, kE0acc, kF20, kSmoRec}) fields += kindOf(field(d.dev, off), 64);
  fields += kindOf(streamOf(d), 0x2d9c);
  EXPECT_EQ(slots, GetParam().slots);
  EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Pointers,
                         ::testing::Values(PointerCase{"default", "VVVVVVVV", "VVVVVVV"},
                                           PointerCase{"nullptrs", "00000000", "V000000"},
                                           PointerCase{"slot5", "00000V00", "VVVVVVV"},
                                           PointerCase{"staleptrs", "XXXXXXXX", "XXXXXXX"},
                                           PointerCase{"badstream", "VVVVVVVV", "VVVVVVX"}),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST(Pointers, Slot5SmoRecordHasOnlyItsAccumulator) {
  useScenario("slot5");
  const uintptr_t rec = field(discover().dev, kSmoRec);
  EXPECT_EQ(peek<uintptr_t>(rec + 0x10), 0u);
  EXPECT_EQ(readable(peek<uintptr_t>(rec + 0x18), 76800), 76800u);
}

TEST(Pointers, StalePointersAreOfBothKinds) {
  useScenario("staleptrs");
  const uintptr_t dev = discover().dev;
  bool low = false, high = false;
  for (int i = 0; i < 8; ++i) {
    const uintptr_t p = field(dev, kSlots + 8 * i);
    (p < 0x10000 || p >= 0x0000800000000000ull ? low : high) = true;
  }
  EXPECT_TRUE(low);   // unmapped
  EXPECT_TRUE(high);  // a no-access page
}

struct ChannelCase {
  const char* scenario;
  const char* answers;  // per channel 0..7: the rc, then g/h for slots non-null after the call
  int selected;
};

class Channels : public ::testing::TestWithParam<ChannelCase> {};

TEST_P(Channels, AnswerLikeTheScenarioSays) {
  useScenario(GetParam().scenario);
  const unsigned char* gray = nullptr;
  const void* header = nullptr;
  std::string seen;
  int selected = -1;
  for (int ch = 0; ch < 8 && selected < 0; ++ch) {
    const int rc = sim().GetBMP(ch, &gray, &header);
    seen += std::to_string(rc) + (gray ? "g" : "-") + (header ? "h" : "-") + " ";
    if (rc && gray && header) selected = ch;
  }
  EXPECT_EQ(seen, GetParam().answers);
  EXPECT_EQ(selected, GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Channels,
                         ::testing::Values(ChannelCase{"default", "1gh ", 0},
                                           ChannelCase{"channel2", "0-- 1g- 1gh ", 2},
                                           ChannelCase{"nocamera", "0-- 0-- 0-- 0-- 0-- 0-- 0-- 0-- ", -1}),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST(Stream, ReachedThroughTheSelectedChannelsEntry) {
  useScenario("channel2");
  const Discovery d = discover();
  ASSERT_EQ(d.channel, 2);
  EXPECT_EQ(peek<uintptr_t>(sim().base + 0x73758), 0u);
  const uintptr_t stream = streamOf(d);
  EXPECT_EQ(peek<uint32_t>(stream + 0x2d88), 320u);
  EXPECT_EQ(peek<uint32_t>(stream + 0x2d8c), 240u);
  EXPECT_EQ(peek<uint32_t>(stream + 0x2d90), 25u);
}

TEST(ShortMemory, RecordEndsAtNoAccessPage) {
  useScenario("shortrecord");
  const Discovery d = discover();
  EXPECT_EQ(readable(d.dev, 0x60000), 0x30000u);
  EXPECT_EQ(peek<int32_t>(d.dev + 0xaf4), 320);
  EXPECT_NE(field(d.dev, 0x270), 0u);
}

TEST(ShortMemory, GrayAndRawEndEarlyAtNoAccessPage) {
  useScenario("shortgray");
  const Discovery d = discover();
  const uintptr_t gray = reinterpret_cast<uintptr_t>(d.gray);
  const size_t grayExtent = readable(gray, 76800);
  const size_t rawExtent = readable(field(d.dev, 0x270), 38400);
  EXPECT_GT(grayExtent, 0u);
  EXPECT_LT(grayExtent, 76800u);
  EXPECT_GT(rawExtent, 0u);
  EXPECT_LT(rawExtent, 38400u);
  EXPECT_EQ(readable(gray + grayExtent, 1), 0u);
}

struct BarCase {
  const char* scenario;
  int rc;
  char data, info;  // kindOf the two slots
};

class Bar : public ::testing::TestWithParam<BarCase> {};

TEST_P(Bar, ResultAndSlots) {
  useScenario(GetParam().scenario);
  const void* data = nullptr;
  const void* info = nullptr;
  EXPECT_EQ(sim().GetBar(discover().channel, &data, &info), GetParam().rc);
  EXPECT_EQ(kindOf(reinterpret_cast<uintptr_t>(data), 4096), GetParam().data);
  EXPECT_EQ(kindOf(reinterpret_cast<uintptr_t>(info), 64), GetParam().info);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, Bar,
                         ::testing::Values(BarCase{"default", 1, 'V', 'V'}, BarCase{"bar0", 0, '0', '0'},
                                           BarCase{"barnullinfo", 1, 'V', '0'},
                                           BarCase{"staleptrs", 1, 'X', 'X'}),
                         [](const auto& info) { return std::string(info.param.scenario); });

TEST(ScanTargets, RecordHoldsWhatTheStructScanLooksFor) {
  useScenario("default");
  const uintptr_t dev = discover().dev;
  std::vector<unsigned char> rec(0x20000);
  ASSERT_EQ(peekBytes(dev, rec.data(), rec.size()), rec.size());
  for (int target : {22500, 23700, 25167, 31707, 5797, 1200}) {
    bool found = false;
    for (size_t o = 0x100; o < 0x10000 && !found; o += 2) {
      int16_t v;
      std::memcpy(&v, &rec[o], 2);
      found = v == target;
    }
    EXPECT_TRUE(found) << target;
  }
  bool nearDouble = false;
  for (size_t o = 0x100; o < 0xfff8 && !nearDouble; o += 8) {
    double v;
    std::memcpy(&v, &rec[o], 8);
    nearDouble = v > 25157.0 && v < 25177.0;
  }
  EXPECT_TRUE(nearDouble);
  int lutWindows = 0;
  for (size_t o = 0x100; o <= 0x1fbf0; o += 16) {
    bool rising = true;
    for (size_t k = 1; k < 128 && rising; ++k) rising = rec[o + 8 * k] >= rec[o + 8 * (k - 1)];
    const auto [mn, mx] = std::minmax_element(&rec[o], &rec[o] + 1024);
    if (rising && *mx - *mn > 100) ++lutWindows;
  }
  EXPECT_GE(lutWindows, 1);
  EXPECT_LE(lutWindows, 4);  // a run, not a wall of overlapping windows
}

TEST(ImageGlobals, LieInsideCoreSdkLibsImageAtTheirOffsets) {
  useScenario("default");
  discover();
  Dl_info lib{}, global{};
  ASSERT_TRUE(dladdr(reinterpret_cast<void*>(dlsym(sim().core, "MAG_GetOutputBMPdata")), &lib));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(lib.dli_fbase), sim().base);
  for (uint32_t off : {0x6ea60u, 0x73758u, 0x73bf4u, 0x990c0u, 0x990c4u}) {
    ASSERT_TRUE(dladdr(reinterpret_cast<void*>(sim().base + off), &global)) << std::hex << off;
    EXPECT_STREQ(global.dli_fname, lib.dli_fname);
    EXPECT_EQ(readable(sim().base + off, 4), 4u);
  }
}

}  // namespace
