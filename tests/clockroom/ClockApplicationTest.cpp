// The clock room's application on the recording device, with media of the test's own and a
// controlled clock and seed: the start, the frames (projection, tour, fade, depth clear), the
// storm's ramp and thunder, the mended timings, and a run repeated from the same seed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "clockroom/ClockApplication.h"
#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarWriter.h"
#include "engine/data/udf/UdfWriter.h"
#include "platform/d3d9/DeviceHooks.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/win32/clock.h"
#include "platform/win32/desktop.h"
#include "tests/scene/SceneFile.h"
#include "tests/shell/RegistryFixture.h"

namespace {

using namespace scenetest;

// A tour of two keys: from `from` at 0 to `to` at `end`, looking along +Z.
std::string tourFile(float end, const D3DXVECTOR3& from, const D3DXVECTOR3& to) {
  std::vector<Node> keys;
  keys.push_back(bytesLeaf("pos", "pos0", std::array<float, 8>{0, from.x, from.y, from.z, 0, 0, 0, 0}.data(), 32));
  keys.push_back(bytesLeaf("pos", "pos1", std::array<float, 8>{end, to.x, to.y, to.z, 0, 0, 0, 0}.data(), 32));
  keys.push_back(bytesLeaf("rot", "rot0", std::array<float, 8>{0, 0, 0, 0, 1, 0, 0, 0}.data(), 32));
  std::vector<const engine::UdfNode*> top;
  for (const Node& key : keys)
    top.push_back(key.get());
  engine::MemoryStream out;
  out.open("", engine::kStreamWrite);
  EXPECT_TRUE(engine::UdfWriter::write(out, top));
  return out.contents();
}

// A room of a wall and the hour hand.
std::string roomFile() {
  SceneFile file;
  for (const char* name : {"Wall", "strelka_1big"}) {
    MeshRecipe recipe;
    recipe.name = name;
    recipe.vertices = {0, 0, 0, 1, 0, 0, 0, 0, 1};
    recipe.indices = {0, 1, 2};
    file.children().addChild(meshNode(recipe));
  }
  return file.bytes();
}

// A short tone: the thunder claps of the tests' media.
std::string toneFile() {
  std::ifstream in(TICKWOOD_OGG_TONE, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ClockRoom : public shelltest::PrivateSession {
protected:
  void SetUp() override {
    PrivateSession::SetUp();
    // The sounds play, to no one.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    clock_.setNow(100000);
  }
  void TearDown() override {
    PrivateSession::TearDown();
    unsetenv("SDL_AUDIODRIVER");
  }
  void releaseApplication() override { app_.reset(); }

  // Media of a Scene.props, the room (unless left out), two tours of 882 units and, when
  // asked, the thunder claps.
  void media(const std::string& sceneProps, bool withRoom = true, bool withThunder = false) {
    engine::RarWriter writer;
    writer.addFile("Media\\Scene.props", sceneProps, 0);
    if (withRoom) writer.addFile("Media\\clock.udf", roomFile(), 0);
    if (withThunder)
      for (const char* clap : {"Media\\ClockGrom1.ogg", "Media\\ClockGrom2.ogg", "Media\\ClockGrom3.ogg"})
        writer.addFile(clap, toneFile(), 0);
    writer.addFile("Media\\c1.cam", tourFile(882, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(882, 0, 0)), 0);
    writer.addFile("Media\\c2.cam", tourFile(882, D3DXVECTOR3(0, 500, 0), D3DXVECTOR3(0, 500, 882)), 0);
    bytes_ = writer.finish();
    ASSERT_TRUE(archive_.open(engine::FileLocation::memory(bytes_.data(), std::uint32_t(bytes_.size()))));
  }

  saver::ClockApplication& start(unsigned seed = 1) {
    app_ = std::make_unique<saver::ClockApplication>();
    app_->setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
    app_->media().mount(&archive_);
    std::srand(seed);
    EXPECT_TRUE(app_->startUp(nullptr, saver::RunMode::Saver, nullptr)) << ::testing::PrintToString(log_.lines());
    app_->frameLoop().begin();
    return *app_;
  }

  d3d9::CallLog& calls() { return *d3d9::callLog(app_->device()); }

  // One frame `ms` after the previous one.
  void frameAfter(std::int64_t ms) {
    clock_.advance(ms);
    app_->frameLoop().runFrame();
  }

  std::vector<const d3d9::RecordedCall*> named(const char* method) {
    std::vector<const d3d9::RecordedCall*> out;
    for (const d3d9::RecordedCall& call : calls().calls())
      if (call.method == method) out.push_back(&call);
    return out;
  }

  // The last matrix set on a transform slot.
  D3DXMATRIX lastTransform(D3DTRANSFORMSTATETYPE slot) {
    D3DXMATRIX m{};
    for (const d3d9::RecordedCall* call : named("SetTransform"))
      if (call->args[0] == slot) std::copy(call->floats.begin(), call->floats.begin() + 16, &m._11);
    return m;
  }

  static void expectNear(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    for (int i = 0; i < 16; ++i)
      EXPECT_NEAR((&a._11)[i], (&b._11)[i], 1e-4f) << i;
  }

  engine::LogCapture log_;
  win32::ManualClock clock_;
  win32::ScopedClock useClock_{clock_};
  std::string bytes_;
  engine::MemFileArchive archive_;
  std::unique_ptr<saver::ClockApplication> app_;
};

TEST_F(ClockRoom, WithoutTheRoomFileTheStartFailsWithItsLine) {
  media("Animations = array(\"c1.cam\");", false);
  app_ = std::make_unique<saver::ClockApplication>();
  app_->setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
  app_->media().mount(&archive_);
  EXPECT_FALSE(app_->startUp(nullptr, saver::RunMode::Saver, nullptr));
  EXPECT_EQ(log_.lines().back(), "Cannot load clock.udf\n");
}

TEST_F(ClockRoom, FramesSeeTheTourThroughTheRoomsProjectionAndFadeAtItsEnds) {
  media("NearPlane = 2; FarPlane = 500; Fov = 90; Animations = array(\"c1.cam\");");
  saver::ClockApplication& app = start();
  EXPECT_EQ(app.tours().currentTour(), "c1.cam");
  calls().clear();
  frameAfter(0);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, 3.1415927f / 2, 1024.0f / 768.0f, 2.0f, 500.0f);
  expectNear(lastTransform(D3DTS_PROJECTION), projection);
  // The tour's first key: at the origin, looking along +Z with +Y up.
  D3DXMATRIX view;
  const D3DXVECTOR3 eye(0, 0, 0), at(0, 0, 1), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  expectNear(lastTransform(D3DTS_VIEW), view);

  // The fade quad (position and colour: 20 bytes a vertex) at the start, then the depth clear
  // and nothing drawn after it but the GUI.
  const auto quads = named("DrawPrimitiveUP");
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_EQ(quads[0]->args[2], 20u);
  const auto clears = named("Clear");
  ASSERT_EQ(clears.size(), 2u);
  EXPECT_EQ(clears[1]->args[1], DWORD(D3DCLEAR_ZBUFFER));
  EXPECT_GT(clears[1], quads[0]);
  EXPECT_LT(clears[1], named("EndScene").back());

  calls().clear();
  frameAfter(500); // t = 5: half faded
  EXPECT_FLOAT_EQ(app.tours().fadeOpacity(), 0.5f);
  EXPECT_EQ(named("DrawPrimitiveUP").size(), 1u);
  calls().clear();
  frameAfter(30000); // t = 305 afterwards: no quad, and this frame still shows t = 5
  EXPECT_TRUE(named("DrawPrimitiveUP").empty());
  const D3DXVECTOR3 before(5, 0, 0), beforeAhead(5, 0, 1);
  D3DXMatrixLookAtLH(&view, &before, &beforeAhead, &up);
  expectNear(lastTransform(D3DTS_VIEW), view);
  frameAfter(0);
  const D3DXVECTOR3 middle(305, 0, 0), ahead(305, 0, 1);
  D3DXMatrixLookAtLH(&view, &middle, &ahead, &up);
  expectNear(lastTransform(D3DTS_VIEW), view);
}

TEST_F(ClockRoom, AtAToursEndTheNextStartsAndTheFreeCameraTakesItsPose) {
  media("Animations = array(\"c1.cam\", \"c2.cam\");");
  saver::ClockApplication& app = start(3);
  const std::string first = app.tours().currentTour();
  EXPECT_EQ(app.freeCamera().eye, D3DXVECTOR3(-200, 100, 0));
  frameAfter(0);
  frameAfter(88000); // t = 880: the last frame of the tour
  frameAfter(300);   // t = 883: past the end
  EXPECT_NE(app.tours().currentTour(), first);
  EXPECT_EQ(app.tours().tourTime(), 0.0f);
  // The pose the ended tour showed last.
  const D3DXVECTOR3 last = first == "c1.cam" ? D3DXVECTOR3(880, 0, 0) : D3DXVECTOR3(0, 500, 880);
  const D3DXVECTOR3 off = app.freeCamera().eye - last;
  EXPECT_NEAR(D3DXVec3Length(&off), 0.0f, 1e-3f);
}

TEST_F(ClockRoom, WithoutToursTheFreeCameraShowsTheRoomFromItsStart) {
  media("Animations = array(\"missing.cam\");");
  start();
  calls().clear();
  frameAfter(10);
  D3DXMATRIX view;
  const D3DXVECTOR3 eye(-200, 100, 0), at(-199, 100, 0), up(0, 0, 1);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  expectNear(lastTransform(D3DTS_VIEW), view);
  EXPECT_TRUE(named("DrawPrimitiveUP").empty()); // no tour, no fade
  EXPECT_FALSE(named("DrawIndexedPrimitive").empty());
}

TEST_F(ClockRoom, WithoutToursTheViewFollowsTheFreeCameraController) {
  media("Animations = array(\"missing.cam\");");
  saver::ClockApplication& app = start();
  // Where the input moved it (the controller's own flying is tested with the input devices).
  app.freeCameraController().place({10, 20, 30}, {0, 2, 0}, {0, 0, 1});
  frameAfter(10);
  D3DXMATRIX view;
  const D3DXVECTOR3 eye(10, 20, 30), at(10, 21, 30), up(0, 0, 1);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  expectNear(lastTransform(D3DTS_VIEW), view);
  EXPECT_EQ(app.freeCamera().eye, eye);
}

TEST_F(ClockRoom, FlashesSetTheRampWithCalibrationAndThunderFollowsHalfASecondLater) {
  media("QuietTime = 3000; WinkTime = 1000;", true, true);
  saver::ClockApplication& app = start(11);
  ASSERT_TRUE(app.sounds().thunderLoaded());
  D3DGAMMARAMP normal{};
  app.device()->GetGammaRamp(0, &normal);
  calls().clear();
  std::vector<std::int64_t> flashStarts, claps;
  bool wasFlashing = false;
  std::size_t pending = 0;
  bool brighter = false;
  for (int frame = 0; frame < 600; ++frame) { // 30 s
    frameAfter(50);
    if (app.weather().flashing() && !wasFlashing) flashStarts.push_back(engine::nowMilliseconds());
    wasFlashing = app.weather().flashing();
    // A clap leaves the queue when it is played.
    const std::size_t now = app.weather().lightning().pendingThunder();
    if (now < pending) claps.push_back(engine::nowMilliseconds());
    pending = now;
    D3DGAMMARAMP ramp{};
    app.device()->GetGammaRamp(0, &ramp);
    brighter = brighter || ramp.red[128] > normal.red[128];
  }
  ASSERT_GE(flashStarts.size(), 2u);
  EXPECT_TRUE(brighter);
  // Every flashing frame's ramp, and the normal one after each flash, on swap chain 0.
  const auto ramps = named("SetGammaRamp");
  ASSERT_GT(ramps.size(), flashStarts.size());
  for (const d3d9::RecordedCall* call : ramps) {
    EXPECT_EQ(call->args[0], 0u);
    EXPECT_EQ(call->args[1], DWORD(D3DSGR_CALIBRATE));
  }
  EXPECT_EQ(ramps.back()->args[3], normal.red[128]);
  // One clap per flash, 500 ms after it began (to the frame).
  ASSERT_EQ(claps.size(), flashStarts.size());
  for (std::size_t i = 0; i < flashStarts.size(); ++i) {
    EXPECT_GE(claps[i] - flashStarts[i], 500);
    EXPECT_LT(claps[i] - flashStarts[i], 550);
  }
}

TEST_F(ClockRoom, WithoutThunderClapsNoThunderFollowsTheFlashes) {
  media("QuietTime = 1000;");
  saver::ClockApplication& app = start(11);
  EXPECT_FALSE(app.sounds().thunderLoaded());
  bool flashed = false;
  for (int frame = 0; frame < 200; ++frame) {
    frameAfter(50);
    flashed = flashed || app.weather().flashing();
    EXPECT_EQ(app.weather().lightning().pendingThunder(), 0u);
  }
  EXPECT_TRUE(flashed);
}

TEST_F(ClockRoom, TimingsBelowOneReachTheStormAsOne) {
  media("QuietTime = 0; WinkTime = -5;");
  saver::ClockApplication& app = start(5);
  EXPECT_EQ(app.weather().lightning().quietTime(), 1);
  EXPECT_EQ(app.weather().lamp().winkTime(), 1);
  int flashingFrames = 0;
  for (int frame = 0; frame < 400; ++frame) {
    frameAfter(25);
    flashingFrames += app.weather().flashing();
  }
  EXPECT_GT(flashingFrames, 0);
}

TEST_F(ClockRoom, TheSameSeedRepeatsTheToursAndTheFlashes) {
  media("QuietTime = 1000; Animations = array(\"c1.cam\", \"c2.cam\");");
  const auto run = [this](unsigned seed) {
    clock_.setNow(100000);
    saver::ClockApplication& app = start(seed);
    std::vector<std::string> happened{app.tours().currentTour()};
    bool wasFlashing = false;
    for (int frame = 0; frame < 400; ++frame) {
      frameAfter(50);
      if (app.weather().flashing() && !wasFlashing) happened.push_back(std::to_string(engine::nowMilliseconds()));
      wasFlashing = app.weather().flashing();
    }
    app_.reset();
    win32::resetWindowSystem();
    return happened;
  };
  const std::vector<std::string> first = run(42);
  EXPECT_GE(first.size(), 4u);
  EXPECT_EQ(run(42), first);
  EXPECT_NE(run(43), first);
}

TEST_F(ClockRoom, AfterADeviceResetTheRoomIsDrawnAgain) {
  media("");
  saver::ClockApplication& app = start();
  calls().clear();
  frameAfter(10);
  const std::size_t draws = named("DrawIndexedPrimitive").size();
  ASSERT_GT(draws, 0u);
  ASSERT_TRUE(d3d9::forceDeviceLoss(app.device(), 1));
  frameAfter(10);
  frameAfter(10);
  ASSERT_TRUE(app.deviceReady());
  calls().clear();
  frameAfter(10);
  EXPECT_EQ(named("DrawIndexedPrimitive").size(), draws);
}

} // namespace
