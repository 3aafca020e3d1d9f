#include "host/settings.h"

#include "errors/guard.h"
#include "host/process.h"

namespace ps::Saver {

namespace {

std::string read(const char* key, const char* def) {
  return platform().GetSetting(kStoreApp, kStoreSection, key, def);
}

void write(const char* key, const std::string& value) {
  platform().SaveSetting(kStoreApp, kStoreSection, key, value);
}

std::string decimal(long long v) {
  return std::to_string(v);
}

}  // namespace

void LoadConfig() {
  Settings& s = P().settings;
  Guard g("Saver", "LoadConfig");
  g([&] { s.maxFl = textToI16(read("maxFl", "10")); });
  g([&] { s.SpeedF = textToSingle(read("SpeedF", "10")); });
  g([&] { s.maxFlHalf = roundI16(s.maxFl * 0.5); });
  g([&] { s.Date = textToI16(read("Date", "1")); });
  g([&] { s.Time = textToI16(read("Time", "1")); });
  g([&] { s.Restart = textToI16(read("Restart", "1")); });
  g([&] { s.rTime = textToI32(read("rTime", "600")); });
  g([&] { s.Background = textToI16(read("Background", "4")); });
  g([&] {
    if (s.Background == 4) s.RandomBack = kTrue;
  });
}

void SaveConfig() {
  const Settings& s = P().settings;
  Guard g("Saver", "SaveConfig");
  // The speed is written with a full stop whatever the locale, so the store survives a
  // change of locale; reading takes a full stop or a comma.
  g([&] { write("SpeedF", formatSingle(s.SpeedF)); });
  g([&] { write("maxFl", decimal(s.maxFl)); });
  g([&] { write("Date", decimal(s.Date)); });
  g([&] { write("Time", decimal(s.Time)); });
  g([&] { write("Restart", decimal(s.Restart)); });
  g([&] { write("rTime", decimal(s.rTime)); });
  g([&] { write("Background", decimal(s.Background)); });
}

}  // namespace ps::Saver
