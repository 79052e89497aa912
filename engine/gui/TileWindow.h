// A window that shows one texture rectangle, stretched over the window or repeated along an
// axis; an animated image shows the frame of its animation that is due.
#pragma once

#include "engine/gui/GuiWindow.h"
#include "engine/resources/textures/TextureAnimation.h"
#include "engine/resources/textures/TextureRef.h"

namespace engine {

// One pre-transformed corner of a tile: position and texture coordinates.
struct TileVertex {
  float x, y, z;
  float u, v;
};
constexpr DWORD kTileFvf = D3DFVF_XYZ | D3DFVF_TEX1;

class TileWindow : public GuiWindow {
public:
  explicit TileWindow(std::string name = {}) : GuiWindow(std::move(name)) {}

  void setTexture(TextureRef texture);
  Texture* texture() const { return texture_.get(); }
  void setTiled(bool x, bool y) {
    tiledX_ = x;
    tiledY_ = y;
  }
  bool tiledX() const { return tiledX_; }
  bool tiledY() const { return tiledY_; }
  // A tile of a tiled frame is drawn by its frame, never queued on its own.
  void setDrawnByParent(bool drawn) { drawnByParent_ = drawn; }
  bool drawnByParent() const override { return drawnByParent_; }

  bool draw(GuiDrawContext& context) override;
  // The two triangles of the tile as they would be drawn; false when nothing would be (no
  // texture, or nothing of the tile visible).
  bool vertices(TileVertex (&out)[6]) const;

private:
  TextureRef texture_;
  bool tiledX_ = false;
  bool tiledY_ = false;
  bool drawnByParent_ = false;
  TextureAnimationState animation_;
  bool animationStarted_ = false;
};

// The projection under which x and y in pixels of a screen of that size land on the screen.
D3DMATRIX pixelProjection(int screenWidth, int screenHeight);

} // namespace engine
