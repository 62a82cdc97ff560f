// Writing one per-pair file into the output directory, from the tool's own
// memory (save) or from SDK memory through a bounded copy (saveSdk).
#include "dump/save.h"

#include <cstdio>

#include "driver/args.h"
#include "driver/console.h"
#include "platform/platform.h"
#include "sdk/sdkmem.h"

namespace {

// Opens "<g_dir><sep><name>" for writing; null when the joined path does not
// fit its buffer or the file cannot be opened.
FILE* openOutput(const char* name) {
  char path[512];
  if (!plat::joinPath(path, sizeof path, g_dir, name)) return nullptr;
  return fopen(path, "wb");
}

// SDK memory is staged here chunk by chunk; allocated once for the run.
constexpr size_t kScratchBytes = size_t{1} << 20;
unsigned char g_scratch[kScratchBytes];

}  // namespace

void save(const char* name, const void* buf, uint64_t len) {
  FILE* f = openOutput(name);
  if (!f) return;
  if (len > 0) fwrite(buf, 1, static_cast<size_t>(len), f);
  fclose(f);
}

void saveSdk(const char* name, uintptr_t addr, uint64_t len) {
  FILE* f = openOutput(name);
  if (!f) return;
  uint64_t done = 0;
  while (done < len) {
    uint64_t left = len - done;
    size_t want = left < kScratchBytes ? static_cast<size_t>(left) : kScratchBytes;
    size_t got = copyFrom(addr + static_cast<uintptr_t>(done), g_scratch, want);
    if (got > 0) fwrite(g_scratch, 1, got, f);
    if (got < want) break;  // the rest is not readable
    done += got;
  }
  fclose(f);
}

void savePairFile(const char* base, const char* ext, const void* buf, uint64_t len) {
  char name[128];
  formatText(name, sizeof name, "%s%s", base, ext);
  save(name, buf, len);
}

void savePairFileSdk(const char* base, const char* ext, uintptr_t addr, uint64_t len) {
  char name[128];
  formatText(name, sizeof name, "%s%s", base, ext);
  saveSdk(name, addr, len);
}
