// The contact sheet: one row per pair with its images as embedded PNGs.
#pragma once
#include <string>

#include "capture_model.h"

namespace irreport {

std::string contactSheetHtml(const Capture& cap);

}  // namespace irreport
