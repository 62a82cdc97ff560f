// The whole self-contained HTML page for one capture.
#pragma once
#include <string>

#include "capture_model.h"

namespace irreport {

std::string buildPage(const Capture& cap);

}  // namespace irreport
