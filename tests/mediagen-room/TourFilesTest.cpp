// The ten tour files: keys as the tour loader reads them, flights that stay inside the room
// and out of the furniture (checked against the meshes of clock.UDF, not the generator's own
// list of obstacles), calm starts and ends, and no roll.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "platform/d3dx9/d3dx9math.h"
#include "tests/mediagen-room/MediaFiles.h"
#include "tools/mediagen/tours/Tours.h"

namespace {

using roomtest::children;

struct Box {
  float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
  bool contains(const tools::Vec3& p, float margin) const {
    for (int i = 0; i < 3; ++i)
      if (p[i] < lo[i] - margin || p[i] > hi[i] + margin) return false;
    return true;
  }
};

tools::Tour readTour(const std::string& file) {
  tools::Tour tour;
  tour.file = file;
  roomtest::UdfFile udf(roomtest::stagePath(file));
  if (!udf.ok()) return tour;
  std::map<float, tools::TourKey> byTime;
  std::map<float, int> kinds;
  for (const engine::UdfNode* k : children(udf.root())) {
    auto v = roomtest::leafFloats<8>(*k);
    EXPECT_EQ(k->dataSize(), 32u);
    tools::TourKey& key = byTime[v[0]];
    key.time = v[0];
    if (k->typeName() == "pos") {
      key.position = {v[1], v[2], v[3]};
      kinds[v[0]] |= 1;
    } else {
      EXPECT_EQ(k->typeName(), "rot");
      key.rotation = {v[1], v[2], v[3], v[4]};
      kinds[v[0]] |= 2;
    }
  }
  for (auto& [t, kind] : kinds)
    EXPECT_EQ(kind, 3) << file << " key time " << t << " lacks its pos or rot";
  for (auto& [t, key] : byTime)
    tour.keys.push_back(key);
  return tour;
}

// Direction and up vector as the tour player derives them from a rotation key.
void cameraAxes(const tools::TourKey& key, D3DXVECTOR3& dir, D3DXVECTOR3& up) {
  D3DXQUATERNION q(key.rotation[0], key.rotation[1], key.rotation[2], key.rotation[3]);
  D3DXMATRIX m;
  D3DXMatrixRotationQuaternion(&m, &q);
  D3DXVECTOR3 z(0, 0, 1), y(0, 1, 0);
  D3DXVec3TransformCoord(&dir, &z, &m);
  D3DXVec3TransformCoord(&up, &y, &m);
}

class TourFiles : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    for (int i = 1; i <= 10; ++i)
      tours_.push_back(readTour("c" + std::to_string(i) + ".cam"));
    roomtest::UdfFile room(roomtest::stagePath("clock.UDF"));
    if (!room.ok()) return;
    for (const engine::UdfNode* n : children(*roomtest::child(room.root(), "Children"))) {
      roomtest::MeshData m = roomtest::meshOf(*n);
      Box b;
      for (size_t v = 0; v < m.vertexCount(); ++v) {
        auto p = m.position(v);
        for (int i = 0; i < 3; ++i) {
          b.lo[i] = std::min(b.lo[i], p[size_t(i)]);
          b.hi[i] = std::max(b.hi[i], p[size_t(i)]);
        }
      }
      boxes_[n->name()] = b;
    }
  }
  static void TearDownTestSuite() {
    tours_.clear();
    boxes_.clear();
  }
  static std::vector<tools::Tour> tours_;
  static std::map<std::string, Box> boxes_;
};
std::vector<tools::Tour> TourFiles::tours_;
std::map<std::string, Box> TourFiles::boxes_;

