// Export marker for the simulated SDK's entry points: C linkage, default
// calling convention, visible from the shared library on both platforms.
#pragma once

#if defined(_WIN32)
#define IRSIM_EXPORT extern "C" __declspec(dllexport)
#else
#define IRSIM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

// The frame delegate the tool registers: a 24-bit image and its size.
using IrsimFrameDelegate = void (*)(const unsigned char* data, int width, int height, int pixelSize);
