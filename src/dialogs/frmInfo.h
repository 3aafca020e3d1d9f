// The info dialog: title, version, home page and catalogue line on a background picture.
#pragma once

#include <array>
#include <string>

#include "platform/controls.h"
#include "platform/forms.h"

namespace ps {

class frmInfo : public Form {
 public:
  frmInfo();

  static constexpr const char* kTitle = "PetalStream";
  static constexpr int kBackgroundBitmap = 201, kPictureBitmap = 202;

  // Control arrays, by their indices; another index fails with 9.
  Control& Label(int index);   // 0 title, 1 version, 2 "Freeware", 4 catalogue line
  Control& Image1(int index);  // 0 empty, 1 the small picture

  void Form_Load() override;
  void lblHomepage_Click();
  void OK_Click();

 private:
  std::array<Control, 2> image1_;
  Control label0_, label1_, label2_, label4_;

 public:
  Control Image2;  // the background picture, under everything else
  Control lblHomepage;
  Control ok;
};

// The version as the window shows it: major, minor with at least two digits, revision with at
// least four ("2.03.0017").
std::string versionText(int major, int minor, int revision);

}  // namespace ps
