// A picture kept packed without loss, for whole-screen pictures that are seldom read: a screen's
// large plain areas and repeated rows take next to nothing, and photographs about half their
// size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/surface.h"

namespace ps {

class PackedPicture {
 public:
  // Packs the whole surface.
  void pack(const Surface& from);
  // Puts the picture into the target with its top-left corner at (0, 0), as far as the target
  // reaches; the target's other pixels stay as they are.
  void unpackInto(Surface& target) const;

  int width() const { return w_; }
  int height() const { return h_; }
  bool empty() const { return w_ <= 0 || h_ <= 0; }
  std::size_t bytes() const { return data_.capacity(); }

 private:
  int w_ = 0, h_ = 0;
  std::vector<std::uint8_t> data_;
};

}  // namespace ps
