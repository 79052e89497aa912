// The motifs of the program's pictures: the painted clock dial in its brass bezel, and the
// rainy study at night around it.
#pragma once

#include "tools/mediagen/pictures/Canvas.h"

namespace tools::pictures {

struct Fonts {
  fonts::GlyphRasterizer& regular;
  fonts::GlyphRasterizer& bold;
};

// The dial with Roman numerals and iron hands showing `hour`:`minute`, centred at
// `centre` with the bezel's outer radius `radius` (drawing pixels).
void drawDial(Canvas& canvas, Fonts& fonts, Point centre, double radius, int hour, int minute);

struct NightScene {
  bool window = true;            // a rainy window on the left
  bool title = true;             // the product name under the dial
  const char* caption = nullptr; // a smaller line under the title
  double dialRadius = 0.3;       // of the picture's height
  double dialY = 0.42;           // dial centre, of the picture's height
  double dialX = 0.5;            // of the picture's width
};

// The study at night: dark wallpaper, a window with rain and a moon-lit sky, warm lamp
// light from the right, the clock's hood with its dial, and optionally the title.
void drawNightScene(Canvas& canvas, Fonts& fonts, const NightScene& scene);

} // namespace tools::pictures
