/* A stand-in for the Windows 9x control panel's password.cpl: VerifyScreenSavePwd answers what
 * the file password.answer beside this DLL holds (a number; 1 when the file is missing) and
 * appends one line per call to password.log beside it. */
#include <stdio.h>
#include <string.h>
#include <windows.h>

static char folder[MAX_PATH];

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    GetModuleFileNameA(self, folder, MAX_PATH);
    char* slash = strrchr(folder, '\\');
    if (slash) slash[1] = '\0';
  }
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND hwnd) {
  char path[MAX_PATH + 32];
  int answer = 1;
  snprintf(path, sizeof path, "%spassword.answer", folder);
  FILE* f = fopen(path, "r");
  if (f) {
    if (fscanf(f, "%d", &answer) != 1) answer = 1;
    fclose(f);
  }
  snprintf(path, sizeof path, "%spassword.log", folder);
  f = fopen(path, "a");
  if (f) {
    fprintf(f, "VerifyScreenSavePwd %ld %d\n", (long)(INT_PTR)hwnd, answer);
    fclose(f);
  }
  return answer;
}
