// The longcase clock: plinth, trunk with a glazed door, hood with columns, cornice and
// finials, the painted dial with its brass bezel, the two hands, the pendulum and the weights.

#include <cmath>

#include "platform/d3dx9/d3dx9math.h"
#include "tools/mediagen/room/Study.h"

namespace tools {

using namespace layout;

namespace {

// Frames whose local Z runs along world +Y (out of the dial): for lathes about the dial
// normal and for outlines drawn in the dial plane.
Frame facingFront(Vec3 origin) { return {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}, origin}; }
Frame dialPlane(Vec3 origin) { return {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}, origin}; }

// Outline symmetric about local Y from its right half, listed from the tip downwards.
std::vector<Vec2> mirrored(const std::vector<Vec2>& right) {
  std::vector<Vec2> out = right;
  for (size_t i = right.size(); i-- > 0;) {
    if (right[i].x != 0) out.push_back({-right[i].x, right[i].y});
  }
  return out;
}

void buildCase(StudyBuilder& b) {
  b.material("Mahogany", "mahogany.jpg", {0.30f, 0.14f, 0.08f});
  b.mesh("Clock case", "Mahogany", [](MeshBuilder& m) {
     m.setPlanarMapping(70.0f, 2, {0.21f, 0.0f});
     // Plinth with its skirt and a small moulding on top.
     m.box({-28.5f, -29.0f, kFloorZ}, {28.5f, 9.5f, kFloorZ + 7}, kAllFaces & ~kFaceNegZ & ~kFaceNegY);
     m.bevelBox({-27.0f, -29.0f, kFloorZ + 7}, {27.0f, 8.0f, -130.0f}, 0.8f);
     std::vector<Vec3> around{{27, -29, -130}, {27, 8, -130}, {-27, 8, -130}, {-27, -29, -130}};
     m.sweep({{0, 0}, {1.2f, 0.4f}, {1.8f, 1.2f}, {1.8f, 2.2f}, {0, 2.8f}}, around, {0, 0, 1}, false, 40.0f);
     // Trunk: two sides, a back, and the door frame around the glazed opening.
     m.setPlanarMapping(70.0f, 2, {0.55f, 0.3f});
     m.box({-21.0f, -27.0f, -130.0f}, {-19.5f, 3.0f, -25.0f});
     m.box({19.5f, -27.0f, -130.0f}, {21.0f, 3.0f, -25.0f});
     m.box({-19.5f, -27.0f, -130.0f}, {19.5f, -25.5f, -25.0f}, kFacePosY);
     m.box({-19.5f, 1.5f, -130.0f}, {-13.0f, 3.0f, -25.0f}, kFacePosY | kFaceNegY | kFacePosX);
     m.box({13.0f, 1.5f, -130.0f}, {19.5f, 3.0f, -25.0f}, kFacePosY | kFaceNegY | kFaceNegX);
     m.box({-13.0f, 1.5f, -130.0f}, {13.0f, 3.0f, -112.0f}, kFacePosY | kFaceNegY | kFacePosZ);
     m.box({-13.0f, 1.5f, -45.0f}, {13.0f, 3.0f, -25.0f}, kFacePosY | kFaceNegY | kFaceNegZ);
     // Inside of the trunk, seen through the glass.
     m.insideBox({-19.5f, -25.5f, -130.0f}, {19.5f, 1.5f, -25.0f}, kAllFaces & ~kFacePosY);
     // A bead around the door opening and the cove under the hood.
     std::vector<Vec3> opening{
         {13.0f, 3.0f, -112.0f}, {13.0f, 3.0f, -45.0f}, {-13.0f, 3.0f, -45.0f}, {-13.0f, 3.0f, -112.0f}};
     m.sweep({{0, 0}, {0.3f, 0.7f}, {1.0f, 1.0f}, {1.7f, 0.7f}, {2.0f, 0}}, opening, {0, 1, 0}, true, 40.0f);
     std::vector<Vec3> waist{{21, -27, -25}, {21, 3, -25}, {-21, 3, -25}, {-21, -27, -25}};
     m.sweep({{0, 0}, {0.6f, 0.5f}, {1.4f, 1.6f}, {2.8f, 2.5f}, {4.0f, 3.0f}, {0, 3.0f}}, waist, {0, 0, 1}, false,
             40.0f);
     // Hood: sides, back, top and bottom, and the door frame around the dial.
     m.setPlanarMapping(60.0f, 2, {0.8f, 0.6f});
     m.box({-25.0f, -29.0f, -22.0f}, {-22.0f, 6.5f, 41.0f}, kAllFaces & ~kFaceNegY);
     m.box({22.0f, -29.0f, -22.0f}, {25.0f, 6.5f, 41.0f}, kAllFaces & ~kFaceNegY);
     m.box({-22.0f, -29.0f, -22.0f}, {22.0f, -26.0f, 41.0f}, kFacePosY);
     m.box({-22.0f, -26.0f, -22.0f}, {22.0f, 6.5f, -19.0f}, kFaceNegZ | kFacePosY | kFacePosZ);
     m.box({-22.0f, 3.5f, -19.0f}, {-18.0f, 6.5f, 39.0f}, kFacePosY | kFaceNegY | kFacePosX);
     m.box({18.0f, 3.5f, -19.0f}, {22.0f, 6.5f, 39.0f}, kFacePosY | kFaceNegY | kFaceNegX);
     m.box({-18.0f, 3.5f, 36.0f}, {18.0f, 6.5f, 39.0f}, kFacePosY | kFaceNegY | kFaceNegZ);
     m.box({-22.0f, -26.0f, 39.0f}, {22.0f, 6.5f, 41.0f}, kFaceNegZ | kFacePosY);
     // Mask behind the dial: dark wood seen around the arch.
     m.box({-22.0f, -1.2f, -19.0f}, {22.0f, -0.6f, 36.0f}, kFacePosY);
     // Cornice, top plate, caddy.
     std::vector<Vec3> crown{{25, -29, 41}, {25, 9.5f, 41}, {-25, 9.5f, 41}, {-25, -29, 41}};
     m.sweep({{0, 0}, {1.2f, 0.6f}, {2.0f, 1.8f}, {3.2f, 3.2f}, {4.5f, 4.0f}, {4.5f, 5.5f}, {0, 5.5f}}, crown,
             {0, 0, 1}, false, 40.0f);
     m.box({-25.0f, -29.0f, 41.0f}, {25.0f, 9.5f, 46.5f}, kFacePosZ);
     m.bevelBox({-20.0f, -24.0f, 46.5f}, {20.0f, 4.0f, 53.0f}, 1.0f);
   }).texelSize = 1.0f;
  b.obstacle({{-33.0f, -30.0f, kFloorZ}, {33.0f, 14.0f, 64.0f}});
}

