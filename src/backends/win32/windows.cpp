// Windowing: native windows for the system's windows, their controls, painting, timers and the
// event loop.
#include <algorithm>
#include <cmath>

#include "backends/win32/platform.h"
#include "host/process.h"
#include "host/saver.h"
#include "platform/pictures.h"
// After the system's headers (see util.h).
#include <commctrl.h>
#include <mmsystem.h>
#include <windowsx.h>

namespace ps::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"PetalStreamForm";
constexpr UINT kTickMessage = WM_APP + 1;
constexpr UINT_PTR kFallbackTimer = 1;
constexpr int kFirstControlId = 1000;
constexpr UINT kHostCheckMs = 500;

Win32Platform* g_self = nullptr;

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

i16 shiftState() {
  return static_cast<i16>((GetKeyState(VK_SHIFT) < 0 ? 1 : 0) |
                          (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                          (GetKeyState(VK_MENU) < 0 ? 4 : 0));
}

i16 mouseButtons(WPARAM wp) {
  return static_cast<i16>((wp & MK_LBUTTON ? 1 : 0) | (wp & MK_RBUTTON ? 2 : 0) |
                          (wp & MK_MBUTTON ? 4 : 0));
}

bool windowless(ControlKind k) {
  return k == ControlKind::Label || k == ControlKind::Image || k == ControlKind::Timer;
}

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

// The periodic tick of a window's timer. The multimedia timer keeps the interval (a plain
// SetTimer rounds 20 ms up to the 15.6 ms clock, i.e. 31 ms); its callback runs on another
// thread and only posts a message. At most one tick waits in the queue, so a slow frame never
// piles ticks up and input still gets its turn between them.
struct Tick {
  HWND hwnd = nullptr;
  unsigned generation = 0;
  std::atomic<bool> pending{false};
  UINT id = 0;
  bool fallback = false;
};

namespace {
void CALLBACK tickProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* t = reinterpret_cast<Tick*>(user);
  if (t->pending.exchange(true)) return;
  if (!PostMessageW(t->hwnd, kTickMessage, t->generation, 0)) t->pending = false;
}
}  // namespace

struct Win32Platform::NativeControl {
  Control* control = nullptr;
  HWND hwnd = nullptr;  // null for the windowless kinds (labels, images, timers)
  int id = 0;
  // What the native side shows, to touch it only where the model changed.
  RECT rect{};
  bool visible = false, enabled = true;
  std::string caption;
  Font font;
  bool hasFont = false;
  i16 value = 0, min = 0, max = 0;
  bool hasValue = false;
  u32 fore = 0, back = 0;
  int picture = 0;
  RECT painted{};  // windowless: where it was drawn last
};

struct Win32Platform::NativeForm {
  Form* form = nullptr;
  HWND hwnd = nullptr;
  bool ready = false;       // created: native events now reach the system
  bool destroying = false;  // the native window is going away
  bool destroyedOutside = false;
  bool maximized = false;
  std::vector<std::unique_ptr<NativeControl>> controls;  // in the model's order
  bool hasNative = false;                                // any native child control
  std::string caption;
  float left = 0, top = 0, width = 0, height = 0;
  std::unique_ptr<Tick> tick;
  i32 interval = 0;
  std::map<std::pair<int, int>, Image> pictures;
  std::map<std::pair<int, int>, HICON> icons;
  Surface canvas;    // the composed client area of a dialog
  TileRegion tiles;  // a frame's rectangles gathered into a few blits
  NativeControl* pressed = nullptr;
  bool leftDown = false;
  HWND lastFocus = nullptr;  // the control that had the focus when the window was left
  bool modal = false;        // shown by showModal, which disabled the other windows
  HWND modalOwner = nullptr;
  std::vector<HWND> modalDisabled;

  NativeControl* byControl(const Control* c) {
    for (auto& nc : controls)
      if (nc->control == c) return nc.get();
    return nullptr;
  }
  NativeControl* byHwnd(HWND h) {
    if (!h) return nullptr;
    for (auto& nc : controls)
      if (nc->hwnd == h) return nc.get();
    return nullptr;
  }
};

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) {
  g_self = this;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = windowProc;
  wc.hInstance = instance_;
  wc.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(1));
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kFormClass;
  RegisterClassExW(&wc);
}

Win32Platform::~Win32Platform() {
  // Windows still open at the end (the hidden report) go without events: the system's
  // objects behind them are gone already.
  for (auto& [form, nf] : forms_) {
    killTimer(*nf);
    if (nf->hwnd) {
      SetWindowLongPtrW(nf->hwnd, GWLP_USERDATA, 0);
      DestroyWindow(nf->hwnd);
    }
  }
  if (watchTimer_) KillTimer(nullptr, watchTimer_);
  for (const ScreenFont& f : fonts_) DeleteObject(f.handle);
  for (auto& [c, b] : brushes_) DeleteObject(b);
  if (textDc_) {
    SelectObject(textDc_, textOldBitmap_);
    DeleteObject(textBitmap_);
    DeleteDC(textDc_);
  }
  g_self = nullptr;
}

