#include "animation/compositor.h"

#include <algorithm>
#include <climits>

namespace ps {

namespace {
// Drawing clips to the surface anyway.
constexpr Rect kEverywhere{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};

i32 clampedSum(i32 a, i32 b) {
  long long s = static_cast<long long>(a) + b;
  return static_cast<i32>(std::clamp<long long>(s, INT32_MIN, INT32_MAX));
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// SpriteLayer

SpriteLayer::SpriteLayer(std::size_t capacity) {
  last_.reserve(capacity);
  now_.reserve(capacity);
}

void SpriteLayer::begin() {
  now_.clear();
  nowOrdered_ = true;
}

void SpriteLayer::add(int key, const SpriteBank::Sprite& s, int x, int y, int w, int h) {
  // A sprite scaled ahead knows where its opaque pixels are; a picture scaled on drawing may
  // touch its whole square.
  Rect o{0, 0, std::max(w, 0), std::max(h, 0)};
  if (s.scaled) o = s.opaque;
  if (!now_.empty() && now_.back().key >= key) nowOrdered_ = false;
  now_.push_back(Draw{key, s, x, y, w, h,
                      Rect{clampedSum(x, o.left), clampedSum(y, o.top), clampedSum(x, o.right),
                           clampedSum(y, o.bottom)}});
}

void SpriteLayer::changes(DirtyRegion& out) const {
  if (!lastKnown_ || !lastOrdered_ || !nowOrdered_) {
    // Without matching keys in order, every draw of both frames counts as changed.
    if (lastKnown_) {
      for (const Draw& d : last_) out.add(d.area);
    }
    for (const Draw& d : now_) out.add(d.area);
    return;
  }
  std::size_t i = 0, j = 0;
  while (i < last_.size() || j < now_.size()) {
    if (j == now_.size() || (i < last_.size() && last_[i].key < now_[j].key)) {
      out.add(last_[i++].area);
    } else if (i == last_.size() || now_[j].key < last_[i].key) {
      out.add(now_[j++].area);
    } else {
      const Draw &a = last_[i++], &b = now_[j++];
      if (a == b) continue;
      // A growing sprite moves by a pixel: one rectangle over both places.
      if (overlap(a.area, b.area)) {
        out.add(unite(a.area, b.area));
      } else {
        out.add(a.area);
        out.add(b.area);
      }
    }
  }
}

void SpriteLayer::draw(Surface& target, std::span<const Rect> within) const {
  drawAll(now_, target, within);
}

void SpriteLayer::redraw(Surface& target, std::span<const Rect> within) const {
  if (lastKnown_) drawAll(last_, target, within);
}

void SpriteLayer::drawAll(const std::vector<Draw>& draws, Surface& target,
                          std::span<const Rect> within) {
  for (const Draw& d : draws) {
    for (const Rect& r : within) {
      if (overlap(d.area, r)) d.sprite.draw(target, d.x, d.y, d.w, d.h, r);
    }
  }
}

void SpriteLayer::commit() {
  last_.swap(now_);
  lastOrdered_ = nowOrdered_;
  lastKnown_ = true;
  begin();
}

void SpriteLayer::forget() {
  last_.clear();
  lastKnown_ = false;
}

// ---------------------------------------------------------------------------------------------
// Compositor

Compositor::Compositor(std::size_t slots) : growing_(slots + 1), planted_(slots * 10) {
  background_.trackChanges(&bgChanged_);
}

void Compositor::setTextStyle(Drawing& os, const Font& font, u32 rgb) {
  os_ = &os;
  font_ = font;
  textColour_ = rgb;
}

void Compositor::newScene() {
  hold_ = false;
  wholeFrame_ = true;
  plantHeldDraws();  // planted before the scene is painted over
}

void Compositor::setLiteral(bool on) {
  if (on == literal_) return;
  literal_ = on;
  // What the other way knew of the last frame is of no use: the next frame is composed whole.
  wholeFrame_ = true;
  if (on) {
    bufferFromWindow();
  } else {
    buffer_.release();
  }
}

void Compositor::bufferFromWindow() {
  if (!literal_) return;  // the window surface is the back buffer
  buffer_.setSize(window_.width(), window_.height());
  buffer_.copyRect(window_, buffer_.bounds());
}

void Compositor::drawSprite(Surface& target, int key, const SpriteBank::Sprite& s, int x, int y,
                            int w, int h) {
  const bool held = hold_ && (&target == &buffer() || &target == &background_);
  if (!held) {
    s.draw(target, x, y, w, h, target.bounds());
    return;
  }
  (&target == &background_ ? planted_ : growing_).add(key, s, x, y, w, h);
}

// What the flower step planted, into the background once this frame no longer restores from it.
void Compositor::plantHeldDraws() {
  planted_.draw(background_, std::span<const Rect>(&kEverywhere, 1));
  planted_.begin();
}

// Before the flower step: the literal way copies the background into the back buffer now.
void Compositor::beginFrame() {
  // Plantings held back by a frame that was left early belong to the background now.
  plantHeldDraws();
  growing_.begin();
  printedNow_ = 0;
  if (!literal_) return;
  buffer_.setSize(window_.width(), window_.height());
  buffer_.copyRect(background_, buffer_.bounds());
  bgChanged_.clear();
  toWindow_.clear();
  growing_.forget();
  for (PrintedText& t : texts_) t.onBuffer = false;
  windowWhole_ = true;
}

void Compositor::restore(const DirtyRegion& region) {
  Surface& buffer = this->buffer();
  for (const Rect& r : region.rects()) {
    buffer.copyRect(background_, r);
    toWindow_.add(r);
  }
}

// After the flower step: the background with everything planted so far, and the growing
// flowers over it, into the back buffer. Texts it touches are printed again over that part.
void Compositor::composeFrame() {
  if (literal_) return;
  restore_.clear();
  if (wholeFrame_) {
    restore_.add(window_.bounds());
    windowWhole_ = true;
    wholeFrame_ = false;
  } else {
    for (const Rect& r : bgChanged_.rects()) restore_.add(r);
    growing_.changes(restore_);
  }
  bgChanged_.clear();
  touchTexts(restore_);
  restore(restore_);
  growing_.draw(window_, restore_.rects());
  printAgain(texts_.size());
  growing_.commit();
}

Compositor::Extent Compositor::print(std::string_view text, int x, int y) {
  if (literal_) {
    drawText(text, x, y, kEverywhere);
    return Extent{os_->textWidth(font_, text), os_->textHeight(font_, text)};
  }
  const std::size_t k = printedNow_++;
  if (k == texts_.size()) texts_.emplace_back().text.reserve(64);
  PrintedText& t = texts_[k];
  // Already there, over the same pixels: the clock's line between two seconds.
  if (t.onBuffer && t.x == x && t.y == y && t.text == text) return Extent{t.width, t.height};
  // This text's old self and the texts after it come off first: the new one blends over the
  // flowers and the texts before it alone.
  restore_.clear();
  for (std::size_t j = k; j < texts_.size(); ++j) {
    if (texts_[j].onBuffer) restore_.add(texts_[j].area);
  }
  if (!restore_.empty()) clearTexts(restore_, k);
  t.onBuffer = false;
  drawText(text, x, y, kEverywhere);
  const int w = os_->textWidth(font_, text), h = os_->textHeight(font_, text);
  t.text.assign(text);
  t.x = x, t.y = y, t.width = w, t.height = h;
  // Glyphs may reach a little beyond the measured box: a line's height of room on every side.
  t.area = Rect{x - h, y - h, x + w + h, y + 2 * h};
  t.onBuffer = true;
  toWindow_.add(t.area);
  return Extent{w, h};
}

void Compositor::drawText(std::string_view text, int x, int y, const Rect& clip) {
  os_->drawText(buffer(), font_, x, y, text, textColour_, clip);
}

void Compositor::touchTexts(DirtyRegion& region) {
  // Until nothing more is added: a text's part widens the region onto its neighbours. Parts
  // only grow, inside the texts' places, so this ends.
  for (bool more = true; more;) {
    more = false;
    for (PrintedText& t : texts_) {
      if (!t.onBuffer) continue;
      Rect part = t.again;
      for (const Rect& r : region.rects()) part = unite(part, intersect(r, t.area));
      if (part == t.again) continue;
      t.again = part;
      region.add(part);
      more = true;
    }
  }
}

void Compositor::printAgain(std::size_t end) {
  for (std::size_t j = 0; j < texts_.size(); ++j) {
    PrintedText& t = texts_[j];
    // One rectangle a text: printed once over each pixel of its part.
    if (j < end && t.onBuffer && !t.again.empty()) drawText(t.text, t.x, t.y, t.again);
    t.again = Rect{};
  }
}

void Compositor::clearTexts(DirtyRegion& region, std::size_t printed) {
  for (std::size_t j = printed; j < texts_.size(); ++j) texts_[j].onBuffer = false;
  touchTexts(region);
  restore(region);
  growing_.redraw(window_, region.rects());
  printAgain(printed);
}

void Compositor::showFrame() {
  shown_.clear();
  if (literal_) {
    window_.copyRect(buffer_, window_.bounds());
    windowWhole_ = true;
  } else {
    // Texts of the last frame that this one did not print come off.
    restore_.clear();
    for (std::size_t j = printedNow_; j < texts_.size(); ++j) {
      if (texts_[j].onBuffer) restore_.add(texts_[j].area);
    }
    if (!restore_.empty()) clearTexts(restore_, printedNow_);
  }
  if (windowWhole_) {
    shown_.add(window_.bounds());
  } else {
    // The screen gets the changed places themselves: once the meadow covers the screen, the
    // flowers growing all over it are a fraction of the box that spans them.
    for (const Rect& r : toWindow_.rects()) shown_.add(r);
  }
  toWindow_.clear();
  windowWhole_ = false;
  plantHeldDraws();
}

std::size_t Compositor::bytes() const {
  return background_.bytes() + buffer_.bytes() + window_.bytes();
}

}  // namespace ps
