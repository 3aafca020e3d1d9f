// The headless platform with real text: Qt's text renderer on the offscreen platform.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <optional>

#include "headless.h"

namespace ps::headless {

class QtTextPlatform : public HeadlessPlatform {
 public:
  using HeadlessPlatform::HeadlessPlatform;

  // Without text every print draws nothing (for pictures that must not depend on fonts).
  bool drawTexts = true;

  int textWidth(const Font& font, std::string_view text) override;
  int textHeight(const Font& font, std::string_view text) override;
  void drawText(Surface& target, const Font& font, int x, int y, std::string_view text, u32 rgb,
                const Rect& clip) override;

 private:
  const QFont& qfont(const Font& font);

  std::optional<Font> last_;
  QFont qfont_;
  std::optional<QFontMetrics> metrics_;
};

}  // namespace ps::headless
