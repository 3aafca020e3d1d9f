// The Win32 backend: every platform operation on the Win32 API, for the 32-bit PetalStream.scr.
//
// Windows of the system become native windows of one class; their interactive controls (buttons,
// check boxes, option buttons, scroll bars, frames) become standard child controls that mirror the
// control model, while labels and images are drawn by the window itself, in the model's order,
// as the windowless controls they are. Every native event reaches the system through
// Saver::deliver.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backends/win32/util.h"
#include "platform/forms.h"
#include "platform/platform.h"
#include "platform/surface.h"

namespace ps::win32 {

class Win32Platform final : public Platform {
 public:
  explicit Win32Platform(HINSTANCE instance);
  ~Win32Platform() override;

  // The event loop of the process: returns when quit() was asked for.
  int run();

  // Windowing
  Hwnd createWindow(Form& form) override;
  void destroyWindow(Form& form) override;
  void showWindow(Form& form) override;
  bool showModal(Form& form) override;
  void hideWindow(Form& form) override;
  void maximizeWindow(Form& form) override;
  void formChanged(Form& form) override;
  void controlChanged(Form& form, Control& control) override;
  SizeF clientSize(const Form& form) override;
  SizeF screenSize() override;
  std::vector<Rect> monitors() override;
  float twipsPerPixel() override;
  void setTimer(Form& form, i32 intervalMs, bool enabled) override;
  using Windowing::present;
  void present(Form& form, const Surface& surface, std::span<const Rect> dirty) override;
  void resetMousePointer() override;
  void quit() override;
  i32 windowArea(Hwnd window, Rect& rect) override;
  void embedInHost(Hwnd window, Hwnd host, i32 width, i32 height) override;
  i32 stackWindow(Hwnd window, Stacking stacking, bool activate) override;

  // Drawing
  int textWidth(const Font& font, std::string_view text) override;
  int textHeight(const Font& font, std::string_view text) override;
  void drawText(Surface& target, const Font& font, int x, int y, std::string_view text, u32 rgb,
                const Rect& clip) override;
  bool captureDesktop(Surface& target, int x, int y, int w, int h) override;
  void snapshotDesktop() override;

  // Resources
  std::vector<std::uint8_t> resource(ResourceKind kind, int number) override;

  // Settings store
  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& def) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;

  // System
  i32 setScreenSaverActive(bool active) override;
  i32 setScreenSaverRunning(bool running) override;
  i32 showPointer(bool show) override;
  OsVersion systemVersion() override;
  u32 tickCount() override;
  LocalTime now() override;
  std::string shortDate(const LocalTime& t) override;
  std::string longTime(const LocalTime& t) override;
  void alert() override;
  void openAddress(Hwnd owner, const std::string& address) override;
  i32 verifyPassword(Hwnd window) override;
  void changePassword(Hwnd host) override;
  std::string commandLine() override;
  std::string programDirectory() override;
  std::string programName() override;
  char pathSeparator() override { return '\\'; }
  std::string userDataDirectory() override;
  std::string toSystemCodePage(std::string_view utf8) override;
  void reportFatal(const std::string& message) override;
  [[noreturn]] void exitProcess(int code) override;

  // Files
  void appendToFile(const std::string& path, std::string_view bytes, bool makeFolders) override;

  // Text laid out in `box` (DrawText's DT_ flags in `format`) onto a surface in the font at
  // `atDpi`, touching only pixels inside `clip`: the engine of drawText and of the windows'
  // labels.
  void renderText(Surface& target, const Font& font, int atDpi, const Rect& clip, const Rect& box,
                  std::string_view text, u32 rgb, UINT format);

  struct NativeForm;
  struct NativeControl;

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT handle(NativeForm& nf, UINT msg, WPARAM wp, LPARAM lp);
  void dispatch(MSG& msg);
  bool dialogKey(MSG& msg);

