// The native side of the system's windows, shared by the Win32 backend's files: a window's
// record with its controls and its timer, and the messages between them.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backends/win32/platform.h"
#include "platform/blockscale.h"

namespace ps::win32 {

constexpr UINT kTickMessage = WM_APP + 1;
// The resolution the meadow is laid out at: its texts are drawn at it, and a monitor of another
// one shows its pixels in blocks of dpi / 96 device pixels.
constexpr int kLayoutDpi = 96;
constexpr UINT_PTR kFallbackTimer = 1;

// The platform of the process, for the callbacks Windows makes without it.
extern Win32Platform* g_self;

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
  HPOWERNOTIFY displayPower = nullptr;  // the console display's power notifications
  std::vector<std::unique_ptr<NativeControl>> controls;  // in the model's order
  bool hasNative = false;                                // any native child control
  std::string caption;
  float left = 0, top = 0, width = 0, height = 0;
  std::unique_ptr<Tick> tick;
  i32 interval = 0;
  std::map<std::pair<int, int>, Image> pictures;
  std::map<std::pair<int, int>, HICON> icons;
  Surface canvas;  // the composed client area of a dialog
  // The meadow: its monitor's resolution, and there its surface at the device's size.
  int dpi = kLayoutDpi;
  BlockScale blocks;
  Surface device;
  unsigned resizes = 0;  // WM_SIZE messages so far
  TileRegion tiles;      // a frame's rectangles gathered into a few blits
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

}  // namespace ps::win32
