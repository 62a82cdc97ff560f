// The colour palette of the simulated camera (256 blue-green-red-reserved
// entries, as a bitmap colour table holds them) and the colour bar built
// from it.
#pragma once

#include <cstdint>

// Fills 256 entries of 4 bytes: blue, green, red, 0.
void fillPalette(uint8_t* table);
// Fills the 4096-byte colour bar: 1024 entries of 4 bytes from cold to hot.
void fillColourBar(const uint8_t* table, uint8_t* bar);
