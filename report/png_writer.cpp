// In-memory PNG encoding with libpng: 8-bit gray, 8-bit RGB and 16-bit gray.
#include "png_writer.h"

#include <png.h>

#include <bit>
#include <csetjmp>

namespace irreport {

namespace {

void appendBytes(png_structp png, png_bytep data, size_t size) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

void noFlush(png_structp) {}

// libpng reports errors by longjmp; this frame holds only plain values so
// nothing needs unwinding when it jumps back here.
bool writeInto(std::vector<uint8_t>* out, PngKind kind, int width, int height, const uint8_t* pixels) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  const int depth = kind == PngKind::Gray16 ? 16 : 8;
  const int type = kind == PngKind::Rgb8 ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
  const size_t rowBytes = static_cast<size_t>(width) * (kind == PngKind::Rgb8 ? 3 : kind == PngKind::Gray16 ? 2 : 1);
  png_set_write_fn(png, out, appendBytes, noFlush);
  // Fast settings: the page is rebuilt often and size matters less than time.
  png_set_compression_level(png, 2);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), depth, type,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  if (depth == 16 && std::endian::native == std::endian::little) png_set_swap(png);
  for (int y = 0; y < height; ++y) png_write_row(png, pixels + static_cast<size_t>(y) * rowBytes);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<uint8_t> encodePng(PngKind kind, int width, int height, const void* pixels) {
  std::vector<uint8_t> out;
  if (width <= 0 || height <= 0 || !pixels) return out;
  if (!writeInto(&out, kind, width, height, static_cast<const uint8_t*>(pixels))) out.clear();
  return out;
}

}  // namespace irreport
