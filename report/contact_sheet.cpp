// The contact sheet: one row per pair with its images as embedded PNGs.
#include "contact_sheet.h"

#include <cstdio>

#include "base64.h"
#include "html_text.h"
#include "image_views.h"
#include "png_writer.h"

namespace irreport {

namespace {

std::string pairFile(int pair, const char* ext) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "pair_%03d.%s", pair, ext);
  return buf;
}

std::string dataUri(const std::vector<uint8_t>& png) { return "data:image/png;base64," + base64(png.data(), png.size()); }

std::string figure(const char* kind, const std::vector<uint8_t>& png, int w, int h, const std::string& caption,
                   const std::string& download = "") {
  if (png.empty()) return std::string("<td class=\"img missing\" data-kind=\"") + kind + "\">PNG encoding failed</td>";
  std::string img = "<img src=\"" + dataUri(png) + "\" width=\"" + std::to_string(w) + "\" height=\"" +
                    std::to_string(h) + "\" alt=\"" + kind + "\">";
  // The link takes the image's own data when clicked, so the PNG is embedded once.
  if (!download.empty())
    img = "<a download=\"" + download + "\" href=\"#\" onclick=\"this.href=this.firstChild.src\">" + img + "</a>";
  return std::string("<td class=\"img\" data-kind=\"") + kind + "\"><figure>" + img + "<figcaption>" +
         escapeHtml(caption) + "</figcaption></figure></td>";
}

std::string missing(const char* kind, const std::string& why) {
  return std::string("<td class=\"img missing\" data-kind=\"") + kind + "\">" + escapeHtml(why) + "</td>";
}

// The file when it exists with exactly `bytes` bytes; else why not.
const DumpFile* exactFile(const Capture& cap, const PairFiles& p, const char* ext, size_t bytes, std::string& why) {
  const DumpFile* f = findFile(p, ext);
  if (!f) {
    why = "no " + pairFile(p.index, ext);
    return nullptr;
  }
  if (f->bytes.size() != bytes) {
    const std::string* issue = findIssue(cap, p.index, ext);
    why = pairFile(p.index, ext) + " " +
          (issue ? *issue : "holds " + std::to_string(f->bytes.size()) + " of " + std::to_string(bytes) + " bytes");
    return nullptr;
  }
  if (bytes == 0) {
    why = pairFile(p.index, ext) + " is empty";
    return nullptr;
  }
  return f;
}

std::string rangeText(ValueRange r) { return "range " + std::to_string(r.lo) + ".." + std::to_string(r.hi); }

std::string cbCell(const Capture& cap, const PairFiles& p) {
  const DumpFile* f = findFile(p, "cbrgb");
  const std::string name = pairFile(p.index, "cbrgb");
  if (!f) return missing("cbrgb", "no " + name);
  const size_t size = f->bytes.size();
  if (size == 0) return missing("cbrgb", name + " is empty: no callback image yet");
  int w = 0, h = 0;
  std::string from;
  const LogPair* lp = findLogPair(cap, p.index);
  if (lp && lp->cbW > 0 && lp->cbH > 0 && size_t(lp->cbW) * size_t(lp->cbH) * 3 == size) {
    w = lp->cbW;
    h = lp->cbH;
    from = "cb line";
  } else if (size_t(cap.geo.dispW) * size_t(cap.geo.dispH) * 3 == size) {
    w = cap.geo.dispW;
    h = cap.geo.dispH;
    from = "display size";
  } else {
    return missing("cbrgb", name + " holds " + std::to_string(size) + " bytes, which fits neither the cb= size nor the display size");
  }
  const auto rgb = bgrToRgb(f->bytes);
  return figure("cbrgb", encodePng(PngKind::Rgb8, w, h, rgb.data()), w, h,
                "callback " + std::to_string(w) + "x" + std::to_string(h) + " (" + from + ")");
}

std::string rowHtml(const Capture& cap, const PairFiles& p) {
  const Geometry& g = cap.geo;
  const size_t disp = size_t(g.dispW) * size_t(g.dispH), sens = size_t(g.sensW) * size_t(g.sensH);
  std::string row = "<tr data-pair=\"" + std::to_string(p.index) + "\"><th>" + std::to_string(p.index);
  if (p.index == cap.ffcOn) row += "<br><span class=\"ffc-mark\">FFC on</span>";
  if (p.index == cap.ffcOff) row += "<br><span class=\"ffc-mark\">FFC off</span>";
  row += "</th>";
  std::string why;
  if (const DumpFile* f = exactFile(cap, p, "gray", disp, why))
    row += figure("gray", encodePng(PngKind::Gray8, g.dispW, g.dispH, f->bytes.data()), g.dispW, g.dispH, "gray");
  else
    row += missing("gray", why);
  if (const DumpFile* f = exactFile(cap, p, "rgb", disp * 3, why)) {
    const auto rgb = bgrToRgb(f->bytes);
    row += figure("rgb", encodePng(PngKind::Rgb8, g.dispW, g.dispH, rgb.data()), g.dispW, g.dispH, "RGB24");
  } else {
    row += missing("rgb", why);
  }
  row += cbCell(cap, p);
  if (const DumpFile* f = exactFile(cap, p, "raw", sens * 2, why)) {
    const auto words = wordsU16(f->bytes);
    const ValueRange r = rangeOf(words);
    row += figure("raw16", encodePng(PngKind::Gray16, g.sensW, g.sensH, words.data()), g.sensW, g.sensH,
                  "raw, 16-bit (click to save)", pairFile(p.index, "raw") + ".png");
    const auto colour = falseColour(words, r);
    row += figure("raw", encodePng(PngKind::Rgb8, g.sensW, g.sensH, colour.data()), g.sensW, g.sensH,
                  "raw " + rangeText(r));
  } else {
    row += missing("raw16", why) + missing("raw", why);
  }
  const LogPair* lp = findLogPair(cap, p.index);
  if (!findFile(p, "t32") && lp && lp->rcTemp == 0) {
    row += missing("t32", "no temperature map (rc_temp=0)");
  } else if (const DumpFile* f = exactFile(cap, p, "t32", sens * 4, why)) {
    const auto words = wordsU32(f->bytes);
    const ValueRange r = rangeOf(words);
    const auto colour = falseColour(words, r);
    row += figure("t32", encodePng(PngKind::Rgb8, g.sensW, g.sensH, colour.data()), g.sensW, g.sensH,
                  "t32 " + rangeText(r));
  } else {
    row += missing("t32", why);
  }
  std::string notes;
  for (const Note& n : cap.notes)
    if (n.pair == p.index) notes += "<li>" + escapeHtml(n.text) + "</li>";
  row += "<td class=\"pair-notes\">" + (notes.empty() ? std::string() : "<ul>" + notes + "</ul>") + "</td></tr>";
  return row;
}

}  // namespace

std::string contactSheetHtml(const Capture& cap) {
  std::string out =
      "<table id=\"contact\"><thead><tr><th>pair</th><th>gray</th><th>RGB</th><th>callback</th>"
      "<th>raw 16-bit</th><th>raw</th><th>temperature</th><th>notes</th></tr></thead><tbody>";
  for (const PairFiles& p : cap.pairs) out += rowHtml(cap, p);
  return out + "</tbody></table>";
}

}  // namespace irreport
