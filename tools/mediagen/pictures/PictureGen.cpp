// tickwood-picturegen <serif.ttf> <serif-bold.ttf> <media-folder> <linked-folder> <preview-folder>
// Draws the program's pictures: the start-up picture (media folder: loading.jpg), and the
// pictures linked beside the archive (bitmap173.bmp, the preview window's picture;
// bitmap155.bmp and bitmap141.bmp, the settings and About dialogs' pictures; icon.png).
// Every picture also goes to the preview folder as PNG, to look at.
#include "tools/mediagen/common/Image.h"
#include "tools/mediagen/pictures/ClockArt.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using namespace tools::pictures;
using tools::Image;

constexpr int kSupersample = 3;

struct Output {
  std::string media, linked, previews;
};

// Writes the picture as its file's name says (a PNG with alpha when `alpha` is set) and
// its preview.
bool save(const Image& image, bool alpha, const std::string& path, const std::string& preview, std::string& error) {
  bool ok = true;
  if (path.ends_with(".jpg"))
    ok = tools::writeJpeg(image, path, 92, &error);
  else if (path.ends_with(".bmp"))
    ok = tools::writeBmp(image, path, &error);
  else
    ok = tools::writePng(image, path, alpha, &error);
  return ok && tools::writePng(image, preview, alpha, &error);
}

// A picture of the study at night, drawn supersampled and reduced to its size.
Image nightPicture(Fonts& fonts, int width, int height, const NightScene& scene) {
  Canvas canvas(width, height, kSupersample);
  drawNightScene(canvas, fonts, scene);
  return canvas.toImage(false);
}

// The start-up picture fills the screen, so it is 16:10, between the common 16:9 and 4:3.
Image loadingPicture(Fonts& fonts) {
  return nightPicture(fonts, 1280, 800, {.caption = "Loading...", .dialRadius = 0.24, .dialY = 0.40});
}

// The screensaver preview window is 152 x 112 pixels on the classic desktop; the picture
// is shown there unscaled.
Image previewPicture(Fonts& fonts) { return nightPicture(fonts, 152, 112, {.dialRadius = 0.25, .dialY = 0.38}); }

// The settings dialog's picture fills a 172 x 114 dialog-unit frame: 258 x 185 pixels with
// the dialog's 8-point font.
Image settingsPicture(Fonts& fonts) {
  return nightPicture(fonts, 258, 185, {.dialRadius = 0.25, .dialY = 0.38, .dialX = 0.58});
}

// The About box's picture: the dial alone on the dark wall.
Image aboutPicture(Fonts& fonts) {
  return nightPicture(fonts, 96, 96, {.window = false, .title = false, .dialRadius = 0.4, .dialY = 0.5});
}

// The icon: the dial in its bezel, transparent around it.
Image icon(Fonts& fonts) {
  Canvas canvas(256, 256, kSupersample);
  const double size = canvas.width();
  const Point centre{size / 2, size / 2};
  const double radius = size * 0.48;
  canvas.paint([](double, double) { return Color{0, 0, 0}; });
  drawDial(canvas, fonts, centre, radius, 10, 9);
  canvas.cutOut(
      [&](double x, double y) { return static_cast<float>(radius - std::hypot(x - centre.x, y - centre.y) + 0.5); });
  return canvas.toImage(true);
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(
        stderr,
        "usage: tickwood-picturegen <serif.ttf> <serif-bold.ttf> <media-folder> <linked-folder> <preview-folder>\n");
    return 2;
  }
  std::string error;
  tools::fonts::GlyphRasterizer regular, bold;
  if (!regular.open(argv[1], error) || !bold.open(argv[2], error)) {
    std::fprintf(stderr, "tickwood-picturegen: %s\n", error.c_str());
    return 1;
  }
  Fonts fonts{regular, bold};
  const Output out{argv[3], argv[4], argv[5]};
  const bool written =
      save(loadingPicture(fonts), false, out.media + "/loading.jpg", out.previews + "/loading.png", error) &&
      save(previewPicture(fonts), false, out.linked + "/bitmap173.bmp", out.previews + "/bitmap173.png", error) &&
      save(settingsPicture(fonts), false, out.linked + "/bitmap155.bmp", out.previews + "/bitmap155.png", error) &&
      save(aboutPicture(fonts), false, out.linked + "/bitmap141.bmp", out.previews + "/bitmap141.png", error) &&
      save(icon(fonts), true, out.linked + "/icon.png", out.previews + "/icon.png", error);
  if (!written) {
    std::fprintf(stderr, "tickwood-picturegen: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
