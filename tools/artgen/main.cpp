// petalstream-artgen OUTDIR [--preview-placeholder] [--review FILE.png]
//
// Writes every generated resource into OUTDIR with the paths they have under resources/:
// sprites, strips, info dialog pictures, program icon, contact sheets and the resource scripts.
// The preview still is made by the meadow renderer; --preview-placeholder writes a plain dark
// stand-in for it. --review writes a sheet of all sprites at several sizes over every
// background, for whoever changes the art.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "generated/version.h"
#include "imagewriters.h"
#include "pictures.h"
#include "sprites.h"

namespace {

using namespace ps::art;
namespace fs = std::filesystem;

// The version as the resource script writes it: "1,1,0,355" or "1.01.0355".
std::string versionNumbers(const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, PETALSTREAM_VERSION_MAJOR, PETALSTREAM_VERSION_MINOR,
                PETALSTREAM_VERSION_REVISION);
  return text;
}

std::string resourceScript() {
  const std::string numbers = versionNumbers("%d,%d,0,%d");
  const std::string text = versionNumbers(PETALSTREAM_VERSION_TEXT_FORMAT);
  std::string rc =
      "// Program resources of PetalStream.scr, written by petalstream-artgen: do not edit.\n"
      "#include <winver.h>\n\n"
      "// The program icon has the lowest number, so Windows shows it for the file.\n"
      "1 ICON \"icon/petalstream.ico\"\n\n"
      "// Flowers 101-180 and grass tufts 181-200.\n";
  for (int n = kFirstSprite; n <= kLastSprite; ++n) {
    rc += std::to_string(n) + " ICON \"sprites/" + std::to_string(n) + ".ico\"\n";
  }
  rc +=
      "\n101 BITMAP \"strips/101.bmp\"\n"
      "102 BITMAP \"strips/102.bmp\"\n"
      "201 BITMAP \"info/background.bmp\"\n"
      "202 BITMAP \"info/picture.bmp\"\n"
      "301 RCDATA \"preview.gif\"\n\n"
      "STRINGTABLE\n"
      "BEGIN\n"
      "  1 \"PetalStream\"\n"
      "END\n\n"
      "VS_VERSION_INFO VERSIONINFO\n"
      "FILEVERSION " +
      numbers +
      "\n"
      "PRODUCTVERSION " +
      numbers +
      "\n"
      "FILEFLAGSMASK 0x3fL\n"
      "FILEFLAGS 0x0L\n"
      "FILEOS VOS__WINDOWS32\n"
      "FILETYPE VFT_APP\n"
      "FILESUBTYPE VFT2_UNKNOWN\n"
      "BEGIN\n"
      "  BLOCK \"StringFileInfo\"\n"
      "  BEGIN\n"
      "    BLOCK \"040904b0\"\n"
      "    BEGIN\n"
      "      VALUE \"FileDescription\", \"PetalStream\"\n"
      "      VALUE \"FileVersion\", \"" +
      text +
      "\"\n"
      "      VALUE \"InternalName\", \"PetalStream\"\n"
      "      VALUE \"OriginalFilename\", \"PetalStream.scr\"\n"
      "      VALUE \"ProductName\", \"PetalStream\"\n"
      "      VALUE \"ProductVersion\", \"" +
      text +
      "\"\n"
      "    END\n"
      "  END\n"
      "  BLOCK \"VarFileInfo\"\n"
      "  BEGIN\n"
      "    VALUE \"Translation\", 0x409, 1200\n"
      "  END\n"
      "END\n";
  return rc;
}

std::string qtResources() {
  std::string q =
      "<!DOCTYPE RCC>\n"
      "<!-- Program resources for the Qt build, written by petalstream-artgen: do not edit. -->\n"
      "<RCC version=\"1.0\">\n"
      "<qresource prefix=\"/res\">\n"
      "  <file alias=\"icon/1\">icon/petalstream.ico</file>\n";
  for (int n = kFirstSprite; n <= kLastSprite; ++n) {
    q += "  <file alias=\"icon/" + std::to_string(n) + "\">sprites/" + std::to_string(n) +
         ".ico</file>\n";
  }
  q += "  <file alias=\"bitmap/101\">strips/101.bmp</file>\n"
       "  <file alias=\"bitmap/102\">strips/102.bmp</file>\n"
       "  <file alias=\"bitmap/201\">info/background.bmp</file>\n"
       "  <file alias=\"bitmap/202\">info/picture.bmp</file>\n"
       "  <file alias=\"rcdata/301\">preview.gif</file>\n"
       "</qresource>\n"
       "</RCC>\n";
  return q;
}

void generate(const fs::path& out) {
  for (int n = kFirstSprite; n <= kLastSprite; ++n) {
    const IndexedImage s = sprite(n);
    writeFile(out / "sprites" / (std::to_string(n) + ".ico"), encodeIco(std::span(&s, 1)));
  }
  writeFile(out / "strips/101.bmp", encodeBmp(stripImage(blueStrip()), 4, true));
  writeFile(out / "strips/102.bmp", encodeBmp(stripImage(greenStrip()), 4, true));
  writeFile(out / "info/background.bmp", encodeBmp(infoBackground(), 4, true));
  writeFile(out / "info/picture.bmp", encodeBmp(infoPicture(), 4, false));
  const std::vector<IndexedImage> icons = {iconPicture(32), iconPicture(16), iconPicture(48)};
  writeFile(out / "icon/petalstream.ico", encodeIco(icons));
  writeFile(out / "contact-sheet.png", encodePng(contactSheet()));
  writeFile(out / "strips.png", encodePng(stripsSheet()));
  writeFile(out / "PetalStream.rc", resourceScript());
  writeFile(out / "petalstream.qrc", qtResources());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTDIR [--preview-placeholder] [--review FILE.png]\n", argv[0]);
    return 2;
  }
  try {
    const fs::path out = argv[1];
    generate(out);
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--preview-placeholder") {
        writeFile(out / "preview.gif", encodeGif(previewPlaceholder()));
      } else if (arg == "--review" && i + 1 < argc) {
        writeFile(argv[++i], encodePng(reviewSheet()));
      } else {
        std::fprintf(stderr, "unknown argument: %s\n", arg.c_str());
        return 2;
      }
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "petalstream-artgen: %s\n", e.what());
    return 1;
  }
  return 0;
}
