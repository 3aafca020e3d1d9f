// Encoders for the picture files the tools write: PNG, GIF89a, BMP (with RLE4) and ICO.
// Every encoder is deterministic: the same picture always gives the same bytes, on any machine
// (the PNG compressor is our own, not a library whose output may change between versions).
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace ps::art {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
  std::uint32_t value() const { return std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b; }
  static Rgb of(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
  }
};

using Palette = std::vector<Rgb>;
using Bytes = std::vector<std::uint8_t>;

// A picture of colour indices into its palette, rows top to bottom. The mask is empty or holds
// one byte per pixel, non-zero meaning transparent.
struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::vector<std::uint8_t> mask;
  Palette palette;

  IndexedImage() = default;
  IndexedImage(int w, int h, Palette p)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, 0), palette(std::move(p)) {}
  std::uint8_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint8_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A true-colour picture, pixels 0x00RRGGBB, rows top to bottom.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  RgbImage() = default;
  RgbImage(int w, int h, std::uint32_t fill = 0)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
  std::uint32_t& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// zlib stream (RFC 1950/1951): LZ77 with the fixed Huffman codes, one block.
Bytes zlibCompress(std::span<const std::uint8_t> data);

// PNG: 8-bit RGB, or 8-bit palette for an indexed picture (no transparency).
Bytes encodePng(const RgbImage& image);
Bytes encodePng(const IndexedImage& image);

// GIF89a, one opaque frame, a global table of exactly 256 colours (the palette, padded with
// black), LZW with 8-bit minimum code size.
Bytes encodeGif(const IndexedImage& image);

// BMP file with a BITMAPINFOHEADER, bottom-up, 4 or 8 bits per pixel, the palette as given
// (padded to 16 / 256 entries only when `fullPalette`), optionally RLE4/RLE8 compressed.
Bytes encodeBmp(const IndexedImage& image, int bitCount, bool rle, bool fullPalette = true);

// ICO file of 8-bit images (palette padded to 256 colours) with their AND masks, in the order
// given. Transparent pixels are written with their own index; callers use index 0 (black).
Bytes encodeIco(std::span<const IndexedImage> images);

// Reduces a true-colour picture to at most `colours` colours: exact when it has no more than
// that, otherwise by median cut. Deterministic; the palette is sorted by colour value.
IndexedImage quantize(const RgbImage& image, int colours = 256);

// Writes bytes to a file, creating its folder; throws std::runtime_error on failure.
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);
void writeFile(const std::filesystem::path& path, const std::string& text);

}  // namespace ps::art
