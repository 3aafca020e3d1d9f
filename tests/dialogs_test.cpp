// The settings dialog and the info dialog on the fake platform: what they show for a store, what
// OK writes back, the clicks in between, and the info window's look and centring.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "dialogs/frmConfig.h"
#include "dialogs/frmInfo.h"
#include "errors/ErrPtnr.h"
#include "fake/fake_platform.h"
#include "host/settings.h"

namespace ps {
namespace {

using fake::failureOf;

using fake::storeKey;
using fake::World;
using Store = std::map<std::string, std::string>;

// The version as the info window shows it, for this build.
const std::string kVersionText =
    versionText(ProgramVersion::major, ProgramVersion::minor, ProgramVersion::revision);

// Opens the settings dialog on a store holding `stored`, as the configuration mode does.
frmConfig& openConfig(World& w, const Store& stored = {}) {
  for (const auto& [key, value] : stored) w.os.store[storeKey(key)] = value;
  Saver::LoadConfig();
  w.process.forms.show(w.process.config());
  return w.process.config();
}

// What OK writes, read back from the store as text.
Store pressOK(World& w, frmConfig& dlg) {
  dlg.cmdOK.userClick();
  Store out;
  for (const char* key : {"maxFl", "SpeedF", "Date", "Time", "Restart", "rTime", "Background"}) {
    auto it = w.os.store.find(storeKey(key));
    out[key] = it == w.os.store.end() ? "(none)" : it->second;
  }
  return out;
}

int reports(const World& w) {
  return w.os.count("alert");
}

// "name(index)" of each control, in order.
std::string names(const std::vector<Control*>& controls) {
  std::string s;
  for (const Control* c : controls) {
    s += c->name();
    if (c->index() >= 0) s += "(" + std::to_string(c->index()) + ")";
    s += " ";
  }
  return s;
}

// Every control lies inside its container, and every container comes before what it holds.
void expectNested(const Form& form) {
  const auto& list = form.controls();
  for (size_t i = 0; i < list.size(); ++i) {
    const Control& c = *list[i];
    const Control* frame = c.container();
    float w = frame ? frame->width() : form.clientWidthTwips();
    float h = frame ? frame->height() : form.clientHeightTwips();
    EXPECT_TRUE(c.left() >= 0 && c.top() >= 0 && c.left() + c.width() <= w &&
                c.top() + c.height() <= h)
        << c.name() << c.index();
    if (frame) {
      auto at = std::find(list.begin(), list.end(), frame);
      EXPECT_LT(at - list.begin(), static_cast<std::ptrdiff_t>(i)) << c.name() << c.index();
    }
  }
}

// --- Settings dialog --------------------------------------------------------------------------

TEST(SettingsDialog, DesignTabOrderAndInitialStates) {
  World w;
  frmConfig& dlg = w.process.config();
  EXPECT_EQ(dlg.caption(), "Petal Stream Screensaver  ---  Settings / Einstellungen...");
  EXPECT_EQ(dlg.clientWidthTwips(), 5850);
  EXPECT_EQ(dlg.clientHeightTwips(), 4650);
  EXPECT_FALSE(dlg.borderless());
  EXPECT_EQ(dlg.controls().size(), 27u);
  expectNested(dlg);
  EXPECT_EQ(dlg.vscTime.container(), &dlg.Frame(8));
  EXPECT_EQ(dlg.Label2(1).font().weight, 700);
  EXPECT_EQ(dlg.Label3(0).font().weight, 400);

  // Before Form_Load: the options are disabled, so the tab key passes them by.
  EXPECT_EQ(names(tabStops(dlg.controls())),
            "HScroll(0) HScroll(1) chkOpt(0) chkOpt(1) cmdHomepage cmdInfo cmdReset cmdOK "
            "chkOpt(2) vscTime chkRandom ");
  EXPECT_EQ(dlg.lblTime.caption(), "5");
  EXPECT_EQ(dlg.vscTime.value(), 1);
  EXPECT_EQ(dlg.HScroll(0).value(), 50);
  EXPECT_EQ(dlg.optBack(0).value(), kTrue);
  EXPECT_EQ(dlg.chkRandom.value(), 1);

  EXPECT_EQ(w.os.count("alert"), 0);
  EXPECT_EQ(failureOf([&] { dlg.Frame(2); }), err::kSubscript);
}

TEST(SettingsDialog, OpensWithTheStoredSettings) {
  {
    World w;
    frmConfig& dlg = openConfig(w);  // nothing stored: the defaults
    EXPECT_EQ(dlg.HScroll(0).value(), 100);
    EXPECT_EQ(dlg.HScroll(1).value(), 100);
    EXPECT_EQ(dlg.lblTime.caption(), "10");
    EXPECT_EQ(dlg.vscTime.value(), 90);
    EXPECT_EQ(dlg.chkRandom.value(), 1);
    EXPECT_FALSE(dlg.optBack(3).enabled());
  }
  World w;
  frmConfig& dlg = openConfig(w, {{"maxFl", "7"},
                                  {"SpeedF", "2.5"},
                                  {"Date", "0"},
                                  {"Restart", "0"},
                                  {"rTime", "1559"},
                                  {"Background", "2"}});
  EXPECT_EQ(dlg.HScroll(0).value(), 62);  // 62.5, the half to the even neighbour
  EXPECT_EQ(dlg.HScroll(1).value(), 25);
  EXPECT_EQ(dlg.chkOpt(0).value(), 0);
  EXPECT_EQ(dlg.chkOpt(1).value(), 1);
  EXPECT_EQ(dlg.chkOpt(2).value(), 0);
  EXPECT_EQ(dlg.lblTime.caption(), "25");  // whole minutes, cut
  EXPECT_EQ(dlg.vscTime.value(), 75);
  EXPECT_FALSE(dlg.vscTime.enabled());
  EXPECT_EQ(dlg.lblTime.foreColor(), 0xC0C0C0u);
  EXPECT_EQ(dlg.chkRandom.value(), 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(dlg.optBack(i).value(), i == 2 ? kTrue : 0);
    EXPECT_TRUE(dlg.optBack(i).enabled());
  }
  EXPECT_EQ(w.process.settings.Background, 2);
  EXPECT_EQ(w.process.settings.RandomBack, kFalse);
  EXPECT_EQ(reports(w), 0);
  EXPECT_EQ(names(tabStops(dlg.controls())),
            "HScroll(0) HScroll(1) chkOpt(0) chkOpt(1) cmdHomepage cmdInfo cmdReset cmdOK "
            "chkOpt(2) optBack(0) optBack(1) optBack(2) optBack(3) chkRandom ");
}

TEST(SettingsDialog, FlowerCountAndSpeedMapping) {
  struct Case {
    const char* maxFl;
    const char* speed;
    int bar0, bar1;
    const char* storedMaxFl;
    const char* storedSpeed;
  };
  const Case cases[] = {
      {"3", "10", 12, 100, "3", "10"},  // 12.5 rounds to 12
      {"5", "0.1", 38, 1, "5", "0.1"},  // 37.5 rounds to 38
      {"2", "0", 50, 50, "6", "5"},     // both out of range: passed over, the bars stay at 50
      {"10", "0.3", 100, 3, "10", "0.3"},
  };
  for (const Case& c : cases) {
    World w;
    frmConfig& dlg = openConfig(w, {{"maxFl", c.maxFl}, {"SpeedF", c.speed}});
    EXPECT_EQ(dlg.HScroll(0).value(), c.bar0) << c.maxFl;
    EXPECT_EQ(dlg.HScroll(1).value(), c.bar1) << c.speed;
    Store out = pressOK(w, dlg);
    EXPECT_EQ(out["maxFl"], c.storedMaxFl);
    EXPECT_EQ(out["SpeedF"], c.storedSpeed);
    EXPECT_EQ(reports(w), 0) << c.maxFl;
  }
}

TEST(SettingsDialog, RestartPeriodsOutsideTheSpinner) {
  struct Case {
    const char* rTime;
    const char* label;
    int spinner;
    const char* stored;
  };
  const Case cases[] = {
      {"59", "", 1, "0"},         // no whole minute: empty label, 100 is passed over
      {"7200", "120", 1, "7200"}  // -20 is passed over; OK reads the label
  };
  for (const Case& c : cases) {
    World w;
    frmConfig& dlg = openConfig(w, {{"rTime", c.rTime}});
    EXPECT_EQ(dlg.lblTime.caption(), c.label) << c.rTime;
    EXPECT_EQ(dlg.vscTime.value(), c.spinner) << c.rTime;
    EXPECT_EQ(pressOK(w, dlg)["rTime"], c.stored);
    EXPECT_EQ(reports(w), 0) << c.rTime;
  }
}

TEST(SettingsDialog, StoredValuesNoControlCanHoldOpenAtTheDefaults) {
  struct Case {
    Store stored;
    Store expected;  // what OK then writes
  };
  const Case cases[] = {
      {{{"Background", "9"}}, {{"Background", "4"}}},
      {{{"Background", "-1"}}, {{"Background", "4"}}},
      // 2,000,000 minutes: beyond the spinner's 16 bits; it opens at 99 minutes.
      {{{"rTime", "120000000"}}, {{"rTime", "5940"}}},
      {{{"rTime", "-120000000"}}, {{"rTime", "60"}}},
      {{{"maxFl", "-32768"}, {"SpeedF", "1000000"}}, {{"maxFl", "6"}, {"SpeedF", "5"}}},
  };
  for (const Case& c : cases) {
    World w;
    frmConfig& dlg = openConfig(w, c.stored);
    EXPECT_TRUE(w.process.forms.isLoaded(dlg));
    EXPECT_EQ(reports(w), 0) << c.stored.begin()->second;
    if (c.stored.count("Background")) {
      EXPECT_EQ(dlg.chkRandom.value(), 1);
      EXPECT_FALSE(dlg.optBack(0).enabled());
      EXPECT_EQ(w.process.settings.RandomBack, kTrue);
    }
    Store out = pressOK(w, dlg);
    for (const auto& [key, value] : c.expected) EXPECT_EQ(out[key], value) << key;
  }
  World w;
  frmConfig& dlg = openConfig(w, {{"rTime", "-120000000"}});
  EXPECT_EQ(dlg.vscTime.value(), 99);
  EXPECT_EQ(dlg.lblTime.caption(), "1");
}

TEST(SettingsDialog, RandomAndTheBackgroundOptions) {
  World w;
  Settings& s = w.process.settings;
  frmConfig& dlg = openConfig(w);
  dlg.optBack(1).userClick();  // disabled while Random is ticked
  EXPECT_EQ(s.Background, 4);

  dlg.chkRandom.userClick();
  EXPECT_EQ(dlg.chkRandom.value(), 0);
  EXPECT_TRUE(dlg.optBack(1).enabled());
  EXPECT_EQ(s.RandomBack, kFalse);
  EXPECT_EQ(s.Background, 4);  // kept until an option is clicked

  dlg.optBack(3).userClick();
  EXPECT_EQ(s.Background, 3);
  EXPECT_EQ(dlg.optBack(0).value(), 0);
  EXPECT_EQ(w.os.store.count(storeKey("Background")), 0u);  // nothing saved before OK

  dlg.chkRandom.userClick();
  EXPECT_EQ(s.Background, 4);
  EXPECT_EQ(s.RandomBack, kTrue);
  EXPECT_FALSE(dlg.optBack(3).enabled());
  dlg.chkRandom.userClick();
  EXPECT_EQ(pressOK(w, dlg)["Background"], "4");
}

TEST(SettingsDialog, RestartBoxAndSpinner) {
  World w;
  frmConfig& dlg = openConfig(w, {{"rTime", "1500"}});
  dlg.vscTime.setValue(40);  // the user moves the spinner
  EXPECT_EQ(dlg.lblTime.caption(), "60");

  dlg.chkOpt(2).userClick();
  EXPECT_FALSE(dlg.vscTime.enabled());
  EXPECT_EQ(dlg.lblTime.foreColor(), 0xC0C0C0u);
  EXPECT_EQ(dlg.lblTime.caption(), "60");
  dlg.chkOpt(0).userClick();  // the Date box re-applies the same rule
  EXPECT_FALSE(dlg.vscTime.enabled());
  dlg.chkOpt(0).userClick();

  Store out = pressOK(w, dlg);
  EXPECT_EQ(out["Restart"], "0");
  EXPECT_EQ(out["rTime"], "3600");
  EXPECT_EQ(out["Date"], "1");

  World v;
  frmConfig& again = openConfig(v, {{"Restart", "0"}});
  again.chkOpt(2).userClick();
  EXPECT_TRUE(again.vscTime.enabled());
  EXPECT_EQ(again.lblTime.foreColor(), 0x000000u);
}

TEST(SettingsDialog, DefaultThenOKStoresTheDialogsDefaults) {
  World w;
  frmConfig& dlg = openConfig(w, {{"maxFl", "3"},
                                  {"SpeedF", "0.3"},
                                  {"Date", "0"},
                                  {"Time", "0"},
                                  {"Restart", "0"},
                                  {"rTime", "120"},
                                  {"Background", "1"}});
  dlg.cmdReset.userClick();
  EXPECT_EQ(w.os.count("SaveSetting"), 0);
  EXPECT_TRUE(dlg.vscTime.enabled());
  EXPECT_EQ(dlg.lblTime.caption(), "10");
  EXPECT_EQ(dlg.lblTime.foreColor(), 0x000000u);
  EXPECT_FALSE(dlg.optBack(1).enabled());
  EXPECT_EQ(w.process.settings.Background, 4);

  Store out = pressOK(w, dlg);
  EXPECT_EQ(out, (Store{{"maxFl", "6"},
                        {"SpeedF", "5"},
                        {"Date", "1"},
                        {"Time", "1"},
                        {"Restart", "1"},
                        {"rTime", "600"},
                        {"Background", "4"}}));
  EXPECT_FALSE(w.process.forms.isLoaded(dlg));
  EXPECT_TRUE(w.os.quitRequested);
  EXPECT_EQ(reports(w), 0);
}

TEST(SettingsDialog, ClosingWithoutOKSavesNothing) {
  World w;
  frmConfig& dlg = openConfig(w, {{"Background", "2"}});
  dlg.cmdReset.userClick();
  w.process.forms.unload(dlg);
  EXPECT_EQ(w.os.count("SaveSetting"), 0);
  EXPECT_EQ(w.os.store.size(), 1u);
}

TEST(SettingsDialog, InfoIsModalAndTheHomepageOpens) {
  World w;
  frmConfig& dlg = openConfig(w);
  frmInfo* shown = nullptr;
  w.os.modal = [&](Form& f) {
    shown = dynamic_cast<frmInfo*>(&f);
    EXPECT_TRUE(w.process.forms.isLoaded(f));
    shown->ok.userClick();
    return true;
  };
  dlg.cmdInfo.userClick();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->Label(1).caption(), kVersionText);
  EXPECT_FALSE(w.process.forms.isLoaded(*shown));
  EXPECT_TRUE(w.process.forms.isLoaded(dlg));

