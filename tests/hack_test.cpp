// A hack under a screen-saver daemon, and an installed program: failures are written down and
// never shown, settings that cannot be read keep their defaults, reports stay out of the
// program's folder.
#include <gtest/gtest.h>

#include <stdexcept>

#include "animation/frmMain.h"
#include "errors/ErrPtnr.h"
#include "fake/fake_platform.h"
#include "host/saver.h"

namespace ps {
namespace {

using fake::storeKey;
using fake::World;

const std::string kBeside = "C:\\Programs\\PetalStream\\PetalStream.EPT";
const std::string kOwn = "C:\\Users\\me\\AppData\\Local\\PetalStream\\PetalStream.EPT";

int protocols(const World& w, const std::string& path) {
  auto it = w.os.files.find(path);
  if (it == w.os.files.end()) return 0;
  int n = 0;
  for (size_t at = it->second.find("SYSTEMINFO:"); at != std::string::npos;
       at = it->second.find("SYSTEMINFO:", at + 1)) {
    ++n;
  }
  return n;
}

// The program as the daemon starts it; true when it ended.
bool startHack(World& w) {
  w.os.hack = true;
  w.os.cmdLine = "/S";
  try {
    Saver::deliver([] { Saver::Main(); });
  } catch (const ProgramEnd&) {
    return true;
  }
  return false;
}

TEST(Hack, ABadStoredValueIsWrittenDownOnceAndTheMeadowRunsWithItsDefault) {
  for (const char* key : {"maxFl", "SpeedF", "Date", "Time", "Restart", "rTime", "Background"}) {
    World w;
    const std::string k = key;
    w.os.store[storeKey("Background")] = "2";
    w.os.store[storeKey("maxFl")] = "7";
    w.os.store[storeKey(key)] = k == "maxFl" ? "40000" : "ten";
    w.os.modal = [](Form&) -> bool { throw std::logic_error("a window was shown"); };
    EXPECT_FALSE(startHack(w)) << key;
    EXPECT_EQ(w.os.count("showModal(ErrPtnr)"), 0) << key;
    EXPECT_EQ(w.os.count("alert"), 1) << key;
    EXPECT_EQ(protocols(w, kBeside), 1) << key;
    EXPECT_EQ(w.os.count("GetSetting(" + std::string(key) + ")"), 1) << key;  // no retry
    EXPECT_EQ(w.process.errPtnr().lblError(2).caption(), "LoadConfig");
    const Settings& s = w.process.settings;
    EXPECT_EQ(s.maxFl, k == "maxFl" ? 10 : 7) << key;
    EXPECT_EQ(s.maxFlHalf, k == "maxFl" ? 5 : 4) << key;
    EXPECT_EQ(s.SpeedF, 10.0f);
    EXPECT_EQ(s.rTime, 600);
    EXPECT_EQ(s.Date, 1);
    // The stored values that can be read are taken as they are; an unreadable background is
    // the default, random.
    if (k != "Background") {
      EXPECT_EQ(s.Background, 2) << key;
    }
    EXPECT_EQ(s.RandomBack, k == "Background" ? kTrue : kFalse) << key;
    // ... and the meadow runs.
    EXPECT_EQ(w.process.ScreenSaverMode, kTrue);
    EXPECT_TRUE(w.process.forms.isLoaded(w.process.main())) << key;
    EXPECT_EQ(w.os.count("showWindow(frmMain)"), 1) << key;
  }
}

TEST(Hack, AFailureOnceTheMeadowRunsEndsItWithOneLine) {
  World w;
  EXPECT_FALSE(startHack(w));
  w.os.modal = [](Form&) -> bool { throw std::logic_error("a window was shown"); };
  bool ended = false;
  try {
    Saver::deliver([&w] {
      w.process.errPtnr().OnError("frmMain", "tmrAnimation_timer",
                                  Failure(7, "Out\r\nof memory", 31));
    });
  } catch (const ProgramEnd&) {
    ended = true;
  }
  EXPECT_TRUE(ended);
  EXPECT_EQ(protocols(w, kBeside), 1);
  EXPECT_EQ(w.os.count("alert"), 1);
  ASSERT_EQ(w.os.fatal.size(), 1u);
  EXPECT_EQ(w.os.fatal[0].find('\n'), std::string::npos);
  EXPECT_NE(w.os.fatal[0].find("7 (Out  of memory) in frmMain.tmrAnimation_timer, line 31"),
            std::string::npos)
      << w.os.fatal[0];
  EXPECT_EQ(w.os.count("showModal(ErrPtnr)"), 0);
  // The ordinary ending: pointer and flags back, the program ended with them.
  EXPECT_EQ(w.os.screenSaverRunning, false);
  EXPECT_EQ(w.os.calls.back(), "exitProcess(0)");
}

TEST(Hack, OutsideTheDaemonABadValueStillAsksAfterItsRetry) {
  World w;
  w.os.store[storeKey("maxFl")] = "40000";
  w.os.cmdLine = "/S";
  EXPECT_THROW(Saver::deliver([] { Saver::Main(); }), ProgramEnd);
  EXPECT_EQ(w.os.count("showModal(ErrPtnr)"), 1);
  EXPECT_EQ(protocols(w, kBeside), 2);
}

TEST(InstalledProgram, WritesItsProtocolIntoTheUsersFolderOnly) {
  World w;
  w.os.installed = true;
  w.process.errPtnr().OnError("Saver", "Main", Failure(6, "Overflow", 1));
  EXPECT_EQ(protocols(w, kBeside), 0);
  EXPECT_EQ(protocols(w, kOwn), 1);
  EXPECT_EQ(w.os.count("alert"), 1);

  World none;
  none.os.installed = true;
  none.os.dataDir.clear();
  EXPECT_THROW(none.process.errPtnr().OnError("Saver", "Main", Failure(6, "Overflow", 1)), Failure);
  EXPECT_TRUE(none.os.files.empty());
}

}  // namespace
}  // namespace ps
