// Pictures from the program's resources, by number, decoded.
#pragma once

#include "platform/image.h"
#include "platform/platform.h"

namespace ps {

// Icons decode as 32 × 32 with their mask, bitmaps as stored, data resources as GIF pictures.
// A missing resource fails with 326, one that does not decode with 481.
Image loadPicture(ResourceKind kind, int number);

}  // namespace ps