void buildBrasswork(StudyBuilder& b) {
  b.mesh("Clock brass", "Brass", [](MeshBuilder& m) {
     // Bezel around the chapter ring.
     m.setFrame(facingFront({0, 0, 0}));
     m.lathe({{16.6f, 0.0f}, {16.4f, 0.5f}, {15.9f, 0.9f}, {15.3f, 0.7f}, {15.0f, 0.3f}, {15.0f, 0.0f}}, 64, 12.0f);
     // Column capitals and bases, and the three finials on the caddy.
     for (float x : {-23.5f, 23.5f}) {
       for (float z : {-21.0f, 35.0f}) {
         m.setFrame({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {x, 8.0f, z}});
         m.lathe({{0, 0}, {2.2f, 0}, {2.3f, 1.0f}, {1.9f, 2.0f}, {1.6f, 4.0f}, {0, 4.0f}}, 16, 8.0f);
       }
     }
     for (float x : {-17.0f, 0.0f, 17.0f}) {
       float s = x == 0.0f ? 1.25f : 1.0f;
       m.setFrame({{s, 0, 0}, {0, s, 0}, {0, 0, s}, {x, -10.0f, 53.0f}});
       m.lathe({{0, 0},
                {2.0f, 0},
                {2.0f, 0.8f},
                {0.8f, 1.6f},
                {0.7f, 3.0f},
                {2.2f, 4.2f},
                {2.6f, 5.6f},
                {2.2f, 7.0f},
                {0.6f, 8.0f},
                {0.4f, 9.5f},
                {0.9f, 10.5f},
                {0.2f, 12.5f},
                {0, 13.0f}},
               16, 8.0f);
     }
   }).texelSize = 0.5f;
  b.mesh("Clock columns", "Mahogany", [](MeshBuilder& m) {
     for (float x : {-23.5f, 23.5f}) {
       m.setFrame({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {x, 8.0f, -17.0f}});
       m.lathe({{0, 0}, {1.5f, 0}, {1.3f, 26.0f}, {1.2f, 52.0f}, {0, 52.0f}}, 14, 30.0f);
     }
   }).texelSize = 0.6f;
}

