// The Linux program: the screensaver on an X display, as a desktop program or as an
// XScreenSaver hack.
#include <QApplication>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "host/process.h"
#include "host/saver.h"
#include "platform/qt/launch.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_util.h"
#include "platform/qt/x11.h"

int main(int argc, char** argv) {
  using namespace ps;
  std::vector<std::string> args(argv + 1, argv + argc);
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
  // X11 it is (the preview and XScreenSaver hand us X windows), unless told otherwise.
  const char* qpa = std::getenv("QT_QPA_PLATFORM");
  if (qpa == nullptr || *qpa == '\0') setenv("QT_QPA_PLATFORM", "xcb", 1);
  const std::string platformName = std::getenv("QT_QPA_PLATFORM");
  if (platformName.rfind("xcb", 0) == 0 && !qt::x11DisplayAvailable()) {
    const char* display = std::getenv("DISPLAY");
    std::cerr << "petalstream: no X display to show the screensaver on ("
              << (display == nullptr || *display == '\0'
                      ? std::string("DISPLAY is not set")
                      : "the display '" + std::string(display) + "' cannot be opened")
              << ").\n"
                 "Start it from a desktop session, or draw the meadow into image files without "
                 "a display:\n  petalstream-render --help\n";
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("PetalStream"));
  QApplication::setStyle(QStringLiteral("Fusion"));
  qt::installFontSubstitutes();
  qt::QtPlatform os(launch);
  Process process(os);
  os.handleTerminationSignals();
  Saver::deliver([] { Saver::Main(); });
  os.exitProcess(os.run());
}
