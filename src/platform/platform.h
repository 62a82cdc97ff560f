// The thin layer between the tool and the operating system: library loading,
// sleep and tick, safe reads of memory the tool does not own, path joining.
// platform_win32.cpp and platform_posix.cpp implement it; nothing else in the
// tool includes an operating-system header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace plat {

// Adds dir to the places searched for libraries (SetDllDirectoryA on Windows;
// nothing on POSIX, where the library search path is the environment's).
void setLibraryDir(const char* dir);
// Loads a library by file name; null when it cannot be loaded.
void* loadLibrary(const char* name);
// Address of an exported entry point; null when the library has none.
void* findSymbol(void* lib, const char* name);
// Address at which the library's image starts (its actual base); 0 if unknown.
uintptr_t libraryBase(void* lib);

// Suspends the calling thread for ms milliseconds.
void sleepMs(uint32_t ms);
// A millisecond tick that wraps around at 2^32; only differences are used.
uint32_t tickMs();

// Separator between the output directory and a file name: a backslash on
// Windows, a slash in the POSIX port.
extern const char kPathSep;
// Writes "<dir><sep><name>" into out; returns false (out untouched beyond
// out[0] = 0) when the joined path does not fit in cap bytes.
inline bool joinPath(char* out, size_t cap, const char* dir, const char* name) {
  if (!out || cap == 0) return false;
  out[0] = 0;
  if (!dir || !name) return false;
  const size_t d = std::strlen(dir);
  const size_t n = std::strlen(name);
  if (d >= cap || n >= cap || d + 1 + n >= cap) return false;
  std::memcpy(out, dir, d);
  out[d] = kPathSep;
  std::memcpy(out + d + 1, name, n);
  out[d + 1 + n] = 0;
  return true;
}

// Copies up to len bytes starting at addr into dst, stopping at the first
// byte that is not readable (page-granular). Returns the number of bytes
// copied. Never faults, whatever addr is (null, unmapped, no-access).
size_t readMemory(uintptr_t addr, void* dst, size_t len);
// Number of bytes from addr on, up to len, that readMemory would copy.
size_t readableExtent(uintptr_t addr, size_t len);

}  // namespace plat