TEST_F(TourFiles, EachLastsFortyToNinetySeconds) {
  for (const tools::Tour& t : tours_) {
    ASSERT_GE(t.keys.size(), 4u) << t.file;
    EXPECT_EQ(t.keys.front().time, 0.0f) << t.file;
    EXPECT_GE(t.duration(), 400.0f) << t.file; // tour units, ten per second
    EXPECT_LE(t.duration(), 900.0f) << t.file;
    for (const tools::TourKey& k : t.keys) {
      float n = k.rotation[0] * k.rotation[0] + k.rotation[1] * k.rotation[1] + k.rotation[2] * k.rotation[2] +
                k.rotation[3] * k.rotation[3];
      EXPECT_NEAR(n, 1.0f, 1e-4f) << t.file;
    }
  }
}

TEST_F(TourFiles, FlightsStayInsideTheRoomAndOutOfTheFurniture) {
  ASSERT_FALSE(boxes_.empty());
  const Box& floor = boxes_["Floor"];
  const Box& ceiling = boxes_["Ceiling"];
  const char* furniture[] = {"Clock case",  "Clock brass", "Side table",  "Lamp stand",    "Lamp lamp",
                             "Armchair",    "Bookshelf",   "Books",       "Picture frame", "Curtain",
                             "Clock glass", "Door knob",   "Window frame"};
  for (const tools::Tour& t : tours_) {
    for (bool fullEnds : {false, true}) {
      for (float time = 0; time <= t.duration(); time += 0.5f) {
        tools::Vec3 p = tools::tourPosition(t, time, fullEnds);
        ASSERT_GT(p.x, floor.lo[0] + 10) << t.file << " at " << time;
        ASSERT_LT(p.x, floor.hi[0] - 10) << t.file << " at " << time;
        ASSERT_GT(p.y, floor.lo[1] + 10) << t.file << " at " << time;
        ASSERT_LT(p.y, floor.hi[1] - 10) << t.file << " at " << time;
        ASSERT_GT(p.z, floor.hi[2] + 30) << t.file << " at " << time;
        ASSERT_LT(p.z, ceiling.hi[2] - 15) << t.file << " at " << time;
        for (const char* name : furniture) {
          ASSERT_TRUE(boxes_.count(name)) << name;
          ASSERT_FALSE(boxes_[name].contains(p, 8.0f)) << t.file << " at " << time << " flies through " << name;
        }
      }
    }
  }
}

TEST_F(TourFiles, FlightsGlideAndSettleAtBothEnds) {
  for (const tools::Tour& t : tours_) {
    float fastest = 0;
    for (float time = 0; time + 1 <= t.duration(); time += 1) {
      float speed = tools::length(tools::tourPosition(t, time + 1, true) - tools::tourPosition(t, time, true));
      fastest = std::max(fastest, speed);
      if (time < 10 || time + 11 > t.duration()) {
        EXPECT_LT(speed, 0.8f) << t.file << " at " << time;
      }
    }
    EXPECT_LT(fastest, 2.5f) << t.file << " (cm per tour unit)";
  }
}

TEST_F(TourFiles, ViewsStayLevelAndTurnSlowly) {
  for (const tools::Tour& t : tours_) {
    for (size_t i = 0; i < t.keys.size(); ++i) {
      D3DXVECTOR3 dir, up;
      cameraAxes(t.keys[i], dir, up);
      EXPECT_NEAR(D3DXVec3Length(&dir), 1.0f, 1e-4f);
      EXPECT_GT(up.z, 0.75f) << t.file << " key " << i << " rolls or looks too steeply";
      EXPECT_NEAR(dir.x * up.x + dir.y * up.y + dir.z * up.z, 0.0f, 1e-4f);
      if (i == 0) continue;
      const auto& a = t.keys[i - 1].rotation;
      const auto& b = t.keys[i].rotation;
      float d = a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
      EXPECT_GT(d, 0.0f) << t.file << ": neighbouring keys on opposite hemispheres turn the long way";
      float degreesPerSecond =
          2 * std::acos(std::min(1.0f, std::fabs(d))) * 57.29578f / ((t.keys[i].time - t.keys[i - 1].time) / 10.0f);
      EXPECT_LT(degreesPerSecond, 6.0f) << t.file << " key " << i;
    }
  }
}

} // namespace
