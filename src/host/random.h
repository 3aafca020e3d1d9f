// The process-wide random sequence behind Zz.
#pragma once

#include <cstdint>

namespace ps {

// PCG32 (O'Neill): small, fast, statistically sound, reproducible across compilers.
class Random {
 public:
  // Stream 0 is the process's own sequence; other streams give independent sequences from the
  // same seed.
  void seed(std::uint64_t s, std::uint64_t stream = 0);
  // Seeds from a single-precision value such as the seconds since midnight with fraction.
  void seedFromSingle(float s, std::uint64_t stream = 0);
  std::uint32_t next32();
  // Uniform on [0, 1), in single precision: 24 random bits.
  float nextSingle() { return static_cast<float>(next32() >> 8) * (1.0f / 16777216.0f); }

 private:
  std::uint64_t state_ = 0x853c49e6748fea9bULL;
  std::uint64_t inc_ = 0xda3e39cb94b95bdbULL;
};

}  // namespace ps
