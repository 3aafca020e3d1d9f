#include "backends/qt/form_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <cmath>

#include "backends/qt/util.h"
#include "host/process.h"
#include "host/saver.h"
#include "platform/pictures.h"
#include "platform/surface.h"

namespace ps::qt {

namespace {

// The text colour of disabled controls on Windows (the system colour GrayText).
constexpr u32 kGrayText = 0x808080;

// Labels and images take clicks too (the home-page line is a label).
class ClickableLabel : public QLabel {
 public:
  using QLabel::QLabel;
  std::function<void()> clicked;

 protected:
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && clicked) {
      clicked();
    }
  }
};

// An image control: its picture stretched over its whole area.
class ImageWidget : public QWidget {
 public:
  using QWidget::QWidget;
  std::function<void()> clicked;
  void setPicture(QImage img) {
    picture_ = std::move(img);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    if (picture_.isNull()) return;
    QPainter p(this);
    p.drawImage(rect(), picture_);
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && clicked) {
      clicked();
    }
  }

 private:
  QImage picture_;
};

// Enter presses the focused button, as on Windows; Qt leaves Enter to a dialog's default
// button, and these windows are no Qt dialogs.
template <class Button>
class EnterButton : public Button {
 public:
  using Button::Button;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
      this->click();
      return;
    }
    Button::keyPressEvent(e);
  }
};

// Left and Right as on Windows whichever way the bar lies: Right adds the small change, Left
// takes it off. Qt's scroll bars invert their controls (for Up and Down and the wheel), which
// turns a horizontal bar's Left and Right round.
class ScrollBar : public QScrollBar {
 public:
  using QScrollBar::QScrollBar;

 protected:
  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right) {
      const bool add = (e->key() == Qt::Key_Right) != isRightToLeft();
      triggerAction(add ? SliderSingleStepAdd : SliderSingleStepSub);
      return;
    }
    QScrollBar::keyPressEvent(e);
  }
};

QImage pictureOf(const Control& c) {
  try {
    return toQImage(loadPicture(platform(), c.pictureKind(), c.pictureId()));
  } catch (const Failure&) {
    return {};  // a missing picture leaves the control without one, as an empty picture would
  }
}

Qt::Alignment alignmentOf(int a) {
  Qt::Alignment h = a == 1 ? Qt::AlignRight : a == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
  return h | Qt::AlignTop;
}

}  // namespace

FormWindow::FormWindow(Form& form, float twipsPerPixel) : form_(&form), tpp_(twipsPerPixel) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, toQColor(form.backColor()));
  setPalette(pal);
  setFont(toQFont(form.font()));
  for (Control* c : form.controls()) create(*c);
  QWidget* previous = nullptr;
  for (Control* c : form.controls()) {
    QWidget* w = widgetOf(*c);
    if (w == nullptr || w->focusPolicy() == Qt::NoFocus) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, w);
    previous = w;
  }
  arrangeStacking();
}

int FormWindow::px(float twips) const {
  return static_cast<int>(std::lround(twips / tpp_));
}

QWidget* FormWindow::widgetOf(const Control& c) const {
  auto it = widgets_.find(&c);
  return it == widgets_.end() ? nullptr : it->second.data();
}

void FormWindow::setTakesInput(bool on) {
  takesInput_ = on;
  setAttribute(Qt::WA_TransparentForMouseEvents, !on);
  setFocusPolicy(on ? Qt::StrongFocus : Qt::NoFocus);
}

