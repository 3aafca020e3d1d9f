// Resources, the settings store, the system's services, files, and the end of the process.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <xcb/xcb.h>
#include <QApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSettings>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QUrl>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <vector>

#include "backends/qt/platform.h"
#include "backends/qt/util.h"
#include "host/process.h"
#include "host/saver.h"
#include "platform/surface.h"

namespace ps::qt {

// ---- Resources

std::vector<std::uint8_t> QtPlatform::resource(ResourceKind kind, int number) {
  const char* folder = kind == ResourceKind::Icon     ? "icon"
                       : kind == ResourceKind::Bitmap ? "bitmap"
                                                      : "rcdata";
  QFile f(QStringLiteral(":/res/%1/%2").arg(QLatin1String(folder)).arg(number));
  if (!f.open(QIODevice::ReadOnly)) raise(err::kResourceNotFound);
  QByteArray bytes = f.readAll();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// ---- Settings store: an INI file per application in the user's configuration folder
// ($XDG_CONFIG_HOME/PetalStream/<app>.ini), one group per section.

namespace {
QString storePath(const std::string& app) {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/PetalStream/") + QString::fromStdString(app) + QStringLiteral(".ini");
}

QString settingKey(const std::string& section, const std::string& key) {
  return QString::fromStdString(section) + u'/' + QString::fromStdString(key);
}
}  // namespace

QSettings* QtPlatform::store(const std::string& app) {
  auto it = stores_.find(app);
  if (it != stores_.end()) return it->second.get();
  // Only a regular file is read: opening a named pipe or a device would wait for good.
  const QString path = storePath(app);
  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) return nullptr;
  return stores_.emplace(app, std::make_unique<QSettings>(path, QSettings::IniFormat))
      .first->second.get();
}

std::string QtPlatform::GetSetting(const std::string& app, const std::string& section,
                                   const std::string& key, const std::string& def) {
  // A hack's options come first: XScreenSaver's settings set them.
  if (launch_.xscreensaver && app == Saver::kStoreApp && section == Saver::kStoreSection) {
    if (auto it = launch_.settings.find(key); it != launch_.settings.end()) return it->second;
  }
  QSettings* s = store(app);
  if (s == nullptr || s->status() == QSettings::AccessError) {
    raise(err::kPlatform, "The settings store cannot be read: " + storePath(app).toStdString());
  }
  QVariant v = s->value(settingKey(section, key));
  if (!v.isValid()) return def;
  // A text with a comma that was written by hand, unquoted, reads as a list: join it again.
  if (v.typeId() == QMetaType::QStringList) {
    return v.toStringList().join(u',').toStdString();
  }
  return v.toString().toStdString();
}

void QtPlatform::SaveSetting(const std::string& app, const std::string& section,
                             const std::string& key, const std::string& value) {
  QSettings* s = store(app);
  const std::string cannot =
      "The settings store cannot be written: " + storePath(app).toStdString();
  if (s == nullptr) raise(err::kPlatform, cannot);
  const QString k = settingKey(section, key), v = QString::fromStdString(value);
  s->setValue(k, v);
  s->sync();
  if (s->status() == QSettings::FormatError) {
    // The file read was odd (a byte-order mark, UTF-16, NUL bytes, junk). Qt keeps saying so
    // after its write has replaced the file with a clean one, and would hide a write that
    // failed: read the store afresh and judge by what it holds.
    stores_.erase(app);
    s = store(app);
    if (s != nullptr) {
      s->sync();
      s->allKeys();  // every section parsed, so an odd file left behind shows
      if (s->status() == QSettings::NoError && s->value(k) == v) return;
    }
  }
  if (s == nullptr || s->status() != QSettings::NoError) raise(err::kPlatform, cannot);
}

// ---- System services. Linux has no screen-saver flags of the Windows kind and no password
// service of its own: the interface's answers serve (the flags change nothing, the user may
// always leave, and /A does nothing).

i32 QtPlatform::showPointer(bool show) {
  cursorCount_ += show ? 1 : -1;
  // Inside XScreenSaver's window the pointer is XScreenSaver's.
  const bool hide = cursorCount_ < 0 && !launch_.xscreensaver;
  if (hide && !pointerHidden_) {
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    pointerHidden_ = true;
  } else if (!hide && pointerHidden_) {
    restorePointer();
  }
  return cursorCount_;
}

void QtPlatform::restorePointer() {
  if (!pointerHidden_) return;
  QGuiApplication::restoreOverrideCursor();
  pointerHidden_ = false;
}

OsVersion QtPlatform::systemVersion() {
  // A family of its own: the protocol names it, with the kernel's version.
  OsVersion v;
  v.family = SystemFamily::Other;
  v.platformName = "Linux";
  struct utsname u {};
  if (uname(&u) != 0) return v;
  v.result = 1;
  unsigned major = 0, minor = 0, patch = 0;
  std::sscanf(u.release, "%u.%u.%u", &major, &minor, &patch);
  v.majorVersion = major;
  v.minorVersion = minor;
  v.buildNumber = patch;
  std::strncpy(v.csdVersion.data(), u.release, v.csdVersion.size() - 1);
  return v;
}

u32 QtPlatform::tickCount() {
  // Milliseconds since the system started, wrapping at 32 bits as the program expects.
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<u32>(static_cast<unsigned long long>(ts.tv_sec) * 1000ull +
                          static_cast<unsigned long long>(ts.tv_nsec) / 1000000ull);
}

namespace {
// The user's locale and its formats, read once, and the last texts made: the clock line asks
// for the date and the time every tick, and they change once a second at most.
struct DateFormats {
  QLocale locale = QLocale::system();
  QString date = locale.dateFormat(QLocale::ShortFormat);
  QString time = [this] {
    // The long time without the time zone's name, which a clock line does not show.
    QString f = locale.timeFormat(QLocale::LongFormat);
    f.remove(QRegularExpression(QStringLiteral("\\s*\\(?\\bt+\\b\\)?")));
    return f.trimmed();
  }();
  bool timeShowsMilliseconds = time.contains(u'z');
  std::array<int, 3> lastDay{-1, -1, -1};
  std::string lastDate;
  std::array<int, 4> lastClock{-1, -1, -1, -1};
  std::string lastTime;
  // The local time of the last whole second asked for.
  qint64 lastSecond = std::numeric_limits<qint64>::min();
  LocalTime lastLocal;
};
DateFormats& formats() {
  static DateFormats f;
  return f;
}
}  // namespace

LocalTime QtPlatform::now() {
  // The time zone's rules are looked up once a second, not on every tick.
  DateFormats& f = formats();
  const qint64 ms = QDateTime::currentMSecsSinceEpoch();
  const qint64 second = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
  if (second != f.lastSecond) {
    QDateTime t = QDateTime::fromMSecsSinceEpoch(second * 1000);
    QDate d = t.date();
    QTime c = t.time();
    f.lastLocal = LocalTime{d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second(), 0};
    f.lastSecond = second;
  }
  LocalTime r = f.lastLocal;
  r.millisecond = static_cast<int>(ms - second * 1000);
  return r;
}

std::string QtPlatform::shortDate(const LocalTime& t) {
  DateFormats& f = formats();
  const std::array<int, 3> day{t.year, t.month, t.day};
  if (day != f.lastDay) {
    f.lastDate = f.locale.toString(QDate(t.year, t.month, t.day), f.date).toStdString();
    f.lastDay = day;
  }
  return f.lastDate;
}

std::string QtPlatform::longTime(const LocalTime& t) {
  DateFormats& f = formats();
  const std::array<int, 4> clock{t.hour, t.minute, t.second,
                                 f.timeShowsMilliseconds ? t.millisecond : 0};
  if (clock != f.lastClock) {
    f.lastTime =
        f.locale.toString(QTime(t.hour, t.minute, t.second, t.millisecond), f.time).toStdString();
    f.lastClock = clock;
  }
  return f.lastTime;
}

void QtPlatform::alert() {
  QApplication::beep();
}

void QtPlatform::openAddress(Hwnd, const std::string& address) {
  QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(address)));
}

