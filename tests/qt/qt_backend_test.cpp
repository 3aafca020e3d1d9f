// The Qt backend offscreen: start-up switches, the settings store on disk, text on surfaces,
// resources, windows mirroring the control model, timers, modal display, presentation.
#include <gtest/gtest.h>

#include <climits>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/dpms.h>

#include "backends/qt/form_window.h"
#include "backends/qt/launch.h"
#include "backends/qt/platform.h"
#include "backends/qt/qpa.h"
#include "dialogs/frmConfig.h"
#include "generated/version.h"
#include "host/process.h"
#include "platform/forms.h"
#include "platform/pictures.h"
#include "platform/surface.h"

namespace ps::qt {
namespace {

// One application and one configuration folder for the whole program: Qt reads the folder once.
QTemporaryDir& home() {
  static QTemporaryDir dir;
  return dir;
}
void startQt() {
  static QApplication* app = [] {
    setenv("XDG_CONFIG_HOME", QDir(home().path()).filePath("config").toUtf8().constData(), 1);
    static int argc = 1;
    static char name[] = "petalstream_qt_tests";
    static char* argv[] = {name, nullptr};
    return new QApplication(argc, argv);
  }();
  (void)app;
}

struct World {
  World() { startQt(); }
  QtPlatform os{Launch{}};
  Process process{os};
};

// ---- Start-up switches

TEST(Launch, WindowsSwitchesPassThroughAsTheCommandLine) {
  Launch l = interpretLaunch({"/p", "4711"}, nullptr);
  EXPECT_FALSE(l.xscreensaver);
  EXPECT_EQ(l.commandLine, "/p 4711");
  EXPECT_EQ(interpretLaunch({}, nullptr).commandLine, "");
  EXPECT_TRUE(interpretLaunch({"--help"}, nullptr).help);
}

TEST(Launch, XScreenSaverWaysMeanTheRunningModeInItsWindow) {
  Launch byId = interpretLaunch({"-window-id", "0x1a00003"}, nullptr);
  EXPECT_TRUE(byId.xscreensaver);
  EXPECT_EQ(byId.commandLine, "/S");
  EXPECT_EQ(byId.window, 0x1a00003u);
  EXPECT_EQ(interpretLaunch({"--window-id=4711"}, nullptr).window, 4711u);

  Launch root = interpretLaunch({"--root", "-fps"}, "0x200005");
  EXPECT_TRUE(root.xscreensaver);
  EXPECT_FALSE(root.root);
  EXPECT_EQ(root.window, 0x200005u);
  EXPECT_TRUE(interpretLaunch({"-root"}, nullptr).root);
  // Started by XScreenSaver with nothing but its variable.
  EXPECT_EQ(interpretLaunch({}, "33554439").window, 33554439u);
  // The variable alone does not turn a settings dialog into a hack.
  EXPECT_FALSE(interpretLaunch({"/C"}, "0x200005").xscreensaver);
}

TEST(Launch, HelpAndVersionInEveryLinuxSpelling) {
  for (const char* a : {"-h", "-help", "--help", "--h"}) {
    Launch l = interpretLaunch({a}, nullptr);
    EXPECT_TRUE(l.help) << a;
    EXPECT_TRUE(l.error.empty()) << a;
  }
  EXPECT_TRUE(interpretLaunch({"--version"}, nullptr).version);
  EXPECT_TRUE(interpretLaunch({"-root", "-version"}, "0x200005").version);
  EXPECT_EQ(versionLine(), "petalstream " + std::to_string(PETALSTREAM_VERSION_MAJOR) + "." +
                               std::to_string(PETALSTREAM_VERSION_MINOR) + "." +
                               std::to_string(PETALSTREAM_VERSION_REVISION) + "\n");
  // The Windows switches keep their meaning; /H is none of them.
  EXPECT_FALSE(interpretLaunch({"/H"}, nullptr).help);
  EXPECT_EQ(interpretLaunch({"/S"}, nullptr).commandLine, "/S");
  EXPECT_EQ(interpretLaunch({"/c:4711"}, nullptr).commandLine, "/c:4711");
  EXPECT_EQ(interpretLaunch({"/a", "4711"}, nullptr).commandLine, "/a 4711");
}

TEST(Launch, TheHacksOptionsBecomeStoredValues) {
  Launch l =
      interpretLaunch({"--root", "--flowers", "3", "-speed", "2.5", "--background", "desktop",
                       "-no-date", "--time", "--no-restart", "--restart-minutes=99"},
                      "0x200005");
  ASSERT_TRUE(l.error.empty()) << l.error;
  EXPECT_TRUE(l.xscreensaver);
  EXPECT_EQ(l.commandLine, "/S");
  const std::map<std::string, std::string> want = {
      {"maxFl", "3"}, {"SpeedF", "2.5"}, {"Background", "3"}, {"Date", "0"},
      {"Time", "1"},  {"Restart", "0"},  {"rTime", "5940"}};
  EXPECT_EQ(l.settings, want);
  const std::pair<const char*, const char*> backgrounds[] = {
      {"black", "0"}, {"blue", "1"}, {"green", "2"}, {"random", "4"}};
  for (auto [name, value] : backgrounds) {
    EXPECT_EQ(interpretLaunch({"-root", "-background", name}, nullptr).settings["Background"],
              value);
  }
  // The ends of the dialog's ranges, and a comma as the decimal point.
  EXPECT_EQ(interpretLaunch({"-root", "-speed", "0,1"}, nullptr).settings["SpeedF"], "0.1");
  EXPECT_EQ(interpretLaunch({"-root", "-speed", "10"}, nullptr).settings["SpeedF"], "10");
  EXPECT_EQ(interpretLaunch({"-root", "-flowers", "10"}, nullptr).settings["maxFl"], "10");
  EXPECT_EQ(interpretLaunch({"-root", "-restart-minutes", "1"}, nullptr).settings["rTime"], "60");
  // XScreenSaver's variable with options and no -root is a hack all the same.
  EXPECT_TRUE(interpretLaunch({"-flowers", "4"}, "0x200005").xscreensaver);
}

TEST(Launch, HackOptionsOutsideTheirRangesOrWithoutAHackAreRefused) {
  const std::vector<std::vector<std::string>> bad = {{"-root", "-flowers", "1"},
                                                     {"-root", "-flowers", "11"},
                                                     {"-root", "-flowers", "2.5"},
                                                     {"-root", "-flowers", "many"},
                                                     {"-root", "-speed", "0.05"},
                                                     {"-root", "-speed", "10.5"},
                                                     {"-root", "-speed", "fast"},
                                                     {"-root", "-restart-minutes", "0"},
                                                     {"-root", "-restart-minutes", "100"},
                                                     {"-root", "-background", "red"},
                                                     {"-root", "-background"},
                                                     {"-root", "-flowers="}};
  for (const auto& args : bad) {
    Launch l = interpretLaunch(args, nullptr);
    EXPECT_FALSE(l.error.empty()) << args[1] << " " << (args.size() > 2 ? args[2] : "");
  }
  Launch alone = interpretLaunch({"-flowers", "4"}, nullptr);
  EXPECT_FALSE(alone.xscreensaver);
  EXPECT_NE(alone.error.find("-root"), std::string::npos) << alone.error;
  EXPECT_FALSE(interpretLaunch({"/S", "-speed", "3"}, "0x200005").error.empty());
}

TEST(Launch, WindowIdsThatNameNoWindowAreRefused) {
  EXPECT_FALSE(interpretLaunch({"-window-id", "nonsense"}, nullptr).error.empty());
  EXPECT_FALSE(interpretLaunch({"-window-id"}, nullptr).error.empty());
  EXPECT_FALSE(interpretLaunch({"-window-id", "-5"}, nullptr).error.empty());
  EXPECT_FALSE(interpretLaunch({"-window-id", "0x40000000"}, nullptr).error.empty());
  EXPECT_FALSE(interpretLaunch({"-root"}, "junk").error.empty());
}

TEST(Launch, QtsPlatformOptionsGoToTheEnvironmentNotTheSwitches) {
  auto variable = [](const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr ? std::string(v) : std::string();
  };
  const std::string display = variable("DISPLAY"), qpa = variable("QT_QPA_PLATFORM"),
                    wayland = variable("WAYLAND_DISPLAY"), sway = variable("SWAYSOCK");
  std::vector<std::string> args{"-display", ":7", "/S", "--platform", "wayland;xcb", "-platform"};
  takePlatformOptions(args);
  EXPECT_EQ(args, std::vector<std::string>{"/S"});
  EXPECT_STREQ(std::getenv("DISPLAY"), ":7");
  EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), "wayland;xcb");
  EXPECT_EQ(platformName(), "wayland");
  setenv("QT_QPA_PLATFORM", "minimal:enable_fonts", 1);
  EXPECT_TRUE(platformIsInvisible(platformName()));
  setenv("QT_QPA_PLATFORM", "", 1);
  EXPECT_EQ(platformName(), "xcb");
  EXPECT_FALSE(platformIsInvisible(platformName()));
  // Named by nobody: X11 wherever there is an X display, Wayland's own where only it is there.
  unsetenv("SWAYSOCK");
  setenv("WAYLAND_DISPLAY", "wayland-1", 1);
  EXPECT_EQ(platformName(), "xcb");
  setenv("SWAYSOCK", "/run/user/1000/sway-ipc.sock", 1);
  EXPECT_EQ(platformName(), "wayland");
  EXPECT_EQ(platformName(true), "xcb");  // the preview's or a hack's X window
  unsetenv("SWAYSOCK");
  unsetenv("DISPLAY");
  EXPECT_EQ(platformName(), "wayland");
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_EQ(platformName(), "xcb");
  setenv("QT_QPA_PLATFORM", qpa.c_str(), 1);
  for (auto [name, value] : {std::pair{"DISPLAY", &display}, std::pair{"WAYLAND_DISPLAY", &wayland},
                             std::pair{"SWAYSOCK", &sway}}) {
    if (value->empty())
      unsetenv(name);
    else
      setenv(name, value->c_str(), 1);
  }
}

