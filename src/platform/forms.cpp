#include "platform/forms.h"

#include <algorithm>
#include <cmath>

namespace ps {

Form::Form(std::string name) : name_(std::move(name)) {}

void Form::setDesign(std::string caption, float clientWidth, float clientHeight, bool borderless,
                     u32 backColor, Font font) {
  caption_ = std::move(caption);
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  borderless_ = borderless;
  backColor_ = backColor;
  font_ = std::move(font);
  width_ = clientWidth + (borderless ? 0 : kBorderWidth);
  height_ = clientHeight + (borderless ? 0 : kBorderHeight);
}

void Form::setCaption(std::string c) {
  caption_ = std::move(c);
  if (windowing_ != nullptr) windowing_->formChanged(*this);
}

void Form::move(float left, float top, float width, float height) {
  left_ = left, top_ = top, width_ = width, height_ = height;
  clientWidth_ = std::max(0.0f, width - (borderless_ ? 0 : kBorderWidth));
  clientHeight_ = std::max(0.0f, height - (borderless_ ? 0 : kBorderHeight));
  if (windowing_ != nullptr) windowing_->formChanged(*this);
}

void Form::setMaximized() {
  maximized_ = true;
  if (windowing_ != nullptr) windowing_->maximizeWindow(*this);
}

bool Forms::isLoaded(const Form& form) const {
  return std::find(loaded_.begin(), loaded_.end(), &form) != loaded_.end();
}

Form& Forms::at(int i) const {
  checkIndex(i, 0, count() - 1);
  return *loaded_[static_cast<size_t>(i)];
}

void Forms::load(Form& form) {
  if (isLoaded(form)) return;
  if (!form.borderless() && form.left() == 0 && form.top() == 0) {
    // A bordered window that was never placed opens in the middle of the screen.
    const SizeF screen = windowing_.screenSize();
    const float tpp = windowing_.twipsPerPixel();
    form.move(std::round((screen.width * tpp - form.width()) / 2),
              std::round((screen.height * tpp - form.height()) / 2), form.width(), form.height());
  }
  form.attach(&windowing_, windowing_.createWindow(form));
  loaded_.push_back(&form);
  form.Form_Load();
}

void Forms::unload(Form& form) {
  if (!isLoaded(form)) return;
  if (std::find(unloading_.begin(), unloading_.end(), &form) != unloading_.end()) return;
  unloading_.push_back(&form);
  i16 cancel = 0;
  struct Done {
    std::vector<Form*>& list;
    Form* f;
    ~Done() { list.erase(std::find(list.begin(), list.end(), f)); }
  } done{unloading_, &form};
  form.Form_Unload(cancel);
  if (cancel != 0) return;
  loaded_.erase(std::find(loaded_.begin(), loaded_.end(), &form));
  windowing_.destroyWindow(form);
  form.attach(nullptr, 0);
  form.markUnloaded();
  if (!anyKeepsProcessAlive()) windowing_.quit();
}

void Forms::show(Form& form) {
  load(form);
  windowing_.showWindow(form);
}

bool Forms::showModal(Form& form) {
  load(form);
  return windowing_.showModal(form);
}

bool Forms::anyKeepsProcessAlive() const {
  return std::any_of(loaded_.begin(), loaded_.end(),
                     [](const Form* f) { return f->keepsProcessAlive(); });
}

}  // namespace ps
