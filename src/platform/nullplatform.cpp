#include "platform/nullplatform.h"

#include <cstdio>
#include <cstring>

#include "platform/forms.h"
#include "platform/pictures.h"
#include "platform/surface.h"

namespace ps {

NullPlatform::NullPlatform(std::string resourceFolder) : resources_(std::move(resourceFolder)) {}

void NullPlatform::resize(Form& form, float w, float h) {
  clients[&form] = SizeF{w, h};
  form.Form_Resize();
}

Hwnd NullPlatform::createWindow(Form& form) {
  clients[&form] = SizeF{form.clientWidthTwips() / tpp, form.clientHeightTwips() / tpp};
  windows[nextHandle_] = &form;
  return nextHandle_++;
}

void NullPlatform::destroyWindow(Form& form) {
  windows.erase(form.hWnd());
  clients.erase(&form);
  shown_.erase(&form);
}

void NullPlatform::showWindow(Form& form) {
  shown_.insert(&form);
  fillMonitor(form);
}

void NullPlatform::maximizeWindow(Form& form) {
  if (shown_.count(&form) != 0) fillMonitor(form);
}

void NullPlatform::fillMonitor(Form& form) {
  if (!form.maximized()) return;
  std::vector<Rect> all = monitors();
  const auto i = static_cast<std::size_t>(form.monitor());
  const Rect& m = all[i < all.size() ? i : 0];
  resize(form, static_cast<float>(m.width()), static_cast<float>(m.height()));
}

std::vector<Rect> NullPlatform::monitors() {
  std::vector<Rect> all{
      Rect{0, 0, static_cast<i32>(screen.width), static_cast<i32>(screen.height)}};
  all.insert(all.end(), otherMonitors.begin(), otherMonitors.end());
  return all;
}

SizeF NullPlatform::clientSize(const Form& form) {
  auto it = clients.find(&form);
  return it == clients.end() ? SizeF{} : it->second;
}

i32 NullPlatform::windowArea(Hwnd hwnd, Rect& rect) {
  auto it = windows.find(hwnd);
  if (it == windows.end()) {
    rect = Rect{};
    return 0;
  }
  SizeF c = clientSize(*it->second);
  rect = Rect{0, 0, static_cast<i32>(c.width), static_cast<i32>(c.height)};
  return 1;
}

void NullPlatform::embedInHost(Hwnd window, Hwnd, i32 width, i32 height) {
  auto it = windows.find(window);
  if (it != windows.end())
    resize(*it->second, static_cast<float>(width), static_cast<float>(height));
}

int NullPlatform::textWidth(const Font&, std::string_view text) {
  return 7 * static_cast<int>(text.size());
}

int NullPlatform::textHeight(const Font&, std::string_view) {
  return 16;
}

void NullPlatform::drawText(Surface& target, const Font&, int x, int y, std::string_view text,
                            u32 rgb, const Rect& clip) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == ' ') continue;
    int cx = x + 7 * static_cast<int>(i);
    Rect box = intersect(target.clip(cx + 1, y + 2, 5, 12), clip);
    for (int yy = box.top; yy < box.bottom; ++yy) {
      for (int xx = box.left; xx < box.right; ++xx) {
        bool edge = yy == y + 2 || yy == y + 13 || xx == cx + 1 || xx == cx + 5;
        bool bit = yy == y + 7 && ((static_cast<unsigned char>(text[i]) >> (xx - cx - 1)) & 1);
        if (edge) {
          target.set(xx, yy, rgb);
        } else if (bit) {
          target.set(xx, yy, ((target.at(xx, yy) >> 1) & 0x7F7F7F) + ((rgb >> 1) & 0x7F7F7F));
        }
      }
    }
  }
}

std::vector<std::uint8_t> NullPlatform::resource(ResourceKind kind, int number) {
  if (resources_.empty()) raise(err::kResourceNotFound);
  return readResourceFile(resources_, kind, number);
}

OsVersion NullPlatform::systemVersion() {
  OsVersion v;
  v.result = 1;
  v.majorVersion = 5;
  v.minorVersion = 1;
  v.buildNumber = 2600;
  v.family = SystemFamily::WindowsNT;
  std::strcpy(v.csdVersion.data(), "Service Pack 2");
  return v;
}

std::string NullPlatform::shortDate(const LocalTime& t) {
  char b[32];
  std::snprintf(b, sizeof b, "%d.%02d.%04d", t.day, t.month, t.year);
  return b;
}

std::string NullPlatform::longTime(const LocalTime& t) {
  char b[32];
  std::snprintf(b, sizeof b, "%d:%02d:%02d", t.hour, t.minute, t.second);
  return b;
}

void NullPlatform::exitProcess(int code) {
  throw ProgramEnd{code};
}

}  // namespace ps
