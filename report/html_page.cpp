// The whole self-contained HTML page for one capture.
#include "html_page.h"

#include "change_view.h"
#include "contact_sheet.h"
#include "html_text.h"
#include "plots.h"

namespace irreport {

namespace {

const char kStyle[] = R"(
body { font: 13px/1.4 sans-serif; margin: 16px; color: #222; }
h1 { font-size: 20px; margin: 0 0 8px; } h2 { font-size: 16px; margin: 24px 0 8px; border-bottom: 1px solid #ccc; }
h3 { font-size: 13px; margin: 12px 0 4px; }
dl#summary { display: grid; grid-template-columns: max-content auto; gap: 2px 12px; margin: 0; }
dl#summary dt { font-weight: bold; } dl#summary dd { margin: 0; }
ul#notes li { color: #8a4b00; }
table.changes { border-collapse: collapse; font-size: 11px; }
table.changes th, table.changes td { border: 1px solid #ddd; padding: 0; min-width: 34px; height: 20px; text-align: center; }
table.changes th.table-name { text-align: left; padding: 0 6px; min-width: 60px; }
table.changes .ffc-on { border-left: 3px solid #0a7d2c; }
table.changes .ffc-off { border-left: 3px solid #1f4fbf; }
table.changes th.ffc-on { background: #d7f2de; } table.changes th.ffc-off { background: #dbe4fa; }
.ffc-mark { display: block; font-size: 9px; font-weight: bold; white-space: nowrap; }
td.c-same { background: #f6f6f6; } td.c-first { background: #fff; color: #999; }
td.c-none { background: repeating-linear-gradient(45deg, #eee, #eee 3px, #fff 3px, #fff 6px); }
td.c-appeared, td.c-gone { font-weight: bold; } td.c-odd-size { outline: 2px solid #c00; outline-offset: -2px; }
ul.tables { columns: 4; margin: 0; }
.legend-bar span { display: inline-block; padding: 1px 6px; margin-right: 4px; border: 1px solid #ccc; }
div.plots { display: flex; flex-wrap: wrap; gap: 8px; }
svg.plot { background: #fff; border: 1px solid #eee; font-size: 10px; }
svg.plot rect.frame { fill: none; stroke: #bbb; }
svg.plot line.ffc-on { stroke: #0a7d2c; stroke-width: 1.5; stroke-dasharray: 4 2; }
svg.plot line.ffc-off { stroke: #1f4fbf; stroke-width: 1.5; stroke-dasharray: 4 2; }
svg.plot .ffc-on-label { fill: #0a7d2c; } svg.plot .ffc-off-label { fill: #1f4fbf; }
svg.plot .plot-title { font-weight: bold; font-size: 11px; }
svg.plot polyline { stroke-width: 1.5; }
table#contact { border-collapse: collapse; } table#contact td, table#contact th { border: 1px solid #ddd; padding: 4px; vertical-align: top; }
table#contact img { image-rendering: pixelated; max-width: 240px; height: auto; }
table#contact td.missing { color: #a00; max-width: 200px; }
figure { margin: 0; } figcaption { font-size: 11px; color: #555; }
td.pair-notes { max-width: 260px; color: #8a4b00; font-size: 11px; }
)";

std::string geometryText(const Geometry& g) {
  return "disp " + std::to_string(g.dispW) + "x" + std::to_string(g.dispH) + ", sensor " + std::to_string(g.sensW) +
         "x" + std::to_string(g.sensH);
}

std::string ffcText(const Capture& cap) {
  auto one = [](int pair) { return pair < 0 ? std::string("none") : "before pair " + std::to_string(pair); };
  return "on " + one(cap.ffcOn) + ", off " + one(cap.ffcOff) + (cap.ffcAssumed ? " (assumed: no report)" : "");
}

}  // namespace

std::string buildPage(const Capture& cap) {
  const auto changes = computeChanges(cap);
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>irprobe capture " +
                    escapeHtml(cap.dir) + "</title><style>" + kStyle + "</style></head><body>";
  out += "<h1>irprobe capture</h1><dl id=\"summary\" data-pairs=\"" + std::to_string(cap.pairs.size()) +
         "\" data-disp=\"" + std::to_string(cap.geo.dispW) + "x" + std::to_string(cap.geo.dispH) +
         "\" data-ffc-on=\"" + std::to_string(cap.ffcOn) + "\" data-ffc-off=\"" + std::to_string(cap.ffcOff) + "\">";
  out += "<dt>directory</dt><dd>" + escapeHtml(cap.dir) + "</dd>";
  out += "<dt>pairs</dt><dd>" + std::to_string(cap.pairs.size()) + "</dd>";
  out += "<dt>geometry</dt><dd>" + geometryText(cap.geo) + " (from " + escapeHtml(cap.geometryFrom) + ")</dd>";
  out += "<dt>FFC</dt><dd>" + ffcText(cap) + "</dd></dl>";
  std::string notes;
  for (const Note& n : cap.notes)
    notes += "<li class=\"note\" data-pair=\"" + std::to_string(n.pair) + "\">" +
             (n.pair >= 0 ? "pair " + std::to_string(n.pair) + ": " : std::string()) + escapeHtml(n.text) + "</li>";
  if (!notes.empty()) out += "<h2>Notes</h2><ul id=\"notes\">" + notes + "</ul>";

  out += "<h2>What changed from one pair to the next</h2>";
  out += "<p class=\"legend-bar\">Each cell compares a pair's file with the previous pair's: colour and text give the "
         "share of bytes that differ (hover for the count and the first differing offset). "
         "<span style=\"background:hsl(58,95%,84%)\">a few bytes</span>"
         "<span style=\"background:hsl(29,95%,64%)\">1%</span>"
         "<span style=\"background:hsl(0,95%,44%)\">all bytes</span>"
         "<span style=\"background:#f6f6f6\">identical</span>"
         "<span class=\"ffc-on\" style=\"border-left:3px solid #0a7d2c\">FFC on</span>"
         "<span style=\"border-left:3px solid #1f4fbf\">FFC off</span> "
         "! marks a file of an unexpected size.</p>";
  out += changeViewHtml(cap, changes);
  out += "<h2>Over the pairs</h2><section id=\"plots\">" + plotsHtml(cap) + "</section>";
  out += "<h2>Contact sheet</h2><p>RGB and callback images are shown with the SDK's blue-first byte order turned "
         "into RGB; raw and temperature views are false colour over each frame's own range.</p>";
  out += contactSheetHtml(cap);
  out += "</body></html>\n";
  return out;
}

}  // namespace irreport
