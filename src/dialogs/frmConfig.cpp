#include "dialogs/frmConfig.h"

#include <initializer_list>

#include "dialogs/frmInfo.h"
#include "errors/guard.h"
#include "host/process.h"
#include "host/saver.h"
#include "host/settings.h"

namespace ps {

namespace {

constexpr const char* kModule = "frmConfig";
constexpr i16 kUnchecked = 0, kChecked = 1;

void place(Control& c, Control* frame, const char* caption, float left, float top, float width,
           float height) {
  c.setContainer(frame);
  c.setCaption(caption);
  c.move(left, top, width, height);
}

// The value a scroll bar gets from a stored setting. One beyond 16 bits is as far outside the
// bar's range as any other (380), so the bar keeps its place instead of the dialog failing.
i16 barValue(double v) {
  double r = roundHalfEven(v);
  if (!(r >= -32768 && r <= 32767)) raise(err::kInvalidProperty);
  return static_cast<i16>(r);
}

}  // namespace

std::string formatHashes(long long v) {
  return v == 0 ? std::string() : std::to_string(v);
}

frmConfig::frmConfig()
    : Form("frmConfig"),
      frame1_(*this, ControlKind::Frame, "Frame", 1),
      frame8_(*this, ControlKind::Frame, "Frame", 8),
      label1_(makeControls<2>(*this, ControlKind::Label, "Label1")),
      label2_(makeControls<2>(*this, ControlKind::Label, "Label2")),
      label3_(makeControls<2>(*this, ControlKind::Label, "Label3")),
      hScroll_(makeControls<2>(*this, ControlKind::HScrollBar, "HScroll")),
      chkOpt_(makeControls<3>(*this, ControlKind::CheckBox, "chkOpt")),
      optBack_(makeControls<4>(*this, ControlKind::OptionButton, "optBack")),
      Label4(*this, ControlKind::Label, "Label4"),
      lblTime(*this, ControlKind::Label, "lblTime"),
      vscTime(*this, ControlKind::VScrollBar, "vscTime"),
      Label5(*this, ControlKind::Label, "Label5"),
      Frame1(*this, ControlKind::Frame, "Frame1"),
      chkRandom(*this, ControlKind::CheckBox, "chkRandom"),
      cmdHomepage(*this, ControlKind::CommandButton, "cmdHomepage"),
      cmdInfo(*this, ControlKind::CommandButton, "cmdInfo"),
      cmdReset(*this, ControlKind::CommandButton, "cmdReset"),
      cmdOK(*this, ControlKind::CommandButton, "cmdOK") {
  setDesign("Petal Stream Screensaver  ---  Settings / Einstellungen...", 5850, 4650, false,
            0xC0C0C0, Font{});

  Control* flowers = &Frame(1);
  Control* options = &Frame(8);
  place(Frame(1), nullptr, "Flowers / Blumen", 120, 120, 2715, 1935);
  place(Frame(8), nullptr, "Options / Optionen", 120, 2160, 2715, 2295);
  place(Frame1, nullptr, "Background / Hintergrund ", 3000, 120, 2655, 1935);

  place(Label3(0), flowers, "Number / Anzahl", 240, 360, 1815, 255);
  place(HScroll(0), flowers, "", 240, 600, 2200, 200);
  place(Label1(1), flowers, "-", 300, 840, 300, 225);
  place(Label2(1), flowers, "+", 2100, 840, 300, 225);
  place(Label3(1), flowers, "Speed / Tempo", 240, 1080, 1815, 255);
  place(HScroll(1), flowers, "", 240, 1320, 2200, 200);
  place(Label1(0), flowers, "-", 300, 1560, 300, 225);
  place(Label2(0), flowers, "+", 2100, 1560, 300, 225);
  Font bold;
  bold.weight = 700;
  for (int i = 0; i < 2; ++i) Label1(i).setFont(bold), Label2(i).setFont(bold);

  place(chkOpt(0), options, "Date / Datum", 240, 360, 2000, 255);
  place(chkOpt(1), options, "Time/ Uhrzeit", 240, 840, 2000, 255);
  place(chkOpt(2), options, "Restart / Neustart", 240, 1440, 2175, 255);
  place(Label4, options, "after / nach", 360, 1800, 975, 255);
  place(lblTime, options, "5", 1320, 1800, 375, 255);
  place(vscTime, options, "", 1680, 1800, 255, 255);
  place(Label5, options, "Min.", 2040, 1800, 375, 255);

  static const char* const backgrounds[4] = {"Black / Schwarz", "Blue / Blau", "Green / Grün",
                                             "Desktop"};
  for (int i = 0; i < 4; ++i) {
    place(optBack(i), &Frame1, backgrounds[i], 240, 360 + 270.0f * i, 2055, 255);
  }
  place(chkRandom, &Frame1, "Random / Zufall", 240, 1560, 2055, 195);

  place(cmdHomepage, nullptr, "&WWW...", 3000, 2280, 1200, 975);
  place(cmdInfo, nullptr, "&Info...", 4440, 2280, 1200, 975);
  place(cmdReset, nullptr, "&Default Standard", 3000, 3480, 1200, 975);
  place(cmdOK, nullptr, "&OK", 4440, 3480, 1200, 975);
  cmdHomepage.setPicture(ResourceKind::Icon, kHomepageIcon);
  cmdInfo.setPicture(ResourceKind::Icon, kInfoIcon);
  cmdOK.setPicture(ResourceKind::Icon, kOKIcon);

  // The design values, set before any procedure is attached.
  for (int i = 0; i < 2; ++i) {
    HScroll(i).setRange(1, 100, 5, 20);
    HScroll(i).setValue(50);
  }
  vscTime.setRange(1, 99, 1, 1);
  vscTime.setValue(1);
  for (int i = 0; i < 3; ++i) chkOpt(i).setValue(kChecked);
  chkRandom.setValue(kChecked);
  optBack(0).setValue(kTrue);
  for (int i = 0; i < 4; ++i) optBack(i).setEnabled(false);

  for (int i = 0; i < 3; ++i) chkOpt(i).onClick = [this, i] { chkOpt_Click(i); };
  for (int i = 0; i < 4; ++i) optBack(i).onClick = [this, i] { optBack_Click(i); };
  chkRandom.onClick = [this] { chkRandom_Click(); };
  vscTime.onChange = [this] { vscTime_Change(); };
  cmdHomepage.onClick = [this] { cmdHomepage_Click(); };
  cmdInfo.onClick = [this] { cmdInfo_Click(); };
  cmdReset.onClick = [this] { cmdReset_Click(); };
  cmdOK.onClick = [this] { cmdOK_Click(); };

  // Frames before what they hold, labels under the controls that take input; tab order
  // follows the list.
  std::initializer_list<Control*> order = {
      flowers,    options,     &Frame1,      &Label3(0),  &Label1(1),  &Label2(1),  &Label3(1),
      &Label1(0), &Label2(0),  &Label4,      &lblTime,    &Label5,     &HScroll(0), &HScroll(1),
      &chkOpt(0), &chkOpt(1),  &cmdHomepage, &cmdInfo,    &cmdReset,   &cmdOK,      &chkOpt(2),
      &vscTime,   &optBack(0), &optBack(1),  &optBack(2), &optBack(3), &chkRandom};
  int tab = 0;
  for (Control* c : order) {
    c->setTabIndex(tab++);
    addControl(*c);
  }
}

Control& frmConfig::Frame(int index) {
  if (index != 1 && index != 8) raise(err::kSubscript);
  return index == 1 ? frame1_ : frame8_;
}

namespace {
template <size_t N>
Control& element(std::array<Control, N>& a, int index) {
  checkIndex(index, 0, static_cast<long long>(N) - 1);
  return a[static_cast<size_t>(index)];
}
}  // namespace

Control& frmConfig::Label1(int index) {
  return element(label1_, index);
}
Control& frmConfig::Label2(int index) {
  return element(label2_, index);
}
Control& frmConfig::Label3(int index) {
  return element(label3_, index);
}
Control& frmConfig::HScroll(int index) {
  return element(hScroll_, index);
}
Control& frmConfig::chkOpt(int index) {
  return element(chkOpt_, index);
}
Control& frmConfig::optBack(int index) {
  return element(optBack_, index);
}

void frmConfig::Form_Load() {
  Settings& s = P().settings;
  Guard g(kModule, "Form_Load", Guard::Mode::PassOver380);
  g([&] { HScroll(0).setValue(barValue((s.maxFl - 2) * 12.5)); });
  g([&] { HScroll(1).setValue(barValue(s.SpeedF * 10.0)); });
  g([&] { chkOpt(0).setValue(s.Date); });
  g([&] { chkOpt(1).setValue(s.Time); });
  g([&] { chkOpt(2).setValue(s.Restart); });
  g([&] { lblTime.setCaption(formatHashes(s.rTime / 60)); });
  g([&] {
    long long v = 100 - s.rTime / 60;
    if (v >= -32768 && v <= 32767) {
      vscTime.setValue(v);
    } else {
      // Minutes the spinner cannot hold: it opens at its nearer end, with the minutes it
      // stands for, so that OK stores a period the dialog can show.
      vscTime.setValue(v < 0 ? vscTime.min() : vscTime.max());
      vscTime_Change();
    }
  });
  g([&] {
    // A background no option stands for opens as Random, which OK then stores.
    if (s.Background < 0 || s.Background > 4) s.Background = 4, s.RandomBack = kTrue;
  });
  if (s.Background == 4) {
    g([&] { chkRandom.setValue(kChecked); });
    return;
  }
  g([&] { chkRandom.setValue(kUnchecked); });
  g([&] { optBack(s.Background).setValue(kTrue); });
}

void frmConfig::cmdOK_Click() {
  Settings& s = P().settings;
  Guard g(kModule, "cmdOK_Click");
  g([&] { s.maxFl = roundI16(HScroll(0).value() * 0.08 + 2.0); });
  g([&] { s.SpeedF = toSingle(HScroll(1).value() * 0.1); });
  g([&] { s.Date = chkOpt(0).value(); });
  g([&] { s.Time = chkOpt(1).value(); });
  g([&] { s.Restart = chkOpt(2).value(); });
  g([&] { s.rTime = roundI32(leadingNumber(lblTime.caption()) * 60.0); });
  g([&] { Saver::SaveConfig(); });
  g([&] { P().forms.unload(*this); });
}

void frmConfig::cmdReset_Click() {
  Guard g(kModule, "cmdReset_Click");
  g([&] { HScroll(0).setValue(50); });
  g([&] { HScroll(1).setValue(50); });
  g([&] { chkOpt(0).setValue(kChecked); });
  g([&] { chkOpt(1).setValue(kChecked); });
  g([&] { chkOpt(2).setValue(kChecked); });
  g([&] { lblTime.setCaption("10"); });
  g([&] { vscTime.setValue(90); });
  g([&] { chkRandom.setValue(kChecked); });
}

void frmConfig::cmdInfo_Click() {
  Guard g(kModule, "cmdInfo_Click");
  frmInfo* info = nullptr;
  g([&] { info = &P().info(); });
  g([&] { Saver::showModal(*info); });
  // Where no window could be shown, the info window is still loaded: unload it, so that it
  // neither keeps its state nor keeps the process alive after this window closes.
  g([&] {
    if (info != nullptr) P().forms.unload(*info);
  });
}

void frmConfig::cmdHomepage_Click() {
  Guard g(kModule, "cmdhomepage_Click");
  g([&] { platform().openAddress(hWnd(), PETALSTREAM_HOMEPAGE); });
}

void frmConfig::chkOpt_Click(int index) {
  (void)index;  // every box re-applies the rule of the Restart box
  Guard g(kModule, "chkOpt_Click");
  g([&] {
    bool restart = chkOpt(2).value() != kUnchecked;
    vscTime.setEnabled(restart);
    lblTime.setForeColor(restart ? kLiveText : kGreyText);
  });
}

void frmConfig::chkRandom_Click() {
  Settings& s = P().settings;
  Guard g(kModule, "chkRandom_Click");
  g([&] {
    bool random = chkRandom.value() != kUnchecked;
    for (int i = 0; i < 4; ++i) optBack(i).setEnabled(!random);
    if (random) s.Background = 4;
    s.RandomBack = truth(random);
  });
}

void frmConfig::optBack_Click(int index) {
  P().settings.Background = static_cast<i16>(index);
}

void frmConfig::vscTime_Change() {
  lblTime.setCaption(std::to_string(100 - vscTime.value()));
}

}  // namespace ps
