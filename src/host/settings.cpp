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
  // A hack goes on past a value it cannot read (nobody can answer a report there): the field
  // then holds the default, not zero.
  const bool defaultsFirst = platform().hackMode();
  auto load = [&](auto& field, auto convert, const char* key, const char* def,
                  std::source_location where = std::source_location::current()) {
    if (defaultsFirst) field = convert(def);
    g([&] { field = convert(read(key, def)); }, where);
  };
  load(s.maxFl, textToI16, "maxFl", "10");
  load(s.SpeedF, textToSingle, "SpeedF", "10");
  g([&] { s.maxFlHalf = roundI16(s.maxFl * 0.5); });
  load(s.Date, textToI16, "Date", "1");
  load(s.Time, textToI16, "Time", "1");
  load(s.Restart, textToI16, "Restart", "1");
  load(s.rTime, textToI32, "rTime", "600");
  load(s.Background, textToI16, "Background", "4");
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
