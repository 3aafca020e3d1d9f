#include "host/allgemein.h"

#include <cmath>

#include "errors/guard.h"
#include "host/process.h"
#include "host/saver.h"

namespace ps::Allgemein {

i16 Zz(i16 lo, i16 hi) {
  i16 result = 0;
  float r = 0;
  i16 k = 0;
  Guard g("Allgemein", "Zz");
  g([&] { r = P().random.nextSingle(); });
  g([&] { k = add16(sub16(hi, lo), 1); });
  g([&] {
    double v = std::floor(static_cast<double>(k) * static_cast<double>(r) + lo);
    result = toI16(static_cast<long long>(v));
  });
  return result;
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
