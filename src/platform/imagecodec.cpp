#include "imagecodec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace ps {
namespace {

using Bytes = std::span<const std::uint8_t>;

[[noreturn]] void fail(const char* format, const std::string& what) {
  throw std::runtime_error(std::string(format) + ": " + what);
}

// Bounds-checked little-endian reads; every access to untrusted bytes goes through these.
struct Reader {
  Bytes data;
  const char* format;

  void need(std::size_t offset, std::size_t count) const {
    if (offset > data.size() || count > data.size() - offset) fail(format, "file is truncated");
  }
  std::uint8_t u8(std::size_t offset) const {
    need(offset, 1);
    return data[offset];
  }
  std::uint16_t u16(std::size_t offset) const {
    need(offset, 2);
    return static_cast<std::uint16_t>(data[offset] | data[offset + 1] << 8);
  }
  std::uint32_t u32(std::size_t offset) const {
    need(offset, 4);
    return static_cast<std::uint32_t>(data[offset]) |
           static_cast<std::uint32_t>(data[offset + 1]) << 8 |
           static_cast<std::uint32_t>(data[offset + 2]) << 16 |
           static_cast<std::uint32_t>(data[offset + 3]) << 24;
  }
  std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
};

void checkSize(const char* format, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) fail(format, "picture has no pixels");
  if (width > kMaxImageSide || height > kMaxImageSide || width * height > kMaxImagePixels) {
    fail(format, "picture of " + std::to_string(width) + " x " + std::to_string(height) +
                     " pixels is too large");
  }
}

Image blankImage(int width, int height, std::uint32_t colour) {
  Image image;
  image.width = width;
  image.height = height;
  image.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), colour);
  return image;
}

// ---------------------------------------------------------------------------------------------
// Device-independent bitmaps (BMP files, bitmap resources and the images inside icons)

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;

struct Dib {
  int width = 0;
  int height = 0;  // of the colour bitmap (half the stored height for icons)
  bool topDown = false;
  int bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::array<std::uint32_t, 3> masks{};  // red, green, blue for 16 and 32 bits per pixel
  std::vector<std::uint32_t> palette;
  std::size_t dataOffset = 0;  // where the pixels follow the header and palette
};

