// How the program was started on Linux: the Windows-style switches (/S, /C, /P id, /A id) pass
// through to the system as its command line; XScreenSaver's ways (-root, -window-id ID, the
// XSCREENSAVER_WINDOW variable) mean the running mode inside a window that XScreenSaver owns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ps::qt {

struct Launch {
  std::string commandLine;  // what the system's start procedure reads
  bool xscreensaver = false;
  bool root = false;         // draw over the whole root window (-root without a window)
  std::uint32_t window = 0;  // XScreenSaver's window, when it gave one
  bool help = false;
  std::string error;  // a start the program cannot make sense of
};

// `args` without the program name; `xsWindow` is $XSCREENSAVER_WINDOW or null.
Launch interpretLaunch(const std::vector<std::string>& args, const char* xsWindow);

// A window id as XScreenSaver writes it: decimal or 0x-hexadecimal. False when it is none.
bool parseWindowId(const std::string& text, std::uint32_t& id);

const char* usageText();

}  // namespace ps::qt
