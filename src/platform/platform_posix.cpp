// The platform layer of the native POSIX (Linux) port: dlopen for the SDK
// libraries, nanosleep and CLOCK_MONOTONIC for timing, and fault-free reads
// of the process's own memory through process_vm_readv, with /proc/self/mem
// plus the protections in /proc/self/maps where that call is refused.
#include "platform/platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace plat {

const char kPathSep = '/';

void setLibraryDir(const char*) {}

void* loadLibrary(const char* name) { return name ? dlopen(name, RTLD_NOW | RTLD_LOCAL) : nullptr; }

void* findSymbol(void* lib, const char* name) { return lib && name ? dlsym(lib, name) : nullptr; }

uintptr_t libraryBase(void* lib) {
  link_map* map = nullptr;
  if (!lib || dlinfo(lib, RTLD_DI_LINKMAP, &map) != 0 || !map) return 0;
  return static_cast<uintptr_t>(map->l_addr);
}

void sleepMs(uint32_t ms) {
  timespec left{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

uint32_t tickMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

namespace {

// The lowest 64 KiB are never mapped for user code; a pointer there is a
// small integer or a null with an offset, not an address.
constexpr uintptr_t kLowestAddress = 0x10000;
// The kernel moves at most this much in one read call.
constexpr size_t kMaxRead = 0x7ffff000;

// Clamps the range so it neither wraps around the address space nor asks for
// more than one call can move; 0 for an address that cannot be user memory.
size_t clampRange(uintptr_t addr, size_t len) {
  if (addr < kLowestAddress) return 0;
  len = std::min(len, kMaxRead);
  return std::min<size_t>(len, UINTPTR_MAX - addr);
}

size_t pageSize() {
  static const size_t size = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return size;
}

// process_vm_readv on the own pid honours page protections and stops at the
// first unreadable page. Some sandboxes refuse it; from the first refusal on
// every read goes through /proc/self/mem instead.
std::atomic<bool> g_vmReadRefused{false};

bool refused(int err) { return err == ENOSYS || err == EPERM || err == EACCES; }

// Bytes copied by process_vm_readv, or -1 when the call was refused.
ssize_t vmRead(uintptr_t addr, void* dst, size_t len) {
  iovec local{dst, len};
  iovec remote{reinterpret_cast<void*>(addr), len};
  const ssize_t got = process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
  if (got >= 0) return got;
  if (refused(errno)) {
    g_vmReadRefused.store(true, std::memory_order_relaxed);
    return -1;
  }
  return 0;
}

// Readable leading pages, probed with one byte per page in batches of
// iovecs, so the cost is one call per 1024 pages and no bulk copy.
ssize_t vmExtent(uintptr_t addr, size_t len) {
  constexpr size_t kBatch = 1024;
  const size_t page = pageSize();
  iovec remote[kBatch];
  unsigned char sink[kBatch];
  const uintptr_t end = addr + len;
  uintptr_t at = addr;
  while (at < end) {
    size_t n = 0;
    while (n < kBatch && at < end) {
      remote[n++] = {reinterpret_cast<void*>(at), 1};
      const uintptr_t next = (at & ~(page - 1)) + page;
      at = next > at ? next : end;  // the top page of the address space ends the range
    }
    iovec local{sink, n};
    const ssize_t got = process_vm_readv(getpid(), &local, 1, remote, n, 0);
    if (got < 0 && refused(errno)) {
      g_vmReadRefused.store(true, std::memory_order_relaxed);
      return -1;
    }
    const size_t pages = got < 0 ? 0 : static_cast<size_t>(got);
    if (pages < n) return static_cast<ssize_t>(reinterpret_cast<uintptr_t>(remote[pages].iov_base) - addr);
  }
  return static_cast<ssize_t>(len);
}

// /proc/self/mem, opened once and kept for the process's life.
int procMem() {
  static const int fd = open("/proc/self/mem", O_RDONLY | O_CLOEXEC);
  return fd;
}

// /proc/self/mem reads pages of any protection, so on that path the extent
// comes from the mappings the kernel lists as readable and contiguous.
size_t mapsExtent(uintptr_t addr, size_t len) {
  const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  std::string text;
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(chunk, static_cast<size_t>(got));
  }
  close(fd);

  const uintptr_t end = addr + len;
  uintptr_t reach = addr;  // readable up to here, contiguously from addr
  const char* line = text.c_str();
  while (*line && reach < end) {
    char* rest = nullptr;
    const uintptr_t lo = std::strtoull(line, &rest, 16);
    const uintptr_t hi = (*rest == '-') ? std::strtoull(rest + 1, &rest, 16) : 0;
    const bool readable = *rest == ' ' && rest[1] == 'r';
    if (hi > reach) {
      if (lo > reach || !readable) break;
      reach = hi;
    }
    const char* next = std::strchr(line, '\n');
    if (!next) break;
    line = next + 1;
  }
  return std::min<uintptr_t>(reach, end) - addr;
}

size_t procRead(uintptr_t addr, void* dst, size_t len) {
  len = mapsExtent(addr, len);
  if (len == 0 || procMem() < 0) return 0;
  const ssize_t got = pread(procMem(), dst, len, static_cast<off_t>(addr));
  return got < 0 ? 0 : static_cast<size_t>(got);
}

}  // namespace

size_t readMemory(uintptr_t addr, void* dst, size_t len) {
  len = clampRange(addr, len);
  if (len == 0 || !dst) return 0;
  if (!g_vmReadRefused.load(std::memory_order_relaxed)) {
    const ssize_t got = vmRead(addr, dst, len);
    if (got >= 0) return static_cast<size_t>(got);
  }
  return procRead(addr, dst, len);
}

size_t readableExtent(uintptr_t addr, size_t len) {
  len = clampRange(addr, len);
  if (len == 0) return 0;
  if (!g_vmReadRefused.load(std::memory_order_relaxed)) {
    const ssize_t got = vmExtent(addr, len);
    if (got >= 0) return static_cast<size_t>(got);
  }
  return mapsExtent(addr, len);
}

}  // namespace plat
