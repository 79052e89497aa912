#include "shell/SceneProperties.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "clockroom/ClockApplication.h"
#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarWriter.h"
#include "engine/data/props/PropsParser.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/data/udf/UdfWriter.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"
#include "tests/shell/RegistryFixture.h"

namespace {

using saver::SceneProperties;

constexpr const char* kShippedFile =
    "Ambient    = array(255,255,255);\n"
    "BgColor    = array(0,0,0);\n"
    "FogColor   = array(100,100,100);\n"
    "NearPlane  = 0.1;\n"
    "FarPlane   = 1000;\n"
    "FogStart   = 2000;\n"
    "FogEnd     = 2000;\n"
    "Fov        = 70;\n"
    "CamSpeed   = 0.1;\n"
    "QuietTime  = 3000;\n"
    "WinkTime   = 1000;\n"
    "Debug      = 1;\n"
    "Animations = array(\"c1.cam\", \"c2.cam\", \"c3.cam\", \"c4.cam\", \"c5.cam\", \"c6.cam\", \"c7.cam\", "
    "\"c8.cam\", \"c9.cam\", \"c10.cam\");\n";

SceneProperties parsed(const std::string& text) {
  engine::MemoryStream stream;
  stream.open("", engine::kStreamRead);
  stream.setBuffer(text);
  engine::PropsTree tree;
  EXPECT_TRUE(engine::parseProps(stream, tree));
  SceneProperties scene;
  saver::applySceneProperties(tree, scene);
  return scene;
}

TEST(SceneProperties, MissingKeysKeepTheDefaults) {
  const SceneProperties scene = parsed("Unrelated = 5;");
  const float grey = static_cast<float>(128 / 255.0);
  EXPECT_EQ(scene.ambient, engine::FloatColor(1.0f, grey, grey, grey));
  EXPECT_EQ(scene.backgroundColor, engine::FloatColor(1.0f, static_cast<float>(100 / 255.0), 0.0f, 0.0f));
  EXPECT_EQ(scene.fogColor, engine::FloatColor(1.0f, grey, grey, grey));
  EXPECT_EQ(scene.nearPlane, 1.0f);
  EXPECT_EQ(scene.farPlane, 1500.0f);
  EXPECT_EQ(scene.fogStart, 10000.0f);
  EXPECT_EQ(scene.fogEnd, 10000.0f);
  EXPECT_FLOAT_EQ(scene.fieldOfView, 1.0471976f);
  EXPECT_EQ(scene.cameraSpeed, 1.0f);
  EXPECT_TRUE(scene.tourNames.empty());
}

TEST(SceneProperties, TheShippedFileTunesTheRoom) {
  const SceneProperties scene = parsed(kShippedFile);
  EXPECT_EQ(scene.ambient, engine::FloatColor(1.0f, 1.0f, 1.0f, 1.0f));
  EXPECT_EQ(scene.backgroundColor, engine::FloatColor(1.0f, 0.0f, 0.0f, 0.0f));
  EXPECT_EQ(scene.fogColor.r, static_cast<float>(100 / 255.0));
  EXPECT_EQ(scene.nearPlane, 0.1f);
  EXPECT_EQ(scene.farPlane, 1000.0f);
  EXPECT_EQ(scene.fogStart, 2000.0f);
  EXPECT_EQ(scene.fogEnd, 2000.0f);
  EXPECT_EQ(scene.fieldOfView, 1.2217305f); // 70 degrees
  EXPECT_EQ(scene.cameraSpeed, 0.1f);
  ASSERT_EQ(scene.tourNames.size(), 10u);
  EXPECT_EQ(scene.tourNames.front(), "c1.cam");
  EXPECT_EQ(scene.tourNames.back(), "c10.cam");
}

TEST(SceneProperties, ValuesConvertAsThePropsLanguageConvertsThem) {
  const SceneProperties scene = parsed("ambient = array(300, 0, 51);\n" // keys ignore case; no range check
                                       "FogColor = array(10);\n"        // the missing members keep theirs
                                       "BgColor = 7;\n"                 // not an array: nothing to take
                                       "NearPlane = \"abc\";\n"         // no number: 0
                                       "FarPlane = \"12px\";\n"
                                       "Animations = array(\"a.cam\", \"a.cam\");\n");
  EXPECT_EQ(scene.ambient.r, static_cast<float>(300 / 255.0));
  EXPECT_GT(scene.ambient.r, 1.0f);
  EXPECT_EQ(scene.ambient.g, 0.0f);
  EXPECT_EQ(scene.ambient.b, 0.2f);
  EXPECT_EQ(scene.fogColor.r, static_cast<float>(10 / 255.0));
  EXPECT_EQ(scene.fogColor.g, 128 / 255.0f);
  EXPECT_EQ(scene.backgroundColor, SceneProperties{}.backgroundColor);
  EXPECT_EQ(scene.nearPlane, 0.0f);
  EXPECT_EQ(scene.farPlane, 12.0f);
  EXPECT_EQ(scene.tourNames, (std::vector<std::string>{"a.cam", "a.cam"}));
}

// Start-up reads the file from the media; the clock room takes its extras from it.
// The smallest room the clock room starts with: a scene file of no nodes.
std::string emptyRoom() {
  const auto children = engine::UdfNode::makeList("Node", "Children");
  engine::MemoryStream out;
  out.open("", engine::kStreamWrite);
  EXPECT_TRUE(engine::UdfWriter::write(out, {children.get()}));
  return out.contents();
}

class SceneFile : public shelltest::PrivateRegistry {
protected:
  void SetUp() override {
    PrivateRegistry::SetUp();
    win32::resetWindowSystem();
    setenv("SDL_AUDIODRIVER", "dummy", 1); // the room's sounds play to no one
    application_->setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
  }
  void TearDown() override {
    application_.reset();
    win32::resetWindowSystem();
    unsetenv("SDL_AUDIODRIVER");
    PrivateRegistry::TearDown();
  }

