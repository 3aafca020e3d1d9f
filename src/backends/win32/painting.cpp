// Painting: a window's surface or its composed dialog face, owner-drawn buttons, and the
// frames the system presents.
#include <algorithm>

#include "backends/win32/native.h"
#include "host/process.h"
#include "platform/pictures.h"

namespace ps::win32 {

namespace {

// Shows a surface's rectangle at the same place of a device context.
void blit(HDC dc, const Surface& s, Rect r) {
  r = intersect(r, s.bounds());
  if (r.empty()) return;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = s.width();
  bmi.bmiHeader.biHeight = -r.height();  // top-down: the first row is r.top
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.width()),
                    static_cast<DWORD>(r.height()), r.left, 0, 0, static_cast<UINT>(r.height()),
                    s.row(r.top), &bmi, DIB_RGB_COLORS);
}

Rect toRect(const RECT& r) {
  return Rect{r.left, r.top, r.right, r.bottom};
}

}  // namespace

// ---- pictures ----

const Image* Win32Platform::picture(NativeForm& nf, const Control& c) {
  if (c.pictureId() == 0) return nullptr;
  auto key = std::make_pair(static_cast<int>(c.pictureKind()), c.pictureId());
  auto it = nf.pictures.find(key);
  if (it == nf.pictures.end()) {
    Image img;
    try {
      img = loadPicture(platform(), c.pictureKind(), c.pictureId());
    } catch (const Failure&) {
      // Painting goes on without a picture that cannot be had; nothing to report here.
    }
    it = nf.pictures.emplace(key, std::move(img)).first;
  }
  return it->second.empty() ? nullptr : &it->second;
}

// A picture as an icon for DrawIconEx: the colours plus the picture's mask.
HICON Win32Platform::icon(NativeForm& nf, const Control& c) {
  auto key = std::make_pair(static_cast<int>(c.pictureKind()), c.pictureId());
  if (auto it = nf.icons.find(key); it != nf.icons.end()) return it->second;
  HICON result = nullptr;
  if (const Image* img = picture(nf, c)) {
    BITMAPINFO bmi{};
    bmi.bmiHeader = {
        sizeof(BITMAPINFOHEADER), img->width, -img->height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP color = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    // The mask: one bit per pixel, rows padded to 16 bits, set where the picture is clear.
    int stride = ((img->width + 15) / 16) * 2;
    std::vector<BYTE> maskBits(static_cast<size_t>(stride) * img->height, 0);
    if (color && bits) {
      auto* px = static_cast<u32*>(bits);
      for (int y = 0; y < img->height; ++y) {
        for (int x = 0; x < img->width; ++x) {
          bool clear = img->transparent(x, y);
          px[static_cast<size_t>(y) * img->width + x] = clear ? 0 : (img->at(x, y) & 0xFFFFFF);
          if (clear) maskBits[static_cast<size_t>(y) * stride + x / 8] |= 0x80 >> (x % 8);
        }
      }
      HBITMAP mask = CreateBitmap(img->width, img->height, 1, 1, maskBits.data());
      ICONINFO ii{TRUE, 0, 0, mask, color};
      result = CreateIconIndirect(&ii);
      DeleteObject(mask);
    }
    if (color) DeleteObject(color);
  }
  nf.icons[key] = result;
  return result;
}

// ---- painting ----

void Win32Platform::paint(NativeForm& nf) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(nf.hwnd, &ps);
  if (const Surface* s = nf.form->windowSurface(); s && scaleOf(nf) != 1) {
    // A meadow shown in blocks: its device picture covers the window.
    scaleUp(nf, *s, {});
    blit(dc, nf.device, toRect(ps.rcPaint));
  } else if (s) {
    // What the window shows lives in its surface; beyond it lies the back colour.
    blit(dc, *s, toRect(ps.rcPaint));
    HBRUSH b = brush(nf.form->backColor());
    if (ps.rcPaint.right > s->width()) {
      RECT r{std::max<LONG>(ps.rcPaint.left, s->width()), ps.rcPaint.top, ps.rcPaint.right,
             ps.rcPaint.bottom};
      FillRect(dc, &r, b);
    }
    if (ps.rcPaint.bottom > s->height()) {
      RECT r{ps.rcPaint.left, std::max<LONG>(ps.rcPaint.top, s->height()), ps.rcPaint.right,
             ps.rcPaint.bottom};
      FillRect(dc, &r, b);
    }
  } else {
    composeDialog(nf, ps.rcPaint);
    blit(dc, nf.canvas, toRect(ps.rcPaint));
  }
  EndPaint(nf.hwnd, &ps);
}

// The client area of a window without a surface of its own: the back colour, then the
// windowless controls in the model's order (later ones on top). The native controls paint
// themselves over it.
void Win32Platform::composeDialog(NativeForm& nf, const RECT& area) {
  RECT client{};
  ::GetClientRect(nf.hwnd, &client);
  Surface& canvas = nf.canvas;
  canvas.setSize(client.right, client.bottom);
  Rect dirty = intersect(toRect(area), canvas.bounds());
  canvas.fillRect(dirty, nf.form->backColor());
  for (auto& ncp : nf.controls) {
    NativeControl& nc = *ncp;
    Control& c = *nc.control;
    if (nc.hwnd || c.kind() == ControlKind::Timer || !effectivelyVisible(c)) continue;
    Rect r = toRect(controlRect(c));
    if (intersect(r, dirty).empty()) continue;
    if (c.kind() == ControlKind::Image) {
      if (const Image* img = picture(nf, c)) {
        if (c.stretch()) {
          canvas.drawImage(*img, r.left, r.top, r.width(), r.height());
        } else {
          canvas.drawImage(*img, r.left, r.top, img->width, img->height);
        }
      }
      continue;
    }
    if (c.backOpaque()) canvas.fillRect(intersect(r, dirty), c.backColor());
    // Words wrap where the label holds more than one line; a one-line label shows what
    // fits of its line rather than a first word above a cut-off second line.
    UINT format = r.height() >= 2 * lineHeight(c.font(), dpi()) ? DT_WORDBREAK : DT_SINGLELINE;
    format |= c.alignment() == 1 ? DT_RIGHT : c.alignment() == 2 ? DT_CENTER : DT_LEFT;
    u32 color = c.foreColor();
    if (!c.enabled()) {
      COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
      color = u32{GetRValue(grey)} << 16 | u32{GetGValue(grey)} << 8 | GetBValue(grey);
    }
    renderText(canvas, c.font(), dpi(), intersect(r, dirty), r, c.caption(), color, format);
  }
}