  // Where no window can be shown, the info window does not stay loaded behind the dialog.
  w.os.modal = nullptr;
  dlg.cmdInfo.userClick();
  EXPECT_EQ(w.os.count("showModal(frmInfo)"), 2);
  EXPECT_EQ(w.process.forms.count(), 1);

  dlg.cmdHomepage.userClick();
  EXPECT_EQ(w.os.shellOpened, std::vector<std::string>{PETALSTREAM_HOMEPAGE});
  EXPECT_EQ(
      w.os.count("openAddress(" + std::to_string(dlg.hWnd()) + "," + PETALSTREAM_HOMEPAGE + ")"),
      1);
  dlg.cmdOK.userClick();
  EXPECT_TRUE(w.os.quitRequested);
}

// A shell that fails once: the report names the procedure, the retry opens the address.
struct FailingShell : fake::FakePlatform {
  int failures = 1;
  void openAddress(Hwnd owner, const std::string& address) override {
    if (failures-- > 0) raise(err::kPlatform);
    FakePlatform::openAddress(owner, address);
  }
};

TEST(Dialogs, FailuresAreReportedUnderTheProcedureTexts) {
  {
    FailingShell os;
    Process process(os);
    Saver::LoadConfig();
    process.forms.show(process.config());
    process.config().cmdHomepage.userClick();
    EXPECT_EQ(process.errPtnr().lblError(1).caption(), "frmConfig");
    EXPECT_EQ(process.errPtnr().lblError(2).caption(), "cmdhomepage_Click");
    EXPECT_EQ(os.shellOpened.size(), 1u);
  }
  FailingShell os;
  Process process(os);
  process.forms.load(process.info());
  process.info().lblHomepage.userClick();
  EXPECT_EQ(process.errPtnr().lblError(1).caption(), "frmInfo");
  EXPECT_EQ(process.errPtnr().lblError(2).caption(), "lblHomepage_Click");
  EXPECT_EQ(os.shellOpened.size(), 1u);
}

// --- Info dialog ------------------------------------------------------------------------------

TEST(InfoDialog, VersionText) {
  EXPECT_EQ(versionText(1, 1, 355), "1.01.0355");
  EXPECT_EQ(versionText(2, 0, 7), "2.00.0007");
  EXPECT_EQ(versionText(1, 10, 12345), "1.10.12345");
}

TEST(InfoDialog, LoadFillsTheLabelsAndCentresOnTheScreen) {
  struct Case {
    SizeF screen;
    int tpp;
    float left, top;
  };
  const Case cases[] = {
      {{800, 600}, 15, 3330, 2032},  // 6660 / 2 and 4065 / 2 with the half dropped
      {{5341, 4936}, 1, 0, 0},       // one twip wider and higher than the window
      {{5343, 4938}, 1, 1, 1},
      {{300, 200}, 15, -420, -967},  // smaller: negative, the half dropped toward zero
  };
  for (const Case& c : cases) {
    World w;
    w.os.screen = c.screen;
    w.os.tpp = c.tpp;
    frmInfo& info = w.process.info();
    w.process.forms.load(info);
    EXPECT_EQ(info.left(), c.left) << c.screen.width;
    EXPECT_EQ(info.top(), c.top) << c.screen.height;
    EXPECT_EQ(info.width(), 5340);
    EXPECT_EQ(info.height(), 4935);
    EXPECT_EQ(info.Label(0).caption(), "PetalStream");
    EXPECT_EQ(info.Label(1).caption(), kVersionText);
  }
}

TEST(Dialogs, AreCentredWhereAPixelIsNoWholeNumberOfTwips) {
  // 192 and 168 dots per inch: the backend places windows at twips * dpi / 1440, so the
  // centring must go through the same fraction (a whole 8 put them 53 pixels off at 192).
  for (float dpi : {192.0f, 168.0f, 120.0f}) {
    World w;
    w.os.screen = SizeF{1600, 1200};
    w.os.tpp = 1440.0f / dpi;
    frmConfig& config = w.process.config();
    w.process.forms.load(config);  // never placed: opened in the middle
    w.process.forms.load(w.process.info());
    ErrPtnr& report = w.process.errPtnr();
    report.OnError("Saver", "Main", Failure(6, "Overflow", 1));
    for (const Form* f :
         {static_cast<const Form*>(&config), static_cast<const Form*>(&w.process.info()),
          static_cast<const Form*>(&report)}) {
      // The window's middle on the screen, in the backend's pixels.
      const float x = (f->left() + f->width() / 2) * dpi / 1440;
      const float y = (f->top() + f->height() / 2) * dpi / 1440;
      EXPECT_NEAR(x, 800, 1) << f->name() << " at " << dpi;
      EXPECT_NEAR(y, 600, 1) << f->name() << " at " << dpi;
    }
  }
}

TEST(InfoDialog, EveryTextLiesAboveThePicturesItOverlaps) {
  // Windows draws the windowless controls in this order, later ones on top: the small
  // picture drawn last hid the address's last character.
  World w;
  const std::vector<Control*>& cs = w.process.info().controls();
  auto overlap = [](const Control& a, const Control& b) {
    return a.left() < b.left() + b.width() && b.left() < a.left() + a.width() &&
           a.top() < b.top() + b.height() && b.top() < a.top() + a.height();
  };
  int overlaps = 0;
  for (size_t t = 0; t < cs.size(); ++t) {
    if (cs[t]->kind() != ControlKind::Label) continue;
    for (size_t p = 0; p < cs.size(); ++p) {
      if (cs[p]->kind() != ControlKind::Image || !overlap(*cs[t], *cs[p])) continue;
      ++overlaps;
      EXPECT_LT(p, t) << cs[p]->name() << "(" << cs[p]->index() << ") over " << cs[t]->name() << "("
                      << cs[t]->index() << ")";
    }
  }
  EXPECT_GE(overlaps, 7);  // each text over the background; the address over the small picture
}

TEST(InfoDialog, LookAndClicks) {
  World w;
  frmInfo& info = w.process.info();
  EXPECT_TRUE(info.borderless());
  EXPECT_EQ(info.backColor(), 0x000080u);
  EXPECT_EQ(info.clientWidthTwips(), 5340);
  EXPECT_EQ(info.clientHeightTwips(), 4935);
  expectNested(info);
  EXPECT_EQ(info.controls().front(), &info.Image2);  // under everything else
  EXPECT_TRUE(info.Image2.stretch());
  EXPECT_EQ(info.Image2.pictureId(), 201);
  EXPECT_FALSE(info.Image1(1).stretch());
  EXPECT_EQ(names(tabStops(info.controls())), "ok ");
  EXPECT_EQ(info.lblHomepage.caption(), PETALSTREAM_HOMEPAGE);

  w.process.forms.load(info);
  info.lblHomepage.userClick();
  info.lblHomepage.userClick();
  EXPECT_EQ(w.os.shellOpened,
            (std::vector<std::string>{PETALSTREAM_HOMEPAGE, PETALSTREAM_HOMEPAGE}));
  EXPECT_TRUE(w.process.forms.isLoaded(info));
  info.ok.userClick();
  EXPECT_FALSE(w.process.forms.isLoaded(info));
  EXPECT_EQ(reports(w), 0);
}

}  // namespace
}  // namespace ps