QWidget* FormWindow::create(Control& c) {
  if (QWidget* w = widgetOf(c)) return w;
  QWidget* parent = this;
  if (Control* frame = c.container()) {
    if (QWidget* f = create(*frame)) parent = f;
  }
  QWidget* w = nullptr;
  auto click = [this, &c] { controlAction(c, [&c] { c.userClick(); }); };
  switch (c.kind()) {
    case ControlKind::Label: {
      auto* l = new ClickableLabel(parent);
      l->setTextFormat(Qt::PlainText);
      l->setWordWrap(true);
      l->clicked = click;
      w = l;
      break;
    }
    case ControlKind::Frame:
      w = new QGroupBox(parent);
      break;
    case ControlKind::CommandButton: {
      QAbstractButton* b;
      if (c.pictureId() != 0) {
        // A picture button: its picture above its caption.
        auto* t = new EnterButton<QToolButton>(parent);
        t->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        t->setIconSize(QSize(32, 32));
        b = t;
      } else {
        b = new EnterButton<QPushButton>(parent);
      }
      b->setFocusPolicy(Qt::StrongFocus);
      QObject::connect(b, &QAbstractButton::clicked, b, click);
      w = b;
      break;
    }
    case ControlKind::CheckBox: {
      auto* b = new QCheckBox(parent);
      QObject::connect(b, &QAbstractButton::clicked, b, click);
      w = b;
      break;
    }
    case ControlKind::OptionButton: {
      auto* b = new QRadioButton(parent);
      b->setAutoExclusive(false);  // the model clears the others of the group
      QObject::connect(b, &QAbstractButton::clicked, b, click);
      w = b;
      break;
    }
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar: {
      auto* s = new ScrollBar(c.kind() == ControlKind::HScrollBar ? Qt::Horizontal : Qt::Vertical,
                              parent);
      s->setFocusPolicy(Qt::StrongFocus);
      QObject::connect(s, &QScrollBar::valueChanged, s, [this, &c](int v) {
        if (!syncing_) controlAction(c, [&c, v] { c.setValue(v); });
      });
      w = s;
      break;
    }
    case ControlKind::Image: {
      auto* i = new ImageWidget(parent);
      i->clicked = click;
      w = i;
      break;
    }
    case ControlKind::Timer:
      return nullptr;  // the platform runs it
  }
  widgets_[&c] = w;
  pictures_[&c] = -1;
  syncControl(c);
  return w;
}

void FormWindow::arrangeStacking() {
  // Labels and images lie under the other controls, images lowest.
  for (auto& [c, w] : widgets_) {
    if (w && c->kind() == ControlKind::Label) w->lower();
  }
  for (auto& [c, w] : widgets_) {
    if (w && c->kind() == ControlKind::Image) w->lower();
  }
}

void FormWindow::syncControl(const Control& c) {
  QWidget* w = widgetOf(c);
  if (w == nullptr) return;
  syncing_ = true;
  w->setGeometry(px(c.left()), px(c.top()), px(c.width()), px(c.height()));
  w->setEnabled(c.enabled());
  w->setFont(toQFont(c.font()));
  // The colours of an enabled control. A disabled one's text is the grey Windows gives it: the
  // style's own grey is that of the dialog's face and would hide the caption.
  QPalette pal = w->palette();
  for (QPalette::ColorRole r : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text}) {
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
      pal.setColor(g, r, toQColor(c.foreColor()));
    }
    pal.setColor(QPalette::Disabled, r, toQColor(kGrayText));
  }
  pal.setColor(QPalette::Window, toQColor(c.backColor()));
  if (c.kind() == ControlKind::Label || c.kind() == ControlKind::Image) {
    w->setAutoFillBackground(c.kind() == ControlKind::Label && c.backOpaque());
  } else {
    pal.setColor(QPalette::Button, toQColor(c.backColor()));
  }
  w->setPalette(pal);
  const bool newPicture = pictures_[&c] != c.pictureId();
  if (newPicture) pictures_[&c] = c.pictureId();
  switch (c.kind()) {
    case ControlKind::Label: {
      auto* l = static_cast<QLabel*>(w);
      l->setText(withoutAccelerators(c.caption()));
      l->setAlignment(alignmentOf(c.alignment()));
      break;
    }
    case ControlKind::Frame:
      static_cast<QGroupBox*>(w)->setTitle(captionText(c.caption()));
      break;
    case ControlKind::CommandButton: {
      auto* b = static_cast<QAbstractButton*>(w);
      b->setText(wrapToWidth(captionText(c.caption()), w->font(), w->width() - 8));
      if (newPicture) {
        b->setIcon(c.pictureId() != 0 ? QIcon(QPixmap::fromImage(pictureOf(c))) : QIcon());
      }
      break;
    }
    case ControlKind::CheckBox: {
      auto* b = static_cast<QCheckBox*>(w);
      b->setText(captionText(c.caption()));
      b->setTristate(c.value() == 2);
      b->setCheckState(c.value() == 1   ? Qt::Checked
                       : c.value() == 2 ? Qt::PartiallyChecked
                                        : Qt::Unchecked);
      break;
    }
    case ControlKind::OptionButton: {
      auto* b = static_cast<QRadioButton*>(w);
      b->setText(captionText(c.caption()));
      b->setChecked(c.value() != 0);
      break;
    }
    case ControlKind::HScrollBar:
    case ControlKind::VScrollBar: {
      auto* s = static_cast<QScrollBar*>(w);
      s->setRange(c.min(), c.max());
      s->setSingleStep(c.smallChange());
      s->setPageStep(c.largeChange());
      s->setValue(c.value());
      break;
    }
    case ControlKind::Image:
      if (newPicture) {
        static_cast<ImageWidget*>(w)->setPicture(c.pictureId() != 0 ? pictureOf(c) : QImage());
      }
      break;
    case ControlKind::Timer:
      break;
  }
  w->setVisible(c.visible());
  syncing_ = false;
}

