// The frame delegate onIR and the frame state it shares with the main
// thread. Everything here stays valid until the process is gone: the SDK's
// thread may still deliver a frame while the process exits, so nothing the
// delegate touches has a static destructor.
#include "sdk/delegate.h"

#include <cstring>

std::atomic<int32_t> g_frames{0};
unsigned char g_cb[kCallbackImageBytes];
int32_t g_cbw = 0;
int32_t g_cbh = 0;

std::mutex& callbackImageMutex() {
  static std::mutex& m = *new std::mutex;  // deliberately never destroyed
  return m;
}

void onIR(const unsigned char* data, int width, int height, int pixelSize) {
  if (data && width > 0 && height > 0 && pixelSize == 3) {
    const int64_t bytes = static_cast<int64_t>(width) * height * 3;
    // A frame larger than g_cb is counted but not kept.
    if (bytes <= static_cast<int64_t>(kCallbackImageBytes)) {
      std::lock_guard<std::mutex> lock(callbackImageMutex());
      std::memcpy(g_cb, data, static_cast<size_t>(bytes));
      g_cbw = width;
      g_cbh = height;
    }
  }
  g_frames.fetch_add(1, std::memory_order_release);
}

int32_t frameCount() { return g_frames.load(std::memory_order_acquire); }

size_t copyCallbackImage(unsigned char* dst, int32_t* w, int32_t* h) {
  std::lock_guard<std::mutex> lock(callbackImageMutex());
  *w = g_cbw;
  *h = g_cbh;
  const size_t bytes = static_cast<size_t>(g_cbw) * static_cast<size_t>(g_cbh) * 3;
  std::memcpy(dst, g_cb, bytes);
  return bytes;
}

void callbackImageSize(int32_t* w, int32_t* h) {
  std::lock_guard<std::mutex> lock(callbackImageMutex());
  *w = g_cbw;
  *h = g_cbh;
}
