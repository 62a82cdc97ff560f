// Device structure scan: scan targets as u32 and u16, LUT-like windows and
// doubles near 25167 in the device record. Prints "struct scan:", the hits
// and flushes.
#pragma once

#include <cstdint>

void scanDeviceRecord(uintptr_t dev);
