// The device record's fixed layout: calibration constants, the frame
// header with its colour table, the pointers to the camera's buffers (or
// null or stale ones, as the scenario asks) and the channel table entries.
#include <cmath>
#include <cstring>

#include "camera.h"
#include "image_globals.h"
#include "palette.h"

void putBytes(Camera& c, uint32_t off, const void* src, size_t n) {
  if (!c.dev || n == 0 || off >= c.devLen) return;
  if (n > c.devLen - off) n = c.devLen - off;
  std::memcpy(c.dev + off, src, n);
}
void put16(Camera& c, uint32_t off, uint16_t v) { putBytes(c, off, &v, sizeof v); }
void put32(Camera& c, uint32_t off, uint32_t v) { putBytes(c, off, &v, sizeof v); }
void put64(Camera& c, uint32_t off, uint64_t v) { putBytes(c, off, &v, sizeof v); }
void putF64(Camera& c, uint32_t off, double v) { putBytes(c, off, &v, sizeof v); }

void fillExposed(Exposed& e, const void* src, size_t n) {
  if (!e.data || n == 0) return;
  std::memcpy(e.data, src, n < e.bytes ? n : e.bytes);
}

namespace {

uint64_t addr(const Exposed& e) { return reinterpret_cast<uintptr_t>(e.data); }

// What the record holds for a pointer to e: the buffer, null or a stale
// address, as the scenario's pointer mode says. n picks the stale kind.
uint64_t published(const Camera& c, const Exposed& e, unsigned n) {
  switch (c.sc.pointers) {
    case PointerMode::null: return 0;
    case PointerMode::stale: return n % 2 ? noAccessAddress(n) : unmappedAddress(n);
    default: return addr(e);
  }
}

void writeHeader(Camera& c) {
  const int32_t header[10] = {40, c.sc.width, c.sc.height, 1 | (8 << 16), 0,
                              static_cast<int32_t>(c.dispPx), 2835, 2835, 256, 0};
  putBytes(c, 0xaf0, header, sizeof header);
  putBytes(c, 0xb18, c.palette, sizeof c.palette);
}

// Constants a calibration block would carry; the end-of-run scan of the
// record finds some of them.
void writeCalibration(Camera& c) {
  put32(c, 0x120, 22500);  // shutter reference, centi-kelvin above 0 C
  put32(c, 0x124, 23700);
  put32(c, 0x128, 25167);
  put16(c, 0x13a, 31707);
  put16(c, 0x142, 5797);
  put32(c, 0x150, 1200);  // shutter period, s
  putF64(c, 0x1a0, 0.98);  // emissivity
  putF64(c, 0x1a8, 273.15);
  putF64(c, 0x1b0, 100.0);  // counts per kelvin
  putF64(c, 0x1b8, 25163.5);
  // A gamma curve, led in by bytes of 100 so that only the window at the
  // curve's own start looks like a look-up table, not the ones leading in.
  uint8_t lead[1024];
  std::memset(lead, 100, sizeof lead);
  putBytes(c, 0x3c00, lead, sizeof lead);
  uint8_t gamma[1024];
  for (int i = 0; i < 1024; ++i) gamma[i] = static_cast<uint8_t>(255.0 * std::pow(i / 1023.0, 0.8) + 0.5);
  putBytes(c, 0x4000, gamma, sizeof gamma);
}

void writeWords(Camera& c) {
  put64(c, 0x240, addr(c.gray));
  put64(c, 0x248, reinterpret_cast<uintptr_t>(c.rgbImg.data()));
  put64(c, 0x250, static_cast<uint32_t>(c.sc.width) | static_cast<uint64_t>(static_cast<uint32_t>(c.sc.height)) << 32);
  put64(c, 0x258, static_cast<uint32_t>(c.sensW) | static_cast<uint64_t>(static_cast<uint32_t>(c.sensH)) << 32);
  put64(c, 0x260, 1000000u / static_cast<unsigned>(c.sc.fps));  // frame period, us
  put64(c, 0x270, c.sc.pointers == PointerMode::stale ? unmappedAddress(1) : addr(c.raw));
  put64(c, 0x278, published(c, c.ref, 3));
  put64(c, 0x280, reinterpret_cast<uintptr_t>(c.tempMap.data()));
  put64(c, 0x288, c.rawBytes);
  put64(c, 0x298, reinterpret_cast<uintptr_t>(c.dev + 0xb18));
  put64(c, 0x2a0, static_cast<uint64_t>(c.sc.fps));
  put64(c, 0x2b0, 0x5249534dull);
}

void writeSegments(Camera& c) {
  put32(c, 0x41340, 4096);  // integration time, us
  put32(c, 0x41348, 1);     // high-gain mode
  put32(c, 0x41554, c.sc.nsegs);
  put32(c, 0x41558, 76800);  // bytes per segment gain map
  for (uint32_t off = 0x41880; off < 0x41ee0; off += 2) put16(c, off, static_cast<uint16_t>(7000 + (off - 0x41880) * 8));
  for (uint32_t k = 0; k < 16; ++k) put16(c, 0x54470 + 2 * k, static_cast<uint16_t>(16384 + 11 * k));
  // Per-segment gain maps beyond the fixed fields, as far as the record goes.
  for (uint32_t off = 0x54490; off + 2 <= c.devLen; off += 2)
    put16(c, off, static_cast<uint16_t>(16384 + ((off * 2654435761u) >> 27) - 16));
}

void writePointers(Camera& c) {
  for (unsigned i = 0; i < 8; ++i) {
    uint64_t p = published(c, c.slots[i], 10 + i);
    if (c.sc.pointers == PointerMode::slot5) p = i == 5 ? addr(c.slots[i]) : 0;
    put64(c, 0x41840 + 8 * i, p);
  }
  put64(c, 0x41ee8, published(c, c.e0buf, 20));
  put64(c, 0x41ef0, published(c, c.ref, 21));
  put64(c, 0x41ef8, published(c, c.e0acc, 22));
  put64(c, 0x41f10, published(c, c.smoRecord, 23));
  put64(c, 0x41f20, published(c, c.f20, 24));
  // The smo record itself: the smoothed frame and its accumulator.
  if (c.smoRecord.data) {
    const uint64_t words[5] = {0x4f4d53ull, 8, c.sc.pointers == PointerMode::slot5 ? 0 : addr(c.smoBuf), addr(c.smoAcc),
                               c.sensPx};
    fillExposed(c.smoRecord, words, sizeof words);
  }
}

void writeModes(Camera& c) {
  put32(c, 0x41fd8, 1);  // gain control: histogram equalisation
  put32(c, 0x41fdc, 8);  // smoothing over 8 frames
  put32(c, 0x41fe0, 1);  // temporal denoise on
  put32(c, 0x41fe4, 0);  // palette 0
  put64(c, 0x41f18, 8);
  put64(c, 0x41f28, c.rawBytes);
  put64(c, 0x41f40, c.mapBytes);
}

void writeChannelTable(Camera& c) {
  for (int ch = 0; ch < imgoff::kChannels; ++ch) {
    unsigned char* entry = imageAt(imgoff::kChannelTable + imgoff::kChannelStride * static_cast<uint32_t>(ch));
    uint64_t stream = 0;
    if (ch == c.sc.channel) {
      if (c.sc.stream == StreamMode::normal) stream = addr(c.stream);
      if (c.sc.stream == StreamMode::bad) stream = noAccessAddress(40);
    }
    std::memcpy(entry, &stream, sizeof stream);
    const uint32_t state[2] = {static_cast<uint32_t>(ch), ch == c.sc.channel ? 1u : 0u};
    std::memcpy(entry + 8, state, sizeof state);
  }
  if (c.stream.data) {
    const uint32_t fields[6] = {0, static_cast<uint32_t>(c.sc.width), static_cast<uint32_t>(c.sc.height),
                                static_cast<uint32_t>(c.sc.fps), static_cast<uint32_t>(c.dispPx * 3), 0};
    const uint32_t offs[6] = {0x2d78, 0x2d88, 0x2d8c, 0x2d90, 0x2d94, 0x2d98};
    for (int i = 0; i < 6; ++i) std::memcpy(c.stream.data + offs[i], &fields[i], 4);
  }
}

}  // namespace

void writeSettings(Camera& c) {
  put32(c, 0x11c, static_cast<uint32_t>(c.unitMode));
  put32(c, 0x41560, static_cast<uint32_t>(static_cast<int32_t>(std::lround(c.boundary[2] * 100.0))));
  put32(c, 0x41564, static_cast<uint32_t>(static_cast<int32_t>(std::lround(c.boundary[0] * 100.0))));
  put32(c, 0x41568, static_cast<uint32_t>(static_cast<int32_t>(std::lround(c.boundary[1] * 100.0))));
}

void writeLayout(Camera& c) {
  fillPalette(c.palette);
  put32(c, 0x0, 0x56445249);  // record tag
  put32(c, 0x4, 3);           // record version
  put32(c, 0xc, static_cast<uint32_t>(c.sensW));
  put32(c, 0x10, static_cast<uint32_t>(c.sensH));
  put32(c, 0x54, 1);  // status: powered, not streaming
  writeCalibration(c);
  writeWords(c);
  writeHeader(c);
  writeSegments(c);
  writePointers(c);
  writeModes(c);
  writeSettings(c);
  if (c.ready) writeChannelTable(c);
  if (c.barData.data) fillColourBar(c.palette, c.barData.data);
}
