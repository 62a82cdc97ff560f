// Tests of the SDK memory reader: module globals and channel entries of a
// library image at a non-default base, scalars of a device record that ends
// early, and copies through pointer fields.
#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "sdk/sdkmem.h"

namespace {

template <typename T>
void put(unsigned char* at, T value) {
  std::memcpy(at, &value, sizeof value);
}

TEST(SdkMem, ModuleGlobalsFollowTheActualBase) {
  EXPECT_EQ(moduleAddr(img::kPreferredBase, img::kGlobframe), 0x180073becu);
  EXPECT_EQ(channelEntry(img::kPreferredBase, 2), 0x1800740a8u);

  // A stand-in for the library image, wherever the allocator put it.
  std::vector<unsigned char> image(img::kTNow + 16);
  const uintptr_t base = reinterpret_cast<uintptr_t>(image.data());
  ASSERT_NE(base, img::kPreferredBase);
  put<uint32_t>(&image[img::kGain], 0x11111111u);
  put<uint32_t>(&image[img::kGlobframe], 0x22222222u);
  put<uint32_t>(&image[img::kFfcstate], 0x33333333u);
  put<uint32_t>(&image[img::kTBase], 0x44444444u);
  put<uint32_t>(&image[img::kTNow], 0x55555555u);
  for (int c = 0; c < 8; ++c)
    put<uintptr_t>(&image[img::kChannelTable + c * img::kChannelStride], 0x1000u + static_cast<uintptr_t>(c));

  EXPECT_EQ(readU32(moduleAddr(base, img::kGain)), 0x11111111u);
  EXPECT_EQ(readU32(moduleAddr(base, img::kGlobframe)), 0x22222222u);
  EXPECT_EQ(readU32(moduleAddr(base, img::kFfcstate)), 0x33333333u);
  EXPECT_EQ(readU32(moduleAddr(base, img::kTBase)), 0x44444444u);
  EXPECT_EQ(readU32(moduleAddr(base, img::kTNow)), 0x55555555u);
  EXPECT_EQ(readPtr(channelEntry(base, 2)), 0x1002u);
  EXPECT_EQ(readPtr(channelEntry(base, 7)), 0x1007u);
  // The two counters lie inside channel 0's entry whatever channel is in use.
  EXPECT_EQ(moduleAddr(base, img::kGlobframe) - channelEntry(base, 0), 0x494u);
  EXPECT_EQ(moduleAddr(base, img::kFfcstate) - channelEntry(base, 0), 0x49cu);
}

TEST(SdkMem, ScalarsAreLittleEndianAtAnyAlignment) {
  alignas(8) unsigned char bytes[32] = {};
  const unsigned char le[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
  std::memcpy(bytes + 3, le, sizeof le);
  const uintptr_t at = reinterpret_cast<uintptr_t>(bytes + 3);
  EXPECT_EQ(readU16(at), 0x0201u);
  EXPECT_EQ(readU32(at), 0x04030201u);
  EXPECT_EQ(readI32(at + 4), static_cast<int32_t>(0x88070605u));
  EXPECT_EQ(readPtr(at), 0x8807060504030201u);
  put<double>(bytes + 17, 25167.5);
  EXPECT_EQ(readF64(reinterpret_cast<uintptr_t>(bytes + 17)), 25167.5);
}

// A device record that stops long before the offsets the map names: every
// field past its end reads as 0 and range copies take only what exists.
TEST(SdkMem, ShortDeviceRecordYieldsZerosAndPrefixes) {
  const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t recordBytes = 0x2000;  // a whole number of pages on 4 KiB systems
  ASSERT_EQ(recordBytes % page, 0u);
  // The rest of the map's reach, up to past its last fixed field, cannot be read.
  const size_t mapped = (dev::kG1 + 0x20 + page - 1) / page * page;
  auto* rec = static_cast<unsigned char*>(mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  ASSERT_NE(rec, MAP_FAILED);
  std::memset(rec, 0x7f, mapped);
  ASSERT_EQ(mprotect(rec + recordBytes, mapped - recordBytes, PROT_NONE), 0);
  const uintptr_t dev = reinterpret_cast<uintptr_t>(rec);

  put<int32_t>(rec + dev::kWidth, 320);
  put<uintptr_t>(rec + dev::kRawp, dev + 0x100);
  put<uintptr_t>(rec + 0x20, 0);
  EXPECT_EQ(devI32(dev, dev::kWidth), 320);
  EXPECT_EQ(devU32(dev, dev::kNsegs), 0u);
  EXPECT_EQ(devPtr(dev, dev::kGainp), 0u);
  EXPECT_EQ(devU16(dev, dev::kG1), 0u);
  EXPECT_EQ(devU16(dev, recordBytes - 1), 0u);  // straddles the end

  std::vector<unsigned char> buf(0x1000, 0xcc);
  EXPECT_EQ(copyDev(dev, recordBytes - 0x100, buf.data(), buf.size()), 0x100u);
  EXPECT_EQ(buf[0xff], 0x7f);
  EXPECT_EQ(buf[0x100], 0xcc);  // untouched past the prefix
  EXPECT_EQ(copyDev(dev, dev::kHist, buf.data(), 1024), 0u);

  // Through pointer fields: a good one, a null one, one that cannot be read.
  EXPECT_EQ(copyVia(dev + dev::kRawp, buf.data(), 16), 16u);
  EXPECT_EQ(copyVia(dev + 0x20, buf.data(), 16), 0u);
  EXPECT_EQ(copyVia(dev + dev::kRefp, buf.data(), 16), 0u);
  put<uintptr_t>(rec + 0x10, dev + recordBytes + 8);  // stale: into the no-access page
  EXPECT_EQ(copyVia(dev + 0x10, buf.data(), 16), 0u);
  munmap(rec, mapped);
}

}  // namespace
