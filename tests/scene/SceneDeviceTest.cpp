#include "tests/scene/SceneDeviceTest.h"

namespace scenetest {

namespace {

void put(std::string& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out[at + std::size_t(i)] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

std::string bmp24(int width, int height, std::uint32_t rgb) {
  const int stride = (width * 3 + 3) & ~3;
  const int size = 54 + stride * height;
  std::string out(std::size_t(size), '\0');
  out[0] = 'B';
  out[1] = 'M';
  put(out, 2, std::uint32_t(size), 4);
  put(out, 10, 54, 4);
  put(out, 14, 40, 4);
  put(out, 18, std::uint32_t(width), 4);
  put(out, 22, std::uint32_t(height), 4);
  put(out, 26, 1, 2);
  put(out, 28, 24, 2);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      put(out, std::size_t(54 + y * stride + x * 3), rgb, 3);
  return out;
}

std::string tga32(int width, int height, std::uint32_t argb) {
  std::string out(18 + std::size_t(width * height * 4), '\0');
  out[2] = 2; // uncompressed true colour
  put(out, 12, std::uint32_t(width), 2);
  put(out, 14, std::uint32_t(height), 2);
  out[16] = 32;
  out[17] = 8; // eight alpha bits
  for (int i = 0; i < width * height; ++i)
    put(out, 18 + std::size_t(i) * 4, argb, 4);
  return out;
}

void SceneDeviceTest::SetUp() {
  PublishedRecordingDevice::SetUp();
  media_.write("wood.bmp", bmp24(4, 4, 0x804020));
  media_.write("light.bmp", bmp24(4, 4, 0x808080));
  media_.write("leaf.tga", tga32(4, 4, 0x8040A020));
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
