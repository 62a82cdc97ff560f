// The camera's life: created from the scenario at first use, started and
// stopped by the entry points, frames delivered by a thread of its own.
// Nothing here has a static destructor that the thread could outlive: the
// camera, its mutex and its thread object are never destroyed at exit.
#include "camera.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "call_log.h"
#include "image_globals.h"
#include "scene.h"

namespace {

Camera* g_camera = nullptr;  // guarded by cameraMutex()

std::condition_variable& wake() {
  static std::condition_variable* cv = new std::condition_variable;
  return *cv;
}

// The scenario named by IRSIM_SCENARIO: a name, or a key=value file.
void chooseScenario(Scenario& s) {
  const char* pick = std::getenv("IRSIM_SCENARIO");
  if (!pick || !*pick) pick = "default";
  if (namedScenario(s, pick)) {
    logCallAt(0, "scenario(%s)", s.name);
    return;
  }
  FILE* f = std::fopen(pick, "rb");
  if (!f) {
    logCallAt(0, "scenario(default)");
    logCallAt(0, "unknown_scenario(%s)", pick);
    return;
  }
  char text[4096];
  const size_t n = std::fread(text, 1, sizeof text - 1, f);
  std::fclose(f);
  text[n] = 0;
  char bad[256];
  applyScenarioText(s, text, bad, sizeof bad);
  logCallAt(0, "scenario(%s)", s.name);
  logCallAt(0, "scenario_file(%s)", pick);
  if (bad[0]) logCallAt(0, "unknown_keys(%s)", bad);
}

// The display size the tool settles on for a header size.
void toolGeometry(int w, int h, int& dw, int& dh) {
  const bool valid = w >= 1 && w <= 1000 && h >= 1 && h <= 1000;
  dw = valid ? w : 160;
  dh = valid ? h : 120;
}

Exposed exposed(size_t bytes, bool flushEnd = false) {
  Exposed e;
  e.data = mapGuarded(bytes ? bytes : 1, flushEnd, &e.block);
  e.bytes = e.data ? bytes : 0;
  return e;
}

Camera* createCamera() {
  Camera* c = new Camera;
  chooseScenario(c->sc);
  char why[200];
  c->ready = checkImageGlobals(why, sizeof why);
  if (!c->ready) {
    logCallAt(msSinceLoad(), "image_check(failed:%s)", why);
    std::fprintf(stderr, "CoreSDKLib simulator: %s\n", why);
  } else {
    clearImageGlobals();
  }
  const Scenario& s = c->sc;
  c->dispW = std::max(s.width, 0);
  c->dispH = std::max(s.height, 0);
  c->sensW = c->dispW >> 1;
  c->sensH = c->dispH >> 1;
  c->dispPx = static_cast<size_t>(c->dispW) * c->dispH;
  c->sensPx = static_cast<size_t>(c->sensW) * c->sensH;
  int tw = 0, th = 0;
  toolGeometry(s.width, s.height, tw, th);
  const size_t toolDisp = static_cast<size_t>(tw) * th;
  const size_t toolSens = static_cast<size_t>(tw >> 1) * (th >> 1);
  c->grayBytes = std::max(c->dispPx, toolDisp);
  c->rawBytes = std::max(c->sensPx, toolSens) * 2;
  c->mapBytes = std::max(c->sensPx, toolSens) * 4;

  size_t need = 0x60000;
  if (s.nsegs <= 327) need = std::max<size_t>(need, 0x41870 + static_cast<size_t>(s.nsegs) * 76800);
  c->devLen = s.recordBytes ? s.recordBytes : need;
  c->dev = mapGuarded(c->devLen, false, &c->devBlock);
  if (!c->dev) c->devLen = 0;

  if (s.shortGray) {
    c->gray = exposed(toolDisp / 2, true);
    c->raw = exposed(toolSens, true);
  } else {
    c->gray = exposed(c->grayBytes);
    c->raw = exposed(c->rawBytes);
  }
  c->ref = exposed(c->rawBytes);
  for (Exposed& e : c->slots) e = exposed(c->rawBytes);
  c->smoRecord = exposed(64);
  c->smoBuf = exposed(c->rawBytes);
  c->smoAcc = exposed(c->mapBytes);
  c->f20 = exposed(c->rawBytes);
  c->e0acc = exposed(c->mapBytes);
  c->e0buf = exposed(c->rawBytes);
  c->stream = exposed(0x3000);
  c->barData = exposed(4096);
  c->barInfo = exposed(64);
  if (s.badFrames) c->badImage = exposed(std::max<size_t>(640 * 480 * 3, c->dispPx * 4));

  c->sensor.assign(c->sensPx, 0);
  c->out.assign(c->sensPx, 0);
  c->prevOut.assign(c->sensPx, 0);
  c->offsets.assign(c->sensPx, 0);
  c->refFrame.assign(c->sensPx, 0);
  c->shutterSum.assign(c->sensPx, 0);
  c->smooth.assign(c->sensPx, 0);
  c->smoothSum.assign(c->sensPx, 0);
  c->tempMap.assign(c->sensPx, 0);
  c->grayImg.assign(c->dispPx, 0);
  c->rgbImg.assign(c->dispPx * 3, 0);

  writeLayout(*c);
  captureReference(*c, kShutterCelsius - 2.0);  // the power-on reference
  switchFfc(*c, false);
  produceFrame(*c, false);
  return c;
}

void releaseCamera(Camera* c) {
  unmapBlock(c->devBlock);
  Exposed* all[] = {&c->gray, &c->raw, &c->ref, &c->smoRecord, &c->smoBuf, &c->smoAcc, &c->f20,
                    &c->e0acc, &c->e0buf, &c->stream, &c->barData, &c->barInfo, &c->badImage};
  for (Exposed* e : all) unmapBlock(e->block);
  for (Exposed& e : c->slots) unmapBlock(e.block);
  delete c;
}

// A malformed delegate call for frame k of bad_frames, or false for a good one.
bool badCall(Camera& c, uint32_t k, const unsigned char*& data, int& w, int& h, int& ps) {
  if (k % 2 == 1) return false;
  data = c.badImage.data;
  w = c.dispW;
  h = c.dispH;
  ps = 3;
  switch ((k / 2) % 5) {
    case 0: data = nullptr; break;
    case 1: w = 0; break;
    case 2: h = -1; break;
    case 3: ps = 4; break;
    default: w = 640; h = 480; break;
  }
  return true;
}

void deliveryLoop(Camera* c) {
  using clock = std::chrono::steady_clock;
  std::unique_lock<std::mutex> hold(cameraMutex());
  const auto period = std::chrono::microseconds(1000000 / c->sc.fps);
  auto next = clock::now() + period;
  while (!c->stopRequested) {
    wake().wait_until(hold, next, [c] { return c->stopRequested; });
    if (c->stopRequested) break;
    next += period;
    if (next < clock::now()) next = clock::now() + period;
    if (c->sc.framesStopAfter >= 0 && c->frameNo >= static_cast<uint32_t>(c->sc.framesStopAfter)) continue;
    produceFrame(*c, true);
    const unsigned char* data = c->frameImg.data();
    int w = c->dispW, h = c->dispH, ps = 3;
    if (c->sc.badFrames) badCall(*c, c->frameNo, data, w, h, ps);
    ++c->delivered;
    const IrsimFrameDelegate deliver = c->delegate;
    if (!deliver) continue;
    hold.unlock();
    deliver(data, w, h, ps);
    hold.lock();
  }
}

}  // namespace

