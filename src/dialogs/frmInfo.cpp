#include "dialogs/frmInfo.h"

namespace ps {

frmInfo::frmInfo() : Form("frmInfo") {
  setDesign("", 5340, 4935, true, 0x800000, Font{});
}

}  // namespace ps
