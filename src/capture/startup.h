// Camera start-up: configure, register the delegate, start, warm up, find the
// live channel, report the header, settle the geometry, allocate the buffers.
#pragma once

#include "capture/context.h"
#include "driver/args.h"
#include "sdk/binding.h"

// Exit codes beyond the SDK binding's.
constexpr int kExitNoChannel = 3;
constexpr int kExitNoMemory = 4;

// Fills ctx and returns 0, or returns kExitNoChannel after "no channel" and
// Stop, or kExitNoMemory when a capture buffer cannot be allocated.
int startCamera(SdkApi& api, const RunSettings& settings, CaptureContext& ctx);
