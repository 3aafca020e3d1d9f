// The info dialog.
#pragma once

#include "platform/forms.h"

namespace ps {

class frmInfo : public Form {
 public:
  frmInfo();
};

}  // namespace ps
