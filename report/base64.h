// Base64 encoding (RFC 4648, with padding) for data: URIs in the page.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace irreport {

std::string base64(const uint8_t* data, size_t size);

}  // namespace irreport
