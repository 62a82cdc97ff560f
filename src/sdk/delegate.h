// The frame delegate onIR and the state it shares with the main thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

constexpr size_t kCallbackImageBytes = 230400;  // 320 x 240 x 3

// Count of delegate calls (release on increment, acquire on read).
extern std::atomic<int32_t> g_frames;
// Last accepted 24-bit image and its size; guarded by callbackImageMutex().
extern unsigned char g_cb[kCallbackImageBytes];
extern int32_t g_cbw;
extern int32_t g_cbh;

// The mutex that guards g_cb, g_cbw and g_cbh. It is never destroyed, so the
// SDK's thread may still call onIR while the process exits.
std::mutex& callbackImageMutex();

// Called by the SDK on its own thread for every frame.
void onIR(const unsigned char* data, int width, int height, int pixelSize);

// Reads g_frames (acquire).
int32_t frameCount();

// Copies the last accepted image out under the mutex: sets *w and *h and
// returns the byte count (w * h * 3) copied into dst (capacity kCallbackImageBytes).
size_t copyCallbackImage(unsigned char* dst, int32_t* w, int32_t* h);
// Reads g_cbw and g_cbh together under the mutex.
void callbackImageSize(int32_t* w, int32_t* h);
