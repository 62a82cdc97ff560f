// Escaping text for HTML element content and attribute values.
#pragma once
#include <string>

namespace irreport {

std::string escapeHtml(const std::string& text);

}  // namespace irreport
