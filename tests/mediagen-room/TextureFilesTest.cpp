// The staged textures decoded again: power-of-two sizes, seamless repeats, alpha where the
// program blends, a light map that keeps headroom, and the scene properties file.

#include <gtest/gtest.h>

#include <cmath>

#include "engine/data/DiskFileStream.h"
#include "engine/data/props/PropsParser.h"
#include "tests/mediagen-room/MediaFiles.h"
#include "tools/mediagen/bake/Charts.h"
#include "tools/mediagen/textures/Textures.h"

namespace {

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

tools::Image decode(const std::string& file) {
  tools::Image img;
  std::string error;
  EXPECT_TRUE(tools::readImage(roomtest::stagePath(file), img, &error)) << error;
  return img;
}

float luminance(const tools::Rgba& c) { return 0.3f * c.r + 0.59f * c.g + 0.11f * c.b; }

TEST(TextureFiles, EveryTextureDecodesAtAPowerOfTwoSize) {
  std::vector<std::string> files{tools::kLightMapFile};
  for (const auto& recipe : tools::materialTextures())
    files.push_back(recipe.file);
  for (const std::string& file : files) {
    tools::Image img = decode(file);
    EXPECT_TRUE(powerOfTwo(img.width()) && powerOfTwo(img.height()))
        << file << " " << img.width() << "x" << img.height();
  }
}

TEST(TextureFiles, RepeatingTexturesJoinWithoutASeam) {
  // Across the wrap the step between the last and first column (or row) is no larger
  // than the steps inside the image.
  for (const char* file : {"wallpaper.jpg", "floor.jpg", "plaster.jpg", "paint.jpg", "oak.jpg", "mahogany.jpg",
                           "brass.jpg", "gilt.jpg", "fabric.jpg"}) {
    tools::Image img = decode(file);
    int w = img.width(), h = img.height();
    auto columnStep = [&](int a, int b) {
      double sum = 0;
      for (int y = 0; y < h; ++y)
        sum += std::fabs(luminance(img.at(a, y)) - luminance(img.at(b, y)));
      return sum / h;
    };
    auto rowStep = [&](int a, int b) {
      double sum = 0;
      for (int x = 0; x < w; ++x)
        sum += std::fabs(luminance(img.at(x, a)) - luminance(img.at(x, b)));
      return sum / w;
    };
    double insideU = 0, insideV = 0;
    for (int i = 1; i < w; ++i)
      insideU = std::max(insideU, columnStep(i - 1, i));
    for (int i = 1; i < h; ++i)
      insideV = std::max(insideV, rowStep(i - 1, i));
    EXPECT_LE(columnStep(w - 1, 0), insideU * 1.05 + 0.004) << file;
    EXPECT_LE(rowStep(h - 1, 0), insideV * 1.05 + 0.004) << file;
  }
}

TEST(TextureFiles, BlendedSurfacesCarryAlpha) {
  for (const char* file : {"curtain.png", "glass.png"}) {
    tools::Image img = decode(file);
    double sum = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x)
        sum += img.at(x, y).a;
    double mean = sum / (double(img.width()) * img.height());
    EXPECT_GT(mean, 0.05) << file;
    EXPECT_LT(mean, 0.9) << file;
  }
}

TEST(TextureFiles, LightMapKeepsHeadroomAndDarkCorners) {
  // 0.5 shows the base texture at full light: the lamp's pool goes above it, the far
  // corners stay well below it, nothing reaches the ceiling of the encoding.
  tools::Image lm = decode(tools::kLightMapFile);
  float brightest = 0, darkest = 1;
  for (int y = 0; y < lm.height(); ++y)
    for (int x = 0; x < lm.width(); ++x) {
      float l = luminance(lm.at(x, y));
      brightest = std::max(brightest, l);
      darkest = std::min(darkest, l);
    }
  EXPECT_GT(brightest, 0.55f);
  EXPECT_LT(brightest, 0.99f);
  EXPECT_LT(darkest, 0.15f);
}

TEST(SceneProps, ReadsBackThroughThePropsParserWithTheRoomsValues) {
  engine::DiskFileStream stream;
  ASSERT_TRUE(stream.open(roomtest::stagePath("Scene.props"), engine::kStreamRead)) << "Scene.props missing";
  engine::PropsTree tree;
  ASSERT_TRUE(engine::parseProps(stream, tree));
  auto colour = [&](const char* key) {
    std::string out;
    for (const char* i : {".0", ".1", ".2"})
      out += std::to_string(tree.getInt(std::string(key) + i, -1)) + ",";
    return out;
  };
  EXPECT_EQ(colour("Ambient"), "255,255,255,");
  EXPECT_EQ(colour("BgColor"), "0,0,0,");
  EXPECT_EQ(colour("FogColor"), "100,100,100,");
  EXPECT_FLOAT_EQ(float(tree.getFloat("NearPlane", -1)), 0.1f);
  EXPECT_EQ(tree.getFloat("FarPlane", -1), 1000.0);
  EXPECT_EQ(tree.getFloat("FogStart", -1), 2000.0);
  EXPECT_EQ(tree.getFloat("FogEnd", -1), 2000.0);
  EXPECT_EQ(tree.getFloat("Fov", -1), 70.0);
  EXPECT_FLOAT_EQ(float(tree.getFloat("CamSpeed", -1)), 0.1f);
  EXPECT_EQ(tree.getInt("QuietTime", -1), 3000);
  EXPECT_EQ(tree.getInt("WinkTime", -1), 1000);
  EXPECT_NE(tree.find("Debug"), nullptr);
  const engine::PropsNode* tours = tree.find("Animations");
  ASSERT_NE(tours, nullptr);
  ASSERT_EQ(tours->children().count(), 10u);
  int i = 0;
  for (const auto& entry : tours->children())
    EXPECT_EQ(entry.value->asString(), "c" + std::to_string(++i) + ".cam");
}

} // namespace