void buildDial(StudyBuilder& b) {
  b.material("Dial", "dial.jpg", {0.62f, 0.58f, 0.48f});
  b.mesh("Dial", "Dial", [](MeshBuilder& m) {
     // The painted plate: a square with an arch above it. Texture space spans 51 cm, the
     // dial centre at (0.5, 2/3).
     std::vector<Vec2> outline{{-17, -17}, {17, -17}, {17, 17}};
     for (int i = 1; i < 24; ++i) {
       float a = kPi * float(i) / 24.0f;
       outline.push_back({17.0f * std::cos(a), 17.0f + 17.0f * std::sin(a)});
     }
     outline.push_back({-17, 17});
     m.setFrame(dialPlane({0, 0, 0}));
     m.setPlanarMapping(51.0f, 1, {0.5f, 34.0f / 51.0f});
     m.extrudeOutline(outline, -0.5f, 0.0f);
   }).texelSize = 0.35f;
}

void buildHands(StudyBuilder& b) {
  b.unlitMaterial("Hands", "", {1.0f, 0.09f, 0.08f, 0.075f}); // dark iron
  // Hour hand at rest points to XII (+Z).
  SceneNode& hour = b.mesh("strelka_1big", "Hands", [](MeshBuilder& m) {
    m.setFrame(dialPlane({0, 0, 0}));
    m.extrudeOutline(mirrored({{0, kHourHandLength},
                               {0.35f, 8.4f},
                               {1.3f, 7.2f},
                               {1.0f, 6.3f},
                               {0.35f, 6.0f},
                               {0.3f, 1.6f},
                               {1.1f, 1.05f},
                               {1.3f, 0.0f},
                               {1.0f, -0.9f},
                               {0.45f, -1.3f},
                               {0.5f, -2.3f},
                               {0, -2.6f}}),
                     0.6f, 0.9f);
  });
  hour.castsShadow = false;
  // Minute hand at rest points to III (+X): the program turns it back a quarter.
  SceneNode& minute = b.mesh("strelka_1min", "Hands", [](MeshBuilder& m) {
    m.setFrame({{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}});
    m.extrudeOutline(mirrored({{0, kMinuteHandLength},
                               {0.25f, 11.5f},
                               {0.75f, 10.2f},
                               {0.25f, 9.2f},
                               {0.25f, 1.6f},
                               {0.9f, 1.0f},
                               {1.05f, 0.0f},
                               {0.8f, -1.0f},
                               {0.3f, -1.6f},
                               {0.35f, -3.2f},
                               {0, -3.4f}}),
                     1.1f, 1.4f);
    m.setFrame(facingFront({0, 0, 0}));
    m.lathe({{0.75f, 1.4f}, {0.75f, 1.8f}, {0.5f, 2.0f}, {0, 2.05f}}, 12, 4.0f);
  });
  minute.castsShadow = false;
}

