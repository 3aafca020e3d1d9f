#include "errors/guard.h"

#include "errors/ErrPtnr.h"
#include "host/process.h"
#include "host/saver.h"

namespace ps {

Guard::Guard(std::string_view module, std::string_view procedure, Mode mode)
    : module_(module), procedure_(procedure), mode_(mode) {}

bool Guard::run(void* step, void (*call)(void*), std::source_location where) {
  if (leaving_) return false;
  bool retrying = false;
  for (;;) {
    try {
      call(step);
      return true;
    } catch (Failure& f) {
      f.line = static_cast<i32>(where.line());
      if (mode_ == Mode::SkipSilently) return true;
      if (mode_ == Mode::PassOver380 && f.number == err::kInvalidProperty) return true;
      if (beforeReport) beforeReport(f);
      Failure current = f;
      // A report of the same step failing right after its retry asks the user instead of
      // retrying again, so nothing repeats without end.
      i16 a =
          P().errPtnr().OnError(std::string(module_), std::string(procedure_), current, retrying);
      if (afterReport) afterReport();
      switch (a) {
        case answer::kRetry:
          retrying = true;
          continue;
        case answer::kIgnore:
          return true;
        case answer::kEnd:
          Saver::EndProgramRestoring();
        default:
          leaving_ = true;
          return false;
      }
    }
  }
}

}  // namespace ps
