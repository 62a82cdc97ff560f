// Correction-state dump: the snapshot's sources, the win, win2 and nuctab
// records, the nsegs-driven thr and gain files, span, and a device record
// shorter than the offsets read.
#include <gtest/gtest.h>

#include "dump/correction_dump.h"
#include "dump_fixture.h"

namespace dumptest {
namespace {

using CorrectionDump = DumpTest;

struct Field {
  uint32_t offset;
  uint32_t value;
};

// Every snapshot word at its own device offset (module globals apart).
const Field kDeviceWords[] = {
    {0x8, 11},          {0x4202c, 0x80000000}, {0x42030, 1},     {0x47938, 76800}, {0x47948, 0xfffffffe},
    {0x4794c, 3},       {0x41fdc, 7},          {0x41f0c, 8},     {0x47944, 100},   {0x47950, 101},
    {0x47954, 102},     {0x41848, 200},        {0x41340, 300},   {0x41348, 301},   {0x41fe0, 400},
    {0x41f3c, 500},     {0x41840, 600},        {0x41554, 1},     {0x41558, 701},   {0x4155c, 702},
    {0x41560, 703},     {0x41564, 704},        {0x41568, 705},   {0x54, 706},
};

void fillNucTables(uintptr_t d) {
  for (uint16_t k = 0; k < 28; ++k) putU16(d + 0x41858 + 2u * k, static_cast<uint16_t>(0x1000 + k));
  putU16(d + 0x41858, 0xffff);
  for (uint16_t k = 0; k < 16; ++k) putU16(d + 0x54470 + 2u * k, static_cast<uint16_t>(0x2000 + k));
}

TEST_F(CorrectionDump, SnapshotReadsEachFieldAtItsSource) {
  for (const Field& f : kDeviceWords) putU32(at(f.offset), f.value);
  fillNucTables(ctx.dev);
  putPtr(at(0x41ef0), 0x1122334455667788u);
  putU32(global(0x6ea60), 42);
  putU32(global(0x990c0), 1000);
  putU32(global(0x990c4), 1001);

  const StateSnapshot s = takeSnapshot(ctx.dev, ctx.coreBase);
  const uint32_t got[] = {s.fcnt,   s.hi,     s.lo,     s.pixels, s.comp_off, s.shift,  s.sm,     s.ref,
                          s.p47944, s.p47950, s.p47954, s.w41848, s.w41340,   s.w41348, s.w41fe0, s.f3c,
                          s.w41840, s.w41554, s.w41558, s.w4155c, s.w41560,   s.b64_0,  s.b68_0,  s.dev54};
  static_assert(std::size(got) == std::size(kDeviceWords));
  for (size_t i = 0; i < std::size(got); ++i) EXPECT_EQ(got[i], kDeviceWords[i].value) << std::hex << kDeviceWords[i].offset;
  EXPECT_EQ(s.span, 0x7fffffffu);
  EXPECT_EQ(s.w41858, 0x1001ffffu);  // low half of thrp, the first th words
  EXPECT_EQ(s.refp, uintptr_t{0x1122334455667788u});
  EXPECT_EQ(s.gain, 42u);
  EXPECT_EQ(s.t_base, 1000u);
  EXPECT_EQ(s.t_now, 1001u);
}

// The records and lines of one pair, all in the output directory, none in the
// current directory.
TEST_F(CorrectionDump, WritesRecordsIntoTheOutputDirectory) {
  for (const Field& f : kDeviceWords) putU32(at(f.offset), f.value);
  fillNucTables(ctx.dev);
  putU32(global(0x6ea60), 42);
  putU32(global(0x990c0), 1000);
  putU32(global(0x990c4), 1001);
  for (uint32_t i = 0; i < 1024; ++i) {
    reinterpret_cast<unsigned char*>(at(0x4284c))[i] = static_cast<unsigned char>(i);
    reinterpret_cast<unsigned char*>(at(0x4204c))[i] = static_cast<unsigned char>(255 - i);
  }

  const std::filesystem::path home = std::filesystem::current_path();
  const std::string cwd = makeTempDir();
  std::filesystem::current_path(cwd);
  pair.index = 7;
  const std::string out = captured([&] { dumpCorrectionState(ctx, pair); });
  std::filesystem::current_path(home);
  EXPECT_TRUE(std::filesystem::is_empty(cwd));
  std::filesystem::remove_all(cwd);

  EXPECT_STREQ(pair.base, "pair_007");
  EXPECT_EQ(files(), (std::set<std::string>{"pair_007.win", "pair_007.win2", "pair_007.nuctab", "pair_007.thr",
                                            "pair_007.gain", "pair_007.lut", "pair_007.hist"}));
  EXPECT_EQ(file("pair_007.win"), wordBytes({0x80000000, 1, 76800, 0xfffffffe, 3, 42, 7, 8}));
  EXPECT_EQ(file("pair_007.win2"),
            wordBytes({100, 101, 102, 1000, 1001, 200, 0x1001ffff, 300, 301, 400, 0xfffffffe, 3, 42, 7}));

  std::vector<unsigned char> nuc = file("pair_007.nuctab");
  std::vector<unsigned char> expect = bytesAt(at(0x41858), 32);
  for (auto part : {bytesAt(at(0x41870), 32), bytesAt(at(0x54470), 32)}) expect.insert(expect.end(), part.begin(), part.end());
  EXPECT_EQ(nuc, expect);
  ASSERT_EQ(nuc.size(), 96u);
  EXPECT_TRUE(std::equal(nuc.begin() + 24, nuc.begin() + 32, nuc.begin() + 32));  // th[12:16] == g0[0:4]

  EXPECT_EQ(file("pair_007.lut"), bytesAt(at(0x4284c), 1024));
  EXPECT_EQ(file("pair_007.hist"), bytesAt(at(0x4204c), 1024));
  EXPECT_EQ(out,
            "  nuctab th[0:4]=65535,4097,4098,4099 g0[0:4]=4108,4109,4110,4111 g1[0:4]=8192,8193,8194,8195\n"
            "  nsegs=1 thrp=100310021001ffff gainp=100f100e100d100c\n"
            "  nsegs=1 table_bytes=76800\n");
}

TEST_F(CorrectionDump, NsegsSizesTheThrAndGainFiles) {
  for (uint32_t i = 0; i < 4096; ++i) reinterpret_cast<unsigned char*>(at(0x41848))[i] = static_cast<unsigned char>(i * 13);
  putU32(at(0x54470 - 1), 0xabababab);  // the last gain byte of one segment and g1 beyond it
  const struct {
    uint32_t nsegs, thr, tableBytes;
    bool gain;
  } cases[] = {
      {0, 0, 0, true},           {1, 2, 76800, true},
      {327, 654, 25113600, true}, {328, 656, 25190400, false},
      {2047, 4094, 157209600, false}, {2048, 4096, 157286400, false},
      {0x7fffffff, 4096, 4294890496u, false}, {0x80000001, 2, 76800, false},
      {55925, 4096, 72704, false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(path("pair_000.gain"));
    putU32(at(0x41554), c.nsegs);
    EXPECT_EQ(thrBytes(c.nsegs), c.thr);
    EXPECT_EQ(tableBytes(c.nsegs), c.tableBytes);
    EXPECT_EQ(gainFileWritten(c.nsegs), c.gain);
    const std::string out = captured([&] { dumpCorrectionState(ctx, pair); });
    const std::string nsegs = std::to_string(c.nsegs);
    EXPECT_NE(out.find("  nsegs=" + nsegs + " thrp="), std::string::npos) << out;
    EXPECT_NE(out.find("  nsegs=" + nsegs + " table_bytes=" + std::to_string(c.tableBytes) + "\n"), std::string::npos)
        << out;
    EXPECT_EQ(file("pair_000.thr"), bytesAt(at(0x41848), c.thr)) << nsegs;
    ASSERT_EQ(exists("pair_000.gain"), c.gain) << nsegs;
    if (c.gain) {
      EXPECT_TRUE(file("pair_000.gain") == bytesAt(at(0x41870), c.tableBytes)) << nsegs;
    }
  }
}

TEST(WindowSpan, UnsignedDifferenceWhenLoBelowHi) {
  const struct {
    uint32_t hi, lo, span;
  } cases[] = {{7, 3, 4}, {9, 5, 4}, {5, 5, 0}, {3, 7, 0}, {0x80000000u, 1, 0x7fffffffu}, {1, 0x80000000u, 0}, {0, 0, 0}};
  for (const auto& c : cases) EXPECT_EQ(windowSpan(c.hi, c.lo), c.span) << c.hi << " " << c.lo;
}

// A device record that ends at 0x42400 (no-access beyond, past every offset
// read): what is readable is written, the rest reads 0 or leaves a shorter
// file, and nothing faults.
TEST_F(CorrectionDump, ShortDeviceRecordGivesPrefixesAndZeros) {
  GuardedRegion shortDev = mapGuarded(0x42400, 0x20000);
  ctx.dev = shortDev.start;
  putU32(ctx.dev + 0x4202c, 9);
  putU32(ctx.dev + 0x42030, 5);
  putU32(ctx.dev + 0x41fdc, 7);
  putU32(ctx.dev + 0x41554, 1);
  putU32(global(0x6ea60), 42);
  const std::string out = captured([&] { dumpCorrectionState(ctx, pair); });
  EXPECT_EQ(pair.snap.span, 4u);
  EXPECT_EQ(file("pair_000.win"), wordBytes({9, 5, 0, 0, 0, 42, 7, 0}));
  EXPECT_EQ(file("pair_000.nuctab"), std::vector<unsigned char>(96, 0));
  EXPECT_EQ(file("pair_000.hist").size(), 0x42400u - 0x4204cu);
  EXPECT_EQ(file("pair_000.lut").size(), 0u);
  EXPECT_EQ(file("pair_000.gain"), bytesAt(ctx.dev + 0x41870, 0x42400 - 0x41870));
  EXPECT_NE(out.find("  nsegs=1 table_bytes=76800\n"), std::string::npos);
  unmapGuarded(shortDev);
}

}  // namespace
}  // namespace dumptest