Dib parseDibHeader(const Reader& in, std::size_t at, bool icon) {
  Dib dib;
  const std::uint32_t headerSize = in.u32(at);
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::size_t entrySize = 4;
  std::uint32_t colourCount = 0;
  std::size_t paletteAt = 0;
  if (headerSize == 12) {  // the old OS/2 header: 16-bit sizes, 3-byte palette entries
    width = in.u16(at + 4);
    height = in.u16(at + 6);
    dib.bitCount = in.u16(at + 10);
    entrySize = 3;
    paletteAt = at + 12;
  } else if (headerSize >= 40 && headerSize <= 256) {
    width = in.i32(at + 4);
    height = in.i32(at + 8);
    dib.bitCount = in.u16(at + 14);
    dib.compression = in.u32(at + 16);
    colourCount = in.u32(at + 32);
    paletteAt = at + headerSize;
    if (dib.compression == kBiBitfields) {
      // A plain 40-byte header is followed by the three masks; larger headers hold them.
      const std::size_t masksAt = headerSize == 40 ? paletteAt : at + 40;
      if (headerSize == 40) paletteAt += 12;
      for (int i = 0; i < 3; ++i) dib.masks[i] = in.u32(masksAt + 4 * static_cast<std::size_t>(i));
    }
  } else {
    fail(in.format, "unknown bitmap header of " + std::to_string(headerSize) + " bytes");
  }

  if (height < 0) {
    dib.topDown = true;
    height = -height;
  }
  if (icon) {
    if (dib.topDown || height % 2 != 0) fail(in.format, "icon image height is not doubled");
    height /= 2;
  }
  checkSize(in.format, width, height);
  dib.width = static_cast<int>(width);
  dib.height = static_cast<int>(height);

  switch (dib.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      fail(in.format, std::to_string(dib.bitCount) + " bits per pixel are not supported");
  }
  const bool rleOk = (dib.compression == kBiRle8 && dib.bitCount == 8) ||
                     (dib.compression == kBiRle4 && dib.bitCount == 4);
  const bool fieldsOk =
      dib.compression == kBiBitfields && (dib.bitCount == 16 || dib.bitCount == 32);
  if (dib.compression != kBiRgb && !rleOk && !fieldsOk) {
    fail(in.format, "compression " + std::to_string(dib.compression) + " with " +
                        std::to_string(dib.bitCount) + " bits per pixel is not supported");
  }
  if ((dib.compression == kBiRle4 || dib.compression == kBiRle8) && dib.topDown) {
    fail(in.format, "a run-length encoded bitmap cannot be top-down");
  }
  if (dib.compression == kBiRgb && dib.bitCount == 16) dib.masks = {0x7C00, 0x03E0, 0x001F};
  if (dib.compression == kBiRgb && dib.bitCount == 32) dib.masks = {0xFF0000, 0xFF00, 0xFF};

  // Palette: all entries for up to 8 bits per pixel unless fewer are named; above that an
  // optional table that only has to be skipped.
  std::size_t entries = colourCount;
  if (dib.bitCount <= 8) {
    const std::size_t full = std::size_t{1} << dib.bitCount;
    if (entries == 0 || entries > full) entries = full;
  } else if (entries > 65536) {
    fail(in.format, "colour table is too large");
  }
  in.need(paletteAt, entries * entrySize);
  if (dib.bitCount <= 8) {
    dib.palette.resize(entries);
    for (std::size_t i = 0; i < entries; ++i) {
      const std::size_t e = paletteAt + i * entrySize;
      dib.palette[i] = static_cast<std::uint32_t>(in.data[e + 2]) << 16 |
                       static_cast<std::uint32_t>(in.data[e + 1]) << 8 | in.data[e];
    }
  }
  dib.dataOffset = paletteAt + entries * entrySize;
  return dib;
}

std::uint32_t paletteColour(const Dib& dib, unsigned index) {
  return index < dib.palette.size() ? dib.palette[index] : 0;  // out of range shows black
}

std::uint32_t fieldTo8Bits(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const std::uint32_t bits = static_cast<std::uint32_t>(std::countr_one(mask >> shift));
  const std::uint32_t value = (pixel & mask) >> shift & ((std::uint64_t{1} << bits) - 1);
  if (bits >= 8) return value >> (bits - 8);
  const std::uint32_t maximum = (1u << bits) - 1;
  return (value * 255 + maximum / 2) / maximum;
}

std::size_t rowStride(int width, int bitCount) {
  return (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitCount) + 31) / 32 * 4;
}

