// One frame of the simulated camera: synthesise the raw sensor frame,
// apply the flat-field offsets, run the gain control, render the gray and
// colour display images, and publish everything to the device record, the
// buffers behind its pointers and the module globals.
#include <algorithm>
#include <cstring>

#include "call_log.h"
#include "camera.h"
#include "image_globals.h"
#include "scene.h"

namespace {

uint16_t clampCounts(double v) { return static_cast<uint16_t>(std::clamp(v, 0.0, 65535.0)); }

void putGlobal(uint32_t offset, uint32_t v) { std::memcpy(imageAt(offset), &v, sizeof v); }

void synthesise(Camera& c) {
  for (int y = 0; y < c.sensH; ++y) {
    const double v = (y + 0.5) / c.sensH;
    for (int x = 0; x < c.sensW; ++x) {
      const size_t i = static_cast<size_t>(y) * c.sensW + x;
      const double temp = sceneTemperature((x + 0.5) / c.sensW, v, c.sceneTime);
      const double counts = rawCounts(temp) + fixedPattern(x, y) + temporalNoise(c.rng);
      c.sensor[i] = clampCounts(counts);
      c.out[i] = clampCounts(c.sensor[i] - c.offsets[i]);
      c.tempMap[i] = static_cast<uint32_t>((temp + 273.15) * 1000.0);
    }
  }
}

void render(Camera& c) {
  for (int y = 0; y < c.dispH; ++y) {
    for (int x = 0; x < c.dispW; ++x) {
      uint32_t counts = 0;
      if (c.sensPx) {
        const int sx = std::min(x >> 1, c.sensW - 1);
        const int sy = std::min(y >> 1, c.sensH - 1);
        counts = c.out[static_cast<size_t>(sy) * c.sensW + sx];
      } else {
        counts = clampCounts(rawCounts(sceneTemperature((x + 0.5) / c.dispW, (y + 0.5) / c.dispH, c.sceneTime)));
      }
      const size_t i = static_cast<size_t>(y) * c.dispW + x;
      const uint8_t g = grayOf(c.agc, counts);
      c.grayImg[i] = g;
      c.rgbImg[i * 3 + 0] = c.palette[g * 4 + 0];
      c.rgbImg[i * 3 + 1] = c.palette[g * 4 + 1];
      c.rgbImg[i * 3 + 2] = c.palette[g * 4 + 2];
    }
  }
}

// The correction buffers behind the ptrs418x slots, from the offsets.
void writeCorrectionMaps(Camera& c) {
  std::vector<uint16_t> map(c.sensPx);
  for (size_t i = 0; i < c.sensPx; ++i) map[i] = static_cast<uint16_t>(static_cast<int16_t>(c.offsets[i]));
  fillExposed(c.slots[0], map.data(), c.sensPx * 2);
  for (size_t i = 0; i < c.sensPx; ++i) map[i] = static_cast<uint16_t>(16384 + c.offsets[i] * 3);
  fillExposed(c.slots[1], map.data(), c.sensPx * 2);
  fillExposed(c.slots[6], map.data(), c.sensPx * 2);
  for (size_t i = 0; i < c.sensPx; ++i) map[i] = c.offsets[i] > 45 || c.offsets[i] < -45 ? 1 : 0;
  fillExposed(c.slots[2], map.data(), c.sensPx * 2);
  for (size_t i = 0; i < c.sensPx; ++i) map[i] = static_cast<uint16_t>(16 + std::abs(c.offsets[i]));
  fillExposed(c.slots[3], map.data(), c.sensPx * 2);
  fillExposed(c.slots[5], c.refFrame.data(), c.sensPx * 2);
}

void publishFrame(Camera& c) {
  fillExposed(c.gray, c.grayImg.data(), c.dispPx);
  fillExposed(c.raw, c.out.data(), c.sensPx * 2);
  fillExposed(c.f20, c.out.data(), c.sensPx * 2);
  fillExposed(c.slots[4], c.prevOut.data(), c.sensPx * 2);
  fillExposed(c.slots[7], c.smooth.data(), c.sensPx * 2);
  fillExposed(c.smoBuf, c.smooth.data(), c.sensPx * 2);
  fillExposed(c.smoAcc, c.smoothSum.data(), c.sensPx * 4);

  const AgcState& a = c.agc;
  const uint32_t now = msSinceLoad();
  put32(c, 0x8, c.frameNo);
  put64(c, 0x268, now);
  put64(c, 0x290, c.frameNo);
  put32(c, 0x4155c, c.sc.nsegs ? c.frameNo % c.sc.nsegs : 0);
  put64(c, 0x41ee0, c.framesSinceFfc);
  put32(c, 0x41f30, c.framesSinceFfc);
  put32(c, 0x4202c, a.hi);
  put32(c, 0x42030, a.lo);
  putBytes(c, 0x4204c, a.hist, sizeof a.hist);
  putBytes(c, 0x4284c, a.lut, sizeof a.lut);
  put32(c, 0x47938, a.pixels);
  put32(c, 0x47944, now);
  put32(c, 0x47948, a.compOff);
  put32(c, 0x4794c, a.shift);
  put32(c, 0x47950, a.rawMin);
  put32(c, 0x47954, a.rawMax);

  if (c.stream.data) std::memcpy(c.stream.data + 0x2d78, &c.frameNo, 4);
  if (c.barInfo.data) {
    const double range[2] = {celsiusOfCounts(a.lo), celsiusOfCounts(a.hi)};
    const uint32_t shape[4] = {1024, 4, static_cast<uint32_t>(c.unitMode), c.frameNo};
    std::memcpy(c.barInfo.data, range, sizeof range);
    std::memcpy(c.barInfo.data + sizeof range, shape, sizeof shape);
  }
  if (c.ready) {
    putGlobal(imgoff::kGain, a.gain);
    putGlobal(imgoff::kTNow, now);
    putGlobal(imgoff::kGlobframe, c.globframe);
  }
}

}  // namespace

