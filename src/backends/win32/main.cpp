// The entry of PetalStream.scr: the platform and the process, Main, then the event loop for as
// long as a window keeps the process alive.
#include "backends/win32/platform.h"
#include "host/process.h"
#include "host/saver.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ps::win32::Win32Platform platform(instance);
  ps::Process process(platform);
  ps::win32::trace("Main(" + platform.commandLine() + ")");
  ps::Saver::deliver([] { ps::Saver::Main(); });
  int code = 0;
  if (process.forms.anyKeepsProcessAlive()) code = platform.run();
  ps::win32::trace("exit(" + std::to_string(code) + ")");
  return code;
}