// Uncompressed rows. For 32 bits per pixel the fourth byte of each pixel goes to alpha when asked.
Image decodeRgbRows(const Reader& in, const Dib& dib, std::size_t at,
                    std::vector<std::uint8_t>* alpha) {
  const std::size_t stride = rowStride(dib.width, dib.bitCount);
  in.need(at, stride * static_cast<std::size_t>(dib.height));
  Image image = blankImage(dib.width, dib.height, 0);
  if (alpha) alpha->assign(image.pixels.size(), 0);
  for (int row = 0; row < dib.height; ++row) {
    const int y = dib.topDown ? row : dib.height - 1 - row;
    const std::uint8_t* src = in.data.data() + at + stride * static_cast<std::size_t>(row);
    std::uint32_t* dst = image.pixels.data() + static_cast<std::size_t>(y) * dib.width;
    for (int x = 0; x < dib.width; ++x) {
      switch (dib.bitCount) {
        case 1:
          dst[x] = paletteColour(dib, src[x >> 3] >> (7 - (x & 7)) & 1);
          break;
        case 4:
          dst[x] = paletteColour(dib, (x & 1) ? src[x >> 1] & 15 : src[x >> 1] >> 4);
          break;
        case 8:
          dst[x] = paletteColour(dib, src[x]);
          break;
        case 24:
          dst[x] = static_cast<std::uint32_t>(src[3 * x + 2]) << 16 |
                   static_cast<std::uint32_t>(src[3 * x + 1]) << 8 | src[3 * x];
          break;
        default: {  // 16 or 32 bits with channel masks
          const std::uint32_t p = dib.bitCount == 16
                                      ? static_cast<std::uint32_t>(src[2 * x] | src[2 * x + 1] << 8)
                                      : static_cast<std::uint32_t>(src[4 * x]) |
                                            static_cast<std::uint32_t>(src[4 * x + 1]) << 8 |
                                            static_cast<std::uint32_t>(src[4 * x + 2]) << 16 |
                                            static_cast<std::uint32_t>(src[4 * x + 3]) << 24;
          dst[x] = fieldTo8Bits(p, dib.masks[0]) << 16 | fieldTo8Bits(p, dib.masks[1]) << 8 |
                   fieldTo8Bits(p, dib.masks[2]);
          if (alpha && dib.bitCount == 32) {
            (*alpha)[static_cast<std::size_t>(y) * dib.width + x] = src[4 * x + 3];
          }
        }
      }
    }
  }
  return image;
}

