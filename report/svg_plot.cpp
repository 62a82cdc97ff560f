// Inline SVG line plots over the pairs, with the FFC switches as vertical lines.
#include "svg_plot.h"

#include <algorithm>
#include <cstdio>

#include "html_text.h"

namespace irreport {

namespace {

const char* const kColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#17becf",
                                "#8c564b", "#e377c2", "#7f7f7f", "#bcbd22", "#393b79", "#637939"};

std::string num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

std::string label(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

}  // namespace

std::string svgPlot(const PlotSpec& spec) {
  constexpr int kLeft = 64, kRight = 12, kTop = 22, kBottom = 26, kLegendRow = 16;
  std::vector<const PlotSeries*> shown;
  double lo = 0, hi = 0;
  bool any = false;
  for (const PlotSeries& s : spec.series) {
    bool has = false;
    for (const auto& v : s.values) {
      if (!v) continue;
      lo = any ? std::min(lo, *v) : *v;
      hi = any ? std::max(hi, *v) : *v;
      any = has = true;
    }
    if (has) shown.push_back(&s);
  }
  if (lo == hi) {
    lo -= 1;
    hi += 1;
  }
  const int perRow = std::max(1, (spec.width - kLeft) / 90);
  const int legendRows = shown.size() > 1 ? static_cast<int>((shown.size() + perRow - 1) / perRow) : 0;
  const int plotH = spec.height - kTop - kBottom;
  const int totalH = spec.height + legendRows * kLegendRow;
  const double plotW = spec.width - kLeft - kRight;
  const int n = std::max(spec.pairCount, 1);
  auto xOf = [&](int i) { return kLeft + (n == 1 ? plotW / 2 : plotW * i / (n - 1)); };
  auto yOf = [&](double v) { return kTop + plotH * (hi - v) / (hi - lo); };

  std::string out = "<svg id=\"" + escapeHtml(spec.id) + "\" class=\"plot\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(spec.width) + "\" height=\"" + std::to_string(totalH) + "\" data-series=\"" +
                    std::to_string(shown.size()) + "\">";
  out += "<text class=\"plot-title\" x=\"" + std::to_string(kLeft) + "\" y=\"14\">" + escapeHtml(spec.title) + "</text>";
  out += "<rect class=\"frame\" x=\"" + std::to_string(kLeft) + "\" y=\"" + std::to_string(kTop) + "\" width=\"" +
         num(plotW) + "\" height=\"" + std::to_string(plotH) + "\"/>";
  for (double v : {lo, (lo + hi) / 2, hi})
    out += "<text class=\"tick\" x=\"" + std::to_string(kLeft - 4) + "\" y=\"" + num(yOf(v) + 4) +
           "\" text-anchor=\"end\">" + label(v) + "</text>";
  const int step = std::max(1, n / 12);
  for (int i = 0; i < spec.pairCount; i += step)
    out += "<text class=\"tick\" x=\"" + num(xOf(i)) + "\" y=\"" + std::to_string(kTop + plotH + 14) +
           "\" text-anchor=\"middle\">" + std::to_string(i) + "</text>";
  auto ffcLine = [&](int pair, const char* cls, const char* text) {
    if (pair < 0 || pair >= spec.pairCount) return;
    // The switch is sent before its pair: draw it just left of that pair.
    const double x = pair == 0 ? xOf(0) : (xOf(pair - 1) + xOf(pair)) / 2;
    out += std::string("<line class=\"") + cls + "\" data-pair=\"" + std::to_string(pair) + "\" x1=\"" + num(x) +
           "\" x2=\"" + num(x) + "\" y1=\"" + std::to_string(kTop) + "\" y2=\"" + std::to_string(kTop + plotH) + "\"/>";
    out += std::string("<text class=\"") + cls + "-label\" x=\"" + num(x + 3) + "\" y=\"" + std::to_string(kTop + 10) +
           "\">" + text + "</text>";
  };
  ffcLine(spec.ffcOn, "ffc-on", "FFC on");
  ffcLine(spec.ffcOff, "ffc-off", "FFC off");
  for (size_t k = 0; k < shown.size(); ++k) {
    const PlotSeries& s = *shown[k];
    const char* colour = kColours[k % std::size(kColours)];
    out += "<g class=\"series\" data-series=\"" + escapeHtml(s.name) + "\" stroke=\"" + colour + "\" fill=\"" +
           colour + "\"><title>" + escapeHtml(s.name) + "</title>";
    std::string points;
    auto flush = [&] {
      if (!points.empty()) out += "<polyline fill=\"none\" points=\"" + points + "\"/>";
      points.clear();
    };
    const int count = std::min(static_cast<int>(s.values.size()), spec.pairCount);
    for (int i = 0; i < count; ++i) {
      const auto& v = s.values[static_cast<size_t>(i)];
      if (!v) {
        flush();
        continue;
      }
      points += num(xOf(i)) + "," + num(yOf(*v)) + " ";
      out += "<circle r=\"2\" cx=\"" + num(xOf(i)) + "\" cy=\"" + num(yOf(*v)) + "\"><title>" + escapeHtml(s.name) +
             " pair " + std::to_string(i) + ": " + label(*v) + "</title></circle>";
    }
    flush();
    out += "</g>";
    if (legendRows) {
      const int row = static_cast<int>(k) / perRow, col = static_cast<int>(k) % perRow;
      const int x = kLeft + col * 90, y = spec.height + row * kLegendRow;
      out += "<rect x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y - 8) + "\" width=\"10\" height=\"8\" fill=\"" +
             colour + "\"/><text class=\"legend\" x=\"" + std::to_string(x + 14) + "\" y=\"" + std::to_string(y) +
             "\">" + escapeHtml(s.name) + "</text>";
    }
  }
  out += "</svg>";
  return out;
}

}  // namespace irreport
