#include "imagewriters.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <map>
#include <stdexcept>

namespace ps::art {
namespace {

void put16(Bytes& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}
void put32be(Bytes& out, std::uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

// ----- deflate -------------------------------------------------------------------------------

class BitWriter {
 public:
  explicit BitWriter(Bytes& out) : out_(out) {}
  void bits(std::uint32_t value, int count) {  // least significant bit first
    acc_ |= value << used_;
    used_ += count;
    while (used_ >= 8) {
      out_.push_back(static_cast<std::uint8_t>(acc_));
      acc_ >>= 8;
      used_ -= 8;
    }
  }
  void huffman(std::uint32_t code, int length) {  // Huffman codes go most significant bit first
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= (code >> i & 1) << (length - 1 - i);
    bits(reversed, length);
  }
  void flush() {
    if (used_ > 0) out_.push_back(static_cast<std::uint8_t>(acc_));
    acc_ = 0;
    used_ = 0;
  }

 private:
  Bytes& out_;
  std::uint32_t acc_ = 0;
  int used_ = 0;
};

void fixedLiteral(BitWriter& w, unsigned symbol) {
  if (symbol < 144) {
    w.huffman(0x30 + symbol, 8);
  } else if (symbol < 256) {
    w.huffman(0x190 + symbol - 144, 9);
  } else if (symbol < 280) {
    w.huffman(symbol - 256, 7);
  } else {
    w.huffman(0xC0 + symbol - 280, 8);
  }
}

constexpr std::array<unsigned, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                  15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                  67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<int, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                              2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<unsigned, 30> kDistBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};

void writeMatch(BitWriter& w, unsigned length, unsigned distance) {
  int l = 28;
  while (kLengthBase[static_cast<std::size_t>(l)] > length) --l;
  fixedLiteral(w, 257 + static_cast<unsigned>(l));
  w.bits(length - kLengthBase[static_cast<std::size_t>(l)],
         kLengthExtra[static_cast<std::size_t>(l)]);
  int d = 29;
  while (kDistBase[static_cast<std::size_t>(d)] > distance) --d;
  w.huffman(static_cast<std::uint32_t>(d), 5);
  w.bits(distance - kDistBase[static_cast<std::size_t>(d)], d < 4 ? 0 : d / 2 - 1);
}

std::uint32_t adler32(std::span<const std::uint8_t> data) {
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : data) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (std::uint8_t byte : data) crc = table[(crc ^ byte) & 255] ^ (crc >> 8);
  return ~crc;
}

// ----- PNG -----------------------------------------------------------------------------------

void pngChunk(Bytes& out, const char* type, const Bytes& body) {
  put32be(out, static_cast<std::uint32_t>(body.size()));
  Bytes typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  put32be(out, crc32(typed));
}

// Rows are filtered with the usual heuristic (smallest sum of absolute differences); `bpp` is
// bytes per pixel.
Bytes filterRows(const Bytes& raw, int width, int height, int bpp, bool adaptive) {
  const std::size_t stride = static_cast<std::size_t>(width) * bpp;
  Bytes out;
  Bytes zero(stride, 0);
  std::array<Bytes, 5> candidates;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = raw.data() + stride * y;
    const std::uint8_t* up = y > 0 ? row - stride : zero.data();
    int bestFilter = 0;
    long bestScore = -1;
    for (int f = 0; f < (adaptive ? 5 : 1); ++f) {
      Bytes& c = candidates[static_cast<std::size_t>(f)];
      c.assign(stride, 0);
      long score = 0;
      for (std::size_t i = 0; i < stride; ++i) {
        const int a = i >= static_cast<std::size_t>(bpp) ? row[i - bpp] : 0;
        const int b = up[i];
        const int cc = i >= static_cast<std::size_t>(bpp) ? up[i - bpp] : 0;
        int predicted = 0;
        switch (f) {
          case 1:
            predicted = a;
            break;
          case 2:
            predicted = b;
            break;
          case 3:
            predicted = (a + b) / 2;
            break;
          case 4: {
            const int p = a + b - cc;
            const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - cc);
            predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : cc);
            break;
          }
          default:
            break;
        }
        c[i] = static_cast<std::uint8_t>(row[i] - predicted);
        score += std::abs(static_cast<int>(static_cast<std::int8_t>(c[i])));
      }
      if (bestScore < 0 || score < bestScore) {
        bestScore = score;
        bestFilter = f;
      }
    }
    out.push_back(static_cast<std::uint8_t>(bestFilter));
    const Bytes& c = candidates[static_cast<std::size_t>(bestFilter)];
    out.insert(out.end(), c.begin(), c.end());
  }
  return out;
}