// BI_RLE8 / BI_RLE4. Each command consumes at least two bytes, so the loop ends with the data;
// pixels outside the picture are dropped, never written.
Image decodeRle(const Reader& in, const Dib& dib, std::size_t at) {
  Image image = blankImage(dib.width, dib.height, paletteColour(dib, 0));
  const bool four = dib.compression == kBiRle4;
  std::int64_t x = 0;
  std::int64_t y = 0;  // counted from the bottom row
  auto put = [&](unsigned index) {
    if (x < dib.width && y < dib.height) {
      image.pixels[static_cast<std::size_t>(dib.height - 1 - y) * dib.width +
                   static_cast<std::size_t>(x)] = paletteColour(dib, index);
    }
    ++x;
  };
  std::size_t p = at;
  while (y < dib.height) {
    const unsigned count = in.u8(p);
    const unsigned value = in.u8(p + 1);
    p += 2;
    if (count > 0) {
      for (unsigned i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      x += in.u8(p);
      y += in.u8(p + 1);
      p += 2;
    } else {
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      in.need(p, bytes);
      for (unsigned i = 0; i < value; ++i) {
        const std::uint8_t b = in.data[p + (four ? i / 2 : i)];
        put(four ? ((i & 1) ? b & 15 : b >> 4) : b);
      }
      p += bytes + (bytes & 1);  // absolute runs are padded to a 16-bit boundary
    }
  }
  return image;
}

Image decodeDibPixels(const Reader& in, const Dib& dib, std::size_t at,
                      std::vector<std::uint8_t>* alpha) {
  if (dib.compression == kBiRle4 || dib.compression == kBiRle8) return decodeRle(in, dib, at);
  return decodeRgbRows(in, dib, at, alpha);
}

// One icon image: header with doubled height, colour bitmap, then the 1-bit AND mask.
Image decodeIconImage(Bytes bytes) {
  const Reader in{bytes, "icon"};
  const Dib dib = parseDibHeader(in, 0, true);
  if (dib.compression == kBiRle4 || dib.compression == kBiRle8) {
    fail(in.format, "run-length encoded icon images are not supported");
  }
  std::vector<std::uint8_t> alpha;
  Image image = decodeDibPixels(in, dib, dib.dataOffset, dib.bitCount == 32 ? &alpha : nullptr);
  const bool useAlpha = std::any_of(alpha.begin(), alpha.end(), [](std::uint8_t a) { return a; });

  const std::size_t maskAt =
      dib.dataOffset + rowStride(dib.width, dib.bitCount) * static_cast<std::size_t>(dib.height);
  const std::size_t maskStride = rowStride(dib.width, 1);
  const bool haveMask = maskAt <= bytes.size() &&
                        maskStride * static_cast<std::size_t>(dib.height) <= bytes.size() - maskAt;
  // Icons with an alpha channel may leave the AND mask out; without alpha it is the only mask.
  if (!haveMask && !useAlpha) fail(in.format, "file is truncated (no transparency mask)");

  image.mask.assign(image.pixels.size(), 0);
  for (int y = 0; y < dib.height; ++y) {
    const std::size_t row = maskAt + maskStride * static_cast<std::size_t>(dib.height - 1 - y);
    for (int x = 0; x < dib.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * dib.width + x;
      const bool clear = useAlpha ? alpha[i] < 128 : (bytes[row + (x >> 3)] >> (7 - (x & 7)) & 1);
      image.mask[i] = clear ? 1 : 0;
    }
  }
  return image;
}

bool isPng(Bytes bytes) {
  static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return bytes.size() >= 8 && std::equal(kSignature, kSignature + 8, bytes.begin());
}

// ---------------------------------------------------------------------------------------------
// GIF

class LzwBits {
 public:
  explicit LzwBits(const std::vector<std::uint8_t>& data) : data_(data) {}
  // Returns -1 when the data is used up.
  int read(int width) {
    while (count_ < width) {
      if (pos_ >= data_.size()) return -1;
      buffer_ |= static_cast<std::uint32_t>(data_[pos_++]) << count_;
      count_ += 8;
    }
    const int code = static_cast<int>(buffer_ & ((1u << width) - 1));
    buffer_ >>= width;
    count_ -= width;
    return code;
  }

 private:
  const std::vector<std::uint8_t>& data_;
  std::size_t pos_ = 0;
  std::uint32_t buffer_ = 0;
  int count_ = 0;
};

// Decodes up to `total` colour indices. A stream that ends early leaves the rest at 0.
std::vector<std::uint8_t> decodeLzw(const std::vector<std::uint8_t>& data, int minCodeSize,
                                    std::size_t total) {
  constexpr int kMaxCodes = 4096;
  std::vector<std::uint8_t> out(total, 0);
  std::array<std::uint16_t, kMaxCodes> prefix{};
  std::array<std::uint8_t, kMaxCodes> suffix{};
  std::array<std::uint8_t, kMaxCodes> first{};
  std::array<std::uint8_t, kMaxCodes + 1> stack{};
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  for (int i = 0; i < clear; ++i) {
    suffix[i] = static_cast<std::uint8_t>(i);
    first[i] = static_cast<std::uint8_t>(i);
  }
  int next = end + 1;
  int width = minCodeSize + 1;
  int previous = -1;
  std::size_t written = 0;
  LzwBits bits(data);

  while (written < total) {
    const int code = bits.read(width);
    if (code < 0 || code == end) break;
    if (code == clear) {
      next = end + 1;
      width = minCodeSize + 1;
      previous = -1;
      continue;
    }
    int emit = code;
    if (previous < 0) {
      if (code >= clear) fail("GIF", "corrupt image data (code before any string)");
    } else if (code < next) {
      if (next < kMaxCodes) {
        prefix[next] = static_cast<std::uint16_t>(previous);
        suffix[next] = first[code];
        first[next] = first[previous];
        ++next;
      }
    } else if (code == next && next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = first[previous];
      first[next] = first[previous];
      ++next;
    } else {
      fail("GIF", "corrupt image data (undefined code)");
    }
    // Every entry's prefix is an older code, so this walk ends within kMaxCodes steps.
    int depth = 0;
    for (int c = emit;; c = prefix[c]) {
      stack[depth++] = suffix[c];
      if (c < clear) break;
    }
    while (depth > 0 && written < total) out[written++] = stack[--depth];
    if (next == (1 << width) && width < 12) ++width;
    previous = code;
  }
  return out;
}

std::vector<std::uint32_t> readColourTable(const Reader& in, std::size_t at, int flags) {
  const std::size_t entries = std::size_t{2} << (flags & 7);
  in.need(at, entries * 3);
  std::vector<std::uint32_t> table(entries);
  for (std::size_t i = 0; i < entries; ++i) {
    table[i] = static_cast<std::uint32_t>(in.data[at + 3 * i]) << 16 |
               static_cast<std::uint32_t>(in.data[at + 3 * i + 1]) << 8 | in.data[at + 3 * i + 2];
  }
  return table;
}

std::size_t skipSubBlocks(const Reader& in, std::size_t p) {
  for (;;) {
    const std::size_t n = in.u8(p);
    ++p;
    if (n == 0) return p;
    in.need(p, n);
    p += n;
  }
}

}  // namespace

