// The tally shared by the crosscheck programs: each check counts as passed or
// failed, and the program ends with the "N passed, M failed" line.
#pragma once

#include <cstdio>

inline int g_passed = 0;
inline int g_failed = 0;

inline void check(bool ok, const char* what) {
  if (ok) {
    ++g_passed;
  } else {
    ++g_failed;
    std::printf("FAILED: %s\n", what);
  }
}

// Prints the closing line; returns the process exit code.
inline int finish() {
  std::printf("%d passed, %d failed\n", g_passed, g_failed);
  return g_failed == 0 ? 0 : 1;
}
