// A capture as the page shows it: geometry, the pairs' files, the FFC pairs,
// the saved report when given, and the notes about anything that is off.
#pragma once
#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "capture_files.h"
#include "run_log.h"

namespace irreport {

struct Geometry {
  int dispW = 0, dispH = 0, sensW = 0, sensH = 0;
};

struct Note {
  int pair = -1;  // -1: about the whole capture
  std::string text;
};

struct Capture {
  std::string dir;
  Geometry geo;
  std::string geometryFrom;  // where the geometry was taken from
  std::optional<RunLog> log;
  std::vector<PairFiles> pairs;  // one per pair index 0..N-1; a pair without files has none
  int ffcOn = -1, ffcOff = -1;   // pair indices, -1 when there was no switch
  bool ffcAssumed = false;       // no report: taken from the pair count
  std::vector<Note> notes;
  std::map<std::pair<int, std::string>, std::string> fileIssues;  // (pair, ext) -> what is wrong with it
};

// The display size rule of the tool: the header's width (byte 4) and height
// (byte 8) when both lie in 1..1000, else 160x120; the sensor is half of it.
// Nullopt when the header is shorter than 12 bytes.
std::optional<Geometry> geometryFromHeader(const std::vector<uint8_t>& hdr);

// Expected length of a per-pair file. `prefixAllowed`: the file copies SDK
// memory and may legitimately hold only its readable prefix.
struct ExpectedSize {
  bool known = false;
  size_t bytes = 0;
  bool prefixAllowed = false;
};
ExpectedSize expectedSize(const std::string& ext, const Geometry& geo);

// Loads CAPTURE_DIR and, when given, the saved standard output. Returns
// nullopt with a one-line `error` when the input cannot make a page.
std::optional<Capture> loadCapture(const std::filesystem::path& dir, const std::filesystem::path* logPath,
                                   std::string& error);

// The report's entry for a pair, or null.
const LogPair* findLogPair(const Capture& cap, int index);

// The issue noted for one file, or null.
const std::string* findIssue(const Capture& cap, int pair, const std::string& ext);

}  // namespace irreport
