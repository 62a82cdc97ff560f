// Page-level memory for the simulated SDK: blocks that end at a no-access
// page, a permanent no-access region, and addresses that are never mapped.
#pragma once

#include <cstddef>
#include <cstdint>

struct PageBlock {
  unsigned char* base = nullptr;  // whole mapping, including the guard page
  size_t length = 0;
};

size_t pageSize();

// Maps a zeroed read-write block of at least size bytes followed by one
// no-access page. With flushEnd the returned address is placed so that the
// block's last byte lies right before the no-access page; otherwise it is
// page-aligned. Null when the memory cannot be had.
unsigned char* mapGuarded(size_t size, bool flushEnd, PageBlock* block);
void unmapBlock(PageBlock& block);

// An address in a no-access region that stays reserved for the process's
// life (offset n * 64 bytes into it, n < 256).
uintptr_t noAccessAddress(unsigned n);
// An address where nothing is ever mapped (n selects one of several).
uintptr_t unmappedAddress(unsigned n);
