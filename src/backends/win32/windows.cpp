// Windowing: native windows for the system's windows, their place on the screen, timers,
// preview hosts and the Win32 window calls of the system.
#include <cmath>

#include "backends/win32/native.h"
#include "host/process.h"
#include "host/saver.h"
// After the system's headers (see util.h).
#include <commctrl.h>
#include <mmsystem.h>

namespace ps::win32 {

Win32Platform* g_self = nullptr;

namespace {

constexpr wchar_t kFormClass[] = L"PetalStreamForm";
constexpr UINT kHostCheckMs = 500;

void CALLBACK tickProc(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto* t = reinterpret_cast<Tick*>(user);
  if (t->pending.exchange(true)) return;
  if (!PostMessageW(t->hwnd, kTickMessage, t->generation, 0)) t->pending = false;
}

}  // namespace

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

void Win32Platform::watchDisplayPower(NativeForm& nf, bool on) {
  // Looked up at run time: only Windows Vista and later tell of the display's power.
  using Register = HPOWERNOTIFY(WINAPI*)(HANDLE, LPCGUID, DWORD);
  using Unregister = BOOL(WINAPI*)(HPOWERNOTIFY);
  HMODULE user32 = GetModuleHandleA("user32.dll");
  static const auto reg = reinterpret_cast<Register>(
      reinterpret_cast<void*>(GetProcAddress(user32, "RegisterPowerSettingNotification")));
  static const auto unreg = reinterpret_cast<Unregister>(
      reinterpret_cast<void*>(GetProcAddress(user32, "UnregisterPowerSettingNotification")));
  if (on && !nf.displayPower && reg) {
    // Windows tells the current state at once, and each change after it.
    nf.displayPower = reg(nf.hwnd, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE);
    trace(std::string("RegisterPowerSettingNotification(") + nf.form->name() +
          ") = " + (nf.displayPower ? "1" : "0"));
  } else if (!on && nf.displayPower) {
    if (unreg) unreg(nf.displayPower);
    nf.displayPower = nullptr;
  }
}

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
  // The meadow is laid out in the pixels of 96 dpi.
  const double scale = scaleOf(*nf);
  if (scale == 1) return SizeF{static_cast<float>(r.right), static_cast<float>(r.bottom)};
  return SizeF{static_cast<float>(logicalLength(r.right, scale)),
               static_cast<float>(logicalLength(r.bottom, scale))};
}

double Win32Platform::scaleOf(const NativeForm& nf) {
  return fillsScreen(nf) ? static_cast<double>(nf.dpi) / kLayoutDpi : 1.0;
}

// The pointer over the meadow in its pixels, as the Qt backend reports it: moving it 3 of
// them ends the running mode at every resolution.
float Win32Platform::logical(const NativeForm& nf, int device) {
  return static_cast<float>(device / scaleOf(nf));
}

