#include "platform/pictures.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/imagecodec.h"

namespace ps {

Image loadPicture(Resources& from, ResourceKind kind, int number) {
  std::vector<std::uint8_t> bytes = from.resource(kind, number);
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

std::string resourceFileName(ResourceKind kind, int n) {
  switch (kind) {
    case ResourceKind::Icon:
      if (n == 1) return "icon/petalstream.ico";
      if (n >= 101 && n <= 200) return "sprites/" + std::to_string(n) + ".ico";
      return {};
    case ResourceKind::Bitmap:
      if (n == 101 || n == 102) return "strips/" + std::to_string(n) + ".bmp";
      if (n == 201) return "info/background.bmp";
      if (n == 202) return "info/picture.bmp";
      return {};
    case ResourceKind::Data:
      return n == 301 ? "preview.gif" : std::string();
  }
  return {};
}

std::vector<std::uint8_t> readResourceFile(const std::string& folder, ResourceKind kind,
                                           int number) {
  std::string name = resourceFileName(kind, number);
  if (name.empty()) raise(err::kResourceNotFound);
  std::ifstream in(folder + "/" + name, std::ios::binary);
  if (!in) raise(err::kResourceNotFound);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace ps
