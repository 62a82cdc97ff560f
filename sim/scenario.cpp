// The named scenarios, each a short list of key=value overrides of the
// default camera, and the reader that applies such lists (the same reader
// serves scenario files).
#include "scenario.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct NamedScenario {
  const char* name;
  const char* keys;
};

constexpr NamedScenario kScenarios[] = {
    {"default", ""},
    {"nocamera", "channel=-1"},
    {"channel2", "channel=2\ndecoy_channel=1"},
    {"geom160", "width=160\nheight=120"},
    {"geom161", "width=161\nheight=121"},
    {"geom1000", "width=1000\nheight=1000"},
    {"geom1001", "width=1001\nheight=240"},
    {"geom320x0", "width=320\nheight=0"},
    {"geom1wide", "width=1\nheight=240"},
    {"start1ff", "start_result=0x1ff"},
    {"noframes", "frames_stop_after=0"},
    {"stopframes", "frames_stop_after=30"},
    {"baddelegate", "bad_frames=1"},
    {"nsegs0", "nsegs=0"},
    {"nsegs1", "nsegs=1"},
    {"nsegs327", "nsegs=327"},
    {"nsegs328", "nsegs=328"},
    {"nsegs2047", "nsegs=2047"},
    {"nsegs2048", "nsegs=2048"},
    {"nsegs7fffffff", "nsegs=0x7fffffff"},
    {"nsegs80000001", "nsegs=0x80000001"},
    {"nsegs55925", "nsegs=55925"},
    {"nullptrs", "pointers=null\nstream=null"},
    {"slot5", "pointers=slot5"},
    {"shortrecord", "record_bytes=0x30000"},
    {"staleptrs", "pointers=stale\nstream=bad\nbar=stale"},
    {"badstream", "stream=bad"},
    {"bar0", "bar=rc0"},
    {"barnullinfo", "bar=nullinfo"},
    {"temp0", "temp_result=0"},
    {"tempnowrite", "point_writes=0"},
    {"shortgray", "short_gray=1"},
    {"fast", "fps=100"},
};

bool parseInt(const char* v, long long& out) {
  char* end = nullptr;
  out = std::strtoll(v, &end, 0);
  if (end == v) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == 0;
}

// A value of one of the listed words, as its index; -1 when none matches.
int parseWord(const char* v, const char* const* words, int count) {
  for (int i = 0; i < count; ++i)
    if (std::strcmp(v, words[i]) == 0) return i;
  return -1;
}

void noteBad(char* bad, size_t cap, const char* key) {
  if (!bad || cap == 0) return;
  const size_t used = std::strlen(bad);
  std::snprintf(bad + used, cap - used, "%s%s", used ? "," : "", key);
}

// Applies one key; false when the key is unknown or its value does not parse.
bool applyKey(Scenario& s, const char* key, const char* value) {
  static const char* const kPointerWords[] = {"normal", "null", "slot5", "stale"};
  static const char* const kStreamWords[] = {"normal", "null", "bad"};
  static const char* const kBarWords[] = {"normal", "rc0", "nullinfo", "stale"};
  long long n = 0;
  int w = -1;
  if (std::strcmp(key, "pointers") == 0) {
    if ((w = parseWord(value, kPointerWords, 4)) < 0) return false;
    s.pointers = static_cast<PointerMode>(w);
    return true;
  }
  if (std::strcmp(key, "stream") == 0) {
    if ((w = parseWord(value, kStreamWords, 3)) < 0) return false;
    s.stream = static_cast<StreamMode>(w);
    return true;
  }
  if (std::strcmp(key, "bar") == 0) {
    if ((w = parseWord(value, kBarWords, 4)) < 0) return false;
    s.bar = static_cast<BarMode>(w);
    return true;
  }
  if (!parseInt(value, n)) return false;
  const int i = static_cast<int>(n);
  if (std::strcmp(key, "width") == 0) s.width = i;
  else if (std::strcmp(key, "height") == 0) s.height = i;
  else if (std::strcmp(key, "fps") == 0) s.fps = i < 1 ? 1 : (i > 1000 ? 1000 : i);
  else if (std::strcmp(key, "frames_stop_after") == 0) s.framesStopAfter = i;
  else if (std::strcmp(key, "start_result") == 0) s.startResult = i;
  else if (std::strcmp(key, "nsegs") == 0) s.nsegs = static_cast<uint32_t>(n);
  else if (std::strcmp(key, "channel") == 0) s.channel = i;
  else if (std::strcmp(key, "decoy_channel") == 0) s.decoyChannel = i;
  else if (std::strcmp(key, "record_bytes") == 0) s.recordBytes = static_cast<uint32_t>(n);
  else if (std::strcmp(key, "temp_result") == 0) s.tempResult = i;
  else if (std::strcmp(key, "point_writes") == 0) s.pointWrites = i != 0;
  else if (std::strcmp(key, "short_gray") == 0) s.shortGray = i != 0;
  else if (std::strcmp(key, "bad_frames") == 0) s.badFrames = i != 0;
  else return false;
  return true;
}

// Copies [from, to) into out without surrounding blanks.
void trimmed(char* out, size_t cap, const char* from, const char* to) {
  while (from < to && std::isspace(static_cast<unsigned char>(*from))) ++from;
  while (to > from && std::isspace(static_cast<unsigned char>(to[-1]))) --to;
  size_t n = static_cast<size_t>(to - from);
  if (n >= cap) n = cap - 1;
  std::memcpy(out, from, n);
  out[n] = 0;
}

}  // namespace

int applyScenarioText(Scenario& s, const char* text, char* bad, size_t cap) {
  if (bad && cap) bad[0] = 0;
  int failures = 0;
  for (const char* line = text; line && *line;) {
    const char* end = std::strpbrk(line, "\r\n");
    if (!end) end = line + std::strlen(line);
    const char* hash = static_cast<const char*>(std::memchr(line, '#', static_cast<size_t>(end - line)));
    const char* stop = hash ? hash : end;
    const char* eq = static_cast<const char*>(std::memchr(line, '=', static_cast<size_t>(stop - line)));
    char key[64];
    char value[128];
    if (eq) {
      trimmed(key, sizeof key, line, eq);
      trimmed(value, sizeof value, eq + 1, stop);
      const bool ok = std::strcmp(key, "scenario") == 0 ? namedScenario(s, value) : applyKey(s, key, value);
      if (!ok) {
        ++failures;
        noteBad(bad, cap, key);
      }
    } else {
      trimmed(key, sizeof key, line, stop);
      if (key[0]) {
        ++failures;
        noteBad(bad, cap, key);
      }
    }
    line = *end ? end + 1 : end;
  }
  return failures;
}

bool namedScenario(Scenario& s, const char* name) {
  for (const NamedScenario& n : kScenarios) {
    if (std::strcmp(n.name, name) != 0) continue;
    s = Scenario{};
    applyScenarioText(s, n.keys);
    std::snprintf(s.name, sizeof s.name, "%s", n.name);
    return true;
  }
  return false;
}

int scenarioCount() { return static_cast<int>(sizeof kScenarios / sizeof kScenarios[0]); }

const char* scenarioName(int i) { return i >= 0 && i < scenarioCount() ? kScenarios[i].name : nullptr; }
