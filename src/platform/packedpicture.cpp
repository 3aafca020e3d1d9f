#include "platform/packedpicture.h"

#include <algorithm>

namespace ps {

// The pixels in rows, each one byte code and what it takes:
//   00-3F  the colour in that slot of the 64 last seen (by a hash of the colour)
//   40-7F  the last colour with each of red, green, blue moved by -2 to 1 (2 bits each)
//   80-BF  green moved by -32 to 31 (6 bits); the next byte: red and blue moved by green's
//          move plus -8 to 7 (4 bits each)
//   C0-FB  the last colour again, 1 to 60 times
//   FC     the pixels above, as many as the next byte + 1
//   FD     the pixels above, as many as the next two bytes (low first) + 1
//   FE     a colour: red, green, blue
namespace {

constexpr std::uint8_t kRun = 0xC0, kUpShort = 0xFC, kUpLong = 0xFD, kColour = 0xFE;
constexpr int kMaxRun = 60, kMaxUp = 65536;

int slotOf(u32 c) {
  return static_cast<int>(((c >> 16 & 0xFF) * 3 + (c >> 8 & 0xFF) * 5 + (c & 0xFF) * 7) % 64);
}

// A channel's move from one colour to the next, -128 to 127.
int moved(u32 to, u32 from, int shift) {
  return static_cast<std::int8_t>(static_cast<std::uint8_t>((to >> shift) - (from >> shift)));
}

u32 move(u32 from, int dr, int dg, int db) {
  auto channel = [&](int shift, int d) {
    return static_cast<u32>(static_cast<std::uint8_t>((from >> shift & 0xFF) + d)) << shift;
  };
  return channel(16, dr) | channel(8, dg) | channel(0, db);
}

}  // namespace

void PackedPicture::pack(const Surface& from) {
  w_ = from.width();
  h_ = from.height();
  data_.clear();
  if (empty()) {
    data_.shrink_to_fit();
    return;
  }
  const std::size_t n = static_cast<std::size_t>(w_) * static_cast<std::size_t>(h_);
  const auto w = static_cast<std::size_t>(w_);
  auto px = [&](std::size_t i) { return from.data()[i] & 0xFFFFFFu; };
  u32 seen[64] = {};
  u32 last = 0;
  for (std::size_t i = 0; i < n;) {
    std::size_t run = 0, up = 0;
    while (i + run < n && run < kMaxRun && px(i + run) == last) ++run;
    if (i >= w) {
      while (i + up < n && up < kMaxUp && px(i + up) == px(i + up - w)) ++up;
    }
    if (up >= 3 && up > run) {
      const std::size_t k = up - 1;
      if (k < 256) {
        data_.insert(data_.end(), {kUpShort, static_cast<std::uint8_t>(k)});
      } else {
        data_.insert(data_.end(), {kUpLong, static_cast<std::uint8_t>(k & 0xFF),
                                   static_cast<std::uint8_t>(k >> 8)});
      }
      i += up;
      last = px(i - 1);
      seen[slotOf(last)] = last;
      continue;
    }
    if (run > 0) {
      data_.push_back(static_cast<std::uint8_t>(kRun + run - 1));
      i += run;
      continue;
    }
    const u32 c = px(i++);
    const int slot = slotOf(c);
    const int dr = moved(c, last, 16), dg = moved(c, last, 8), db = moved(c, last, 0);
    if (seen[slot] == c) {
      data_.push_back(static_cast<std::uint8_t>(slot));
    } else if (dr >= -2 && dr <= 1 && dg >= -2 && dg <= 1 && db >= -2 && db <= 1) {
      data_.push_back(static_cast<std::uint8_t>(0x40 | (dr + 2) << 4 | (dg + 2) << 2 | (db + 2)));
    } else if (dg >= -32 && dg <= 31 && dr - dg >= -8 && dr - dg <= 7 && db - dg >= -8 &&
               db - dg <= 7) {
      data_.insert(data_.end(), {static_cast<std::uint8_t>(0x80 | (dg + 32)),
                                 static_cast<std::uint8_t>((dr - dg + 8) << 4 | (db - dg + 8))});
    } else {
      data_.insert(data_.end(), {kColour, static_cast<std::uint8_t>(c >> 16),
                                 static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
    }
    seen[slot] = c;
    last = c;
  }
  data_.shrink_to_fit();
}

void PackedPicture::unpackInto(Surface& target) const {
  if (empty()) return;
  const auto w = static_cast<std::size_t>(w_);
  // Two rows: the one being unpacked and the one above it.
  std::vector<u32> rows(2 * w);
  const int copyW = std::min(w_, target.width()), copyH = std::min(h_, target.height());
  u32 seen[64] = {};
  u32 last = 0;
  std::size_t p = 0;
  const std::size_t size = data_.size();
  int y = 0;
  std::size_t x = 0;
  u32* row = rows.data();
  u32* above = rows.data() + w;
  // Each pixel into the row; a finished row into the target.
  auto put = [&](u32 c) {
    row[x++] = c;
    if (x < w) return;
    if (y < copyH) std::copy(row, row + copyW, target.row(y));
    std::swap(row, above);
    x = 0;
    ++y;
  };
  while (y < h_ && p < size) {
    const std::uint8_t b = data_[p++];
    if (b < 0x40) {
      last = seen[b];
      put(last);
    } else if (b < 0x80) {
      last = move(last, (b >> 4 & 3) - 2, (b >> 2 & 3) - 2, (b & 3) - 2);
      seen[slotOf(last)] = last;
      put(last);
    } else if (b < kRun) {
      if (p >= size) break;
      const int dg = (b & 0x3F) - 32, rest = data_[p++];
      last = move(last, dg + (rest >> 4) - 8, dg, dg + (rest & 15) - 8);
      seen[slotOf(last)] = last;
      put(last);
    } else if (b < kUpShort) {
      for (int k = 0; k <= b - kRun; ++k) put(last);
    } else if (b == kUpShort || b == kUpLong) {
      const std::size_t extra = b == kUpShort ? 1 : 2;
      if (p + extra > size || y == 0) break;
      std::size_t count = data_[p] + (extra == 2 ? std::size_t{data_[p + 1]} << 8 : 0) + 1;
      p += extra;
      for (; count > 0 && y < h_; --count) put(above[x]);
      last = (x == 0 ? above[w - 1] : row[x - 1]);
      seen[slotOf(last)] = last;
    } else if (b == kColour) {
      if (p + 3 > size) break;
      last = u32{data_[p]} << 16 | u32{data_[p + 1]} << 8 | data_[p + 2];
      p += 3;
      seen[slotOf(last)] = last;
      put(last);
    } else {
      break;  // not a code of ours
    }
  }
  target.markDirty(Rect{0, 0, copyW, copyH});
}

}  // namespace ps
