// The control model: platform-free controls with the behaviour the windows rely on. A backend
// mirrors them onto native widgets (Windowing::controlChanged) and feeds the user's actions
// back through the same setters (userClick, setValue).
//
// A window lists its controls (Form::controls) with every frame before the controls it holds;
// where siblings overlap, the later one lies on top. Tab order is tabIndex (see tabStops).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace ps {

enum class ControlKind {
  Label,
  Frame,
  CommandButton,
  CheckBox,
  OptionButton,
  HScrollBar,
  VScrollBar,
  Image,
  Timer,
};

class Control {
 public:
  Control(Form& owner, ControlKind kind, std::string name, int index = -1);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control() = default;

  Form& form() const { return *form_; }
  ControlKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  int index() const { return index_; }  // -1 outside a control array
  Control* container() const { return container_; }
  void setContainer(Control* frame) { container_ = frame; }

  // Geometry in twips, relative to the container (the form's client area for top-level ones).
  float left() const { return left_; }
  float top() const { return top_; }
  float width() const { return width_; }
  float height() const { return height_; }
  void move(float left, float top, float width, float height);
  void setLeft(float v) { move(v, top_, width_, height_); }
  void setTop(float v) { move(left_, v, width_, height_); }
  void setWidth(float v) { move(left_, top_, v, height_); }
  void setHeight(float v) { move(left_, top_, width_, v); }

  const std::string& caption() const { return caption_; }
  void setCaption(std::string text);
  bool visible() const { return visible_; }
  void setVisible(bool v);
  bool enabled() const { return enabled_; }
  void setEnabled(bool v);
  u32 foreColor() const { return foreColor_; }
  void setForeColor(u32 rgb);
  u32 backColor() const { return backColor_; }
  void setBackColor(u32 rgb);
  bool backOpaque() const { return backOpaque_; }
  void setBackOpaque(bool v);
  const Font& font() const { return font_; }
  void setFont(const Font& f);
  int alignment() const { return alignment_; }  // 0 left, 1 right, 2 centre
  void setAlignment(int a);
  int tabIndex() const { return tabIndex_; }
  void setTabIndex(int i);
  int pictureId() const { return pictureId_; }  // a resource number shown on the control; 0 none
  void setPicture(ResourceKind kind, int id);
  ResourceKind pictureKind() const { return pictureKind_; }
  // Image: the picture is scaled to the control's size (otherwise shown at its own size).
  bool stretch() const { return stretch_; }
  void setStretch(bool v);

  // Check box: 0 cleared, 1 checked, 2 grey. Option button: 0 or -1. Scroll bar: min..max.
  // Setting a value by program runs the click or change procedure when it changes; an option
  // button set to true (any non-zero value) clears the other option buttons of its container
  // and runs its click, also when it was selected already. Out of range fails with 380 and
  // leaves the value as it was; so do controls that have no value.
  i16 value() const { return value_; }
  void setValue(long long v);
  i16 min() const { return min_; }
  i16 max() const { return max_; }
  i16 smallChange() const { return smallChange_; }
  i16 largeChange() const { return largeChange_; }
  // A value outside the new range moves to its nearer end and runs the change procedure.
  void setRange(i16 min, i16 max, i16 smallChange, i16 largeChange);

  // Timer.
  i32 interval() const { return interval_; }
  void setInterval(long long ms);
  void setTimerEnabled(bool on);  // enabled() reports it

  // The user's click (buttons, labels, images, check boxes, option buttons): what a real
  // click does. A check box toggles between checked and cleared, an option button is
  // selected. Nothing happens on a disabled or hidden control.
  void userClick();

  // Whether the control takes the keyboard focus by the tab key: a button, check box, option
  // button or scroll bar that is enabled and visible, in an enabled and visible container.
  bool isTabStop() const;

  std::function<void()> onClick;   // Click
  std::function<void()> onChange;  // Change (scroll bars)
  std::function<void()> onTimer;   // Timer

 private:
  void changed();
  void fireClick();

  Form* form_;
  ControlKind kind_;
  std::string name_;
  int index_;
  Control* container_ = nullptr;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::string caption_;
  bool visible_ = true, enabled_ = true;
  u32 foreColor_ = 0x000000, backColor_ = 0xC0C0C0;
  bool backOpaque_ = false;
  Font font_;
  int alignment_ = 0;
  int tabIndex_ = 0;
  int pictureId_ = 0;
  ResourceKind pictureKind_ = ResourceKind::Icon;
  bool stretch_ = false;
  i16 value_ = 0;
  i16 min_ = 0, max_ = 32767, smallChange_ = 1, largeChange_ = 1;
  i32 interval_ = 0;
};

// The controls of a window that the tab key visits, in their order: tab stops sorted by
// tabIndex (equal indices keep their order in `controls`).
std::vector<Control*> tabStops(const std::vector<Control*>& controls);

// A control array: `name`(0) to `name`(N - 1).
template <size_t... I>
std::array<Control, sizeof...(I)> makeControlArray(Form& f, ControlKind k, const char* name,
                                                   std::index_sequence<I...>) {
  return {{Control(f, k, name, static_cast<int>(I))...}};
}
template <size_t N>
std::array<Control, N> makeControls(Form& f, ControlKind k, const char* name) {
  return makeControlArray(f, k, name, std::make_index_sequence<N>{});
}

}  // namespace ps
