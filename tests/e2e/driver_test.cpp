// The driver's own PNG writer: the screenshots are only as good as it is.
#include <gtest/gtest.h>

#include <utility>

#include "e2e/driver.h"

namespace e2e {
namespace {

uint32_t big32(const std::string& s, size_t at) {
  return (uint32_t(uint8_t(s[at])) << 24) | (uint32_t(uint8_t(s[at + 1])) << 16) |
         (uint32_t(uint8_t(s[at + 2])) << 8) | uint32_t(uint8_t(s[at + 3]));
}

Image solid(int width, int height, Rgb colour) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<size_t>(width) * height, colour);
  return image;
}

TEST(PngWriter, OnePixelFileHasTheStandardLayoutAndChecksums) {
  std::string png = encodePng(solid(1, 1, {255, 0, 0}));
  ASSERT_GE(png.size(), 8u + 25 + 12);
  EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
  // IHDR: 13 bytes, 1x1, 8-bit RGB; its CRC over type and data.
  EXPECT_EQ(big32(png, 8), 13u);
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(big32(png, 16), 1u);
  EXPECT_EQ(big32(png, 20), 1u);
  EXPECT_EQ(png.substr(24, 5), std::string("\x08\x02\x00\x00\x00", 5));
  EXPECT_EQ(big32(png, 29), 0x907753DEu) << "CRC-32 of the IHDR chunk";
  // IDAT: zlib header, one final stored block of the scan line (filter byte
  // and three samples), Adler-32 of those four bytes.
  EXPECT_EQ(png.substr(37, 4), "IDAT");
  std::string zlib = png.substr(41, big32(png, 33));
  EXPECT_EQ(zlib, std::string("\x78\x01\x01\x04\x00\xFB\xFF\x00\xFF\x00\x00\x03\x01\x01\x00", 15));
  // The IEND chunk always ends in the same CRC.
  EXPECT_EQ(png.substr(png.size() - 12), std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12));
}

TEST(PngWriter, LargeImageIsSplitIntoStoredBlocksOfAtMost65535Bytes) {
  // 200 lines of 1 + 600 bytes: 120200 bytes, two blocks.
  std::string png = encodePng(solid(200, 200, {1, 2, 3}));
  ASSERT_EQ(png.substr(37, 4), "IDAT");
  std::string zlib = png.substr(41, big32(png, 33));
  size_t pos = 2;
  std::vector<std::pair<int, size_t>> blocks;  // final flag, length
  while (pos + 5 <= zlib.size()) {
    int final = uint8_t(zlib[pos]);
    size_t length = uint8_t(zlib[pos + 1]) | (size_t(uint8_t(zlib[pos + 2])) << 8);
    size_t inverse = uint8_t(zlib[pos + 3]) | (size_t(uint8_t(zlib[pos + 4])) << 8);
    EXPECT_EQ(length ^ inverse, 0xFFFFu) << "block at " << pos;
    blocks.emplace_back(final, length);
    pos += 5 + length;
    if (final) break;
  }
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], std::make_pair(0, size_t(65535)));
  EXPECT_EQ(blocks[1], std::make_pair(1, size_t(120200 - 65535)));
  EXPECT_EQ(pos + 4, zlib.size()) << "the Adler-32 follows the last block";
}

}  // namespace
}  // namespace e2e
