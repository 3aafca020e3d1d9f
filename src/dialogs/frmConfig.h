// The settings dialog: shows the settings record in its controls; OK takes them back, saves
// them and closes the window.
#pragma once

#include <array>
#include <string>

#include "platform/controls.h"
#include "platform/forms.h"

namespace ps {

class frmConfig : public Form {
 public:
  frmConfig();

  // Icons of the picture buttons.
  static constexpr int kHomepageIcon = 1, kInfoIcon = 101, kOKIcon = 133;
  // Text colours of the minutes: live while the restart is on, grey while it is off.
  static constexpr u32 kLiveText = 0x000000, kGreyText = 0xC0C0C0;

  // Control arrays, by their indices; another index fails with 9.
  Control& Frame(int index);  // 1 (Flowers) and 8 (Options)
  Control& Label1(int index);
  Control& Label2(int index);
  Control& Label3(int index);
  Control& HScroll(int index);
  Control& chkOpt(int index);
  Control& optBack(int index);

  void Form_Load() override;
  void cmdOK_Click();
  void cmdReset_Click();
  void cmdInfo_Click();
  void cmdHomepage_Click();
  void chkOpt_Click(int index);
  void chkRandom_Click();
  void optBack_Click(int index);
  void vscTime_Change();

 private:
  Control frame1_, frame8_;
  std::array<Control, 2> label1_, label2_, label3_, hScroll_;
  std::array<Control, 3> chkOpt_;
  std::array<Control, 4> optBack_;

 public:
  Control Label4, lblTime, vscTime, Label5;
  Control Frame1, chkRandom;
  Control cmdHomepage, cmdInfo, cmdReset, cmdOK;
};

// The "##" number format: a whole number without leading zeros, nothing for 0.
std::string formatHashes(long long v);

}  // namespace ps
