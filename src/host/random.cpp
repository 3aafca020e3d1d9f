#include "host/random.h"

#include <cstring>

namespace ps {

void Random::seed(std::uint64_t s, std::uint64_t stream) {
  state_ = 0;
  inc_ = ((0xda3e39cb94b95bdbULL + stream) << 1u) | 1u;
  next32();
  state_ += s;
  next32();
}

void Random::seedFromSingle(float s, std::uint64_t stream) {
  std::uint32_t bits;
  std::memcpy(&bits, &s, sizeof bits);
  seed(bits, stream);
}

std::uint32_t Random::next32() {
  std::uint64_t old = state_;
  state_ = old * 6364136223846793005ULL + inc_;
  auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
  auto rot = static_cast<std::uint32_t>(old >> 59u);
  return (xorshifted >> rot) | (xorshifted << ((-rot) & 31u));
}

}  // namespace ps
