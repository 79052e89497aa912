#include "tests/scene/SceneDeviceTest.h"

#include "tests/support/Pictures.h"

namespace scenetest {

void SceneDeviceTest::SetUp() {
  PublishedRecordingDevice::SetUp();
  media_.write("wood.bmp", testsupport::solidBmp(4, 4, 0x804020));
  media_.write("light.bmp", testsupport::solidBmp(4, 4, 0x808080));
  media_.write("leaf.tga", testsupport::tgaBytes(testsupport::solidImage(4, 4, 0x8040A020)));
  textures_ = std::make_unique<engine::TextureManager>();
  textures_->searchPaths().add(engine::FileLocation::disk(media_.path().string()));
  engine::publishTextureManager(textures_.get());
  scene_ = std::make_unique<engine::Scene>();
  // Draws count only inside a scene, as on every device.
  ASSERT_EQ(device_->BeginScene(), D3D_OK);
}

void SceneDeviceTest::TearDown() {
  device_->EndScene();
  scene_.reset();
  engine::publishTextureManager(nullptr);
  textures_.reset();
  PublishedRecordingDevice::TearDown();
}

std::vector<std::string> SceneDeviceTest::callsSince(std::size_t first) const {
  std::vector<std::string> out;
  const auto& calls = log_->calls();
  for (std::size_t i = first; i < calls.size(); ++i)
    out.push_back(calls[i].text());
  return out;
}

std::vector<std::string> SceneDeviceTest::statesSince(std::size_t first) const {
  std::vector<std::string> out;
  const auto& calls = log_->calls();
  for (std::size_t i = first; i < calls.size(); ++i) {
    const std::string& m = calls[i].method;
    if (m == "SetRenderState" || m == "SetTextureStageState" || m == "SetSamplerState" || m == "SetTexture" ||
        m == "SetMaterial")
      out.push_back(calls[i].text());
  }
  return out;
}

} // namespace scenetest
