// Bad input: each case either stops with a one-line error or loads with a
// visible note (and, where it matters, no picture for the file concerned).
#include <chrono>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include "html_page.h"
#include "report_fixture.h"

using reportfx::FakeCapture;

namespace {

struct Input {
  FakeCapture& fx;
  std::string report;  // the saved report; used when withReport
  bool withReport = true;
};

void ageFiles(const FakeCapture& fx, int pair, const std::string& onlyExt = "") {
  for (const auto& [ext, bytes] : fx.pairs[static_cast<size_t>(pair)].files) {
    if (!onlyExt.empty() && ext != onlyExt) continue;
    char name[48];
    std::snprintf(name, sizeof name, "pair_%03d.%s", pair, ext.c_str());
    const auto p = fx.dir / name;
    std::filesystem::last_write_time(p, std::filesystem::last_write_time(p) - std::chrono::hours(1));
  }
}

void replaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) s.replace(at, from.size(), to);
}

struct Case {
  const char* name;
  std::function<void(Input&)> before;  // changes the files before they are written
  std::function<void(Input&)> after;   // changes the directory after they are written
  const char* error;                   // expected error text, or null
  const char* note;                    // expected note text, or null
  const char* page;                    // expected page text, or null
  const char* notInPage;               // text the page must not hold, or null
};

const Case kCases[] = {
    {"missing directory", nullptr, [](Input& in) { std::filesystem::remove_all(in.fx.dir); },
     "does not exist or is not a directory", nullptr, nullptr, nullptr},
    {"no pair files", nullptr,
     [](Input& in) {
       for (auto& e : std::filesystem::directory_iterator(in.fx.dir)) std::filesystem::remove(e.path());
       std::ofstream(in.fx.dir / "pair_x.gray") << "x";
     },
     "no pair_NNN.* files", nullptr, nullptr, nullptr},
    {"not a report", nullptr, [](Input& in) { in.report = "hello\n"; }, "not the standard output of an irprobe run",
     nullptr, nullptr, nullptr},
    {"report of another geometry", nullptr,
     [](Input& in) { replaceAll(in.report, "disp 8x6, sensor 4x3", "disp 16x12, sensor 8x6"); },
     "but pair_000.gray holds 48 bytes: a report from another run", nullptr, nullptr, nullptr},
    {"report of another run, same geometry", nullptr, [](Input& in) { replaceAll(in.report, " f10=", " f10=9"); },
     "the report does not match", nullptr, nullptr, nullptr},
    {"report of another run that starts alike", nullptr,
     [](Input& in) {
       replaceAll(in.report, " f10=1 ", " f10=91 ");
       replaceAll(in.report, " f10=2 ", " f10=92 ");
     },
     "the report does not match", nullptr, nullptr, nullptr},
    {"report claims no pairs", nullptr, [](Input& in) { replaceAll(in.report, "capturing 3 pairs", "capturing 0 pairs"); },
     "the report captured no pairs", nullptr, nullptr, nullptr},
    {"no header and no report",
     [](Input& in) {
       in.withReport = false;
       for (auto& p : in.fx.pairs) p.files.erase("hdr");
     },
     nullptr, "cannot tell the display size", nullptr, nullptr, nullptr},
    {"one pair overwritten",
     [](Input& in) { in.fx.pair(1).put("cnt", reportfx::u32s({77, 1, 3, 0})); },
     [](Input& in) { replaceAll(in.report, "e0=77", "e0=1"); }, nullptr,
     "pair_001's files (cnt word 0 is 77 in the file, 1 in the report)", nullptr, nullptr},
    {"truncated gray", [](Input& in) { in.fx.pair(1).put("gray", std::vector<uint8_t>(20, 1)); }, nullptr, nullptr,
     "pair_001.gray holds 20 of 48 bytes: truncated", "data-kind=\"gray\">pair_001.gray holds 20 of 48 bytes", nullptr},
    {"oversized raw", [](Input& in) { in.fx.pair(0).put("raw", std::vector<uint8_t>(30, 1)); }, nullptr, nullptr,
     "pair_000.raw holds 30 bytes, more than the 24", "data-kind=\"raw\">pair_000.raw holds 30 bytes", nullptr},
    {"callback image of no known size", [](Input& in) { in.fx.pair(2).put("cbrgb", std::vector<uint8_t>(100, 1)); },
     nullptr, nullptr, nullptr, "pair_002.cbrgb holds 100 bytes, which fits neither", nullptr},
    {"no callback image yet", [](Input& in) { in.fx.pair(0).put("cbrgb", {}); }, nullptr, nullptr, nullptr,
     "pair_000.cbrgb is empty: no callback image yet", nullptr},
    {"pairs beyond the report's count", nullptr,
     [](Input& in) {
       in.report = in.fx.reportText();
       replaceAll(in.report, "capturing 3 pairs", "capturing 2 pairs");
     },
     nullptr, "files of 1 pair(s) from pair_002 on are beyond the report's pair count", nullptr,
     "<tr data-pair=\"2\""},
    {"report longer than the capture", [](Input& in) { in.fx.pairs.pop_back(); },
     [](Input& in) { replaceAll(in.report, "capturing 2 pairs", "capturing 3 pairs"); }, nullptr,
     "the report announces 3 pairs, files exist up to pair_001", nullptr, nullptr},
    {"pair without files", [](Input& in) { in.fx.pair(1).files.clear(); }, nullptr, nullptr, "no files for pair_001",
     nullptr, nullptr},
    {"t32 although rc_temp=0", nullptr,
     [](Input& in) { replaceAll(in.report, "[0] frames=1 fcnt=0 rc_rgb=1 rc_temp=1", "[0] frames=1 fcnt=0 rc_rgb=1 rc_temp=0"); },
     nullptr, "pair_000.t32 exists although rc_temp=0", "no temperature map (rc_temp=0)", nullptr},
    {"older pair without report", [](Input& in) { in.withReport = false; },
     [](Input& in) { ageFiles(in.fx, 2); }, nullptr, "from pair_002 on are older than the pairs before them", nullptr,
     "<tr data-pair=\"2\""},
    {"stale file within a pair", nullptr, [](Input& in) { ageFiles(in.fx, 1, "t32"); }, nullptr,
     "pair_001.t32 is older than the rest of its pair", nullptr, nullptr},
    {"header size out of range, no report",
     [](Input& in) {
       in.withReport = false;
       for (auto& p : in.fx.pairs) p.files["hdr"][5] = 0x10;  // width 4104
     },
     nullptr, nullptr, "pair_000.gray holds 48 of 19200 bytes: truncated", "disp 160x120, sensor 80x60", nullptr},
};

}  // namespace

