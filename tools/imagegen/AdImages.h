#pragma once

class QImage;

// The demo service's banner picture: a television with a play mark, for the banner page the
// reference service hands out.
namespace AdImages {

inline constexpr int kBannerSize = 62;
void drawBanner(QImage& image);

}  // namespace AdImages