// ---- Settings store

std::string readFile(const QString& path) {
  std::ifstream in(path.toStdString());
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(SettingsStore, WritesAnIniFileInTheUsersConfigurationFolder) {
  World w;
  QString file = QDir(home().path()).filePath("config/PetalStream/PetalStream.ini");
  QFile::remove(file);
  EXPECT_EQ(w.os.GetSetting("PetalStream", "Settings", "maxFl", "10"), "10");
  w.os.SaveSetting("PetalStream", "Settings", "maxFl", "7");
  w.os.SaveSetting("PetalStream", "Settings", "SpeedF", "0,5");
  std::string ini = readFile(file);
  EXPECT_NE(ini.find("[Settings]\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("maxFl=7\n"), std::string::npos) << ini;

  World again;  // a later run reads what this one wrote
  EXPECT_EQ(again.os.GetSetting("PetalStream", "Settings", "maxFl", "10"), "7");
  EXPECT_EQ(again.os.GetSetting("PetalStream", "Settings", "SpeedF", "10"), "0,5");
  EXPECT_EQ(again.os.GetSetting("PetalStream", "Other", "maxFl", "x"), "x");
}

TEST(SettingsStore, ReadsACommaWrittenByHandAsText) {
  World w;
  QString file = QDir(home().path()).filePath("config/PetalStream/Hand.ini");
  QDir().mkpath(QFileInfo(file).path());
  std::ofstream(file.toStdString()) << "[Settings]\nSpeedF=2,5\n";
  EXPECT_EQ(w.os.GetSetting("Hand", "Settings", "SpeedF", "10"), "2,5");
}

TEST(SettingsStore, AHacksOptionsComeBeforeTheStoredValues) {
  startQt();
  QString file = QDir(home().path()).filePath("config/PetalStream/PetalStream.ini");
  QDir().mkpath(QFileInfo(file).path());
  std::ofstream(file.toStdString()) << "[Settings]\nmaxFl=7\nSpeedF=3\n";
  QtPlatform hack{interpretLaunch({"-root", "-flowers", "4"}, nullptr)};
  EXPECT_TRUE(hack.hackMode());
  EXPECT_EQ(hack.GetSetting("PetalStream", "Settings", "maxFl", "10"), "4");
  EXPECT_EQ(hack.GetSetting("PetalStream", "Settings", "SpeedF", "10"), "3");
  EXPECT_EQ(hack.GetSetting("PetalStream", "Other", "maxFl", "x"), "x");
  QtPlatform desktop{Launch{}};
  EXPECT_FALSE(desktop.hackMode());
  EXPECT_EQ(desktop.GetSetting("PetalStream", "Settings", "maxFl", "10"), "7");
  // Run from its build folder, the program is no installed one.
  EXPECT_FALSE(desktop.programInstalled());
  QFile::remove(file);
}

TEST(SettingsStore, AStoreThatCannotBeWrittenIsAFailure) {
  World w;
  QString folder = QDir(home().path()).filePath("config/PetalStream");
  QDir().mkpath(folder);
  QString blocked = QDir(folder).filePath("Blocked.ini");
  QDir().mkpath(blocked);  // a folder where the file should be
  try {
    w.os.SaveSetting("Blocked", "Settings", "maxFl", "3");
    FAIL() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(f.number, err::kPlatform);
  }
}

// The bytes of a literal, NULs included.
template <size_t N>
std::string bytesOf(const char (&s)[N]) {
  return std::string(s, N - 1);
}

TEST(SettingsStore, AnOddFileThatCanBeReadTakesTheDialogsValuesAndComesOutClean) {
  // What editors and accidents leave: a byte-order mark, UTF-16, NUL bytes, junk, a broken
  // section line. Qt reads them with a format error that it keeps reporting after it has
  // written a clean file over them.
  const std::string bom = "\xEF\xBB\xBF[Settings]\nmaxFl=7\n";
  const std::string utf16 = bytesOf(
      "\xFF\xFE[\0S\0e\0t\0t\0i\0n\0g\0s\0]\0\n\0m\0=\0"
      "7\0\n\0");
  const std::string nul = bytesOf("[Settings]\nmaxFl=7\0\0\nx\0y=1\n");
  std::string junk;
  for (int i = 0; i < 300; ++i) junk += static_cast<char>((i * 97 + 13) % 256);
  const std::string broken = "junk\n[Settings\nmaxFl=7\n";
  const std::vector<std::pair<std::string, std::string>> values = {
      {"SpeedF", "2.5"}, {"maxFl", "3"},   {"Date", "0"},      {"Time", "1"},
      {"Restart", "1"},  {"rTime", "120"}, {"Background", "2"}};
  int n = 0;
  for (const std::string& content : {bom, utf16, nul, junk, broken}) {
    World w;
    const std::string app = "Odd" + std::to_string(++n);
    const QString file =
        QDir(home().path()).filePath(QString::fromStdString("config/PetalStream/" + app + ".ini"));
    QDir().mkpath(QFileInfo(file).path());
    std::ofstream(file.toStdString(), std::ios::binary) << content;
    w.os.GetSetting(app, "Settings", "maxFl", "10");  // LoadConfig has read it first
    for (const auto& [key, value] : values) {
      try {
        w.os.SaveSetting(app, "Settings", key, value);
      } catch (const Failure& f) {
        ADD_FAILURE() << app << " " << key << ": " << f.description;
      }
    }
    // A copy (Qt caches what it read of a file by its name) reads cleanly with all seven.
    const QString copy = file + ".copy";
    QFile::remove(copy);
    ASSERT_TRUE(QFile::copy(file, copy));
    QSettings again(copy, QSettings::IniFormat);
    again.allKeys();
    EXPECT_EQ(again.status(), QSettings::NoError) << app;
    for (const auto& [key, value] : values) {
      EXPECT_EQ(again.value(QString::fromStdString("Settings/" + key)).toString().toStdString(),
                value)
          << app << " " << key;
    }
  }
}

TEST(SettingsStore, AFileThatIsNoRegularFileIsNotReadAndDoesNotHang) {
  World w;
  const QString folder = QDir(home().path()).filePath("config/PetalStream");
  QDir().mkpath(folder);
  const std::string pipe = QDir(folder).filePath("Pipe.ini").toStdString();
  ::unlink(pipe.c_str());
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  // Should the store open the pipe, it would wait for a writer: be that writer, so that the
  // test ends (with the store's reading an empty file) instead of hanging.
  std::atomic<bool> done{false};
  std::thread writer([&] {
    while (!done) {
      int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) {
        ::close(fd);
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  });
  auto failure = [](const std::function<void()>& f) -> std::string {
    try {
      f();
    } catch (const Failure& e) {
      return std::to_string(e.number) + " " + e.description;
    }
    return "none";
  };
  EXPECT_EQ(failure([&] { w.os.GetSetting("Pipe", "Settings", "maxFl", "10"); }),
            "5 The settings store cannot be read: " + pipe);
  EXPECT_EQ(failure([&] { w.os.SaveSetting("Pipe", "Settings", "maxFl", "3"); }),
            "5 The settings store cannot be written: " + pipe);
  done = true;
  writer.join();
  ::unlink(pipe.c_str());
}

// ---- Termination signals

// Starts a child that takes the termination signals and then blocks in a read outside any
// event loop (as an open of a named pipe would), sends it SIGTERM `signals` times, and tells
// how it ended.
std::string endOfBlockedChild(int signals, bool loopRunning) {
  int ready[2], never[2];
  if (::pipe(ready) != 0 || ::pipe(never) != 0) return "no pipes";
  const pid_t child = ::fork();
  if (child == 0) {
    // The handlers are the child's own: their pipe must not reach this test program's loop.
    World w;
    w.os.handleTerminationSignals();
    QtPlatform::takeSignalsInEventLoop(loopRunning);
    char c = 1;
    [[maybe_unused]] ssize_t n = ::write(ready[1], &c, 1);
    n = ::read(never[0], &c, 1);  // waits: nothing is ever written
    std::_Exit(3);
  }
  char c;
  [[maybe_unused]] ssize_t n = ::read(ready[0], &c, 1);
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < signals; ++i) {
    ::kill(child, SIGTERM);
    for (int wait = 0; wait < 100 && ended == 0; ++wait) {
      ended = ::waitpid(child, &status, WNOHANG);
      if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  for (int fd : {ready[0], ready[1], never[0], never[1]}) ::close(fd);
  if (ended == 0) {
    ::kill(child, SIGKILL);
    ::waitpid(child, &status, 0);
    return "still running";
  }
  if (WIFSIGNALED(status)) return "ended by signal " + std::to_string(WTERMSIG(status));
  return "exited " + std::to_string(WEXITSTATUS(status));
}

TEST(Signals, EndTheProgramEvenWhileItWaitsOutsideTheEventLoop) {
  World w;  // Qt started before the fork
  const std::string term = "ended by signal " + std::to_string(SIGTERM);
  // Before the event loop runs (start-up), the first signal ends it.
  EXPECT_EQ(endOfBlockedChild(1, false), term);
  // In the event loop the signal is the loop's to take; when it is not taken, the next one
  // ends the program.
  EXPECT_EQ(endOfBlockedChild(2, true), term);
}

// ---- Text, desktop, resources, files, system

constexpr Rect kAll{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

TEST(Drawing, TextLandsInItsColourAndLeavesTheTopByteZero) {
  World w;
  Surface s(200, 60, 0x102030);
  Font comic{"Comic Sans MS", 9.75, 700, false, false, false, 0};
  w.os.drawText(s, comic, 10, 20, "12:34:56", 0xFFFFFF, kAll);
  int white = 0, changed = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      EXPECT_EQ(s.at(x, y) >> 24, 0u) << x << "," << y;
      if (s.at(x, y) == 0xFFFFFF) ++white;
      if (s.at(x, y) != 0x102030) {
        ++changed;
        EXPECT_GE(y, 18);  // nothing above the text's box (a little slack for the ink)
        EXPECT_GE(x, 8);
      }
    }
  }
  EXPECT_GT(white, 10);
  EXPECT_GT(changed, white);
  const int h = w.os.textHeight(comic, "x");
  EXPECT_GT(h, 8);
  EXPECT_LT(h, 30);
  EXPECT_GT(w.os.textWidth(comic, "https://petalstream.example/"), w.os.textWidth(comic, "x"));
}

// Rendered texts are kept for the next tick: one text in two colours, texts that differ in a
// character, and a text asked for again after many others each come out as drawn afresh.
TEST(Drawing, KeptTextsAreTheirOwnTextAndColour) {
  World w;
  Font f;
  auto draw = [&](std::string_view text, u32 rgb) {
    Surface s(200, 40, 0);
    w.os.drawText(s, f, 5, 10, text, rgb, kAll);
    return std::vector<u32>(s.data(), s.data() + 200 * 40);
  };
  auto inkIn = [](const std::vector<u32>& px, u32 mask) {
    return std::count_if(px.begin(), px.end(), [&](u32 p) { return (p & mask) != 0; });
  };
  const auto red = draw("12:34:56", 0xFF0000), blue = draw("12:34:56", 0x0000FF);
  EXPECT_GT(inkIn(red, 0xFF0000), 10);
  EXPECT_EQ(inkIn(red, 0x00FFFF), 0);
  EXPECT_GT(inkIn(blue, 0x0000FF), 10);
  EXPECT_EQ(inkIn(blue, 0xFFFF00), 0);
  const auto other = draw("12:34:57", 0xFF0000);
  EXPECT_NE(other, red);
  for (int k = 0; k < 40; ++k) draw("text " + std::to_string(k), 0xFF0000);
  EXPECT_EQ(draw("12:34:56", 0xFF0000), red);
  EXPECT_EQ(draw("12:34:57", 0xFF0000), other);
}

TEST(Drawing, TextAtTheEdgesIsClipped) {
  World w;
  Surface s(40, 10, 0);
  Font f;
  w.os.drawText(s, f, -15, 5, "clipped text", 0xFFFFFF, kAll);
  w.os.drawText(s, f, 30, -8, "more", 0xFFFFFF, kAll);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 40; ++x) EXPECT_EQ(s.at(x, y) >> 24, 0u);
}

TEST(Drawing, TextCutByAnEdgeKeepsThePixelsItWouldHaveThere) {
  World w;
  Font f{"Comic Sans MS", 9.75, 700, false, false, false, 0};
  auto ground = [](int x, int y) { return static_cast<u32>((x * 37 + y * 91) & 0xFFFFFF); };
  Surface whole(300, 60, 0), cut(300, 60, 0);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 300; ++x) {
      whole.set(x, y, ground(x, y));
      cut.set(x, y, ground(x + 25, y + 11));
    }
  const std::string text = "7 Dec 2026   18:48:30";
  w.os.drawText(whole, f, 20, 20, text, 0xFFFFFF, kAll);
  // The same text 25 pixels further left and 11 higher, over the same ground: the left edge
  // and the top cut through its glyphs.
  w.os.drawText(cut, f, -5, 9, text, 0xFFFFFF, kAll);
  for (int y = 0; y + 11 < 60; ++y)
    for (int x = 0; x + 25 < 300; ++x)
      ASSERT_EQ(cut.at(x, y), whole.at(x + 25, y + 11)) << x << "," << y;
}

TEST(Drawing, APartOfATextPrintedAgainOverItsGroundLeavesTheWholeTextsPixels) {
  // The meadow restores a part of a text's place and prints the text there alone.
  World w;
  Font f{"Comic Sans MS", 9.75, 700, false, false, false, 0};
  Surface ground(300, 60, 0);
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 300; ++x) ground.set(x, y, static_cast<u32>((x * 37 + y * 91) & 0xFFFFFF));
  const std::string text = "7 Dec 2026   18:48:30";
  Surface whole = ground;
  w.os.drawText(whole, f, 20, 20, text, 0xFFFFFF, kAll);
  Surface again = whole;
  // Parts through the middle of glyphs, at the text's edges and beyond the surface.
  for (Rect part : {Rect{40, 22, 57, 31}, Rect{0, 0, 30, 60}, Rect{100, 25, 400, 26},
                    Rect{61, -5, 62, 80}, Rect{20, 20, 140, 40}}) {
    again.copyRect(ground, part);
    w.os.drawText(again, f, 20, 20, text, 0xFFFFFF, part);
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 300; ++x)
        ASSERT_EQ(again.at(x, y), whole.at(x, y))
            << part.left << "," << part.top << ": " << x << "," << y;
  }
}

