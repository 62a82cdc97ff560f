// Scripted tick and sleep: a sleep advances the tick and counts the frames
// scheduled up to the new time.
#include "fake_clock.h"

#include "platform/platform.h"
#include "sdk/delegate.h"

FakeClock g_clock;

namespace plat {

uint32_t tickMs() { return g_clock.now; }

void sleepMs(uint32_t ms) {
  g_clock.sleeps.push_back(ms);
  const uint32_t before = g_clock.now;
  g_clock.now += ms;
  for (uint32_t at : g_clock.frameAt)
    if (static_cast<uint32_t>(at - before) - 1 < ms) onIR(nullptr, 0, 0, 0);  // at in (before, now]
}

}  // namespace plat
