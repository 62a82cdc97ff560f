// The page's plots: counters, window fields, frames per pair and the
// sample points' raw values, each over the pairs.
#include "plots.h"

#include <cstdio>

#include "html_text.h"
#include "svg_plot.h"

namespace irreport {

namespace {

// The fixed sample points (display coordinates) the tool reads every pair.
constexpr int kPoints[12][2] = {{80, 60}, {40, 40}, {120, 80}, {80, 30}, {30, 90}, {130, 100},
                                {10, 10}, {150, 110}, {80, 10}, {5, 115}, {155, 5}, {20, 60}};

uint32_t u32At(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 | uint32_t{b[at + 3]} << 24;
}

PlotSpec baseSpec(const Capture& cap, std::string id, std::string title) {
  PlotSpec s;
  s.id = std::move(id);
  s.title = std::move(title);
  s.pairCount = static_cast<int>(cap.pairs.size());
  s.ffcOn = cap.ffcOn;
  s.ffcOff = cap.ffcOff;
  s.width = 300;
  s.height = 150;
  return s;
}

// One plot per u32 field of a record file, when the file has its full length.
std::string recordPlots(const Capture& cap, const char* ext, size_t bytes, const char* const* names, size_t count) {
  std::string out;
  for (size_t k = 0; k < count; ++k) {
    PlotSpec spec = baseSpec(cap, std::string("plot-") + ext + "-" + names[k], std::string(ext) + " " + names[k]);
    PlotSeries s{names[k], {}};
    for (const PairFiles& p : cap.pairs) {
      const DumpFile* f = findFile(p, ext);
      if (f && f->bytes.size() == bytes)
        s.values.emplace_back(u32At(f->bytes, k * 4));
      else
        s.values.emplace_back(std::nullopt);
    }
    spec.series.push_back(std::move(s));
    out += svgPlot(spec);
  }
  return out;
}

}  // namespace

std::string plotsHtml(const Capture& cap) {
  static const char* const kCnt[] = {"e0", "f10", "globframe", "ffcstate"};
  static const char* const kWin[] = {"hi", "lo", "pixels", "comp_off", "shift", "gain", "sm", "ref"};
  std::string out = "<h3>Counters (cnt)</h3><div class=\"plots\">" + recordPlots(cap, "cnt", 16, kCnt, 4) + "</div>";
  out += "<h3>Window fields (win)</h3><div class=\"plots\">" + recordPlots(cap, "win", 32, kWin, 8) + "</div>";

  PlotSpec frames = baseSpec(cap, "plot-frames", "frames per pair");
  PlotSeries perPair{"frames", std::vector<std::optional<double>>(cap.pairs.size())};
  int prev = 0;
  bool havePrev = false;
  if (cap.log)
    for (const LogPair& lp : cap.log->pairs) {
      if (lp.index >= 0 && static_cast<size_t>(lp.index) < cap.pairs.size())
        perPair.values[static_cast<size_t>(lp.index)] = lp.frames - (havePrev ? prev : 0);
      prev = lp.frames;
      havePrev = true;
    }
  frames.series.push_back(std::move(perPair));
  out += "<h3>Frames per pair</h3><div class=\"plots\">" + svgPlot(frames);
  if (!cap.log) out += "<p class=\"note\">no report given: frames per pair are unknown</p>";
  out += "</div>";

  PlotSpec points = baseSpec(cap, "plot-points", "sample points: raw value at (x/2, y/2)");
  points.width = 900;
  points.height = 260;
  for (int k = 0; k < 12; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "pt(%d,%d)", kPoints[k][0], kPoints[k][1]);
    PlotSeries s{name, std::vector<std::optional<double>>(cap.pairs.size())};
    const size_t rx = static_cast<size_t>(kPoints[k][0] / 2), ry = static_cast<size_t>(kPoints[k][1] / 2);
    for (const PairFiles& p : cap.pairs) {
      auto& v = s.values[static_cast<size_t>(p.index)];
      if (cap.log) {
        if (const LogPair* lp = findLogPair(cap, p.index); lp && lp->points.size() == 12)
          v = lp->points[static_cast<size_t>(k)].raw;
      } else if (const DumpFile* raw = findFile(p, "raw");
                 raw && rx < size_t(cap.geo.sensW) && ry < size_t(cap.geo.sensH) &&
                 (ry * size_t(cap.geo.sensW) + rx) * 2 + 1 < raw->bytes.size()) {
        const size_t at = (ry * size_t(cap.geo.sensW) + rx) * 2;
        v = raw->bytes[at] | raw->bytes[at + 1] << 8;
      }
    }
    points.series.push_back(std::move(s));
  }
  out += "<h3>Sample points</h3><div class=\"plots\">" + svgPlot(points);
  if (!cap.log) out += "<p class=\"note\">no report given: values read from the raw files</p>";
  out += "</div>";
  return out;
}

}  // namespace irreport
