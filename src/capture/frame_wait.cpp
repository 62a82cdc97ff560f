// The wait for a fresh frame.
#include "capture/frame_wait.h"

#include "platform/platform.h"
#include "sdk/delegate.h"

bool waitForFrame(int32_t lastSeen) {
  const uint32_t t0 = plat::tickMs();
  if (frameCount() != lastSeen) return true;
  for (;;) {
    if (static_cast<uint32_t>(plat::tickMs() - t0) > 2999) return false;
    plat::sleepMs(5);
    if (frameCount() != lastSeen) return true;
  }
}
