#include "dialogs/frmConfig.h"

namespace ps {

frmConfig::frmConfig() : Form("frmConfig") {
  setDesign("Petal Stream Screensaver  ---  Settings / Einstellungen...", 5850, 4650, false,
            0xC0C0C0, Font{});
}

}  // namespace ps
