// Page mapping for the simulated SDK on Windows (VirtualAlloc) and POSIX
// (mmap), used for device records and buffers whose ends must be exact.
#include "pages.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif


size_t pageSize() {
#if defined(_WIN32)
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

namespace {

unsigned char* mapReadWrite(size_t length) {
#if defined(_WIN32)
  return static_cast<unsigned char*>(VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
#else
  void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : static_cast<unsigned char*>(p);
#endif
}

void protectNoAccess(unsigned char* at, size_t length) {
#if defined(_WIN32)
  DWORD old = 0;
  VirtualProtect(at, length, PAGE_NOACCESS, &old);
#else
  mprotect(at, length, PROT_NONE);
#endif
}

}  // namespace

unsigned char* mapGuarded(size_t size, bool flushEnd, PageBlock* block) {
  const size_t page = pageSize();
  const size_t body = (size + page - 1) / page * page;
  unsigned char* base = mapReadWrite(body + page);
  if (!base) return nullptr;
  protectNoAccess(base + body, page);
  if (block) *block = {base, body + page};
  return flushEnd ? base + body - size : base;
}

void unmapBlock(PageBlock& block) {
  if (!block.base) return;
#if defined(_WIN32)
  VirtualFree(block.base, 0, MEM_RELEASE);
#else
  munmap(block.base, block.length);
#endif
  block = {};
}

uintptr_t noAccessAddress(unsigned n) {
  static unsigned char* region = [] {
    unsigned char* p = mapReadWrite(pageSize() * 4);
    if (p) protectNoAccess(p, pageSize() * 4);
    return p;
  }();
  return region ? reinterpret_cast<uintptr_t>(region) + (n % 256u) * 64u : unmappedAddress(n);
}

uintptr_t unmappedAddress(unsigned n) {
  // The lowest 64 KiB are never mapped, and the second address lies above
  // the highest user address of both systems.
  return n % 2 == 0 ? 0x3000u + (n % 16u) * 0x100u : 0x0000800000000000ull + (n % 16u) * 0x1000u;
}
