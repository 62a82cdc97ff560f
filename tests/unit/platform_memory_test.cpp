// Tests of the POSIX platform layer: the fault-free memory reader on both of
// its paths (process_vm_readv, and /proc/self/mem where that call is refused),
// path joining, library base lookup and the EINTR-proof sleep.
#include <dlfcn.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <stddef.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

const size_t kPage = static_cast<size_t>(sysconf(_SC_PAGESIZE));

// Two pages: the first readable with a pattern, the second PROT_NONE (its
// bytes were written first, so a reader that ignores protections sees them).
unsigned char* pagesEndingInNoAccess() {
  auto* p = static_cast<unsigned char*>(mmap(nullptr, 2 * kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  if (p == MAP_FAILED) return nullptr;
  for (size_t i = 0; i < 2 * kPage; ++i) p[i] = static_cast<unsigned char>(i * 13 + 5);
  if (mprotect(p + kPage, kPage, PROT_NONE) != 0) return nullptr;
  return p;
}

// Runs the boundary and wild-address cases; returns a description of every
// case that went wrong (empty when all held).
std::string readerFaults() {
  std::string faults;
  auto fail = [&](const char* what, size_t off, size_t len, size_t got) {
    char line[128];
    std::snprintf(line, sizeof line, "%s off=%zu len=%zu got=%zu\n", what, off, len, got);
    faults += line;
  };
  unsigned char* p = pagesEndingInNoAccess();
  if (!p) return "mmap/mprotect failed\n";
  const uintptr_t base = reinterpret_cast<uintptr_t>(p);

  struct Case {
    size_t off, len, readable;
  };
  const Case cases[] = {
      {0, kPage, kPage},            // exactly the readable page
      {100, kPage, kPage - 100},    // across the boundary: the readable prefix
      {0, 2 * kPage, kPage},        // both pages
      {kPage - 1, 2, 1},            // last readable byte and first unreadable one
      {kPage, 1, 0},                // first unreadable byte
      {kPage + 8, 64, 0},           // inside the no-access page
      {0, 64 * kPage, kPage},       // far past it
  };
  std::vector<unsigned char> dst(64 * kPage + 1);
  for (const Case& c : cases) {
    std::fill(dst.begin(), dst.end(), 0xa5);
    const size_t got = plat::readMemory(base + c.off, dst.data(), c.len);
    if (got != c.readable) fail("readMemory count", c.off, c.len, got);
    if (std::memcmp(dst.data(), p + c.off, std::min(got, c.readable)) != 0) fail("readMemory bytes", c.off, c.len, got);
    if (dst[c.readable] != 0xa5) fail("readMemory wrote past the prefix", c.off, c.len, got);
    const size_t extent = plat::readableExtent(base + c.off, c.len);
    if (extent != c.readable) fail("readableExtent", c.off, c.len, extent);
  }

  const uintptr_t wild[] = {0,       1,        0xaf0,      0xffff, 0xdead0000beef0000ull, 0xffff800000000000ull,
                            UINTPTR_MAX - 3, UINTPTR_MAX};
  for (uintptr_t addr : wild) {
    const size_t got = plat::readMemory(addr, dst.data(), 64);
    const size_t extent = plat::readableExtent(addr, 64);
    if (got != 0 || extent != 0) fail("wild address", static_cast<size_t>(addr), 64, got + extent);
  }
  // A length that runs past the top of the address space is cut, not wrapped.
  const size_t huge = plat::readableExtent(base, SIZE_MAX);
  if (huge != kPage) fail("huge length", 0, SIZE_MAX, huge);
  if (plat::readMemory(base, nullptr, 8) != 0) fail("null destination", 0, 8, 1);
  munmap(p, 2 * kPage);
  return faults;
}

TEST(PlatformMemory, ReadsStopAtTheNoAccessPage) { EXPECT_EQ(readerFaults(), ""); }

// Makes process_vm_readv fail with EPERM, as some sandboxes do.
bool refuseProcessVmReadv() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_process_vm_readv, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog prog{static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &prog) == 0;
}

// The same cases in a child where process_vm_readv is refused: the reader
// falls back to /proc/self/mem, which would read PROT_NONE pages if the
// protections were not checked.
TEST(PlatformMemory, FallbackPathStillStopsAtTheNoAccessPage) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (!refuseProcessVmReadv()) {
          std::fputs("could not install the seccomp filter\n", stderr);
          _exit(2);
        }
        const std::string faults = readerFaults();
        std::fputs(faults.c_str(), stderr);
        _exit(faults.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(PlatformPath, JoinFitsOrFailsCleanly) {
  struct Case {
    const char* dir;
    const char* name;
    size_t cap;
    const char* want;  // null: does not fit
  };
  const Case cases[] = {
      {"out", "pair_000.raw", 17, "out/pair_000.raw"},  // exactly fits with its terminator
      {"out", "pair_000.raw", 16, nullptr},             // one byte short
      {".", "a", 4, "./a"},
      {"", "a", 3, "/a"},
      {"dir", "", 5, "dir/"},
      {"dir", "x", 1, nullptr},
      {"dir", "x", 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dir) + " + " + c.name + " cap " + std::to_string(c.cap));
    char buf[32];
    std::memset(buf, '#', sizeof buf);
    const bool ok = plat::joinPath(buf, c.cap, c.dir, c.name);
    EXPECT_EQ(ok, c.want != nullptr);
    if (c.want) {
      EXPECT_STREQ(buf, c.want);
    } else {
      EXPECT_EQ(buf[0], c.cap > 0 ? 0 : '#');
    }
    for (size_t i = std::max<size_t>(c.cap, 1); i < sizeof buf; ++i) ASSERT_EQ(buf[i], '#') << "wrote past cap at " << i;
  }
}

TEST(PlatformLibrary, BaseOfALoadedLibraryIsItsImageStart) {
  void* lib = plat::loadLibrary("libm.so.6");
  ASSERT_NE(lib, nullptr);
  void* cosine = plat::findSymbol(lib, "cos");
  ASSERT_NE(cosine, nullptr);
  Dl_info info{};
  ASSERT_NE(dladdr(cosine, &info), 0);
  EXPECT_EQ(plat::libraryBase(lib), reinterpret_cast<uintptr_t>(info.dli_fbase));
  EXPECT_EQ(plat::findSymbol(lib, "no_such_entry_point"), nullptr);
  EXPECT_EQ(plat::findSymbol(nullptr, "cos"), nullptr);
  EXPECT_EQ(plat::loadLibrary("NoSuchLibrary.dll"), nullptr);
  EXPECT_EQ(plat::libraryBase(nullptr), 0u);
}

// A signal arriving during the sleep must not cut it short.
TEST(PlatformTime, SleepOutlastsInterruptingSignals) {
  struct sigaction quiet {};
  quiet.sa_handler = [](int) {};
  struct sigaction old {};
  ASSERT_EQ(sigaction(SIGALRM, &quiet, &old), 0);  // no SA_RESTART: nanosleep returns EINTR
  itimerval every5ms{{0, 5000}, {0, 5000}};
  itimerval off{};
  setitimer(ITIMER_REAL, &every5ms, nullptr);
  const uint32_t start = plat::tickMs();
  plat::sleepMs(60);
  const uint32_t elapsed = plat::tickMs() - start;
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &old, nullptr);
  EXPECT_GE(elapsed, 59u);
}

}  // namespace
