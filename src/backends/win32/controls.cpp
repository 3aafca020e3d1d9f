// The controls of the system's windows: standard child controls that mirror the control model,
// and the clicks and scrolls that go back to it.
#include <algorithm>

#include "backends/win32/native.h"
#include "host/saver.h"

namespace ps::win32 {

namespace {

constexpr int kFirstControlId = 1000;

bool sameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool windowless(ControlKind k) {
  return k == ControlKind::Label || k == ControlKind::Image || k == ControlKind::Timer;
}

}  // namespace

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
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontHandle(c.font(), dpi())), TRUE);
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

}  // namespace ps::win32
