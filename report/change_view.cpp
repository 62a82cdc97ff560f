// The change view: per table and pair, how much of the dump differs from the
// previous pair, rendered as a coloured grid with the FFC pairs marked.
#include "change_view.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "html_text.h"

namespace irreport {

namespace {

std::string hex(int64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
  return buf;
}

std::string ffcClass(const Capture& cap, int pair) {
  std::string c;
  if (pair == cap.ffcOn) c += " ffc-on";
  if (pair == cap.ffcOff) c += " ffc-off";
  return c;
}

// Pale yellow for a single byte through red for the whole table; a log scale
// so that a few changed words still stand out.
std::string cellColour(double fraction) {
  const double t = std::clamp((std::log10(std::max(fraction, 1e-9)) + 4.0) / 4.0, 0.0, 1.0);
  char buf[64];
  std::snprintf(buf, sizeof buf, "hsl(%.0f,95%%,%.0f%%)", 58.0 - 58.0 * t, 84.0 - 40.0 * t);
  return buf;
}

std::string percentText(double fraction) {
  if (fraction <= 0) return "";
  if (fraction < 0.01) return "&lt;1%";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.0f%%", fraction * 100);
  return buf;
}

std::string cellHtml(const Capture& cap, const TableChanges& t, int pair) {
  const ChangeCell& c = t.cells[static_cast<size_t>(pair)];
  const std::string p = std::to_string(pair);
  const std::string* issue = findIssue(cap, pair, t.table);
  const std::string warn = issue ? "; " + *issue : "";
  std::string cls = "cell";
  std::string attrs = " data-pair=\"" + p + "\"";
  std::string title, text, style;
  switch (c.state) {
    case CellState::NoFile:
      cls += " c-none";
      title = "pair " + p + ": no file";
      break;
    case CellState::First:
      cls += " c-first";
      title = "pair " + p + ": " + std::to_string(c.size) + " bytes, nothing before it to compare with";
      break;
    case CellState::Appeared:
    case CellState::Gone:
    case CellState::Compared: {
      attrs += " data-diff-bytes=\"" + std::to_string(c.diff.differing) + "\"";
      if (c.diff.firstOffset >= 0) attrs += " data-first-diff=\"" + hex(c.diff.firstOffset) + "\"";
      const double f = diffFraction(c.diff);
      if (c.state == CellState::Appeared) {
        cls += " c-appeared";
        title = "pair " + p + ": file appears (" + std::to_string(c.size) + " bytes; none in pair " +
                std::to_string(pair - 1) + ")";
        text = "new";
      } else if (c.state == CellState::Gone) {
        cls += " c-gone";
        title = "pair " + p + ": no file (pair " + std::to_string(pair - 1) + " had one)";
        text = "gone";
      } else if (c.diff.differing == 0) {
        cls += " c-same";
        title = "pair " + p + ": identical to pair " + std::to_string(pair - 1) + " (" + std::to_string(c.size) + " bytes)";
      } else {
        cls += " c-changed";
        char pct[32];
        std::snprintf(pct, sizeof pct, "%.2f%%", f * 100);
        title = "pair " + p + ": " + std::to_string(c.diff.differing) + " of " + std::to_string(c.diff.span) +
                " bytes differ from pair " + std::to_string(pair - 1) + " (" + pct + "), first at " +
                hex(c.diff.firstOffset);
        text = percentText(f);
      }
      if (c.diff.differing) style = " style=\"background:" + cellColour(f) + "\"";
      break;
    }
  }
  if (issue) {
    cls += " c-odd-size";
    text += "!";
  }
  return "<td class=\"" + cls + ffcClass(cap, pair) + "\"" + attrs + style + " title=\"" + escapeHtml(title + warn) +
         "\">" + text + "</td>";
}

}  // namespace

std::vector<TableChanges> computeChanges(const Capture& cap) {
  std::vector<TableChanges> all;
  for (const char* table : kChangeTables) {
    TableChanges t;
    t.table = table;
    const DumpFile* prev = nullptr;
    bool prevPairHasFiles = false;
    for (const PairFiles& pair : cap.pairs) {
      const DumpFile* cur = findFile(pair, table);
      ChangeCell c;
      if (cur) {
        c.size = cur->bytes.size();
        t.everPresent = true;
        if (prev) {
          c.state = CellState::Compared;
          c.diff = diffBytes(prev->bytes, cur->bytes);
        } else if (prevPairHasFiles) {
          c.state = CellState::Appeared;
          c.diff = diffBytes({}, cur->bytes);
        } else {
          c.state = CellState::First;
        }
      } else if (prev) {
        c.state = CellState::Gone;
        c.diff = diffBytes(prev->bytes, {});
      }
      if (c.state == CellState::Appeared || c.state == CellState::Gone ||
          (c.state == CellState::Compared && c.diff.differing))
        t.everChanges = true;
      t.cells.push_back(c);
      prev = cur;
      prevPairHasFiles = !pair.files.empty();
    }
    all.push_back(std::move(t));
  }
  return all;
}

std::string changeViewHtml(const Capture& cap, const std::vector<TableChanges>& changes) {
  const int n = static_cast<int>(cap.pairs.size());
  std::string out = "<table id=\"changes\" class=\"changes\"><thead><tr><th class=\"table-name\">table</th>";
  for (int i = 0; i < n; ++i) {
    std::string cls = "pair" + ffcClass(cap, i);
    std::string mark;
    if (i == cap.ffcOn) mark += "<span class=\"ffc-mark\">FFC on</span>";
    if (i == cap.ffcOff) mark += "<span class=\"ffc-mark\">FFC off</span>";
    out += "<th class=\"" + cls + "\" data-pair=\"" + std::to_string(i) + "\">" + mark + std::to_string(i) + "</th>";
  }
  out += "</tr></thead><tbody>";
  std::string unchanged, never;
  for (const TableChanges& t : changes) {
    if (!t.everPresent) {
      never += "<li data-table=\"" + t.table + "\">" + t.table + "</li>";
      continue;
    }
    size_t size = 0, pairsWith = 0;
    for (const ChangeCell& c : t.cells)
      if (c.state != CellState::NoFile && c.state != CellState::Gone) {
        size = std::max(size, c.size);
        ++pairsWith;
      }
    if (!t.everChanges) {
      unchanged += "<li data-table=\"" + t.table + "\"><b>" + t.table + "</b> (" + std::to_string(size) + " bytes, " +
                   std::to_string(pairsWith) + " of " + std::to_string(n) + " pairs)</li>";
      continue;
    }
    std::string ffcAttr;
    if (cap.ffcOn >= 0 && cap.ffcOn < n) {
      const ChangeCell& c = t.cells[static_cast<size_t>(cap.ffcOn)];
      ffcAttr = " data-ffc-on-diff=\"" + std::to_string(c.state == CellState::First ? 0 : c.diff.differing) + "\"";
    }
    out += "<tr data-table=\"" + t.table + "\"" + ffcAttr + "><th class=\"table-name\" title=\"up to " +
           std::to_string(size) + " bytes\">" + t.table + "</th>";
    for (int i = 0; i < n; ++i) out += cellHtml(cap, t, i);
    out += "</tr>";
  }
  out += "</tbody></table>";
  out += "<h3>Tables that never change</h3><ul id=\"unchanged\" class=\"tables\">" + unchanged + "</ul>";
  if (!never.empty()) out += "<h3>Not dumped in any pair</h3><ul id=\"never-dumped\" class=\"tables\">" + never + "</ul>";
  return out;
}

}  // namespace irreport
