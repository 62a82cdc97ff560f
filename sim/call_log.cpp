// The call log: a file opened once in append mode, guarded by a mutex that
// is never destroyed, so calls that come while the process exits are safe.
#include "call_log.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

const std::chrono::steady_clock::time_point g_loaded = std::chrono::steady_clock::now();

std::mutex& logMutex() {
  static std::mutex* m = new std::mutex;
  return *m;
}

FILE* g_log = nullptr;  // guarded by logMutex()

void writeLine(unsigned ms, const char* fmt, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, fmt, args);
  std::lock_guard<std::mutex> hold(logMutex());
  if (!g_log) return;
  std::fprintf(g_log, "%u %s\n", ms, text);
  std::fflush(g_log);
}

}  // namespace

void openCallLog() {
  std::lock_guard<std::mutex> hold(logMutex());
  if (g_log) std::fclose(g_log);
  g_log = nullptr;
  const char* path = std::getenv("IRSIM_LOG");
  if (path && *path) g_log = std::fopen(path, "a");
}

unsigned msSinceLoad() {
  const auto d = std::chrono::steady_clock::now() - g_loaded;
  return static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

void logCall(const char* fmt, ...) {
  const unsigned ms = msSinceLoad();
  va_list args;
  va_start(args, fmt);
  writeLine(ms, fmt, args);
  va_end(args);
}

void logCallAt(unsigned ms, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  writeLine(ms, fmt, args);
  va_end(args);
}