TEST(Resources, PicturesByNumberAndAFailureForOthers) {
  World w;
  Image sprite = loadPicture(w.os, ResourceKind::Icon, 101);
  EXPECT_EQ(sprite.width, 32);
  EXPECT_TRUE(sprite.hasMask());
  EXPECT_EQ(loadPicture(w.os, ResourceKind::Data, 301).width, 256);
  EXPECT_FALSE(w.os.resource(ResourceKind::Bitmap, 101).empty());
  EXPECT_FALSE(w.os.resource(ResourceKind::Icon, 1).empty());
  for (auto [kind, n] : {std::pair{ResourceKind::Icon, 100},
                         {ResourceKind::Icon, 201},
                         {ResourceKind::Bitmap, 103},
                         {ResourceKind::Data, 302}}) {
    try {
      w.os.resource(kind, n);
      ADD_FAILURE() << n;
    } catch (const Failure& f) {
      EXPECT_EQ(f.number, err::kResourceNotFound);
    }
  }
}

TEST(Files, AppendsCreatingFoldersAndFailsWith75WhereItCannot) {
  World w;
  std::string path = QDir(home().path()).filePath("state/a/b/petalstream.EPT").toStdString();
  w.os.appendToFile(path, "one\r\n", true);
  w.os.appendToFile(path, "two\r\n", false);
  EXPECT_EQ(readFile(QString::fromStdString(path)), "one\r\ntwo\r\n");
  try {
    w.os.appendToFile(QDir(home().path()).filePath("nowhere/x.EPT").toStdString(), "x", false);
    FAIL() << "no failure";
  } catch (const Failure& f) {
    EXPECT_EQ(f.number, err::kFileAccess);
  }
}

