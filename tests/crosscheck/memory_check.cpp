// Checks the fault-free memory reader on the build it is compiled for:
// memory that ends in a no-access page (and, on Windows, a guard page and a
// reserved page), null, low, wild and wrapping addresses. The same checks
// run natively and as a Windows program under wine.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "check.h"
#include "platform/platform.h"
#include "sdk/sdkmem.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

size_t pageSize() {
#ifdef _WIN32
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

enum class Barrier { NoAccess, Guard, Reserved };

// Two pages: the first readable and filled with a pattern, the second made
// unreadable the way the barrier says. Returns the first page's address.
unsigned char* makePages(Barrier barrier) {
  const size_t page = pageSize();
#ifdef _WIN32
  auto* p = static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * page, MEM_RESERVE, PAGE_NOACCESS));
  if (!p || !VirtualAlloc(p, page, MEM_COMMIT, PAGE_READWRITE)) return nullptr;
  DWORD old = 0;
  if (barrier == Barrier::NoAccess &&
      (!VirtualAlloc(p + page, page, MEM_COMMIT, PAGE_READWRITE) || !VirtualProtect(p + page, page, PAGE_NOACCESS, &old)))
    return nullptr;
  if (barrier == Barrier::Guard && !VirtualAlloc(p + page, page, MEM_COMMIT, PAGE_READWRITE | PAGE_GUARD)) return nullptr;
#else
  auto* p = static_cast<unsigned char*>(mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  if (p == MAP_FAILED) return nullptr;
  std::memset(p + page, 0xee, page);
  if (barrier == Barrier::Reserved ? munmap(p + page, page) != 0 : mprotect(p + page, page, PROT_NONE) != 0) return nullptr;
#endif
  for (size_t i = 0; i < page; ++i) p[i] = static_cast<unsigned char>(i * 7 + 1);
  return p;
}

bool guardStillArmed(const unsigned char* guardPage) {
#ifdef _WIN32
  MEMORY_BASIC_INFORMATION info{};
  return VirtualQuery(guardPage, &info, sizeof info) == sizeof info && (info.Protect & PAGE_GUARD) != 0;
#else
  (void)guardPage;
  return true;
#endif
}

void checkBarrier(Barrier barrier, const char* name) {
  char what[160];
  auto label = [&](const char* text) {
    std::snprintf(what, sizeof what, "%s: %s", name, text);
    return what;
  };
  const size_t page = pageSize();
  unsigned char* p = makePages(barrier);
  check(p != nullptr, label("set up the two pages"));
  if (!p) return;
  const uintptr_t base = reinterpret_cast<uintptr_t>(p);

  // A range across the boundary yields exactly the readable prefix.
  static unsigned char dst[3 * 65536];
  std::memset(dst, 0x5a, sizeof dst);
  const size_t got = plat::readMemory(base + 100, dst, page);
  check(got == page - 100, label("range across the boundary gives the readable prefix"));
  check(std::memcmp(dst, p + 100, page - 100) == 0, label("prefix bytes are the page's bytes"));
  check(dst[page - 100] == 0x5a, label("bytes past the prefix are left alone"));
  check(plat::readableExtent(base + 100, page) == page - 100, label("extent across the boundary"));
  check(plat::readableExtent(base, 2 * page + 12345) == page, label("extent of a long range stops at the boundary"));
  check(copyFrom(base + page - 8, dst, 64) == 8, label("copyFrom returns the prefix length"));

  // Scalars: whole before the boundary, straddling it, past it.
  uint32_t expect32 = 0;
  std::memcpy(&expect32, p + page - 4, 4);
  check(readU32(base + page - 4) == expect32, label("u32 just before the boundary"));
  check(readU32(base + page - 2) == 0, label("u32 straddling the boundary yields 0"));
  check(readU16(base + page - 1) == 0, label("u16 straddling the boundary yields 0"));
  check(readPtr(base + page - 4) == 0, label("pointer straddling the boundary yields 0"));
  check(readU32(base + page) == 0, label("u32 past the boundary yields 0"));
  check(readF64(base + page + 8) == 0.0, label("double past the boundary yields 0"));
  check(plat::readMemory(base + page, dst, 16) == 0, label("range starting past the boundary copies nothing"));

  // A pointer field that points into the unreadable page.
  const uintptr_t bad = base + page + 16;
  std::memcpy(p, &bad, sizeof bad);
  check(copyVia(base, dst, 32) == 0, label("copyVia through a pointer to the unreadable page"));
  const uintptr_t good = base + 64;
  std::memcpy(p, &good, sizeof good);
  check(copyVia(base, dst, 32) == 32 && std::memcmp(dst, p + 64, 32) == 0, label("copyVia through a good pointer"));

  if (barrier == Barrier::Guard) check(guardStillArmed(p + page), label("the guard page was never touched"));
}

