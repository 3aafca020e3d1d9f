// Resources, the settings store in the registry, the operating system's services and files.
#include <cstring>

#include "backends/win32/platform.h"
#include "host/process.h"
// After the system's headers (see util.h).
#include <shellapi.h>
#include <shlobj.h>

namespace ps::win32 {

namespace {

constexpr i32 kDllFunctionNotFound = 453;

std::uint16_t u16At(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t u32At(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | std::uint32_t{p[3]} << 24;
}
void putU16(std::vector<std::uint8_t>& v, std::uint32_t x) {
  v.push_back(static_cast<std::uint8_t>(x));
  v.push_back(static_cast<std::uint8_t>(x >> 8));
}
void putU32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  putU16(v, x & 0xFFFF);
  putU16(v, x >> 16);
}

// The bytes of one resource of the program, empty when it does not exist.
std::vector<std::uint8_t> rawResource(LPCWSTR type, int number) {
  HRSRC info = FindResourceW(nullptr, MAKEINTRESOURCEW(number), type);
  if (!info) return {};
  HGLOBAL loaded = LoadResource(nullptr, info);
  DWORD size = SizeofResource(nullptr, info);
  const void* p = loaded ? LockResource(loaded) : nullptr;
  if (!p) return {};
  auto* b = static_cast<const std::uint8_t*>(p);
  return std::vector<std::uint8_t>(b, b + size);
}

// An icon group and its images put back together as the .ico file they came from, so that the
// shared decoder chooses the image the same way on every platform.
std::vector<std::uint8_t> iconFile(int number) {
  std::vector<std::uint8_t> group = rawResource(RT_GROUP_ICON, number);
  if (group.size() < 6) return {};
  size_t count = u16At(group.data() + 4);
  if (group.size() < 6 + count * 14) return {};
  std::vector<std::vector<std::uint8_t>> images;
  std::vector<const std::uint8_t*> entries;
  for (size_t i = 0; i < count; ++i) {
    const std::uint8_t* e = group.data() + 6 + i * 14;
    std::vector<std::uint8_t> img = rawResource(RT_ICON, u16At(e + 12));
    if (img.empty()) continue;
    images.push_back(std::move(img));
    entries.push_back(e);
  }
  if (images.empty()) return {};
  std::vector<std::uint8_t> file;
  putU16(file, 0);
  putU16(file, 1);
  putU16(file, static_cast<std::uint32_t>(images.size()));
  std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    file.insert(file.end(), entries[i], entries[i] + 8);  // size, colours, planes, bit count
    putU32(file, static_cast<std::uint32_t>(images[i].size()));
    putU32(file, offset);
    offset += static_cast<std::uint32_t>(images[i].size());
  }
  for (const auto& img : images) file.insert(file.end(), img.begin(), img.end());
  return file;
}

// A bitmap resource is a DIB without its file header: put the header in front.
std::vector<std::uint8_t> bitmapFile(int number) {
  std::vector<std::uint8_t> dib = rawResource(RT_BITMAP, number);
  if (dib.size() < 16) return {};
  std::uint32_t headerSize = u32At(dib.data());
  std::uint32_t palette = 0, masks = 0;  // bytes between the header and the pixels
  if (headerSize == 12) {
    std::uint16_t bits = u16At(dib.data() + 10);
    if (bits <= 8) palette = 3u << bits;
  } else if (dib.size() >= 40) {
    std::uint16_t bits = u16At(dib.data() + 14);
    std::uint32_t compression = u32At(dib.data() + 16);
    std::uint32_t used = u32At(dib.data() + 32);
    palette = 4 * (used ? used : (bits <= 8 ? 1u << bits : 0));
    if (headerSize == 40 && compression == BI_BITFIELDS) masks = 12;
  }
  std::uint32_t offBits = 14 + headerSize + masks + palette;
  std::vector<std::uint8_t> file;
  file.reserve(dib.size() + 14);
  putU16(file, 0x4D42);  // "BM"
  putU32(file, static_cast<std::uint32_t>(dib.size() + 14));
  putU32(file, 0);
  putU32(file, offBits);
  file.insert(file.end(), dib.begin(), dib.end());
  return file;
}

std::wstring storeKey(const std::string& app, const std::string& section) {
  return widen("Software\\" + app + "\\" + section);
}

std::string moduleFile() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n < buf.size()) return narrow(std::wstring_view(buf.data(), n));
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

// ---- resources ----

std::vector<std::uint8_t> Win32Platform::resource(ResourceKind kind, int number) {
  std::vector<std::uint8_t> bytes;
  switch (kind) {
    case ResourceKind::Icon:
      bytes = iconFile(number);
      break;
    case ResourceKind::Bitmap:
      bytes = bitmapFile(number);
      break;
    case ResourceKind::Data:
      bytes = rawResource(RT_RCDATA, number);
      break;
  }
  if (bytes.empty()) raise(err::kResourceNotFound);
  return bytes;
}

// ---- settings store: HKEY_CURRENT_USER\Software\<app>\<section>, REG_SZ values ----

