// The simulated camera: one plain record with the device record, the
// buffers it points at, the frames and the delivery thread, guarded by one
// mutex. Entry points lock it, the delivery thread locks it per frame.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "agc.h"
#include "pages.h"
#include "scenario.h"
#include "sim_export.h"

// A block of the camera's memory that the tool may read through a pointer.
struct Exposed {
  unsigned char* data = nullptr;
  size_t bytes = 0;  // bytes the camera may write
  PageBlock block;
};

struct Camera {
  Scenario sc;
  bool ready = false;  // the module globals lie in the image's block
  // Geometry: the size the camera renders, and the buffer sizes that also
  // cover what the tool derives from the header (its 160 x 120 fallback).
  int dispW = 0, dispH = 0, sensW = 0, sensH = 0;
  size_t dispPx = 0, sensPx = 0;
  size_t grayBytes = 0, rawBytes = 0, mapBytes = 0;

  unsigned char* dev = nullptr;  // device record
  size_t devLen = 0;             // readable bytes of it
  PageBlock devBlock;
  Exposed gray, raw, ref, slots[8], smoRecord, smoBuf, smoAcc, f20, e0acc, e0buf, stream, barData, barInfo;
  Exposed badImage;  // the 640 x 480 and pixel-size-4 frames of bad_frames

  std::vector<uint16_t> sensor;   // uncorrected sensor frame
  std::vector<uint16_t> out;      // corrected frame (behind rawp)
  std::vector<uint16_t> prevOut;  // the frame before
  std::vector<int32_t> offsets;   // flat-field offsets, 0 while correction is off
  std::vector<uint16_t> refFrame;
  std::vector<uint32_t> shutterSum;
  std::vector<uint16_t> smooth;
  std::vector<uint32_t> smoothSum;
  std::vector<uint32_t> tempMap;  // millikelvin per sensor pixel
  std::vector<uint8_t> grayImg;   // display size
  std::vector<uint8_t> rgbImg;    // display size x 3, blue-green-red
  std::vector<uint8_t> frameImg;  // the image handed to the delegate (thread only)
  AgcState agc;
  uint8_t palette[1024] = {};

  bool ffcOn = false;
  uint32_t ffcCount = 0;
  uint32_t refMean = 0;
  uint32_t framesSinceFfc = 0;
  uint32_t frameNo = 0;    // frames produced
  uint32_t delivered = 0;  // delegate calls
  uint32_t globframe = 0;
  uint32_t rng = 0x9e3779b9u;
  double sceneTime = 0.0;
  double boundary[3] = {30.0, 44.0, 37.0};
  int unitMode = 0;
  uint32_t tBase = 0;

  IrsimFrameDelegate delegate = nullptr;
  std::thread* thread = nullptr;
  bool stopRequested = false;
};

// The mutex that guards the camera; never destroyed.
std::mutex& cameraMutex();
// The camera, created from IRSIM_SCENARIO at first use. Caller holds the mutex.
Camera& lockedCamera();

// Entry-point work; each takes the mutex itself.
int startCamera();
int stopCamera();
// Stops the camera and forgets it: the next use creates it anew from the
// environment (IRSIM_SCENARIO, IRSIM_LOG).
void resetCamera();

// Device-record writes, clipped to the readable length of the record.
void put16(Camera& c, uint32_t off, uint16_t v);
void put32(Camera& c, uint32_t off, uint32_t v);
void put64(Camera& c, uint32_t off, uint64_t v);
void putF64(Camera& c, uint32_t off, double v);
void putBytes(Camera& c, uint32_t off, const void* src, size_t n);
// Writes n bytes into an exposed buffer, clipped to what it holds.
void fillExposed(Exposed& e, const void* src, size_t n);

// Lays out the record's fixed fields and pointers (device_layout.cpp).
void writeLayout(Camera& c);
// Writes the fields that follow SetTempBoundary and SetUnitMode.
void writeSettings(Camera& c);

// Produces the next frame and publishes it to the record, the buffers and
// the module globals; advance = false renders the current frame again
// without counting it (frame_pipeline.cpp).
void produceFrame(Camera& c, bool advance);
// Switches flat-field correction on (taking a new reference) or off.
void switchFfc(Camera& c, bool on);
// Captures a shutter reference into the reference buffers.
void captureReference(Camera& c, double shutterCelsius);
