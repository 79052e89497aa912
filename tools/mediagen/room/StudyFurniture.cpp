// Furniture: the side table with the lamp, the armchair, the rug, the bookshelf and its books,
// the picture in its frame, and the curtain at the window.

#include <cmath>
#include <cstdint>

#include "tools/mediagen/room/Study.h"

namespace tools {

using namespace layout;

namespace {

// A small deterministic generator so the books come out the same on every build.
class Lcg {
public:
  explicit Lcg(uint32_t seed) : s_(seed) {}
  float next() {
    s_ = s_ * 1664525u + 1013904223u;
    return float(s_ >> 8) / float(1u << 24);
  }
  float range(float a, float b) { return a + (b - a) * next(); }

private:
  uint32_t s_;
};

void buildTableAndLamp(StudyBuilder& b) {
  b.mesh("Side table", "Oak", [](MeshBuilder& m) {
     Vec3 c = kLampTable;
     m.setPlanarMapping(60.0f, 0, {0.4f, 0.2f});
     m.bevelBox({c.x - 22, c.y - 22, kTableTopZ - 2.5f}, {c.x + 22, c.y + 22, kTableTopZ}, 0.6f);
     m.box({c.x - 18, c.y - 18, kTableTopZ - 11}, {c.x + 18, c.y + 18, kTableTopZ - 2.5f}, kAllFaces & ~kFacePosZ);
     m.bevelBox({c.x - 18, c.y - 18, kFloorZ + 12}, {c.x + 18, c.y + 18, kFloorZ + 14}, 0.5f);
     for (float dx : {-17.0f, 17.0f}) {
       for (float dy : {-17.0f, 17.0f}) {
         m.setFrame({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {c.x + dx, c.y + dy, kFloorZ}});
         m.lathe({{0, 0}, {1.3f, 0}, {1.6f, 4}, {1.9f, 20}, {2.2f, 26}, {1.7f, 30}, {2.1f, 40}, {2.1f, 54}, {0, 54}},
                 12, 30.0f);
       }
     }
   }).texelSize = 1.0f;
  b.mesh("Lamp stand", "Brass", [](MeshBuilder& m) {
     m.setFrame({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {kBulb.x, kBulb.y, kTableTopZ}});
     m.lathe({{0, 0},
              {8.0f, 0},
              {8.0f, 0.8f},
              {6.5f, 2.2f},
              {3.0f, 3.5f},
              {1.5f, 6.0f},
              {1.2f, 10.0f},
              {2.4f, 14.0f},
              {2.6f, 17.0f},
              {1.2f, 20.0f},
              {0.9f, 33.5f},
              {1.6f, 35.0f},
              {1.6f, 37.0f},
              {0, 37.0f}},
             24, 20.0f);
   }).texelSize = 0.5f;
  // The shade glows with the bulb's light; it is not light-mapped.
  b.unlitMaterial("Lamp shade", "lampshade.jpg", {1.0f, 1.0f, 1.0f, 1.0f}).twoSided = true;
  SceneNode& lamp = b.mesh("Lamp lamp", "Lamp shade", [](MeshBuilder& m) {
    m.setFrame({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {kBulb.x, kBulb.y, kBulb.z}});
    std::vector<Vec2> outer{{19.0f, -12.0f}, {19.3f, -11.2f}, {11.2f, 12.2f}, {11.0f, 13.0f}};
    m.lathe(outer, 40, 30.0f);
    std::vector<Vec2> inner(outer.rbegin(), outer.rend());
    for (Vec2& p : inner)
      p.x -= 0.3f;
    m.lathe(inner, 40, 30.0f);
    // The bulb, seen from below.
    m.lathe({{0, -5.5f}, {2.0f, -4.8f}, {3.0f, -2.5f}, {3.2f, 0}, {2.4f, 2.5f}, {1.2f, 3.5f}, {1.2f, 5.0f}, {0, 5.0f}},
            16, 10.0f);
  });
  lamp.castsShadow = false;
  b.obstacle({{kLampTable.x - 26, kLampTable.y - 26, kFloorZ}, {kLampTable.x + 26, kLampTable.y + 26, kBulb.z + 16}});
}

void buildArmchair(StudyBuilder& b) {
  b.material("Upholstery", "fabric.jpg", {0.32f, 0.10f, 0.08f});
  Frame place = Frame::turnedZ({kChair.x, kChair.y, kFloorZ}, kChairTurn);
  b.mesh("Armchair", "Upholstery", [&](MeshBuilder& m) {
     m.setFrame(place);
     m.setPlanarMapping(45.0f, 2, {0.1f, 0.3f});
     m.bevelBox({-36, -36, 14}, {36, 36, 42}, 4.0f);   // seat base
     m.bevelBox({-28, -28, 42}, {28, 38, 52}, 4.5f);   // cushion
     m.bevelBox({-38, -42, 14}, {38, -26, 100}, 5.0f); // back
     m.bevelBox({-34, -30, 60}, {34, -20, 94}, 4.0f);  // back cushion
     m.bevelBox({-42, -40, 14}, {-28, 36, 66}, 5.0f);  // arms
     m.bevelBox({28, -40, 14}, {42, 36, 66}, 5.0f);
     m.setFrame(place.then({{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {-35, -40, 66}}));
     m.lathe({{0, 0}, {7.0f, 0}, {7.0f, 76.0f}, {0, 76.0f}}, 20, 45.0f); // roll fronts of the arms
     m.setFrame(place.then({{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {35, -40, 66}}));
     m.lathe({{0, 0}, {7.0f, 0}, {7.0f, 76.0f}, {0, 76.0f}}, 20, 45.0f);
   }).texelSize = 1.5f;
  b.mesh("Armchair feet", "Oak", [&](MeshBuilder& m) {
     for (float dx : {-34.0f, 34.0f}) {
       for (float dy : {-34.0f, 34.0f}) {
         m.setFrame(place.then({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {dx, dy, 0}}));
         m.lathe({{0, 0}, {2.0f, 0}, {2.8f, 6}, {3.4f, 12}, {3.6f, 14.5f}, {0, 14.5f}}, 12, 20.0f);
       }
     }
   }).texelSize = 0.8f;
  Box3 box;
  for (float x : {-45.0f, 45.0f})
    for (float y : {-45.0f, 45.0f})
      for (float z : {0.0f, 102.0f})
        box.add(place.point({x, y, z}));
  b.obstacle(box);
}

void buildRug(StudyBuilder& b) {
  b.material("Rug", "rug.jpg", {0.35f, 0.16f, 0.10f});
  b.mesh("Rug", "Rug", [](MeshBuilder& m) {
     float x0 = -60, x1 = 200, y0 = 60, y1 = 240, z = kFloorZ + 0.9f;
     m.quadUv({x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}, {0, 1}, {1, 1}, {1, 0}, {0, 0}, {0, 0, 1});
     m.setPlanarMapping(8.0f, 2);
     m.quad({x0, y0, kFloorZ}, {x1, y0, kFloorZ}, {x1, y0, z}, {x0, y0, z}, {0, -1, 0});
     m.quad({x0, y1, kFloorZ}, {x1, y1, kFloorZ}, {x1, y1, z}, {x0, y1, z}, {0, 1, 0});
     m.quad({x0, y0, kFloorZ}, {x0, y1, kFloorZ}, {x0, y1, z}, {x0, y0, z}, {-1, 0, 0});
     m.quad({x1, y0, kFloorZ}, {x1, y1, kFloorZ}, {x1, y1, z}, {x1, y0, z}, {1, 0, 0});
   }).texelSize = 2.0f;
}

void buildBookshelf(StudyBuilder& b) {
  const float x0 = kShelfX0, x1 = kShelfX1, y0 = kBackWallY, y1 = kBackWallY + kShelfDepth;
  const float shelfZ[5] = {kFloorZ + 10, kFloorZ + 52, kFloorZ + 90, kFloorZ + 128, kFloorZ + 165};
  b.mesh("Bookshelf", "Oak", [&](MeshBuilder& m) {
     m.setPlanarMapping(80.0f, 2, {0.6f, 0.0f});
     m.box({x0, y0, kFloorZ}, {x0 + 2.5f, y1, kShelfTopZ});
     m.box({x1 - 2.5f, y0, kFloorZ}, {x1, y1, kShelfTopZ});
     m.box({x0 + 2.5f, y0, kFloorZ}, {x1 - 2.5f, y0 + 1.0f, kShelfTopZ}, kFacePosY);
     m.setPlanarMapping(80.0f, 0, {0.1f, 0.5f});
     for (float z : shelfZ)
       m.box({x0 + 2.5f, y0 + 1.0f, z - 2.2f}, {x1 - 2.5f, y1 - 0.5f, z});
     m.box({x0 + 2.5f, y1 - 2.0f, kFloorZ}, {x1 - 2.5f, y1, kFloorZ + 7.8f}, kFacePosY | kFacePosZ);
     m.bevelBox({x0 - 2.0f, y0, kShelfTopZ}, {x1 + 2.0f, y1 + 2.5f, kShelfTopZ + 3.0f}, 0.8f);
   }).texelSize = 1.2f;
  b.material("Books", "books.jpg", {0.30f, 0.18f, 0.12f});
  b.mesh("Books", "Books", [&](MeshBuilder& m) {
     Lcg rng(20240611u);
     for (int shelf = 0; shelf < 4; ++shelf) {
       float z0 = shelfZ[shelf], room = shelfZ[shelf + 1] - 2.2f - z0;
       float x = x0 + 3.5f;
       while (x < x1 - 8.0f) {
         if (rng.next() < 0.06f) {
           x += rng.range(4, 10);
           continue;
         } // a gap
         float w = rng.range(2.2f, 5.0f), h = std::min(room - 2.0f, rng.range(20.0f, 31.0f));
         float d = rng.range(17.0f, 23.0f);
         if (x + w > x1 - 3.5f) break;
         int design = int(rng.next() * 16.0f) & 15;
         float u0 = float(design) / 16.0f, u1 = float(design + 1) / 16.0f;
         float yF = y0 + 5.0f + d, yB = y0 + 5.0f;
         Vec3 lo{x, yB, z0}, hi{x + w, yF, z0 + h};
         // Spine on the front, cover colour elsewhere.
         m.quadUv({lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {u0, 0.75f},
                  {u1, 0.75f}, {u1, 0.0f}, {u0, 0.0f}, {0, 1, 0});
         Vec2 c0{u0 + 0.2f / 16, 0.80f}, c1{u1 - 0.2f / 16, 0.80f}, c2{u1 - 0.2f / 16, 0.95f},
             c3{u0 + 0.2f / 16, 0.95f};
         m.quadUv({lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {lo.x, lo.y, hi.z}, c0, c1, c2, c3,
                  {-1, 0, 0});
         m.quadUv({hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z}, {hi.x, hi.y, hi.z}, {hi.x, lo.y, hi.z}, c0, c1, c2, c3,
                  {1, 0, 0});
         Vec2 p0{u0 + 0.2f / 16, 0.965f}, p1{u1 - 0.2f / 16, 0.965f}, p2{u1 - 0.2f / 16, 0.995f},
             p3{u0 + 0.2f / 16, 0.995f};
         m.quadUv({lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, p0, p1, p2, p3,
                  {0, 0, 1});
         x += w + rng.range(0.05f, 0.35f);
       }
     }
   }).texelSize = 1.0f;
  b.obstacle({{x0 - 4, y0, kFloorZ}, {x1 + 4, y1 + 4, kShelfTopZ + 4}});
}

void buildPicture(StudyBuilder& b) {
  const float x0 = kPictureX - kPictureW / 2, x1 = kPictureX + kPictureW / 2;
  const float z0 = kPictureZ - kPictureH / 2, z1 = kPictureZ + kPictureH / 2;
  const float y = kBackWallY + 2.0f;
  b.material("Picture", "painting.jpg", {0.30f, 0.28f, 0.22f});
  b.mesh("Picture", "Picture", [&](MeshBuilder& m) {
     m.quadUv({x0, y, z1}, {x1, y, z1}, {x1, y, z0}, {x0, y, z0}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 1, 0});
   }).texelSize = 1.0f;
  b.material("Gilt", "gilt.jpg", {0.50f, 0.38f, 0.18f});
  b.mesh("Picture frame", "Gilt", [&](MeshBuilder& m) {
     // Profile across the frame: u outwards from the canvas edge, v out of the wall.
     std::vector<Vec2> profile{{7.0f, 0},    {7.0f, 2.0f}, {5.5f, 3.6f}, {3.5f, 4.2f},
                               {2.0f, 3.4f}, {0.8f, 3.6f}, {0, 2.4f},    {0, 2.0f}};
     std::vector<Vec3> path{{x0, kBackWallY, z0}, {x0, kBackWallY, z1}, {x1, kBackWallY, z1}, {x1, kBackWallY, z0}};
     m.sweep(profile, path, {0, 1, 0}, true, 30.0f);
   }).texelSize = 0.8f;
}

void buildCurtain(StudyBuilder& b) {
  MaterialDef& cloth = b.material("Curtain", "curtain.png", {0.45f, 0.38f, 0.30f});
  cloth.twoSided = true;
  cloth.transmission = 0.65f; // per side of the double-sided cloth
  const float top = kWindowZ1 + 14.0f, drop = top - (kWindowZ0 + 2.0f), x = kRightWallX - 9.0f;
  b.mesh("Curtain", "Curtain", [&](MeshBuilder& m) {
     // Two panels gathered to the sides, their folds deepening towards the gathered edge.
     struct Panel {
       float y0, width, phase;
       bool gatherLeft;
     };
     for (Panel p : {Panel{kWindowY0 - 22.0f, 58.0f, 0.3f, true}, Panel{kWindowY1 - 30.0f, 52.0f, 1.1f, false}}) {
       m.setFrame({{0, 1, 0}, {1, 0, 0}, {0, 0, 1}, {x, p.y0, top}});
       m.clothStrip(p.width, drop, 36, 16, [&](float u, float z) {
         float t = p.gatherLeft ? 1.0f - u / p.width : u / p.width;
         float depth = 1.5f + 3.5f * t;
         float sway = 0.8f * std::sin(-z * 0.035f + p.phase) * (-z / drop);
         return depth * std::sin(u * 0.55f + p.phase) + sway - 5.0f;
       });
     }
   }).texelSize = 1.5f;
  b.mesh("Curtain rod", "Brass", [&](MeshBuilder& m) {
     const float y0 = kWindowY0 - 30.0f, length = kWindowY1 - kWindowY0 + 60.0f;
     m.setFrame({{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {x - 5.0f, y0, top + 3.0f}});
     m.lathe({{0, 0}, {1.2f, 0}, {1.2f, length}, {0, length}}, 12, 20.0f);
     for (float y : {y0 - 2.5f, y0 + length + 2.5f}) {
       m.setFrame({{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, {x - 5.0f, y, top + 3.0f}});
       m.lathe({{0, -3.0f}, {2.0f, -2.2f}, {2.6f, 0}, {2.0f, 2.2f}, {0, 3.0f}}, 14, 10.0f);
     }
     m.setFrame({});
     for (float y : {kWindowY0 - 26.0f, kWindowY1 + 26.0f})
       m.box({x - 6.0f, y - 1.0f, top + 2.0f}, {kRightWallX, y + 1.0f, top + 4.0f});
   }).texelSize = 0.8f;
}

} // namespace

void buildFurniture(StudyBuilder& b) {
  buildTableAndLamp(b);
  buildArmchair(b);
  buildRug(b);
  buildBookshelf(b);
  buildPicture(b);
  buildCurtain(b);
}

} // namespace tools