void buildGlass(StudyBuilder& b) {
  b.unlitMaterial("Clock glass", "glass.png", {1.0f, 1.0f, 1.0f, 1.0f}).chromeTexture = "chrome.jpg";
  SceneNode& n = b.mesh("Clock glass", "Clock glass", [](MeshBuilder& m) {
    m.setPlanarMapping(40.0f, 2);
    m.quad({-18.5f, 4.8f, -19.5f}, {18.5f, 4.8f, -19.5f}, {18.5f, 4.8f, 36.5f}, {-18.5f, 4.8f, 36.5f}, {0, 1, 0});
    m.quad({-13.5f, 2.2f, -112.5f}, {13.5f, 2.2f, -112.5f}, {13.5f, 2.2f, -44.5f}, {-13.5f, 2.2f, -44.5f}, {0, 1, 0});
  });
  n.castsShadow = false;
}

void buildPendulumAndWeights(StudyBuilder& b) {
  // It moves, so no baked light: brass dimmed to the light inside the trunk.
  b.unlitMaterial("Pendulum", "brass.jpg", {1.0f, 0.42f, 0.34f, 0.25f});
  SceneNode& p = b.mesh("clock mayatnik", "Pendulum", [](MeshBuilder& m) {
    float bobZ = -kPendulumLength;
    m.setPlanarMapping(30.0f, 2);
    m.box({-0.35f, -0.15f, bobZ + 4.0f}, {0.35f, 0.15f, 0.0f});
    m.box({-1.2f, -0.6f, -1.5f}, {1.2f, 0.6f, 1.5f});
    m.setFrame(facingFront({0, 0, bobZ}));
    m.lathe({{0, -1.3f}, {5.0f, -1.0f}, {7.8f, -0.45f}, {8.4f, 0}, {7.8f, 0.45f}, {5.0f, 1.0f}, {0, 1.3f}}, 40, 20.0f);
    m.setFrame({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, bobZ - 9.5f}});
    m.lathe({{0, 0}, {0.9f, 0}, {0.9f, 1.4f}, {0.3f, 1.6f}, {0.3f, 3.0f}, {0, 3.0f}}, 10, 4.0f);
  });
  p.castsShadow = false;
  D3DXMATRIX t;
  D3DXMatrixTranslation(&t, kPendulumPivot.x, kPendulumPivot.y, kPendulumPivot.z);
  for (int i = 0; i < 16; ++i)
    p.nodeTM[size_t(i)] = t.m[i / 4][i % 4];
  // One full swing in 2 s about the dial normal, sampled every 1/15 s.
  const D3DXVECTOR3 axis(0.0f, 1.0f, 0.0f);
  for (int i = 0; i <= 30; ++i) {
    AniKey key;
    key.time = 2.0f * float(i) / 30.0f;
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis, kPendulumAmplitude * std::sin(kPi * key.time));
    key.value = {q.x, q.y, q.z, q.w, 0, 0, 0};
    p.rotationKeys.push_back(key);
  }
  for (float time : {0.0f, 2.0f}) {
    AniKey key;
    key.time = time;
    key.value = {kPendulumPivot.x, kPendulumPivot.y, kPendulumPivot.z, 0, 0, 0, 0};
    p.positionKeys.push_back(key);
  }

  b.mesh("Clock weights", "Brass", [](MeshBuilder& m) {
     const float xs[2] = {-9.0f, 9.0f}, tops[2] = {-40.0f, -58.0f};
     for (int i = 0; i < 2; ++i) {
       m.setFrame({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {xs[i], -21.0f, tops[i] - 22.0f}});
       m.lathe(
           {{0, 0}, {3.0f, 0}, {3.2f, 0.6f}, {3.2f, 21.0f}, {2.6f, 22.0f}, {0.5f, 22.0f}, {0.5f, 24.0f}, {0, 24.0f}},
           20, 12.0f);
       m.setFrame({});
       m.box({xs[i] - 0.3f, -21.3f, tops[i] + 2.0f}, {xs[i] + 0.3f, -20.7f, -25.0f});
     }
   }).texelSize = 0.6f;
}

} // namespace

void buildClock(StudyBuilder& b) {
  buildCase(b);
  buildBrasswork(b);
  buildDial(b);
  buildHands(b);
  buildGlass(b);
  buildPendulumAndWeights(b);
}

} // namespace tools
