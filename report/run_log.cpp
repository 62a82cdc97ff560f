// Reading a run's saved standard output: the capturing line, the FFC
// switches and, per pair, the lines the page plots or checks files against.
#include "run_log.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace irreport {

namespace {

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool parsePtrs(const std::string& line, std::array<uint64_t, 8>& slots) {
  const char* p = line.c_str() + std::strlen("  ptrs418x: ");
  for (int i = 0; i < 8; ++i) {
    int slot = -1, used = 0;
    uint64_t v = 0;
    if (std::sscanf(p, "%d=%" SCNx64 " %n", &slot, &v, &used) != 2 || slot != i) return false;
    slots[static_cast<size_t>(i)] = v;
    p += used;
  }
  return true;
}

}  // namespace

std::optional<RunLog> parseRunLog(const std::string& text, std::string& error) {
  RunLog log;
  bool sawCapturing = false;
  LogPair pending;  // the lines of one pair before its "[%d]" line
  bool pointsOpen = false;  // sample points go to the last pair read
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    int a = 0, b = 0, c = 0, d = 0, e = 0;
    if (!sawCapturing) {
      if (std::sscanf(line.c_str(), "capturing %d pairs (disp %dx%d, sensor %dx%d)...", &a, &b, &c, &d, &e) == 5) {
        log.pairCount = a;
        log.dispW = b;
        log.dispH = c;
        log.sensW = d;
        log.sensH = e;
        sawCapturing = true;
      }
      continue;
    }
    // Sample points follow their pair's "[%d]" line without a break.
    if (!startsWith(line, "  pt(")) pointsOpen = false;
    if (startsWith(line, "TriggerFFC=")) {
      log.ffcBound = line.find_first_not_of('0', std::strlen("TriggerFFC=")) != std::string::npos;
      continue;
    }
    if (startsWith(line, ">>> TriggerFFC(")) {
      pending.ffc = line[std::strlen(">>> TriggerFFC(")] == '1' ? 1 : 0;
      continue;
    }
    if (line.empty() || line[0] == '[') {
      LogPair& p = pending;
      unsigned fcnt = 0;
      if (std::sscanf(line.c_str(), "[%d] frames=%d fcnt=%u rc_rgb=%d rc_temp=%d cb=%dx%d", &p.index, &p.frames,
                      &fcnt, &p.rcRgb, &p.rcTemp, &p.cbW, &p.cbH) == 7) {
        p.fcnt = fcnt;
        log.pairs.push_back(p);
        pointsOpen = true;
        pending = LogPair{};
      }
      continue;
    }
    if (startsWith(line, "  pt(")) {
      LogPoint pt;
      unsigned raw = 0, gray = 0, t32 = 0;
      if (pointsOpen && std::sscanf(line.c_str(), "  pt(%d,%d) raw@(%d,%d)=%u gray=%u temp32=%u tempRaw=%lf tempArm=%lf",
                              &pt.x, &pt.y, &pt.rx, &pt.ry, &raw, &gray, &t32, &pt.tempRaw, &pt.tempArm) == 9) {
        pt.raw = raw;
        pt.gray = gray;
        pt.temp32 = t32;
        log.pairs.back().points.push_back(pt);
      }
      continue;
    }
    unsigned v[9] = {};
    if (std::sscanf(line.c_str(), "  cnt: e0=%u f10=%u globframe=%u ffcstate=%u", &v[0], &v[1], &v[2], &v[3]) == 4) {
      pending.cnt = std::array<uint32_t, 4>{v[0], v[1], v[2], v[3]};
    } else if (std::sscanf(line.c_str(), "  window hi=%u lo=%u span=%u pixels=%u comp_off=%u shift=%u gain=%u sm=%u ref=%u",
                           &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], &v[6], &v[7], &v[8]) == 9) {
      pending.window = std::array<uint32_t, 9>{v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]};
    } else if (startsWith(line, "  ptrs418x: ")) {
      std::array<uint64_t, 8> slots{};
      if (parsePtrs(line, slots)) pending.ptrs = slots;
    } else if (startsWith(line, "  modes: ")) {
      const size_t at = line.find(" refp=");
      uint64_t refp = 0;
      if (at != std::string::npos && std::sscanf(line.c_str() + at, " refp=%" SCNx64, &refp) == 1) pending.refp = refp;
    }
  }
  if (!sawCapturing) {
    if (startsWith(text, "T=")) {
      // The tool's start-up lines without a capture: say how the run ended.
      std::string lastLine = text.substr(0, text.find_last_not_of("\r\n") + 1);
      lastLine = lastLine.substr(lastLine.find_last_of('\n') + 1);
      if (!lastLine.empty() && lastLine.back() == '\r') lastLine.pop_back();
      error = "the run never started capturing (its last line: \"" + lastLine + "\")";
    } else {
      error = "no \"capturing N pairs (disp WxH, sensor WxH)...\" line: not the standard output of an irprobe run";
    }
    return std::nullopt;
  }
  if (log.dispW < 1 || log.dispH < 1 || log.sensW < 0 || log.sensH < 0) {
    error = "the capturing line gives an impossible geometry";
    return std::nullopt;
  }
  return log;
}

}  // namespace irreport
