// The Linux program: the screensaver on an X display, as a desktop program or as an
// XScreenSaver hack.
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "backends/qt/launch.h"
#include "backends/qt/platform.h"
#include "backends/qt/qpa.h"
#include "backends/qt/util.h"
#include "backends/qt/x11.h"
#include "host/process.h"
#include "host/saver.h"

int main(int argc, char** argv) {
  using namespace ps;
  std::vector<std::string> args(argv + 1, argv + argc);
  qt::takePlatformOptions(args);
  qt::Launch launch = qt::interpretLaunch(args, std::getenv("XSCREENSAVER_WINDOW"));
  if (launch.help) {
    std::cout << qt::usageText();
    return 0;
  }
  if (launch.version) {
    std::cout << qt::versionLine();
    return 0;
  }
  if (!launch.error.empty()) {
    std::cerr << "petalstream: " << launch.error << '\n';
    return 2;
  }
  // X11 it is, unless told otherwise or a Wayland session is better served natively; the
  // preview and XScreenSaver hand us X windows.
  const std::string mode = Saver::modeSwitch(launch.commandLine);
  const std::string platformName = qt::platformName(launch.xscreensaver || mode == "/P");
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  if (qpa == nullptr || *qpa == '\0') setenv("QT_QPA_PLATFORM", platformName.c_str(), 1);
  if (platformName == "xcb" && !qt::x11DisplayAvailable()) {
    std::cerr << qt::cannotShowMessage(qt::noXDisplayReason());
    return 2;
  }
  if (const std::string why = qt::unseenMode(platformName, mode); !why.empty()) {
    std::cerr << qt::cannotShowMessage(why);
    return 2;
  }

  // Qt's own options (-qwindowgeometry, -geometry, -stylesheet, -nograb ...) would shrink,
  // move or hide the first window or keep it from the keyboard: only the settings dialog is
  // the user's to place. The others cover what they are given, so Qt sees no option there
  // (-platform and -display are in the environment by now).
  const bool dialog = mode == "/C";
  char* nameOnly[] = {argv[0], nullptr};
  int qtArgc = dialog ? argc : 1;
  std::optional<qt::PlatformStartGuard> starting(std::in_place);
  QApplication app(qtArgc, dialog ? argv : nameOnly);
  starting.reset();
  QApplication::setApplicationName(QStringLiteral("PetalStream"));
  QApplication::setStyle(QStringLiteral("Fusion"));
  qt::installFontSubstitutes();
  qt::QtPlatform os(launch);
  Process process(os);
  os.handleTerminationSignals();
  Saver::deliver([] { Saver::Main(); });
  os.exitProcess(os.run());
}
