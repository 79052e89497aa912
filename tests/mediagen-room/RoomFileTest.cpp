// The room file as the scene loader will read it: named nodes where the clock room looks for
// them, complete meshes, and materials whose stages the light-map swap expects.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <set>

#include "engine/core/Strings.h"
#include "platform/d3dx9/d3dx9math.h"
#include "tests/mediagen-room/MediaFiles.h"

namespace {

using roomtest::child;
using roomtest::children;
using roomtest::leafInt;
using roomtest::leafString;

class RoomFile : public ::testing::Test {
protected:
  static void SetUpTestSuite() { file_ = new roomtest::UdfFile(roomtest::stagePath("clock.UDF")); }
  static void TearDownTestSuite() { delete file_; }
  void SetUp() override { ASSERT_TRUE(file_->ok()) << "clock.UDF missing or unreadable in " << TICKWOOD_MEDIA_STAGE; }

  const engine::UdfNode& top() { return *child(file_->root(), "Children"); }
  const engine::UdfNode& materials() { return *child(file_->root(), "Materials"); }
  static roomtest::UdfFile* file_;
};
roomtest::UdfFile* RoomFile::file_ = nullptr;

TEST_F(RoomFile, RootHoldsChildrenThenMaterials) {
  auto root = children(file_->root());
  ASSERT_EQ(root.size(), 2u);
  EXPECT_EQ(root[0]->name(), "Children");
  EXPECT_EQ(root[0]->typeName(), "Node");
  EXPECT_EQ(root[1]->name(), "Materials");
  EXPECT_EQ(root[1]->typeName(), "Material");
}

TEST_F(RoomFile, NamedNodesAreTopLevelMeshes) {
  for (const char* name : {"strelka_1big", "strelka_1min", "Clock glass", "Lamp lamp", "Curtain", "FonPlane01",
                           "Picture", "clock mayatnik"}) {
    const engine::UdfNode* n = child(top(), name);
    ASSERT_NE(n, nullptr) << name;
    EXPECT_EQ(n->typeName(), "Mesh") << name;
    EXPECT_GT(leafInt(*n, "NumVerts", 0), 0) << name;
  }
}

TEST_F(RoomFile, NodeNamesAreUniqueIgnoringCase) {
  // The loader reuses a node whose name it has seen: two meshes of one name would merge.
  std::set<std::string> seen;
  for (const engine::UdfNode* n : children(top())) {
    std::string lower = n->name();
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    EXPECT_TRUE(seen.insert(lower).second) << n->name();
  }
}

TEST_F(RoomFile, EveryMeshIsCompleteAndConsistent) {
  for (const engine::UdfNode* n : children(top())) {
    SCOPED_TRACE(n->name());
    ASSERT_NE(child(*n, "NodeTM"), nullptr);
    ASSERT_NE(child(*n, "ObjectTM"), nullptr);
    EXPECT_EQ(child(*n, "NodeTM")->dataSize(), 68u);
    roomtest::MeshData m = roomtest::meshOf(*n);
    ASSERT_TRUE(m.fvf == 0x112 || m.fvf == 0x312) << std::hex << m.fvf;
    EXPECT_EQ(m.stride, m.fvf == 0x312 ? 40u : 32u);
    EXPECT_EQ(leafInt(*n, "IndexSize"), 4);
    EXPECT_EQ(size_t(leafInt(*n, "NumVerts")) * m.stride, m.verts.size() * 4);
    EXPECT_EQ(size_t(leafInt(*n, "NumIndexes")), m.indices.size());
    EXPECT_EQ(m.indices.size() % 3, 0u);
    EXPECT_TRUE(std::all_of(m.indices.begin(), m.indices.end(), [&](uint32_t i) { return i < m.vertexCount(); }));
    EXPECT_NE(child(materials(), leafString(*n, "MaterialName")), nullptr) << leafString(*n, "MaterialName");
  }
}

TEST_F(RoomFile, TrianglesFaceTheirNormals) {
  // Direct3D culls counter-clockwise triangles: a triangle wound against its normal would
  // vanish from the side it is meant to be seen from.
  for (const engine::UdfNode* n : children(top())) {
    roomtest::MeshData m = roomtest::meshOf(*n);
    size_t wrong = 0, faces = m.indices.size() / 3;
    for (size_t t = 0; t < faces; ++t) {
      auto p = [&](size_t k) { return m.position(m.indices[3 * t + k]); };
      auto a = p(0), b = p(1), c = p(2);
      float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
      float g[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
      const float* nv = m.verts.data() + m.indices[3 * t] * m.stride / 4 + 3;
      if (g[0] * nv[0] + g[1] * nv[1] + g[2] * nv[2] < 0) ++wrong;
    }
    EXPECT_EQ(wrong, 0u) << n->name() << ": " << wrong << " of " << faces;
  }
}

TEST_F(RoomFile, LightMappedMeshesUseTwoStageMaterials) {
  std::set<std::string> lightMapped, plain;
  for (const engine::UdfNode* n : children(top())) {
    roomtest::MeshData m = roomtest::meshOf(*n);
    (m.fvf == 0x312 ? lightMapped : plain).insert(leafString(*n, "MaterialName"));
    if (m.fvf != 0x312) continue;
    for (size_t v = 0; v < m.vertexCount(); ++v) {
      float u = m.verts[v * 10 + 8], w = m.verts[v * 10 + 9];
      ASSERT_TRUE(u > 0 && u < 1 && w > 0 && w < 1) << n->name() << " light-map coordinates " << u << ", " << w;
    }
  }
  EXPECT_GE(lightMapped.size(), 10u);
  for (const std::string& name : lightMapped) {
    SCOPED_TRACE(name);
    EXPECT_EQ(plain.count(name), 0u);
    const engine::UdfNode* subs = child(*child(materials(), name), "Materials");
    ASSERT_NE(subs, nullptr);
    std::map<int, const engine::UdfNode*> byId;
    for (const engine::UdfNode* s : children(*subs))
      byId[leafInt(*s, "MaterialSubId", 0)] = s;
    ASSERT_EQ(byId.size(), 2u);
    EXPECT_NE(byId[1]->name().find("LightMap"), std::string::npos);
    const engine::UdfNode* lm = child(*child(*byId[1], "Textures"), "Diffuse");
    ASSERT_NE(lm, nullptr);
    EXPECT_EQ(lm->typeName(), "Diffuse");
    EXPECT_EQ(leafString(*lm, "FileName"), "lightmap.jpg");
    EXPECT_NE(child(*byId[0], "Textures"), nullptr);
  }
  // The window view follows the lightning, not the light maps.
  EXPECT_EQ(plain.count("Night view"), 1u);
}

TEST_F(RoomFile, GlassReflectsThroughAChromeStage) {
  const engine::UdfNode* subs = child(*child(materials(), "Clock glass"), "Materials");
  ASSERT_NE(subs, nullptr);
  bool chrome = false;
  for (const engine::UdfNode* s : children(*subs))
    chrome = chrome || (leafInt(*s, "MaterialSubId", 0) == 1 && s->name().find("Chrome") != std::string::npos);
  EXPECT_TRUE(chrome);
}

TEST_F(RoomFile, EveryTextureNamedIsInTheArchiveStage) {
  size_t count = 0;
  std::function<void(const engine::UdfNode&)> walk = [&](const engine::UdfNode& n) {
    if (n.name() == "FileName") {
      ++count;
      EXPECT_TRUE(std::filesystem::exists(roomtest::stagePath(n.dataString()))) << n.dataString();
    }
    if (n.isList())
      for (const engine::UdfNode* c : children(n))
        walk(*c);
  };
  walk(materials());
  EXPECT_GE(count, 15u);
}

TEST_F(RoomFile, StartCameraSeesTheClockFromInsideTheRoom) {
  // Floor, ceiling and the free camera's start: (-200, 100, 0) looking along +X.
  roomtest::MeshData floor = roomtest::meshOf(*child(top(), "Floor"));
  roomtest::MeshData ceiling = roomtest::meshOf(*child(top(), "Ceiling"));
  EXPECT_NEAR(floor.position(0)[2], -175.0f, 5.0f);
  float top = -1e9f;
  for (size_t v = 0; v < ceiling.vertexCount(); ++v)
    top = std::max(top, ceiling.position(v)[2]);
  EXPECT_NEAR(top - floor.position(0)[2], 280.0f, 20.0f);
  D3DXVECTOR3 eye(-200, 100, 0), at(-199, 100, 0), up(0, 0, 1), dial(0, 0, 0), clip;
  D3DXMATRIX view, proj, vp;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  D3DXMatrixPerspectiveFovLH(&proj, 70.0f / 180.0f * 3.1415927f, 4.0f / 3.0f, 0.1f, 1000.0f);
  D3DXMatrixMultiply(&vp, &view, &proj);
  D3DXVec3TransformCoord(&clip, &dial, &vp);
  EXPECT_LT(std::fabs(clip.x), 0.9f);
  EXPECT_LT(std::fabs(clip.y), 0.9f);
  EXPECT_GT(clip.z, 0.0f);
  EXPECT_LT(clip.z, 1.0f);
}

} // namespace
