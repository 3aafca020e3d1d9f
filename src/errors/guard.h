// The error-handler convention in one place. A guarded procedure runs its statements as steps;
// a failing step goes to the error report with the procedure's module and procedure texts, and
// the answer decides: 0 runs the step again, 1 goes on after it, 3 ends the program, anything
// else leaves the procedure (later steps do nothing).
#pragma once

#include <functional>
#include <memory>
#include <source_location>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/runtime.h"

namespace ps {

class Guard {
 public:
  enum class Mode {
    Report,       // every failure is reported
    PassOver380,  // failure 380 goes on with the next step unreported, the rest is reported
    SkipSilently  // every failing step is skipped, nothing is reported
  };

  // The texts are literals that outlive the guard; keeping views means a guarded procedure
  // allocates nothing until it reports.
  Guard(std::string_view module, std::string_view procedure, Mode mode = Mode::Report);

  // Runs one step. Returns false when the procedure is leaving (then the step did not run).
  // The step is called where it stands, never copied: a step that captures many references
  // allocates nothing, which the tick relies on.
  template <class Step>
  bool operator()(Step&& step, std::source_location where = std::source_location::current()) {
    using Callable = std::remove_reference_t<Step>;
    return run(
        const_cast<void*>(static_cast<const void*>(std::addressof(step))),
        [](void* s) { (*static_cast<Callable*>(s))(); }, where);
  }

  bool leaving() const { return leaving_; }

  // Runs before a failure is reported (the ending uses it to bound its own report chain).
  std::function<void(const Failure&)> beforeReport;
  std::function<void()> afterReport;

 private:
  bool run(void* step, void (*call)(void*), std::source_location where);

  std::string_view module_, procedure_;
  Mode mode_;
  bool leaving_ = false;
};

// Answers of the error report.
namespace answer {
inline constexpr i16 kRetry = 0, kIgnore = 1, kCancel = 2, kEnd = 3;
}

}  // namespace ps
