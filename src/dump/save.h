// Output naming and file writing: every per-pair file lands in the output
// directory g_dir through one path join.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes len bytes of buf to "<g_dir><sep><name>" (mode "wb"). A path that
// does not fit its 512-byte buffer, or a file that cannot be opened, is
// skipped silently.
void save(const char* name, const void* buf, uint64_t len);

// Writes the readable prefix of len bytes of SDK memory at addr to the named
// file (an empty file when nothing at addr is readable). Copies through a
// fixed scratch buffer, so SDK memory is never touched directly.
void saveSdk(const char* name, uintptr_t addr, uint64_t len);

// save and saveSdk for the pair file "<base><ext>" (ext with its dot).
void savePairFile(const char* base, const char* ext, const void* buf, uint64_t len);
void savePairFileSdk(const char* base, const char* ext, uintptr_t addr, uint64_t len);
