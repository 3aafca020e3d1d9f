// The error report: a hidden window whose controls hold the latest report, and OnError.
#pragma once

#include <array>
#include <string>

#include "generated/version.h"
#include "platform/controls.h"
#include "platform/forms.h"

namespace ps {

class ErrPtnr : public Form {
 public:
  ErrPtnr();

  // Records the failure, appends the protocol, sounds the alert, asks the host to end the
  // screensaver and answers Retry. `repeated`: the same step failed again right after its
  // retry; the report then asks the user (End is the only answer offered) and returns the
  // button pressed, or End where no window can be shown. A hack never shows the report:
  // it goes on past the failing step before its meadow runs, and ends once it runs.
  i16 OnError(const std::string& module, const std::string& procedure, const Failure& failure,
              bool repeated = false);

  void cmdContinue_Click(int index);

  // The hidden report never keeps the process alive.
  bool keepsProcessAlive() const override { return false; }

  i16 Answer = 0;

  // The first report whose protocol could be written nowhere, as "5 (xyz) in Saver/SaveConfig,
  // line 42"; empty while every protocol was kept. The failure that then leaves OnError is
  // reported in its turn and may be lost the same way, so the message that ends the program
  // names this one.
  std::string lostReport;

  Control framComment, lblComment;
  Control framFehler;
  std::array<Control, 4> lblErrTitel_;
  std::array<Control, 4> lblError_;
  Control framProgInfo, lblProgInfo;
  Control framProtocol;
  std::array<Control, 4> cmdProtocol_;
  Control framContinue;
  std::array<Control, 4> cmdContinue_;

  Control& lblErrTitel(int i) { return lblErrTitel_.at(static_cast<size_t>(i)); }
  Control& lblError(int i) { return lblError_.at(static_cast<size_t>(i)); }
  Control& cmdContinue(int i) { return cmdContinue_.at(static_cast<size_t>(i)); }

  // The arrangement of the report window for display (OnError step 4).
  void arrange();

 private:
  // The answer where the report cannot be shown (a hack under a screen-saver daemon).
  i16 answerUnseen(const std::string& module, const std::string& procedure, const Failure& failure);
};

// The program's version record.
struct ProgramVersion {
  static constexpr int major = PETALSTREAM_VERSION_MAJOR, minor = PETALSTREAM_VERSION_MINOR,
                       revision = PETALSTREAM_VERSION_REVISION;
};

}  // namespace ps
