// The control model: values and the procedures they run, option groups, tab stops, and what a
// backend is told to mirror.
#include <gtest/gtest.h>

#include "fake/fake_platform.h"
#include "platform/controls.h"
#include "platform/forms.h"

namespace ps {
namespace {

using fake::failureOf;

using fake::World;

struct TestForm : Form {
  TestForm() : Form("frmTest") {}
  using Form::addControl;
};

TEST(ControlModel, CheckBoxRunsClickOnlyWhenItsValueChanges) {
  World w;
  TestForm f;
  Control chk(f, ControlKind::CheckBox, "chk");
  int clicks = 0;
  chk.onClick = [&] { ++clicks; };

  chk.setValue(1);
  chk.setValue(1);
  EXPECT_EQ(clicks, 1);
  chk.setValue(2);
  chk.setValue(0);
  EXPECT_EQ(clicks, 3);
  for (long long bad : {3LL, -1LL, 65537LL}) {
    EXPECT_EQ(failureOf([&] { chk.setValue(bad); }), err::kInvalidProperty) << bad;
  }
  EXPECT_EQ(chk.value(), 0);
  EXPECT_EQ(clicks, 3);

  chk.userClick();
  EXPECT_EQ(chk.value(), 1);
  chk.userClick();
  EXPECT_EQ(chk.value(), 0);
  EXPECT_EQ(clicks, 5);
  chk.setEnabled(false);
  chk.userClick();
  chk.setEnabled(true);
  chk.setVisible(false);
  chk.userClick();
  EXPECT_EQ(chk.value(), 0);
  EXPECT_EQ(clicks, 5);
}

TEST(ControlModel, SelectingAnOptionClearsOnlyItsOwnContainer) {
  World w;
  TestForm f;
  Control frameA(f, ControlKind::Frame, "frameA"), frameB(f, ControlKind::Frame, "frameB");
  auto a = makeControls<2>(f, ControlKind::OptionButton, "optA");
  Control other(f, ControlKind::OptionButton, "optOther");  // another name, same frame
  Control b(f, ControlKind::OptionButton, "optB");
  Control top(f, ControlKind::OptionButton, "optTop");  // on the window itself
  for (Control* c : {&a[0], &a[1], &other}) c->setContainer(&frameA);
  b.setContainer(&frameB);
  for (Control* c : {&frameA, &frameB, &a[0], &a[1], &other, &b, &top}) f.addControl(*c);
  std::vector<std::string> clicks;
  for (Control* c : {&a[0], &a[1], &other, &b, &top}) {
    c->onClick = [&clicks, c] { clicks.push_back(c->name() + std::to_string(c->index())); };
  }

  a[0].setValue(kTrue);
  b.setValue(1);  // any non-zero value selects
  top.setValue(kTrue);
  EXPECT_EQ(a[0].value(), kTrue);
  EXPECT_EQ(b.value(), kTrue);
  a[1].setValue(kTrue);
  EXPECT_EQ(a[0].value(), 0);
  other.userClick();
  EXPECT_EQ(a[1].value(), 0);
  EXPECT_EQ(other.value(), kTrue);
  EXPECT_EQ(b.value(), kTrue);
  EXPECT_EQ(top.value(), kTrue);
  other.setValue(kTrue);  // selected already: the click still runs
  other.setValue(0);      // clearing runs nothing
  EXPECT_EQ(other.value(), 0);
  EXPECT_EQ(clicks, (std::vector<std::string>{"optA0", "optB-1", "optTop-1", "optA1", "optOther-1",
                                              "optOther-1"}));

  a[0].setEnabled(false);
  a[0].userClick();
  EXPECT_EQ(a[0].value(), 0);
  a[0].setValue(kTrue);  // by program it works while disabled
  EXPECT_EQ(a[0].value(), kTrue);
}

TEST(ControlModel, ScrollBarRangeAndChange) {
  World w;
  TestForm f;
  Control bar(f, ControlKind::HScrollBar, "bar");
  bar.setRange(1, 100, 5, 20);
  EXPECT_EQ(bar.value(), 1);  // moved into the new range
  int changes = 0;
  bar.onChange = [&] { ++changes; };

  bar.setValue(50);
  bar.setValue(50);
  EXPECT_EQ(changes, 1);
  // 70000 would wrap to a value inside the range if it were cut to 16 bits first.
  for (long long bad : {0LL, 101LL, -1LL, 70000LL, 65586LL}) {
    EXPECT_EQ(failureOf([&] { bar.setValue(bad); }), err::kInvalidProperty) << bad;
  }
  EXPECT_EQ(bar.value(), 50);
  bar.setValue(1);
  bar.setValue(100);
  EXPECT_EQ(changes, 3);

  bar.setRange(1, 40, 1, 1);
  EXPECT_EQ(bar.value(), 40);
  EXPECT_EQ(changes, 4);
  bar.setRange(1, 99, 1, 1);
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(failureOf([&] { bar.setRange(10, 5, 1, 1); }), err::kInvalidProperty);
  EXPECT_EQ(bar.min(), 1);
  EXPECT_EQ(bar.max(), 99);

  Control label(f, ControlKind::Label, "lbl");
  EXPECT_EQ(failureOf([&] { label.setValue(1); }), err::kInvalidProperty);
  EXPECT_EQ(failureOf([&] { label.setAlignment(3); }), err::kInvalidProperty);
}

TEST(ControlModel, TabStopsFollowTabIndexAndSkipWhatCannotTakeFocus) {
  World w;
  TestForm f;
  Control frame(f, ControlKind::Frame, "frame");
  Control chk(f, ControlKind::CheckBox, "chk"), label(f, ControlKind::Label, "label");
  Control cmd(f, ControlKind::CommandButton, "cmd"), bar(f, ControlKind::HScrollBar, "bar");
  Control opt(f, ControlKind::OptionButton, "opt"), img(f, ControlKind::Image, "img");
  bar.setContainer(&frame);
  opt.setContainer(&frame);
  int tab[] = {0, 4, 1, 3, 2, 2, 0};
  Control* list[] = {&frame, &chk, &label, &cmd, &bar, &opt, &img};
  for (int i = 0; i < 7; ++i) list[i]->setTabIndex(tab[i]), f.addControl(*list[i]);

  auto names = [&] {
    std::string s;
    for (Control* c : tabStops(f.controls())) s += c->name() + " ";
    return s;
  };
  EXPECT_EQ(names(), "bar opt cmd chk ");  // equal indices keep the list's order
  cmd.setEnabled(false);
  EXPECT_EQ(names(), "bar opt chk ");
  frame.setEnabled(false);
  EXPECT_EQ(names(), "chk ");
  frame.setEnabled(true);
  frame.setVisible(false);
  EXPECT_EQ(names(), "chk ");
}

// A platform that records what it is asked to mirror.
struct MirrorPlatform : fake::FakePlatform {
  std::vector<std::string> mirrored;
  void controlChanged(Form&, Control& c) override { mirrored.push_back(c.name()); }
};

TEST(ControlModel, OnlyRealChangesOfALoadedWindowAreMirrored) {
  MirrorPlatform os;
  Process process(os);
  TestForm f;
  Control lbl(f, ControlKind::Label, "lbl"), img(f, ControlKind::Image, "img");
  f.addControl(lbl);
  f.addControl(img);
  lbl.setCaption("before");  // not loaded yet: the backend reads it when it creates the window
  EXPECT_TRUE(os.mirrored.empty());

  process.forms.load(f);
  lbl.setCaption("before");
  lbl.setForeColor(lbl.foreColor());
  lbl.setFont(lbl.font());
  lbl.setBackOpaque(lbl.backOpaque());
  lbl.setAlignment(lbl.alignment());
  lbl.setTabIndex(lbl.tabIndex());
  img.setPicture(img.pictureKind(), img.pictureId());
  img.setStretch(false);
  EXPECT_TRUE(os.mirrored.empty());

  lbl.setCaption("after");
  Font bold;
  bold.weight = 700;
  lbl.setFont(bold);
  img.setPicture(ResourceKind::Bitmap, 201);
  img.setStretch(true);
  EXPECT_EQ(os.mirrored, (std::vector<std::string>{"lbl", "lbl", "img", "img"}));
}

}  // namespace
}  // namespace ps
