// Counts the allocations of the meadow's ticks after it has settled: there must be none, on the
// ordinary frame path and on the literal one, nor in a guarded step however much it captures.
// Exits 1 (and names the count) otherwise.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "animation/frmMain.h"
#include "errors/guard.h"
#include "headless.h"

namespace {
std::atomic<long long> g_allocations{0};
}

void* operator new(std::size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  return operator new(n);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

// Steps that capture more than a couple of references, as the tick's steps may.
long long guardedStepAllocations() {
  int a = 0, b = 0, c = 0, d = 0;
  ps::Guard g("frmMain", "tmrAnimation_timer");
  long long before = g_allocations;
  for (int t = 0; t < 1000; ++t) {
    g([&a, &b, &c] { a += b + c + 1; });
    g([&a, &b, &c, &d] { d += a - b - c; });
  }
  long long n = g_allocations - before;
  std::printf("guarded steps: %lld allocations in 2000 steps (%d %d)\n", n, a, d);
  return n;
}

int main() {
  using namespace ps;
  int failures = guardedStepAllocations() == 0 ? 0 : 1;
  for (bool literal : {false, true}) try {
      headless::HeadlessPlatform os(headless::sourceResources());
      headless::Meadow meadow(os, 11, 640, 480);
      meadow.main().compositor.setLiteral(literal);
      for (int t = 0; t < 2000; ++t) meadow.tick();
      long long before = g_allocations;
      for (int t = 0; t < 3000; ++t) meadow.tick();
      long long n = g_allocations - before;
      std::printf("%s path: %lld allocations in 3000 ticks\n", literal ? "literal" : "ordinary", n);
      if (n != 0) ++failures;
    } catch (const ProgramEnd& e) {
      std::printf("the meadow ended (code %d)\n", e.code);
      ++failures;
    }
  return failures == 0 ? 0 : 1;
}
