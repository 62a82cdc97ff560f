// The module globals and the channel table that live in CoreSDKLib's own
// image at fixed offsets from its base, inside one large writable block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace imgoff {
constexpr uint32_t kGain = 0x6ea60;
constexpr uint32_t kChannelTable = 0x73758;
constexpr uint32_t kChannelStride = 0x4a8;
constexpr int kChannels = 8;
constexpr uint32_t kGlobframe = 0x73bec;
constexpr uint32_t kFfcstate = 0x73bf4;
constexpr uint32_t kTBase = 0x990c0;
constexpr uint32_t kTNow = 0x990c4;
}  // namespace imgoff

// Base address of this library's image (HMODULE, or the link map's l_addr).
uintptr_t imageBase();
// Checks that every global's address lies inside the writable block; on
// failure writes what is wrong into msg and returns false.
bool checkImageGlobals(char* msg, size_t cap);
// Address of an image offset (valid only after a successful check).
unsigned char* imageAt(uint32_t offset);
// Clears the globals and the channel table.
void clearImageGlobals();
