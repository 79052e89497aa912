// The fixture of the scene tests that draw: a recording device published as the engine's
// device, a texture store published beside it, and a folder of small test textures
// ("wood.bmp" without alpha, "leaf.tga" with alpha, "light.bmp" grey) the store finds.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine/resources/textures/TextureManager.h"
#include "engine/scene/Scene.h"
#include "tests/render/PublishedRecordingDevice.h"
#include "tests/support/TempDir.h"

namespace scenetest {

class SceneDeviceTest : public rendertest::PublishedRecordingDevice {
protected:
  void SetUp() override;
  void TearDown() override;

  // The recorded calls from `first` on, as "Method(args)" texts.
  std::vector<std::string> callsSince(std::size_t first) const;
  // The recorded calls of the state-setting kinds only (render, stage, sampler states,
  // textures, material), from `first` on.
  std::vector<std::string> statesSince(std::size_t first) const;
  std::size_t callCount() const { return log_->calls().size(); }

  // The scene under test; it goes (with its buffers and textures) before the device.
  engine::Scene& scene() { return *scene_; }

  testsupport::TempDir media_;
  std::unique_ptr<engine::TextureManager> textures_;
  std::unique_ptr<engine::Scene> scene_;
};

} // namespace scenetest
