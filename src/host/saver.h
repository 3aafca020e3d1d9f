// The start procedure, the mode dispatch and the ending of the running mode.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/forms.h"
#include "platform/runtime.h"

namespace ps::Saver {

// The program's entry: settings, random seed, the system's activation off, dispatch.
void Main();

i16 IsWinNT();
i16 SetTopMost(Form& form, i16 topMost, i16 activate);

// Ends the running mode: password check on the 9x family, pointer and flags back, every
// window unloaded, the process ended. Does nothing outside the running mode, and returns when
// the user may not leave.
void exitScreensaver();

// The monitors changed (one plugged in or out, moved, resized, another made the primary): in
// the running mode every monitor is covered again, each by a meadow of its own, the primary
// monitor's window following the primary monitor. A backend delivers it after the change.
void monitorsChanged();

// What can be seen of the running mode changed: a meadow's window was wholly covered (seen
// false) or shows again, or, without a window, the display was switched off or on again. While
// no meadow can be seen every meadow's timer stands still, so the program wakes for nothing;
// once one can, each goes on where it stood. A backend reports each change as it finds it;
// in a hack (the daemon decides what is seen) and outside the running mode nothing changes.
void meadowSeen(const Form* window, bool seen);

// The session ends (a termination signal): every window unloads, the last loaded first, and
// the process ends.
[[noreturn]] void endSession();

// Shows a window modally and returns when it is hidden or unloaded; false when it cannot be
// shown: never over the running mode's meadow, which covers the screen and holds the input.
bool showModal(Form& form);

// The mode switch of a command line: trimmed, upper-cased, its first two characters.
std::string modeSwitch(std::string_view commandLine);
// The window handle that starts at the fourth character of the trimmed, upper-cased command
// line; 0 when there is none; overflow (6) beyond 32 bits.
i32 parseHandle(std::string_view commandLine);

// Shows the pointer and switches both system flags back, skipping what fails. Used where the
// running mode ends without the ordinary ending (the End answer, an unhandled failure).
void restoreSystemState();

// Ends the program at once.
[[noreturn]] void EndProgram();
// Ends the program at once; in the running mode the pointer and flags come back first. For
// every end that does not pass through exitScreensaver (the End answer, an unhandled failure).
[[noreturn]] void EndProgramRestoring(int code = 0);

// How a backend delivers an event: runs it, ends the process on ProgramEnd, and ends it with
// a message naming the failure when a failure is left unhandled.
void deliver(const std::function<void()>& event);

}  // namespace ps::Saver
