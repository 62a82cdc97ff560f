// Inline SVG line plots over the pairs, with the FFC switches as vertical lines.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace irreport {

struct PlotSeries {
  std::string name;
  std::vector<std::optional<double>> values;  // one per pair; empty where unknown
};

struct PlotSpec {
  std::string id;
  std::string title;
  std::vector<PlotSeries> series;
  int pairCount = 0;
  int ffcOn = -1, ffcOff = -1;
  int width = 440, height = 170;
};

// An <svg id=...> element; series with no value at all are left out.
std::string svgPlot(const PlotSpec& spec);

}  // namespace irreport
