// tickwood-texgen OUTDIR [SHEET.png]: writes every material texture of the room into OUTDIR
// and, when asked, a contact sheet of all of them.

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tools/mediagen/textures/Textures.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: tickwood-texgen OUTDIR [SHEET.png]\n");
    return 1;
  }
  const std::string outDir = argv[1];
  const auto& recipes = tools::materialTextures();
  std::vector<tools::Image> images(recipes.size());
  std::vector<std::string> errors(recipes.size());
  std::atomic<size_t> next{0};
  // Two workers: each texture is independent, so the output does not depend on who makes it.
  auto work = [&] {
    for (size_t i = next++; i < recipes.size(); i = next++) {
      const auto& recipe = recipes[i];
      images[i] = recipe.make(recipe.width, recipe.height);
      std::string path = outDir + "/" + recipe.file;
      bool ok = recipe.file.ends_with(".png") ? tools::writePng(images[i], path, true, &errors[i])
                                              : tools::writeJpeg(images[i], path, 92, &errors[i]);
      if (!ok && errors[i].empty()) errors[i] = "cannot write " + path;
    }
  };
  std::thread helper(work);
  work();
  helper.join();
  for (const auto& e : errors) {
    if (!e.empty()) {
      std::fprintf(stderr, "tickwood-texgen: %s\n", e.c_str());
      return 1;
    }
  }
  if (argc == 3) {
    // Contact sheet: 6 columns of 192-pixel cells, the image's aspect kept.
    const int cell = 192, pad = 8, columns = 6;
    int rows = int((recipes.size() + columns - 1) / columns);
    tools::Image sheet(columns * (cell + pad) + pad, rows * (cell + pad) + pad, tools::rgb(48, 48, 52));
    for (size_t i = 0; i < recipes.size(); ++i) {
      const tools::Image& img = images[i];
      int w = img.width() >= img.height() ? cell : cell * img.width() / img.height();
      int h = img.height() >= img.width() ? cell : cell * img.height() / img.width();
      tools::Image small = img.resized(w, h);
      // Show alpha over a checkerboard.
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          tools::Rgba& p = small.at(x, y);
          float check = ((x / 8 + y / 8) % 2) ? 0.75f : 0.55f;
          p = tools::mix(tools::Rgba{check, check, check, 1}, tools::Rgba{p.r, p.g, p.b, 1}, p.a);
        }
      int col = int(i % columns), row = int(i / columns);
      sheet.blit(small, pad + col * (cell + pad), pad + row * (cell + pad));
    }
    std::string error;
    if (!tools::writePng(sheet, argv[2], false, &error)) {
      std::fprintf(stderr, "tickwood-texgen: %s\n", error.c_str());
      return 1;
    }
  }
  return 0;
}
