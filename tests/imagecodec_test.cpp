// Decoders of the resource formats: exact pixels for hand-built files of every supported kind,
// and clean failures (never crashes) for hostile ones.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/imagecodec.h"

namespace {

using ps::decodeBmp;
using ps::decodeGif;
using ps::decodeIco;
using ps::Image;

struct Buf {
  std::vector<std::uint8_t> b;
  Buf& u8(std::initializer_list<int> v) {
    for (int x : v) b.push_back(static_cast<std::uint8_t>(x));
    return *this;
  }
  Buf& u16(unsigned v) { return u8({static_cast<int>(v & 255), static_cast<int>(v >> 8 & 255)}); }
  Buf& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  Buf& add(const Buf& o) {
    b.insert(b.end(), o.b.begin(), o.b.end());
    return *this;
  }
};

Buf infoHeader(int w, int h, int bits, std::uint32_t compression = 0, std::uint32_t colours = 0) {
  Buf r;
  r.u32(40).u32(static_cast<std::uint32_t>(w)).u32(static_cast<std::uint32_t>(h)).u16(1).u16(bits);
  r.u32(compression).u32(0).u32(2835).u32(2835).u32(colours).u32(0);
  return r;
}

// Prepends a file header whose pixel offset is `pixelsAt` bytes into the DIB.
Buf bmpFile(const Buf& dib, std::uint32_t pixelsAt) {
  Buf f;
  f.u8({'B', 'M'}).u32(static_cast<std::uint32_t>(14 + dib.b.size())).u32(0).u32(14 + pixelsAt);
  return f.add(dib);
}

Buf palette(std::initializer_list<std::uint32_t> rgb) {
  Buf p;
  for (std::uint32_t c : rgb)
    p.u8({static_cast<int>(c & 255), static_cast<int>(c >> 8 & 255),
          static_cast<int>(c >> 16 & 255), 0});
  return p;
}

std::vector<std::uint32_t> rows(const Image& im) {
  return im.pixels;
}

constexpr std::uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0;

TEST(BmpDecode, TwentyFourBitRowOrderPaddingAndBareDib) {
  // 3 x 2, bottom-up: stored rows are bottom (R G B) then top (W K R), each padded to 12 bytes.
  Buf bottomUp = infoHeader(3, 2, 24);
  bottomUp.u8({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0});
  bottomUp.u8({255, 255, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0});
  const std::vector<std::uint32_t> expected = {W, K, R, R, G, B};

  const Image file = decodeBmp(bmpFile(bottomUp, 40).b);
  EXPECT_EQ(file.width, 3);
  EXPECT_EQ(file.height, 2);
  EXPECT_FALSE(file.hasMask());
  EXPECT_EQ(rows(file), expected);
  EXPECT_EQ(rows(decodeBmp(bottomUp.b)), expected);  // as a bitmap resource stores it

  Buf topDown = infoHeader(3, -2, 24);
  topDown.u8({255, 255, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0});
  topDown.u8({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0});
  EXPECT_EQ(rows(decodeBmp(bmpFile(topDown, 40).b)), expected);
}

TEST(BmpDecode, PalettedDepthsAndChannelMasks) {
  Buf one = infoHeader(10, 1, 1).add(palette({B, W}));
  one.u8({0b10100000, 0b01000000, 0, 0});
  EXPECT_EQ(rows(decodeBmp(one.b)), (std::vector<std::uint32_t>{W, B, W, B, B, B, B, B, B, W}));

  // Two colours named, index 3 is beyond the table and shows black.
  Buf four = infoHeader(3, 1, 4, 0, 2).add(palette({R, G}));
  four.u8({0x10, 0x30, 0, 0});
  EXPECT_EQ(rows(decodeBmp(four.b)), (std::vector<std::uint32_t>{G, R, K}));

  Buf eight = infoHeader(2, 1, 8, 0, 3).add(palette({R, G, B}));
  eight.u8({2, 1, 0, 0});
  EXPECT_EQ(rows(decodeBmp(eight.b)), (std::vector<std::uint32_t>{B, G}));

  // 16 bits 5-6-5 through BI_BITFIELDS; 32 bits plain.
  Buf sixteen = infoHeader(2, 1, 16, 3);
  sixteen.u32(0xF800).u32(0x07E0).u32(0x001F).u16(0xF800).u16(0x07E0);
  EXPECT_EQ(rows(decodeBmp(sixteen.b)), (std::vector<std::uint32_t>{R, G}));
  Buf thirtyTwo = infoHeader(1, 1, 32);
  thirtyTwo.u8({0x30, 0x20, 0x10, 0x99});
  EXPECT_EQ(rows(decodeBmp(thirtyTwo.b)), (std::vector<std::uint32_t>{0x102030}));
}

TEST(BmpDecode, RunLengthEncodings) {
  // RLE8, 6 x 3. Bottom row: run of 2 x index 1, absolute 3 pixels (padded), end of line. Then a
  // delta 2 right and 1 up skips the middle row, a run of 9 is clipped at the right edge.
  Buf rle8 = infoHeader(6, 3, 8, 1, 3).add(palette({K, R, G}));
  rle8.u8({2, 1, 0, 3, 2, 1, 2, 0, 0, 0});
  rle8.u8({0, 2, 2, 1, 9, 2, 0, 1});
  const Image a = decodeBmp(rle8.b);
  EXPECT_EQ(rows(a), (std::vector<std::uint32_t>{K, K, G, G, G, G,  //
                                                 K, K, K, K, K, K,  //
                                                 R, R, G, R, G, K}));

  // RLE4, 6 x 1: run of 3 alternating 1, 2, then absolute 3 pixels (3, 1, 2), end of bitmap.
  Buf rle4 = infoHeader(6, 1, 4, 2, 4).add(palette({K, R, G, B}));
  rle4.u8({3, 0x12, 0, 3, 0x31, 0x20, 0, 1});
  EXPECT_EQ(rows(decodeBmp(rle4.b)), (std::vector<std::uint32_t>{R, G, R, B, R, G}));

  // A stream that stops before its end marker is an error, not a partial picture.
  Buf cut = infoHeader(5, 2, 8, 1, 2).add(palette({K, R}));
  cut.u8({5, 1, 0, 0});
  EXPECT_THROW(decodeBmp(cut.b), std::runtime_error);
}

// A one-image icon file around `image`.
Buf icoFile(std::initializer_list<const Buf*> images) {
  Buf f;
  f.u16(0).u16(1).u16(static_cast<unsigned>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (const Buf* im : images) {
    f.u8({0, 0, 0, 0}).u16(1).u16(8).u32(static_cast<std::uint32_t>(im->b.size())).u32(offset);
    offset += static_cast<std::uint32_t>(im->b.size());
  }
  for (const Buf* im : images) f.add(*im);
  return f;
}

// An 8-bit icon image w x w, every pixel index 1, AND mask from `maskRows` (bottom row first).
Buf icon8(int w, std::uint32_t colour, std::initializer_list<int> maskRows) {
  Buf im = infoHeader(w, 2 * w, 8).add(palette({K, colour}));
  for (int i = 2; i < 256; ++i) im.u32(0);
  for (int y = 0; y < w; ++y) {
    for (int x = 0; x < (w + 3) / 4 * 4; ++x) im.u8({x < w ? 1 : 0});
  }
  for (int m : maskRows) im.u8({m, 0, 0, 0});
  return im;
}

TEST(IcoDecode, MaskSizeChoiceAndBareImage) {
  const Buf small = icon8(2, G, {0b01000000, 0b10000000});
  const Buf large = icon8(4, B, {0, 0, 0, 0b11110000});
  const Image chosen = decodeIco(icoFile({&small, &large}).b, 4);
  EXPECT_EQ(chosen.width, 4);
  EXPECT_EQ(chosen.at(0, 1), B);
  EXPECT_EQ(chosen.mask,
            (std::vector<std::uint8_t>{1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  const Image smallest = decodeIco(icoFile({&large, &small}).b, 1);
  EXPECT_EQ(smallest.width, 2);
  // Top row comes from the last mask row: 10 -> (transparent, opaque); bottom row 01.
  EXPECT_EQ(smallest.mask, (std::vector<std::uint8_t>{1, 0, 0, 1}));
  EXPECT_TRUE(smallest.transparent(0, 0));
  EXPECT_EQ(smallest.at(1, 0), G);

  // A tie in distance goes to the larger image; an RT_ICON resource is the bare image.
  EXPECT_EQ(decodeIco(icoFile({&small, &large}).b, 3).width, 4);
  EXPECT_EQ(decodeIco(small.b).mask, smallest.mask);
}

TEST(IcoDecode, AlphaChannelDecidesTransparencyOfThirtyTwoBitImages) {
  Buf im = infoHeader(2, 4, 32);
  im.u8({0, 0, 255, 255, 0, 255, 0, 0}).u8({255, 0, 0, 200, 0, 0, 0, 100});
  im.u32(0).u32(0);  // AND mask says all opaque, alpha wins
  const Image i = decodeIco(icoFile({&im}).b);
  EXPECT_EQ(i.pixels, (std::vector<std::uint32_t>{B, K, R, G}));
  EXPECT_EQ(i.mask, (std::vector<std::uint8_t>{0, 1, 0, 1}));
}

// GIF pieces: LZW codes packed least significant bit first.
struct CodePacker {
  std::vector<std::uint8_t> out;
  std::uint32_t acc = 0;
  int n = 0;
  void put(int code, int width) {
    acc |= static_cast<std::uint32_t>(code) << n;
    n += width;
    while (n >= 8) {
      out.push_back(static_cast<std::uint8_t>(acc));
      acc >>= 8;
      n -= 8;
    }
  }
  std::vector<std::uint8_t> done() {
    if (n > 0) out.push_back(static_cast<std::uint8_t>(acc));
    return out;
  }
};

// Indices as literal codes (minimum code size 2), with a clear code every two literals so that
// the table never widens the codes beyond 3 bits.
std::vector<std::uint8_t> literalLzw(std::initializer_list<int> indices) {
  CodePacker p;
  int since = 2;
  for (int i : indices) {
    if (since == 2) {
      p.put(4, 3);
      since = 0;
    }
    p.put(i, 3);
    ++since;
  }
  p.put(5, 3);
  return p.done();
}

Buf gifFile(int sw, int sh, bool globalTable, std::vector<Buf> blocks) {
  Buf f;
  f.u8({'G', 'I', 'F', '8', '9', 'a'}).u16(sw).u16(sh).u8({globalTable ? 0x81 : 0, 0, 0});
  if (globalTable) f.u8({0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255});
  for (const Buf& b : blocks) f.add(b);
  return f.u8({0x3B});
}

Buf frame(int x, int y, int w, int h, int flags, const std::vector<std::uint8_t>& lzw,
          Buf localTable = {}) {
  Buf f;
  f.u8({0x2C}).u16(x).u16(y).u16(w).u16(h).u8({flags}).add(localTable).u8({2});
  f.u8({static_cast<int>(lzw.size())});
  f.b.insert(f.b.end(), lzw.begin(), lzw.end());
  return f.u8({0});
}

TEST(GifDecode, TablesTransparencyInterlaceAndPlacement) {
  const Image plain =
      decodeGif(gifFile(2, 2, true, {frame(0, 0, 2, 2, 0, literalLzw({1, 2, 3, 0}))}).b);
  EXPECT_EQ(plain.pixels, (std::vector<std::uint32_t>{R, G, B, K}));
  EXPECT_FALSE(plain.hasMask());

  Buf control;
  control.u8({0x21, 0xF9, 4, 1, 0, 0, 2, 0});  // transparent index 2
  const Image see =
      decodeGif(gifFile(2, 2, true, {control, frame(0, 0, 2, 2, 0, literalLzw({1, 2, 3, 2}))}).b);
  EXPECT_EQ(see.mask, (std::vector<std::uint8_t>{0, 1, 0, 1}));

  // Interlaced 1 x 5: stored rows are 0, 4, 2, 1, 3.
  const Image inter =
      decodeGif(gifFile(1, 5, true, {frame(0, 0, 1, 5, 0x40, literalLzw({0, 1, 2, 3, 0}))}).b);
  EXPECT_EQ(inter.pixels, (std::vector<std::uint32_t>{K, B, G, K, R}));

  // A local table replaces the global one; a frame smaller than the screen leaves the rest
  // transparent.
  Buf local;
  local.u8({255, 255, 255, 1, 2, 3, 0, 0, 0, 0, 0, 0});
  const Image placed =
      decodeGif(gifFile(3, 2, true, {frame(1, 1, 2, 1, 0x81, literalLzw({1, 0}), local)}).b);
  EXPECT_EQ(placed.pixels, (std::vector<std::uint32_t>{K, K, K, K, 0x010203, W}));
  EXPECT_EQ(placed.mask, (std::vector<std::uint8_t>{1, 1, 1, 1, 0, 0}));
}

TEST(GifDecode, StringCodesIncludingTheOneBeingDefined) {
  // Four pixels of index 1: clear, 1, 6 (defined by its own use: "1 1"), 1, end; the end code
  // is read 4 bits wide because entry 7 filled the 3-bit range.
  CodePacker p;
  p.put(4, 3);
  p.put(1, 3);
  p.put(6, 3);
  p.put(1, 3);
  p.put(5, 4);
  const Image i = decodeGif(gifFile(4, 1, true, {frame(0, 0, 4, 1, 0, p.done())}).b);
  EXPECT_EQ(i.pixels, (std::vector<std::uint32_t>(4, R)));
}

TEST(DecodeHostileInput, FailsWithAMessageInsteadOfReadingBeyondTheData) {
  const std::vector<std::uint8_t> empty;
  EXPECT_THROW(decodeBmp(empty), std::runtime_error);
  EXPECT_THROW(decodeIco(empty), std::runtime_error);
  EXPECT_THROW(decodeGif(empty), std::runtime_error);

  EXPECT_THROW(decodeBmp(infoHeader(100000, 1, 24).b), std::runtime_error);  // too wide
  EXPECT_THROW(decodeBmp(infoHeader(0, 1, 24).b), std::runtime_error);
  EXPECT_THROW(decodeBmp(infoHeader(1, 1, 7).b), std::runtime_error);
  EXPECT_THROW(decodeBmp(infoHeader(8000, 8000, 24).b), std::runtime_error);  // no pixel data
  EXPECT_THROW(decodeBmp(infoHeader(4, -4, 8, 1).b), std::runtime_error);     // top-down RLE

  // An icon directory entry that points past the end of the file.
  Buf ico;
  ico.u16(0).u16(1).u16(1).u8({32, 32, 0, 0}).u16(1).u16(8).u32(2000).u32(22);
  EXPECT_THROW(decodeIco(ico.b), std::runtime_error);

  // A code that the table does not hold yet.
  CodePacker p;
  p.put(4, 3);
  p.put(1, 3);
  p.put(7, 3);
  EXPECT_THROW(decodeGif(gifFile(4, 1, true, {frame(0, 0, 4, 1, 0, p.done())}).b),
               std::runtime_error);
  EXPECT_THROW(decodeGif(gifFile(4, 1, true, {}).b), std::runtime_error);  // no image at all
  EXPECT_THROW(decodeGif(gifFile(65535, 65535, true, {frame(0, 0, 65535, 65535, 0, {})}).b),
               std::runtime_error);

  try {
    decodeBmp(infoHeader(40, 40, 24).b);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "BMP: file is truncated");
  }
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every committed picture, cut short at many lengths and with single bytes inverted, either
// decodes or throws; nothing else may happen (run under the sanitizers to see out-of-bounds).
TEST(DecodeHostileInput, TruncatedAndFlippedResourceFilesNeverCrash) {
  const std::filesystem::path root = std::filesystem::path(PETALSTREAM_SOURCE_DIR) / "resources";
  ASSERT_TRUE(std::filesystem::is_directory(root));
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (ext != ".ico" && ext != ".bmp" && ext != ".gif") continue;
    ++files;
    const std::vector<std::uint8_t> original = readFile(entry.path());
    auto decode = [&](const std::vector<std::uint8_t>& bytes) {
      try {
        if (ext == ".ico") (void)decodeIco(bytes);
        if (ext == ".bmp") (void)decodeBmp(bytes);
        if (ext == ".gif") (void)decodeGif(bytes);
      } catch (const std::runtime_error&) {
      }
    };
    // Every position of the headers, then a sample of the rest.
    const std::size_t step = original.size() / 40 + 1;
    for (std::size_t n = 0; n < original.size(); n += n < 80 ? 1 : step) {
      decode(std::vector<std::uint8_t>(original.begin(),
                                       original.begin() + static_cast<std::ptrdiff_t>(n)));
      std::vector<std::uint8_t> flipped = original;
      flipped[n] ^= 0xFF;
      decode(flipped);
      flipped[n] ^= 0x7F;  // a single-bit change of the same byte
      decode(flipped);
    }
  }
  EXPECT_GE(files, 100);
}

}  // namespace