TEST(System, LinuxIsAPlatformOfItsOwnWithoutPasswordsOrFlags) {
  World w;
  OsVersion v = w.os.systemVersion();
  EXPECT_EQ(v.result, 1);
  EXPECT_EQ(v.family, SystemFamily::Other);
  EXPECT_EQ(v.platformName, "Linux");
  EXPECT_GT(v.majorVersion, 1u);
  EXPECT_EQ(w.os.verifyPassword(0), 1);
  EXPECT_EQ(w.os.setScreenSaverActive(false), 1);
  // The pointer's count: hidden below zero, shown again at zero.
  EXPECT_EQ(w.os.showPointer(false), -1);
  EXPECT_EQ(w.os.showPointer(true), 0);
  EXPECT_EQ(w.os.showPointer(true), 1);
  EXPECT_EQ(w.os.pathSeparator(), '/');
  setenv("XDG_STATE_HOME", "/var/tmp/state", 1);
  EXPECT_EQ(w.os.userDataDirectory(), "/var/tmp/state/petalstream");
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(w.os.programName(), "petalstream_qt_tests");
  LocalTime t{2001, 4, 24, 13, 5, 9, 0};
  EXPECT_NE(w.os.longTime(t).find("13"), std::string::npos);
  EXPECT_NE(w.os.shortDate(t).find("24"), std::string::npos);
}