// Buttons are drawn by the window: a raised face, the picture centred above the caption.
void Win32Platform::drawButton(NativeForm& nf, const DRAWITEMSTRUCT& di) {
  NativeControl* nc = nf.byHwnd(di.hwndItem);
  if (!nc) return;
  Control& c = *nc->control;
  HDC dc = di.hDC;
  RECT rc = di.rcItem;
  bool pushed = di.itemState & ODS_SELECTED;
  bool disabled = di.itemState & ODS_DISABLED;
  FillRect(dc, &rc, brush(c.backColor()));
  DrawEdge(dc, &rc, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  int shift = pushed ? 1 : 0;
  HGDIOBJ oldFont = SelectObject(dc, fontHandle(c.font(), dpi()));
  std::wstring text = widen(c.caption());
  RECT textBox{rc.left + 4, 0, rc.right - 4, 0};
  DrawTextW(dc, text.c_str(), -1, &textBox, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
  int textH = textBox.bottom - textBox.top;
  int iconSize = MulDiv(32, dpi(), 96);
  HICON ic = c.pictureId() ? icon(nf, c) : nullptr;
  int total = textH + (ic ? iconSize + 4 : 0);
  int top = rc.top + ((rc.bottom - rc.top) - total) / 2 + shift;
  if (ic) {
    int x = rc.left + ((rc.right - rc.left) - iconSize) / 2 + shift;
    DrawIconEx(dc, x, top, ic, iconSize, iconSize, 0, nullptr, DI_NORMAL);
    top += iconSize + 4;
  }
  RECT textRect{rc.left + 4 + shift, top, rc.right - 4 + shift, top + textH};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : colorRef(c.foreColor()));
  DrawTextW(dc, text.c_str(), -1, &textRect, DT_WORDBREAK | DT_CENTER);
  SelectObject(dc, oldFont);
  if ((di.itemState & ODS_FOCUS) && !(di.itemState & ODS_NOFOCUSRECT)) {
    RECT f = rc;
    InflateRect(&f, -4, -4);
    DrawFocusRect(dc, &f);
  }
}

void Win32Platform::present(Form& form, const Surface& surface, std::span<const Rect> dirty) {
  NativeForm* nf = find(form);
  if (!nf) return;
  if (hosted_.count(nf->hwnd)) {
    trace("present(" + form.name() + "," + std::to_string(surface.width()) + "x" +
          std::to_string(surface.height()) + ")");
    tracePicture(form.name(), surface);
  }
  const bool scaled = scaleOf(*nf) != 1;
  if (!scaled && !nf->device.empty()) {
    nf->device.release();  // back at 96 dpi: the device picture is no longer needed
    nf->blocks = BlockScale{};
  }
  // Shown from the surface when it appears; a meadow shown in blocks keeps its device picture
  // up to date meanwhile, for that.
  if (!scaled && !IsWindowVisible(nf->hwnd)) return;
  // Each blit costs a call into the system: a few tile-aligned rectangles rather than every
  // small one.
  nf->tiles.resize(surface.width(), surface.height());
  for (const Rect& r : dirty) nf->tiles.add(r);
  const std::span<const Rect> tiles = nf->tiles.rects();
  const bool whole = scaled && scaleUp(*nf, surface, tiles);
  if (IsWindowVisible(nf->hwnd)) {
    HDC dc = GetDC(nf->hwnd);
    if (whole) {
      blit(dc, nf->device, nf->device.bounds());
    } else {
      for (const Rect& r : tiles) {
        if (scaled) {
          blit(dc, nf->device, nf->blocks.deviceRect(r));
        } else {
          blit(dc, surface, r);
        }
      }
    }
    ReleaseDC(nf->hwnd, dc);
  }
  nf->tiles.clear();
}

// Each device pixel shows the surface's pixel under its centre (BlockScale): at 200 % a crisp
// 2 × 2 block, at 125 % and 150 % blocks of one or two pixels a side over the exact size, so
// the meadow fills every pixel of its monitor. A frame's changes cost their device pixels once
// more (four times the surface's at 200 %), and the picture a surface at the device's size.
bool Win32Platform::scaleUp(NativeForm& nf, const Surface& surface, std::span<const Rect> dirty) {
  RECT client{};
  ::GetClientRect(nf.hwnd, &client);
  if (nf.blocks.resize(surface.width(), surface.height(), client.right, client.bottom,
                       scaleOf(nf))) {
    nf.device.resize(client.right, client.bottom);
    nf.blocks.fill(surface, nf.device.bounds(), nf.device.data(),
                   static_cast<std::size_t>(nf.device.width()));
    return true;
  }
  for (const Rect& r : dirty) {
    nf.blocks.fill(surface, nf.blocks.deviceRect(r), nf.device.data(),
                   static_cast<std::size_t>(nf.device.width()));
  }
  return false;
}

}  // namespace ps::win32