Image decodeBmp(std::span<const std::uint8_t> data) {
  const Reader in{data, "BMP"};
  if (data.size() >= 2 && data[0] == 'B' && data[1] == 'M') {
    const std::uint32_t pixelsAt = in.u32(10);
    const Dib dib = parseDibHeader(in, 14, false);
    if (pixelsAt != 0 && pixelsAt < dib.dataOffset) fail(in.format, "pixel data overlaps header");
    return decodeDibPixels(in, dib, pixelsAt != 0 ? pixelsAt : dib.dataOffset, nullptr);
  }
  const Dib dib = parseDibHeader(in, 0, false);
  return decodeDibPixels(in, dib, dib.dataOffset, nullptr);
}

Image decodeIco(std::span<const std::uint8_t> data, int preferredSize) {
  const Reader in{data, "icon"};
  if (data.size() >= 4 && in.u32(0) == 40) return decodeIconImage(data);
  if (in.u16(0) != 0 || (in.u16(2) != 1 && in.u16(2) != 2)) fail(in.format, "not an icon file");
  const unsigned count = in.u16(4);
  if (count == 0) fail(in.format, "icon file holds no image");

  std::span<const std::uint8_t> best;
  int bestWidth = 0;
  int bestBits = 0;
  bool sawPng = false;
  for (unsigned i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
    const std::uint32_t size = in.u32(entry + 8);
    const std::uint32_t offset = in.u32(entry + 12);
    in.need(offset, size);
    const Bytes image = data.subspan(offset, size);
    if (isPng(image)) {
      sawPng = true;
      continue;
    }
    // Rank by the image's own header; the directory's numbers are only hints.
    const Reader head{image, "icon"};
    if (image.size() < 16 || head.u32(0) != 40) fail(in.format, "icon image has no bitmap header");
    const int width = head.i32(4);
    const int bits = head.u16(14);
    auto distance = [&](int w) { return std::abs(static_cast<std::int64_t>(w) - preferredSize); };
    const bool better = best.empty() || distance(width) < distance(bestWidth) ||
                        (distance(width) == distance(bestWidth) &&
                         (width > bestWidth || (width == bestWidth && bits > bestBits)));
    if (better) {
      best = image;
      bestWidth = width;
      bestBits = bits;
    }
  }
  if (best.empty()) {
    fail(in.format, sawPng ? "only PNG-compressed images, which are not supported"
                           : "icon file holds no image");
  }
  return decodeIconImage(best);
}