// ---- Windows

class TestForm : public Form {
 public:
  TestForm() : Form("frmTest") {
    setDesign("Test", 3000, 2250, false, 0xC0C0C0, Font{});
    frame.setCaption("&Group");
    frame.move(150, 150, 2000, 1500);
    for (Control* c : {&check, &opt0, &opt1}) c->setContainer(&frame);
    check.setCaption("&Check");
    check.move(150, 300, 1500, 255);
    opt0.move(150, 600, 1500, 255);
    opt1.move(150, 900, 1500, 255);
    opt0.setValue(kTrue);
    bar.setRange(1, 100, 5, 20);
    bar.setValue(50);
    bar.move(150, 1800, 2250, 195);
    label.setCaption("Save && go");
    label.move(2250, 150, 600, 255);
    button.setCaption("&OK");
    button.move(2250, 1500, 600, 450);
    check.onClick = [this] { ++checkClicks; };
    opt1.onClick = [this] { ++optClicks; };
    bar.onChange = [this] { ++barChanges; };
    button.onClick = [this] { ++buttonClicks; };
    // Tab order: button, bar, check, then the options.
    for (Control* c : {&frame, &label, &button, &bar, &check, &opt0, &opt1}) addControl(*c);
  }
  Control frame{*this, ControlKind::Frame, "fra"};
  Control check{*this, ControlKind::CheckBox, "chk"};
  Control opt0{*this, ControlKind::OptionButton, "opt", 0};
  Control opt1{*this, ControlKind::OptionButton, "opt", 1};
  Control bar{*this, ControlKind::HScrollBar, "bar"};
  Control label{*this, ControlKind::Label, "lbl"};
  Control button{*this, ControlKind::CommandButton, "cmd"};
  int checkClicks = 0, optClicks = 0, barChanges = 0, buttonClicks = 0;
};