std::string QtPlatform::programDirectory() {
  return QCoreApplication::applicationDirPath().toStdString();
}

std::string QtPlatform::programName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

std::string QtPlatform::userDataDirectory() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::string(state) + "/petalstream";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/state/petalstream";
  return {};
}

bool QtPlatform::programInstalled() {
  // Run from the build folder, the program is a developer's; anywhere else it was installed
  // (or copied) into a folder that is not for its reports.
  std::error_code ec;
  const auto here = std::filesystem::weakly_canonical(programDirectory(), ec);
  const auto built = std::filesystem::weakly_canonical(PETALSTREAM_BUILD_DIR, ec);
  return here != built;
}

void QtPlatform::reportFatal(const std::string& message) {
  std::cerr << message << std::endl;
}

void QtPlatform::exitProcess(int code) {
  for (auto& [app, s] : stores_) s->sync();
  releaseInput();
  restorePointer();
  // Platforms other than xcb may answer for X11 without a connection (offscreen does).
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (xcb_connection_t* c = x11 != nullptr ? x11->connection() : nullptr) xcb_flush(c);
  std::fflush(nullptr);
  std::_Exit(code);
}

// ---- Files

void QtPlatform::appendToFile(const std::string& path, std::string_view bytes, bool makeFolders) {
  if (makeFolders) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  }
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (f == nullptr) raise(err::kFileAccess);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  if (std::fclose(f) != 0 || !written) raise(err::kFileAccess);
}

// ---- Termination signals, turned into events of the event loop (self-pipe).

namespace {
int g_signalWrite = -1;
volatile std::sig_atomic_t g_loopRunning = 0, g_signalPending = 0;

void onSignal(int sig) {
  if (!g_loopRunning || g_signalPending) {
    // Outside the event loop nobody reads the pipe (start-up may wait in a call that is
    // restarted after the signal), and a second signal means the first was not taken: end
    // the way the signal ends any program.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    sigaction(sig, &dfl, nullptr);
    ::raise(sig);  // delivered when this handler returns
    return;
  }
  g_signalPending = 1;
  const char c = 1;
  [[maybe_unused]] ssize_t n = ::write(g_signalWrite, &c, 1);
}
}  // namespace

void QtPlatform::takeSignalsInEventLoop(bool on) {
  g_loopRunning = on ? 1 : 0;
}

void QtPlatform::handleTerminationSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe_) != 0) return;
  g_signalWrite = signalPipe_[0];
  ::fcntl(signalPipe_[0], F_SETFL, O_NONBLOCK);
  auto* notifier = new QSocketNotifier(signalPipe_[1], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, [this] {
    char buf[16];
    [[maybe_unused]] ssize_t n = ::read(signalPipe_[1], buf, sizeof buf);
    if (Process::exists()) Saver::deliver([] { Saver::endSession(); });
    exitProcess(0);
  });
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

}  // namespace ps::qt