Win32Platform::NativeForm* Win32Platform::find(const Form& form) const {
  auto it = forms_.find(&form);
  return it == forms_.end() ? nullptr : it->second.get();
}

Win32Platform::NativeForm* Win32Platform::find(HWND hwnd) const {
  if (!hwnd) return nullptr;
  for (auto& [f, nf] : forms_)
    if (nf->hwnd == hwnd) return nf.get();
  return nullptr;
}

int Win32Platform::dpi() {
  if (dpi_ == 0) {
    HDC screen = GetDC(nullptr);
    dpi_ = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    if (dpi_ <= 0) dpi_ = 96;
  }
  return dpi_;
}

float Win32Platform::twipsPerPixel() {
  return 1440.0f / static_cast<float>(dpi());
}

int Win32Platform::pixels(double twips) {
  // At the screen's resolution, as fonts are scaled: whole twips per pixel would shrink the
  // windows against their texts where 1440 / dpi is no whole number (7.5 at 192 dpi).
  return static_cast<int>(std::lround(twips * dpi() / 1440.0));
}

namespace {
struct MonitorList {
  std::vector<Rect> rects;
  static BOOL CALLBACK add(HMONITOR, HDC, LPRECT r, LPARAM data) {
    auto* list = reinterpret_cast<MonitorList*>(data);
    Rect m{r->left, r->top, r->right, r->bottom};
    // The primary monitor holds the desktop's origin.
    if (m.left == 0 && m.top == 0) {
      list->rects.insert(list->rects.begin(), m);
    } else {
      list->rects.push_back(m);
    }
    return TRUE;
  }
};
}  // namespace

std::vector<Rect> Win32Platform::monitors() {
  // Looked up at run time: Windows 95 and NT 4 know only one screen.
  using Enum = BOOL(WINAPI*)(HDC, LPCRECT, MONITORENUMPROC, LPARAM);
  static const auto enumerate = reinterpret_cast<Enum>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("user32.dll"), "EnumDisplayMonitors")));
  MonitorList list;
  if (enumerate) enumerate(nullptr, nullptr, &MonitorList::add, reinterpret_cast<LPARAM>(&list));
  if (list.rects.empty()) {
    SizeF s = screenSize();
    list.rects.push_back(Rect{0, 0, static_cast<i32>(s.width), static_cast<i32>(s.height)});
  }
  return list.rects;
}

SizeF Win32Platform::screenSize() {
  return SizeF{static_cast<float>(GetSystemMetrics(SM_CXSCREEN)),
               static_cast<float>(GetSystemMetrics(SM_CYSCREEN))};
}

SizeF Win32Platform::clientSize(const Form& form) {
  NativeForm* nf = find(form);
  RECT r{};
  if (!nf || !::GetClientRect(nf->hwnd, &r)) {
    return SizeF{static_cast<float>(pixels(form.clientWidthTwips())),
                 static_cast<float>(pixels(form.clientHeightTwips()))};
  }
  return SizeF{static_cast<float>(r.right), static_cast<float>(r.bottom)};
}

HBRUSH Win32Platform::brush(u32 rgb) {
  auto it = brushes_.find(rgb);
  if (it != brushes_.end()) return it->second;
  HBRUSH b = CreateSolidBrush(colorRef(rgb));
  brushes_[rgb] = b;
  return b;
}

// ---- windows ----

