// End to end: a 6-pair simulated capture, turned into a page, rendered in
// headless Chromium; the rendered DOM is checked and a screenshot kept.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

const char kChromium[] = "/usr/bin/chromium";

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

int run(const std::string& command) {
  const int rc = std::system(command.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

std::string chromium(const fs::path& profile) {
  // A fresh profile and no background traffic; `timeout` ends a hung browser.
  return std::string("timeout -k 5 120 ") + kChromium +
         " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking"
         " --disable-component-update --disable-sync --user-data-dir=" + profile.string();
}

// The DOM without the embedded images' base64, so the regexes stay small.
std::string withoutImageData(const std::string& dom) {
  const std::string mark = "data:image/png;base64,";
  std::string out;
  size_t from = 0;
  for (size_t at = dom.find(mark); at != std::string::npos; at = dom.find(mark, from)) {
    out.append(dom, from, at - from).append("data:");
    from = dom.find('"', at);
    if (from == std::string::npos) from = dom.size();
  }
  return out.append(dom, from, std::string::npos);
}

int count(const std::string& text, const std::regex& re) {
  return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

}  // namespace

TEST(ReportPage, SimulatedCaptureRendersInChromium) {
  ASSERT_TRUE(fs::exists(kChromium)) << kChromium << " is missing: install Debian's chromium package";
  const std::string tool = env("IRPROBE_BIN"), simlib = env("IRPROBE_SIMLIB"), report = env("IRPROBE_REPORT");
  ASSERT_FALSE(tool.empty() || simlib.empty() || report.empty()) << "IRPROBE_BIN, IRPROBE_SIMLIB, IRPROBE_REPORT";
  const fs::path work = fs::temp_directory_path() / ("irprobe_report_e2e_" + std::to_string(std::random_device{}()));
  fs::remove_all(work);
  fs::create_directories(work / "out");

  ASSERT_EQ(run("cd '" + work.string() + "' && LD_LIBRARY_PATH='" + simlib + "/default' '" + tool +
                "' out 6 0 > report.txt"),
            0);
  ASSERT_EQ(run("'" + report + "' '" + (work / "out").string() + "' '" + (work / "report.txt").string() + "' -o '" +
                (work / "page.html").string() + "' > '" + (work / "gen.txt").string() + "'"),
            0)
      << readFile(work / "gen.txt");

  const std::string shot = env("IRPROBE_REPORT_SHOT").empty() ? (work / "page.png").string() : env("IRPROBE_REPORT_SHOT");
  const std::string url = "file://" + (work / "page.html").string();
  ASSERT_EQ(run(chromium(work / "profile1") + " --dump-dom '" + url + "' > '" + (work / "dom.html").string() +
                "' 2> '" + (work / "chromium.log").string() + "'"),
            0)
      << readFile(work / "chromium.log");
  ASSERT_EQ(run(chromium(work / "profile2") + " --window-size=1400,1100 --screenshot='" + shot + "' '" + url +
                "' 2>> '" + (work / "chromium.log").string() + "'"),
            0)
      << readFile(work / "chromium.log");

  const std::string full = readFile(work / "dom.html");
  EXPECT_NE(full.find("src=\"data:image/png;base64,iVBORw0KGgo"), std::string::npos) << "no embedded PNG";
  const std::string dom = withoutImageData(full);
  ASSERT_NE(dom.find("<table id=\"changes\""), std::string::npos) << "no change view in the rendered DOM";
  // FFC before pair 6/3 = 2 and 2*6/3 = 4, as the run's report printed them.
  EXPECT_TRUE(std::regex_search(dom, std::regex(R"re(<th class="pair ffc-on" data-pair="2">)re")));
  EXPECT_TRUE(std::regex_search(dom, std::regex(R"re(<th class="pair ffc-off" data-pair="4">)re")));
  // The simulated correction buffers change when FFC goes on: ref is new
  // there (its pointer is set at the switch) and the offset maps move.
  const std::regex changedAtOn(R"re(<tr data-table="(\w+)" data-ffc-on-diff="([1-9]\d*)")re");
  EXPECT_GE(count(dom, changedAtOn), 3) << "tables changing at the FFC-on pair";
  EXPECT_TRUE(std::regex_search(dom, std::regex(R"re(<tr data-table="b00" data-ffc-on-diff="[1-9])re")));
  EXPECT_TRUE(std::regex_search(dom, std::regex(R"re(<td class="cell c-\w+ ffc-on" data-pair="2" data-diff-bytes="[1-9]\d*")re")));
  // The header record never moves and is listed apart.
  const size_t unchanged = dom.find("id=\"unchanged\"");
  ASSERT_NE(unchanged, std::string::npos);
  EXPECT_NE(dom.find("data-table=\"hdr\"", unchanged), std::string::npos);
  EXPECT_EQ(dom.find("<tr data-table=\"hdr\""), std::string::npos);
  // Contact sheet: six rows, each with gray, RGB, callback, raw (two views) and temperature.
  EXPECT_EQ(count(dom, std::regex(R"re(<tr data-pair="\d">)re")), 6);
  EXPECT_EQ(count(dom, std::regex(R"re(<td class="img" data-kind="(gray|rgb|cbrgb|raw16|raw|t32)"><figure><(a|img) )re")), 36);
  EXPECT_EQ(dom.find("class=\"img missing\""), std::string::npos);
  EXPECT_TRUE(std::regex_search(dom, std::regex(R"re(raw range \d+\.\.\d+)re")));
  // Plots with the switches drawn.
  for (const char* id : {"plot-cnt-e0", "plot-cnt-ffcstate", "plot-win-hi", "plot-frames", "plot-points"})
    EXPECT_NE(dom.find(std::string("<svg id=\"") + id + "\""), std::string::npos) << id;
  EXPECT_EQ(count(dom, std::regex(R"re(<line class="ffc-on" data-pair="2")re")), 14);
  EXPECT_TRUE(std::regex_search(dom, std::regex(R"re(<svg id="plot-points"[^>]*data-series="12")re")));
  EXPECT_EQ(dom.find("id=\"notes\""), std::string::npos) << "a clean capture has no notes";

  ASSERT_TRUE(fs::exists(shot));
  EXPECT_GT(fs::file_size(shot), 20000u) << "screenshot looks empty";
  fs::remove_all(work);
}