void FormWindow::run(const std::function<void()>& fn) {
  if (detached_) return;
  Saver::deliver(fn);
}

void FormWindow::controlAction(Control& c, const std::function<void()>& fn) {
  QPointer<FormWindow> self(this);
  run(fn);
  // The model may have refused or changed the action: show what it holds now.
  if (self && !self->detached_) self->syncControl(c);
}

void FormWindow::presentDirectly(Presenter present) {
  direct_ = std::move(present);
  setAttribute(Qt::WA_PaintOnScreen, direct_ != nullptr);
}

void FormWindow::paintEvent(QPaintEvent* e) {
  if (direct_) {
    std::vector<Rect> rects;
    for (const QRect& r : e->region())
      rects.push_back(Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
    if (direct_(rects)) return;
    presentDirectly(nullptr);
    update();
    return;
  }
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  QRegion rest = e->region();
  if (surface_ != nullptr && !surface_->empty()) {
    // The surface's pixels are 0x00RRGGBB: as RGB32 the unused byte is never looked at.
    QImage img(reinterpret_cast<const uchar*>(surface_->data()), surface_->width(),
               surface_->height(), surface_->width() * 4, QImage::Format_RGB32);
    for (const QRect& r : e->region()) {
      QRect s = r & img.rect();
      if (!s.isEmpty()) p.drawImage(s.topLeft(), img, s);
    }
    // Copied as they are, the pixels keep their zero top byte, which a backing store with an
    // alpha channel (Wayland's) takes for full transparency: black under them makes them
    // opaque and leaves their colours.
    QPaintDevice* target = p.paintEngine()->paintDevice();
    if (target->devType() == QInternal::Image && static_cast<QImage*>(target)->hasAlphaChannel()) {
      p.setCompositionMode(QPainter::CompositionMode_DestinationOver);
      for (const QRect& r : e->region()) p.fillRect(r & img.rect(), Qt::black);
      p.setCompositionMode(QPainter::CompositionMode_Source);
    }
    rest -= img.rect();
  }
  for (const QRect& r : rest) p.fillRect(r, toQColor(form_->backColor()));
}

void FormWindow::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  run([this] { form_->Form_Resize(); });
}

void FormWindow::pointerAt(QPointF at, QPointF global) {
  if (pointerIgnored_ || lastPointer_ == global) return;
  lastPointer_ = global;
  run([&] { form_->Form_MouseMove(static_cast<float>(at.x()), static_cast<float>(at.y())); });
}

void FormWindow::mouseMoveEvent(QMouseEvent* e) {
  if (!takesInput_) return;
  pointerAt(e->position(), e->globalPosition());
}

void FormWindow::enterEvent(QEnterEvent* e) {
  // The pointer's first position over the window, as a movement report.
  if (!takesInput_ || !hasMouseTracking()) return;
  pointerAt(e->position(), e->globalPosition());
}

void FormWindow::mousePressEvent(QMouseEvent*) {
  if (!takesInput_) return;
  run([this] { form_->Form_MouseDown(); });
}

void FormWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (!takesInput_) return;
  if (rect().contains(e->position().toPoint())) run([this] { form_->Form_Click(); });
}

void FormWindow::mouseDoubleClickEvent(QMouseEvent*) {
  if (!takesInput_) return;
  run([this] { form_->Form_DblClick(); });
}

void FormWindow::keyPressEvent(QKeyEvent* e) {
  if (!takesInput_) return;
  QPointer<FormWindow> self(this);
  run([this] { form_->Form_KeyDown(); });
  if (!self) return;
  // A key that gives a character is pressed as well.
  const QString text = e->text();
  if (text.size() == 1 && text[0].unicode() < 0x8000) run([this] { form_->Form_KeyPress(); });
}

void FormWindow::closeEvent(QCloseEvent* e) {
  e->ignore();  // the window goes when the system unloads it
  run([this] { P().forms.unload(*form_); });
}

}  // namespace ps::qt
