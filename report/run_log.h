// Reading a run's saved standard output: the capturing line, the FFC
// switches and, per pair, the lines the page plots or checks files against.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace irreport {

struct LogPoint {
  int x = 0, y = 0, rx = 0, ry = 0;
  uint32_t raw = 0, gray = 0, temp32 = 0;
  double tempRaw = 0, tempArm = 0;
};

struct LogPair {
  int index = -1;
  int ffc = -1;  // 1: ">>> TriggerFFC(1)" came before this pair, 0: "(0)", -1: none
  int frames = 0;
  uint32_t fcnt = 0;
  int rcRgb = 0, rcTemp = 0, cbW = 0, cbH = 0;
  std::optional<std::array<uint32_t, 4>> cnt;     // e0 f10 globframe ffcstate
  std::optional<std::array<uint32_t, 9>> window;  // hi lo span pixels comp_off shift gain sm ref
  std::optional<std::array<uint64_t, 8>> ptrs;    // the ptrs418x slots
  std::optional<uint64_t> refp;
  std::vector<LogPoint> points;
};

struct RunLog {
  int pairCount = 0;
  int dispW = 0, dispH = 0, sensW = 0, sensH = 0;
  bool ffcBound = false;  // "TriggerFFC=" printed a non-null address
  std::vector<LogPair> pairs;  // in the order of their "[%d]" lines
};

// Parses the text of a saved report (LF or CR LF line ends). Returns an
// empty optional with `error` set when the text is not an irprobe report.
std::optional<RunLog> parseRunLog(const std::string& text, std::string& error);

}  // namespace irreport
