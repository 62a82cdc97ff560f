// Buffer and counter dump: which pointer files are written and how long,
// the ptrs418x and cnt lines, and pointer targets that are partly or not at
// all readable.
#include <gtest/gtest.h>

#include "dump/buffer_dump.h"
#include "dump_fixture.h"

namespace dumptest {
namespace {

using BufferDump = DumpTest;

std::string slotLine(const uintptr_t (&slots)[8]) {
  std::string line = "  ptrs418x: ";
  char piece[40];
  for (int i = 0; i < 8; ++i) {
    std::snprintf(piece, sizeof piece, "%d=%016llx ", i, static_cast<unsigned long long>(slots[i]));
    line += piece;
  }
  return line + "\n";
}

// Each set of non-null slots gives exactly its b files, every one a raw
// frame long; the line lists all eight slots and ends in a space.
TEST_F(BufferDump, SlotFilesFollowTheNonNullSlots) {
  for (unsigned mask : {0x00u, 0x20u, 0xffu}) {
    std::filesystem::remove_all(outDir);
    std::filesystem::create_directory(outDir);
    uintptr_t slots[8] = {};
    for (int i = 0; i < 8; ++i) {
      if (mask & (1u << i)) slots[i] = target(static_cast<size_t>(i) * 0x10000, ctx.rawBytes, static_cast<unsigned char>(i));
      putPtr(at(0x41840 + 8u * i), slots[i]);
    }
    const std::string out = captured([&] { dumpBuffersAndCounters(ctx, pair); });
    EXPECT_EQ(out.substr(0, out.find('\n') + 1), slotLine(slots)) << mask;
    std::set<std::string> expect = {"pair_000.cnt"};
    for (int i = 0; i < 8; ++i) {
      if (!slots[i]) continue;
      const std::string name = "pair_000.b0" + std::to_string(i);
      expect.insert(name);
      EXPECT_EQ(file(name), bytesAt(slots[i], ctx.rawBytes)) << name;
    }
    EXPECT_EQ(files(), expect) << mask;
  }
}

TEST_F(BufferDump, SmoRecordRules) {
  const uintptr_t buf = target(0, ctx.rawBytes, 1);
  const uintptr_t acc = target(0x20000, ctx.mapBytes, 2);
  const uintptr_t record = pool.start + 0x40000;
  const struct {
    bool record;
    uintptr_t p10, p18;
    bool smo, smoacc;
  } cases[] = {
      {false, buf, acc, false, false},  // no record: its fields are never looked at
      {true, 0, acc, false, true},
      {true, buf, 0, true, false},
      {true, buf, acc, true, true},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(outDir);
    std::filesystem::create_directory(outDir);
    putPtr(record + 0x10, c.p10);
    putPtr(record + 0x18, c.p18);
    putPtr(at(0x41f10), c.record ? record : 0);
    captured([&] { dumpBuffersAndCounters(ctx, pair); });
    ASSERT_EQ(exists("pair_000.smo"), c.smo);
    ASSERT_EQ(exists("pair_000.smoacc"), c.smoacc);
    if (c.smo) {
      EXPECT_EQ(file("pair_000.smo"), bytesAt(buf, ctx.rawBytes));
    }
    if (c.smoacc) {
      EXPECT_EQ(file("pair_000.smoacc"), bytesAt(acc, ctx.mapBytes));
    }
  }
}

// ref follows the snapshot's refp; f20, e0acc and e0buf are read when their
// step runs, each with its own length.
TEST_F(BufferDump, PointerFilesAndTheirLengths) {
  putPtr(at(0x41ef0), target(0, 16, 0));  // changed after the snapshot: not followed
  captured([&] { dumpBuffersAndCounters(ctx, pair); });
  EXPECT_FALSE(exists("pair_000.ref"));

  pair.snap.refp = target(0x00000, ctx.rawBytes, 3);
  putPtr(at(0x41f20), target(0x20000, ctx.rawBytes, 4));
  putPtr(at(0x41ef8), target(0x40000, ctx.mapBytes, 5));
  putPtr(at(0x41ee8), target(0x60000, ctx.rawBytes, 6));
  captured([&] { dumpBuffersAndCounters(ctx, pair); });
  EXPECT_EQ(file("pair_000.ref"), bytesAt(pair.snap.refp, 38400));
  EXPECT_EQ(file("pair_000.f20"), bytesAt(pool.start + 0x20000, 38400));
  EXPECT_EQ(file("pair_000.e0acc"), bytesAt(pool.start + 0x40000, 76800));
  EXPECT_EQ(file("pair_000.e0buf"), bytesAt(pool.start + 0x60000, 38400));
}

TEST_F(BufferDump, UnreadableTargetsGiveTheirPrefix) {
  pair.snap.refp = pool.guard - 100;     // 100 readable bytes
  putPtr(at(0x41f20), pool.guard);       // nothing readable
  putPtr(at(0x41f10), pool.guard - 8);   // smo record cut before its fields
  putPtr(at(0x41840), uintptr_t{0x10});  // a stale slot pointer
  captured([&] { dumpBuffersAndCounters(ctx, pair); });
  EXPECT_EQ(file("pair_000.ref"), bytesAt(pool.guard - 100, 100));
  EXPECT_TRUE(file("pair_000.f20").empty());
  EXPECT_TRUE(file("pair_000.b00").empty());
  EXPECT_FALSE(exists("pair_000.smo"));
  EXPECT_FALSE(exists("pair_000.smoacc"));
}

// The counters come from the device record and from two fixed module
// globals, whatever channel is selected.
TEST_F(BufferDump, CounterRecordAndLine) {
  std::string out = captured([&] { dumpBuffersAndCounters(ctx, pair); });
  EXPECT_EQ(file("pair_000.cnt"), std::vector<unsigned char>(16, 0));
  EXPECT_NE(out.find("  cnt: e0=0 f10=0 globframe=0 ffcstate=0\n"), std::string::npos);

  ctx.channel = 2;
  ctx.channelEntry = channelEntry(ctx.coreBase, 2);
  putU32(at(0x41f00), 1);
  putU32(at(0x41f30), 0x80000000);
  putU32(global(0x73bec), 3);
  putU32(global(0x73bf4), 4294967295u);
  out = captured([&] { dumpBuffersAndCounters(ctx, pair); });
  EXPECT_EQ(file("pair_000.cnt"), wordBytes({1, 0x80000000, 3, 4294967295u}));
  EXPECT_NE(out.find("  cnt: e0=1 f10=2147483648 globframe=3 ffcstate=4294967295\n"), std::string::npos);
}

}  // namespace
}  // namespace dumptest
