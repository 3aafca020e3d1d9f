#include "host/allgemein.h"

#include <cmath>

#include "errors/guard.h"
#include "host/process.h"
#include "host/saver.h"

namespace ps::Allgemein {

i16 Zz(i16 lo, i16 hi) {
  return Zz(P().random, lo, hi);
}

i16 Zz(Random& random, i16 lo, i16 hi) {
  // One statement for the error handler: a failing count leaves the result at 0 whether the
  // step is skipped or left, and a retry draws afresh.
  struct {
    i16 lo, hi, result = 0;
  } z{lo, hi};
  Guard g("Allgemein", "Zz");
  g([&z, &random] {
    float r = random.nextSingle();
    i16 k = add16(sub16(z.hi, z.lo), 1);
    double v = std::floor(static_cast<double>(k) * static_cast<double>(r) + z.lo);
    z.result = toI16(static_cast<long long>(v));
  });
  return z.result;
}

void Shutdown() {
  Guard g("Allgemein", "Shutdown", Guard::Mode::SkipSilently);
  Forms& forms = P().forms;
  i16 n = 0;
  g([&] { n = toI16(forms.count()); });
  for (i16 i = sub16(n, 1); i >= 0; --i) {
    g([&] { forms.unload(forms.at(i)); });
  }
  // Files are opened and closed for each write, so there is nothing left open to close.
  bool anyLoaded = false;
  g([&] { anyLoaded = forms.count() > 0; });
  if (anyLoaded) Saver::EndProgram();
}

}  // namespace ps::Allgemein
