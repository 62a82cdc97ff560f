// End-to-end: the capture loop and the per-pair dump against the simulated
// SDK: file sets and sizes, the pair report, the FFC switches, and runs that
// meet missing entry points, stopped frames and unreadable memory.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <sstream>

#include "harness.h"

namespace {

// Files of one pair of a 320 x 240 capture with every conditional file present.
const std::map<std::string, int64_t> kFullPair = {
    {"win", 32},         {"win2", 56},     {"nuctab", 96},    {"thr", 2},        {"gain", 76800},
    {"lut", 1024},       {"hist", 1024},   {"ref", 38400},    {"b00", 38400},    {"b01", 38400},
    {"b02", 38400},      {"b03", 38400},   {"b04", 38400},    {"b05", 38400},    {"b06", 38400},
    {"b07", 38400},      {"smo", 38400},   {"smoacc", 76800}, {"f20", 38400},    {"e0acc", 76800},
    {"e0buf", 38400},    {"cnt", 16},      {"smo1", 64},      {"smo2", 64},      {"modes", 24},
    {"stream", 24},      {"gray", 76800},  {"rgb", 230400},   {"raw", 38400},    {"pal", 1024},
    {"cbrgb", 230400},   {"t32", 76800},   {"hdr", 96},       {"bar", 4096},     {"barinfo", 64}};

std::string pairName(int i) {
  char name[16];
  snprintf(name, sizeof name, "pair_%03d", i);
  return name;
}

// Numbers after "name=" in a report line, in order.
std::vector<uint64_t> values(const std::string& line) {
  std::vector<uint64_t> out;
  std::stringstream ss(line);
  std::string tok;
  while (ss >> tok) {
    size_t eq = tok.find('=');
    if (eq != std::string::npos && eq + 1 < tok.size()) out.push_back(std::stoull(tok.substr(eq + 1)));
  }
  return out;
}

std::vector<uint32_t> words(const std::vector<unsigned char>& bytes) {
  std::vector<uint32_t> w(bytes.size() / 4);
  if (!w.empty()) memcpy(w.data(), bytes.data(), w.size() * 4);
  return w;
}

// The lines a pair prints, in order, up to its summary line.
const char* const kPairLines[] = {"  nuctab th[0:4]=", "  nsegs=", "  nsegs=", "  ptrs418x: ", "  cnt: e0=",
                                  "  modes: fd8=",     "  stream: 2d78=", "  window hi=", "  p47944=", "  f3c=",
                                  "  bar rc="};

TEST(Capture, FivePairsIntoAnOutputDirectory) {
  ToolResult r = runTool("default", "default", {"out", "5", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.stdoutText;
  const auto& L = r.lines;
  const std::string out = r.workDir + "/out/";

  int from = findLine(L, "TriggerFFC=");
  ASSERT_GE(from, 0);
  for (int i = 0; i < 5; ++i) {
    // The switches come right before pairs 1 and 3.
    if (i == 1 || i == 3) {
      const char* ffc = i == 1 ? ">>> TriggerFFC(1)" : ">>> TriggerFFC(0)";
      EXPECT_EQ(L[from + 1], ffc) << "before pair " << i;
      ++from;
    }
    int at = from + 1;
    for (const char* prefix : kPairLines) {
      ASSERT_LT(at, static_cast<int>(L.size()));
      EXPECT_EQ(L[at].rfind(prefix, 0), 0u) << "pair " << i << ": " << L[at] << " (expected " << prefix << ")";
      ++at;
    }
    EXPECT_EQ(L[at].rfind("[" + std::to_string(i) + "] frames=", 0), 0u) << L[at];
    for (int k = 1; k <= 12; ++k) EXPECT_EQ(L[at + k].rfind("  pt(", 0), 0u) << L[at + k];
    EXPECT_NE(L[at].find(" rc_rgb=1 rc_temp=1 cb=320x240"), std::string::npos) << L[at];

    // Every file of the pair, with its size; the window records match their lines.
    const std::string base = out + pairName(i);
    for (const auto& [ext, size] : kFullPair) EXPECT_EQ(fileSize(base + "." + ext), size) << pairName(i) << "." << ext;
    std::vector<uint64_t> window = values(L[from + 8]);
    ASSERT_EQ(window.size(), 9u) << L[from + 8];
    window.erase(window.begin() + 2);  // span is not in the file
    const std::vector<uint32_t> win = words(readFile(base + ".win"));
    EXPECT_EQ(std::vector<uint64_t>(win.begin(), win.end()), window) << L[from + 8];
    const std::vector<uint64_t> p47944 = values(L[from + 9]);
    std::vector<uint32_t> win2 = words(readFile(base + ".win2"));
    win2.resize(10);
    EXPECT_EQ(std::vector<uint64_t>(win2.begin(), win2.end()), p47944) << L[from + 9];
    from = at + 12;
  }
  EXPECT_EQ(L[from + 1].rfind("raw160: ", 0), 0u);
  EXPECT_EQ(L.back(), "done");
  EXPECT_EQ(listFiles(out).size(), 5 * kFullPair.size());
  EXPECT_EQ(fileSize(r.workDir + "/pair_000.win"), -1) << "window records belong in the output directory";

  std::vector<std::string> ffc;
  for (const auto& c : r.calls)
    if (c.find(" MAG_TriggerFFC(") != std::string::npos) ffc.push_back(c.substr(c.find(' ') + 1));
  EXPECT_EQ(ffc, (std::vector<std::string>{"MAG_TriggerFFC(0,1)", "MAG_TriggerFFC(0,0)"}));
}

TEST(Capture, MinimalExportsSkipTheirSteps) {
  ToolResult r = runTool("minimal", "default", {"out", "3", "0"});
  ASSERT_EQ(r.exitCode, 0) << r.stdoutText;
  EXPECT_EQ(countLines(r.lines, ">>>"), 0);
  EXPECT_EQ(countLines(r.lines, "  bar rc="), 0);
  EXPECT_EQ(countLines(r.lines, "["), 3);
  for (const auto& l : r.lines) {
    if (l.rfind("[", 0) == 0) {
      EXPECT_NE(l.find(" rc_temp=0 "), std::string::npos) << l;
    }
    if (l.rfind("  pt(", 0) == 0) {
      EXPECT_NE(l.find("temp32=         0 tempRaw=0.00 tempArm=0.00"), std::string::npos) << l;
    }
  }
  EXPECT_EQ(countLines(r.lines, "  pt("), 36);
  for (const char* ext : {".t32", ".bar", ".barinfo"}) EXPECT_EQ(fileSize(r.workDir + "/out/pair_000" + ext), -1);
  EXPECT_EQ(r.lines.back(), "done");
}

// Runs whose SDK misbehaves still print every pair and end normally.
TEST(Capture, SurvivesStoppedFramesAndUnreadableMemory) {
  const struct {
    const char* scenario;
    int pairs;
  } cases[] = {{"stopframes", 4}, {"noframes", 2}, {"shortrecord", 2}, {"staleptrs", 2},
               {"badstream", 2},  {"shortgray", 2}, {"nullptrs", 2},   {"baddelegate", 2}};
  for (const auto& c : cases) {
    ToolResult r = runTool("default", c.scenario, {"out", std::to_string(c.pairs), "0"});
    EXPECT_EQ(r.exitCode, 0) << c.scenario << "\n" << r.stdoutText;
    EXPECT_EQ(countLines(r.lines, "  pt("), 12 * c.pairs) << c.scenario;
    for (int i = 0; i < c.pairs; ++i)
      EXPECT_GE(findLine(r.lines, "[" + std::to_string(i) + "] frames="), 0) << c.scenario << " pair " << i;
    EXPECT_GE(findLine(r.lines, "struct scan:"), 0) << c.scenario;
    ASSERT_FALSE(r.lines.empty());
    EXPECT_EQ(r.lines.back(), "done") << c.scenario;
  }
}

TEST(Capture, MissingOutputDirectoryWritesNothing) {
  ToolResult r = runTool("default", "default", {"no/such/dir", "2", "0"});
  EXPECT_EQ(r.exitCode, 0) << r.stdoutText;
  EXPECT_EQ(listFiles(r.workDir), (std::vector<std::string>{"calls.log", "stderr.txt", "stdout.txt"}));
  EXPECT_EQ(countLines(r.lines, "  pt("), 24);
}

}  // namespace

namespace {

// Which conditional files a one-pair run leaves, per scenario: each listed
// extension must have the given size (-1: absent).
TEST(Capture, ConditionalFilesFollowTheSdkState) {
  const struct {
    const char* scenario;
    std::map<std::string, int64_t> files;
    const char* line;  // a line the pair must print
  } cases[] = {
      {"nsegs0", {{"thr", 0}, {"gain", 0}}, "  nsegs=0 table_bytes=0"},
      {"nsegs327", {{"thr", 654}, {"gain", 25113600}}, "  nsegs=327 table_bytes=25113600"},
      {"nsegs328", {{"thr", 656}, {"gain", -1}}, "  nsegs=328 table_bytes=25190400"},
      {"nsegs55925", {{"thr", 4096}, {"gain", -1}}, "  nsegs=55925 table_bytes=72704"},
      {"nsegs80000001", {{"thr", 2}, {"gain", -1}}, "  nsegs=2147483649 table_bytes="},
      {"slot5", {{"b04", -1}, {"b05", 38400}, {"b06", -1}, {"smo", -1}, {"smoacc", 76800}}, "  ptrs418x: 0=0000000000000000 "},
      {"nullptrs", {{"ref", -1}, {"b00", -1}, {"smo", -1}, {"smoacc", -1}, {"f20", -1}, {"e0acc", -1}, {"e0buf", -1},
                    {"stream", -1}, {"cnt", 16}}, "  modes: "},
      {"bar0", {{"bar", -1}, {"barinfo", -1}}, "  bar rc=0 data=0000000000000000 info=0000000000000000"},
      {"barnullinfo", {{"bar", 4096}, {"barinfo", 64}}, "  bar rc=1 "},
      {"temp0", {{"t32", -1}}, "[0] frames="},
      {"geom160", {{"gray", 19200}, {"rgb", 57600}, {"raw", 9600}, {"t32", 19200}, {"smoacc", 19200}}, "[0] frames="},
      {"geom1wide", {{"gray", 240}, {"raw", 0}, {"t32", 0}, {"ref", 0}}, "[0] frames="},
  };
  for (const auto& c : cases) {
    ToolResult r = runTool("default", c.scenario, {"out", "1", "0"});
    EXPECT_EQ(r.exitCode, 0) << c.scenario << "\n" << r.stdoutText;
    for (const auto& [ext, size] : c.files)
      EXPECT_EQ(fileSize(r.workDir + "/out/pair_000." + ext), size) << c.scenario << " ." << ext;
    EXPECT_GE(findLine(r.lines, c.line), 0) << c.scenario << ": no line " << c.line << "\n" << r.stdoutText;
  }
  // Null colour-bar info: barinfo is the bar data's first 64 bytes.
  ToolResult r = runTool("default", "barnullinfo", {"out", "1", "0"});
  std::vector<unsigned char> bar = readFile(r.workDir + "/out/pair_000.bar");
  bar.resize(64);
  EXPECT_EQ(readFile(r.workDir + "/out/pair_000.barinfo"), bar);
  // Temperature data rc 0 prints temp32 as 0 on every point.
  r = runTool("default", "temp0", {"out", "1", "0"});
  EXPECT_EQ(countLines(r.lines, "  pt("), 12);
  for (const auto& l : r.lines)
    if (l.rfind("  pt(", 0) == 0) {
      EXPECT_NE(l.find(" temp32=         0 "), std::string::npos) << l;
    }
  EXPECT_GE(findLine(r.lines, "[0] frames="), 0);
}

}  // namespace
