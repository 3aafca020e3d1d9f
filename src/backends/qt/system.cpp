// Everything but the windows: text and desktop pixels, resources, the settings store, the
// system's services, files, and the end of the process.
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
#include <QFontMetrics>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <unordered_map>
#include <utility>
#include <vector>

#include "backends/qt/platform.h"
#include "backends/qt/util.h"
#include "host/process.h"
#include "host/saver.h"
#include "platform/surface.h"

namespace ps::qt {

// ---- Drawing

namespace {
// Every tick prints and measures the same texts in the same font: keep the Qt font ready.
struct FontCache {
  Font font;
  QFont qfont;
  std::unique_ptr<QFontMetrics> metrics;
  int height = 0;  // asked every tick, and Qt works it out afresh each time
  bool ready = false;
};
const FontCache& cached(const Font& font) {
  static FontCache c;
  if (!c.ready || !(c.font == font)) {
    c.font = font;
    c.qfont = toQFont(font);
    c.metrics = std::make_unique<QFontMetrics>(c.qfont);
    c.height = c.metrics->height();
    c.ready = true;
  }
  return c;
}

// Every tick prints the same few texts (the date, the time of the second, the address):
// shaping and rasterising them is most of a frame's cost, so each is rendered once into a
// coverage picture and then only blended. The time changes once a second, so a handful of
// entries is plenty; the cache is emptied when it grows past them.
struct RenderedText {
  QImage picture;  // premultiplied ARGB, the text in its colour on transparency
  QPoint offset;   // of the picture's top-left corner from the text's top-left corner
  int advance = 0;
  // Per row of the picture, the columns from the first to past the last with ink: glyphs cover
  // little of their box, and a transparent pixel leaves the target as it is.
  std::vector<std::pair<int, int>> inked;
};

const RenderedText& rendered(const Font& font, std::string_view text, u32 rgb) {
  static std::unordered_map<std::string, RenderedText> cache;
  static Font cacheFont;
  if (!(cacheFont == font)) cache.clear(), cacheFont = font;
  std::string key(text);
  key += '\0';
  key += std::to_string(rgb);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  if (cache.size() >= 16) cache.clear();
  const FontCache& fc = cached(font);
  const QFontMetrics& fm = *fc.metrics;
  const QString s = fromUtf8(text);
  RenderedText r;
  r.advance = fm.horizontalAdvance(s);
  const QRect ink =
      (fm.boundingRect(s).translated(0, fm.ascent()) | QRect(0, 0, r.advance, fm.height()))
          .adjusted(-2, -2, 2, 2);
  r.offset = ink.topLeft();
  r.picture = QImage(ink.size(), QImage::Format_ARGB32_Premultiplied);
  r.picture.fill(Qt::transparent);
  {
    QPainter p(&r.picture);
    p.setFont(fc.qfont);
    p.setPen(toQColor(rgb));
    p.drawText(-ink.left(), -ink.top() + fm.ascent(), s);
  }
  r.inked.assign(static_cast<std::size_t>(r.picture.height()), {0, 0});
  for (int y = 0; y < r.picture.height(); ++y) {
    const auto* row = reinterpret_cast<const u32*>(r.picture.constScanLine(y));
    int first = 0, last = r.picture.width();
    while (first < last && (row[first] >> 24) == 0) ++first;
    while (last > first && (row[last - 1] >> 24) == 0) --last;
    r.inked[static_cast<std::size_t>(y)] = {first, last};
  }
  return cache.emplace(std::move(key), std::move(r)).first->second;
}

// Source-over of a premultiplied pixel onto an opaque one; the unused top byte stays zero.
inline u32 blend(u32 src, u32 dst) {
  const u32 a = src >> 24;
  if (a == 0) return dst;
  if (a == 255) return src & 0x00FFFFFFu;
  const u32 k = 255 - a;
  auto ch = [&](int shift) {
    u32 sc = (src >> shift) & 0xFF, dc = (dst >> shift) & 0xFF;
    return std::min<u32>(255, sc + (dc * k + 127) / 255) << shift;
  };
  return ch(16) | ch(8) | ch(0);
}
}  // namespace

int QtPlatform::textWidth(const Font& font, std::string_view text) {
  return rendered(font, text, 0xFFFFFF).advance;
}

int QtPlatform::textHeight(const Font& font, std::string_view) {
  return cached(font).height;
}

void QtPlatform::drawText(Surface& target, const Font& font, int x, int y, std::string_view text,
                          u32 rgb) {
  if (target.empty() || text.empty()) return;
  const RenderedText& r = rendered(font, text, rgb);
  const int x0 = x + r.offset.x(), y0 = y + r.offset.y();
  const int left = std::max(0, x0), right = std::min(target.width(), x0 + r.picture.width());
  const int top = std::max(0, y0), bottom = std::min(target.height(), y0 + r.picture.height());
  for (int yy = top; yy < bottom; ++yy) {
    const auto* src = reinterpret_cast<const u32*>(r.picture.constScanLine(yy - y0));
    const auto [first, last] = r.inked[static_cast<std::size_t>(yy - y0)];
    u32* row = target.row(yy);
    for (int xx = std::max(left, x0 + first); xx < std::min(right, x0 + last); ++xx)
      row[xx] = blend(src[xx - x0], row[xx]);
  }
}

namespace {
// XScreenSaver's image loader: on the PATH the daemon gives its hacks, or in the folders that
// distributions keep it in.
QString imageLoader() {
  const QString name = QStringLiteral("xscreensaver-getimage");
  QString found = QStandardPaths::findExecutable(name);
  if (found.isEmpty()) {
    found = QStandardPaths::findExecutable(
        name, {QStringLiteral("/usr/libexec/xscreensaver"), QStringLiteral("/usr/lib/xscreensaver"),
               QStringLiteral("/usr/local/libexec/xscreensaver")});
  }
  return found;
}
}  // namespace

void QtPlatform::snapshotDesktop() {
  if (desktopTaken_) return;
  desktopTaken_ = true;
  if (launch_.xscreensaver) {
    // The daemon has covered the screen before it starts a hack: its own grab, handed out by
    // its image loader, is the desktop; without one the background stays black.
    if (X11* x = X11::instance()) {
      const XWindow target = launch_.window != 0 ? launch_.window : x->root();
      if (std::optional<QImage> picture = x->desktopImage(target, imageLoader())) {
        const QRect area(QPoint(0, 0), logicalSize(picture->size()));
        keepDesktop(area, std::move(*picture));
      }
    }
    return;
  }
  for (QScreen* s : QGuiApplication::screens())
    keepDesktop(s->geometry(), s->grabWindow(0).toImage());
}

void QtPlatform::keepDesktop(const QRect& area, QImage picture) {
  if (picture.isNull()) return;
  // In logical pixels, as the meadow is laid out: a screen at a device pixel ratio above 1
  // gives more pixels than that, averaged down.
  if (picture.size() != area.size()) {
    picture = picture.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  desktop_.push_back({area, picture.convertToFormat(QImage::Format_RGB32)});
}

bool QtPlatform::captureDesktop(Surface& target, int x0, int y0, int w, int h) {
  snapshotDesktop();
  const QRect wanted = QRect(x0, y0, w, h) & QRect(x0, y0, target.width(), target.height());
  bool any = false;
  for (const Shot& shot : desktop_) {
    const QRect part = wanted & shot.area;
    if (part.isEmpty()) continue;
    any = true;
    for (int y = part.top(); y <= part.bottom(); ++y) {
      const auto* src = reinterpret_cast<const u32*>(shot.image.constScanLine(y - shot.area.y()));
      u32* dst = target.row(y - y0) - x0;
      for (int x = part.left(); x <= part.right(); ++x) {
        dst[x] = src[x - shot.area.x()] & 0x00FFFFFFu;
      }
    }
  }
  // A monitor's part taken whole is kept by the system from now on: let it go.
  std::erase_if(desktop_, [&](const Shot& shot) { return wanted.contains(shot.area); });
  return any;
}

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
// service of its own: the flags change nothing, the user may always leave, and /A does nothing.

i32 QtPlatform::SystemParametersInfoA(u32, i32, u32) {
  return 1;
}

i32 QtPlatform::ShowCursor(i32 show) {
  cursorCount_ += show != 0 ? 1 : -1;
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

OsVersion QtPlatform::GetVersionExA() {
  // A platform of its own (not 0 to 2): the protocol names it, with the kernel's version.
  OsVersion v;
  v.platformId = 100;
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

u32 QtPlatform::GetTickCount() {
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

void QtPlatform::ShellExecuteOpen(Hwnd, const std::string& address) {
  QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(address)));
}

i32 QtPlatform::VerifyScreenSavePwd(Hwnd) {
  return 1;
}

void QtPlatform::PwdChangePasswordA(const std::string&, Hwnd) {}

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
