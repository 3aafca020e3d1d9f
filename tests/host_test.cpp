// Start-up, settings and the ending of the running mode, on the fake platform.
#include <gtest/gtest.h>

#include <cmath>

#include "animation/frmMain.h"
#include "dialogs/frmConfig.h"
#include "dialogs/frmInfo.h"
#include "errors/ErrPtnr.h"
#include "errors/guard.h"
#include "fake/fake_platform.h"
#include "host/allgemein.h"
#include "host/frmPreview.h"
#include "host/saver.h"

namespace ps {
namespace {

using fake::endsProgram;
using fake::storeKey;
using fake::World;
using Calls = std::vector<std::string>;

// Runs the program's entry as the system starts it; true when the program ended.
bool start(World& w, const std::string& commandLine) {
  w.os.cmdLine = commandLine;
  return endsProgram([] { Saver::Main(); });
}

const Calls kSystemCalls = {};

Calls systemCalls(const World& w) {
  return w.os.only(
      {"showPointer", "setScreenSaver", "verifyPassword", "exitProcess", "changePassword"});
}

void useWindows98(World& w) {
  w.os.version.family = SystemFamily::Windows9x;
  w.os.version.majorVersion = 4;
  w.os.version.minorVersion = 10;
  w.os.version.buildNumber = 0x040A07CE;  // 9x keeps the version in the high word
}

// --- Start-up and dispatch --------------------------------------------------------------------

TEST(StartUp, EmptyAndSlashSStartTheRunningMode) {
  for (const char* cmd : {"", "/s", "/S", "   /S   ", "/S:123", "/sxyz"}) {
    World w;
    EXPECT_FALSE(start(w, cmd)) << cmd;
    EXPECT_EQ(w.process.ScreenSaverMode, kTrue) << cmd;
    EXPECT_TRUE(w.process.forms.isLoaded(w.process.main())) << cmd;
    EXPECT_EQ(systemCalls(w), (Calls{"setScreenSaverActive(false)", "setScreenSaverRunning(true)",
                                     "showPointer(false)"}))
        << cmd;
    // Made topmost and activated before it is shown.
    auto order = w.os.only({"stackWindow", "showWindow"});
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[0],
              "stackWindow(" + std::to_string(w.process.main().hWnd()) + ",topmost,activate)");
    EXPECT_EQ(order[1], "showWindow(frmMain)");
  }
}

TEST(StartUp, TheDesktopIsKeptBeforeTheMeadowCoversItOnlyWhenItMayShowIt) {
  for (int background = 0; background <= 4; ++background) {
    World w;
    w.os.store[storeKey("Background")] = std::to_string(background);
    EXPECT_FALSE(start(w, "/S"));
    const Calls order = w.os.only({"snapshotDesktop", "createWindow(frmMain)", "captureDesktop"});
    if (background >= 3) {
      EXPECT_EQ(order,
                (Calls{"snapshotDesktop", "createWindow(frmMain)", "captureDesktop(800,600)"}))
          << background;
    } else {
      EXPECT_EQ(order, Calls{"createWindow(frmMain)"}) << background;
    }
  }
}

TEST(StartUp, NoModalWindowOverTheRunningMode) {
  for (const char* cmd : {"/S", "/C"}) {
    World w;
    w.os.modal = [](Form&) { return true; };
    EXPECT_FALSE(start(w, cmd));
    const bool running = w.process.ScreenSaverMode != kFalse;
    EXPECT_EQ(Saver::showModal(w.process.info()), !running) << cmd;
    EXPECT_EQ(w.os.count("showModal(frmInfo)"), running ? 0 : 1) << cmd;
    EXPECT_TRUE(w.process.forms.isLoaded(w.process.info())) << cmd;
  }
}

TEST(StartUp, ABorderedWindowNeverPlacedOpensInTheMiddleOfTheScreen) {
  World w;
  w.os.screen = SizeF{1024, 768};
  EXPECT_FALSE(start(w, "/C"));
  const Form& f = w.process.config();
  EXPECT_EQ(f.left(), std::round((1024 * 15 - f.width()) / 2));
  EXPECT_EQ(f.top(), std::round((768 * 15 - f.height()) / 2));
  // A window that was placed stays where it was put.
  Form placed("placed");
  placed.move(300, 450, 3000, 2000);
  w.process.forms.load(placed);
  EXPECT_EQ(placed.left(), 300);
  EXPECT_EQ(placed.top(), 450);
  w.process.forms.unload(placed);
}

TEST(StartUp, UnknownSwitchesLoadNothingButStillSwitchActivationOff) {
  for (const char* cmd : {"s", "-s", "/X", "garbage", "\x01\x02"}) {
    World w;
    EXPECT_FALSE(start(w, cmd));
    EXPECT_EQ(w.process.forms.count(), 0) << cmd;
    EXPECT_EQ(systemCalls(w), Calls{"setScreenSaverActive(false)"}) << cmd;
    EXPECT_EQ(w.process.ScreenSaverMode, kFalse);
  }
}

TEST(StartUp, SettingsAreLoadedBeforeAnythingElse) {
  World w;
  start(w, "/X");
  ASSERT_FALSE(w.os.calls.empty());
  EXPECT_EQ(w.os.calls.front(), "GetSetting(maxFl)");
  auto first = std::find(w.os.calls.begin(), w.os.calls.end(), "setScreenSaverActive(false)");
  auto lastRead = std::find(w.os.calls.begin(), w.os.calls.end(), "GetSetting(Background)");
  EXPECT_LT(lastRead, first);
}

TEST(StartUp, ConfigurationModeShowsTheDialogAndIgnoresAHandle) {
  World w;
  start(w, "/c:4711");
  EXPECT_TRUE(w.process.forms.isLoaded(w.process.config()));
  EXPECT_EQ(w.os.count("showWindow(frmConfig)"), 1);
  EXPECT_EQ(w.process.ScreenSaverMode, kFalse);
  EXPECT_TRUE(w.os.only({"windowArea", "embedInHost"}).empty());
}

TEST(StartUp, PreviewModeEmbedsIntoTheHostWindow) {
  for (const char* cmd : {"/p 4711", "/P:4711"}) {
    World w;
    EXPECT_FALSE(start(w, cmd));
    EXPECT_TRUE(w.os.files.empty());  // no report
    EXPECT_EQ(w.os.presents, 1);      // the stretched picture, painted by the resize
    frmPreview& pv = w.process.preview();
    ASSERT_TRUE(w.process.forms.isLoaded(pv));
    std::string h = std::to_string(pv.hWnd());
    // The host's area is asked before the window exists; the window then goes into the host,
    // sized to that area.
    EXPECT_EQ(w.os.only({"windowArea", "createWindow", "embedInHost"}),
              (Calls{"windowArea(4711)", "createWindow(frmPreview)",
                     "embedInHost(" + h + ",4711,152x112)"}))
        << cmd;
    EXPECT_EQ(w.process.ScreenSaverMode, kFalse);
  }
}

TEST(StartUp, PreviewHandleIsReadFromTheFourthCharacter) {
  World w;
  start(w, "/P4711");
  EXPECT_EQ(w.os.only({"windowArea"}), Calls{"windowArea(711)"});
}

TEST(StartUp, APreviewWithoutAHostLoadsNothingAndEnds) {
  // A window with no host to sit in would be left, 1 x 1, with a process that never ends.
  for (const char* cmd : {"/P", "/p ", "/P abc", "/P:", "/P 0", "/P -0.4", "/P:  x4711"}) {
    World w;
    EXPECT_FALSE(start(w, cmd)) << cmd;
    EXPECT_EQ(w.process.forms.count(), 0) << cmd;
    EXPECT_FALSE(w.process.forms.anyKeepsProcessAlive()) << cmd;
    EXPECT_TRUE(w.os.windows.empty()) << cmd;
    EXPECT_TRUE(w.os.only({"windowArea", "embedInHost"}).empty()) << cmd;
    EXPECT_TRUE(w.os.files.empty()) << cmd;  // nothing to report either
  }
}

TEST(StartUp, PasswordModeOnlyOnThe9xFamily) {
  World nt;
  start(nt, "/A 4711");
  EXPECT_TRUE(nt.os.only({"changePassword"}).empty());
  EXPECT_EQ(nt.process.forms.count(), 0);

  World w98;
  useWindows98(w98);
  start(w98, "/a 4711");
  EXPECT_EQ(w98.os.only({"changePassword"}), Calls{"changePassword(4711)"});
  EXPECT_EQ(w98.process.forms.count(), 0);
}

TEST(StartUp, AHandleBeyond32BitsIsReportedAndEndsAfterTheRetry) {
  World w;
  EXPECT_TRUE(start(w, "/P 99999999999"));
  // Reported, retried once, reported again, then ended: nothing repeats without end.
  std::string path = "C:\\Programs\\PetalStream\\PetalStream.EPT";
  ASSERT_EQ(w.os.files.count(path), 1u);
  const std::string& text = w.os.files[path];
  size_t reports = 0;
  for (size_t at = text.find("Prozedur / procedure:\tMain"); at != std::string::npos;
       at = text.find("Prozedur / procedure:\tMain", at + 1))
    ++reports;
  EXPECT_EQ(reports, 2u);
  EXPECT_NE(text.find("6 (Overflow)"), std::string::npos);
  EXPECT_EQ(w.os.count("alert"), 2);
  EXPECT_EQ(w.os.calls.back(), "exitProcess(0)");
  EXPECT_TRUE(w.os.only({"windowArea"}).empty());
}

TEST(StartUp, IsWinNTAndSetTopMost) {
  World w;
  EXPECT_EQ(Saver::IsWinNT(), kTrue);
  w.os.version.result = 0;
  EXPECT_EQ(Saver::IsWinNT(), kFalse);
  w.os.version.result = 1;
  w.os.version.family = SystemFamily::Windows9x;
  EXPECT_EQ(Saver::IsWinNT(), kFalse);

  frmConfig& f = w.process.config();
  w.process.forms.load(f);
  std::string h = std::to_string(f.hWnd());
  Saver::SetTopMost(f, kTrue, kFalse);
  Saver::SetTopMost(f, kFalse, kTrue);
  EXPECT_EQ(Saver::SetTopMost(f, 5, kTrue), kTrue);
  EXPECT_EQ(w.os.only({"stackWindow"}),
            (Calls{"stackWindow(" + h + ",topmost)", "stackWindow(" + h + ",not topmost,activate)",
                   "stackWindow(" + h + ",top,activate)"}));
}

// --- Settings ----------------------------------------------------------------------------------

TEST(Settings, AnEmptyStoreGivesTheDefaultsAndWritesNothing) {
  World w;
  Saver::LoadConfig();
  const Settings& s = w.process.settings;
  EXPECT_EQ(s.maxFl, 10);
  EXPECT_EQ(s.SpeedF, 10.0f);
  EXPECT_EQ(s.Date, 1);
  EXPECT_EQ(s.Time, 1);
  EXPECT_EQ(s.Restart, 1);
  EXPECT_EQ(s.rTime, 600);
  EXPECT_EQ(s.Background, 4);
  EXPECT_EQ(s.maxFlHalf, 5);
  EXPECT_EQ(s.RandomBack, kTrue);
  EXPECT_TRUE(w.os.store.empty());
  EXPECT_TRUE(w.os.only({"SaveSetting"}).empty());
}

TEST(Settings, DerivedFieldsFollowTheStoredValues) {
  const std::pair<const char*, i16> halves[] = {{"3", 2}, {"5", 2}, {"7", 4}, {"9", 4}, {"10", 5}};
  for (auto [text, half] : halves) {
    World w;
    w.os.store[storeKey("maxFl")] = text;
    w.os.store[storeKey("Background")] = "2";
    Saver::LoadConfig();
    EXPECT_EQ(w.process.settings.maxFlHalf, half) << text;
    EXPECT_EQ(w.process.settings.RandomBack, kFalse);
  }
  World w;
  w.os.store[storeKey("rTime")] = "100000";
  w.os.store[storeKey("maxFl")] = " 50 ";
  w.os.store[storeKey("Background")] = "9";
  Saver::LoadConfig();
  EXPECT_EQ(w.process.settings.rTime, 100000);
  EXPECT_EQ(w.process.settings.maxFl, 50);  // no clamping
  EXPECT_EQ(w.process.settings.Background, 9);
}

TEST(Settings, SaveThenLoadReproducesEveryField) {
  World w;
  Settings& s = w.process.settings;
  s = Settings{7, 0.3f, 0, 1, 0, 5940, 4, 0, kFalse};
  Saver::SaveConfig();
  EXPECT_EQ(w.os.only({"SaveSetting"}),
            (Calls{"SaveSetting(SpeedF,0.3)", "SaveSetting(maxFl,7)", "SaveSetting(Date,0)",
                   "SaveSetting(Time,1)", "SaveSetting(Restart,0)", "SaveSetting(rTime,5940)",
                   "SaveSetting(Background,4)"}));
  Settings saved = s;
  s = Settings{};
  Saver::LoadConfig();
  EXPECT_EQ(s.maxFl, saved.maxFl);
  EXPECT_EQ(s.SpeedF, saved.SpeedF);
  EXPECT_EQ(s.Date, saved.Date);
  EXPECT_EQ(s.Time, saved.Time);
  EXPECT_EQ(s.Restart, saved.Restart);
  EXPECT_EQ(s.rTime, saved.rTime);
  EXPECT_EQ(s.Background, 4);
  EXPECT_EQ(s.RandomBack, kTrue);
  EXPECT_EQ(s.maxFlHalf, 4);
}

TEST(Settings, UnderAGermanLocaleSpeedsAreWrittenWithAFullStopAndReadEitherWay) {
  fake::GermanLocale german;
  ASSERT_TRUE(german.active) << "no German locale (scripts/install-deps.sh generates it)";
  for (auto [text, speed] : {std::pair{"0.5", 0.5f}, {"0,5", 0.5f}, {"5.5", 5.5f}, {"0,3", 0.3f}}) {
    World w;
    w.os.store[storeKey("SpeedF")] = text;
    Saver::LoadConfig();
    EXPECT_EQ(w.process.settings.SpeedF, speed) << text;
  }
  World w;
  w.process.settings = Settings{7, 0.3f, 1, 1, 1, 600, 4, 0, kFalse};
  Saver::SaveConfig();
  EXPECT_EQ(w.os.store[storeKey("SpeedF")], "0.3");
  w.process.settings.SpeedF = 0;
  Saver::LoadConfig();
  EXPECT_EQ(w.process.settings.SpeedF, 0.3f);
}

TEST(Settings, ABadStoredValueIsReportedRetriedAndThenEnds) {
  for (const char* bad : {"40000", "ten", "", "   "}) {
    World w;
    w.os.store[storeKey("maxFl")] = bad;
    EXPECT_TRUE(endsProgram([] { Saver::LoadConfig(); })) << bad;
    EXPECT_EQ(w.os.count("GetSetting(maxFl)"), 2) << bad;
    EXPECT_EQ(w.process.errPtnr().lblError(1).caption(), "Saver");
    EXPECT_EQ(w.process.errPtnr().lblError(2).caption(), "LoadConfig");
    EXPECT_EQ(w.os.count("alert"), 2);
    // Nothing of the store was touched.
    EXPECT_EQ(w.os.store.size(), 1u);
    EXPECT_EQ(w.os.store[storeKey("maxFl")], bad);
  }
}

TEST(Settings, AStoreBrieflyUnavailableIsOvercomeByTheRetry) {
  World w;
  w.os.failingReads = {"rTime"};
  w.os.failingReadsLeft = 1;
  w.os.store[storeKey("rTime")] = "1200";
  Saver::LoadConfig();
  EXPECT_EQ(w.process.settings.rTime, 1200);
  EXPECT_EQ(w.os.count("alert"), 1);
  EXPECT_EQ(w.process.errPtnr().lblError(0).caption(), "5 (The settings store cannot be read)");
}

TEST(Settings, TheUserMayIgnoreOrCancelAFailingRead) {
  // The report offers the user an answer when the retry fails again.
  World w;
  w.os.store[storeKey("Date")] = "yes";
  w.os.store[storeKey("Background")] = "3";
  w.os.modal = [&](Form& f) {
    static_cast<ErrPtnr&>(f).cmdContinue_Click(answer::kIgnore);
    return true;
  };
  Saver::LoadConfig();
  EXPECT_EQ(w.process.settings.Date, 0);  // kept its value
  EXPECT_EQ(w.process.settings.Background, 3);

  World c;
  c.os.store[storeKey("Date")] = "yes";
  c.os.modal = [&](Form& f) {
    static_cast<ErrPtnr&>(f).cmdContinue_Click(answer::kCancel);
    return true;
  };
  Saver::LoadConfig();
  EXPECT_EQ(c.process.settings.maxFl, 10);
  EXPECT_EQ(c.process.settings.rTime, 0);  // never read
  EXPECT_EQ(c.os.count("GetSetting(rTime)"), 0);
}

TEST(Settings, AStoreThatCannotBeWrittenIsReported) {
  World w;
  w.os.storeWritesFail = true;
  w.os.modal = [&](Form& f) {
    static_cast<ErrPtnr&>(f).cmdContinue_Click(answer::kIgnore);
    return true;
  };
  Saver::SaveConfig();
  EXPECT_EQ(w.process.errPtnr().lblError(2).caption(), "SaveConfig");
  EXPECT_EQ(w.os.count("alert"), 14);  // every key: report, retry, report
}

// --- Ending ------------------------------------------------------------------------------------

TEST(Ending, NTFamilyRestoresTwiceAndEndsInsideTheUnload) {
  World w;
  start(w, "/S");
  w.os.calls.clear();
  EXPECT_TRUE(endsProgram([&] { w.process.main().Form_KeyDown(); }));
  EXPECT_EQ(systemCalls(w), (Calls{"showPointer(true)", "setScreenSaverActive(true)",
                                   "setScreenSaverRunning(false)", "showPointer(true)",
                                   "setScreenSaverActive(true)", "setScreenSaverRunning(false)",
                                   "exitProcess(0)"}));
  // The process ended while frmMain was still unloading: its window was never destroyed.
  EXPECT_EQ(w.os.count("destroyWindow(frmMain)"), 0);
  EXPECT_EQ(w.os.cursorCount, 1);
  EXPECT_EQ(w.os.screenSaveActive, true);
  EXPECT_EQ(w.os.screenSaverRunning, false);
}

TEST(Ending, A9xRefusalChangesNothing) {
  World w;
  useWindows98(w);
  start(w, "/S");
  w.os.calls.clear();
  w.os.verifyAnswers = {0x10000};  // only the low 16 bits count: zero
  EXPECT_FALSE(endsProgram([&] { w.process.main().Form_Click(); }));
  EXPECT_EQ(systemCalls(w),
            Calls{"verifyPassword(" + std::to_string(w.process.main().hWnd()) + ")"});
  EXPECT_EQ(w.os.cursorCount, -1);
  EXPECT_EQ(w.os.screenSaverRunning, true);
  EXPECT_TRUE(w.process.forms.isLoaded(w.process.main()));
}

TEST(Ending, A9xNestedRefusalLetsTheOuterCallEnd) {
  World w;
  useWindows98(w);
  start(w, "/S");
  std::string h = std::to_string(w.process.main().hWnd());
  w.os.calls.clear();
  w.os.verifyAnswers = {1, 0};
  EXPECT_TRUE(endsProgram([&] { w.process.main().Form_KeyPress(); }));
  EXPECT_EQ(systemCalls(w),
            (Calls{"verifyPassword(" + h + ")", "showPointer(true)", "setScreenSaverActive(true)",
                   "setScreenSaverRunning(false)", "verifyPassword(" + h + ")", "exitProcess(0)"}));
  EXPECT_EQ(w.os.count("destroyWindow(frmMain)"), 1);
}

TEST(Ending, OutsideTheRunningModeNothingHappens) {
  for (const char* cmd : {"/C", "/P 4711"}) {
    World w;
    start(w, cmd);
    int loaded = w.process.forms.count();
    w.os.calls.clear();
    Saver::exitScreensaver();
    EXPECT_TRUE(systemCalls(w).empty()) << cmd;
    EXPECT_EQ(w.process.forms.count(), loaded);
  }
}

TEST(Ending, ClosingThePreviewEndsTheProcessWithoutTouchingThePointer) {
  World w;
  start(w, "/P 4711");
  w.os.calls.clear();
  w.process.forms.unload(w.process.preview());
  EXPECT_TRUE(systemCalls(w).empty());
  EXPECT_TRUE(w.os.quitRequested);
}

TEST(Ending, ShutdownUnloadsTheLastLoadedFirst) {
  World w;
  w.process.forms.load(w.process.config());
  w.process.forms.load(w.process.errPtnr());
  Allgemein::Shutdown();
  EXPECT_EQ(w.os.only({"destroyWindow"}),
            (Calls{"destroyWindow(ErrPtnr)", "destroyWindow(frmConfig)"}));
  // With no window left it returns without ending the process.
  EXPECT_TRUE(w.os.only({"exitProcess"}).empty());
  Allgemein::Shutdown();
  EXPECT_TRUE(w.os.only({"exitProcess"}).empty());
}

TEST(Ending, TheEndOfTheSessionUnloadsEveryWindowAndEnds) {
  for (const char* cmd : {"/C", "/S"}) {
    World w;
    start(w, cmd);
    w.process.forms.load(w.process.errPtnr());
    w.os.calls.clear();
    EXPECT_TRUE(endsProgram([] { Saver::endSession(); })) << cmd;
    EXPECT_EQ(w.os.only({"destroyWindow"}).front(), "destroyWindow(ErrPtnr)") << cmd;
    if (w.process.ScreenSaverMode != kFalse) {
      // The meadow's unload ends the running mode the ordinary way, from inside.
      EXPECT_EQ(w.os.count("showPointer(true)"), 1);
    } else {
      EXPECT_EQ(w.process.forms.count(), 0) << cmd;
    }
  }
}

TEST(Ending, TheHiddenReportNeverKeepsTheProcessAlive) {
  World w;
  w.process.forms.show(w.process.config());
  w.process.forms.load(w.process.errPtnr());
  EXPECT_FALSE(w.os.quitRequested);
  w.process.forms.unload(w.process.config());
  EXPECT_TRUE(w.os.quitRequested);
}

TEST(Ending, AnUnreachablePasswordServiceEndsWithThePointerAndFlagsBack) {
  World w;
  useWindows98(w);
  start(w, "/S");
  w.os.verifyFails = true;
  w.os.calls.clear();
  EXPECT_TRUE(endsProgram([&] { w.process.main().Form_MouseDown(); }));
  // One report, then the report's own call fails again and ends the chain.
  EXPECT_EQ(w.os.count("alert"), 1);
  EXPECT_EQ(
      systemCalls(w),
      (Calls{"verifyPassword(" + std::to_string(w.process.main().hWnd()) + ")",
             "verifyPassword(" + std::to_string(w.process.main().hWnd()) + ")", "showPointer(true)",
             "setScreenSaverActive(true)", "setScreenSaverRunning(false)", "exitProcess(1)"}));
  EXPECT_EQ(w.os.cursorCount, 0);
}

// --- The mouse filter ---------------------------------------------------------------------------

TEST(MouseFilter, SmallMovesAreRecordedAndThreePixelsEnd) {
  World w;
  start(w, "/S");
  frmMain& m = w.process.main();
  auto move = [&](float x, float y) { return endsProgram([&] { m.Form_MouseMove(x, y); }); };
  EXPECT_FALSE(move(400, 300));  // the first report only records
  for (int i = 1; i <= 100; ++i) {
    ASSERT_FALSE(move(400 + 2.9f * i, 300 + 2.9f * i)) << i;  // a slow creep never ends
  }
  float x = m.LastX, y = m.LastY;
  EXPECT_TRUE(move(x + 3, y));
}

TEST(MouseFilter, TheOriginCountsAsNoRecordedPosition) {
  World w;
  start(w, "/S");
  frmMain& m = w.process.main();
  auto move = [&](float x, float y) { return endsProgram([&] { m.Form_MouseMove(x, y); }); };
  EXPECT_FALSE(move(0, 0));
  EXPECT_FALSE(move(500, 500));  // any distance from (0, 0) is only recorded
  EXPECT_FALSE(move(502, 497.5f));
  EXPECT_TRUE(move(502, 494.5f));
}

TEST(MouseFilter, AfterARefusedPasswordTheOldPositionStays) {
  World w;
  useWindows98(w);
  start(w, "/S");
  frmMain& m = w.process.main();
  w.os.verifyAnswers = {0, 0};
  auto move = [&](float x, float y) { return endsProgram([&] { m.Form_MouseMove(x, y); }); };
  EXPECT_FALSE(move(100, 100));
  EXPECT_FALSE(move(110, 100));  // refused
  EXPECT_EQ(m.LastX, 100);
  EXPECT_FALSE(move(100, 103));  // measured against (100, 100) again: refused again
  EXPECT_EQ(w.os.only({"verifyPassword"}).size(), 2u);
}

}  // namespace
}  // namespace ps
