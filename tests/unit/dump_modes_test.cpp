// Mode and stream dump: the smo1, smo2, modes and stream files, the five
// report lines from the pair's snapshot, and the stream-record rules.
#include <gtest/gtest.h>

#include "dump/modes_dump.h"
#include "dump_fixture.h"

namespace dumptest {
namespace {

using ModesDump = DumpTest;

// Lines of out, without their newlines.
std::vector<std::string> lines(const std::string& out) {
  std::vector<std::string> result;
  size_t from = 0;
  for (size_t nl; (nl = out.find('\n', from)) != std::string::npos; from = nl + 1) result.push_back(out.substr(from, nl - from));
  EXPECT_EQ(from, out.size()) << "unterminated line";
  return result;
}

TEST_F(ModesDump, FilesAndLinesWithAStreamRecord) {
  for (uint32_t i = 0; i < 0x70; ++i) reinterpret_cast<unsigned char*>(at(0x41ee0))[i] = static_cast<unsigned char>(0x80 + i);
  putU32(at(0x41fd8), 1);
  putU32(at(0x41fdc), 2);
  putU32(at(0x41fe0), 0x80000000);
  putU32(at(0x41fe4), 4);
  putU32(at(0x11c), 5);
  putPtr(at(0x41f20), uintptr_t{0xfeedface00c0ffee});
  // The snapshot differs from the device record: the lines print the snapshot.
  pair.snap = StateSnapshot{};
  pair.snap.hi = 0x80000000, pair.snap.lo = 1, pair.snap.span = 0x7fffffff, pair.snap.sm = 4294967295u;
  pair.snap.refp = 0x1234;
  pair.snap.p47944 = 9, pair.snap.t_now = 10, pair.snap.w41fe0 = 11;
  pair.snap.f3c = 12, pair.snap.b64_0 = 13, pair.snap.b68_0 = 14, pair.snap.dev54 = 15;

  // Channel 2's entry names the stream record.
  ctx.channel = 2;
  ctx.channelEntry = channelEntry(ctx.coreBase, 2);
  ASSERT_EQ(ctx.channelEntry, global(0x740a8));
  const uintptr_t stream = pool.start;
  const uint32_t streamWords[6] = {21, 22, 23, 24, 25, 4000000000u};
  for (int i = 0; i < 6; ++i) putU32(stream + kStreamFields[i], streamWords[i]);
  putPtr(ctx.channelEntry, stream);

  const std::string out = captured([&] { dumpModesAndStream(ctx, pair); });

  const std::vector<unsigned char> smo1 = file("pair_000.smo1"), smo2 = file("pair_000.smo2");
  EXPECT_EQ(smo1, bytesAt(at(0x41ee0), 64));
  EXPECT_EQ(smo2, bytesAt(at(0x41f10), 64));
  EXPECT_TRUE(std::equal(smo1.begin() + 48, smo1.end(), smo2.begin()));
  EXPECT_EQ(file("pair_000.modes"), wordBytes({1, 2, 0x80000000, 4, 2, 5}));  // fdc repeated at 16
  EXPECT_EQ(file("pair_000.stream"), wordBytes({21, 22, 23, 24, 25, 4000000000u}));
  const std::vector<std::string> got = lines(out);
  const std::vector<std::string> expect = {
      "  modes: fd8=1 fdc=2 fe0=2147483648 fe4=4 11c=5 refp=0000000000001234 f20p=feedface00c0ffee",
      "  stream: 2d78=21 2d88=22 2d8c=23 2d90=24 2d94=25 2d98=4000000000",
      "  window hi=2147483648 lo=1 span=2147483647 pixels=0 comp_off=0 shift=0 gain=0 sm=4294967295 ref=0",
      "  p47944=9 p47950=0 p47954=0 t_base=0 t_now=10 41848=0 41858=0 41340=0 41348=0 41fe0=11",
      "  f3c=12 41840=0 41554=0 41558=0 4155c=0 41560=0 b64_0=13 b68_0=14 dev54=15",
  };
  EXPECT_EQ(got, expect);
}

// Without a readable stream-record address there is no stream file and no
// stream line; a record that cannot be read stores and prints zeros.
TEST_F(ModesDump, StreamRecordRules) {
  const struct {
    const char* what;
    uintptr_t entry;   // channel-table entry address
    uintptr_t stream;  // what it holds
    bool file;
  } cases[] = {
      {"null", global(0x73758), 0, false},
      {"unreadable entry", image.guard, 0, false},
      {"unreadable record", global(0x73758), pool.guard, true},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(outDir);
    std::filesystem::create_directory(outDir);
    ctx.channelEntry = c.entry;
    if (c.entry != image.guard) putPtr(c.entry, c.stream);
    const std::vector<std::string> got = lines(captured([&] { dumpModesAndStream(ctx, pair); }));
    ASSERT_EQ(got.size(), c.file ? 5u : 4u) << c.what;
    EXPECT_EQ(exists("pair_000.stream"), c.file) << c.what;
    EXPECT_EQ(got[1].rfind(c.file ? "  stream: " : "  window ", 0), 0u) << c.what;
    if (c.file) {
      EXPECT_EQ(file("pair_000.stream"), std::vector<unsigned char>(24, 0));
      EXPECT_EQ(got[1], "  stream: 2d78=0 2d88=0 2d8c=0 2d90=0 2d94=0 2d98=0");
    }
    EXPECT_EQ(file("pair_000.modes").size(), 24u) << c.what;
  }
}

}  // namespace
}  // namespace dumptest
