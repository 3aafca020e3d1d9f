#include "errors/protocol.h"

#include <cstdio>

#include "errors/ErrPtnr.h"
#include "host/process.h"

namespace ps {

std::string LPSTRToString(std::string_view buffer) {
  size_t nul = buffer.find('\0');
  if (nul == std::string_view::npos) return {};
  return std::string(buffer.substr(0, nul));
}

namespace {

std::string twoDigits(int v) {
  char b[16];
  std::snprintf(b, sizeof b, "%02d", v);
  return b;
}

std::string platformName(const OsVersion& v) {
  switch (v.family) {
    case SystemFamily::Win32s:
      return "Win32s";
    case SystemFamily::Windows9x:
      return "Windows 9x";
    case SystemFamily::WindowsNT:
      return v.wide ? "Windows NT (64-bit)" : "Windows NT";
    case SystemFamily::Other:
      break;
  }
  return v.platformName;
}

}  // namespace

std::string BuildProtocol(ErrPtnr& r) {
  const std::string crlf = "\r\n";
  const std::string sep = std::string(70, '-') + crlf;
  const std::string indent(10, ' ');
  std::string t = sep;
  t += "F E H L E R P R O T O K O L L  /  E R R O R   P R O T O C O L L" + crlf;
  t += sep;
  t += upperAscii(r.framProgInfo.caption()) + crlf;
  t += indent + r.lblProgInfo.caption() + crlf;
  t += sep;
  t += upperAscii(r.framFehler.caption()) + crlf;
  for (int k = 0; k <= 3; ++k) {
    t += indent + r.lblErrTitel(k).caption() + "\t" + r.lblError(k).caption() + crlf;
  }
  LocalTime now = platform().now();
  t += indent + "Datum/Uhrzeit (Date/Time):\t" + twoDigits(now.month) + "-" + twoDigits(now.day) +
       "-" + std::to_string(now.year) + " / " + twoDigits(now.hour) + ":" + twoDigits(now.minute) +
       ":" + twoDigits(now.second) + crlf;
  t += sep;
  t += "SYSTEMINFO:" + crlf;
  t += indent + "Plattform/Environment:\t";
  OsVersion v = platform().systemVersion();
  t += platformName(v) + crlf;
  t += indent + "Version:\t" + std::to_string(v.majorVersion) + "." +
       std::to_string(v.minorVersion) + crlf;
  t += indent + "Build:\t" + std::to_string(v.buildNumber & 0xFFFFu) + "   " +
       LPSTRToString(std::string_view(v.csdVersion.data(), v.csdVersion.size())) + crlf;
  t += sep;
  return t;
}

std::string protocolPath(const std::string& folder, char separator, const std::string& name) {
  std::string p = folder;
  if (p.empty() || p.back() != separator) p += separator;
  return p + name + ".EPT";
}

void WriteProtocolFile(ErrPtnr& report) {
  Platform& os = platform();
  std::string text = os.toSystemCodePage(BuildProtocol(report) + "\r\n");
  char sep = os.pathSeparator();
  std::string name = os.programName();
  if (os.programInstalled()) {
    // An installed program sits in a system folder, which is no place for the user's
    // reports, even where it could be written (as root).
    std::string own = os.userDataDirectory();
    if (own.empty()) raise(err::kFileAccess, "No folder of the user's own for the protocol");
    os.appendToFile(protocolPath(own, sep, name), text, true);
    return;
  }
  try {
    os.appendToFile(protocolPath(os.programDirectory(), sep, name), text);
  } catch (const Failure&) {
    // A screensaver usually sits in a system folder the user cannot write: keep the report
    // in the user's own data folder rather than lose it.
    std::string own = os.userDataDirectory();
    if (own.empty()) throw;
    try {
      os.appendToFile(protocolPath(own, sep, name), text, true);
      return;
    } catch (const Failure&) {
    }
    throw;  // the program folder's failure
  }
}

}  // namespace ps
