#include "errors/ErrPtnr.h"

#include "errors/guard.h"
#include "errors/protocol.h"
#include "host/process.h"
#include "host/saver.h"

namespace ps {

namespace {
constexpr float kFrameWidth = 7215;
constexpr float kCommentHeight = 975, kFehlerHeight = 1695, kProgInfoHeight = 615;
constexpr float kProtocolHeight = 855, kContinueHeight = 855;
}  // namespace

ErrPtnr::ErrPtnr()
    : Form("ErrPtnr"),
      framComment(*this, ControlKind::Frame, "framComment"),
      lblComment(*this, ControlKind::Label, "lblComment"),
      framFehler(*this, ControlKind::Frame, "framFehler"),
      lblErrTitel_(makeControls<4>(*this, ControlKind::Label, "lblErrTitel")),
      lblError_(makeControls<4>(*this, ControlKind::Label, "lblError")),
      framProgInfo(*this, ControlKind::Frame, "framProgInfo"),
      lblProgInfo(*this, ControlKind::Label, "lblProgInfo"),
      framProtocol(*this, ControlKind::Frame, "framProtocol"),
      cmdProtocol_(makeControls<4>(*this, ControlKind::CommandButton, "cmdProtocol")),
      framContinue(*this, ControlKind::Frame, "framContinue"),
      cmdContinue_(makeControls<4>(*this, ControlKind::CommandButton, "cmdContinue")) {
  setDesign("Fehler / Error! ", kFrameWidth,
            kCommentHeight + kFehlerHeight + kProgInfoHeight + kProtocolHeight + kContinueHeight,
            false, 0xC0C0C0, Font{});

  framComment.move(0, 0, kFrameWidth, kCommentHeight);
  framComment.setVisible(false);
  lblComment.setContainer(&framComment);
  lblComment.move(120, 240, 6855, 615);

  framFehler.setCaption("Fehlerbeschreibung / error description:");
  framFehler.move(0, kCommentHeight, kFrameWidth, kFehlerHeight);
  static const char* const titles[4] = {
      "Fehler-Nr / error :", "Modul:", "Prozedur / procedure:", "Zeile / Line:"};
  for (int k = 0; k < 4; ++k) {
    lblErrTitel(k).setContainer(&framFehler);
    lblErrTitel(k).setCaption(titles[k]);
    lblErrTitel(k).move(120, 300 + 330.0f * k, 2055, 255);
    lblError(k).setContainer(&framFehler);
    lblError(k).move(2280, 300 + 330.0f * k, 4815, 255);
  }

  framProgInfo.setCaption("Programm-Info:");
  framProgInfo.move(0, kCommentHeight + kFehlerHeight, kFrameWidth, kProgInfoHeight);
  lblProgInfo.setContainer(&framProgInfo);
  lblProgInfo.move(120, 270, 6975, 255);

  framProtocol.setCaption("Fehlerprotokoll ... / error protocoll...");
  framProtocol.move(0, kCommentHeight + kFehlerHeight + kProgInfoHeight, kFrameWidth,
                    kProtocolHeight);
  static const char* const protocolCaptions[4] = {"&Anzeigen  Show", "&Drucken  Print",
                                                  "&Kopieren  Copy", "&Senden  Send"};
  for (int k = 0; k < 4; ++k) {
    cmdProtocol_[static_cast<size_t>(k)].setContainer(&framProtocol);
    cmdProtocol_[static_cast<size_t>(k)].setCaption(protocolCaptions[k]);
    cmdProtocol_[static_cast<size_t>(k)].move(240 + 1800.0f * k, 240, 1335, 495);
  }

  framContinue.setCaption("Weiterer Programmablauf... / Continue...");
  framContinue.move(0, kCommentHeight + kFehlerHeight + kProgInfoHeight + kProtocolHeight,
                    kFrameWidth, kContinueHeight);
  static const char* const answers[4] = {"Wieder&holen Retry", "&Ignorieren   Ignore",
                                         "&Abbrechen Cancel", "&Beenden       End"};
  for (int k = 0; k < 4; ++k) {
    Control& b = cmdContinue(k);
    b.setContainer(&framContinue);
    b.setCaption(answers[k]);
    b.move(240 + 1800.0f * k, 240, 1335, 495);
    b.onClick = [this, k] { cmdContinue_Click(k); };
  }

  addControl(framComment);
  addControl(lblComment);
  addControl(framFehler);
  for (int k = 0; k < 4; ++k) addControl(lblErrTitel(k)), addControl(lblError(k));
  addControl(framProgInfo);
  addControl(lblProgInfo);
  addControl(framProtocol);
  for (auto& b : cmdProtocol_) addControl(b);
  addControl(framContinue);
  for (int k = 0; k < 4; ++k) addControl(cmdContinue(k));
}

void ErrPtnr::cmdContinue_Click(int index) {
  Answer = static_cast<i16>(index);
  platform().hideWindow(*this);
}

void ErrPtnr::arrange() {
  Platform& os = platform();
  framComment.setVisible(true);
  framComment.move(0, 0, framComment.width(), framComment.height());
  float total = framComment.height();
  lblComment.setCaption(
      "There is a problem. Please contact the author if this problem appears again.\r\n"
      "Es liegt ein Problem vor, mit dem Sie sich an den technischen Support wenden sollten, "
      "falls es wiederholt auftritt.");
  for (Control* f : {&framFehler, &framProgInfo}) {
    f->setVisible(true);
    f->move(0, total, f->width(), f->height());
    total += f->height();
  }
  framProtocol.setVisible(false);
  framContinue.move(framContinue.left(), total, framContinue.width(), framContinue.height());
  total += framContinue.height();
  for (int k = 0; k < 3; ++k) cmdContinue(k).setVisible(false);
  cmdContinue(3).setVisible(true);
  float w = kBorderWidth + framFehler.width();
  float h = kBorderHeight + total;
  float tpp = os.twipsPerPixel();
  SizeF screen = os.screenSize();
  move((screen.width * tpp - w) / 2, (screen.height * tpp - h) / 2, w, h);
}

i16 ErrPtnr::OnError(const std::string& module, const std::string& procedure,
                     const Failure& failure, bool repeated) {
  Platform& os = platform();
  Process& p = P();
  p.forms.load(*this);  // the first report creates the window, hidden
  lblError(0).setCaption(std::to_string(failure.number) + " (" + failure.description + ")");
  lblError(1).setCaption(module);
  lblError(2).setCaption(procedure);
  lblError(3).setCaption(std::to_string(failure.line));
  if (lblProgInfo.caption().empty()) {
    lblProgInfo.setCaption(os.programName() + "  V" + std::to_string(ProgramVersion::major) + "." +
                           std::to_string(ProgramVersion::minor) + "." +
                           std::to_string(ProgramVersion::revision));
  }
  os.resetMousePointer();
  arrange();
  try {
    WriteProtocolFile(*this);
  } catch (const Failure&) {
    if (lostReport.empty()) {
      lostReport = lblError(0).caption() + " in " + module + "/" + procedure + ", line " +
                   lblError(3).caption();
    }
    throw;  // leaves OnError unreported, to the reporting procedure's caller
  }
  os.alert();
  if (os.hackMode()) return answerUnseen(module, procedure, failure);
  Saver::exitScreensaver();
  if (!repeated) return answer::kRetry;
  // The same step failed again on its retry: ask, with End the only answer offered.
  Answer = answer::kEnd;
  if (!Saver::showModal(*this)) return answer::kEnd;
  return Answer;
}

i16 ErrPtnr::answerUnseen(const std::string& module, const std::string& procedure,
                          const Failure& failure) {
  Process& p = P();
  // Before the meadow runs, the program goes on past the failing step (a setting that cannot
  // be read keeps its default) rather than retry it, which would only write the same
  // protocol again.
  if (p.ScreenSaverMode == kFalse) return answer::kIgnore;
  // Once it runs, the hack ends, with one line for the daemon's log.
  std::string what = failure.description;
  for (char& c : what) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  platform().reportFatal(platform().programName() + ": failure " + std::to_string(failure.number) +
                         " (" + what + ") in " + module + "." + procedure + ", line " +
                         std::to_string(failure.line) + "; the protocol tells more");
  Saver::exitScreensaver();
  Saver::EndProgramRestoring(1);
}

}  // namespace ps
