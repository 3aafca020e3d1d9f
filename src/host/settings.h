// The user's options and their per-user store.
#pragma once

#include "platform/runtime.h"

namespace ps {

struct Settings {
  i16 maxFl = 0;
  float SpeedF = 0;
  i16 Date = 0;
  i16 Time = 0;
  i16 Restart = 0;
  i32 rTime = 0;
  i16 Background = 0;
  // Derived at load time, never stored.
  i16 maxFlHalf = 0;
  i16 RandomBack = kFalse;
};

namespace Saver {
void LoadConfig();
void SaveConfig();
inline constexpr const char* kStoreApp = "PetalStream";
inline constexpr const char* kStoreSection = "Settings";
}  // namespace Saver

}  // namespace ps
