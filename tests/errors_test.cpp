// The error-handler convention, the error report and the protocol file.
#include <gtest/gtest.h>

#include "dialogs/frmConfig.h"
#include "errors/ErrPtnr.h"
#include "errors/guard.h"
#include "errors/protocol.h"
#include "fake/fake_platform.h"
#include "host/saver.h"

namespace ps {
namespace {

using fake::World;

const std::string kPath = "C:\\Programs\\PetalStream\\PetalStream.EPT";
// The report's program line: the name, two spaces and the version of the build.
const std::string kProgramInfo = "PetalStream  V" + std::to_string(PETALSTREAM_VERSION_MAJOR) +
                                 "." + std::to_string(PETALSTREAM_VERSION_MINOR) + "." +
                                 std::to_string(PETALSTREAM_VERSION_REVISION);

// Answers every report shown to the user with `a`.
void answerWith(World& w, i16 a) {
  w.os.modal = [a](Form& f) {
    static_cast<ErrPtnr&>(f).cmdContinue_Click(a);
    return true;
  };
}

int protocols(const World& w, const std::string& path = kPath) {
  auto it = w.os.files.find(path);
  if (it == w.os.files.end()) return 0;
  int n = 0;
  for (size_t at = it->second.find("SYSTEMINFO:"); at != std::string::npos;
       at = it->second.find("SYSTEMINFO:", at + 1))
    ++n;
  return n;
}

// --- The convention ------------------------------------------------------------------------------

TEST(Guard, APassingFailureIsOvercomeByTheRetry) {
  World w;
  int attempts = 0, after = 0;
  Guard g("Saver", "Main");
  g([&] {
    if (++attempts == 1) raise(err::kOverflow);
  });
  g([&] { ++after; });
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(after, 1);
  EXPECT_EQ(protocols(w), 1);
}

TEST(Guard, EachAnswerActsAsTheUserChose) {
  struct Case {
    i16 answer;
    int laterSteps;
    bool ends;
  };
  for (Case c : {Case{answer::kIgnore, 1, false}, Case{answer::kCancel, 0, false},
                 Case{4, 0, false}, Case{-1, 0, false}, Case{answer::kEnd, 0, true}}) {
    World w;
    answerWith(w, c.answer);
    int later = 0, holds = 7;
    bool ended = false;
    try {
      Guard g("frmMain", "Form_Load");
      g([&] { raise(err::kDivisionByZero); });
      g([&] { ++later; });
      EXPECT_EQ(g.leaving(), c.laterSteps == 0);
    } catch (const ProgramEnd&) {
      ended = true;
    }
    EXPECT_EQ(later, c.laterSteps) << c.answer;
    EXPECT_EQ(ended, c.ends) << c.answer;
    EXPECT_EQ(holds, 7);
    EXPECT_EQ(protocols(w), 2) << c.answer;  // the first report and the one after the retry
  }
}

TEST(Guard, TheFailingStepsLineIsReported) {
  World w;
  int line = 0;
  Guard g("frmConfig", "cmdOK_Click");
  int tries = 0;
  // clang-format off
  line = __LINE__; g([&] { if (++tries == 1) raise(err::kOverflow); });
  // clang-format on
  EXPECT_EQ(w.process.errPtnr().lblError(3).caption(), std::to_string(line));
}

TEST(Guard, TheSettingsDialogPassesOver380AndShutdownSkipsEverything) {
  World w;
  int after = 0;
  Guard load("frmConfig", "Form_Load", Guard::Mode::PassOver380);
  load([] { raise(err::kInvalidProperty); });
  load([&] { ++after; });
  EXPECT_EQ(protocols(w), 0);
  EXPECT_EQ(w.os.count("alert"), 0);
  EXPECT_FALSE(w.process.hasErrPtnr());
  load([&] {
    if (++after == 2) raise(err::kOverflow);
  });
  EXPECT_EQ(protocols(w), 1);  // anything else is reported

  World s;
  Guard shutdown("Allgemein", "Shutdown", Guard::Mode::SkipSilently);
  int steps = 0;
  shutdown([] { raise(err::kSubscript); });
  shutdown([&] { ++steps; });
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(protocols(s), 0);
}

TEST(Guard, AFailureThatRecursEveryTimeIsBounded) {
  World w;
  int attempts = 0;
  bool ended = false;
  try {
    Guard g("frmConfig", "cmdReset_Click");
    g([&] {
      ++attempts;
      raise(err::kOverflow);
    });
  } catch (const ProgramEnd&) {
    ended = true;
  }
  EXPECT_TRUE(ended);  // no window can be shown: the report answers End
  EXPECT_EQ(attempts, 2);
  EXPECT_EQ(w.os.count("showModal(ErrPtnr)"), 1);
}

// --- OnError -----------------------------------------------------------------------------------

TEST(OnError, RecordsTheReportAndKeepsTheFirstProgramInfo) {
  World w;
  ErrPtnr& r = w.process.errPtnr();
  EXPECT_EQ(r.OnError("frmMain", "tmrAnimation_timer", Failure(7, "xyz", 12)), answer::kRetry);
  EXPECT_EQ(r.lblError(0).caption(), "7 (xyz)");
  EXPECT_EQ(r.lblError(1).caption(), "frmMain");
  EXPECT_EQ(r.lblError(2).caption(), "tmrAnimation_timer");
  EXPECT_EQ(r.lblError(3).caption(), "12");
  EXPECT_EQ(r.lblProgInfo.caption(), kProgramInfo);
  EXPECT_EQ(r.caption(), "Fehler / Error! ");
  EXPECT_TRUE(w.process.forms.isLoaded(r));
  EXPECT_EQ(w.os.count("showWindow(ErrPtnr)"), 0);  // stays hidden

  w.os.progName = "Renamed";
  r.OnError("frmConfig", "cmdhomepage_Click", Failure(-2147467259, "Automation", 0));
  EXPECT_EQ(r.lblError(0).caption(), "-2147467259 (Automation)");
  EXPECT_EQ(r.lblError(2).caption(), "cmdhomepage_Click");
  EXPECT_EQ(r.lblError(3).caption(), "0");
  EXPECT_EQ(r.lblProgInfo.caption(), kProgramInfo);

  // Order: pointer shape, protocol, alert, then the host's ending.
  auto order = w.os.only({"resetMousePointer", "appendToFile", "alert", "systemVersion"});
  ASSERT_GE(order.size(), 4u);
  EXPECT_EQ(order[0], "resetMousePointer");
  EXPECT_EQ(order[1], "systemVersion");
  EXPECT_EQ(order[2], "appendToFile(" + kPath + ")");
  EXPECT_EQ(order[3], "alert");
}

TEST(OnError, ArrangesTheWindowWithEndAsTheOnlyAnswer) {
  World w;
  ErrPtnr& r = w.process.errPtnr();
  r.OnError("Saver", "Main", Failure(6, "Overflow", 1));
  EXPECT_TRUE(r.framComment.visible());
  EXPECT_FALSE(r.framProtocol.visible());
  EXPECT_EQ(r.framComment.top(), 0);
  EXPECT_EQ(r.framFehler.top(), 975);
  EXPECT_EQ(r.framProgInfo.top(), 975 + 1695);
  EXPECT_EQ(r.framContinue.top(), 975 + 1695 + 615);
  for (int k = 0; k < 3; ++k) EXPECT_FALSE(r.cmdContinue(k).visible());
  EXPECT_TRUE(r.cmdContinue(3).visible());
  EXPECT_EQ(r.cmdContinue(3).caption(), "&Beenden       End");
  EXPECT_EQ(r.width(), 90 + 7215);
  EXPECT_EQ(r.height(), 405 + 975 + 1695 + 615 + 855);
  EXPECT_EQ(r.left(), (800 * 15 - r.width()) / 2);
  EXPECT_EQ(r.top(), (600 * 15 - r.height()) / 2);
  EXPECT_EQ(r.lblComment.caption(),
            "There is a problem. Please contact the author if this problem appears again.\r\n"
            "Es liegt ein Problem vor, mit dem Sie sich an den technischen Support wenden "
            "sollten, falls es wiederholt auftritt.");
}

// --- The protocol --------------------------------------------------------------------------------

std::string expectedProtocol(const std::string& number, const std::string& build,
                             const std::string& platform = "Windows NT",
                             const std::string& version = "5.1") {
  const std::string sep = std::string(70, '-') + "\r\n";
  const std::string in(10, ' ');
  return sep + "F E H L E R P R O T O K O L L  /  E R R O R   P R O T O C O L L\r\n" + sep +
         "PROGRAMM-INFO:\r\n" + in + kProgramInfo + "\r\n" + sep +
         "FEHLERBESCHREIBUNG / ERROR DESCRIPTION:\r\n" + in + "Fehler-Nr / error :\t" + number +
         "\r\n" + in + "Modul:\tSaver\r\n" + in + "Prozedur / procedure:\tLoadConfig\r\n" + in +
         "Zeile / Line:\t42\r\n" + in + "Datum/Uhrzeit (Date/Time):\t04-24-2001 / 13:05:09\r\n" +
         sep + "SYSTEMINFO:\r\n" + in + "Plattform/Environment:\t" + platform + "\r\n" + in +
         "Version:\t" + version + "\r\n" + in + "Build:\t" + build + "\r\n" + sep;
}

TEST(Protocol, IsWrittenByteForByteAndSeparatedByAnEmptyLine) {
  World w;
  ErrPtnr& r = w.process.errPtnr();
  r.OnError("Saver", "LoadConfig", Failure(13, "Type mismatch", 42));
  std::string one = expectedProtocol("13 (Type mismatch)", "2600   Service Pack 2");
  EXPECT_EQ(w.os.files[kPath], one + "\r\n");
  r.OnError("Saver", "LoadConfig", Failure(6, "Overflow", 42));
  EXPECT_EQ(w.os.files[kPath],
            one + "\r\n" + expectedProtocol("6 (Overflow)", "2600   Service Pack 2") + "\r\n");
}

TEST(Protocol, VersionRecordEdgeCases) {
  World w;
  ErrPtnr& r = w.process.errPtnr();
  // 9x: only the low 16 bits of the build; a service-pack field without NUL gives no text.
  w.os.version.family = SystemFamily::Windows9x;
  w.os.version.majorVersion = 4;
  w.os.version.minorVersion = 10;
  w.os.version.buildNumber = 0x040A07CE;
  w.os.version.csdVersion.fill('A');
  r.OnError("Saver", "LoadConfig", Failure(13, "Type mismatch", 42));
  EXPECT_EQ(w.os.files[kPath],
            expectedProtocol("13 (Type mismatch)", "1998   ", "Windows 9x", "4.10") + "\r\n");

  // A failed query leaves the record zeroed.
  World z;
  z.os.version = OsVersion{};
  z.process.errPtnr().OnError("Saver", "LoadConfig", Failure(13, "Type mismatch", 42));
  EXPECT_EQ(z.os.files[kPath],
            expectedProtocol("13 (Type mismatch)", "0   ", "Win32s", "0.0") + "\r\n");

  // Platforms beyond the three Windows families are named by their backend.
  World l;
  l.os.version.family = SystemFamily::Other;
  l.os.version.platformName = "Linux";
  l.os.version.csdVersion = {};
  l.process.errPtnr().OnError("Saver", "LoadConfig", Failure(13, "Type mismatch", 42));
  EXPECT_EQ(l.os.files[kPath],
            expectedProtocol("13 (Type mismatch)", "2600   ", "Linux", "5.1") + "\r\n");

  // The 64-bit program says that its Windows is a 64-bit one.
  World x;
  x.os.version.wide = true;
  x.process.errPtnr().OnError("Saver", "LoadConfig", Failure(13, "Type mismatch", 42));
  EXPECT_EQ(x.os.files[kPath],
            expectedProtocol("13 (Type mismatch)", "2600   Service Pack 2", "Windows NT (64-bit)") +
                "\r\n");
}

TEST(Protocol, DescriptionsAreWrittenUnchangedInTheSystemCodePage) {
  World w;
  w.process.errPtnr().OnError("Saver", "LoadConfig",
                              Failure(75, "Zugriff\r\nverweigert: Grün", 42));
  const std::string& t = w.os.files[kPath];
  EXPECT_NE(t.find("75 (Zugriff\r\nverweigert: Gr\xFCn)\r\n"), std::string::npos);
}

TEST(Protocol, PathRule) {
  EXPECT_EQ(protocolPath("C:\\", '\\', "PetalStream"), "C:\\PetalStream.EPT");
  EXPECT_EQ(protocolPath("C:\\Windows\\System32", '\\', "PetalStream"),
            "C:\\Windows\\System32\\PetalStream.EPT");
  EXPECT_EQ(protocolPath("/usr/libexec/xscreensaver", '/', "petalstream"),
            "/usr/libexec/xscreensaver/petalstream.EPT");
  EXPECT_EQ(LPSTRToString(std::string_view("abc\0def", 7)), "abc");
  EXPECT_EQ(LPSTRToString("abc"), "");
  World w;
  w.os.programDir = "C:\\";
  w.process.errPtnr().OnError("Saver", "Main", Failure(6, "Overflow", 1));
  EXPECT_EQ(protocols(w, "C:\\PetalStream.EPT"), 1);
}

TEST(Protocol, AFolderThatCannotBeWrittenFallsBackToTheUsersOwn) {
  World w;
  w.os.unwritableFolders = {"C:\\Programs"};
  w.process.errPtnr().OnError("Saver", "Main", Failure(6, "Overflow", 1));
  EXPECT_EQ(protocols(w, kPath), 0);
  EXPECT_EQ(protocols(w, "C:\\Users\\me\\AppData\\Local\\PetalStream\\PetalStream.EPT"), 1);
  EXPECT_EQ(w.os.count("alert"), 1);
}

TEST(Protocol, WhenNoFolderCanBeWrittenTheFailureGoesToTheCaller) {
  World w;
  w.os.unwritableFolders = {"C:\\"};
  try {
    w.process.errPtnr().OnError("Saver", "Main", Failure(6, "Overflow", 1));
    ADD_FAILURE() << "OnError returned";
  } catch (const Failure& f) {
    EXPECT_EQ(f.number, err::kFileAccess);
  }
  EXPECT_EQ(w.os.count("alert"), 0);  // left before the alert
}

TEST(Protocol, WhenNoFolderCanBeWrittenTheLastMessageNamesTheLostReport) {
  // The failure that leaves OnError is reported by the caller's handler, whose protocol is
  // lost as well: the message that ends the program must still tell what went wrong first.
  World p;
  p.os.unwritableFolders = {"C:\\"};
  p.os.store[fake::storeKey("maxFl")] = "ten";
  p.os.cmdLine = "/C";
  EXPECT_THROW(Saver::deliver([] { Saver::Main(); }), ProgramEnd);
  ASSERT_EQ(p.os.fatal.size(), 1u);
  const std::string& m = p.os.fatal[0];
  EXPECT_NE(m.find("unhandled failure 75 (Path/File access error)"), std::string::npos) << m;
  EXPECT_NE(m.find("13 (Type mismatch) in Saver/LoadConfig, line "), std::string::npos) << m;
  EXPECT_EQ(p.os.calls.back(), "exitProcess(1)");
  EXPECT_TRUE(p.os.files.empty());

  // The settings dialog's OK on a store that cannot be written either.
  World c;
  c.os.unwritableFolders = {"C:\\"};
  c.os.storeWritesFail = true;
  c.os.cmdLine = "/C";
  Saver::deliver([] { Saver::Main(); });
  EXPECT_THROW(Saver::deliver([&c] { c.process.config().cmdOK_Click(); }), ProgramEnd);
  ASSERT_EQ(c.os.fatal.size(), 1u);
  EXPECT_NE(c.os.fatal[0].find("5 (The settings store cannot be written) in Saver/SaveConfig"),
            std::string::npos)
      << c.os.fatal[0];
}

}  // namespace
}  // namespace ps
