// A capture as the page shows it: geometry, the pairs' files, the FFC pairs,
// the saved report when given, and the notes about anything that is off.
#include "capture_model.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace irreport {

namespace {

// A file more than this much older than the newest file of its pair (or a
// pair older than the pair before it) was left there by an earlier run.
constexpr auto kStaleGap = std::chrono::seconds(5);

int32_t i32At(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
                              uint32_t{b[at + 3]} << 24);
}

uint32_t u32At(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint32_t>(i32At(b, at)); }

std::string pairName(int index) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "pair_%03d", index);
  return buf;
}

std::string fileName(int index, const std::string& ext) { return pairName(index) + "." + ext; }

std::filesystem::file_time_type newestOf(const PairFiles& p) {
  auto t = std::filesystem::file_time_type::min();
  for (const auto& [ext, f] : p.files) t = std::max(t, f.mtime);
  return t;
}

void note(Capture& cap, int pair, std::string text) { cap.notes.push_back({pair, std::move(text)}); }

void dropFile(Capture& cap, PairFiles& pair, const std::string& ext, const std::string& why) {
  if (pair.files.erase(ext)) note(cap, pair.index, fileName(pair.index, ext) + " " + why + "; not shown");
}

// Pairs without a report: the run's pairs are the ones from pair 0 on whose
// files are not older than their predecessor's.
size_t freshPairCount(const std::vector<PairFiles>& byIndex) {
  for (size_t i = 1; i < byIndex.size(); ++i)
    if (!byIndex[i].files.empty() && !byIndex[i - 1].files.empty() &&
        newestOf(byIndex[i]) + kStaleGap < newestOf(byIndex[i - 1]))
      return i;
  return byIndex.size();
}

// Compares a pair's report lines with its files; returns what disagrees.
std::string compareWithLog(const LogPair& lp, const PairFiles& pair, const Geometry& geo, bool& checked) {
  std::ostringstream out;
  checked = false;
  const DumpFile* cnt = findFile(pair, "cnt");
  if (lp.cnt && cnt && cnt->bytes.size() == 16) {
    checked = true;
    for (size_t i = 0; i < 4; ++i)
      if (u32At(cnt->bytes, i * 4) != (*lp.cnt)[i]) {
        out << "cnt word " << i << " is " << u32At(cnt->bytes, i * 4) << " in the file, " << (*lp.cnt)[i]
            << " in the report; ";
        break;
      }
  }
  const DumpFile* win = findFile(pair, "win");
  if (lp.window && win && win->bytes.size() == 32) {
    checked = true;
    static const size_t kLineField[8] = {0, 1, 3, 4, 5, 6, 7, 8};  // the line has span as its third field
    for (size_t i = 0; i < 8; ++i)
      if (u32At(win->bytes, i * 4) != (*lp.window)[kLineField[i]]) {
        out << "win word " << i << " is " << u32At(win->bytes, i * 4) << " in the file, "
            << (*lp.window)[kLineField[i]] << " in the report; ";
        break;
      }
  }
  const DumpFile* raw = findFile(pair, "raw");
  const DumpFile* gray = findFile(pair, "gray");
  for (const LogPoint& pt : lp.points) {
    if (pt.x < 0 || pt.y < 0 || pt.x >= geo.dispW || pt.y >= geo.dispH) continue;
    const size_t ri = (static_cast<size_t>(pt.ry) * static_cast<size_t>(geo.sensW) + static_cast<size_t>(pt.rx)) * 2;
    if (raw && pt.rx < geo.sensW && pt.ry < geo.sensH && ri + 1 < raw->bytes.size()) {
      checked = true;
      const uint32_t v = uint32_t{raw->bytes[ri]} | uint32_t{raw->bytes[ri + 1]} << 8;
      if (v != pt.raw) {
        out << "raw at (" << pt.rx << "," << pt.ry << ") is " << v << " in the file, " << pt.raw << " in the report; ";
        break;
      }
    }
    const size_t gi = static_cast<size_t>(pt.y) * static_cast<size_t>(geo.dispW) + static_cast<size_t>(pt.x);
    if (gray && gi < gray->bytes.size()) {
      checked = true;
      if (gray->bytes[gi] != pt.gray) {
        out << "gray at (" << pt.x << "," << pt.y << ") is " << unsigned{gray->bytes[gi]} << " in the file, " << pt.gray
            << " in the report; ";
        break;
      }
    }
  }
  std::string s = out.str();
  if (s.size() >= 2) s.resize(s.size() - 2);
  return s;
}

bool readText(const std::filesystem::path& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return !in.bad();
}

}  // namespace

std::optional<Geometry> geometryFromHeader(const std::vector<uint8_t>& hdr) {
  if (hdr.size() < 12) return std::nullopt;
  Geometry g;
  const int32_t w = i32At(hdr, 4), h = i32At(hdr, 8);
  const bool ok = w >= 1 && w <= 1000 && h >= 1 && h <= 1000;
  g.dispW = ok ? w : 160;
  g.dispH = ok ? h : 120;
  g.sensW = g.dispW >> 1;
  g.sensH = g.dispH >> 1;
  return g;
}