TEST(Windows, ControlsBecomeWidgetsAtTheirPlacesInTabOrder) {
  World w;
  TestForm f;
  w.process.forms.show(f);
  FormWindow* win = w.os.windowOf(f);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(w.os.twipsPerPixel(), 15.0f);  // 96 dots per inch
  EXPECT_EQ(win->size(), QSize(200, 150));
  EXPECT_EQ(win->windowTitle(), "Test");

  auto* frame = qobject_cast<QGroupBox*>(win->widgetOf(f.frame));
  auto* check = qobject_cast<QCheckBox*>(win->widgetOf(f.check));
  auto* label = qobject_cast<QLabel*>(win->widgetOf(f.label));
  ASSERT_TRUE(frame && check && label);
  EXPECT_EQ(frame->geometry(), QRect(10, 10, 133, 100));
  EXPECT_EQ(check->parentWidget(), frame);  // placed inside its frame
  EXPECT_EQ(check->geometry(), QRect(10, 20, 100, 17));
  EXPECT_EQ(check->text(), "&Check");     // a shortcut, as on the button
  EXPECT_EQ(label->text(), "Save & go");  // a label shows its text
  EXPECT_EQ(frame->title(), "&Group");

  QWidget* button = win->widgetOf(f.button);
  EXPECT_EQ(button->nextInFocusChain(), win->widgetOf(f.bar));
  EXPECT_EQ(win->widgetOf(f.bar)->nextInFocusChain(), check);
  EXPECT_EQ(check->nextInFocusChain(), win->widgetOf(f.opt0));
  w.process.forms.unload(f);
}

