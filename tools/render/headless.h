// A platform without a display, for running the meadow in tools and benchmarks: resources from
// the resources/ folder, a settings store in memory, a clock that moves only when told, a
// synthetic desktop, and the null platform's box font (a subclass may draw real text). Ending
// the program throws ProgramEnd.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "host/process.h"
#include "platform/nullplatform.h"

namespace ps::headless {

class HeadlessPlatform : public NullPlatform {
 public:
  explicit HeadlessPlatform(const std::filesystem::path& resources);

  LocalTime start{2024, 5, 18, 14, 30, 0, 0};
  std::map<std::string, std::string> store;  // key -> text, for LoadConfig

  // A desktop of the classic kind: plain blue, a few windows, a task bar.
  bool captureDesktop(Surface& target, int x, int y, int w, int h) override;

  std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                         const std::string& def) override;
  void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                   const std::string& value) override;

  // The start time, moved on by the ticks since the meadow began.
  LocalTime now() override;
  std::string commandLine() override { return "/S"; }
  std::string programName() override { return "petalstream-render"; }
  // Failures and error protocols go to the standard error stream.
  void reportFatal(const std::string& message) override;
  void appendToFile(const std::string& path, std::string_view bytes, bool makeFolders) override;
};

// The meadow of the running mode on a headless platform: settings from the store's texts (as
// LoadConfig reads them), a seeded random sequence, frmMain loaded and laid out at a size, and
// ticks that move the clock on by the timer's interval.
class Meadow {
 public:
  Meadow(HeadlessPlatform& os, std::uint64_t seed, int width, int height);
  ~Meadow();

  frmMain& main();
  Process& process() { return *process_; }
  void tick();
  // The ticks run so far.
  long long ticks() const { return ticks_; }

 private:
  HeadlessPlatform& os_;
  std::unique_ptr<Process> process_;
  long long ticks_ = 0;
};

// The folder of the program's resources in this source tree.
std::filesystem::path sourceResources();

}  // namespace ps::headless
