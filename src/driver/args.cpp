// Run settings from the positional command line.
#include "driver/args.h"

#include <cstdint>
#include <cstdlib>

const char* g_dir = ".";

int32_t toInt(const char* text) {
  const char* p = text;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  int64_t value = 0;  // magnitude, saturated just past the 32-bit range
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) return value > INT32_MAX ? INT32_MIN : static_cast<int32_t>(-value);
  return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}

double toDouble(const char* text) { return strtod(text, nullptr); }

RunSettings parseArgs(int argc, char** argv) {
  RunSettings s;
  if (argc >= 2) g_dir = argv[1];
  if (argc >= 3) s.pairs = toInt(argv[2]);
  if (argc >= 4) s.warmup_ms = toInt(argv[3]);
  for (int i = 0; i < 3; ++i)
    if (argc >= 5 + i) s.boundary[i] = toDouble(argv[4 + i]);
  return s;
}
