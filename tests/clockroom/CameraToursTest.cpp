#include "clockroom/CameraTours.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <utility>

#include "platform/win32/clock.h"

namespace {

using saver::CameraTours;

// Tour files as key times: the camera sits at (t, 0, 0) and looks along +Z at every key.
// A name that is not there cannot be read.
class TourFiles {
public:
  void add(const std::string& name, std::vector<float> times) { files_[name] = std::move(times); }

  saver::TourReader reader() {
    return [this](const std::string& name, engine::CameraPath& path) {
      ++reads;
      const auto found = files_.find(name);
      if (found == files_.end()) return false;
      for (float t : found->second) {
        path.position().addKey(engine::AnimationKey::vector(t, D3DXVECTOR3(t, 0.0f, 0.0f)));
        path.rotation().addKey(engine::AnimationKey::rotation(t, D3DXQUATERNION(0.0f, 0.0f, 0.0f, 1.0f)));
      }
      return true;
    };
  }

  int reads = 0;

private:
  std::map<std::string, std::vector<float>> files_;
};

std::vector<std::string> tenTourNames() {
  std::vector<std::string> names;
  for (int i = 1; i <= 10; ++i)
    names.push_back("c" + std::to_string(i) + ".cam");
  return names;
}

class CameraToursTest : public ::testing::Test {
protected:
  CameraToursTest() { clock_.setNow(10000); }

  // One frame of `ms` milliseconds; answers whether a tour played.
  bool frame(LONGLONG ms) {
    clock_.advance(ms);
    return tours_.step(pose_, changed_);
  }

  void begin(std::vector<std::string> names, unsigned seed = 1) {
    std::srand(seed);
    tours_.setTourNames(std::move(names));
    tours_.startFirstTour();
    tours_.restartClock();
  }

