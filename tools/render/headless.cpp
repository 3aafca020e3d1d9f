#include "headless.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "animation/frmMain.h"
#include "host/saver.h"
#include "host/settings.h"
#include "platform/pictures.h"
#include "platform/surface.h"

namespace ps::headless {

std::filesystem::path sourceResources() {
  return PETALSTREAM_RESOURCES;
}

HeadlessPlatform::HeadlessPlatform(const std::filesystem::path& resources)
    : NullPlatform(resources.string()) {
  screen = SizeF{1920, 1080};
}

bool HeadlessPlatform::captureDesktop(Surface& target, int, int, int w, int h) {
  Rect all = target.clip(0, 0, w, h);
  target.fillRect(all, 0x3A6EA5);
  // A few windows, each with a title bar, at places that follow the screen's size.
  const Rect windows[] = {{w / 12, h / 10, w / 12 + w / 3, h / 10 + h / 3},
                          {w / 2, h / 5, w / 2 + w / 3, h / 5 + h / 2},
                          {w / 5, h / 2, w / 5 + w / 4, h / 2 + h / 4}};
  for (const Rect& r : windows) {
    target.fillRect(Rect{r.left + 6, r.top + 6, r.right + 6, r.bottom + 6}, 0x2A4E75);
    target.fillRect(r, 0xD4D0C8);
    target.fillRect(Rect{r.left + 3, r.top + 3, r.right - 3, r.top + 22}, 0x0A246A);
    target.fillRect(Rect{r.left + 3, r.top + 25, r.right - 3, r.bottom - 3}, 0xFFFFFF);
  }
  // The task bar.
  target.fillRect(Rect{0, h - 30, w, h}, 0xD4D0C8);
  target.fillRect(Rect{3, h - 26, 60, h - 4}, 0xB0B0A8);
  return true;
}

std::string HeadlessPlatform::GetSetting(const std::string&, const std::string&,
                                         const std::string& key, const std::string& def) {
  auto it = store.find(key);
  return it == store.end() ? def : it->second;
}

void HeadlessPlatform::SaveSetting(const std::string&, const std::string&, const std::string& key,
                                   const std::string& value) {
  store[key] = value;
}

LocalTime HeadlessPlatform::now() {
  long long s = (static_cast<long long>(ticks) - 100000000) / 1000;
  LocalTime t = start;
  long long daySeconds = t.hour * 3600LL + t.minute * 60 + t.second + s;
  t.hour = static_cast<int>((daySeconds / 3600) % 24);
  t.minute = static_cast<int>((daySeconds / 60) % 60);
  t.second = static_cast<int>(daySeconds % 60);
  return t;
}

void HeadlessPlatform::reportFatal(const std::string& message) {
  std::cerr << message << '\n';
}

void HeadlessPlatform::appendToFile(const std::string&, std::string_view bytes, bool) {
  std::cerr.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Meadow::Meadow(HeadlessPlatform& os, std::uint64_t seed, int width, int height)
    : os_(os), process_(std::make_unique<Process>(os)) {
  Process& p = *process_;
  Saver::LoadConfig();
  p.random.seed(seed);
  frmMain& m = p.main();
  p.forms.load(m);
  os.resize(m, static_cast<float>(width), static_cast<float>(height));
}

Meadow::~Meadow() = default;

frmMain& Meadow::main() {
  return process_->main();
}

void Meadow::tick() {
  frmMain& m = main();
  os_.ticks += static_cast<u32>(m.tmrAnimation.interval());
  m.tmrAnimation_Timer();
  ++ticks_;
}

}  // namespace ps::headless