Bytes png(int width, int height, int colourType, const Bytes& filtered, const Palette* palette) {
  Bytes out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  Bytes header;
  put32be(header, static_cast<std::uint32_t>(width));
  put32be(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, static_cast<std::uint8_t>(colourType), 0, 0, 0});
  pngChunk(out, "IHDR", header);
  if (palette) {
    Bytes plte;
    for (const Rgb& c : *palette) plte.insert(plte.end(), {c.r, c.g, c.b});
    pngChunk(out, "PLTE", plte);
  }
  pngChunk(out, "IDAT", zlibCompress(filtered));
  pngChunk(out, "IEND", {});
  return out;
}

// ----- BMP -----------------------------------------------------------------------------------

Bytes bmpPalette(const Palette& palette, std::size_t entries) {
  Bytes out;
  for (std::size_t i = 0; i < entries; ++i) {
    const Rgb c = i < palette.size() ? palette[i] : Rgb{};
    out.insert(out.end(), {c.b, c.g, c.r, 0});
  }
  return out;
}

Bytes infoHeader(int width, int height, int bitCount, std::uint32_t compression,
                 std::uint32_t imageSize, std::uint32_t colours) {
  Bytes h;
  put32(h, 40);
  put32(h, static_cast<std::uint32_t>(width));
  put32(h, static_cast<std::uint32_t>(height));
  put16(h, 1);
  put16(h, static_cast<unsigned>(bitCount));
  put32(h, compression);
  put32(h, imageSize);
  put32(h, 3780);  // 96 dots per inch
  put32(h, 3780);
  put32(h, colours);
  put32(h, 0);
  return h;
}

// Uncompressed rows, bottom-up, padded to 4 bytes.
Bytes packRows(const IndexedImage& image, int bitCount) {
  const std::size_t stride = (static_cast<std::size_t>(image.width) * bitCount + 31) / 32 * 4;
  Bytes out(stride * image.height, 0);
  for (int y = 0; y < image.height; ++y) {
    std::uint8_t* row = out.data() + stride * (image.height - 1 - y);
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t v = image.at(x, y);
      if (bitCount == 8) {
        row[x] = v;
      } else {
        row[x / 2] |= static_cast<std::uint8_t>((x & 1) ? v & 15 : (v & 15) << 4);
      }
    }
  }
  return out;
}

// RLE4/RLE8: runs (alternating pairs for RLE4) where they pay, absolute stretches elsewhere.
Bytes packRle(const IndexedImage& image, int bitCount) {
  const bool four = bitCount == 4;
  Bytes out;
  for (int y = image.height - 1; y >= 0; --y) {
    const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
    const int w = image.width;
    auto runAt = [&](int i) {
      int n = 1;
      while (i + n < w && n < 255 && row[i + n] == row[i + (four ? (n & 1) : 0)]) ++n;
      return n;
    };
    auto encoded = [&](int i, int n) {
      out.push_back(static_cast<std::uint8_t>(n));
      out.push_back(four ? static_cast<std::uint8_t>(row[i] << 4 | (n > 1 ? row[i + 1] : 0))
                         : row[i]);
    };
    std::vector<std::uint8_t> literal;
    int literalStart = 0;
    auto flushLiteral = [&] {
      if (literal.size() < 3) {  // absolute mode needs three pixels; short ones go as runs
        for (std::size_t k = 0; k < literal.size(); ++k)
          encoded(literalStart + static_cast<int>(k), 1);
      } else {
        out.push_back(0);
        out.push_back(static_cast<std::uint8_t>(literal.size()));
        std::size_t bytes = 0;
        if (four) {
          for (std::size_t k = 0; k < literal.size(); k += 2) {
            const std::uint8_t lo = k + 1 < literal.size() ? literal[k + 1] : 0;
            out.push_back(static_cast<std::uint8_t>(literal[k] << 4 | lo));
            ++bytes;
          }
        } else {
          out.insert(out.end(), literal.begin(), literal.end());
          bytes = literal.size();
        }
        if (bytes & 1) out.push_back(0);
      }
      literal.clear();
    };
    for (int i = 0; i < w;) {
      const int n = runAt(i);
      if (n >= 4 || (n >= 2 && i + n == w && literal.empty())) {
        flushLiteral();
        encoded(i, n);
        i += n;
      } else {
        if (literal.empty()) literalStart = i;
        literal.push_back(row[i]);
        ++i;
        if (literal.size() == 255) flushLiteral();
      }
    }
    flushLiteral();
    out.push_back(0);
    out.push_back(y == 0 ? 1 : 0);  // end of line; the last line ends the bitmap
  }
  return out;
}