  win32::ManualClock clock_;
  win32::ScopedClock useClock_{clock_};
  TourFiles files_;
  CameraTours tours_{files_.reader()};
  engine::CameraPose pose_;
  bool changed_ = false;
};

// The tours started, in order, over `changes` tour changes of 2 s tours.
std::vector<std::string> tourOrder(unsigned seed, int changes) {
  win32::ManualClock clock;
  win32::ScopedClock useClock(clock);
  TourFiles files;
  for (const std::string& name : tenTourNames())
    files.add(name, {0.0f, 20.0f});
  CameraTours tours(files.reader());
  std::srand(seed);
  tours.setTourNames(tenTourNames());
  tours.startFirstTour();
  tours.restartClock();
  std::vector<std::string> order{tours.currentTour()};
  engine::CameraPose pose;
  bool changed = false;
  while (static_cast<int>(order.size()) <= changes) {
    clock.advance(100);
    tours.step(pose, changed);
    if (changed) {
      order.push_back(tours.currentTour());
      EXPECT_EQ(tours.played().size() + tours.toPlay().size(), 10u);
      if (order.size() == 2) {
        EXPECT_EQ(tours.played(), std::vector<std::string>{order[0]});
      }
    }
  }
  return order;
}

TEST(CameraTourOrder, TenToursVisitTenFilesBeforeAnyRepeats) {
  for (unsigned seed : {1u, 2u, 3u}) {
    const std::vector<std::string> order = tourOrder(seed, 39);
    for (int cycle = 0; cycle < 4; ++cycle) {
      const std::set<std::string> visited(order.begin() + 10 * cycle, order.begin() + 10 * cycle + 10);
      EXPECT_EQ(visited.size(), 10u) << "seed " << seed << ", cycle " << cycle;
    }
  }
  // The order comes from rand(): another seed, another order.
  EXPECT_NE(tourOrder(1, 9), tourOrder(2, 9));
  EXPECT_EQ(tourOrder(1, 9), tourOrder(1, 9));
}

TEST_F(CameraToursTest, ASingleTourRepeats) {
  files_.add("c1.cam", {0.0f, 20.0f});
  begin({"c1.cam"});
  for (int changes = 0; changes < 3;) {
    ASSERT_TRUE(frame(100));
    if (changed_) ++changes;
  }
  EXPECT_EQ(tours_.currentTour(), "c1.cam");
  EXPECT_EQ(files_.reads, 4);
}

TEST_F(CameraToursTest, TheFirstTourPlays88Point2SecondsAtTenUnitsASecond) {
  files_.add("c1.cam", {0.0f, 294.0f, 588.0f, 882.0f});
  begin({"c1.cam"});
  for (int frames = 1; frames <= 882; ++frames) {
    ASSERT_TRUE(frame(100));
    ASSERT_FALSE(changed_) << frames;
  }
  EXPECT_EQ(tours_.tourTime(), 882.0f);
  ASSERT_TRUE(frame(100));
  EXPECT_TRUE(changed_);
  // The frame drawn is the last pose of the tour that ended.
  EXPECT_FLOAT_EQ(pose_.eye.x, 882.0f);
}

TEST_F(CameraToursTest, ALongFrameStartsTheNextTourAtItsOwnStart) {
  files_.add("a.cam", {0.0f, 100.0f});
  files_.add("b.cam", {30.0f, 130.0f});
  begin({"a.cam", "b.cam"});
  const bool aFirst = tours_.currentTour() == "a.cam";
  const float end = aFirst ? 100.0f : 130.0f;
  // Tour time starts at 0 whatever the first key's time.
  for (float t = 0.0f; t < end - 5.0f; t += 1.0f)
    frame(100);
  EXPECT_EQ(tours_.tourTime(), end - 5.0f);

  ASSERT_TRUE(frame(2000)); // 20 units: 15 past the end
  EXPECT_TRUE(changed_);
  EXPECT_EQ(tours_.currentTour(), aFirst ? "b.cam" : "a.cam");
  EXPECT_EQ(tours_.tourTime(), aFirst ? 30.0f : 0.0f); // no carry-over of the 15 units
  EXPECT_NEAR(pose_.eye.x, end - 5.0f, 1e-3f);
  EXPECT_NEAR(pose_.direction.z, 1.0f, 1e-6f);
  ASSERT_TRUE(frame(0));
  EXPECT_FALSE(changed_);
}

TEST_F(CameraToursTest, FadesCoverTheFirstAndLastTenUnits) {
  files_.add("c1.cam", {0.0f, 100.0f});
  begin({"c1.cam"});
  EXPECT_EQ(tours_.fadeOpacity(), 1.0f);
  frame(500);
  EXPECT_EQ(tours_.tourTime(), 5.0f);
  EXPECT_EQ(tours_.fadeOpacity(), 0.5f);
  frame(500);
  EXPECT_EQ(tours_.fadeOpacity(), 0.0f); // t = 10: fully in
  frame(4000);
  EXPECT_EQ(tours_.fadeOpacity(), 0.0f);
  frame(4000);
  EXPECT_EQ(tours_.fadeOpacity(), 0.0f); // t = 90
  frame(500);
  EXPECT_EQ(tours_.fadeOpacity(), 0.5f);
  frame(500);
  EXPECT_EQ(tours_.fadeOpacity(), 1.0f); // t = 100, the last frame before the next tour
}

TEST_F(CameraToursTest, AMissingTourFileShowsTheFreeCameraForGood) {
  begin({"c1.cam"});
  EXPECT_EQ(tours_.fadeOpacity(), 0.0f);
  engine::CameraPose untouched;
  untouched.eye = D3DXVECTOR3(-200.0f, 100.0f, 0.0f);
  pose_ = untouched;
  for (int i = 0; i < 50; ++i) {
    ASSERT_FALSE(frame(1000));
    ASSERT_FALSE(changed_);
  }
  EXPECT_EQ(pose_.eye.x, -200.0f);
  EXPECT_EQ(files_.reads, 1);
}

TEST_F(CameraToursTest, AMissingFileAfterAGoodOneEndsTheToursAtTheLastPose) {
  files_.add("good.cam", {0.0f, 20.0f});
  unsigned seed = 1;
  for (;; ++seed) {
    std::srand(seed);
    if (std::rand() % 2 == 0) break; // the first tour is "good.cam"
  }
  begin({"good.cam", "gone.cam"}, seed);
  ASSERT_EQ(tours_.currentTour(), "good.cam");
  while (!changed_)
    ASSERT_TRUE(frame(100));
  EXPECT_EQ(tours_.currentTour(), "gone.cam");
  EXPECT_FLOAT_EQ(pose_.eye.x, 20.0f); // where the free camera takes over
  EXPECT_FALSE(frame(100));
  EXPECT_EQ(tours_.fadeOpacity(), 0.0f);
}

TEST_F(CameraToursTest, AReaderThatFailsHalfWayLeavesNoKeys) {
  CameraTours tours([](const std::string&, engine::CameraPath& path) {
    path.position().addKey(engine::AnimationKey::vector(0.0f, D3DXVECTOR3(1.0f, 2.0f, 3.0f)));
    return false;
  });
  tours.setTourNames({"c1.cam"});
  tours.startFirstTour();
  bool changed = true;
  EXPECT_FALSE(tours.step(pose_, changed));
  EXPECT_FALSE(changed);
}

TEST_F(CameraToursTest, WithoutToursTheFreeCameraShows) {
  begin({});
  EXPECT_FALSE(frame(100));
  EXPECT_EQ(files_.reads, 0);
  EXPECT_EQ(tours_.fadeOpacity(), 0.0f);
}

} // namespace
