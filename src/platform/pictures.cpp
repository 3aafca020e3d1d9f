#include "platform/pictures.h"

#include <stdexcept>

#include "host/process.h"
#include "platform/imagecodec.h"

namespace ps {

Image loadPicture(ResourceKind kind, int number) {
  std::vector<std::uint8_t> bytes = platform().resource(kind, number);
  try {
    switch (kind) {
      case ResourceKind::Icon:
        return decodeIco(bytes, 32);
      case ResourceKind::Bitmap:
        return decodeBmp(bytes);
      case ResourceKind::Data:
        return decodeGif(bytes);
    }
  } catch (const std::exception& e) {
    raise(err::kInvalidPicture, std::string("Invalid picture: ") + e.what());
  }
  raise(err::kInvalidPicture);
}

}  // namespace ps
