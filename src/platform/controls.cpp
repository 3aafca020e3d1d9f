#include "platform/controls.h"

#include <algorithm>

#include "platform/forms.h"

namespace ps {

Control::Control(Form& owner, ControlKind kind, std::string name, int index)
    : form_(&owner), kind_(kind), name_(std::move(name)), index_(index) {
  if (kind == ControlKind::HScrollBar || kind == ControlKind::VScrollBar) {
    min_ = 0;
    max_ = 32767;
  }
  if (kind == ControlKind::Timer) enabled_ = false;
}

void Control::changed() {
  if (Windowing* w = form_->windowing()) w->controlChanged(*form_, *this);
}

void Control::move(float left, float top, float width, float height) {
  if (width < 0 || height < 0) raise(err::kInvalidProperty);
  left_ = left, top_ = top, width_ = width, height_ = height;
  changed();
}

void Control::setCaption(std::string text) {
  if (text == caption_) return;
  caption_ = std::move(text);
  changed();
}

void Control::setVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  changed();
}

void Control::setEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  changed();
}

void Control::setTimerEnabled(bool on) {
  setEnabled(on);
}

void Control::setForeColor(u32 rgb) {
  if (rgb == foreColor_) return;
  foreColor_ = rgb;
  changed();
}

void Control::setBackColor(u32 rgb) {
  if (rgb == backColor_) return;
  backColor_ = rgb;
  changed();
}

void Control::setBackOpaque(bool v) {
  if (v == backOpaque_) return;
  backOpaque_ = v;
  changed();
}

void Control::setFont(const Font& f) {
  if (f == font_) return;
  font_ = f;
  changed();
}

void Control::setAlignment(int a) {
  if (a < 0 || a > 2) raise(err::kInvalidProperty);
  if (a == alignment_) return;
  alignment_ = a;
  changed();
}

void Control::setTabIndex(int i) {
  if (i == tabIndex_) return;
  tabIndex_ = i;
  changed();
}

void Control::setPicture(ResourceKind kind, int id) {
  if (kind == pictureKind_ && id == pictureId_) return;
  pictureKind_ = kind;
  pictureId_ = id;
  changed();
}

void Control::setStretch(bool v) {
  if (v == stretch_) return;
  stretch_ = v;
  changed();
}

void Control::setRange(i16 min, i16 max, i16 smallChange, i16 largeChange) {
  if (min > max) raise(err::kInvalidProperty);
  min_ = min, max_ = max, smallChange_ = smallChange, largeChange_ = largeChange;
  i16 before = value_;
  value_ = std::clamp(value_, min_, max_);
  changed();
  if (value_ != before && onChange) onChange();
}

void Control::setInterval(long long ms) {
  if (ms < 0 || ms > 65535) raise(err::kInvalidProperty);
  interval_ = static_cast<i32>(ms);
  changed();
}

void Control::fireClick() {
  if (onClick) onClick();
}

void Control::setValue(long long v) {
  switch (kind_) {
    case ControlKind::CheckBox: {
      if (v < 0 || v > 2) raise(err::kInvalidProperty);
      if (v == value_) return;
      value_ = static_cast<i16>(v);
      changed();
      fireClick();
      return;
    }
    case ControlKind::OptionButton: {
      if (v == 0) {
        if (value_ == 0) return;
        value_ = 0;
        changed();
        return;
      }
      // Selecting one option clears the others of its group: every option button in the
      // same container, whatever its name.
      for (Control* c : form_->controls()) {
        if (c != this && c->kind_ == ControlKind::OptionButton && c->container_ == container_ &&
            c->value_ != 0) {
          c->value_ = 0;
          c->changed();
        }
      }
      value_ = kTrue;
      changed();
      fireClick();
      return;
    }
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar: {
      if (v < min_ || v > max_) raise(err::kInvalidProperty);
      if (v == value_) return;
      value_ = static_cast<i16>(v);
      changed();
      if (onChange) onChange();
      return;
    }
    default:
      raise(err::kInvalidProperty);
  }
}

void Control::userClick() {
  if (!enabled_ || !visible_) return;
  switch (kind_) {
    case ControlKind::CheckBox:
      setValue(value_ == 1 ? 0 : 1);
      return;
    case ControlKind::OptionButton:
      setValue(kTrue);
      return;
    default:
      fireClick();
  }
}

bool Control::isTabStop() const {
  switch (kind_) {
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar:
      break;
    default:
      return false;
  }
  for (const Control* c = this; c != nullptr; c = c->container_) {
    if (!c->enabled_ || !c->visible_) return false;
  }
  return true;
}

std::vector<Control*> tabStops(const std::vector<Control*>& controls) {
  std::vector<Control*> stops;
  std::copy_if(controls.begin(), controls.end(), std::back_inserter(stops),
               [](const Control* c) { return c->isTabStop(); });
  std::stable_sort(stops.begin(), stops.end(), [](const Control* a, const Control* b) {
    return a->tabIndex() < b->tabIndex();
  });
  return stops;
}

}  // namespace ps
