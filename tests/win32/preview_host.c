/* Hosts the screensaver's preview as the display control panel does: a window of its own,
 * "SCR /p <handle>" started into it, and then driven by files in a control folder, so that a
 * test script can look at the screen between the steps:
 *
 *   preview_host.exe SCR FOLDER X Y W H
 *
 * FOLDER\resize holding "W H" resizes the host window and the preview inside it, then
 * FOLDER\resized appears. FOLDER\close destroys the host window as the control panel closes
 * its preview area; the host then waits up to 10 s for the screensaver to end, prints
 * "ended <exit code>" or "still running" and exits with 0 or 3. FOLDER\vanish ends the host
 * without destroying its window first. After 120 s the host closes on its own. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static char folder[MAX_PATH];
static HWND host;
static PROCESS_INFORMATION saver;
static int ticks;

static int take(const char* name, char* content, int size) {
  char path[MAX_PATH + 32];
  snprintf(path, sizeof path, "%s\\%s", folder, name);
  FILE* f = fopen(path, "r");
  if (!f) return 0;
  if (content) {
    size_t n = fread(content, 1, (size_t)size - 1, f);
    content[n] = '\0';
  }
  fclose(f);
  DeleteFileA(path);
  return 1;
}

static void mark(const char* name) {
  char path[MAX_PATH + 32];
  snprintf(path, sizeof path, "%s\\%s", folder, name);
  FILE* f = fopen(path, "w");
  if (f) fclose(f);
}

static LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  char text[64];
  switch (msg) {
    case WM_TIMER:
      ++ticks;
      if (take("resize", text, sizeof text)) {
        int w = 0, h = 0;
        if (sscanf(text, "%d %d", &w, &h) == 2) {
          SetWindowPos(hwnd, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
          HWND child = GetWindow(hwnd, GW_CHILD);
          if (child) SetWindowPos(child, NULL, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
          printf("resized %dx%d child %ld\n", w, h, (long)(INT_PTR)child);
          fflush(stdout);
        }
        mark("resized");
      }
      if (take("vanish", NULL, 0)) {
        printf("vanishing\n");
        fflush(stdout);
        ExitProcess(0);
      }
      if (take("close", NULL, 0) || ticks > 1200) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

int main(int argc, char** argv) {
  if (argc != 7) {
    fprintf(stderr, "usage: preview_host SCR FOLDER X Y W H\n");
    return 2;
  }
  snprintf(folder, sizeof folder, "%s", argv[2]);
  WNDCLASSA wc = {0};
  wc.lpfnWndProc = hostProc;
  wc.hInstance = GetModuleHandleA(NULL);
  wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
  wc.lpszClassName = "PreviewHost";
  RegisterClassA(&wc);
  host = CreateWindowExA(0, "PreviewHost", "Preview host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                         atoi(argv[3]), atoi(argv[4]), atoi(argv[5]), atoi(argv[6]), NULL, NULL,
                         wc.hInstance, NULL);
  if (!host) return 2;
  char cmd[MAX_PATH * 2];
  snprintf(cmd, sizeof cmd, "\"%s\" /p %ld", argv[1], (long)(INT_PTR)host);
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  if (!CreateProcessA(NULL, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &saver)) {
    fprintf(stderr, "cannot start %s\n", cmd);
    return 2;
  }
  printf("host %ld\n", (long)(INT_PTR)host);
  fflush(stdout);
  SetTimer(host, 1, 100, NULL);
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (WaitForSingleObject(saver.hProcess, 10000) != WAIT_OBJECT_0) {
    printf("still running\n");
    TerminateProcess(saver.hProcess, 9);
    return 3;
  }
  DWORD code = 0;
  GetExitCodeProcess(saver.hProcess, &code);
  printf("ended %lu\n", (unsigned long)code);
  return 0;
}
