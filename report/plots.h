// The page's plots: counters, window fields, frames per pair and the
// sample points' raw values, each over the pairs.
#pragma once
#include <string>

#include "capture_model.h"

namespace irreport {

std::string plotsHtml(const Capture& cap);

}  // namespace irreport
