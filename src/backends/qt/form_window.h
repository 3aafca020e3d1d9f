// The native window of one system window: it shows the window surface (or the window's
// controls, mirrored onto Qt widgets) and turns the user's actions into the window's events.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <span>

#include "platform/forms.h"

namespace ps::qt {

class FormWindow : public QWidget {
 public:
  // `twipsPerPixel` converts the design's twips into pixels.
  FormWindow(Form& form, float twipsPerPixel);

  Form& form() const { return *form_; }
  // Whether the user's mouse and keys reach the window's events (not inside a foreign host).
  void setTakesInput(bool on);
  // The surface that paint events show (the window surface of the last presentation).
  void setSurface(const Surface* s) { surface_ = s; }
  // Shows the surface's rectangles past Qt's painting, and so without Qt's backing store (a
  // second copy of the window's pixels); false when that failed. Null: Qt paints again.
  using Presenter = std::function<bool(std::span<const Rect>)>;
  void presentDirectly(Presenter present);
  // Leave the window alone from now on: no more events, widgets kept until deletion.
  void detach() { detached_ = true; }
  bool detached() const { return detached_; }
  // While on, the pointer's positions are no movement reports: the monitors are changing, and
  // the server may move the pointer to keep it on one.
  void ignorePointer(bool on) { pointerIgnored_ = on; }

  // Mirror one control (or all) from the model onto its widget.
  void syncControl(const Control& c);
  QWidget* widgetOf(const Control& c) const;

 protected:
  void paintEvent(QPaintEvent* e) override;
  QPaintEngine* paintEngine() const override { return nullptr; }  // painting goes elsewhere
  void resizeEvent(QResizeEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  QWidget* create(Control& c);
  void arrangeStacking();
  // Runs a window or control event as the system wants events run.
  void run(const std::function<void()>& fn);
  // A user action on a control: the model acts, then the widget shows the model's state.
  void controlAction(Control& c, const std::function<void()>& fn);
  int px(float twips) const;
  // A movement report, unless the pointer is where the last one found it: Qt reports the
  // pointer anew when windows move or appear under it (a monitor plugged in to the left moves
  // the whole desktop along), which is no movement of the user's.
  void pointerAt(QPointF at, QPointF global);

  Form* form_;
  float tpp_;
  const Surface* surface_ = nullptr;
  Presenter direct_;
  bool takesInput_ = true;
  std::optional<QPointF> lastPointer_;  // where the last movement report found it, globally
  bool pointerIgnored_ = false;
  bool detached_ = false;
  bool syncing_ = false;
  std::map<const Control*, QPointer<QWidget>> widgets_;
  std::map<const Control*, int> pictures_;  // the picture each widget shows
};

}  // namespace ps::qt