TEST(Windows, TheUsersActionsReachTheModelAndTheModelReachesTheWidgets) {
  World w;
  TestForm f;
  w.process.forms.show(f);
  FormWindow* win = w.os.windowOf(f);
  auto* check = qobject_cast<QCheckBox*>(win->widgetOf(f.check));
  auto* opt0 = qobject_cast<QRadioButton*>(win->widgetOf(f.opt0));
  auto* opt1 = qobject_cast<QRadioButton*>(win->widgetOf(f.opt1));
  auto* bar = qobject_cast<QScrollBar*>(win->widgetOf(f.bar));
  auto* button = qobject_cast<QAbstractButton*>(win->widgetOf(f.button));

  check->click();
  EXPECT_EQ(f.check.value(), 1);
  EXPECT_EQ(f.checkClicks, 1);
  opt1->click();
  EXPECT_EQ(f.opt1.value(), kTrue);
  EXPECT_EQ(f.opt0.value(), 0);
  EXPECT_FALSE(opt0->isChecked());
  opt1->click();  // clicking the chosen option again leaves it chosen
  EXPECT_TRUE(opt1->isChecked());
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(f.bar.value(), 70);
  EXPECT_EQ(f.barChanges, 1);
  button->click();
  EXPECT_EQ(f.buttonClicks, 1);

  f.check.setValue(0);
  EXPECT_EQ(check->checkState(), Qt::Unchecked);
  f.bar.setValue(3);
  EXPECT_EQ(bar->value(), 3);
  f.button.setEnabled(false);
  EXPECT_FALSE(button->isEnabled());
  f.label.setCaption("new");
  EXPECT_EQ(qobject_cast<QLabel*>(win->widgetOf(f.label))->text(), "new");
  w.process.forms.unload(f);
  EXPECT_EQ(w.os.windowOf(f), nullptr);
}

// The test form with a vertical bar and a picture button besides.
class KeysForm : public TestForm {
 public:
  KeysForm() {
    down.setRange(1, 100, 5, 20);
    down.move(2400, 150, 255, 1200);
    picture.setPicture(ResourceKind::Icon, 101);
    picture.move(150, 1800, 900, 400);
    picture.onClick = [this] { ++pictureClicks; };
    addControl(down);
    addControl(picture);
  }
  Control down{*this, ControlKind::VScrollBar, "vsc"};
  Control picture{*this, ControlKind::CommandButton, "cmdPicture"};
  int pictureClicks = 0;
};

TEST(Windows, ArrowKeysMoveScrollBarsAsOnWindows) {
  World w;
  KeysForm f;
  w.process.forms.show(f);
  FormWindow* win = w.os.windowOf(f);
  for (Control* c : {&f.bar, &f.down}) {
    QWidget* bar = win->widgetOf(*c);
    c->setValue(50);
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(c->value(), 55) << c->name();
    QTest::keyClick(bar, Qt::Key_Left);
    QTest::keyClick(bar, Qt::Key_Left);
    EXPECT_EQ(c->value(), 45) << c->name();
    QTest::keyClick(bar, Qt::Key_Down);
    EXPECT_EQ(c->value(), 50) << c->name();
    QTest::keyClick(bar, Qt::Key_Up);
    EXPECT_EQ(c->value(), 45) << c->name();
    QTest::keyClick(bar, Qt::Key_PageDown);
    EXPECT_EQ(c->value(), 65) << c->name();
  }
  w.process.forms.unload(f);
}

TEST(Windows, EnterPressesTheFocusedButton) {
  World w;
  KeysForm f;
  w.process.forms.show(f);
  FormWindow* win = w.os.windowOf(f);
  QTest::keyClick(win->widgetOf(f.button), Qt::Key_Return);
  QTest::keyClick(win->widgetOf(f.button), Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(f.buttonClicks, 2);
  QTest::keyClick(win->widgetOf(f.picture), Qt::Key_Return);
  EXPECT_EQ(f.pictureClicks, 1);
  QTest::keyClick(win->widgetOf(f.check), Qt::Key_Return);  // no button: no click
  EXPECT_EQ(f.checkClicks, 0);
  w.process.forms.unload(f);
}

TEST(Windows, TheSettingsDialogHasItsDesign) {
  World w;
  Settings& s = w.process.settings;
  s.maxFl = 10, s.SpeedF = 10, s.Date = s.Time = s.Restart = 1, s.rTime = 600, s.Background = 4;
  frmConfig& c = w.process.config();
  w.process.forms.show(c);
  FormWindow* win = w.os.windowOf(c);
  ASSERT_NE(win, nullptr);
  EXPECT_EQ(win->size(), QSize(390, 310));
  EXPECT_EQ(win->windowTitle(), "Petal Stream Screensaver  ---  Settings / Einstellungen...");
  EXPECT_EQ(win->widgetOf(c.cmdOK)->geometry(), QRect(296, 232, 80, 65));
  EXPECT_EQ(win->widgetOf(c.vscTime)->geometry(), QRect(112, 120, 17, 17));
  // The user's click on Random frees the background options. Disabled, their captions still
  // show, greyed: dark pixels right of the round indicator.
  EXPECT_FALSE(win->widgetOf(c.optBack(2))->isEnabled());
  QImage caption = win->widgetOf(c.optBack(2))->grab().toImage();
  int inked = 0;
  for (int y = 0; y < caption.height(); ++y) {
    for (int x = 20; x < caption.width(); ++x) inked += qGray(caption.pixel(x, y)) < 150;
  }
  EXPECT_GT(inked, 20) << "the caption \"Green / Grün\" is not to be seen";
  qobject_cast<QAbstractButton*>(win->widgetOf(c.chkRandom))->click();
  EXPECT_TRUE(win->widgetOf(c.optBack(2))->isEnabled());
  qobject_cast<QAbstractButton*>(win->widgetOf(c.optBack(2)))->click();
  EXPECT_EQ(w.process.settings.Background, 2);
  w.process.forms.unload(c);
}

class SurfaceForm : public Form {
 public:
  SurfaceForm() : Form("frmSurface") { setDesign("", 1500, 1500, true, 0x000000, Font{}); }
  const Surface* windowSurface() const override { return &surface; }
  void timerExpired() override { ++ticks; }
  Surface surface{100, 100, 0x00FF00};
  int ticks = 0;
};

TEST(Windows, TheTimerFiresWhileOnAndNotWhenOff) {
  World w;
  SurfaceForm f;
  w.process.forms.load(f);
  w.os.setTimer(f, 20, true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return f.ticks >= 3; }, 2000));
  w.os.setTimer(f, 20, false);
  int now = f.ticks;
  QTest::qWait(100);
  EXPECT_EQ(f.ticks, now);
  w.process.forms.unload(f);
}

