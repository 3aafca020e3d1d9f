// Generated command lines and stored settings through the start-up, the mode dispatch, the
// settings dialog and the running mode on the fake platform, each outcome checked against the
// rules: the program ended, or shows the dialog, the full screen or the preview, with a report
// exactly where a rule calls for one. Deterministic (a fixed seed) and bounded.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <set>
#include <sstream>

#include "animation/frmMain.h"
#include "dialogs/frmConfig.h"
#include "errors/ErrPtnr.h"
#include "fake/fake_platform.h"
#include "host/frmPreview.h"
#include "host/saver.h"

namespace ps {
namespace {

using fake::endsProgram;
using fake::storeKey;
using fake::World;

constexpr unsigned kSeed = 20011;
constexpr int kRuns = 2500;

struct Gen {
  std::mt19937 rng{kSeed};
  int upTo(int n) { return std::uniform_int_distribution<int>(0, n)(rng); }
  long long between(long long lo, long long hi) {
    return std::uniform_int_distribution<long long>(lo, hi)(rng);
  }
  template <class T>
  const T& oneOf(const std::vector<T>& v) {
    return v[static_cast<size_t>(upTo(static_cast<int>(v.size()) - 1))];
  }
  std::string blanks() { return std::string(static_cast<size_t>(upTo(2)), ' '); }
};

// ---- Stored values, each with what the rules make of it

enum class Width { I16, I32, Single };

struct Stored {
  std::optional<std::string> text;  // none: the key is missing
  bool loads = true;                // the field can take it
  bool dialogs = true;              // within what the settings dialog produces
};

// `lo` to `hi`: what the dialog produces (the speed in tenths).
Stored storedValue(Gen& g, Width w, long long lo, long long hi) {
  Stored s;
  // Mostly values a start may well meet, so that all seven together often load.
  const int roll = g.upTo(59);
  const int kind = roll < 22 ? 0 : roll < 48 ? 1 : roll < 58 ? 2 : g.upTo(1) == 0 ? 3 : 4;
  switch (kind) {
    case 0:  // missing: the default, which the dialog also produces
      return s;
    case 1: {  // what the dialog produces
      long long v = g.between(lo, hi);
      if (w == Width::Single) {
        s.text = std::to_string(v / 10) + g.oneOf<std::string>({".", ","}) + std::to_string(v % 10);
      } else {
        s.text = std::to_string(v) + g.oneOf<std::string>({"", ".25", ",4"});
      }
      s.text = g.blanks() + *s.text + g.blanks();
      return s;
    }
    case 2: {  // a number the field holds, outside the dialog's range
      s.dialogs = false;
      const std::vector<std::string> i16s = {"0",        "-1",       "1",     "11",
                                             "50",       "-32768",   "32767", "32766.5",
                                             "-32768.5", "-32767.5", "1e4",   "2.5e1"};
      const std::vector<std::string> i32s = {"0",      "-60",        "59",          "5941",
                                             "100000", "2147483647", "-2147483648", "1e9"};
      const std::vector<std::string> singles = {"0",  "-3",   "0.01",   "1e-30",
                                                "11", "1e30", "3.4e38", "-0,5"};
      std::string t = g.oneOf(w == Width::I16 ? i16s : w == Width::I32 ? i32s : singles);
      // A value that happens to lie in the range stays one the dialog could produce.
      if (w != Width::Single) {
        double v = std::stod(t.find(',') == std::string::npos ? t : "0");
        if (v >= lo && v <= hi && t.find('.') == std::string::npos) s.dialogs = true;
      }
      s.text = t;
      return s;
    }
    case 3: {  // too large for the field
      s.loads = s.dialogs = false;
      const std::vector<std::string> i16s = {"32768", "-32769", "32767.5", "40000", "1e6", "-1e5"};
      const std::vector<std::string> i32s = {"2147483648", "-2147483649", "1e10", "2147483647.5"};
      const std::vector<std::string> singles = {"1e39", "-1e39", "1e400"};
      s.text = g.oneOf(w == Width::I16 ? i16s : w == Width::I32 ? i32s : singles);
      return s;
    }
    default: {  // no number at all
      s.loads = s.dialogs = false;
      std::vector<std::string> words = {"",     "   ", "ten", "1x",  "x1",    "1..2",    "--1",
                                        "0x10", "1e",  "NaN", "inf", "1,2,3", "\xC3\xBC"};
      std::string junk(1, static_cast<char>('a' + g.upTo(25)));
      for (int n = g.upTo(6); n > 0; --n) junk += static_cast<char>(g.between(33, 255));
      words.push_back(junk);
      s.text = g.oneOf(words);
      return s;
    }
  }
}

struct Key {
  const char* name;
  Width width;
  long long lo, hi;
};
// In the order LoadConfig reads them.
const Key kKeys[] = {{"maxFl", Width::I16, 2, 10},    {"SpeedF", Width::Single, 1, 100},
                     {"Date", Width::I16, 0, 1},      {"Time", Width::I16, 0, 1},
                     {"Restart", Width::I16, 0, 1},   {"rTime", Width::I32, 60, 5940},
                     {"Background", Width::I16, 0, 4}};

// ---- Command lines, with the handle the rules read from them

struct CommandLine {
  std::string text;
  std::string mode;                 // the switch: the trimmed, upper-cased first two characters
  std::optional<long long> handle;  // none: too large for 32 bits
};

CommandLine commandLine(Gen& g) {
  static const std::vector<std::string> switches = {"/S", "/s", "",   "/C", "/c", "/P",
                                                    "/p", "/A", "/a", "-s", "s",  "/X",
                                                    "C",  "//", "/P", "/p", "/C", "/S"};
  struct Handle {
    std::string text;
    std::optional<long long> value;
  };
  static const std::vector<Handle> handles = {{"", 0},
                                              {"4711", 4711},
                                              {"-5", -5},
                                              {"abc", 0},
                                              {"0", 0},
                                              {"4711.5", 4712},
                                              {"4710.5", 4710},
                                              {"99999999999", std::nullopt},
                                              {"1 2 3", 123},
                                              {"2147483647", 2147483647LL},
                                              {"2147483648", std::nullopt},
                                              {"-2147483648", -2147483648LL},
                                              {"1e3", 1000},
                                              {"x4711", 0},
                                              {"4711abc", 4711},
                                              {":4711", 0},
                                              {"0.4", 0},
                                              {"1e400", std::nullopt}};
  CommandLine c;
  const std::string sw = g.oneOf(switches);
  std::string rest;
  c.handle = 0;
  if (sw.size() == 2) {
    const Handle& h = g.oneOf(handles);
    // The third character is passed over whatever it is; the handle starts at the fourth.
    rest = (h.text.empty() && g.upTo(1) == 0 ? "" : g.oneOf<std::string>({" ", ":", "="})) + h.text;
    c.handle = h.value;
  } else if (g.upTo(1) == 0) {
    rest = g.oneOf<std::string>({"x", ":1", " 4711"});
  }
  c.text = g.blanks() + sw + rest + g.blanks();
  std::string t = upperAscii(trimBlanks(c.text));
  c.mode = t.substr(0, 2);
  return c;
}

// ---- What happened

std::string describe(const CommandLine& c, const std::vector<Stored>& stored) {
  std::ostringstream o;
  o << "command line [" << c.text << "], stored:";
  for (size_t k = 0; k < stored.size(); ++k) {
    o << ' ' << kKeys[k].name << '=' << (stored[k].text ? "[" + *stored[k].text + "]" : "none");
  }
  return o.str();
}

// The module and procedure of every report in the protocol file, in order; a protocol that is
// not the 18-line text counts as a report of "malformed".
std::vector<std::string> reports(const World& w) {
  std::vector<std::string> r;
  for (const auto& [path, text] : w.os.files) {
    size_t at = 0;
    while ((at = text.find("F E H L E R P R O T O K O L L", at)) != std::string::npos) {
      size_t end = text.find("SYSTEMINFO:", at);
      size_t m = text.find("Modul:\t", at), p = text.find("Prozedur / procedure:\t", at);
      if (end == std::string::npos || m > end || p > end) {
        r.push_back("malformed");
        break;
      }
      m += 7, p += 22;
      r.push_back(text.substr(m, text.find("\r\n", m) - m) + "/" +
                  text.substr(p, text.find("\r\n", p) - p));
      at = end;
    }
  }
  return r;
}

// The running mode gave the pointer and both flags back (the pointer may be shown twice over:
// the ending restores once more as frmMain unloads).
void expectSystemRestored(const World& w, const std::string& what) {
  EXPECT_GE(w.os.cursorCount, 0) << what;
  EXPECT_EQ(w.os.screenSaveActive, true) << what;
  EXPECT_EQ(w.os.screenSaverRunning, false) << what;
}

TEST(Fuzz, GeneratedCommandLinesAndStoredSettingsFollowTheRules) {
  Gen g;
  std::map<std::string, int> outcomes;
  const std::set<std::string> runningReports = {"Allgemein/Zz", "frmMain/Form_Load",
                                                "frmMain/Form_Resize", "frmMain/Hintergrund",
                                                "frmMain/tmrAnimation_timer"};
  for (int run = 0; run < kRuns; ++run) {
    World w;
    w.os.screen =
        SizeF{static_cast<float>(g.between(120, 400)), static_cast<float>(g.between(90, 300))};
    const bool win9x = g.upTo(3) == 0;
    if (win9x) w.os.version.family = SystemFamily::Windows9x;
    std::vector<Stored> stored;
    bool loads = true, dialogs = true;
    for (const Key& k : kKeys) {
      stored.push_back(storedValue(g, k.width, k.lo, k.hi));
      if (stored.back().text) w.os.store[storeKey(k.name)] = *stored.back().text;
      loads = loads && stored.back().loads;
      dialogs = dialogs && stored.back().dialogs;
    }
    const CommandLine c = commandLine(g);
    const std::string what = describe(c, stored);
    w.os.cmdLine = c.text;
    Process& p = w.process;

    const bool ended = endsProgram([] { Saver::Main(); });
    const std::vector<std::string> reported = reports(w);
    const bool mainLoaded = p.forms.isLoaded(p.main());
    const bool configLoaded = p.forms.isLoaded(p.config());
    const bool previewLoaded = p.forms.isLoaded(p.preview());
    // At most one of the program's windows, and never one left when the program ended.
    EXPECT_LE(mainLoaded + configLoaded + previewLoaded, 1) << what;

    if (!loads) {
      // A stored text that stays bad: reported, retried, reported again, ended, before the
      // command line is even read.
      outcomes["ended: settings reported"]++;
      EXPECT_TRUE(ended) << what;
      EXPECT_EQ(reported, (std::vector<std::string>(2, "Saver/LoadConfig"))) << what;
      EXPECT_EQ(w.os.count("setScreenSaverActive(false)"), 0) << what;
      EXPECT_FALSE(mainLoaded || configLoaded || previewLoaded) << what;
      continue;
    }
    ASSERT_EQ(w.os.count("setScreenSaverActive(false)"), 1) << what;

    const bool needsHandle = c.mode == "/P" || (c.mode == "/A" && win9x);
    if (needsHandle && !c.handle) {
      outcomes["ended: handle reported"]++;
      EXPECT_TRUE(ended) << what;
      EXPECT_EQ(reported, (std::vector<std::string>(2, "Saver/Main"))) << what;
      EXPECT_FALSE(previewLoaded) << what;
      continue;
    }

    if (c.mode == "/P") {
      if (*c.handle == 0) {
        outcomes["ended: preview without a host"]++;
        EXPECT_FALSE(ended) << what;
        EXPECT_FALSE(p.forms.anyKeepsProcessAlive()) << what;
        EXPECT_TRUE(reported.empty()) << what;
        EXPECT_TRUE(w.os.windows.empty()) << what;
        continue;
      }
      outcomes["preview"]++;
      EXPECT_FALSE(ended) << what;
      EXPECT_TRUE(reported.empty()) << what;
      ASSERT_TRUE(previewLoaded) << what;
      EXPECT_EQ(p.ScreenSaverMode, kFalse) << what;
      const std::string h = std::to_string(p.preview().hWnd());
      EXPECT_EQ(w.os.count("windowArea(" + std::to_string(*c.handle) + ")"), 1) << what;
      EXPECT_EQ(w.os.only({"embedInHost(" + h + "," + std::to_string(*c.handle) + ","}).size(), 1u)
          << what;
      // The host closes the preview: nothing is left.
      EXPECT_FALSE(endsProgram([&p] { p.forms.unload(p.preview()); })) << what;
      EXPECT_FALSE(p.forms.anyKeepsProcessAlive()) << what;
      continue;
    }

    if (c.mode == "/C") {
      outcomes["dialog"]++;
      EXPECT_FALSE(ended) << what;
      EXPECT_TRUE(reported.empty()) << what;
      ASSERT_TRUE(configLoaded) << what;
      EXPECT_EQ(w.os.count("showWindow(frmConfig)"), 1) << what;
      // OK stores what the dialog shows: values it produces, and all of them load again.
      EXPECT_FALSE(endsProgram([&p] { p.config().cmdOK_Click(); })) << what;
      EXPECT_TRUE(reported.empty()) << what;
      EXPECT_FALSE(p.forms.isLoaded(p.config())) << what;
      World later;
      for (const Key& k : kKeys) {
        auto it = w.os.store.find(storeKey(k.name));
        ASSERT_NE(it, w.os.store.end()) << what << " " << k.name;
        later.os.store[it->first] = it->second;
        // The restart period is read back from its label, which shows the stored minutes
        // even where the spinner cannot: only that it loads again is asked of it.
        if (std::string(k.name) == "rTime") continue;
        const double v = parseNumberText(it->second);
        const double lo = k.width == Width::Single ? k.lo / 10.0 : static_cast<double>(k.lo);
        const double hi = k.width == Width::Single ? k.hi / 10.0 : static_cast<double>(k.hi);
        EXPECT_GE(v, lo - 1e-6) << what << " " << k.name << "=" << it->second;
        EXPECT_LE(v, hi + 1e-6) << what << " " << k.name << "=" << it->second;
      }
      EXPECT_FALSE(endsProgram([] { Saver::LoadConfig(); })) << what;
      EXPECT_TRUE(reports(later).empty()) << what;
      continue;
    }

    if (c.mode == "/S" || c.mode.empty()) {
      if (ended || !mainLoaded) {
        // Only a stored value the dialog cannot produce may stop the running mode, and then
        // with a report from its start and the system as it was.
        outcomes["ended: running mode reported"]++;
        EXPECT_FALSE(dialogs) << what;
        EXPECT_TRUE(ended) << what;
        ASSERT_FALSE(reported.empty()) << what;
        for (const std::string& r : reported) EXPECT_TRUE(runningReports.count(r)) << what << r;
        expectSystemRestored(w, what);
        continue;
      }
      outcomes["full screen"]++;
      EXPECT_TRUE(reported.empty()) << what;
      EXPECT_EQ(p.ScreenSaverMode, kTrue) << what;
      EXPECT_TRUE(p.main().maximized()) << what;
      EXPECT_EQ(w.os.count("showWindow(frmMain)"), 1) << what;
      EXPECT_EQ(w.os.cursorCount, -1) << what;
      ASSERT_TRUE(w.os.timers.count(&p.main())) << what;
      EXPECT_TRUE(w.os.timers[&p.main()].second) << what;
      // A few frames, then a key ends it with the system restored.
      bool stopped = false;
      for (int tick = 0; tick < 3 && !stopped; ++tick) {
        w.os.ticks += 250;
        stopped = endsProgram([&p] { p.main().timerExpired(); });
      }
      if (dialogs) {
        EXPECT_FALSE(stopped) << what;
      }
      for (const std::string& r : reports(w)) EXPECT_TRUE(runningReports.count(r)) << what << r;
      if (!stopped) {
        EXPECT_TRUE(endsProgram([&p] { p.main().Form_KeyDown(); })) << what;
      }
      expectSystemRestored(w, what);
      continue;
    }

    // Password mode and every other switch: no window; only the 9x family changes a password.
    outcomes[c.mode == "/A" && win9x ? "password dialog" : "ended: nothing to do"]++;
    EXPECT_FALSE(ended) << what;
    EXPECT_TRUE(reported.empty()) << what;
    EXPECT_FALSE(p.forms.anyKeepsProcessAlive()) << what;
    EXPECT_EQ(w.os.only({"changePassword"}).size(), c.mode == "/A" && win9x ? 1u : 0u) << what;
    if (c.mode == "/A" && win9x) {
      EXPECT_EQ(w.os.count("changePassword(" + std::to_string(*c.handle) + ")"), 1) << what;
    }
  }
  // Every kind of outcome was reached, each often enough to mean something.
  for (const char* o :
       {"ended: settings reported", "ended: handle reported", "ended: preview without a host",
        "preview", "dialog", "ended: running mode reported", "full screen", "password dialog",
        "ended: nothing to do"}) {
    EXPECT_GE(outcomes[o], 10) << o;
  }
}

}  // namespace
}  // namespace ps