void checkWildAddresses() {
  unsigned char dst[64];
  const uintptr_t wild[] = {0, 1, 8, 0xaf0, 0xffff,
                            0xdead0000beef0000ull, 0xffff800000000000ull, UINTPTR_MAX - 3, UINTPTR_MAX};
  for (uintptr_t addr : wild) {
    char what[96];
    std::snprintf(what, sizeof what, "wild address 0x%llx reads nothing", static_cast<unsigned long long>(addr));
    check(plat::readMemory(addr, dst, sizeof dst) == 0 && plat::readableExtent(addr, sizeof dst) == 0 &&
              readU32(addr) == 0 && readPtr(addr) == 0,
          what);
  }
  // A length that would wrap past the top of the address space.
  static const unsigned char mine[16] = {1, 2, 3};
  check(plat::readableExtent(reinterpret_cast<uintptr_t>(mine), SIZE_MAX) >= sizeof mine, "huge length from a readable address");
  check(plat::readMemory(reinterpret_cast<uintptr_t>(mine), dst, 3) == 3 && dst[2] == 3, "own memory reads back");
  check(plat::readMemory(reinterpret_cast<uintptr_t>(mine), nullptr, 3) == 0, "null destination copies nothing");
  check(copyVia(0, dst, 8) == 0, "copyVia through a null field address");
}

#ifdef _WIN32
// Walks the whole image of a loaded module page by page: wine leaves some
// section pages no-access, and none of them may fault; the header page and
// the image as one range must agree with the extent.
void checkModuleImage(const char* name) {
  char what[160];
  const auto* image = reinterpret_cast<const unsigned char*>(GetModuleHandleA(name));
  std::snprintf(what, sizeof what, "module %s is loaded", name ? name : "(exe)");
  check(image != nullptr, what);
  if (!image) return;
  const uintptr_t base = reinterpret_cast<uintptr_t>(image);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
  const size_t size = nt->OptionalHeader.SizeOfImage;
  static unsigned char buf[64 << 20];
  const size_t whole = plat::readMemory(base, buf, std::min(size, sizeof buf));
  std::snprintf(what, sizeof what, "module %s: whole-image read matches its extent", name ? name : "(exe)");
  check(whole >= pageSize() && whole == plat::readableExtent(base, std::min(size, sizeof buf)), what);
  size_t readablePages = 0;
  for (size_t off = 0; off < size; off += pageSize()) {
    unsigned char page[8];
    if (plat::readMemory(base + off, page, sizeof page) == sizeof page) ++readablePages;
    (void)readU32(base + off + pageSize() - 2);
  }
  std::snprintf(what, sizeof what, "module %s: every page probed without a fault (%zu of %zu readable)",
                name ? name : "(exe)", readablePages, (size + pageSize() - 1) / pageSize());
  check(readablePages > 0, what);
}
#endif

}  // namespace

int main() {
  checkBarrier(Barrier::NoAccess, "no-access page");
  checkBarrier(Barrier::Reserved, "unmapped page");
#ifdef _WIN32
  checkBarrier(Barrier::Guard, "guard page");
  checkModuleImage(nullptr);
  checkModuleImage("kernel32.dll");
  checkModuleImage("ntdll.dll");
#endif
  checkWildAddresses();
  return finish();
}
