// Scenarios of the simulated camera: a plain record of settings, the table
// of named scenarios and the key=value reader behind IRSIM_SCENARIO.
#pragma once

#include <cstddef>
#include <cstdint>

enum class PointerMode { normal, null, slot5, stale };
enum class StreamMode { normal, null, bad };
enum class BarMode { normal, rc0, nullinfo, stale };

struct Scenario {
  char name[32] = "default";
  int width = 320;  // frame header width and height (display size)
  int height = 240;
  int fps = 25;
  int framesStopAfter = -1;  // frames delivered before the camera stalls; -1 never
  int startResult = 1;
  uint32_t nsegs = 1;
  int channel = 0;        // the channel that answers; -1 none
  int decoyChannel = -1;  // answers rc 1 with a null header slot
  PointerMode pointers = PointerMode::normal;
  uint32_t recordBytes = 0;  // readable bytes of the device record; 0 as the layout needs
  StreamMode stream = StreamMode::normal;
  BarMode bar = BarMode::normal;
  int tempResult = 1;       // result of MAG_GetTemperatureData_Raw
  bool pointWrites = true;  // ReadTemperatureAtPoint fills the result record
  bool shortGray = false;   // graybuf and raw frame end early at a no-access page
  bool badFrames = false;   // malformed delegate calls between good frames
};

// Applies "key=value" lines ('#' starts a comment) to s. A "scenario=NAME"
// line first resets s to that named scenario. Keys that are not known, or
// values that do not parse, are listed comma-separated in bad (cap bytes);
// returns how many there were.
int applyScenarioText(Scenario& s, const char* text, char* bad = nullptr, size_t cap = 0);

// Fills s with the named scenario; false (s left as default) when unknown.
bool namedScenario(Scenario& s, const char* name);

// Number of named scenarios and the name of each, for the README and tests.
int scenarioCount();
const char* scenarioName(int i);
