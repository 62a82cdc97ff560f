// The call log of the simulated SDK: one line per entry-point call, in the
// file that IRSIM_LOG names, appended and flushed at once.
#pragma once

// Opens (or reopens) the log named by IRSIM_LOG; no log when it is unset.
void openCallLog();
// Milliseconds since the library was loaded.
unsigned msSinceLoad();
// Appends "<ms> <text>\n", text formatted like printf. Thread-safe.
void logCall(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// Appends "<ms> <text>\n" with the given ms value.
void logCallAt(unsigned ms, const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
