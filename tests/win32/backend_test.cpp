// The Win32 backend's reading of what Windows tells it, without a window.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <vector>

#include "backends/win32/util.h"

namespace ps::win32 {
namespace {

// A power-setting notification as Windows lays it out: the setting, the data's length, the data.
std::optional<bool> shows(const GUID& setting, std::vector<BYTE> data) {
  std::vector<BYTE> bytes(offsetof(POWERBROADCAST_SETTING, Data) + data.size() + 4);
  auto* s = reinterpret_cast<POWERBROADCAST_SETTING*>(bytes.data());
  s->PowerSetting = setting;
  s->DataLength = static_cast<DWORD>(data.size());
  std::memcpy(s->Data, data.data(), data.size());
  return consoleDisplayShows(*s);
}

TEST(ConsoleDisplay, OffHidesOnAndDimmedShowAnythingElseSaysNothing) {
  EXPECT_EQ(shows(kConsoleDisplayState, {0, 0, 0, 0}), false);
  EXPECT_EQ(shows(kConsoleDisplayState, {1, 0, 0, 0}), true);
  EXPECT_EQ(shows(kConsoleDisplayState, {2, 0, 0, 0}), true);
  EXPECT_EQ(shows(kConsoleDisplayState, {3, 0, 0, 0}), std::nullopt);
  EXPECT_EQ(shows(kConsoleDisplayState, {0}), std::nullopt);  // too short to be a state
  GUID other = kConsoleDisplayState;
  other.Data1 ^= 1;  // another setting (a power scheme, the lid)
  EXPECT_EQ(shows(other, {0, 0, 0, 0}), std::nullopt);
}

}  // namespace
}  // namespace ps::win32
