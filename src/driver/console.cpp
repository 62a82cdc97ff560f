// The console report. Each conversion of a format is handed to the C
// runtime's snprintf on its own, widened to a fixed argument type, except the
// two the runtimes disagree on: %p (upper case on Microsoft's runtime) and a
// NaN under a floating conversion (printed "-nan" or "-nan(ind)" by some),
// which are formatted here. Width and precision must be literal digits.
#include "driver/console.h"

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// Appends n bytes of text to buf, counting the full length as snprintf does.
void append(char* buf, size_t cap, size_t& len, const char* text, size_t n) {
  if (len + 1 < cap) {
    size_t room = cap - 1 - len;
    memcpy(buf + len, text, n < room ? n : room);
  }
  len += n;
}

}  // namespace

int formatTextV(char* buf, size_t cap, const char* fmt, va_list args) {
  size_t len = 0;
  char piece[512];
  const char* p = fmt;
  while (*p) {
    if (*p != '%') {
      const char* lit = p;
      while (*p && *p != '%') ++p;
      append(buf, cap, len, lit, static_cast<size_t>(p - lit));
      continue;
    }
    if (p[1] == '%') {
      append(buf, cap, len, "%", 1);
      p += 2;
      continue;
    }
    // "%" flags width .precision: kept for snprintf; the length modifier is
    // replaced by the one of the widened argument type.
    const char* start = p++;
    bool leftAlign = false;
    while (*p && strchr("-+ #0", *p)) leftAlign |= (*p++ == '-');
    int width = 0;
    while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9') ++p;
    }
    std::string_view head(start, static_cast<size_t>(p - start));
    const char* lengthStart = p;
    while (*p && strchr("hlzjt", *p)) ++p;
    std::string_view lengthMod(lengthStart, static_cast<size_t>(p - lengthStart));
    char conv = *p;
    if (conv == '\0' || head.size() > 20) break;  // malformed format: stop
    ++p;

    char spec[32];
    int n = 0;
    switch (conv) {
      case 'd':
      case 'i': {
        long long v = (lengthMod == "ll" || lengthMod == "j")   ? va_arg(args, long long)
                      : (lengthMod == "l")                      ? va_arg(args, long)
                      : (lengthMod == "z" || lengthMod == "t") ? static_cast<long long>(va_arg(args, ptrdiff_t))
                                                                : va_arg(args, int);
        snprintf(spec, sizeof spec, "%.*sll%c", static_cast<int>(head.size()), head.data(), conv);
        n = snprintf(piece, sizeof piece, spec, v);
        break;
      }
      case 'u':
      case 'x':
      case 'X':
      case 'o': {
        unsigned long long v = (lengthMod == "ll" || lengthMod == "j") ? va_arg(args, unsigned long long)
                               : (lengthMod == "l")                    ? va_arg(args, unsigned long)
                               : (lengthMod == "z" || lengthMod == "t")
                                   ? static_cast<unsigned long long>(va_arg(args, size_t))
                                   : va_arg(args, unsigned int);
        snprintf(spec, sizeof spec, "%.*sll%c", static_cast<int>(head.size()), head.data(), conv);
        n = snprintf(piece, sizeof piece, spec, v);
        break;
      }
      case 'c': {
        int v = va_arg(args, int);
        snprintf(spec, sizeof spec, "%.*sc", static_cast<int>(head.size()), head.data());
        n = snprintf(piece, sizeof piece, spec, v);
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G': {
        double v = va_arg(args, double);
        if (std::isnan(v)) {
          n = snprintf(piece, sizeof piece, leftAlign ? "%-*s" : "%*s", width, "nan");
        } else {
          snprintf(spec, sizeof spec, "%.*s%c", static_cast<int>(head.size()), head.data(), conv);
          n = snprintf(piece, sizeof piece, spec, v);
        }
        break;
      }
      case 'p': {
        const void* v = va_arg(args, const void*);
        n = snprintf(piece, sizeof piece, "%016" PRIx64, static_cast<uint64_t>(reinterpret_cast<uintptr_t>(v)));
        break;
      }
      case 's': {
        const char* v = va_arg(args, const char*);
        if (!v) v = "(null)";
        size_t vlen = strlen(v);
        if (head.size() == 1) {  // plain %s: appended whole, whatever its length
          append(buf, cap, len, v, vlen);
          continue;
        }
        snprintf(spec, sizeof spec, "%.*ss", static_cast<int>(head.size()), head.data());
        n = snprintf(piece, sizeof piece, spec, v);
        break;
      }
      default:  // unsupported conversion: prints nothing
        break;
    }
    if (n > 0) append(buf, cap, len, piece, static_cast<size_t>(n) < sizeof piece ? static_cast<size_t>(n) : sizeof piece - 1);
  }
  if (cap > 0) buf[len < cap ? len : cap - 1] = '\0';
  return static_cast<int>(len);
}

int formatText(char* buf, size_t cap, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  int n = formatTextV(buf, cap, fmt, args);
  va_end(args);
  return n;
}

void report(const char* fmt, ...) {
  char line[1024];
  va_list args;
  va_start(args, fmt);
  va_list again;
  va_copy(again, args);
  int n = formatTextV(line, sizeof line, fmt, args);
  if (n >= 0 && static_cast<size_t>(n) < sizeof line) {
    fwrite(line, 1, static_cast<size_t>(n), stdout);
  } else if (n > 0) {
    std::vector<char> big(static_cast<size_t>(n) + 1);
    formatTextV(big.data(), big.size(), fmt, again);
    fwrite(big.data(), 1, static_cast<size_t>(n), stdout);
  }
  va_end(again);
  va_end(args);
}

void flushReport() { fflush(stdout); }
