#include "backends/qt/qpa.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

namespace ps::qt {

void takePlatformOptions(std::vector<std::string>& args) {
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string option = args[i];
    if (option.rfind("--", 0) == 0) option.erase(0, 1);
    const char* variable = option == "-platform"  ? "QT_QPA_PLATFORM"
                           : option == "-display" ? "DISPLAY"
                                                  : nullptr;
    if (variable == nullptr) {
      rest.push_back(args[i]);
    } else if (i + 1 < args.size()) {
      setenv(variable, args[++i].c_str(), 1);
    }
  }
  args = std::move(rest);
}

std::string platformName(bool xWindows) {
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  std::string name = qpa != nullptr ? qpa : "";
  name = name.substr(0, name.find_first_of(":;"));
  if (!name.empty()) return name;
  auto set = [](const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
  };
  if (xWindows || !set("WAYLAND_DISPLAY")) return "xcb";
  // A Wayland session without XWayland (common on wlroots compositors) has no X display to
  // fall back on; and under sway (which names its socket to the programs it starts) X11
  // through XWayland puts every full-screen window on one output, the others left uncovered.
  return !set("DISPLAY") || set("SWAYSOCK") ? "wayland" : "xcb";
}

bool platformIsInvisible(const std::string& name) {
  return name == "offscreen" || name == "minimal";
}

std::string unseenMode(const std::string& name, const std::string& mode) {
  if (!platformIsInvisible(name)) return {};
  const std::string on = " on the Qt platform '" + name + "': ";
  if (mode == "/S" || mode.empty()) {
    return "the screensaver cannot run" + on + "nothing it draws is seen and no input can end it";
  }
  if (mode == "/C") return "the settings dialog cannot open" + on + "nobody could see or close it";
  if (mode == "/P") return "the preview cannot be shown" + on + "nothing it draws is seen";
  return {};  // a mode that shows no window ends by itself
}

std::string noXDisplayReason() {
  const char* display = std::getenv("DISPLAY");
  return std::string("no X display to show the screensaver on (") +
         (display == nullptr || *display == '\0'
              ? std::string("DISPLAY is not set")
              : "the display '" + std::string(display) + "' cannot be opened") +
         ")";
}

std::string cannotShowMessage(const std::string& reason) {
  return "petalstream: " + reason +
         ".\n"
         "Start it from a desktop session, or draw the meadow into image files without a "
         "display:\n  petalstream-render --help\n";
}

namespace {
QtMessageHandler g_previous = nullptr;

void startMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (g_previous != nullptr) g_previous(type, context, message);
    return;
  }
  const std::string name = platformName();
  std::string reason;
  if (name == "xcb") {
    reason = noXDisplayReason();
  } else {
    reason = "the Qt platform '" + name + "' cannot start";
    // Qt's message names the plugins there are, which is worth passing on.
    const QString listed = QStringLiteral("Available platform plugins are: ");
    const qsizetype at = message.indexOf(listed);
    if (at >= 0) {
      QString plugins = message.mid(at + listed.size()).trimmed();
      if (plugins.endsWith(u'.')) plugins.chop(1);
      reason += " (the platforms there are: " + plugins.toStdString() + ")";
    }
  }
  std::fputs(cannotShowMessage(reason).c_str(), stderr);
  std::fflush(nullptr);
  std::_Exit(2);
}
}  // namespace

PlatformStartGuard::PlatformStartGuard() {
  g_previous = qInstallMessageHandler(startMessage);
}

PlatformStartGuard::~PlatformStartGuard() {
  qInstallMessageHandler(g_previous);
}

}  // namespace ps::qt