  NativeForm* find(const Form& form) const;
  NativeForm* find(HWND hwnd) const;
  // A window of ours fills the screen without a border (the running mode's meadow).
  static bool fillsScreen(const NativeForm& nf);
  bool screenCovered() const;
  void createControls(NativeForm& nf);
  void syncControl(NativeForm& nf, NativeControl& nc);
  void syncContents(NativeForm& nf, const Control& frame);
  RECT controlRect(const Control& c);
  bool effectivelyVisible(const Control& c) const;
  void placeWindow(NativeForm& nf, bool force);
  // The window covers its monitor; a meadow takes the monitor's resolution, or `atDpi`.
  void fillScreen(NativeForm& nf, UINT flags, int atDpi = 0);
  void paint(NativeForm& nf);
  void composeDialog(NativeForm& nf, const RECT& area);
  void drawButton(NativeForm& nf, const DRAWITEMSTRUCT& di);
  void scrolled(NativeForm& nf, HWND bar, WORD code);
  void command(NativeForm& nf, HWND child, WORD code);
  NativeControl* windowlessAt(NativeForm& nf, int x, int y);
  void focusFirst(NativeForm& nf);
  void endModal(NativeForm& nf);
  void watchHost(HWND child, HWND host);
  static void CALLBACK watchHosts(HWND, UINT, UINT_PTR, DWORD);
  const Image* picture(NativeForm& nf, const Control& c);
  HICON icon(NativeForm& nf, const Control& c);
  void killTimer(NativeForm& nf);
  // The meadow on the primary monitor hears of the console display's power (on, or off).
  void watchDisplayPower(NativeForm& nf, bool on);
  void dpiChanged(NativeForm& nf, int dpi, const RECT* suggested);
  // The meadow's pixels are shown in blocks at its monitor's resolution; other windows' are not.
  static double scaleOf(const NativeForm& nf);
  static float logical(const NativeForm& nf, int device);
  int monitorDpi(const Rect& monitor);
  // Brings a meadow's device picture up to date in the surface's rectangles `dirty`; true when
  // it was made anew, whole (a new size or scale).
  bool scaleUp(NativeForm& nf, const Surface& surface, std::span<const Rect> dirty);

  HFONT fontHandle(const Font& font, int atDpi);
  int lineHeight(const Font& font, int atDpi);
  HBRUSH brush(u32 rgb);
  int dpi();
  int pixels(double twips);
  HMODULE library(const char* name, HMODULE& slot);

  HINSTANCE instance_;
  std::map<const Form*, std::unique_ptr<NativeForm>> forms_;
  // Windows whose native side is gone, kept until no window procedure is running any more.
  std::vector<std::unique_ptr<NativeForm>> released_;
  int depth_ = 0;  // window procedures on the stack
  struct ScreenFont {
    Font font;
    int dpi;
    HFONT handle;
  };
  std::vector<ScreenFont> fonts_;  // the fonts made so far, at each resolution
  std::map<u32, HBRUSH> brushes_;
  int dpi_ = 0;
  unsigned timerGeneration_ = 0;
  unsigned long ticks_ = 0;

  // Text rendering: one memory DC with a DIB section that grows as texts need it.
  HDC textDc_ = nullptr;
  HBITMAP textBitmap_ = nullptr;
  HGDIOBJ textOldBitmap_ = nullptr;
  u32* textBits_ = nullptr;
  int textW_ = 0, textH_ = 0;
  void textCanvas(int w, int h);

  // The desktop as it was before the running mode covered it: all monitors, whose top-left
  // corner is at desktopOrigin_ of the desktop.
  Surface desktop_;
  POINT desktopOrigin_{0, 0};
  bool desktopTaken_ = false;
  std::size_t desktopParts_ = 0;  // monitors yet to take their part of desktop_
  bool grabDesktop(Surface& target, int x, int y, int w, int h);
  // The desktop's device pixels from (x, y), w × h, into target at (0, 0).
  bool copyDesktop(Surface& target, int x, int y, int w, int h);

  // Preview windows living in a foreign host window, watched for the host's disappearance.
  std::map<HWND, HWND> hosted_;
  UINT_PTR watchTimer_ = 0;

  HMODULE passwordCpl_ = nullptr, mpr_ = nullptr, shcore_ = nullptr;
};

}  // namespace ps::win32
