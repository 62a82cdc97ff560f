// The map of the SDK memory the tool reads directly (device record, module
// globals in CoreSDKLib.dll's image, channel table, stream and smo records)
// and the one reader every step uses. No read ever faults: a scalar that
// cannot be read yields 0, a range copy yields its readable prefix.
#pragma once

#include <cstddef>
#include <cstdint>

// Device record offsets, counted from the device base.
namespace dev {
constexpr uint32_t kHeader = 0xaf0;  // frame header; device base = header - 0xaf0
constexpr uint32_t kFcnt = 0x8;
constexpr uint32_t kDev54 = 0x54;
constexpr uint32_t k11c = 0x11c;
constexpr uint32_t kWordsFirst = 0x240;  // fifteen words printed at start-up
constexpr uint32_t kWordsLast = 0x2b0;
constexpr uint32_t kRawp = 0x270;
constexpr uint32_t kWidth = 0xaf4;
constexpr uint32_t kHeight = 0xaf8;
constexpr uint32_t kColourTable = 0xb18;  // 1024 bytes
constexpr uint32_t k41340 = 0x41340;
constexpr uint32_t k41348 = 0x41348;
constexpr uint32_t kNsegs = 0x41554;
constexpr uint32_t k41558 = 0x41558;
constexpr uint32_t k4155c = 0x4155c;
constexpr uint32_t k41560 = 0x41560;
constexpr uint32_t kB64_0 = 0x41564;
constexpr uint32_t kB68_0 = 0x41568;
constexpr uint32_t kPtrs418x = 0x41840;  // 8 pointers
constexpr uint32_t k41848 = 0x41848;     // also the start of the thr table
constexpr uint32_t kThrp = 0x41858;      // also the th table
constexpr uint32_t kGainp = 0x41870;     // also the g0 table and the gain table
constexpr uint32_t kG1 = 0x54470;
constexpr uint32_t kSmo1 = 0x41ee0;  // 64 bytes
constexpr uint32_t kE0buf = 0x41ee8;
constexpr uint32_t kRefp = 0x41ef0;
constexpr uint32_t kE0acc = 0x41ef8;
constexpr uint32_t kE0 = 0x41f00;
constexpr uint32_t kRef = 0x41f0c;
constexpr uint32_t kSmo2 = 0x41f10;  // 64 bytes; first 8 bytes: smo record address
constexpr uint32_t kSmoRecord = 0x41f10;
constexpr uint32_t kF20 = 0x41f20;
constexpr uint32_t kF10 = 0x41f30;
constexpr uint32_t kF3c = 0x41f3c;
constexpr uint32_t kFd8 = 0x41fd8;
constexpr uint32_t kFdc = 0x41fdc;
constexpr uint32_t kFe0 = 0x41fe0;
constexpr uint32_t kFe4 = 0x41fe4;
constexpr uint32_t kHi = 0x4202c;
constexpr uint32_t kLo = 0x42030;
constexpr uint32_t kHist = 0x4204c;  // 1024 bytes
constexpr uint32_t kLut = 0x4284c;   // 1024 bytes
constexpr uint32_t kPixels = 0x47938;
constexpr uint32_t kP47944 = 0x47944;
constexpr uint32_t kCompOff = 0x47948;
constexpr uint32_t kShift = 0x4794c;
constexpr uint32_t kP47950 = 0x47950;
constexpr uint32_t kP47954 = 0x47954;
}  // namespace dev

// Smo record offsets.
namespace smo {
constexpr uint32_t kBuf = 0x10;
constexpr uint32_t kAcc = 0x18;
}  // namespace smo

// Stream record offsets, in the order of the .stream file.
constexpr uint32_t kStreamFields[6] = {0x2d78, 0x2d88, 0x2d8c, 0x2d90, 0x2d94, 0x2d98};

// Offsets in CoreSDKLib.dll's image (absolute 0x180000000 + offset at its
// preferred base).
namespace img {
constexpr uint64_t kPreferredBase = 0x180000000ull;
constexpr uint32_t kGain = 0x6ea60;
constexpr uint32_t kChannelTable = 0x73758;
constexpr uint32_t kChannelStride = 0x4a8;
constexpr uint32_t kGlobframe = 0x73bec;
constexpr uint32_t kFfcstate = 0x73bf4;
constexpr uint32_t kTBase = 0x990c0;
constexpr uint32_t kTNow = 0x990c4;
}  // namespace img

// Scalars at an absolute address; 0 when not readable.
uint16_t readU16(uintptr_t addr);
uint32_t readU32(uintptr_t addr);
int32_t readI32(uintptr_t addr);
uintptr_t readPtr(uintptr_t addr);
double readF64(uintptr_t addr);

// Scalars at a device offset or at an offset from a record address.
inline uint16_t devU16(uintptr_t dev, uint32_t off) { return readU16(dev + off); }
inline uint32_t devU32(uintptr_t dev, uint32_t off) { return readU32(dev + off); }
inline int32_t devI32(uintptr_t dev, uint32_t off) { return readI32(dev + off); }
inline uintptr_t devPtr(uintptr_t dev, uint32_t off) { return readPtr(dev + off); }

// Range copies: copy up to len bytes into dst, return how many were readable
// (the readable prefix; the rest of dst is left untouched).
size_t copyFrom(uintptr_t addr, void* dst, size_t len);
inline size_t copyDev(uintptr_t dev, uint32_t off, void* dst, size_t len) { return copyFrom(dev + off, dst, len); }
// Copies from the address that the pointer field at fieldAddr holds; 0 when
// that pointer is null or unreadable.
size_t copyVia(uintptr_t fieldAddr, void* dst, size_t len);

// Absolute address of an offset in CoreSDKLib.dll's image at its actual base.
inline uintptr_t moduleAddr(uintptr_t coreBase, uint32_t imageOffset) { return coreBase + imageOffset; }
// Address of channel c's entry in the channel table.
inline uintptr_t channelEntry(uintptr_t coreBase, int channel) {
  return coreBase + img::kChannelTable + static_cast<uintptr_t>(channel) * img::kChannelStride;
}