std::mutex& cameraMutex() {
  static std::mutex* m = new std::mutex;
  return *m;
}

Camera& lockedCamera() {
  if (!g_camera) {
    openCallLog();
    g_camera = createCamera();
  }
  return *g_camera;
}

int startCamera() {
  std::lock_guard<std::mutex> hold(cameraMutex());
  Camera& c = lockedCamera();
  if (!c.ready) return 0;
  if (!c.thread) {
    c.stopRequested = false;
    c.tBase = msSinceLoad();
    std::memcpy(imageAt(imgoff::kTBase), &c.tBase, 4);
    std::memcpy(imageAt(imgoff::kTNow), &c.tBase, 4);
    put32(c, 0x54, 3);  // powered and streaming
    c.thread = new std::thread(deliveryLoop, &c);
  }
  return c.sc.startResult;
}

int stopCamera() {
  std::thread* t = nullptr;
  {
    std::lock_guard<std::mutex> hold(cameraMutex());
    if (!g_camera || !g_camera->thread) return 1;
    g_camera->stopRequested = true;
    t = g_camera->thread;
    if (t->get_id() == std::this_thread::get_id()) return 1;  // called from the delegate: the loop ends after it
    g_camera->thread = nullptr;
    put32(*g_camera, 0x54, 1);
  }
  wake().notify_all();
  t->join();
  delete t;
  return 1;
}

void resetCamera() {
  stopCamera();
  std::lock_guard<std::mutex> hold(cameraMutex());
  if (g_camera) releaseCamera(g_camera);
  g_camera = nullptr;
}
