#include "fake/fake_platform.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "host/saver.h"
#include "platform/pictures.h"

namespace ps::fake {

std::string storeKey(const std::string& key) {
  return "PetalStream/Settings/" + key;
}

FakePlatform::FakePlatform()
    : NullPlatform(std::string(PETALSTREAM_SOURCE_DIR) + "/resources"),
      version(NullPlatform::systemVersion()) {}

int FakePlatform::count(const std::string& call) const {
  return static_cast<int>(std::count(calls.begin(), calls.end(), call));
}

std::vector<std::string> FakePlatform::only(std::initializer_list<std::string> prefixes) const {
  std::vector<std::string> r;
  for (const auto& c : calls) {
    for (const auto& p : prefixes) {
      if (c.rfind(p, 0) == 0) {
        r.push_back(c);
        break;
      }
    }
  }
  return r;
}

Hwnd FakePlatform::createWindow(Form& form) {
  log("createWindow(" + form.name() + ")");
  return NullPlatform::createWindow(form);
}

void FakePlatform::destroyWindow(Form& form) {
  NullPlatform::destroyWindow(form);
  timers.erase(&form);
  log("destroyWindow(" + form.name() + ")");
}

void FakePlatform::showWindow(Form& form) {
  log("showWindow(" + form.name() + ")");
  NullPlatform::showWindow(form);
}

bool FakePlatform::showModal(Form& form) {
  log("showModal(" + form.name() + ")");
  return modal ? modal(form) : false;
}

void FakePlatform::hideWindow(Form& form) {
  log("hideWindow(" + form.name() + ")");
  NullPlatform::hideWindow(form);
}

void FakePlatform::maximizeWindow(Form& form) {
  log("maximizeWindow(" + form.name() + ")");
  NullPlatform::maximizeWindow(form);
}

void FakePlatform::formChanged(Form& form) {
  clients[&form] = SizeF{form.clientWidthTwips() / tpp, form.clientHeightTwips() / tpp};
}

void FakePlatform::resize(Form& form, float w, float h) {
  clients[&form] = SizeF{w, h};
  Saver::deliver([&] { form.Form_Resize(); });
}

void FakePlatform::setTimer(Form& form, i32 intervalMs, bool enabled) {
  timers[&form] = {intervalMs, enabled};
}

void FakePlatform::present(Form&, const Surface&, std::span<const Rect> dirty) {
  ++presents;
  lastRects.assign(dirty.begin(), dirty.end());
  lastDirty = Rect{};
  for (const Rect& r : dirty) lastDirty = unite(lastDirty, r);
}

void FakePlatform::quit() {
  quitRequested = true;
  log("quit");
}

i32 FakePlatform::windowArea(Hwnd hwnd, Rect& rect) {
  log("windowArea(" + std::to_string(hwnd) + ")");
  auto it = windows.find(hwnd);
  if (it == windows.end()) {
    // Foreign host windows of the tests: 152 × 112, as a control panel's preview area.
    rect = hwnd == 0 ? Rect{} : Rect{0, 0, 152, 112};
    return hwnd == 0 ? 0 : 1;
  }
  return NullPlatform::windowArea(hwnd, rect);
}

void FakePlatform::embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) {
  log("embedInHost(" + std::to_string(window) + "," + std::to_string(host) + "," +
      std::to_string(width) + "x" + std::to_string(height) + ")");
  NullPlatform::embedInHost(window, host, width, height);
}

i32 FakePlatform::stackWindow(Hwnd window, Stacking stacking, bool activate) {
  const char* how = stacking == Stacking::TopMost      ? "topmost"
                    : stacking == Stacking::NotTopMost ? "not topmost"
                                                       : "top";
  log("stackWindow(" + std::to_string(window) + "," + how + (activate ? ",activate" : "") + ")");
  return NullPlatform::stackWindow(window, stacking, activate);
}

void FakePlatform::drawText(Surface& target, const Font& font, int x, int y, std::string_view text,
                            u32 rgb, const Rect& clip) {
  textsDrawn.emplace_back(text);
  NullPlatform::drawText(target, font, x, y, text, rgb, clip);
}

u32 FakePlatform::desktopPixel(int x, int y) {
  return static_cast<u32>(((x * 3) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | 0x40);
}

bool FakePlatform::captureDesktop(Surface& target, int x0, int y0, int w, int h) {
  log("captureDesktop(" +
      (x0 == 0 && y0 == 0 ? "" : std::to_string(x0) + "," + std::to_string(y0) + ",") +
      std::to_string(w) + "," + std::to_string(h) + ")");
  if (desktopFails) return false;
  Rect r = target.clip(0, 0, w, h);
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) target.set(x, y, desktopPixel(x0 + x, y0 + y));
  return true;
}