std::string Win32Platform::GetSetting(const std::string& app, const std::string& section,
                                      const std::string& key, const std::string& def) {
  HKEY k = nullptr;
  LONG r = RegOpenKeyExW(HKEY_CURRENT_USER, storeKey(app, section).c_str(), 0, KEY_QUERY_VALUE, &k);
  if (r == ERROR_FILE_NOT_FOUND) return def;
  if (r != ERROR_SUCCESS) raise(err::kPlatform, "The settings store cannot be read");
  std::wstring name = widen(key);
  DWORD type = 0, size = 0;
  r = RegQueryValueExW(k, name.c_str(), nullptr, &type, nullptr, &size);
  std::string result = def;
  if (r == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    r = RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &size);
    if (r == ERROR_SUCCESS) {
      value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
      result = narrow(value);
    }
  } else if (r != ERROR_SUCCESS && r != ERROR_FILE_NOT_FOUND) {
    RegCloseKey(k);
    raise(err::kPlatform, "The settings store cannot be read");
  }
  RegCloseKey(k);
  return result;
}

void Win32Platform::SaveSetting(const std::string& app, const std::string& section,
                                const std::string& key, const std::string& value) {
  HKEY k = nullptr;
  LONG r = RegCreateKeyExW(HKEY_CURRENT_USER, storeKey(app, section).c_str(), 0, nullptr, 0,
                           KEY_SET_VALUE, nullptr, &k, nullptr);
  if (r == ERROR_SUCCESS) {
    std::wstring v = widen(value);
    r = RegSetValueExW(k, widen(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                       static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
  }
  trace("SaveSetting(" + key + "," + value + ") = " + std::to_string(r));
  if (r != ERROR_SUCCESS) raise(err::kPlatform, "The settings store cannot be written");
}

// ---- system ----

namespace {
// The system's flags as the screensaver sets them: param as a truth value (-1 true), no
// profile update.
i32 systemParameter(UINT action, i32 param) {
  BOOL r = ::SystemParametersInfoA(action, static_cast<UINT>(param), nullptr, 0);
  trace("SystemParametersInfoA(" + std::to_string(action) + "," + std::to_string(param) +
        ",0) = " + std::to_string(r));
  return r;
}
}  // namespace

i32 Win32Platform::setScreenSaverActive(bool active) {
  return systemParameter(SPI_SETSCREENSAVEACTIVE, active ? 1 : 0);
}

i32 Win32Platform::setScreenSaverRunning(bool running) {
  return systemParameter(SPI_SETSCREENSAVERRUNNING, running ? -1 : 0);
}

i32 Win32Platform::showPointer(bool show) {
  int count = ::ShowCursor(show);
  trace("ShowCursor(" + std::to_string(show ? -1 : 0) + ") = " + std::to_string(count));
  return count;
}

OsVersion Win32Platform::systemVersion() {
  OSVERSIONINFOA v;
  std::memset(&v, 0, sizeof v);
  v.dwOSVersionInfoSize = 148;
  static_assert(sizeof(OSVERSIONINFOA) == 148);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  BOOL ok = ::GetVersionExA(&v);
#pragma GCC diagnostic pop
  OsVersion r;
  r.result = ok;
  r.majorVersion = v.dwMajorVersion;
  r.minorVersion = v.dwMinorVersion;
  r.buildNumber = v.dwBuildNumber;
  switch (v.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
      r.family = SystemFamily::Win32s;
      break;
    case VER_PLATFORM_WIN32_WINDOWS:
      r.family = SystemFamily::Windows9x;
      break;
    case VER_PLATFORM_WIN32_NT:
      r.family = SystemFamily::WindowsNT;
      break;
    default:
      r.family = SystemFamily::Other;
      r.platformName = "Platform " + std::to_string(v.dwPlatformId);
  }
  std::memcpy(r.csdVersion.data(), v.szCSDVersion, r.csdVersion.size());
  r.wide = sizeof(void*) == 8;
  trace("GetVersionExA = " + std::to_string(ok) + " " + std::to_string(v.dwPlatformId) + " " +
        std::to_string(v.dwMajorVersion) + "." + std::to_string(v.dwMinorVersion) + " " +
        std::to_string(v.dwBuildNumber));
  return r;
}

u32 Win32Platform::tickCount() {
  return ::GetTickCount();
}

LocalTime Win32Platform::now() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  return LocalTime{st.wYear,   st.wMonth,  st.wDay,         st.wHour,
                   st.wMinute, st.wSecond, st.wMilliseconds};
}

namespace {
SYSTEMTIME systemTime(const LocalTime& t) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year), st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day), st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute), st.wSecond = static_cast<WORD>(t.second);
  st.wMilliseconds = static_cast<WORD>(t.millisecond);
  return st;
}
}  // namespace

std::string Win32Platform::shortDate(const LocalTime& t) {
  SYSTEMTIME st = systemTime(t);
  wchar_t buf[128];
  int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buf, 128);
  return n > 0 ? narrow(std::wstring_view(buf, static_cast<size_t>(n - 1))) : std::string();
}

