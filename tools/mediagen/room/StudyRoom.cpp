// The room shell: floor, ceiling, papered walls with the window and door openings, skirting,
// cornice, window frame and sill, the door, and the night view outside.

#include "tools/mediagen/room/Study.h"

namespace tools {

using namespace layout;

namespace {

// A wall plane with one rectangular hole, as quads sharing their edges so the baker sees one
// connected surface. `at(u, v)` maps wall coordinates to world points.
template <class At>
void wallWithHole(MeshBuilder& m, At at, Vec3 normal, float u0, float u1, float v0, float v1, float hu0, float hu1,
                  float hv0, float hv1) {
  auto q = [&](float a0, float a1, float b0, float b1) {
    if (a1 - a0 < 0.01f || b1 - b0 < 0.01f) return;
    m.quad(at(a0, b0), at(a1, b0), at(a1, b1), at(a0, b1), normal);
  };
  q(u0, hu0, v0, hv0);
  q(hu0, hu1, v0, hv0);
  q(hu1, u1, v0, hv0);
  q(u0, hu0, hv0, hv1);
  q(hu1, u1, hv0, hv1);
  q(u0, hu0, hv1, v1);
  q(hu0, hu1, hv1, v1);
  q(hu1, u1, hv1, v1);
}

void buildWalls(StudyBuilder& b) {
  b.material("Wallpaper", "wallpaper.jpg", {0.42f, 0.36f, 0.28f});
  b.mesh("Walls", "Wallpaper", [](MeshBuilder& m) {
     m.setPlanarMapping(48.0f, 2);
     // Back wall (y = kBackWallY), facing +Y.
     m.quad({kLeftWallX, kBackWallY, kFloorZ}, {kRightWallX, kBackWallY, kFloorZ}, {kRightWallX, kBackWallY, kCeilingZ},
            {kLeftWallX, kBackWallY, kCeilingZ}, {0, 1, 0});
     // Front wall, facing -Y.
     m.quad({kLeftWallX, kFrontWallY, kFloorZ}, {kRightWallX, kFrontWallY, kFloorZ},
            {kRightWallX, kFrontWallY, kCeilingZ}, {kLeftWallX, kFrontWallY, kCeilingZ}, {0, -1, 0});
     // Right wall with the window, facing -X.
     wallWithHole(
         m,
         [](float y, float z) {
           return Vec3{kRightWallX, y, z};
         },
         {-1, 0, 0}, kBackWallY, kFrontWallY, kFloorZ, kCeilingZ, kWindowY0, kWindowY1, kWindowZ0, kWindowZ1);
     // Left wall with the door, facing +X.
     wallWithHole(
         m,
         [](float y, float z) {
           return Vec3{kLeftWallX, y, z};
         },
         {1, 0, 0}, kBackWallY, kFrontWallY, kFloorZ, kCeilingZ, kDoorY0, kDoorY1, kFloorZ, kDoorTopZ);
   }).texelSize = 3.0f;
  b.material("Plaster", "plaster.jpg", {0.62f, 0.60f, 0.56f});
  b.mesh("Ceiling", "Plaster", [](MeshBuilder& m) {
     m.setPlanarMapping(120.0f, 0);
     m.quad({kLeftWallX, kBackWallY, kCeilingZ}, {kRightWallX, kBackWallY, kCeilingZ},
            {kRightWallX, kFrontWallY, kCeilingZ}, {kLeftWallX, kFrontWallY, kCeilingZ}, {0, 0, -1});
     // Window reveals are plastered too.
     float x1 = kRightWallX + kWindowDepth;
     m.quad({kRightWallX, kWindowY0, kWindowZ1}, {x1, kWindowY0, kWindowZ1}, {x1, kWindowY1, kWindowZ1},
            {kRightWallX, kWindowY1, kWindowZ1}, {0, 0, -1});
     m.quad({kRightWallX, kWindowY0, kWindowZ0}, {x1, kWindowY0, kWindowZ0}, {x1, kWindowY0, kWindowZ1},
            {kRightWallX, kWindowY0, kWindowZ1}, {0, 1, 0});
     m.quad({kRightWallX, kWindowY1, kWindowZ0}, {x1, kWindowY1, kWindowZ0}, {x1, kWindowY1, kWindowZ1},
            {kRightWallX, kWindowY1, kWindowZ1}, {0, -1, 0});
     m.quad({kRightWallX, kWindowY0, kWindowZ0}, {x1, kWindowY0, kWindowZ0}, {x1, kWindowY1, kWindowZ0},
            {kRightWallX, kWindowY1, kWindowZ0}, {0, 0, 1});
   }).texelSize = 3.0f;
  b.material("Floor", "floor.jpg", {0.30f, 0.20f, 0.12f});
  b.mesh("Floor", "Floor", [](MeshBuilder& m) {
     m.setPlanarMapping(256.0f, 0, {0.13f, 0.37f});
     m.quad({kLeftWallX, kBackWallY, kFloorZ}, {kRightWallX, kBackWallY, kFloorZ}, {kRightWallX, kFrontWallY, kFloorZ},
            {kLeftWallX, kFrontWallY, kFloorZ}, {0, 0, 1});
   }).texelSize = 3.0f;
}

void buildMouldings(StudyBuilder& b) {
  b.material("Paint", "paint.jpg", {0.60f, 0.57f, 0.50f});
  b.mesh("Skirting", "Paint", [](MeshBuilder& m) {
     std::vector<Vec2> profile{{0, 0}, {1.8f, 0}, {1.8f, 10.0f}, {1.3f, 11.2f}, {0.7f, 12.4f}, {0, 13.0f}};
     // Clockwise seen from above so the profile faces into the room; open at the door.
     std::vector<Vec3> path{{kLeftWallX, kDoorY1 + 9, kFloorZ},  {kLeftWallX, kFrontWallY, kFloorZ},
                            {kRightWallX, kFrontWallY, kFloorZ}, {kRightWallX, kBackWallY, kFloorZ},
                            {kLeftWallX, kBackWallY, kFloorZ},   {kLeftWallX, kDoorY0 - 9, kFloorZ}};
     m.sweep(profile, path, {0, 0, 1}, false, 60.0f);
   }).texelSize = 2.0f;
  b.mesh("Cornice", "Paint", [](MeshBuilder& m) {
     std::vector<Vec2> profile{{0, -11.0f},   {0.8f, -10.2f}, {1.6f, -8.0f}, {3.2f, -5.4f},
                               {5.6f, -3.0f}, {7.4f, -1.6f},  {8.0f, 0}};
     std::vector<Vec3> path{{kLeftWallX, kBackWallY, kCeilingZ},
                            {kLeftWallX, kFrontWallY, kCeilingZ},
                            {kRightWallX, kFrontWallY, kCeilingZ},
                            {kRightWallX, kBackWallY, kCeilingZ}};
     m.sweep(profile, path, {0, 0, 1}, true, 60.0f);
   }).texelSize = 2.5f;
  b.mesh("Window frame", "Paint", [](MeshBuilder& m) {
     m.setPlanarMapping(60.0f, 2);
     float x0 = kRightWallX + 9.0f, x1 = x0 + 4.0f, t = 4.0f;
     // Outer frame inside the reveal.
     m.box({x0, kWindowY0, kWindowZ0}, {x1, kWindowY0 + t, kWindowZ1}, kAllFaces & ~kFacePosX);
     m.box({x0, kWindowY1 - t, kWindowZ0}, {x1, kWindowY1, kWindowZ1}, kAllFaces & ~kFacePosX);
     m.box({x0, kWindowY0 + t, kWindowZ0}, {x1, kWindowY1 - t, kWindowZ0 + t}, kAllFaces & ~kFacePosX);
     m.box({x0, kWindowY0 + t, kWindowZ1 - t}, {x1, kWindowY1 - t, kWindowZ1}, kAllFaces & ~kFacePosX);
     // Mullion and two transoms: six panes.
     float ym = (kWindowY0 + kWindowY1) * 0.5f, mt = 1.6f;
     m.box({x0 + 0.5f, ym - mt, kWindowZ0 + t}, {x1 - 0.5f, ym + mt, kWindowZ1 - t}, kAllFaces & ~kFacePosX);
     for (float z : {kWindowZ0 + 48.0f, kWindowZ0 + 94.0f}) {
       m.box({x0 + 0.5f, kWindowY0 + t, z - mt}, {x1 - 0.5f, ym - mt, z + mt}, kAllFaces & ~kFacePosX);
       m.box({x0 + 0.5f, ym + mt, z - mt}, {x1 - 0.5f, kWindowY1 - t, z + mt}, kAllFaces & ~kFacePosX);
     }
     // Sill board and the architrave around the opening on the wall.
     m.box({kRightWallX - 14.0f, kWindowY0 - 8, kWindowZ0 - 4}, {kRightWallX + 0.5f, kWindowY1 + 8, kWindowZ0},
           kAllFaces & ~kFacePosX);
     m.box({kRightWallX - 1.5f, kWindowY0 - 8, kWindowZ0 - 14}, {kRightWallX, kWindowY1 + 8, kWindowZ0 - 4},
           kAllFaces & ~kFacePosX);
   }).texelSize = 1.5f;
  b.mesh("Architraves", "Paint", [](MeshBuilder& m) {
     std::vector<Vec2> profile{{-7.5f, 0},    {-7.5f, 1.2f}, {-5.0f, 1.6f}, {-2.0f, 2.0f},
                               {-0.5f, 2.2f}, {0, 0.9f},     {0, 0}};
     // Window architrave on the right wall (normal -X), clockwise seen from the room.
     float x = kRightWallX;
     std::vector<Vec3> window{{x, kWindowY0, kWindowZ1},
                              {x, kWindowY1, kWindowZ1},
                              {x, kWindowY1, kWindowZ0 - 4},
                              {x, kWindowY0, kWindowZ0 - 4}};
     m.sweep(profile, window, {-1, 0, 0}, true, 60.0f);
     // Door architrave on the left wall (normal +X), open at the floor.
     float xl = kLeftWallX;
     std::vector<Vec3> door{
         {xl, kDoorY0, kFloorZ}, {xl, kDoorY0, kDoorTopZ}, {xl, kDoorY1, kDoorTopZ}, {xl, kDoorY1, kFloorZ}};
     m.sweep(profile, door, {1, 0, 0}, false, 60.0f);
   }).texelSize = 2.0f;
}

void buildDoor(StudyBuilder& b) {
  b.material("Oak", "oak.jpg", {0.36f, 0.24f, 0.14f});
  b.mesh("Door", "Oak", [](MeshBuilder& m) {
     float depth = 10.0f, xf = kLeftWallX - 5.0f;
     m.setPlanarMapping(90.0f, 2, {0.3f, 0.1f});
     // Reveal of the opening.
     m.quad({kLeftWallX - depth, kDoorY0, kFloorZ}, {kLeftWallX, kDoorY0, kFloorZ}, {kLeftWallX, kDoorY0, kDoorTopZ},
            {kLeftWallX - depth, kDoorY0, kDoorTopZ}, {0, 1, 0});
     m.quad({kLeftWallX - depth, kDoorY1, kFloorZ}, {kLeftWallX, kDoorY1, kFloorZ}, {kLeftWallX, kDoorY1, kDoorTopZ},
            {kLeftWallX - depth, kDoorY1, kDoorTopZ}, {0, -1, 0});
     m.quad({kLeftWallX - depth, kDoorY0, kDoorTopZ}, {kLeftWallX, kDoorY0, kDoorTopZ},
            {kLeftWallX, kDoorY1, kDoorTopZ}, {kLeftWallX - depth, kDoorY1, kDoorTopZ}, {0, 0, -1});
     // The leaf with four raised panels.
     m.box({xf - 4.0f, kDoorY0, kFloorZ}, {xf, kDoorY1, kDoorTopZ}, kFacePosX);
     float y0 = kDoorY0 + 10, y1 = kDoorY1 - 10, ym = (kDoorY0 + kDoorY1) * 0.5f;
     float zs[3] = {kFloorZ + 14, kFloorZ + 100, kDoorTopZ - 12};
     for (int row = 0; row < 2; ++row) {
       for (int col = 0; col < 2; ++col) {
         float ya = col == 0 ? y0 : ym + 4, yb = col == 0 ? ym - 4 : y1;
         m.bevelBox({xf - 1.0f, ya, zs[row] + (row ? 6.0f : 0.0f)}, {xf + 1.4f, yb, zs[row + 1] - (row ? 0 : 6.0f)},
                    1.2f);
       }
     }
   }).texelSize = 2.0f;
  b.material("Brass", "brass.jpg", {0.55f, 0.42f, 0.20f});
  b.mesh("Door knob", "Brass", [](MeshBuilder& m) {
     m.setFrame({{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {kLeftWallX - 5.0f, kDoorY1 - 10.0f, kFloorZ + 100.0f}});
     m.lathe({{0, 0},
              {3.0f, 0},
              {3.0f, 0.6f},
              {0.9f, 1.2f},
              {0.8f, 4.5f},
              {2.4f, 5.6f},
              {2.8f, 7.0f},
              {2.0f, 8.2f},
              {0, 8.6f}},
             16, 10.0f);
   }).texelSize = 0.5f;
}

void buildWindowView(StudyBuilder& b) {
  b.unlitMaterial("Night view", "night.jpg", {1.0f, 1.0f, 1.0f, 1.0f});
  SceneNode& n = b.mesh("FonPlane01", "Night view", [](MeshBuilder& m) {
    float y0 = -60.0f, y1 = 400.0f, z0 = -260.0f, z1 = 200.0f;
    m.quadUv({kViewX, y0, z1}, {kViewX, y1, z1}, {kViewX, y1, z0}, {kViewX, y0, z0}, {0, 0}, {1, 0}, {1, 1}, {0, 1},
             {-1, 0, 0});
  });
  n.castsShadow = false;
}

} // namespace

void buildRoomShell(StudyBuilder& b) {
  buildWalls(b);
  buildMouldings(b);
  buildDoor(b);
  buildWindowView(b);
}

} // namespace tools
