// How the program was started on Linux: the Windows-style switches (/S, /C, /P id, /A id) pass
// through to the system as its command line; XScreenSaver's ways (-root, -window-id ID, the
// XSCREENSAVER_WINDOW variable) mean the running mode inside a window that XScreenSaver owns,
// with the hack's options (-flowers N, -speed X, ...) standing in for stored settings.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ps::qt {

struct Launch {
  std::string commandLine;  // what the system's start procedure reads
  bool xscreensaver = false;
  bool root = false;         // draw over the whole root window (-root without a window)
  std::uint32_t window = 0;  // XScreenSaver's window, when it gave one
  bool help = false;
  bool version = false;
  // The hack's options as the settings store's keys and texts: read instead of the store's.
  std::map<std::string, std::string> settings;
  std::string error;  // a start the program cannot make sense of
};

// `args` without the program name; `xsWindow` is $XSCREENSAVER_WINDOW or null.
Launch interpretLaunch(const std::vector<std::string>& args, const char* xsWindow);

// A window id as XScreenSaver writes it: decimal or 0x-hexadecimal. False when it is none.
bool parseWindowId(const std::string& text, std::uint32_t& id);

const char* usageText();
// "petalstream MAJOR.MINOR.REVISION": what --version prints.
std::string versionLine();

}  // namespace ps::qt