std::string Win32Platform::longTime(const LocalTime& t) {
  SYSTEMTIME st = systemTime(t);
  wchar_t buf[128];
  int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buf, 128);
  return n > 0 ? narrow(std::wstring_view(buf, static_cast<size_t>(n - 1))) : std::string();
}

void Win32Platform::alert() {
  trace("MessageBeep");
  MessageBeep(MB_OK);
}

void Win32Platform::openAddress(Hwnd owner, const std::string& address) {
  trace("ShellExecuteA(" + std::to_string(owner) + ",Open," + address + ")");
  ShellExecuteA(toHwnd(owner), "Open", toSystemCodePage(address).c_str(), "", "", SW_SHOWNORMAL);
}

HMODULE Win32Platform::library(const char* name, HMODULE& slot) {
  if (!slot) slot = LoadLibraryA(name);
  return slot;
}

// The 9x family's screen-saver password, from the control panel's password.cpl.
i32 Win32Platform::verifyPassword(Hwnd hwnd) {
  HMODULE lib = library("password.cpl", passwordCpl_);
  if (!lib) {
    trace("VerifyScreenSavePwd(" + std::to_string(hwnd) + ") = no password.cpl");
    raise(err::kFileNotFound, "File not found: password.cpl");
  }
  using Verify = BOOL(WINAPI*)(HWND);
  auto verify =
      reinterpret_cast<Verify>(reinterpret_cast<void*>(GetProcAddress(lib, "VerifyScreenSavePwd")));
  if (!verify) {
    trace("VerifyScreenSavePwd(" + std::to_string(hwnd) + ") = no function");
    raise(kDllFunctionNotFound, "Specified DLL function not found");
  }
  i32 r = verify(toHwnd(hwnd));
  trace("VerifyScreenSavePwd(" + std::to_string(hwnd) + ") = " + std::to_string(r));
  return r;
}

void Win32Platform::changePassword(Hwnd hwnd) {
  const std::string provider = "SCRSAVE";  // the screen saver's password
  std::string call = "PwdChangePasswordA(" + provider + "," + std::to_string(hwnd) + ",0,0)";
  HMODULE lib = library("mpr.dll", mpr_);
  if (!lib) {
    trace(call + " = no mpr.dll");
    raise(err::kFileNotFound, "File not found: mpr.dll");
  }
  using Change = DWORD(WINAPI*)(LPCSTR, HWND, DWORD, DWORD);
  auto change =
      reinterpret_cast<Change>(reinterpret_cast<void*>(GetProcAddress(lib, "PwdChangePasswordA")));
  if (!change) {
    trace(call + " = no function");
    raise(kDllFunctionNotFound, "Specified DLL function not found");
  }
  DWORD r = change(provider.c_str(), toHwnd(hwnd), 0, 0);
  trace(call + " = " + std::to_string(r));
}

// What follows the program's name on its command line.
std::string Win32Platform::commandLine() {
  const char* p = GetCommandLineA();
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p) ++p;
  } else {
    while (*p && *p != ' ' && *p != '\t') ++p;
  }
  return p;
}

std::string Win32Platform::programDirectory() {
  std::string path = moduleFile();
  size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  std::string dir = path.substr(0, slash);
  if (dir.size() == 2 && dir[1] == ':') dir += '\\';  // a drive's root keeps its backslash
  return dir;
}

std::string Win32Platform::programName() {
  std::string path = moduleFile();
  size_t slash = path.find_last_of("\\/");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string Win32Platform::userDataDirectory() {
  wchar_t buf[MAX_PATH];
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buf))) {
    return narrow(buf) + "\\PetalStream";
  }
  return {};
}

std::string Win32Platform::toSystemCodePage(std::string_view utf8) {
  std::wstring w = widen(utf8);
  if (w.empty()) return {};
  int n = WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr,
                              nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                      nullptr);
  return s;
}

void Win32Platform::reportFatal(const std::string& message) {
  trace("reportFatal(" + message + ")");
  // A window that covers the screen would hide a message box.
  if (screenCovered()) {
    OutputDebugStringA((toSystemCodePage(message) + "\n").c_str());
    return;
  }
  MessageBoxW(nullptr, widen(message).c_str(), L"PetalStream", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void Win32Platform::exitProcess(int code) {
  trace("ExitProcess(" + std::to_string(code) + ")");
  ExitProcess(static_cast<UINT>(code));
}

// ---- files ----

void Win32Platform::appendToFile(const std::string& path, std::string_view bytes,
                                 bool makeFolders) {
  std::wstring wpath = widen(path);
  if (makeFolders) {
    for (size_t i = wpath.find_first_of(L"\\/", 3); i != std::wstring::npos;
         i = wpath.find_first_of(L"\\/", i + 1)) {
      CreateDirectoryW(wpath.substr(0, i).c_str(), nullptr);  // an existing one is fine
    }
  }
  HANDLE f = CreateFileW(wpath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) raise(err::kFileAccess);
  DWORD written = 0;
  BOOL ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  trace("appendToFile(" + path + ") = " + std::to_string(ok));
  if (!ok || written != bytes.size()) raise(err::kFileAccess);
}

}  // namespace ps::win32