Image decodeGif(std::span<const std::uint8_t> data) {
  const Reader in{data, "GIF"};
  in.need(0, 13);
  const std::string signature(data.begin(), data.begin() + 6);
  if (signature != "GIF87a" && signature != "GIF89a") fail(in.format, "not a GIF file");
  int screenWidth = in.u16(6);
  int screenHeight = in.u16(8);
  const int screenFlags = in.u8(10);
  std::size_t p = 13;
  std::vector<std::uint32_t> globalTable;
  if (screenFlags & 0x80) {
    globalTable = readColourTable(in, p, screenFlags);
    p += globalTable.size() * 3;
  }

  int transparent = -1;
  for (;;) {
    const std::uint8_t block = in.u8(p);
    if (block == 0x3B) fail(in.format, "file holds no image");
    if (block == 0x21) {
      const std::uint8_t label = in.u8(p + 1);
      p += 2;
      if (label == 0xF9 && in.u8(p) >= 4) transparent = (in.u8(p + 1) & 1) ? in.u8(p + 4) : -1;
      p = skipSubBlocks(in, p);
      continue;
    }
    if (block != 0x2C) fail(in.format, "unknown block in file");

    const int left = in.u16(p + 1);
    const int top = in.u16(p + 3);
    const int frameWidth = in.u16(p + 5);
    const int frameHeight = in.u16(p + 7);
    const int frameFlags = in.u8(p + 9);
    p += 10;
    checkSize(in.format, frameWidth, frameHeight);
    std::vector<std::uint32_t> localTable;
    if (frameFlags & 0x80) {
      localTable = readColourTable(in, p, frameFlags);
      p += localTable.size() * 3;
    }
    const std::vector<std::uint32_t>& table = localTable.empty() ? globalTable : localTable;

    const int minCodeSize = in.u8(p);
    if (minCodeSize < 1 || minCodeSize > 8) fail(in.format, "corrupt image data (code size)");
    ++p;
    std::vector<std::uint8_t> compressed;
    for (;;) {
      const std::size_t n = in.u8(p);
      ++p;
      if (n == 0) break;
      in.need(p, n);
      compressed.insert(compressed.end(), data.begin() + static_cast<std::ptrdiff_t>(p),
                        data.begin() + static_cast<std::ptrdiff_t>(p + n));
      p += n;
    }

    const bool placed = screenWidth > 0 && screenHeight > 0;
    if (!placed) {
      screenWidth = frameWidth;
      screenHeight = frameHeight;
    }
    checkSize(in.format, screenWidth, screenHeight);
    const int x0 = placed ? left : 0;
    const int y0 = placed ? top : 0;
    const std::vector<std::uint8_t> indices =
        decodeLzw(compressed, minCodeSize,
                  static_cast<std::size_t>(frameWidth) * static_cast<std::size_t>(frameHeight));

    // Interlaced frames store rows 0, 8, 16..., then 4, 12..., then 2, 6..., then the odd rows.
    std::vector<int> rowOf(static_cast<std::size_t>(frameHeight));
    if (frameFlags & 0x40) {
      static constexpr int kStart[4] = {0, 4, 2, 1};
      static constexpr int kStep[4] = {8, 8, 4, 2};
      std::size_t r = 0;
      for (int pass = 0; pass < 4; ++pass) {
        for (int y = kStart[pass]; y < frameHeight; y += kStep[pass]) rowOf[r++] = y;
      }
    } else {
      for (int y = 0; y < frameHeight; ++y) rowOf[static_cast<std::size_t>(y)] = y;
    }

    const bool covers =
        x0 == 0 && y0 == 0 && frameWidth >= screenWidth && frameHeight >= screenHeight;
    Image image = blankImage(screenWidth, screenHeight, 0);
    if (transparent >= 0 || !covers) image.mask.assign(image.pixels.size(), 1);
    for (int r = 0; r < frameHeight; ++r) {
      const int y = y0 + rowOf[static_cast<std::size_t>(r)];
      if (y >= screenHeight) continue;
      for (int x = 0; x < frameWidth && x0 + x < screenWidth; ++x) {
        const std::uint8_t index = indices[static_cast<std::size_t>(r) * frameWidth + x];
        const std::size_t at = static_cast<std::size_t>(y) * screenWidth + (x0 + x);
        // Without any colour table, show the indices as grey levels.
        image.pixels[at] = table.empty()          ? index * 0x010101u
                           : index < table.size() ? table[index]
                                                  : 0;
        if (image.hasMask()) image.mask[at] = index == transparent ? 1 : 0;
      }
    }
    return image;
  }
}

}  // namespace ps
