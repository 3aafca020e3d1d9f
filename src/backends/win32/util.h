// Small helpers of the Win32 backend: text conversions, handles, the test trace.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The system's headers first: <windows.h> defines macros under the names of some of their
// constants (GWL_STYLE, SWP_NOSIZE, ...).
#include "platform/platform.h"
#include "platform/surface.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace ps::win32 {

// The system layer's texts are UTF-8; Win32's wide calls take UTF-16.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

inline HWND toHwnd(Hwnd h) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(h));
}
inline Hwnd fromHwnd(HWND h) {
  return static_cast<Hwnd>(reinterpret_cast<INT_PTR>(h));
}

// 0x00RRGGBB as GDI's COLORREF (0x00BBGGRR).
inline COLORREF colorRef(u32 rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// What a power-setting notification (WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE) says of the
// console's display: false when it was switched off, true when it is on (or only dimmed, which
// still shows the meadow); nothing when it speaks of another setting or is malformed.
std::optional<bool> consoleDisplayShows(const POWERBROADCAST_SETTING& setting);
// GUID_CONSOLE_DISPLAY_STATE, kept here so that no import library has to provide it.
extern const GUID kConsoleDisplayState;

// When the environment variable PETALSTREAM_TRACE names a file, the backend appends one line
// per system call it makes there (the call, its arguments and its result), so that end-to-end
// tests can check what was asked of Windows. Each line is written through at once: the
// process may end by ExitProcess at any moment.
bool tracing();
void trace(const std::string& line);
// While tracing: the picture a window shows, as "<trace file>-<name>.bmp" (24-bit BMP). For
// what the screen cannot show a test: a preview inside another process's window, which Wine
// does not compose.
void tracePicture(const std::string& name, const Surface& surface);

}  // namespace ps::win32
