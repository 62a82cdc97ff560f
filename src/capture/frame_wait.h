// The wait for a fresh frame: polls g_frames every 5 ms until it differs from
// the last seen count or 3000 ms have passed (wrap-safe tick difference).
#pragma once

#include <cstdint>

// Returns true when a new frame was counted, false on the silent time-out.
bool waitForFrame(int32_t lastSeen);
