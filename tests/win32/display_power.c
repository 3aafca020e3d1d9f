/* Tells the program's window that the console's display was switched off or on, as Windows
 * tells a window registered for GUID_CONSOLE_DISPLAY_STATE:
 *
 *   display_power.exe off|on|dimmed
 *
 * sends WM_POWERBROADCAST (PBT_POWERSETTINGCHANGE) to the first window of the program's window
 * class, its POWERBROADCAST_SETTING written into the program's memory as Windows would place
 * it there. Exits with 0 when a window was told. */
#include <string.h>
#include <windows.h>

static const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  DWORD state;
  if (strcmp(argv[1], "off") == 0) {
    state = 0;
  } else if (strcmp(argv[1], "on") == 0) {
    state = 1;
  } else if (strcmp(argv[1], "dimmed") == 0) {
    state = 2;
  } else {
    return 2;
  }
  HWND window = FindWindowW(L"PetalStreamForm", NULL);
  if (!window) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return 1;

  BYTE setting[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)];
  POWERBROADCAST_SETTING* s = (POWERBROADCAST_SETTING*)setting;
  s->PowerSetting = kConsoleDisplayState;
  s->DataLength = sizeof(DWORD);
  memcpy(s->Data, &state, sizeof state);
  void* there = VirtualAllocEx(process, NULL, sizeof setting, MEM_COMMIT, PAGE_READWRITE);
  int rc = 1;
  if (there && WriteProcessMemory(process, there, setting, sizeof setting, NULL)) {
    SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, (LPARAM)there);
    rc = 0;
  }
  if (there) VirtualFreeEx(process, there, 0, MEM_RELEASE);
  CloseHandle(process);
  return rc;
}