// A window unloaded by its own tick takes its timer along, from inside that tick.
TEST(Windows, AWindowUnloadedByItsOwnTickTicksNoMore) {
  World w;
  struct Leaving : SurfaceForm {
    Process* process = nullptr;
    void timerExpired() override {
      ++ticks;
      process->forms.unload(*this);
    }
  } f;
  f.process = &w.process;
  w.process.forms.load(f);
  w.os.setTimer(f, 10, true);
  EXPECT_TRUE(QTest::qWaitFor([&] { return f.ticks >= 1; }, 2000));
  QTest::qWait(100);
  EXPECT_EQ(f.ticks, 1);
  EXPECT_FALSE(w.process.forms.isLoaded(f));
}

// The display's power, read once a second: each change is told once; a server without DPMS
// is asked no more, and a display that was off then counts as on again, never dark for good.
TEST(Windows, TheDisplaysPowerIsToldOnceAChangeAndNotAskedOfAServerWithoutIt) {
  EXPECT_TRUE(DisplayPower::powered(true, XCB_DPMS_DPMS_MODE_ON));
  EXPECT_FALSE(DisplayPower::powered(true, XCB_DPMS_DPMS_MODE_STANDBY));
  EXPECT_FALSE(DisplayPower::powered(true, XCB_DPMS_DPMS_MODE_SUSPEND));
  EXPECT_FALSE(DisplayPower::powered(true, XCB_DPMS_DPMS_MODE_OFF));
  EXPECT_TRUE(DisplayPower::powered(false, XCB_DPMS_DPMS_MODE_OFF));

  DisplayPower p;
  auto told = [](std::optional<bool> n) { return n ? (*n ? "on" : "off") : "-"; };
  std::vector<std::string> seq;
  for (std::optional<bool> r : {true, false, false, true, true, false})
    seq.push_back(told(p.read(r)));
  EXPECT_EQ(seq, (std::vector<std::string>{"-", "off", "-", "on", "-", "off"}));
  EXPECT_TRUE(p.off());
  EXPECT_TRUE(p.known());
  EXPECT_EQ(told(p.read(std::nullopt)), std::string("on"));  // the server went
  EXPECT_FALSE(p.known());                                   // asked no more
  EXPECT_FALSE(p.off());

  DisplayPower none;
  EXPECT_FALSE(none.read(std::nullopt));
  EXPECT_FALSE(none.known());
}

TEST(Windows, PresentedPixelsAreWhatTheWindowShows) {
  World w;
  SurfaceForm f;
  w.process.forms.show(f);
  f.surface.fillRect(Rect{10, 10, 30, 20}, 0x123456);
  w.os.present(f, f.surface, Rect{10, 10, 30, 20});
  QImage shown = w.os.windowOf(f)->grab().toImage();
  EXPECT_EQ(shown.pixel(15, 15) & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(shown.pixel(50, 50) & 0xFFFFFF, 0x00FF00u);
  w.process.forms.unload(f);
}

TEST(Windows, AModalWindowReturnsWhenHidden) {
  World w;
  TestForm dialog;
  QTimer::singleShot(50, [&] { w.os.hideWindow(dialog); });
  EXPECT_TRUE(w.process.forms.showModal(dialog));
  EXPECT_FALSE(w.os.windowOf(dialog)->isVisible());
  w.process.forms.unload(dialog);
}

TEST(Windows, ClientRectsOfOurWindowsAndAHandleOfNone) {
  World w;
  SurfaceForm f;
  w.process.forms.load(f);
  Rect r;
  EXPECT_EQ(w.os.windowArea(f.hWnd(), r), 1);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 100);
  EXPECT_GE(f.hWnd(), QtPlatform::kFirstHandle);
  Rect none;
  EXPECT_EQ(w.os.windowArea(0, none), 0);
  EXPECT_EQ(none.right, 0);
  // A window of ours as the host: the embedded one is its child, sized to what it is given.
  SurfaceForm child;
  w.process.forms.load(child);
  w.os.embedInHost(child.hWnd(), f.hWnd(), 52, 12);
  EXPECT_EQ(w.os.windowOf(child)->windowHandle()->parent(), w.os.windowOf(f)->windowHandle());
  EXPECT_EQ(w.os.clientSize(child).width, 52);
  EXPECT_EQ(w.os.clientSize(child).height, 12);
  w.process.forms.unload(child);
  w.process.forms.unload(f);
}

}  // namespace
}  // namespace ps::qt
