// The capture context fixed at start-up and the per-pair values the dump
// steps share.
#pragma once

#include <cstddef>
#include <cstdint>

struct CaptureContext {
  int32_t channel = 0;
  const unsigned char* graybuf = nullptr;  // the SDK's display gray image
  uintptr_t header = 0;                    // frame header address
  uintptr_t dev = 0;                       // device base = header - 0xaf0
  uintptr_t coreBase = 0;                  // CoreSDKLib.dll's load address
  uintptr_t channelEntry = 0;              // this channel's channel-table entry (formed before pair 0)

  int32_t dispW = 160, dispH = 120;   // display size, 1..1000 each way
  int32_t sensW = 80, sensH = 60;     // display size halved
  int64_t dispPixels = 0;             // dispW * dispH
  int32_t sensPixels = 0;             // sensW * sensH
  size_t rawBytes = 0;                // sensPixels * 2
  size_t mapBytes = 0;                // sensPixels * 4

  // The tool's own capture buffers, zero-filled at allocation, never freed.
  unsigned char* gray = nullptr;  // dispPixels bytes
  unsigned char* rgb = nullptr;   // dispPixels * 3 bytes
  uint16_t* raw = nullptr;        // sensPixels values
  unsigned char* pal = nullptr;   // 1024 bytes
  uint32_t* temp = nullptr;       // dispPixels entries

  int32_t pairs = 0;
  int32_t lastFrames = 0;  // last seen g_frames
};

// The state snapshot, read once per pair before the pair's first file.
struct StateSnapshot {
  uint32_t fcnt, hi, lo, span, pixels, comp_off, shift, gain, sm, ref;
  uintptr_t refp;
  uint32_t p47944, p47950, p47954, t_base, t_now;
  uint32_t w41848, w41858, w41340, w41348, w41fe0;
  uint32_t f3c, w41840, w41554, w41558, w4155c, w41560, b64_0, b68_0, dev54;
};

// One pair's values, handed from the capture loop through the dump steps.
struct PairState {
  int32_t index = 0;
  int32_t rc_rgb = 0;
  int32_t rc_temp = 0;
  char base[64] = {};  // "pair_%03d"
  StateSnapshot snap = {};
};
