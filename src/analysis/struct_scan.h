// Device structure scan: scan targets as u32 and u16, LUT-like windows and
// doubles near 25167 in the device record. Prints "struct scan:", the hits
// and flushes.
#pragma once

#include <cstddef>
#include <cstdint>

void scanDeviceRecord(uintptr_t dev);

// Device offsets the scan reads: kScanFirst up to, not including, kScanEnd.
constexpr uint32_t kScanFirst = 0x100;
constexpr uint32_t kScanEnd = 0x1fff0;
constexpr size_t kScanBytes = kScanEnd - kScanFirst;
// LUT windows in the range: 0x100, 0x110, ..., 0x1fbf0.
constexpr size_t kLutWindows = (0x1fbf0 - kScanFirst) / 16 + 1;

// The whole scan (heading, four passes, flush) over a copy of the range:
// bytes[0] is device offset kScanFirst, and only the first `readable` bytes
// (at most kScanBytes) hold the record; offsets reaching past them are skipped.
void scanRecordBytes(const unsigned char* bytes, size_t readable);
// The LUT pass alone, over the same kind of copy.
void scanLutWindows(const unsigned char* bytes, size_t readable);
// Minimum and maximum of each of `windows` (at most kLutWindows) 1024-byte
// windows that start 16 bytes apart at p (p must hold 16 * (windows - 1) +
// 1024 bytes).
void lutWindowExtremes(const unsigned char* p, size_t windows, unsigned char* mins, unsigned char* maxs);