TEST(BadInput, ErrorsOrVisibleNotes) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeCapture fx(3);
    Input in{fx, ""};
    if (c.before) c.before(in);
    fx.write();
    in.report = fx.reportText();
    if (c.after) c.after(in);
    std::string error;
    const auto cap = fx.load(error, in.withReport ? &in.report : nullptr);
    if (c.error) {
      EXPECT_FALSE(cap);
      EXPECT_NE(error.find(c.error), std::string::npos) << error;
      EXPECT_EQ(error.find('\n'), std::string::npos) << "one line";
      continue;
    }
    ASSERT_TRUE(cap) << error;
    if (c.note) {
      bool found = false;
      for (const auto& n : cap->notes) found = found || n.text.find(c.note) != std::string::npos;
      EXPECT_TRUE(found) << "no note with: " << c.note;
    }
    const std::string page = irreport::buildPage(*cap);
    if (c.note) {
      EXPECT_NE(page.find("id=\"notes\""), std::string::npos);
    }
    if (c.page) {
      EXPECT_NE(page.find(c.page), std::string::npos) << c.page;
    }
    if (c.notInPage) {
      EXPECT_EQ(page.find(c.notInPage), std::string::npos) << c.notInPage;
    }
  }
}

TEST(BadInput, UnreadableReport) {
  FakeCapture fx(2);
  fx.write();
  std::string error;
  const auto missing = fx.dir / "no-such-report.txt";
  EXPECT_FALSE(irreport::loadCapture(fx.dir, &missing, error));
  EXPECT_NE(error.find("cannot read the report"), std::string::npos) << error;
}

TEST(BadInput, CleanCaptureHasNoNotes) {
  FakeCapture fx(3);
  fx.write();
  std::string error;
  const std::string report = fx.reportText();
  const auto cap = fx.load(error, &report);
  ASSERT_TRUE(cap) << error;
  for (const auto& n : cap->notes) ADD_FAILURE() << n.text;
  EXPECT_EQ(cap->ffcOn, 1);
  EXPECT_EQ(cap->ffcOff, 2);
  const std::string page = irreport::buildPage(*cap);
  EXPECT_EQ(page.find("class=\"img missing\""), std::string::npos);
}
