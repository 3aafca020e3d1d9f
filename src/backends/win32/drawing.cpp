// Drawing: fonts, text onto the system's surfaces through a DIB section, the desktop capture.
#include <algorithm>
#include <cmath>

#include "backends/win32/native.h"

namespace ps::win32 {

namespace {

// A 32-bit top-down DIB section: its pixels are laid out as a Surface's (0x00RRGGBB).
HBITMAP makeDib(HDC dc, int w, int h, u32** bits) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = w;
  bmi.bmiHeader.biHeight = -h;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  HBITMAP b = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &p, nullptr, 0);
  *bits = static_cast<u32*>(p);
  return b;
}

}  // namespace

HFONT Win32Platform::fontHandle(const Font& font, int atDpi) {
  for (const ScreenFont& f : fonts_)
    if (f.font == font && f.dpi == atDpi) return f.handle;
  // Points to pixels at that resolution, fractions kept (9.75 pt is 13 pixels at 96).
  int height = -static_cast<int>(std::lround(font.points * atDpi / 72.0));
  HFONT h = CreateFontW(height, 0, 0, 0, font.weight, font.italic, font.underline, font.strikeout,
                        static_cast<DWORD>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                        DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, widen(font.name).c_str());
  if (!h) h = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  fonts_.push_back({font, atDpi, h});
  return h;
}

// The memory DC that texts are measured and drawn in, with a DIB section of at least w × h.
void Win32Platform::textCanvas(int w, int h) {
  if (!textDc_) {
    textDc_ = CreateCompatibleDC(nullptr);
    SetBkMode(textDc_, TRANSPARENT);
  }
  if (w <= textW_ && h <= textH_) return;
  w = std::max(w, textW_);
  h = std::max(h, textH_);
  u32* bits = nullptr;
  HBITMAP b = makeDib(textDc_, w, h, &bits);
  if (!b) raise(err::kPlatform, "No memory for text");
  HGDIOBJ old = SelectObject(textDc_, b);
  if (textBitmap_) {
    DeleteObject(textBitmap_);
  } else {
    textOldBitmap_ = old;
  }
  textBitmap_ = b;
  textBits_ = bits;
  textW_ = w, textH_ = h;
}

// The system's texts go onto the meadow's surfaces, laid out at 96 dpi whatever the monitor's
// resolution: measured and drawn at it, they scale with the meadow.
int Win32Platform::textWidth(const Font& font, std::string_view text) {
  textCanvas(1, 1);
  SelectObject(textDc_, fontHandle(font, kLayoutDpi));
  std::wstring w = widen(text);
  SIZE s{};
  GetTextExtentPoint32W(textDc_, w.c_str(), static_cast<int>(w.size()), &s);
  return s.cx;
}

int Win32Platform::textHeight(const Font& font, std::string_view text) {
  (void)text;  // one line of the font, whatever it holds
  return lineHeight(font, kLayoutDpi);
}

int Win32Platform::lineHeight(const Font& font, int atDpi) {
  textCanvas(1, 1);
  SelectObject(textDc_, fontHandle(font, atDpi));
  TEXTMETRICW tm{};
  GetTextMetricsW(textDc_, &tm);
  return tm.tmHeight;
}

void Win32Platform::renderText(Surface& target, const Font& font, int atDpi, const Rect& clip,
                               const Rect& box, std::string_view text, u32 rgb, UINT format) {
  Rect area = intersect(clip, target.bounds());
  if (area.empty() || text.empty()) return;
  int w = area.width(), h = area.height();
  textCanvas(w, h);
  // The surface's pixels under the text go into the DIB, GDI draws on them, and what it
  // changed comes back.
  for (int y = 0; y < h; ++y) {
    std::copy_n(target.row(area.top + y) + area.left, w,
                textBits_ + static_cast<size_t>(y) * textW_);
  }
  SelectObject(textDc_, fontHandle(font, atDpi));
  SetTextColor(textDc_, colorRef(rgb));
  RECT r{box.left - area.left, box.top - area.top, box.right - area.left, box.bottom - area.top};
  std::wstring wide = widen(text);
  DrawTextW(textDc_, wide.c_str(), static_cast<int>(wide.size()), &r, format);
  GdiFlush();
  Rect changed{area.right, area.bottom, area.left, area.top};
  for (int y = 0; y < h; ++y) {
    u32* out = target.row(area.top + y) + area.left;
    const u32* in = textBits_ + static_cast<size_t>(y) * textW_;
    for (int x = 0; x < w; ++x) {
      u32 v = in[x] & 0xFFFFFF;
      if (v == out[x]) continue;
      out[x] = v;
      changed.left = std::min(changed.left, area.left + x);
      changed.right = std::max(changed.right, area.left + x + 1);
      changed.top = std::min(changed.top, area.top + y);
      changed.bottom = std::max(changed.bottom, area.top + y + 1);
    }
  }
  if (!changed.empty()) target.markDirty(changed);
}