ExpectedSize expectedSize(const std::string& ext, const Geometry& geo) {
  const size_t disp = static_cast<size_t>(geo.dispW) * static_cast<size_t>(geo.dispH);
  const size_t sens = static_cast<size_t>(geo.sensW) * static_cast<size_t>(geo.sensH);
  struct Row {
    const char* ext;
    size_t bytes;
    bool prefix;
  };
  const Row rows[] = {
      {"win", 32, false},        {"win2", 56, false},       {"nuctab", 96, false},     {"thr", 4096, true},
      {"gain", 0x1800000, true}, {"lut", 1024, true},       {"hist", 1024, true},      {"ref", sens * 2, true},
      {"b00", sens * 2, true},   {"b01", sens * 2, true},   {"b02", sens * 2, true},   {"b03", sens * 2, true},
      {"b04", sens * 2, true},   {"b05", sens * 2, true},   {"b06", sens * 2, true},   {"b07", sens * 2, true},
      {"smo", sens * 2, true},   {"smoacc", sens * 4, true}, {"f20", sens * 2, true},  {"e0acc", sens * 4, true},
      {"e0buf", sens * 2, true}, {"cnt", 16, false},        {"smo1", 64, true},        {"smo2", 64, true},
      {"modes", 24, false},      {"stream", 24, false},     {"gray", disp, false},     {"rgb", disp * 3, false},
      {"raw", sens * 2, false},  {"pal", 1024, false},      {"t32", sens * 4, false},  {"hdr", 96, true},
      {"bar", 4096, true},       {"barinfo", 64, true},
  };
  for (const Row& r : rows)
    if (ext == r.ext) return {true, r.bytes, r.prefix};
  return {};
}

