// Decoders for the picture formats the program carries as resources: icons, device-independent
// bitmaps and GIF. Platform-free so that every backend (and the tools) read pictures the same way.
//
// Every decoder treats its input as untrusted: a truncated or malformed file never reads outside
// the span, never loops without end and never allocates more than the dimension caps allow; it
// throws std::runtime_error with a message that names the format and the fault.
#pragma once

#include <cstdint>
#include <span>

#include "image.h"

namespace ps {

// Largest width or height accepted, and largest pixel count of one picture.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{1} << 26;

// An .ico file (icon directory and images), or one bare icon image as Windows stores it in an
// RT_ICON resource (a BITMAPINFOHEADER with doubled height, colours, then the AND mask). From a
// file the image whose width is closest to preferredSize is taken (the larger on a tie, then the
// one with most colours); PNG-compressed entries are skipped. The result always has a mask.
Image decodeIco(std::span<const std::uint8_t> data, int preferredSize = 32);

// A .bmp file, or a bare DIB as Windows stores it in an RT_BITMAP resource (no file header).
// 1, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB, BI_RLE4, BI_RLE8 and BI_BITFIELDS; top-down and
// bottom-up. Pixels that an RLE stream skips are left at palette colour 0. No mask.
Image decodeBmp(std::span<const std::uint8_t> data);

// The first frame of a GIF87a/GIF89a file, placed on the logical screen. Pixels of the
// transparent colour, and screen pixels the frame does not cover, are marked in the mask; an
// opaque frame that covers the screen gives no mask.
Image decodeGif(std::span<const std::uint8_t> data);

}  // namespace ps
