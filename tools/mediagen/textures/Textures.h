#pragma once
// The procedural material textures of the room.

#include <functional>
#include <string>
#include <vector>

#include "tools/mediagen/common/Image.h"

namespace tools {

struct TextureRecipe {
  std::string file; // archive entry name: ".jpg", or ".png" when alpha is needed
  int width = 0, height = 0;
  std::function<Image(int width, int height)> make;
};

// Every material texture, in contact-sheet order.
const std::vector<TextureRecipe>& materialTextures();

// Fills an image from a function of texture coordinates at pixel centres.
template <class F> Image paint(int width, int height, F f) {
  Image img(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      img.at(x, y) = f((float(x) + 0.5f) / float(width), (float(y) + 0.5f) / float(height));
  return img;
}

// Painters with more than a few lines live in their own files.
Image paintDial(int width, int height);
Image paintNightView(int width, int height);
Image paintPainting(int width, int height);
Image paintRug(int width, int height);
Image paintBooks(int width, int height);

// Wood grain along v: `rings` growth rings across one tile, light and dark wood colours.
Rgba woodGrain(float u, float v, int rings, Rgba early, Rgba late, unsigned seed);

} // namespace tools