std::vector<std::uint8_t> FakePlatform::resource(ResourceKind kind, int number) {
  auto key = std::make_pair(static_cast<int>(kind), number);
  if (missingResources.count(key)) raise(err::kResourceNotFound);
  auto it = resourceOverrides.find(key);
  if (it != resourceOverrides.end()) return it->second;
  return NullPlatform::resource(kind, number);
}

std::string FakePlatform::GetSetting(const std::string& app, const std::string& section,
                                     const std::string& key, const std::string& def) {
  log("GetSetting(" + key + ")");
  if (failingReads.count(key) && failingReadsLeft != 0) {
    if (failingReadsLeft > 0) --failingReadsLeft;
    raise(err::kPlatform, "The settings store cannot be read");
  }
  auto it = store.find(app + "/" + section + "/" + key);
  return it == store.end() ? def : it->second;
}

void FakePlatform::SaveSetting(const std::string& app, const std::string& section,
                               const std::string& key, const std::string& value) {
  log("SaveSetting(" + key + "," + value + ")");
  if (storeWritesFail) raise(err::kPlatform, "The settings store cannot be written");
  store[app + "/" + section + "/" + key] = value;
}

namespace {
std::string onOff(bool on) {
  return on ? "true" : "false";
}
}  // namespace

i32 FakePlatform::setScreenSaverActive(bool active) {
  log("setScreenSaverActive(" + onOff(active) + ")");
  screenSaveActive = active;
  return 1;
}

i32 FakePlatform::setScreenSaverRunning(bool running) {
  log("setScreenSaverRunning(" + onOff(running) + ")");
  screenSaverRunning = running;
  return 1;
}

i32 FakePlatform::showPointer(bool show) {
  log("showPointer(" + onOff(show) + ")");
  cursorCount += show ? 1 : -1;
  return cursorCount;
}

OsVersion FakePlatform::systemVersion() {
  log("systemVersion");
  return version;
}

void FakePlatform::openAddress(Hwnd owner, const std::string& address) {
  log("openAddress(" + std::to_string(owner) + "," + address + ")");
  shellOpened.push_back(address);
}

i32 FakePlatform::verifyPassword(Hwnd hwnd) {
  log("verifyPassword(" + std::to_string(hwnd) + ")");
  if (verifyFails) raise(err::kFileNotFound, "File not found: password.cpl");
  if (verifyAnswers.empty()) return 1;
  i32 a = verifyAnswers.front();
  verifyAnswers.erase(verifyAnswers.begin());
  return a;
}

void FakePlatform::changePassword(Hwnd hwnd) {
  log("changePassword(" + std::to_string(hwnd) + ")");
}

std::string FakePlatform::toSystemCodePage(std::string_view utf8) {
  // Western code page: two-byte sequences of Latin-1 letters become one byte.
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      out += static_cast<char>(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

void FakePlatform::reportFatal(const std::string& message) {
  log("reportFatal");
  fatal.push_back(message);
}

void FakePlatform::exitProcess(int code) {
  log("exitProcess(" + std::to_string(code) + ")");
  NullPlatform::exitProcess(code);
}

void FakePlatform::appendToFile(const std::string& path, std::string_view bytes, bool) {
  log("appendToFile(" + path + ")");
  for (const auto& folder : unwritableFolders) {
    if (path.rfind(folder, 0) == 0) raise(err::kFileAccess);
  }
  files[path] += bytes;
}

GermanLocale::GermanLocale() {
  previous_ = std::setlocale(LC_ALL, nullptr);
  // glibc's name (scripts/install-deps.sh generates it), then the C runtimes' of Windows.
  for (const char* name : {"de_DE.UTF-8", "German_Germany.1252", "de-DE"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      active = std::strcmp(std::localeconv()->decimal_point, ",") == 0;
      if (active) return;
    }
  }
  std::setlocale(LC_ALL, previous_.c_str());
}

GermanLocale::~GermanLocale() {
  std::setlocale(LC_ALL, previous_.c_str());
}

bool endsProgram(const std::function<void()>& f) {
  try {
    Saver::deliver(f);
  } catch (const ProgramEnd&) {
    return true;
  }
  return false;
}

}  // namespace ps::fake