std::optional<Capture> loadCapture(const std::filesystem::path& dir, const std::filesystem::path* logPath,
                                   std::string& error) {
  Capture cap;
  cap.dir = dir.string();
  if (logPath) {
    std::string text;
    if (!readText(*logPath, text)) {
      error = "cannot read the report " + logPath->string();
      return std::nullopt;
    }
    std::string why;
    cap.log = parseRunLog(text, why);
    if (!cap.log) {
      error = logPath->string() + ": " + why;
      return std::nullopt;
    }
  }
  auto found = readCaptureDir(dir, error);
  if (!found) return std::nullopt;

  // One slot per pair index, then cut to the pairs of this run.
  constexpr int kMaxPairs = 100000;
  if (found->back().index >= kMaxPairs) {
    error = dir.string() + " holds " + fileName(found->back().index, found->back().files.begin()->first) +
            ": more pairs than one page can show";
    return std::nullopt;
  }
  std::vector<PairFiles> byIndex(static_cast<size_t>(found->back().index) + 1);
  for (size_t i = 0; i < byIndex.size(); ++i) byIndex[i].index = static_cast<int>(i);
  for (PairFiles& p : *found) byIndex[static_cast<size_t>(p.index)] = std::move(p);
  size_t count = byIndex.size();
  if (cap.log) {
    if (cap.log->pairCount <= 0) {
      error = "the report captured no pairs, but " + dir.string() + " holds pair files: a report from another run";
      return std::nullopt;
    }
    count = static_cast<size_t>(cap.log->pairCount);
    if (count > byIndex.size()) {
      note(cap, -1,
           "the report announces " + std::to_string(count) + " pairs, files exist up to " +
               pairName(static_cast<int>(byIndex.size()) - 1) + ": the run stopped early or files were removed");
      count = byIndex.size();
    }
  } else {
    count = freshPairCount(byIndex);
  }
  if (count < byIndex.size()) {
    size_t extra = 0;
    for (size_t i = count; i < byIndex.size(); ++i) extra += byIndex[i].files.empty() ? 0 : 1;
    if (extra)
      note(cap, -1,
           "files of " + std::to_string(extra) + " pair(s) from " + pairName(static_cast<int>(count)) + " on are " +
               (cap.log ? "beyond the report's pair count" : "older than the pairs before them") +
               ": left from an earlier run, not shown");
  }
  byIndex.resize(count);
  for (PairFiles& p : byIndex) p.index = static_cast<int>(&p - byIndex.data());
  bool anyFiles = false;
  for (const PairFiles& p : byIndex) anyFiles = anyFiles || !p.files.empty();
  if (!anyFiles) {
    error = "none of the report's " + std::to_string(count) + " pairs has files in " + dir.string() +
            ": a report from another run";
    return std::nullopt;
  }
  cap.pairs = std::move(byIndex);

  // Geometry: the capturing line, else the first pair's header.
  if (cap.log) {
    cap.geo = {cap.log->dispW, cap.log->dispH, cap.log->sensW, cap.log->sensH};
    cap.geometryFrom = "the report's capturing line";
    for (const PairFiles& p : cap.pairs) {
      const DumpFile* gray = findFile(p, "gray");
      if (!gray) continue;
      const size_t want = static_cast<size_t>(cap.geo.dispW) * static_cast<size_t>(cap.geo.dispH);
      if (gray->bytes.size() != want) {
        error = "the report says disp " + std::to_string(cap.geo.dispW) + "x" + std::to_string(cap.geo.dispH) +
                " but " + fileName(p.index, "gray") + " holds " + std::to_string(gray->bytes.size()) +
                " bytes: a report from another run";
        return std::nullopt;
      }
      break;
    }
  } else {
    for (const PairFiles& p : cap.pairs) {
      const DumpFile* hdr = findFile(p, "hdr");
      if (!hdr) continue;
      if (auto g = geometryFromHeader(hdr->bytes)) {
        cap.geo = *g;
        cap.geometryFrom = fileName(p.index, "hdr");
        break;
      }
    }
    if (cap.geometryFrom.empty()) {
      error = "no pair has a readable .hdr file and no report was given: cannot tell the display size";
      return std::nullopt;
    }
    note(cap, -1, "no report given: geometry from " + cap.geometryFrom + ", FFC pairs assumed from the pair count");
  }

  // The FFC pairs: as the report printed them, else where the tool puts them.
  if (cap.log) {
    for (const LogPair& lp : cap.log->pairs) {
      if (lp.ffc == 1 && cap.ffcOn < 0) cap.ffcOn = lp.index;
      if (lp.ffc == 0 && cap.ffcOff < 0) cap.ffcOff = lp.index;
    }
  } else {
    cap.ffcOn = static_cast<int>(count / 3);
    cap.ffcOff = static_cast<int>(count * 2 / 3);
    cap.ffcAssumed = true;
  }

  // Per pair: files left from an earlier run, sizes, and the report's values.
  size_t checkedPairs = 0;
  std::vector<std::pair<int, std::string>> disagreements;
  for (PairFiles& p : cap.pairs) {
    if (p.files.empty()) {
      note(cap, p.index, "no files for " + pairName(p.index));
      continue;
    }
    const auto newest = newestOf(p);
    std::vector<std::string> stale;
    for (const auto& [ext, f] : p.files)
      if (f.mtime + kStaleGap < newest) stale.push_back(ext);
    for (const std::string& ext : stale) dropFile(cap, p, ext, "is older than the rest of its pair (an earlier run's)");
    if (const LogPair* lp = findLogPair(cap, p.index)) {
      if (lp->rcTemp == 0) dropFile(cap, p, "t32", "exists although rc_temp=0 (an earlier run's)");
      if (lp->refp && *lp->refp == 0) dropFile(cap, p, "ref", "exists although refp is null (an earlier run's)");
      if (lp->ptrs)
        for (size_t s = 0; s < 8; ++s)
          if ((*lp->ptrs)[s] == 0) {
            char ext[8];
            std::snprintf(ext, sizeof ext, "b%02zu", s);
            dropFile(cap, p, ext, "exists although its slot is null (an earlier run's)");
          }
      bool checked = false;
      std::string diff = compareWithLog(*lp, p, cap.geo, checked);
      checkedPairs += checked ? 1 : 0;
      if (!diff.empty()) disagreements.emplace_back(p.index, diff);
    } else if (cap.log) {
      note(cap, p.index, "the report has no lines for " + pairName(p.index));
    }
    for (const auto& [ext, f] : p.files) {
      const ExpectedSize want = expectedSize(ext, cap.geo);
      if (!want.known) continue;
      const size_t got = f.bytes.size();
      std::string issue;
      if (got > want.bytes)
        issue = "holds " + std::to_string(got) + " bytes, more than the " + std::to_string(want.bytes) +
                " this geometry gives";
      else if (got < want.bytes && !want.prefixAllowed)
        issue = "holds " + std::to_string(got) + " of " + std::to_string(want.bytes) + " bytes: truncated";
      if (!issue.empty()) {
        cap.fileIssues[{p.index, ext}] = issue;
        note(cap, p.index, fileName(p.index, ext) + " " + issue);
      }
    }
  }
  // Most pairs disagreeing means the report is another run's (the simulated
  // camera, for one, repeats its first frames exactly from run to run).
  if (cap.log && checkedPairs > 0 && disagreements.size() * 2 > checkedPairs) {
    error = "the report does not match " + dir.string() + " (" + pairName(disagreements.front().first) + ": " +
            disagreements.front().second + "): a report from another run";
    return std::nullopt;
  }
  for (const auto& [index, text] : disagreements)
    note(cap, index, "the report disagrees with " + pairName(index) + "'s files (" + text + "): overwritten by another run?");
  return cap;
}

const LogPair* findLogPair(const Capture& cap, int index) {
  if (!cap.log) return nullptr;
  for (const LogPair& lp : cap.log->pairs)
    if (lp.index == index) return &lp;
  return nullptr;
}

const std::string* findIssue(const Capture& cap, int pair, const std::string& ext) {
  const auto it = cap.fileIssues.find({pair, ext});
  return it == cap.fileIssues.end() ? nullptr : &it->second;
}

}  // namespace irreport
