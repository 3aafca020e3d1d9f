// Events: the window procedure that turns native messages into the system's events, keyboard
// navigation of dialogs, and the event loop.
#include <algorithm>

#include "backends/win32/native.h"
#include "host/process.h"
#include "host/saver.h"
// After the system's headers (see util.h).
#include <windowsx.h>

namespace ps::win32 {

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
      ++nf.resizes;
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
      const float x = logical(nf, GET_X_LPARAM(lp)), y = logical(nf, GET_Y_LPARAM(lp));
      if (!windowlessAt(nf, GET_X_LPARAM(lp), GET_Y_LPARAM(lp))) {
        Saver::deliver([&] { f.Form_MouseMove(x, y); });
      }
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      NativeControl* hit = windowlessAt(nf, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      if (msg == WM_LBUTTONDOWN) nf.leftDown = true, nf.pressed = hit;
      if (hit) return 0;
      Saver::deliver([&] { f.Form_MouseDown(); });
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
      Saver::deliver([&] { f.Form_KeyDown(); });
      // Alt+F4 and the other system keys, except over the running meadow: there the key has
      // asked for the password already, and a refused one must not close the window anyway.
      if (msg == WM_SYSKEYDOWN && !fillsScreen(nf)) {
        return DefWindowProcW(hwnd, msg, wp, lp);
      }
      return 0;
    }
    case WM_CHAR:
      Saver::deliver([&] { f.Form_KeyPress(); });
      return 0;
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
      dpiChanged(nf, HIWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DISPLAYCHANGE:
      // Every top-level window hears of it; the system is told once, through the window on
      // the primary monitor, which a change of the monitors never unloads.
      if (fillsScreen(nf) && nf.form->monitor() == 0 && IsWindowVisible(hwnd)) {
        trace("displayChanged(" + std::to_string(LOWORD(lp)) + "," + std::to_string(HIWORD(lp)) +
              ")");
        Saver::deliver([] { Saver::monitorsChanged(); });
      }
      break;
    case WM_POWERBROADCAST:
      if (wp == PBT_POWERSETTINGCHANGE && lp != 0) {
        const auto& setting = *reinterpret_cast<const POWERBROADCAST_SETTING*>(lp);
        if (std::optional<bool> shows = consoleDisplayShows(setting)) {
          trace(std::string("displayPower(") + (*shows ? "on" : "off") + ")");
          Saver::deliver([seen = *shows] { Saver::meadowSeen(nullptr, seen); });
        }
        return TRUE;
      }
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
