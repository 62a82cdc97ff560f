// Run settings from the positional command line: outdir pairs warmup_ms b1 b2 b3.
#pragma once

#include <cstdint>

// The output directory; "." unless argv[1] is given, then argv[1] itself.
extern const char* g_dir;

struct RunSettings {
  int32_t pairs = 24;
  int32_t warmup_ms = 6000;
  double boundary[3] = {30.0, 44.0, 37.0};  // in argument order
};

// Never fails and never prints; also sets g_dir.
RunSettings parseArgs(int argc, char** argv);

// atoi/atof semantics: leading blanks, optional sign, stop at the first
// character that does not fit. Out-of-range integers saturate at
// INT32_MIN/INT32_MAX; doubles follow strtod.
int32_t toInt(const char* text);
double toDouble(const char* text);
