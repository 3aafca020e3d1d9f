// The Qt platform (the QPA plugin) the program starts on: chosen before Qt starts, checked
// where that can be done beforehand, and a clear word instead of Qt's abort where it cannot.
#pragma once

#include <string>
#include <vector>

namespace ps::qt {

// Qt takes -platform NAME and -display NAME (one dash or two) from the command line, over
// $QT_QPA_PLATFORM and $DISPLAY. Moves them into those variables, where the checks before
// Qt starts and the program's own X connections look, and out of `args`: they are no switch
// of the program's.
void takePlatformOptions(std::vector<std::string>& args);

// The plugin Qt starts first: $QT_QPA_PLATFORM up to its first ':' (options) or ';' (the next
// choice); when that is empty "xcb", or, unless the program is handed X windows (`xWindows`:
// the preview, a hack), "wayland" where $WAYLAND_DISPLAY is set and $DISPLAY is not, or the
// session is sway's.
std::string platformName(bool xWindows = false);

// Plugins that show nothing anybody could see and deliver no input (offscreen, minimal).
bool platformIsInvisible(const std::string& name);

// Why the mode `mode` (the system's mode switch: "/S", "/C", ...) cannot run on the plugin
// `name`: a window there would wait unseen for ever. Empty where it can.
std::string unseenMode(const std::string& name, const std::string& mode);

// Why the X display cannot be used: DISPLAY is not set, or names a display that cannot be
// opened.
std::string noXDisplayReason();

// The lines that tell why the program cannot show anything, and what to do instead.
std::string cannotShowMessage(const std::string& reason);

// While it lives, a fatal message from Qt (a plugin that is missing or cannot reach its
// display while QApplication starts) ends the program with cannotShowMessage() and exit code 2
// instead of Qt's abort with a core dump. Other messages pass on as before.
class PlatformStartGuard {
 public:
  PlatformStartGuard();
  ~PlatformStartGuard();
  PlatformStartGuard(const PlatformStartGuard&) = delete;
  PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;
};

}  // namespace ps::qt
