// The writable block that covers the module globals' image offsets: one
// large zero-initialised array. On Windows it lands in .bss right after the
// library's small code; natively image_layout.ld puts it ahead of the code.
#include "image_globals.h"

#include <cstdio>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#endif

namespace {

#if defined(__ELF__)
#define IRSIM_IMAGE_SECTION __attribute__((section(".irsim_image")))
#else
#define IRSIM_IMAGE_SECTION
#endif

constexpr size_t kStoreBytes = 0xa0000;
IRSIM_IMAGE_SECTION alignas(4096) unsigned char g_store[kStoreBytes];

struct GlobalSpan {
  const char* name;
  uint32_t offset;
  uint32_t bytes;
};

constexpr GlobalSpan kGlobals[] = {
    {"gain", imgoff::kGain, 4},
    {"channel_table", imgoff::kChannelTable, imgoff::kChannelStride * imgoff::kChannels},
    {"globframe", imgoff::kGlobframe, 4},
    {"ffcstate", imgoff::kFfcstate, 4},
    {"t_base", imgoff::kTBase, 4},
    {"t_now", imgoff::kTNow, 4},
};

uintptr_t g_base = 0;  // set by the check

}  // namespace

uintptr_t imageBase() {
#if defined(_WIN32)
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&g_store), &self);
  return reinterpret_cast<uintptr_t>(self);
#else
  Dl_info info{};
  link_map* map = nullptr;
  if (!dladdr1(&g_store, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || !map) return 0;
  return static_cast<uintptr_t>(map->l_addr);
#endif
}

bool checkImageGlobals(char* msg, size_t cap) {
  const uintptr_t base = imageBase();
  const uintptr_t lo = reinterpret_cast<uintptr_t>(g_store);
  const uintptr_t hi = lo + kStoreBytes;
  for (const GlobalSpan& g : kGlobals) {
    const uintptr_t at = base + g.offset;
    if (base == 0 || at < lo || at + g.bytes > hi) {
      std::snprintf(msg, cap, "%s at image offset 0x%x lies outside the block at offsets 0x%llx..0x%llx", g.name,
                    g.offset, static_cast<unsigned long long>(lo - base), static_cast<unsigned long long>(hi - base));
      return false;
    }
  }
  if (cap) msg[0] = 0;
  g_base = base;
  return true;
}

unsigned char* imageAt(uint32_t offset) { return reinterpret_cast<unsigned char*>(g_base + offset); }

void clearImageGlobals() { std::memset(g_store, 0, kStoreBytes); }
