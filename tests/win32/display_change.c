/* Changes the monitors as the display control panel does, so that every top-level window
 * hears of it (WM_DISPLAYCHANGE):
 *
 *   display_change.exe [DEVICE W H X Y]
 *
 * sets DEVICE (\\.\DISPLAY1, \\.\DISPLAY2, ...) to W x H at X, Y of the desktop; W 0 detaches
 * it. Prints the result of the change and then each display device with its state flags (1:
 * attached to the desktop), and exits with 0 when the change was made. Without arguments it
 * only lists the devices. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static int list(void) {
  DISPLAY_DEVICEA device;
  for (DWORD i = 0;; ++i) {
    memset(&device, 0, sizeof device);
    device.cb = sizeof device;
    if (!EnumDisplayDevicesA(NULL, i, &device, 0)) break;
    printf("%s %lx\n", device.DeviceName, (unsigned long)device.StateFlags);
  }
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 6 && argc != 1) {
    fprintf(stderr, "usage: display_change.exe [DEVICE W H X Y]\n");
    return 2;
  }
  if (argc == 1) return list();
  DEVMODEA mode;
  memset(&mode, 0, sizeof mode);
  mode.dmSize = sizeof mode;
  mode.dmPelsWidth = (DWORD)atoi(argv[2]);
  mode.dmPelsHeight = (DWORD)atoi(argv[3]);
  mode.dmPosition.x = atoi(argv[4]);
  mode.dmPosition.y = atoi(argv[5]);
  mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_POSITION;
  /* One device is set aside, then every pending change is made at once. */
  LONG set = ChangeDisplaySettingsExA(argv[1], &mode, NULL, CDS_UPDATEREGISTRY | CDS_NORESET, NULL);
  LONG applied = ChangeDisplaySettingsExA(NULL, NULL, NULL, 0, NULL);
  printf("%ld %ld\n", (long)set, (long)applied);
  list();
  return set == DISP_CHANGE_SUCCESSFUL && applied == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
}
