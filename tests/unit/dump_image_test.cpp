// Image dumps: the pair's image files and their lengths, the delegate's
// image, t32 only with a temperature result, the colour bar rules, the frame
// summary line.
#include <gtest/gtest.h>

#include "dump/image_dump.h"
#include "dump_fixture.h"
#include "sdk/delegate.h"

namespace dumptest {
namespace {

// What the test colour-bar entry point hands back.
int g_barRc = 0;
const void* g_barData = nullptr;
const void* g_barInfo = nullptr;
int g_barChannel = -1;

int colourBar(int channel, const void** data, const void** info) {
  g_barChannel = channel;
  *data = g_barData;
  *info = g_barInfo;
  return g_barRc;
}

// Leaves both slots as they were handed in.
int colourBarSetsNothing(int, const void**, const void**) { return 0; }

void setCallbackImage(int32_t w, int32_t h, unsigned char seed) {
  std::lock_guard<std::mutex> lock(callbackImageMutex());
  g_cbw = w;
  g_cbh = h;
  for (size_t i = 0; i < static_cast<size_t>(w) * static_cast<size_t>(h) * 3; ++i) g_cb[i] = static_cast<unsigned char>(seed + i);
}

class ImageDump : public DumpTest {
 protected:
  void SetUp() override {
    DumpTest::SetUp();
    setCallbackImage(0, 0, 0);
    for (size_t i = 0; i < gray.size(); ++i) gray[i] = static_cast<unsigned char>(i);
    for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<unsigned char>(i * 3);
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint16_t>(i * 5);
    for (size_t i = 0; i < pal.size(); ++i) pal[i] = static_cast<unsigned char>(i * 7);
    for (size_t i = 0; i < temp.size(); ++i) temp[i] = static_cast<uint32_t>(i * 11);
    for (uint32_t i = 0; i < 1064; ++i) reinterpret_cast<unsigned char*>(ctx.header)[i] = static_cast<unsigned char>(i ^ 0x5a);
  }
  SdkApi api;
};

TEST_F(ImageDump, ImageFilesAndSummaryLine) {
  pair.index = 3;
  pair.rc_rgb = 1;
  pair.rc_temp = 0;
  pair.snap.fcnt = 4294967295u;
  std::snprintf(pair.base, sizeof pair.base, "pair_%03d", pair.index);
  g_frames.store(517);
  std::string out = captured([&] { dumpImages(api, ctx, pair); });
  EXPECT_EQ(out, "[3] frames=517 fcnt=4294967295 rc_rgb=1 rc_temp=0 cb=0x0\n");
  EXPECT_EQ(files(), (std::set<std::string>{"pair_003.gray", "pair_003.rgb", "pair_003.raw", "pair_003.pal",
                                            "pair_003.cbrgb", "pair_003.hdr"}));
  EXPECT_EQ(file("pair_003.gray"), gray);
  EXPECT_EQ(file("pair_003.rgb"), rgb);
  EXPECT_EQ(file("pair_003.raw"), bytesAt(reinterpret_cast<uintptr_t>(raw.data()), 38400));
  EXPECT_EQ(file("pair_003.pal"), pal);
  EXPECT_TRUE(file("pair_003.cbrgb").empty());
  EXPECT_EQ(file("pair_003.hdr"), bytesAt(ctx.header, 96));

  // A temperature result and a delegate image: t32 takes the sensor map size
  // of the buffer, cbrgb the delegate image.
  pair.rc_temp = -1;
  setCallbackImage(320, 240, 9);
  out = captured([&] { dumpImages(api, ctx, pair); });
  EXPECT_EQ(out, "[3] frames=517 fcnt=4294967295 rc_rgb=1 rc_temp=-1 cb=320x240\n");
  EXPECT_EQ(file("pair_003.t32"), bytesAt(reinterpret_cast<uintptr_t>(temp.data()), 76800));
  EXPECT_EQ(file("pair_003.cbrgb"), bytesAt(reinterpret_cast<uintptr_t>(g_cb), 230400));
}

TEST_F(ImageDump, ColourBarRules) {
  const uintptr_t data = target(0, 4096, 1);
  const uintptr_t info = target(0x2000, 64, 2);
  const uintptr_t shortData = target(kPoolBytes - 100, 100, 3);  // 100 bytes before the no-access page
  const struct {
    const char* what;
    int rc;
    uintptr_t data, info;
    size_t barBytes;       // 0: no bar files
    uintptr_t infoSource;  // where barinfo comes from
  } cases[] = {
      {"rc 0", 0, data, info, 0, 0},
      {"null data", 1, 0, info, 0, 0},
      {"both", 1, data, info, 4096, info},
      {"null info", 7, data, 0, 4096, data},
      {"short block", 1, shortData, 0, 100, shortData},
  };
  api.MAG_GetOutputColorBardata = colourBar;
  ctx.channel = 5;
  for (const auto& c : cases) {
    std::filesystem::remove_all(outDir);
    std::filesystem::create_directory(outDir);
    g_barRc = c.rc, g_barData = reinterpret_cast<const void*>(c.data), g_barInfo = reinterpret_cast<const void*>(c.info);
    const std::string out = captured([&] { dumpImages(api, ctx, pair); });
    char line[128];
    std::snprintf(line, sizeof line, "  bar rc=%d data=%016llx info=%016llx\n", c.rc,
                  static_cast<unsigned long long>(c.data), static_cast<unsigned long long>(c.info));
    EXPECT_EQ(out.rfind(line, 0), 0u) << c.what << "\n" << out;
    EXPECT_EQ(g_barChannel, 5);
    ASSERT_EQ(exists("pair_000.bar"), c.barBytes != 0) << c.what;
    ASSERT_EQ(exists("pair_000.barinfo"), c.barBytes != 0) << c.what;
    if (c.barBytes) {
      EXPECT_EQ(file("pair_000.bar"), bytesAt(c.data, c.barBytes)) << c.what;
      EXPECT_EQ(file("pair_000.barinfo"), bytesAt(c.infoSource, std::min<size_t>(64, c.barBytes))) << c.what;
    }
  }

  // The slots are cleared before the call: one that sets neither prints nulls.
  api.MAG_GetOutputColorBardata = colourBarSetsNothing;
  const std::string out = captured([&] { dumpImages(api, ctx, pair); });
  EXPECT_EQ(out.rfind("  bar rc=0 data=0000000000000000 info=0000000000000000\n", 0), 0u) << out;

  // Not bound: no bar line, no bar files.
  std::filesystem::remove_all(outDir);
  std::filesystem::create_directory(outDir);
  api.MAG_GetOutputColorBardata = nullptr;
  EXPECT_EQ(captured([&] { dumpImages(api, ctx, pair); }).rfind("[0] ", 0), 0u);
  EXPECT_FALSE(exists("pair_000.bar"));
}

}  // namespace
}  // namespace dumptest