Hwnd Win32Platform::createWindow(Form& form) {
  auto nf = std::make_unique<NativeForm>();
  nf->form = &form;
  nf->caption = form.caption();
  DWORD style =
      form.borderless() ? WS_POPUP : (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
  HWND h = CreateWindowExW(0, kFormClass, widen(form.caption()).c_str(), style | WS_CLIPSIBLINGS, 0,
                           0, 0, 0, nullptr, nullptr, instance_, nf.get());
  if (!h) raise(err::kPlatform, "The window " + form.name() + " cannot be created");
  NativeForm& ref = *nf;
  forms_[&form] = std::move(nf);
  placeWindow(ref, true);
  createControls(ref);
  ref.ready = true;
  trace("createWindow(" + form.name() + ")");
  return fromHwnd(h);
}

void Win32Platform::destroyWindow(Form& form) {
  NativeForm* nf = find(form);
  if (!nf) return;
  nf->destroying = true;
  endModal(*nf);
  killTimer(*nf);
  hosted_.erase(nf->hwnd);
  for (auto& [key, ic] : nf->icons) DestroyIcon(ic);
  nf->icons.clear();
  if (!nf->destroyedOutside && IsWindow(nf->hwnd)) DestroyWindow(nf->hwnd);
  trace("destroyWindow(" + form.name() + ")");
  // A window procedure of this window may still be running: release it once none is.
  auto it = forms_.find(&form);
  released_.push_back(std::move(it->second));
  forms_.erase(it);
}

// The window's place from the model: outer position and size in twips; a bordered window's
// client area is the model's client size.
void Win32Platform::placeWindow(NativeForm& nf, bool force) {
  Form& f = *nf.form;
  if (!force && nf.left == f.left() && nf.top == f.top() && nf.width == f.width() &&
      nf.height == f.height()) {
    return;
  }
  nf.left = f.left(), nf.top = f.top(), nf.width = f.width(), nf.height = f.height();
  LONG style = ::GetWindowLongW(nf.hwnd, GWL_STYLE);
  if (nf.maximized || (style & WS_CHILD)) return;
  RECT r{0, 0, pixels(f.clientWidthTwips()), pixels(f.clientHeightTwips())};
  if (!f.borderless()) AdjustWindowRectEx(&r, static_cast<DWORD>(style), FALSE, 0);
  int w = r.right - r.left, h = r.bottom - r.top;
  int x = pixels(f.left());
  int y = pixels(f.top());
  ::SetWindowPos(nf.hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32Platform::fillsScreen(const NativeForm& nf) {
  return nf.maximized && nf.form->borderless();
}

bool Win32Platform::screenCovered() const {
  for (const auto& [f, nf] : forms_) {
    if (fillsScreen(*nf)) return true;
  }
  return false;
}

void Win32Platform::fillScreen(NativeForm& nf, UINT flags) {
  if (nf.form->borderless()) {
    Rect m{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (nf.form->monitor() != 0) {
      std::vector<Rect> all = monitors();
      const auto i = static_cast<std::size_t>(nf.form->monitor());
      if (i < all.size()) m = all[i];
      flags |= SWP_NOACTIVATE;  // the primary monitor's window keeps the keyboard
    }
    ::SetWindowPos(nf.hwnd, nullptr, m.left, m.top, m.width(), m.height(), SWP_NOZORDER | flags);
  } else {
    ShowWindow(nf.hwnd, (flags & SWP_SHOWWINDOW) ? SW_SHOWMAXIMIZED : SW_MAXIMIZE);
  }
}

void Win32Platform::showWindow(Form& form) {
  NativeForm* nf = find(form);
  if (!nf) return;
  trace("showWindow(" + form.name() + ")");
  if (nf->maximized) {
    fillScreen(*nf, SWP_SHOWWINDOW);
  } else {
    ShowWindow(nf->hwnd, SW_SHOW);
  }
  if (find(form) != nf) return;                      // unloaded by its own resize
  if (nf->maximized && form.monitor() != 0) return;  // the primary monitor's keeps the focus
  SetForegroundWindow(nf->hwnd);
  focusFirst(*nf);
}

void Win32Platform::focusFirst(NativeForm& nf) {
  for (Control* c : tabStops(nf.form->controls())) {
    NativeControl* nc = nf.byControl(c);
    if (nc && nc->hwnd && IsWindowEnabled(nc->hwnd)) {
      SetFocus(nc->hwnd);
      return;
    }
  }
  SetFocus(nf.hwnd);
}

bool Win32Platform::showModal(Form& form) {
  NativeForm* nf = find(form);
  if (!nf) return false;
  trace("showModal(" + form.name() + ")");
  HWND owner = nullptr;
  if (NativeForm* active = find(GetActiveWindow()); active && active != nf) owner = active->hwnd;
  SetWindowLongPtrW(nf->hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  nf->modal = true;
  nf->modalOwner = owner;
  for (auto& [f, other] : forms_) {
    if (other.get() == nf || !IsWindowEnabled(other->hwnd)) continue;
    if (::GetWindowLongW(other->hwnd, GWL_STYLE) & WS_CHILD) continue;
    EnableWindow(other->hwnd, FALSE);
    nf->modalDisabled.push_back(other->hwnd);
  }
  showWindow(form);
  MSG msg;
  for (;;) {
    NativeForm* cur = find(form);
    if (!cur || cur->destroying || !IsWindowVisible(cur->hwnd)) break;
    BOOL r = GetMessageW(&msg, nullptr, 0, 0);
    if (r == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // for the loop outside
      break;
    }
    if (r < 0) break;
    dispatch(msg);
  }
  if (NativeForm* cur = find(form)) endModal(*cur);
  return true;
}

// The windows a modal window disabled take input again, and its owner becomes the active
// window, before the modal window goes: so the activation does not wander off elsewhere, and
// no click meets a disabled window while the modal one is still being taken down.
void Win32Platform::endModal(NativeForm& nf) {
  if (!nf.modal) return;
  nf.modal = false;
  for (HWND h : nf.modalDisabled)
    if (IsWindow(h)) EnableWindow(h, TRUE);
  nf.modalDisabled.clear();
  // Owned no longer: the owner's end must not take this window (the hidden report) with it.
  SetWindowLongPtrW(nf.hwnd, GWLP_HWNDPARENT, 0);
  if (nf.modalOwner && IsWindow(nf.modalOwner)) SetForegroundWindow(nf.modalOwner);
}

void Win32Platform::hideWindow(Form& form) {
  if (NativeForm* nf = find(form)) {
    trace("hideWindow(" + form.name() + ")");
    endModal(*nf);
    ShowWindow(nf->hwnd, SW_HIDE);
  }
}

void Win32Platform::maximizeWindow(Form& form) {
  NativeForm* nf = find(form);
  if (!nf) return;
  nf->maximized = true;
  // A hidden window takes the screen when it is shown: its first resize is the one it is
  // seen with.
  if (IsWindowVisible(nf->hwnd)) fillScreen(*nf, SWP_NOACTIVATE);
}

void Win32Platform::formChanged(Form& form) {
  NativeForm* nf = find(form);
  if (!nf) return;
  if (form.caption() != nf->caption) {
    nf->caption = form.caption();
    SetWindowTextW(nf->hwnd, widen(nf->caption).c_str());
  }
  placeWindow(*nf, false);
}

void Win32Platform::resetMousePointer() {
  SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)));
}

void Win32Platform::quit() {
  trace("quit");
  PostQuitMessage(0);
}

// Aware of each monitor's resolution, the program lays a window out again when it moves to a
// monitor of another one: fonts and geometry at the new resolution, at the place the system
// suggests; a window that fills the screen fills it again.
void Win32Platform::dpiChanged(NativeForm& nf, int newDpi, const RECT& suggested) {
  if (newDpi <= 0 || newDpi == dpi()) return;
  dpi_ = newDpi;
  trace("dpiChanged(" + nf.form->name() + "," + std::to_string(newDpi) + ")");
  for (auto& nc : nf.controls) {
    nc->hasFont = false;  // its font again, made at the new resolution
    syncControl(nf, *nc);
  }
  if (nf.maximized) {
    fillScreen(nf, SWP_NOACTIVATE);
  } else {
    ::SetWindowPos(nf.hwnd, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(nf.hwnd, nullptr, FALSE);
}

// ---- controls ----

RECT Win32Platform::controlRect(const Control& c) {
  double x = 0, y = 0;
  for (const Control* k = &c; k; k = k->container()) x += k->left(), y += k->top();
  LONG l = pixels(x), t = pixels(y);
  return RECT{l, t, l + pixels(c.width()), t + pixels(c.height())};
}

bool Win32Platform::effectivelyVisible(const Control& c) const {
  for (const Control* k = &c; k; k = k->container())
    if (!k->visible()) return false;
  return true;
}

void Win32Platform::createControls(NativeForm& nf) {
  const auto& list = nf.form->controls();
  ControlKind previous = ControlKind::Timer;
  const Control* previousContainer = nullptr;
  for (size_t i = 0; i < list.size(); ++i) {
    Control& c = *list[i];
    auto nc = std::make_unique<NativeControl>();
    nc->control = &c;
    nc->id = kFirstControlId + static_cast<int>(i);
    if (!windowless(c.kind())) {
      const wchar_t* cls = L"BUTTON";
      DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
      switch (c.kind()) {
        case ControlKind::Frame:
          style |= BS_GROUPBOX;
          break;
        case ControlKind::CommandButton:
          style |= BS_OWNERDRAW | WS_TABSTOP;
          break;
        // The model owns the state: the buttons do not toggle themselves, a click goes to
        // the model and its value comes back.
        case ControlKind::CheckBox:
          style |= BS_3STATE | WS_TABSTOP;
          break;
        case ControlKind::OptionButton:
          style |= BS_RADIOBUTTON | WS_TABSTOP;
          break;
        case ControlKind::HScrollBar:
          cls = L"SCROLLBAR";
          style |= SBS_HORZ | WS_TABSTOP;
          break;
        case ControlKind::VScrollBar:
          cls = L"SCROLLBAR";
          style |= SBS_VERT | WS_TABSTOP;
          break;
        default:
          break;
      }
      // Option buttons of one container form one group for the arrow keys.
      bool continuesGroup = c.kind() == ControlKind::OptionButton &&
                            previous == ControlKind::OptionButton &&
                            previousContainer == c.container();
      if (!continuesGroup) style |= WS_GROUP;
      RECT r = controlRect(c);
      nc->hwnd = CreateWindowExW(0, cls, widen(c.caption()).c_str(), style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, nf.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(nc->id)), instance_,
                                 nullptr);
      if (nc->hwnd) {
        nc->rect = r;
        nc->caption = c.caption();
        nf.hasNative = true;
      }
      previous = c.kind();
      previousContainer = c.container();
    }
    nf.controls.push_back(std::move(nc));
  }
  for (auto& nc : nf.controls) syncControl(nf, *nc);
  // Frames lie under what they hold; outer frames under inner ones.
  for (auto it = nf.controls.rbegin(); it != nf.controls.rend(); ++it) {
    if ((*it)->hwnd && (*it)->control->kind() == ControlKind::Frame) {
      ::SetWindowPos((*it)->hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
}

void Win32Platform::controlChanged(Form& form, Control& control) {
  NativeForm* nf = find(form);
  if (!nf) return;
  NativeControl* nc = nf->byControl(&control);
  if (!nc) return;
  syncControl(*nf, *nc);
  if (control.kind() == ControlKind::Frame) syncContents(*nf, control);
}

void Win32Platform::syncContents(NativeForm& nf, const Control& frame) {
  for (auto& nc : nf.controls) {
    for (const Control* k = nc->control->container(); k; k = k->container()) {
      if (k == &frame) {
        syncControl(nf, *nc);
        break;
      }
    }
  }
}

// Brings the native side of one control in line with the model.
void Win32Platform::syncControl(NativeForm& nf, NativeControl& nc) {
  Control& c = *nc.control;
  bool visible = effectivelyVisible(c);
  RECT r = controlRect(c);
  if (!nc.hwnd) {
    if (c.kind() == ControlKind::Timer) return;
    // Drawn by the window: repaint where it was and where it is now.
    if (nc.painted.right > nc.painted.left) InvalidateRect(nf.hwnd, &nc.painted, FALSE);
    nc.painted = visible ? r : RECT{};
    if (visible) InvalidateRect(nf.hwnd, &r, FALSE);
    return;
  }
  HWND h = nc.hwnd;
  bool repaint = false;
  if (!sameRect(r, nc.rect)) {
    nc.rect = r;
    MoveWindow(h, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  }
  if (c.caption() != nc.caption) {
    nc.caption = c.caption();
    SetWindowTextW(h, widen(nc.caption).c_str());
    repaint = true;
  }
  if (!nc.hasFont || !(c.font() == nc.font)) {
    nc.font = c.font();
    nc.hasFont = true;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontHandle(c.font())), TRUE);
  }
  if (c.enabled() != nc.enabled) {
    nc.enabled = c.enabled();
    EnableWindow(h, nc.enabled);
  }
  if (visible != nc.visible) {
    nc.visible = visible;
    ShowWindow(h, visible ? SW_SHOWNA : SW_HIDE);
  }
  if (c.foreColor() != nc.fore || c.backColor() != nc.back || c.pictureId() != nc.picture) {
    nc.fore = c.foreColor(), nc.back = c.backColor(), nc.picture = c.pictureId();
    repaint = true;
  }
  switch (c.kind()) {
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
      if (!nc.hasValue || nc.value != c.value()) {
        nc.value = c.value(), nc.hasValue = true;
        WPARAM state = c.kind() == ControlKind::OptionButton
                           ? (c.value() != 0 ? BST_CHECKED : BST_UNCHECKED)
                           : (c.value() == 1   ? BST_CHECKED
                              : c.value() == 2 ? BST_INDETERMINATE
                                               : BST_UNCHECKED);
        SendMessageW(h, BM_SETCHECK, state, 0);
      }
      break;
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar:
      if (!nc.hasValue || nc.value != c.value() || nc.min != c.min() || nc.max != c.max()) {
        nc.value = c.value(), nc.min = c.min(), nc.max = c.max(), nc.hasValue = true;
        // A bar whose minimum lies above its maximum runs the other way round.
        bool reversed = c.min() > c.max();
        SCROLLINFO si{sizeof si, SIF_RANGE | SIF_POS, 0, 0, 0, 0, 0};
        si.nMin = std::min(c.min(), c.max());
        si.nMax = std::max(c.min(), c.max());
        si.nPos = reversed ? c.min() + c.max() - c.value() : c.value();
        SetScrollInfo(h, SB_CTL, &si, TRUE);
      }
      break;
    default:
      break;
  }
  if (repaint) InvalidateRect(h, nullptr, TRUE);
}

void Win32Platform::command(NativeForm& nf, HWND child, WORD code) {
  NativeControl* nc = nf.byHwnd(child);
  if (!nc || code != BN_CLICKED) return;
  Control& c = *nc->control;
  if (tracing()) {
    std::string name = c.name();
    if (c.index() >= 0) name.append("(").append(std::to_string(c.index())).append(")");
    trace("click(" + name + ")");
  }
  Saver::deliver([&] { c.userClick(); });
  if (!nf.destroying) syncControl(nf, *nc);
}

void Win32Platform::scrolled(NativeForm& nf, HWND bar, WORD code) {
  NativeControl* nc = nf.byHwnd(bar);
  if (!nc) return;
  Control& c = *nc->control;
  int lo = std::min(c.min(), c.max()), hi = std::max(c.min(), c.max());
  int dir = c.max() >= c.min() ? 1 : -1;
  int v = c.value();
  switch (code) {
    case SB_LINEUP:
      v -= dir * c.smallChange();
      break;
    case SB_LINEDOWN:
      v += dir * c.smallChange();
      break;
    case SB_PAGEUP:
      v -= dir * c.largeChange();
      break;
    case SB_PAGEDOWN:
      v += dir * c.largeChange();
      break;
    case SB_TOP:
      v = c.min();
      break;
    case SB_BOTTOM:
      v = c.max();
      break;
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(bar, SB_CTL, &si);
      v = dir > 0 ? si.nTrackPos : c.min() + c.max() - si.nTrackPos;
      break;
    }
    default:
      return;  // the thumb follows the drag by itself; the value changes when it is let go
  }
  v = std::clamp(v, lo, hi);
  Saver::deliver([&] { c.setValue(v); });
  if (!nf.destroying) {
    nc->hasValue = false;  // the bar may have moved on its own: show the model's value
    syncControl(nf, *nc);
  }
}

Win32Platform::NativeControl* Win32Platform::windowlessAt(NativeForm& nf, int x, int y) {
  if (nf.form->windowSurface()) return nullptr;
  POINT p{x, y};
  for (auto it = nf.controls.rbegin(); it != nf.controls.rend(); ++it) {
    NativeControl& nc = **it;
    if (nc.hwnd) continue;
    Control& c = *nc.control;
    if (c.kind() == ControlKind::Timer || !effectivelyVisible(c)) continue;
    RECT r = controlRect(c);
    if (PtInRect(&r, p)) return &nc;
  }
  return nullptr;
}

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
  if (const Surface* s = nf.form->windowSurface()) {
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
    UINT format =
        r.height() >= 2 * textHeight(c.font(), c.caption()) ? DT_WORDBREAK : DT_SINGLELINE;
    format |= c.alignment() == 1 ? DT_RIGHT : c.alignment() == 2 ? DT_CENTER : DT_LEFT;
    u32 color = c.foreColor();
    if (!c.enabled()) {
      COLORREF grey = GetSysColor(COLOR_GRAYTEXT);
      color = u32{GetRValue(grey)} << 16 | u32{GetGValue(grey)} << 8 | GetBValue(grey);
    }
    renderText(canvas, c.font(), intersect(r, dirty), r, c.caption(), color, format);
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
  HGDIOBJ oldFont = SelectObject(dc, fontHandle(c.font()));
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
  if (!IsWindowVisible(nf->hwnd)) return;  // shown from the surface when it appears
  // Each blit costs a call into the system: a few tile-aligned rectangles rather than every
  // small one.
  nf->tiles.resize(surface.width(), surface.height());
  for (const Rect& r : dirty) nf->tiles.add(r);
  HDC dc = GetDC(nf->hwnd);
  for (const Rect& r : nf->tiles.rects()) blit(dc, surface, r);
  ReleaseDC(nf->hwnd, dc);
  nf->tiles.clear();
}

// ---- timers ----

void Win32Platform::setTimer(Form& form, i32 intervalMs, bool enabled) {
  NativeForm* nf = find(form);
  if (!nf) return;
  trace("setTimer(" + form.name() + "," + std::to_string(intervalMs) + "," +
        std::to_string(enabled ? 1 : 0) + ")");
  if (enabled && intervalMs > 0 && nf->tick && nf->interval == intervalMs) return;
  killTimer(*nf);
  if (!enabled || intervalMs <= 0) return;
  auto t = std::make_unique<Tick>();
  t->hwnd = nf->hwnd;
  t->generation = ++timerGeneration_;
  t->id =
      timeSetEvent(static_cast<UINT>(intervalMs), 1, tickProc, reinterpret_cast<DWORD_PTR>(t.get()),
                   TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
  if (t->id == 0) {
    // No multimedia timer to be had: the window timer, with its coarser clock.
    t->fallback = SetTimer(nf->hwnd, kFallbackTimer, static_cast<UINT>(intervalMs), nullptr);
  }
  nf->tick = std::move(t);
  nf->interval = intervalMs;
}

void Win32Platform::killTimer(NativeForm& nf) {
  if (!nf.tick) return;
  if (nf.tick->id) timeKillEvent(nf.tick->id);  // synchronous: no callback runs after it
  if (nf.tick->fallback) KillTimer(nf.hwnd, kFallbackTimer);
  nf.tick.reset();
}

// ---- preview hosts ----

void Win32Platform::watchHost(HWND child, HWND host) {
  hosted_[child] = host;
  if (!watchTimer_) watchTimer_ = ::SetTimer(nullptr, 0, kHostCheckMs, watchHosts);
}

// A host window that went away without destroying our window with it (its process ended,
// or it was never a window): the preview goes too, so that no invisible process stays.
void CALLBACK Win32Platform::watchHosts(HWND, UINT, UINT_PTR, DWORD) {
  Win32Platform* self = g_self;
  if (!self) return;
  std::vector<HWND> orphans;
  for (auto& [child, host] : self->hosted_) {
    if (!host || !IsWindow(host) || !IsWindow(child)) orphans.push_back(child);
  }
  for (HWND child : orphans) {
    self->hosted_.erase(child);
    NativeForm* nf = self->find(child);
    if (!nf || nf->destroying) continue;
    trace("hostGone(" + nf->form->name() + ")");
    if (!IsWindow(child)) nf->destroyedOutside = true;
    Form& f = *nf->form;
    Saver::deliver([&] { P().forms.unload(f); });
  }
}

// ---- the Win32 window calls of the system ----

i32 Win32Platform::GetClientRect(Hwnd hwnd, Rect& rect) {
  RECT r{};
  BOOL ok = ::GetClientRect(toHwnd(hwnd), &r);
  if (ok) rect = Rect{r.left, r.top, r.right, r.bottom};
  trace("GetClientRect(" + std::to_string(hwnd) + ") = " + std::to_string(ok) + " " +
        std::to_string(rect.right) + "x" + std::to_string(rect.bottom));
  return ok;
}

i32 Win32Platform::GetWindowLongA(Hwnd hwnd, i32 index) {
  return ::GetWindowLongA(toHwnd(hwnd), index);
}

i32 Win32Platform::SetWindowLongA(Hwnd hwnd, i32 index, i32 value) {
  i32 r = ::SetWindowLongA(toHwnd(hwnd), index, value);
  trace("SetWindowLongA(" + std::to_string(hwnd) + "," + std::to_string(index) + "," +
        std::to_string(value) + ") = " + std::to_string(r));
  return r;
}

Hwnd Win32Platform::SetParent(Hwnd child, Hwnd parent) {
  HWND c = toHwnd(child), p = toHwnd(parent);
  HWND r = ::SetParent(c, p);
  trace("SetParent(" + std::to_string(child) + "," + std::to_string(parent) + ")");
  if (find(c) && !find(p)) watchHost(c, p);
  return fromHwnd(r);
}

i32 Win32Platform::SetWindowPos(Hwnd hwnd, Hwnd insertAfter, i32 x, i32 y, i32 cx, i32 cy,
                                u32 flags) {
  BOOL r = ::SetWindowPos(toHwnd(hwnd), toHwnd(insertAfter), x, y, cx, cy, flags);
  trace("SetWindowPos(" + std::to_string(hwnd) + "," + std::to_string(insertAfter) + "," +
        std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(cx) + "," +
        std::to_string(cy) + "," + std::to_string(flags) + ") = " + std::to_string(r));
  return r;
}

// ---- events ----

LRESULT CALLBACK Win32Platform::windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* nf = static_cast<NativeForm*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    nf->hwnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(nf));
  }
  auto* nf = reinterpret_cast<NativeForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  Win32Platform* self = g_self;
  if (!nf || !self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  ++self->depth_;
  LRESULT result = 0;
  try {
    result = self->handle(*nf, msg, wp, lp);
  } catch (...) {
    // Nothing may unwind through the system's frames.
    self->reportFatal("PetalStream: an unexpected fault ended the program");
    ExitProcess(1);
  }
  --self->depth_;
  return result;
}

LRESULT Win32Platform::handle(NativeForm& nf, UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = nf.hwnd;
  Form& f = *nf.form;
  if (!nf.ready) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers everything
    case WM_PAINT:
      paint(nf);
      return 0;
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) Saver::deliver([&] { f.Form_Resize(); });
      return 0;
    case WM_CLOSE:
      Saver::deliver([&] { P().forms.unload(f); });
      return 0;
    case WM_DESTROY:
      // Destroyed from outside (a preview's host closing): the window unloads with it.
      if (!nf.destroying) {
        nf.destroyedOutside = true;
        trace("destroyedOutside(" + f.name() + ")");
        Saver::deliver([&] { P().forms.unload(f); });
      }
      return 0;
    case kTickMessage: {
      auto generation = static_cast<unsigned>(wp);
      if (!nf.tick || nf.tick->generation != generation) return 0;  // a stale tick
      Saver::deliver([&] { f.timerExpired(); });
      if (!nf.destroying && nf.tick && nf.tick->generation == generation) {
        nf.tick->pending = false;
      }
      // Every 250th tick with the clock, so that tests can see the interval being kept.
      if (tracing() && ++ticks_ % 250 == 0) {
        trace("ticks(" + std::to_string(ticks_) + ") at " + std::to_string(::GetTickCount()));
      }
      return 0;
    }
    case WM_TIMER:
      if (wp == kFallbackTimer && nf.tick) Saver::deliver([&] { f.timerExpired(); });
      return 0;
    case WM_MOUSEMOVE: {
      float x = static_cast<float>(GET_X_LPARAM(lp)), y = static_cast<float>(GET_Y_LPARAM(lp));
      if (!windowlessAt(nf, GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
        Saver::deliver([&] { f.Form_MouseMove(mouseButtons(wp), shiftState(), x, y); });
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      NativeControl* hit = windowlessAt(nf, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      if (msg == WM_LBUTTONDOWN) nf.leftDown = true, nf.pressed = hit;
      if (hit) return 0;
      i16 button = msg == WM_LBUTTONDOWN ? 1 : msg == WM_RBUTTONDOWN ? 2 : 4;
      float x = static_cast<float>(GET_X_LPARAM(lp)), y = static_cast<float>(GET_Y_LPARAM(lp));
      Saver::deliver([&] { f.Form_MouseDown(button, shiftState(), x, y); });
      return 0;
    }
    case WM_LBUTTONUP: {
      NativeControl* hit = windowlessAt(nf, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      bool wasDown = nf.leftDown;
      NativeControl* pressed = nf.pressed;
      nf.leftDown = false, nf.pressed = nullptr;
      if (!wasDown) return 0;
      if (pressed) {
        if (pressed == hit) Saver::deliver([&] { pressed->control->userClick(); });
      } else if (!hit) {
        Saver::deliver([&] { f.Form_Click(); });
      }
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      if (!windowlessAt(nf, GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
        Saver::deliver([&] { f.Form_DblClick(); });
      }
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto key = static_cast<i16>(wp);
      Saver::deliver([&] { f.Form_KeyDown(key, shiftState()); });
      // Alt+F4 and the other system keys, except over the running meadow: there the key has
      // asked for the password already, and a refused one must not close the window anyway.
      if (msg == WM_SYSKEYDOWN && !fillsScreen(nf)) {
        return DefWindowProcW(hwnd, msg, wp, lp);
      }
      return 0;
    }
    case WM_CHAR: {
      auto ch = static_cast<i16>(wp);
      Saver::deliver([&] { f.Form_KeyPress(ch); });
      return 0;
    }
    case WM_COMMAND:
      if (lp) command(nf, reinterpret_cast<HWND>(lp), HIWORD(wp));
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lp) scrolled(nf, reinterpret_cast<HWND>(lp), LOWORD(wp));
      return 0;
    case WM_DRAWITEM:
      drawButton(nf, *reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (NativeControl* nc = nf.byHwnd(reinterpret_cast<HWND>(lp))) {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, colorRef(nc->control->foreColor()));
        SetBkColor(dc, colorRef(nc->control->backColor()));
        return reinterpret_cast<LRESULT>(brush(nc->control->backColor()));
      }
      break;
    case WM_DPICHANGED:
      dpiChanged(nf, HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DISPLAYCHANGE:
      // A window that fills the screen follows it to its new size (and lays itself out anew).
      if (nf.maximized && IsWindowVisible(hwnd)) fillScreen(nf, SWP_NOACTIVATE);
      break;
    case WM_ACTIVATE:
      // Keyboard focus comes back to the control that had it, as in a dialog box.
      if (LOWORD(wp) == WA_INACTIVE) {
        if (nf.byHwnd(GetFocus())) nf.lastFocus = GetFocus();
      } else if (NativeControl* nc = nf.byHwnd(nf.lastFocus); nc && IsWindowEnabled(nc->hwnd)) {
        SetFocus(nc->hwnd);
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      // No second screen saver over the running one.
      if ((wp & 0xFFF0) == SC_SCREENSAVE && screenCovered()) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Keyboard navigation of windows with controls: the tab key follows the model's tab order,
// the rest (arrow keys in option groups, mnemonics, space) is the dialog manager's.
bool Win32Platform::dialogKey(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  NativeForm* nf = find(GetAncestor(msg.hwnd, GA_ROOT));
  if (!nf || !nf->hasNative) return false;
  if (msg.message == WM_KEYDOWN && (msg.wParam == VK_TAB || msg.wParam == VK_RETURN)) {
    HWND focus = GetFocus();
    if (msg.wParam == VK_RETURN) {
      NativeControl* nc = nf->byHwnd(focus);
      if (!nc || nc->control->kind() != ControlKind::CommandButton) return false;
      SendMessageW(focus, BM_CLICK, 0, 0);
      return true;
    }
    if (GetKeyState(VK_CONTROL) < 0) return false;
    std::vector<HWND> stops;
    for (Control* c : tabStops(nf->form->controls())) {
      NativeControl* nc = nf->byControl(c);
      if (nc && nc->hwnd && IsWindowEnabled(nc->hwnd) && IsWindowVisible(nc->hwnd)) {
        stops.push_back(nc->hwnd);
      }
    }
    if (stops.empty()) return true;
    auto at = std::find(stops.begin(), stops.end(), focus);
    size_t n = stops.size();
    size_t i =
        at == stops.end()
            ? (GetKeyState(VK_SHIFT) < 0 ? n - 1 : 0)
            : (static_cast<size_t>(at - stops.begin()) + (GetKeyState(VK_SHIFT) < 0 ? n - 1 : 1)) %
                  n;
    SetFocus(stops[i]);
    return true;
  }
  return IsDialogMessageW(nf->hwnd, &msg);
}

void Win32Platform::dispatch(MSG& msg) {
  if (dialogKey(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

int Win32Platform::run() {
  MSG msg{};
  BOOL r;
  while ((r = GetMessageW(&msg, nullptr, 0, 0)) > 0) {
    dispatch(msg);
    if (depth_ == 0) released_.clear();
  }
  return r == 0 ? static_cast<int>(msg.wParam) : 1;
}

}  // namespace ps::win32
