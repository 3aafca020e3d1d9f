#include "platform/qt/launch.h"

#include <cerrno>
#include <cstdlib>

namespace ps::qt {

bool parseWindowId(const std::string& text, std::uint32_t& id) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0' || v == 0 || v > 0x1FFFFFFFu) return false;
  id = static_cast<std::uint32_t>(v);  // X ids have 29 bits: they fit the program's handles
  return true;
}

Launch interpretLaunch(const std::vector<std::string>& args, const char* xsWindow) {
  Launch l;
  bool windowIdGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-help") {
      l.help = true;
    } else if (a == "-root" || a == "--root") {
      l.xscreensaver = true;
    } else if (a == "-window-id" || a == "--window-id" || a.rfind("-window-id=", 0) == 0 ||
               a.rfind("--window-id=", 0) == 0) {
      std::string id;
      size_t eq = a.find('=');
      if (eq != std::string::npos) {
        id = a.substr(eq + 1);
      } else if (i + 1 < args.size()) {
        id = args[++i];
      }
      if (!parseWindowId(id, l.window)) {
        l.error = "-window-id needs the id of an X window (decimal or 0x...), not '" + id + "'";
        return l;
      }
      l.xscreensaver = true;
      windowIdGiven = true;
    }
  }
  if (l.help) return l;
  if (!l.xscreensaver && args.empty() && xsWindow != nullptr && *xsWindow != '\0') {
    l.xscreensaver = true;  // started by XScreenSaver with nothing but its variable
  }
  if (!l.xscreensaver) {
    for (size_t i = 0; i < args.size(); ++i) {
      if (i > 0) l.commandLine += ' ';
      l.commandLine += args[i];
    }
    return l;
  }
  // XScreenSaver's other options (-fps, -install, -visual ...) change nothing here.
  l.commandLine = "/S";
  if (!windowIdGiven) {
    if (xsWindow != nullptr && *xsWindow != '\0') {
      if (!parseWindowId(xsWindow, l.window)) {
        l.error = std::string("XSCREENSAVER_WINDOW is no X window id: '") + xsWindow + "'";
        return l;
      }
    } else {
      l.root = true;
    }
  }
  return l;
}

const char* usageText() {
  return "Usage: petalstream [SWITCH]\n"
         "  /S or nothing   the screensaver, full screen; a key, a click or moving the mouse\n"
         "                  ends it\n"
         "  /C              the settings dialog\n"
         "  /P ID           the preview picture inside the X window ID (ends with it)\n"
         "  -root           as an XScreenSaver hack: draw into $XSCREENSAVER_WINDOW, or over\n"
         "                  the root window\n"
         "  -window-id ID   as an XScreenSaver hack: draw into the X window ID\n"
         "Without a display, petalstream-render draws the meadow into image files.\n";
}

}  // namespace ps::qt
