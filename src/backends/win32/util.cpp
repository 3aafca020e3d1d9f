#include "backends/win32/util.h"

#include <cstring>

namespace ps::win32 {

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

const GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

std::optional<bool> consoleDisplayShows(const POWERBROADCAST_SETTING& setting) {
  if (!IsEqualGUID(setting.PowerSetting, kConsoleDisplayState)) return std::nullopt;
  if (setting.DataLength != sizeof(DWORD)) return std::nullopt;
  DWORD state = 0;
  std::memcpy(&state, setting.Data, sizeof state);
  switch (state) {
    case 0:  // off
      return false;
    case 1:  // on
    case 2:  // dimmed
      return true;
    default:
      return std::nullopt;
  }
}

namespace {
const std::wstring& tracePath() {
  static const std::wstring path = [] {
    wchar_t buf[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(L"PETALSTREAM_TRACE", buf, MAX_PATH * 2);
    return n > 0 && n < MAX_PATH * 2 ? std::wstring(buf, n) : std::wstring();
  }();
  return path;
}
}  // namespace

bool tracing() {
  return !tracePath().empty();
}

void trace(const std::string& line) {
  if (!tracing()) return;
  HANDLE f = CreateFileW(tracePath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(f);
}

void tracePicture(const std::string& name, const Surface& surface) {
  if (!tracing() || surface.empty()) return;
  int w = surface.width(), h = surface.height();
  size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
  std::string bmp(54 + stride * static_cast<size_t>(h), '\0');
  auto put = [&bmp](size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i));
  };
  put(0, 0x4D42, 2);
  put(2, static_cast<std::uint32_t>(bmp.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(w), 4);
  put(22, static_cast<std::uint32_t>(h), 4);  // bottom-up
  put(26, 1, 2);
  put(28, 24, 2);
  for (int y = 0; y < h; ++y) {
    const u32* in = surface.row(h - 1 - y);
    size_t at = 54 + stride * static_cast<size_t>(y);
    for (int x = 0; x < w; ++x) put(at + 3 * static_cast<size_t>(x), in[x], 3);
  }
  std::wstring path = tracePath() + widen("-" + name + ".bmp");
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(f, bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr);
  CloseHandle(f);
}

}  // namespace ps::win32
