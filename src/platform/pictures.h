// Pictures from the program's resources, by number, decoded.
#pragma once

#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/platform.h"

namespace ps {

// Icons decode as 32 × 32 with their mask, bitmaps as stored, data resources as GIF pictures.
// A missing resource fails with 326, one that does not decode with 481.
Image loadPicture(Resources& from, ResourceKind kind, int number);

// The file of a resource in the source tree's resources/ folder, relative to it; empty when the
// program has no such resource. (Tools and tests read resources from there; the programs carry
// them inside.)
std::string resourceFileName(ResourceKind kind, int number);
// The bytes of that file below `folder`; raises 326 when there is none.
std::vector<std::uint8_t> readResourceFile(const std::string& folder, ResourceKind kind,
                                           int number);

}  // namespace ps