// ----- GIF -----------------------------------------------------------------------------------

class GifCodes {
 public:
  explicit GifCodes(Bytes& out) : out_(out) {}
  void put(int code, int width) {
    acc_ |= static_cast<std::uint32_t>(code) << used_;
    used_ += width;
    while (used_ >= 8) {
      byte(static_cast<std::uint8_t>(acc_));
      acc_ >>= 8;
      used_ -= 8;
    }
  }
  void finish() {
    if (used_ > 0) byte(static_cast<std::uint8_t>(acc_));
    if (!block_.empty()) emitBlock();
    out_.push_back(0);
  }

 private:
  void byte(std::uint8_t b) {
    block_.push_back(b);
    if (block_.size() == 255) emitBlock();
  }
  void emitBlock() {
    out_.push_back(static_cast<std::uint8_t>(block_.size()));
    out_.insert(out_.end(), block_.begin(), block_.end());
    block_.clear();
  }
  Bytes& out_;
  Bytes block_;
  std::uint32_t acc_ = 0;
  int used_ = 0;
};

}  // namespace

Bytes zlibCompress(std::span<const std::uint8_t> data) {
  Bytes out = {0x78, 0x01};
  BitWriter w(out);
  w.bits(1, 1);  // final block
  w.bits(1, 2);  // fixed Huffman codes
  constexpr int kWindow = 32768;
  constexpr int kHashSize = 1 << 15;
  constexpr int kMaxChain = 128;
  std::vector<int> head(kHashSize, -1);
  std::vector<int> previous(kWindow, -1);
  const int n = static_cast<int>(data.size());
  auto hashAt = [&](int i) {
    return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & (kHashSize - 1);
  };
  auto insert = [&](int i) {
    if (i + 2 >= n) return;
    const int h = hashAt(i);
    previous[i % kWindow] = head[h];
    head[h] = i;
  };
  for (int i = 0; i < n;) {
    int bestLength = 0;
    int bestDistance = 0;
    if (i + 2 < n) {
      int chain = kMaxChain;
      for (int j = head[hashAt(i)]; j >= 0 && i - j <= kWindow - 1 && chain-- > 0;
           j = previous[j % kWindow]) {
        int l = 0;
        while (l < 258 && i + l < n && data[j + l] == data[i + l]) ++l;
        if (l > bestLength) {
          bestLength = l;
          bestDistance = i - j;
          if (l == 258) break;
        }
      }
    }
    if (bestLength >= 3) {
      writeMatch(w, static_cast<unsigned>(bestLength), static_cast<unsigned>(bestDistance));
      for (int k = 0; k < bestLength; ++k) insert(i + k);
      i += bestLength;
    } else {
      fixedLiteral(w, data[i]);
      insert(i);
      ++i;
    }
  }
  fixedLiteral(w, 256);
  w.flush();
  put32be(out, adler32(data));
  return out;
}

Bytes encodePng(const RgbImage& image) {
  Bytes raw;
  raw.reserve(image.pixels.size() * 3);
  for (std::uint32_t p : image.pixels) {
    raw.insert(raw.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                           static_cast<std::uint8_t>(p)});
  }
  return png(image.width, image.height, 2, filterRows(raw, image.width, image.height, 3, true),
             nullptr);
}

Bytes encodePng(const IndexedImage& image) {
  return png(image.width, image.height, 3,
             filterRows(image.pixels, image.width, image.height, 1, false), &image.palette);
}

