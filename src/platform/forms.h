// Windows of the system and the registry of loaded windows: the process lives while a window
// (other than the hidden error report) is loaded.
#pragma once

#include <string>
#include <vector>

#include "platform/controls.h"
#include "platform/platform.h"

namespace ps {

class Form {
 public:
  explicit Form(std::string name);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form() = default;

  const std::string& name() const { return name_; }
  Hwnd hWnd() const { return hwnd_; }
  // The windowing that shows the window while it is loaded; null otherwise.
  Windowing* windowing() const { return windowing_; }
  void attach(Windowing* w, Hwnd h) { windowing_ = w, hwnd_ = h; }
  // Set once the window has been unloaded: the next use makes a fresh window.
  bool wasUnloaded() const { return unloaded_; }
  void markUnloaded() { unloaded_ = true; }

  // Design data; geometry in twips (outer size), mirrored by the backend.
  const std::string& caption() const { return caption_; }
  void setCaption(std::string c);
  float left() const { return left_; }
  float top() const { return top_; }
  float width() const { return width_; }
  float height() const { return height_; }
  void move(float left, float top, float width, float height);
  float clientWidthTwips() const { return clientWidth_; }
  float clientHeightTwips() const { return clientHeight_; }
  bool borderless() const { return borderless_; }
  u32 backColor() const { return backColor_; }
  const Font& font() const { return font_; }
  bool maximized() const { return maximized_; }
  void setMaximized();
  // The monitor a maximized window covers: its index in Windowing::monitors() (0, the
  // primary, unless set) and its place on the desktop in pixels.
  int monitor() const { return monitor_; }
  const Rect& monitorArea() const { return monitorArea_; }
  void setMonitor(int index, const Rect& area) { monitor_ = index, monitorArea_ = area; }
  // The difference between outer and client size of a bordered window, in twips.
  static constexpr float kBorderWidth = 90, kBorderHeight = 405;
  // Whether this window keeps the process alive while loaded (the hidden report does not).
  virtual bool keepsProcessAlive() const { return true; }

  // Controls in tab order (the backend creates native widgets for them in this order).
  const std::vector<Control*>& controls() const { return controls_; }

  // Events. A backend delivers them through host::deliver.
  virtual void Form_Load() {}
  virtual void Form_Resize() {}
  virtual void Form_Unload(i16& cancel) { (void)cancel; }
  virtual void Form_Terminate() {}
  virtual void Form_Paint() {}
  virtual void Form_Click() {}
  virtual void Form_DblClick() {}
  // The pointer moved to (x, y) in the client area; a mouse button went down; a key went down,
  // and one that gives a character.
  virtual void Form_MouseMove(float x, float y) { (void)x, (void)y; }
  virtual void Form_MouseDown() {}
  virtual void Form_KeyDown() {}
  virtual void Form_KeyPress() {}
  // The window's timer expired; the form runs the timer control's procedure.
  virtual void timerExpired() {}
  // The window surface that present() shows and exposure repaints (null: none).
  virtual const Surface* windowSurface() const { return nullptr; }

 protected:
  void setDesign(std::string caption, float clientWidth, float clientHeight, bool borderless,
                 u32 backColor, Font font);
  // Adds a control at the end of the tab order.
  void addControl(Control& c) { controls_.push_back(&c); }

 private:
  std::string name_;
  Windowing* windowing_ = nullptr;
  Hwnd hwnd_ = 0;
  bool unloaded_ = false;
  std::string caption_;
  float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  float clientWidth_ = 0, clientHeight_ = 0;
  bool borderless_ = false;
  u32 backColor_ = 0xC0C0C0;
  Font font_;
  bool maximized_ = false;
  int monitor_ = 0;
  Rect monitorArea_;
  std::vector<Control*> controls_;
};

// The loaded windows in load order.
class Forms {
 public:
  explicit Forms(Windowing& windowing) : windowing_(windowing) {}

  // Creates the native window and runs Form_Load; nothing if already loaded.
  void load(Form& form);
  // Runs Form_Unload and removes the window; nothing when it is not loaded or its unload event
  // is already running. A window counts as loaded until its unload event has finished.
  void unload(Form& form);
  void show(Form& form);       // loads it first if needed; modeless
  bool showModal(Form& form);  // loads it first if needed
  bool isLoaded(const Form& form) const;
  int count() const { return static_cast<int>(loaded_.size()); }
  Form& at(int i) const;  // 9 when there is no window at i
  bool anyKeepsProcessAlive() const;

 private:
  Windowing& windowing_;
  std::vector<Form*> loaded_;
  std::vector<Form*> unloading_;
};

}  // namespace ps
