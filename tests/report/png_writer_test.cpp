// PNG writer round trip: encode, read back with libpng, compare every sample.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include <gtest/gtest.h>

#include "png_writer.h"

namespace {

struct Decoded {
  bool ok = false;
  png_uint_32 width = 0, height = 0;
  int depth = 0, colourType = 0;
  std::vector<uint8_t> rows;  // as stored: 16-bit samples big-endian
};

struct Source {
  const std::vector<uint8_t>* data;
  size_t at;
};

void readBytes(png_structp png, png_bytep out, size_t n) {
  auto* src = static_cast<Source*>(png_get_io_ptr(png));
  if (src->at + n > src->data->size()) png_error(png, "short");
  std::memcpy(out, src->data->data() + src->at, n);
  src->at += n;
}

bool decodeInto(const std::vector<uint8_t>* file, Decoded* d) {
  Source src{file, 0};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &src, readBytes);
  png_read_info(png, info);
  d->width = png_get_image_width(png, info);
  d->height = png_get_image_height(png, info);
  d->depth = png_get_bit_depth(png, info);
  d->colourType = png_get_color_type(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  d->rows.resize(rowBytes * d->height);
  for (png_uint_32 y = 0; y < d->height; ++y) png_read_row(png, d->rows.data() + y * rowBytes, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

Decoded decode(const std::vector<uint8_t>& file) {
  Decoded d;
  d.ok = decodeInto(&file, &d);
  return d;
}

}  // namespace

TEST(PngWriter, RoundTripsEveryKind) {
  const std::vector<uint8_t> gray = {0, 1, 127, 128, 254, 255};  // 3x2
  const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7, 0, 0, 0, 255, 255, 255};  // 3x2
  const std::vector<uint16_t> deep = {0, 1, 0x1234, 0xff00, 0x00ff, 65535};  // 3x2
  const Decoded g = decode(irreport::encodePng(irreport::PngKind::Gray8, 3, 2, gray.data()));
  ASSERT_TRUE(g.ok);
  EXPECT_EQ(g.width, 3u);
  EXPECT_EQ(g.height, 2u);
  EXPECT_EQ(g.depth, 8);
  EXPECT_EQ(g.colourType, PNG_COLOR_TYPE_GRAY);
  EXPECT_EQ(g.rows, gray);

  const Decoded c = decode(irreport::encodePng(irreport::PngKind::Rgb8, 3, 2, rgb.data()));
  ASSERT_TRUE(c.ok);
  EXPECT_EQ(c.depth, 8);
  EXPECT_EQ(c.colourType, PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(c.rows, rgb);

  // A true 16-bit file: the samples come back unchanged (stored big-endian).
  const Decoded w = decode(irreport::encodePng(irreport::PngKind::Gray16, 3, 2, deep.data()));
  ASSERT_TRUE(w.ok);
  EXPECT_EQ(w.depth, 16);
  EXPECT_EQ(w.colourType, PNG_COLOR_TYPE_GRAY);
  ASSERT_EQ(w.rows.size(), 12u);
  for (size_t i = 0; i < deep.size(); ++i)
    EXPECT_EQ(w.rows[2 * i] << 8 | w.rows[2 * i + 1], deep[i]) << "sample " << i;
}

TEST(PngWriter, WideImageKeepsRowOrder) {
  // 1000x3 RGB with a per-row pattern: rows must not be swapped or padded.
  std::vector<uint8_t> rgb(1000 * 3 * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i / 3000 * 100 + i % 7);
  const Decoded d = decode(irreport::encodePng(irreport::PngKind::Rgb8, 1000, 3, rgb.data()));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.rows, rgb);
}

TEST(PngWriter, EmptyImageGivesNoFile) {
  const uint8_t px = 0;
  EXPECT_TRUE(irreport::encodePng(irreport::PngKind::Gray8, 0, 5, &px).empty());
  EXPECT_TRUE(irreport::encodePng(irreport::PngKind::Gray8, 5, 0, &px).empty());
  EXPECT_TRUE(irreport::encodePng(irreport::PngKind::Gray8, 1, 1, nullptr).empty());
}