Bytes encodeGif(const IndexedImage& image) {
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  put16(out, static_cast<unsigned>(image.width));
  put16(out, static_cast<unsigned>(image.height));
  out.insert(out.end(), {0xF7, 0, 0});  // global table of 256 colours, 8-bit colour resolution
  for (std::size_t i = 0; i < 256; ++i) {
    const Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
    out.insert(out.end(), {c.r, c.g, c.b});
  }
  out.push_back(0x2C);
  put16(out, 0);
  put16(out, 0);
  put16(out, static_cast<unsigned>(image.width));
  put16(out, static_cast<unsigned>(image.height));
  out.push_back(0);
  out.push_back(8);

  constexpr int kClear = 256, kEnd = 257, kMaxCodes = 4096;
  std::vector<std::int16_t> table(static_cast<std::size_t>(kMaxCodes) * 256, -1);
  GifCodes codes(out);
  int next = kEnd + 1;
  int width = 9;
  codes.put(kClear, width);
  int prefix = image.pixels.empty() ? -1 : image.pixels[0];
  for (std::size_t i = 1; i < image.pixels.size(); ++i) {
    const int c = image.pixels[i];
    const std::size_t key = static_cast<std::size_t>(prefix) * 256 + static_cast<std::size_t>(c);
    if (table[key] >= 0) {
      prefix = table[key];
      continue;
    }
    codes.put(prefix, width);
    const int assigned = next++;
    table[key] = static_cast<std::int16_t>(assigned);
    // The reader defines each entry one code later, so it widens when it reaches `assigned`.
    if (assigned == (1 << width) && width < 12) ++width;
    if (next == kMaxCodes) {
      codes.put(kClear, width);
      std::fill(table.begin(), table.end(), -1);
      next = kEnd + 1;
      width = 9;
    }
    prefix = c;
  }
  if (prefix >= 0) {
    codes.put(prefix, width);
    if (next == (1 << width) && width < 12) ++width;
  }
  codes.put(kEnd, width);
  codes.finish();
  out.push_back(0x3B);
  return out;
}

Bytes encodeBmp(const IndexedImage& image, int bitCount, bool rle, bool fullPalette) {
  if (bitCount != 4 && bitCount != 8) throw std::invalid_argument("BMP: 4 or 8 bits per pixel");
  const std::size_t maxColours = std::size_t{1} << bitCount;
  if (image.palette.size() > maxColours) throw std::invalid_argument("BMP: palette too large");
  const std::size_t entries = fullPalette ? maxColours : image.palette.size();
  const Bytes pixels = rle ? packRle(image, bitCount) : packRows(image, bitCount);
  const Bytes palette = bmpPalette(image.palette, entries);
  const std::uint32_t compression = rle ? (bitCount == 4 ? 2 : 1) : 0;
  const Bytes header = infoHeader(image.width, image.height, bitCount, compression,
                                  static_cast<std::uint32_t>(pixels.size()),
                                  entries == maxColours ? 0 : static_cast<std::uint32_t>(entries));
  const std::uint32_t pixelsAt = static_cast<std::uint32_t>(14 + header.size() + palette.size());
  Bytes out = {'B', 'M'};
  put32(out, pixelsAt + static_cast<std::uint32_t>(pixels.size()));
  put32(out, 0);
  put32(out, pixelsAt);
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), palette.begin(), palette.end());
  out.insert(out.end(), pixels.begin(), pixels.end());
  return out;
}

Bytes encodeIco(std::span<const IndexedImage> images) {
  std::vector<Bytes> bodies;
  for (const IndexedImage& image : images) {
    if (image.palette.size() > 256) throw std::invalid_argument("ICO: palette too large");
    Bytes body = infoHeader(image.width, image.height * 2, 8, 0, 0, 0);
    const Bytes colours = packRows(image, 8);
    const std::size_t maskStride = (static_cast<std::size_t>(image.width) + 31) / 32 * 4;
    Bytes andMask(maskStride * image.height, 0);
    for (int y = 0; y < image.height; ++y) {
      for (int x = 0; x < image.width; ++x) {
        const std::size_t i = static_cast<std::size_t>(y) * image.width + x;
        if (!image.mask.empty() && image.mask[i]) {
          andMask[maskStride * (image.height - 1 - y) + x / 8] |=
              static_cast<std::uint8_t>(0x80 >> (x & 7));
        }
      }
    }
    // biSizeImage covers the colour bitmap and the mask.
    const std::uint32_t size = static_cast<std::uint32_t>(colours.size() + andMask.size());
    for (int k = 0; k < 4; ++k) body[20 + k] = static_cast<std::uint8_t>(size >> (8 * k));
    const Bytes palette = bmpPalette(image.palette, 256);
    body.insert(body.end(), palette.begin(), palette.end());
    body.insert(body.end(), colours.begin(), colours.end());
    body.insert(body.end(), andMask.begin(), andMask.end());
    bodies.push_back(std::move(body));
  }
  Bytes out;
  put16(out, 0);
  put16(out, 1);
  put16(out, static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    out.push_back(static_cast<std::uint8_t>(images[i].width >= 256 ? 0 : images[i].width));
    out.push_back(static_cast<std::uint8_t>(images[i].height >= 256 ? 0 : images[i].height));
    out.push_back(0);  // 256 colours
    out.push_back(0);
    put16(out, 1);
    put16(out, 8);
    put32(out, static_cast<std::uint32_t>(bodies[i].size()));
    put32(out, offset);
    offset += static_cast<std::uint32_t>(bodies[i].size());
  }
  for (const Bytes& body : bodies) out.insert(out.end(), body.begin(), body.end());
  return out;
}

