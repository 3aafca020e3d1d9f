/* Tells the program's window that its monitor's resolution changed, as Windows tells a program
 * aware of each monitor's resolution when the monitor's scale is set while it runs:
 *
 *   dpi_change.exe DPI
 *
 * sends WM_DPICHANGED with DPI to the first window of the program's window class (the running
 * mode's only one); the suggested rectangle is left out, as a meadow covers its monitor anyway.
 * Exits with 0 when a window was told. */
#include <stdlib.h>
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  HWND window = FindWindowW(L"PetalStreamForm", NULL);
  if (!window) return 1;
  WORD dpi = (WORD)atoi(argv[1]);
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
  return 0;
}