void captureReference(Camera& c, double shutterCelsius) {
  std::fill(c.shutterSum.begin(), c.shutterSum.end(), 0u);
  for (int k = 0; k < 4; ++k)
    for (int y = 0; y < c.sensH; ++y)
      for (int x = 0; x < c.sensW; ++x)
        c.shutterSum[static_cast<size_t>(y) * c.sensW + x] +=
            clampCounts(rawCounts(shutterCelsius) + fixedPattern(x, y) + temporalNoise(c.rng));
  uint64_t total = 0;
  for (size_t i = 0; i < c.sensPx; ++i) total += c.refFrame[i] = static_cast<uint16_t>(c.shutterSum[i] / 4);
  c.refMean = c.sensPx ? static_cast<uint32_t>(total / c.sensPx) : 0;
  fillExposed(c.ref, c.refFrame.data(), c.sensPx * 2);
  fillExposed(c.e0buf, c.refFrame.data(), c.sensPx * 2);
  fillExposed(c.e0acc, c.shutterSum.data(), c.sensPx * 4);
  put32(c, 0x41f0c, c.refMean);
}

void switchFfc(Camera& c, bool on) {
  if (on) {
    captureReference(c, kShutterCelsius);
    for (size_t i = 0; i < c.sensPx; ++i) c.offsets[i] = static_cast<int32_t>(c.refFrame[i]) - static_cast<int32_t>(c.refMean);
    ++c.ffcCount;
    put64(c, 0x41f04, msSinceLoad());
  } else {
    std::fill(c.offsets.begin(), c.offsets.end(), 0);
  }
  c.ffcOn = on;
  c.framesSinceFfc = 0;
  std::fill(c.smoothSum.begin(), c.smoothSum.end(), 0u);
  writeCorrectionMaps(c);
  put32(c, 0x41f00, c.ffcCount);
  put32(c, 0x41f3c, on ? 1 : 0);
  put32(c, 0x41f30, 0);
  if (c.ready) putGlobal(imgoff::kFfcstate, on ? 1 : 0);
}

void produceFrame(Camera& c, bool advance) {
  if (advance) {
    ++c.frameNo;
    ++c.globframe;
    ++c.framesSinceFfc;
    c.sceneTime = static_cast<double>(c.frameNo) / c.sc.fps;
    c.prevOut = c.out;
  }
  synthesise(c);
  updateAgc(c.agc, c.out.data(), c.sensPx);
  render(c);
  for (size_t i = 0; i < c.sensPx; ++i) {
    c.smooth[i] = static_cast<uint16_t>((c.smooth[i] * 7u + c.out[i] + 4u) / 8u);
    if (advance) c.smoothSum[i] += c.out[i];
  }
  if (c.frameNo == 0) c.smooth = c.out;
  publishFrame(c);
  c.frameImg = c.rgbImg;
}