IndexedImage quantize(const RgbImage& image, int colours) {
  std::map<std::uint32_t, std::uint64_t> counts;
  for (std::uint32_t p : image.pixels) ++counts[p & 0xFFFFFF];
  Palette palette;
  if (counts.size() <= static_cast<std::size_t>(colours)) {
    for (const auto& [c, n] : counts) palette.push_back(Rgb::of(c));
  } else {
    struct Entry {
      std::uint32_t colour;
      std::uint64_t count;
    };
    using Box = std::vector<Entry>;
    std::vector<Box> boxes(1);
    for (const auto& [c, n] : counts) boxes[0].push_back({c, n});
    auto channel = [](std::uint32_t c, int ch) {
      return static_cast<int>(c >> (16 - 8 * ch) & 255);
    };
    auto widest = [&](const Box& b, int* which) {
      int best = -1;
      for (int ch = 0; ch < 3; ++ch) {
        int lo = 255, hi = 0;
        for (const Entry& e : b) {
          lo = std::min(lo, channel(e.colour, ch));
          hi = std::max(hi, channel(e.colour, ch));
        }
        if (hi - lo > best) {
          best = hi - lo;
          *which = ch;
        }
      }
      return best;
    };
    while (boxes.size() < static_cast<std::size_t>(colours)) {
      std::size_t pick = boxes.size();
      std::uint64_t pickScore = 0;
      for (std::size_t i = 0; i < boxes.size(); ++i) {
        if (boxes[i].size() < 2) continue;
        int ch = 0;
        std::uint64_t total = 0;
        for (const Entry& e : boxes[i]) total += e.count;
        const std::uint64_t score = static_cast<std::uint64_t>(widest(boxes[i], &ch)) * total;
        if (pick == boxes.size() || score > pickScore) {
          pick = i;
          pickScore = score;
        }
      }
      if (pick == boxes.size()) break;
      Box& box = boxes[pick];
      int ch = 0;
      widest(box, &ch);
      std::stable_sort(box.begin(), box.end(), [&](const Entry& a, const Entry& b) {
        return channel(a.colour, ch) < channel(b.colour, ch);
      });
      std::uint64_t total = 0, half = 0;
      for (const Entry& e : box) total += e.count;
      std::size_t cut = 1;
      for (std::size_t i = 0; i + 1 < box.size(); ++i) {
        half += box[i].count;
        cut = i + 1;
        if (half * 2 >= total) break;
      }
      Box upper(box.begin() + static_cast<std::ptrdiff_t>(cut), box.end());
      box.resize(cut);
      boxes.push_back(std::move(upper));
    }
    for (const Box& b : boxes) {
      std::uint64_t sum[3] = {0, 0, 0}, total = 0;
      for (const Entry& e : b) {
        for (int ch = 0; ch < 3; ++ch)
          sum[ch] += static_cast<std::uint64_t>(channel(e.colour, ch)) * e.count;
        total += e.count;
      }
      palette.push_back({static_cast<std::uint8_t>((sum[0] + total / 2) / total),
                         static_cast<std::uint8_t>((sum[1] + total / 2) / total),
                         static_cast<std::uint8_t>((sum[2] + total / 2) / total)});
    }
    std::sort(palette.begin(), palette.end(),
              [](const Rgb& a, const Rgb& b) { return a.value() < b.value(); });
  }
  IndexedImage out(image.width, image.height, palette);
  std::map<std::uint32_t, std::uint8_t> nearest;
  for (const auto& [c, n] : counts) {
    const Rgb rgb = Rgb::of(c);
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const long dr = rgb.r - palette[i].r, dg = rgb.g - palette[i].g, db = rgb.b - palette[i].b;
      const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
      if (bestDistance < 0 || d < bestDistance) {
        bestDistance = d;
        best = static_cast<int>(i);
      }
    }
    nearest[c] = static_cast<std::uint8_t>(best);
  }
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    out.pixels[i] = nearest[image.pixels[i] & 0xFFFFFF];
  }
  return out;
}

void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
  writeFile(path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                                text.size()));
}

}  // namespace ps::art
