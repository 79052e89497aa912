#include "tools/mediagen/tours/Tours.h"

#include <algorithm>
#include <cmath>

#include "platform/d3dx9/d3dx9math.h"
#include "tools/mediagen/room/StudyLayout.h"

namespace tools {

namespace {

struct Waypoint {
  Vec3 position;
  Vec3 target;
};

struct Design {
  const char* file;
  float step; // tour units between keys
  std::vector<Waypoint> points;
};

// Every tour starts and ends with two close waypoints, so the camera eases in and out of a
// calm view while the picture fades.
const std::vector<Design>& designs() {
  static const Vec3 dial{0, 0, 0}, pendulum{0, -12, -89}, lamp{90, 50, -78}, window{330, 170, -10};
  static const Vec3 shelf{-230, -10, -75}, picture{88, -28, 16}, room{40, 150, -90};
  static const std::vector<Design> all = {
      {"c1.cam",
       80,
       {{{-170, 340, 20}, {0, 0, -15}},
        {{-150, 305, 16}, {0, 0, -12}},
        {{-105, 230, 10}, {0, 0, -8}},
        {{-62, 162, 5}, {0, 0, -4}},
        {{-28, 108, 2}, dial},
        {{-8, 72, 0}, dial},
        {{-1, 50, 0}, dial},
        {{0, 44, 0}, dial}}},
      {"c2.cam",
       75,
       {{{-90, 170, -70}, {0, 0, -80}},
        {{-70, 140, -75}, {0, 0, -84}},
        {{-38, 96, -82}, pendulum},
        {{-8, 62, -86}, pendulum},
        {{4, 46, -84}, pendulum},
        {{6, 52, -60}, {0, 0, -40}},
        {{2, 62, -25}, dial},
        {{0, 64, -18}, dial}}},
      {"c3.cam",
       85,
       {{{-40, 260, 0}, window},
        {{10, 250, -2}, window},
        {{90, 232, -6}, window},
        {{160, 212, -8}, window},
        {{215, 196, -8}, window},
        {{248, 182, -6}, window},
        {{258, 176, -5}, window}}},
      {"c4.cam",
       70,
       {{{-40, 160, -40}, lamp},
        {{-25, 175, -42}, lamp},
        {{20, 200, -44}, lamp},
        {{80, 210, -40}, lamp},
        {{140, 200, -36}, lamp},
        {{190, 150, -34}, lamp},
        {{215, 95, -38}, lamp},
        {{220, 80, -40}, lamp}}},
      {"c5.cam",
       80,
       {{{-60, 260, 10}, shelf},
        {{-90, 230, 4}, shelf},
        {{-150, 170, -10}, shelf},
        {{-200, 110, -30}, shelf},
        {{-185, 78, -45}, {-200, -10, -70}},
        {{-240, 72, -40}, {-250, -10, -60}},
        {{-282, 80, -30}, {-270, -10, -40}},
        {{-290, 84, -28}, {-270, -10, -38}}}},
      {"c6.cam",
       75,
       {{{210, 300, 30}, picture},
        {{195, 270, 26}, picture},
        {{160, 210, 22}, picture},
        {{125, 150, 18}, picture},
        {{100, 105, 17}, picture},
        {{92, 84, 17}, picture},
        {{90, 78, 17}, picture}}},
      {"c7.cam",
       90,
       {{{-320, 350, 40}, {100, 100, -70}},
        {{-318, 330, 42}, {100, 90, -70}},
        {{-312, 270, 46}, {120, 120, -70}},
        {{-305, 200, 50}, {140, 170, -70}},
        {{-298, 130, 52}, {150, 230, -70}},
        {{-296, 112, 52}, {150, 250, -70}}}},
      {"c8.cam",
       85,
       {{{280, 365, 70}, {0, 0, -30}},
        {{255, 368, 69}, {0, 10, -35}},
        {{150, 372, 66}, {20, 40, -50}},
        {{30, 372, 63}, {60, 60, -70}},
        {{-110, 368, 60}, {80, 80, -80}},
        {{-240, 360, 58}, {100, 60, -80}},
        {{-262, 358, 58}, {100, 50, -80}}}},
      {"c9.cam",
       85,
       {{{245, 260, -30}, {0, 0, -20}},
        {{238, 262, -32}, {0, 0, -22}},
        {{200, 268, -38}, {20, 0, -30}},
        {{140, 270, -44}, {40, 0, -40}},
        {{80, 265, -46}, {60, 0, -50}},
        {{40, 258, -46}, {80, 20, -60}},
        {{30, 255, -46}, {85, 30, -62}}}},
      {"c10.cam",
       85,
       {{{40, 330, 20}, room},
        {{70, 326, 19}, room},
        {{150, 290, 16}, room},
        {{190, 210, 14}, room},
        {{180, 130, 14}, room},
        {{130, 80, 16}, {20, 250, -80}},
        {{40, 70, 18}, {60, 260, -80}},
        {{-60, 110, 20}, {120, 230, -80}},
        {{-100, 180, 20}, {150, 180, -80}},
        {{-105, 195, 20}, {150, 170, -80}}}},
  };
  return all;
}

float boxDistance(Vec3 p, const Box3& b) {
  // Signed: positive outside the box, negative inside.
  Vec3 d{std::max({b.lo.x - p.x, 0.0f, p.x - b.hi.x}), std::max({b.lo.y - p.y, 0.0f, p.y - b.hi.y}),
         std::max({b.lo.z - p.z, 0.0f, p.z - b.hi.z})};
  float outside = length(d);
  if (outside > 0) return outside;
  return -std::min({p.x - b.lo.x, b.hi.x - p.x, p.y - b.lo.y, b.hi.y - p.y, p.z - b.lo.z, b.hi.z - p.z});
}

float insideDistance(Vec3 p, const Box3& room) {
  return std::min(
      {p.x - room.lo.x, room.hi.x - p.x, p.y - room.lo.y, room.hi.y - p.y, p.z - room.lo.z, room.hi.z - p.z});
}

} // namespace

std::array<float, 4> lookRotation(Vec3 forward) {
  Vec3 f = normalize(forward);
  Vec3 right = normalize(cross(Vec3{0, 0, 1}, f));
  Vec3 up = cross(f, right);
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  const Vec3 rows[3] = {right, up, f};
  for (int r = 0; r < 3; ++r) {
    m.m[r][0] = rows[r].x;
    m.m[r][1] = rows[r].y;
    m.m[r][2] = rows[r].z;
  }
  D3DXQUATERNION q;
  D3DXQuaternionRotationMatrix(&q, &m);
  D3DXQuaternionNormalize(&q, &q);
  return {q.x, q.y, q.z, q.w};
}

std::vector<Tour> designTours() {
  std::vector<Tour> tours;
  for (const Design& d : designs()) {
    Tour tour;
    tour.file = d.file;
    for (size_t i = 0; i < d.points.size(); ++i) {
      TourKey key;
      key.time = d.step * float(i);
      key.position = d.points[i].position;
      key.rotation = lookRotation(d.points[i].target - d.points[i].position);
      // Neighbouring quaternions on the same side of the sphere: the program's spline
      // then turns the short way.
      if (!tour.keys.empty()) {
        const auto& p = tour.keys.back().rotation;
        float dotq = p[0] * key.rotation[0] + p[1] * key.rotation[1] + p[2] * key.rotation[2] + p[3] * key.rotation[3];
        if (dotq < 0)
          for (float& c : key.rotation)
            c = -c;
      }
      tour.keys.push_back(key);
    }
    tours.push_back(std::move(tour));
  }
  return tours;
}

Vec3 tourPosition(const Tour& tour, float time, bool fullEndTangent) {
  const auto& k = tour.keys;
  if (k.empty()) return {};
  if (time <= k.front().time) return k.front().position;
  if (time >= k.back().time) return k.back().position;
  size_t i = 0;
  while (i + 2 < k.size() && k[i + 1].time <= time)
    ++i;
  const TourKey &a = k[i], &b = k[i + 1];
  float u = (time - a.time) / (b.time - a.time);
  auto tangent = [&](size_t j) {
    float endScale = fullEndTangent ? 1.0f : 0.5f;
    if (j == 0) return (k[1].position - k[0].position) * endScale;
    if (j + 1 == k.size()) return (k[j].position - k[j - 1].position) * endScale;
    return (k[j + 1].position - k[j - 1].position) * 0.5f;
  };
  float u2 = u * u, u3 = u2 * u;
  return a.position * (2 * u3 - 3 * u2 + 1) + tangent(i) * (u3 - 2 * u2 + u) + b.position * (-2 * u3 + 3 * u2) +
         tangent(i + 1) * (u3 - u2);
}

Clearance tourClearance(const Tour& tour, const SceneModel& model) {
  Clearance worst;
  for (bool full : {false, true}) {
    for (float t = tour.keys.front().time; t <= tour.keys.back().time; t += 0.5f) {
      Vec3 p = tourPosition(tour, t, full);
      float d = insideDistance(p, model.room);
      for (const Box3& b : model.obstacles)
        d = std::min(d, boxDistance(p, b));
      if (d < worst.distance) worst = {d, t};
    }
  }
  return worst;
}

} // namespace tools
