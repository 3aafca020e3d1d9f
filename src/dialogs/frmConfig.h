// The settings dialog.
#pragma once

#include "platform/forms.h"

namespace ps {

class frmConfig : public Form {
 public:
  frmConfig();
};

}  // namespace ps