  void mediaWith(const std::string& name, const std::string& text) {
    engine::RarWriter writer;
    writer.addDirectory("Media", 0);
    writer.addFile("Media\\" + name, text, 0);
    writer.addFile("Media\\clock.udf", emptyRoom(), 0);
    bytes_ = writer.finish();
    ASSERT_TRUE(archive_.open(engine::FileLocation::memory(bytes_.data(), static_cast<std::uint32_t>(bytes_.size()))));
    application_->media().mount(&archive_);
  }

  std::string bytes_;
  engine::MemFileArchive archive_;
  std::unique_ptr<saver::ClockApplication> application_ = std::make_unique<saver::ClockApplication>();
};

TEST_F(SceneFile, StartUpReadsItAndTheClockRoomTakesItsExtras) {
  mediaWith("Scene.props", kShippedFile);
  engine::LogCapture log;
  ASSERT_TRUE(application_->startUp(nullptr, saver::RunMode::Saver, nullptr));
  // Read before "Application created" (the room, and its missing sounds, come after).
  const std::vector<std::string>& lines = log.lines();
  const auto created = std::find(lines.begin(), lines.end(), "Application created\n");
  ASSERT_NE(created, lines.end());
  ASSERT_GE(created - lines.begin(), 2);
  EXPECT_EQ(lines.front(), "Log started \n");
  EXPECT_EQ(*(created - 1), "Error: the loading picture /loading.jpg could not be loaded\n");
  EXPECT_EQ(application_->sceneProperties().tourNames.size(), 10u);
  EXPECT_EQ(application_->sceneProperties().cameraSpeed, 0.1f);
  EXPECT_EQ(application_->weatherTiming().quietTime, 3000);
  EXPECT_EQ(application_->weatherTiming().winkTime, 1000);
}

TEST_F(SceneFile, StartUpMountsTheArchiveLinkedIntoTheProgram) {
  engine::RarWriter writer;
  writer.addDirectory("Media", 0);
  writer.addFile("Media\\Scene.props", "CamSpeed = 0.25; QuietTime = 4500;", 0);
  writer.addFile("Media\\clock.udf", emptyRoom(), 0);
  const std::string linked = writer.finish();
  win32::registerResource("MEMFILE", engine::kMediaArchiveResource, linked.data(), linked.size());
  ASSERT_TRUE(application_->startUp(nullptr, saver::RunMode::Test, nullptr));
  win32::unregisterResource("MEMFILE", engine::kMediaArchiveResource);
  EXPECT_EQ(application_->sceneProperties().cameraSpeed, 0.25f);
  EXPECT_EQ(application_->weatherTiming().quietTime, 4500);
}

TEST_F(SceneFile, WithoutTheFileNothingChangesAndNothingIsLogged) {
  mediaWith("Other.props", "QuietTime = 1;");
  engine::LogCapture log;
  application_->readSceneProperties();
  EXPECT_TRUE(log.lines().empty());
  EXPECT_EQ(application_->weatherTiming().quietTime, 6000);
  EXPECT_EQ(application_->weatherTiming().winkTime, 2000);
  EXPECT_EQ(application_->sceneProperties().farPlane, 1500.0f);
}

TEST_F(SceneFile, MissingExtrasKeepTheirDefaults) {
  mediaWith("Scene.props", "WinkTime = 250;");
  application_->readSceneProperties();
  EXPECT_EQ(application_->weatherTiming().quietTime, 6000);
  EXPECT_EQ(application_->weatherTiming().winkTime, 250);
}

} // namespace
