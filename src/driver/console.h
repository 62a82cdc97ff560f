// The console report: printf-style writes to standard output with the
// report's own conventions on every C runtime: %p prints exactly 16
// lower-case hex digits, and a NaN printed with a %f conversion is "nan"
// without a sign. Nothing is ever written to standard error.
#pragma once

#include <cstdarg>
#include <cstddef>

// Formats like snprintf with the conventions above; returns the length the
// full text would have (as snprintf does).
int formatText(char* buf, size_t cap, const char* fmt, ...);
int formatTextV(char* buf, size_t cap, const char* fmt, va_list args);

// Writes one formatted piece of the report to standard output.
void report(const char* fmt, ...);
// Flushes standard output (only at the report's fixed flush points).
void flushReport();
