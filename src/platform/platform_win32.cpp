// The platform layer on Windows: the loader for the SDK libraries, Sleep and
// GetTickCount for timing, and fault-free reads of the process's own memory:
// VirtualQuery finds how far a range is committed and readable, then one
// ReadProcessMemory copies exactly that much.
#include "platform/platform.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cstring>

namespace plat {

const char kPathSep = '\\';

void setLibraryDir(const char* dir) { SetDllDirectoryA(dir); }

void* loadLibrary(const char* name) { return name ? static_cast<void*>(LoadLibraryA(name)) : nullptr; }

void* findSymbol(void* lib, const char* name) {
  if (!lib || !name) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(lib), name));
}

// A module handle is the address of its image.
uintptr_t libraryBase(void* lib) { return reinterpret_cast<uintptr_t>(lib); }

void sleepMs(uint32_t ms) { Sleep(ms); }

uint32_t tickMs() { return static_cast<uint32_t>(GetTickCount()); }

namespace {

// The lowest 64 KiB are never mapped for user code.
constexpr uintptr_t kLowestAddress = 0x10000;

bool readable(const MEMORY_BASIC_INFORMATION& info) {
  if (info.State != MEM_COMMIT) return false;
  if (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  const DWORD access = info.Protect & 0xff;
  return access == PAGE_READONLY || access == PAGE_READWRITE || access == PAGE_WRITECOPY ||
         access == PAGE_EXECUTE_READ || access == PAGE_EXECUTE_READWRITE || access == PAGE_EXECUTE_WRITECOPY;
}

}  // namespace

size_t readableExtent(uintptr_t addr, size_t len) {
  if (addr < kLowestAddress) return 0;
  len = std::min<size_t>(len, UINTPTR_MAX - addr);
  const uintptr_t end = addr + len;
  uintptr_t at = addr;
  while (at < end) {
    MEMORY_BASIC_INFORMATION info{};
    if (VirtualQuery(reinterpret_cast<const void*>(at), &info, sizeof info) != sizeof info || !readable(info)) break;
    const uintptr_t regionEnd = reinterpret_cast<uintptr_t>(info.BaseAddress) + info.RegionSize;
    if (regionEnd <= at) break;
    at = regionEnd;
  }
  return static_cast<size_t>(std::min(at, end) - addr);
}

size_t readMemory(uintptr_t addr, void* dst, size_t len) {
  if (!dst) return 0;
  len = readableExtent(addr, len);
  if (len == 0) return 0;
  SIZE_T got = 0;
  // The pages may change between the query and the copy; a partial copy
  // still reports how much of the prefix arrived.
  ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const void*>(addr), dst, len, &got);
  return static_cast<size_t>(got);
}

}  // namespace plat
