// The change view: per table and pair, how much of the dump differs from the
// previous pair, rendered as a coloured grid with the FFC pairs marked.
#pragma once
#include <string>
#include <vector>

#include "capture_model.h"
#include "change_stats.h"

namespace irreport {

enum class CellState {
  NoFile,    // neither this pair nor the previous one has the file
  First,     // present, nothing to compare with (first pair, or previous pair has no files)
  Appeared,  // present, absent in the previous pair
  Gone,      // absent, present in the previous pair
  Compared,  // present in both
};

struct ChangeCell {
  CellState state = CellState::NoFile;
  ByteDiff diff;    // for Appeared/Gone: the whole file counts as changed
  size_t size = 0;  // this pair's file length
};

struct TableChanges {
  std::string table;
  std::vector<ChangeCell> cells;  // one per pair
  bool everPresent = false;
  bool everChanges = false;
};

std::vector<TableChanges> computeChanges(const Capture& cap);

// table#changes for the tables that change, ul#unchanged and ul#never-dumped
// for the others.
std::string changeViewHtml(const Capture& cap, const std::vector<TableChanges>& changes);

}  // namespace irreport