void Win32Platform::drawText(Surface& target, const Font& font, int x, int y, std::string_view text,
                             u32 rgb, const Rect& clip) {
  int w = textWidth(font, text), h = textHeight(font, text);
  // Glyphs may reach a little beyond their advance (overhangs of bold and italic faces).
  int m = h / 2 + 2;
  Rect box{x, y, x + w, y + h};
  renderText(target, font, kLayoutDpi, intersect(Rect{x - m, y - m, x + w + m, y + h + m}, clip),
             box, text, rgb, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

// The display's pixels from (x, y) of the desktop, through the display driver's DC.
bool Win32Platform::grabDesktop(Surface& target, int x, int y, int w, int h) {
  if (w <= 0 || h <= 0) return false;
  HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  if (!display) return false;
  HDC mem = CreateCompatibleDC(display);
  u32* bits = nullptr;
  HBITMAP dib = mem ? makeDib(mem, w, h, &bits) : nullptr;
  bool ok = false;
  if (dib) {
    HGDIOBJ old = SelectObject(mem, dib);
    ok = BitBlt(mem, 0, 0, w, h, display, x, y, SRCCOPY);
    GdiFlush();
    if (ok) {
      target.resize(w, h);
      for (int y = 0; y < h; ++y) {
        const u32* in = bits + static_cast<size_t>(y) * w;
        std::transform(in, in + w, target.row(y), [](u32 v) { return v & 0xFFFFFF; });
      }
    }
    SelectObject(mem, old);
    DeleteObject(dib);
  }
  if (mem) DeleteDC(mem);
  DeleteDC(display);
  trace("captureDisplay(" + std::to_string(w) + "," + std::to_string(h) +
        ") = " + std::to_string(ok ? 1 : 0));
  return ok;
}

void Win32Platform::snapshotDesktop() {
  if (desktopTaken_) return;
  desktopTaken_ = true;
  // Every monitor: the bounds of them all (systems without several monitors have no virtual
  // screen and report it as empty: the primary screen then).
  int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  desktopOrigin_ = POINT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)};
  if (w <= 0 || h <= 0) {
    SizeF s = screenSize();
    w = static_cast<int>(s.width), h = static_cast<int>(s.height);
    desktopOrigin_ = POINT{0, 0};
  }
  desktopParts_ = monitors().size();
  if (!grabDesktop(desktop_, desktopOrigin_.x, desktopOrigin_.y, w, h)) desktop_.release();
}

// A meadow shown in blocks covers more device pixels of its monitor than it has: the monitor's
// part of the desktop, averaged down to the meadow's size (shown in blocks again, it looks as
// the desktop did, a little softer).
bool Win32Platform::captureDesktop(Surface& target, int x, int y, int w, int h) {
  Rect device{x, y, x + w, y + h};
  for (const Rect& m : monitors())
    if (m.left == x && m.top == y) device = m;
  if (device.width() == w && device.height() == h) return copyDesktop(target, x, y, w, h);
  Surface whole(device.width(), device.height());
  if (!copyDesktop(whole, x, y, whole.width(), whole.height())) return false;
  target.scaleSmooth(whole, whole.bounds(), w, h);
  return true;
}

// The snapshot taken before the meadow covered the screen, if there is one; otherwise the
// display is read now.
bool Win32Platform::copyDesktop(Surface& target, int x, int y, int w, int h) {
  if (desktopTaken_) {
    if (desktop_.empty()) return false;
    Rect r = target.clip(0, 0, w, h);
    target.fillRect(r, 0);
    // The part of the monitor that the taken desktop covers.
    const int sx = x - desktopOrigin_.x, sy = y - desktopOrigin_.y;
    const int left = std::max(0, -sx), top = std::max(0, -sy);
    const int right = std::min(r.width(), desktop_.width() - sx);
    const int bottom = std::min(r.height(), desktop_.height() - sy);
    if (right > left && bottom > top) {
      target.copyFrom(desktop_, left, top, sx + left, sy + top, right - left, bottom - top);
    }
    target.markDirty(r);
    // Each monitor takes its part once and the system keeps its own copy: once every
    // monitor has, the snapshot is let go.
    if (desktopParts_ <= 1) desktop_.release();
    if (desktopParts_ > 0) --desktopParts_;
    return true;
  }
  Surface grabbed;
  if (!grabDesktop(grabbed, x, y, w, h)) return false;
  Rect r = target.clip(0, 0, w, h);
  target.copyFrom(grabbed, 0, 0, 0, 0, r.width(), r.height());
  target.markDirty(r);
  return true;
}

}  // namespace ps::win32
