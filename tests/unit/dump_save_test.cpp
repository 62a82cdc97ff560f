// save and saveSdk: the path join into g_dir, the path-length limit, and the
// readable prefix of SDK memory copied through the scratch buffer.
#include <gtest/gtest.h>

#include "dump/save.h"
#include "dump_fixture.h"

namespace dumptest {
namespace {

using SaveTest = DumpTest;

TEST_F(SaveTest, WritesIntoTheOutputDirectory) {
  const unsigned char bytes[5] = {1, 2, 0, 4, 5};
  save("pair_007.win", bytes, sizeof bytes);
  save("pair_1234.raw", bytes, 0);
  EXPECT_EQ(file("pair_007.win"), std::vector<unsigned char>(bytes, bytes + 5));
  EXPECT_TRUE(file("pair_1234.raw").empty());
}

TEST_F(SaveTest, MissingDirectoryWritesNothingAndSaysNothing) {
  const std::string missing = outDir + "/absent";
  g_dir = missing.c_str();
  const unsigned char bytes[3] = {1, 2, 3};
  std::string out = captured([&] {
    save("pair_000.lut", bytes, sizeof bytes);
    saveSdk("pair_000.hist", pool.start, 16);
  });
  EXPECT_EQ(out, "");
  EXPECT_TRUE(files().empty());
}

// A joined path of 511 characters fits the 512-byte buffer; one more and the
// file is skipped, never written under a cut name.
TEST_F(SaveTest, PathThatDoesNotFitIsSkipped) {
  const std::string name = "pair_000.raw";
  for (size_t joined : {size_t{511}, size_t{512}}) {
    const size_t dirLen = joined - 1 - name.size();
    std::string dir = outDir + "/" + std::string(200, 'a') + "/" + std::string(200, 'b') + "/";
    dir += std::string(dirLen - dir.size(), 'c');
    ASSERT_EQ(dir.size(), dirLen);
    std::filesystem::create_directories(dir);
    g_dir = dir.c_str();
    const unsigned char byte = 9;
    save(name.c_str(), &byte, 1);
    saveSdk("pair_000.rax", pool.start, 1);  // same length, through the SDK path
    const bool fits = joined == 511;
    EXPECT_EQ(std::filesystem::exists(dir + "/" + name), fits) << joined;
    EXPECT_EQ(std::filesystem::exists(dir + "/pair_000.rax"), fits) << joined;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), fits ? 2 : 0) << joined;
    g_dir = outDir.c_str();
  }
}

// The file holds what is readable of the range, across scratch-buffer chunks.
TEST_F(SaveTest, SdkRangeGivesItsReadablePrefix) {
  constexpr size_t MiB = size_t{1} << 20;
  GuardedRegion big = mapGuarded(3 * MiB);
  for (size_t i = 0; i < 3 * MiB; ++i) reinterpret_cast<unsigned char*>(big.start)[i] = static_cast<unsigned char>(i * 31 + (i >> 16));
  const struct {
    size_t readable;  // bytes before the no-access page
    size_t len;
    size_t expect;
  } cases[] = {
      {0, 100, 0},              // unreadable start: empty file
      {100, 4096, 100},         // short block
      {3 * MiB, 3 * MiB, 3 * MiB},  // whole, three chunks
      {MiB + MiB / 2, 3 * MiB, MiB + MiB / 2},  // ends inside the second chunk
      {MiB, 2 * MiB, MiB},      // ends on a chunk boundary
      {4096, 0, 0},             // zero length: empty file
  };
  for (const auto& c : cases) {
    const uintptr_t from = big.guard - c.readable;
    saveSdk("pair_000.gain", from, c.len);
    std::vector<unsigned char> got = file("pair_000.gain");
    EXPECT_EQ(got.size(), c.expect) << c.readable << "/" << c.len;
    EXPECT_TRUE(got == bytesAt(from, c.expect)) << c.readable << "/" << c.len;
  }
  unmapGuarded(big);
}

}  // namespace
}  // namespace dumptest