// The resolution of the monitor that holds most of `m`: each its own from Windows 8.1 on, the
// system's one before.
int Win32Platform::monitorDpi(const Rect& m) {
  using FromRect = HMONITOR(WINAPI*)(LPCRECT, DWORD);
  using GetDpi = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  static const auto fromRect = reinterpret_cast<FromRect>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "MonitorFromRect")));
  HMODULE lib = library("shcore.dll", shcore_);
  const auto getDpi = lib ? reinterpret_cast<GetDpi>(
                                reinterpret_cast<void*>(GetProcAddress(lib, "GetDpiForMonitor")))
                          : nullptr;
  RECT r{m.left, m.top, m.right, m.bottom};
  HMONITOR monitor = fromRect ? fromRect(&r, MONITOR_DEFAULTTONEAREST) : nullptr;
  UINT x = 0, y = 0;
  if (monitor && getDpi && SUCCEEDED(getDpi(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && y > 0) {
    return static_cast<int>(y);
  }
  return dpi();
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
  watchDisplayPower(*nf, false);
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

void Win32Platform::fillScreen(NativeForm& nf, UINT flags, int atDpi) {
  if (nf.form->borderless()) {
    Rect m{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (nf.form->monitor() != 0) {
      std::vector<Rect> all = monitors();
      const auto i = static_cast<std::size_t>(nf.form->monitor());
      if (i < all.size()) m = all[i];
      flags |= SWP_NOACTIVATE;  // the primary monitor's window keeps the keyboard
    }
    // Known before the window takes its size: that lays the meadow out.
    nf.dpi = atDpi > 0 ? atDpi : monitorDpi(m);
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
  if (nf->maximized) watchDisplayPower(*nf, true);
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
void Win32Platform::dpiChanged(NativeForm& nf, int newDpi, const RECT* suggested) {
  if (newDpi <= 0 || newDpi == (fillsScreen(nf) ? nf.dpi : dpi())) return;
  trace("dpiChanged(" + nf.form->name() + "," + std::to_string(newDpi) + ")");
  if (fillsScreen(nf)) {
    // A meadow keeps its monitor's resolution for itself: it covers the monitor again at the
    // new one and is laid out anew (by the resize, if its size changed too).
    const unsigned resizes = nf.resizes;
    fillScreen(nf, SWP_NOACTIVATE, newDpi);
    if (nf.resizes == resizes) {
      Form& f = *nf.form;
      Saver::deliver([&] { f.Form_Resize(); });
    }
    return;
  }
  dpi_ = newDpi;
  for (auto& nc : nf.controls) {
    nc->hasFont = false;  // its font again, made at the new resolution
    syncControl(nf, *nc);
  }
  if (nf.maximized) {
    fillScreen(nf, SWP_NOACTIVATE);
  } else if (suggested) {
    ::SetWindowPos(nf.hwnd, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(nf.hwnd, nullptr, FALSE);
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

// ---- the window calls of the preview and of SetTopMost ----

i32 Win32Platform::windowArea(Hwnd hwnd, Rect& rect) {
  RECT r{};
  BOOL ok = ::GetClientRect(toHwnd(hwnd), &r);
  if (ok) rect = Rect{r.left, r.top, r.right, r.bottom};
  trace("GetClientRect(" + std::to_string(hwnd) + ") = " + std::to_string(ok) + " " +
        std::to_string(rect.right) + "x" + std::to_string(rect.bottom));
  return ok;
}

namespace {
i32 setWindowLong(Hwnd hwnd, int index, i32 value) {
  i32 r;
  if (sizeof(void*) == 8 && index == GWLP_HWNDPARENT) {
    // 64-bit Windows keeps the owner as a pointer-sized value and takes it only so; a handle
    // is a sign-extended 32-bit value there.
    r = static_cast<i32>(::SetWindowLongPtrA(toHwnd(hwnd), index, static_cast<LONG_PTR>(value)));
  } else {
    r = ::SetWindowLongA(toHwnd(hwnd), index, value);
  }
  trace("SetWindowLongA(" + std::to_string(hwnd) + "," + std::to_string(index) + "," +
        std::to_string(value) + ") = " + std::to_string(r));
  return r;
}

i32 setWindowPos(Hwnd hwnd, Hwnd insertAfter, int x, int y, int cx, int cy, UINT flags) {
  BOOL r = ::SetWindowPos(toHwnd(hwnd), toHwnd(insertAfter), x, y, cx, cy, flags);
  trace("SetWindowPos(" + std::to_string(hwnd) + "," + std::to_string(insertAfter) + "," +
        std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(cx) + "," +
        std::to_string(cy) + "," + std::to_string(flags) + ") = " + std::to_string(r));
  return r;
}
}  // namespace

// The window becomes a child of the host in this order: the child style, the parent, the owner,
// then its place over the host's client area, shown without activation.
void Win32Platform::embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) {
  const i32 style = ::GetWindowLongA(toHwnd(window), GWL_STYLE) | static_cast<i32>(WS_CHILD);
  setWindowLong(window, GWL_STYLE, style);
  HWND c = toHwnd(window), p = toHwnd(host);
  ::SetParent(c, p);
  trace("SetParent(" + std::to_string(window) + "," + std::to_string(host) + ")");
  if (find(c) && !find(p)) watchHost(c, p);
  setWindowLong(window, GWLP_HWNDPARENT, host);
  setWindowPos(window, 0, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

i32 Win32Platform::stackWindow(Hwnd window, Stacking stacking, bool activate) {
  const Hwnd after = stacking == Stacking::TopMost      ? fromHwnd(HWND_TOPMOST)
                     : stacking == Stacking::NotTopMost ? fromHwnd(HWND_NOTOPMOST)
                                                        : 0;
  UINT flags = SWP_NOSIZE | SWP_NOMOVE;
  if (!activate) flags |= SWP_NOACTIVATE;
  return setWindowPos(window, after, 0, 0, 0, 0, flags);
}

}  // namespace ps::win32
