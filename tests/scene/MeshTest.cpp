// Meshes: the keys a mesh needs, index sizes, strides, buffer contents and sharing, the
// draw calls, and the skinning pass.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/core/Log.h"
#include "engine/scene/Scene.h"
#include "tests/scene/SceneDeviceTest.h"
#include "tests/scene/SceneFile.h"

namespace engine {
namespace {

using namespace scenetest;

// A mesh of `vertices` points (x = i) with position, normal and two coordinate pairs.
MeshRecipe strip(UINT vertices, UINT indices, int indexSize) {
  MeshRecipe recipe;
  recipe.name = "Strip";
  recipe.fvf = D3DFVF_XYZ | D3DFVF_NORMAL | 0x300;
  for (UINT v = 0; v < vertices; ++v)
    recipe.vertices.insert(recipe.vertices.end(), {float(v), 0, 0, 0, 0, 1, 0.25f, 0.5f, 0.75f, 1.0f});
  for (UINT i = 0; i < indices; ++i)
    recipe.indices.push_back(i % vertices);
  recipe.indexSize = indexSize;
  return recipe;
}

class MeshTest : public SceneDeviceTest {
protected:
  MeshInstance* load(Node mesh) {
    file_.children().addChild(std::move(mesh));
    EXPECT_TRUE(scene().load(file_.location(), ""));
    SceneNode* node = scene().root().findByName("Strip");
    return node ? node->geometry() : nullptr;
  }
  // The bytes a buffer holds.
  std::string vertexBytes(const MeshBuffer& buffer) {
    void* data = nullptr;
    const UINT size = buffer.desc().size;
    EXPECT_EQ(buffer.vertexBuffer()->Lock(0, size, &data, D3DLOCK_READONLY), D3D_OK);
    std::string bytes(static_cast<const char*>(data), size);
    buffer.vertexBuffer()->Unlock();
    return bytes;
  }
  std::string indexBytes(const MeshBuffer& buffer) {
    void* data = nullptr;
    const UINT size = buffer.desc().size;
    EXPECT_EQ(buffer.indexBuffer()->Lock(0, size, &data, D3DLOCK_READONLY), D3D_OK);
    std::string bytes(static_cast<const char*>(data), size);
    buffer.indexBuffer()->Unlock();
    return bytes;
  }

  SceneFile file_;
};

TEST_F(MeshTest, AMeshWithoutVerticesOrAKeyHasNoGeometry) {
  MeshRecipe empty = strip(3, 3, 2);
  empty.numVerts = 0;
  EXPECT_EQ(load(meshNode(empty)), nullptr);
  EXPECT_NE(scene().root().findByName("Strip"), nullptr); // the node stays
  EXPECT_TRUE(scene().meshes().empty());

  Scene other;
  SceneFile file;
  Node noFormat = list("Mesh", "Bare");
  noFormat->addChild(intLeaf("NumVerts", 3));
  file.children().addChild(std::move(noFormat));
  ASSERT_TRUE(other.load(file.location(), ""));
  EXPECT_EQ(other.root().findByName("Bare")->geometry(), nullptr);
}

TEST_F(MeshTest, FewerThan32768IndicesGetSixteenBits) {
  MeshInstance* mesh = load(meshNode(strip(4, 32767, 4)));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->indices()->desc().indexFormat, D3DFMT_INDEX16);
  EXPECT_EQ(mesh->indices()->desc().size, 32767u * 2);
  const std::string bytes = indexBytes(*mesh->indices());
  std::uint16_t fifth = 0;
  std::memcpy(&fifth, bytes.data() + 5 * 2, 2);
  EXPECT_EQ(fifth, 1); // 5 % 4, narrowed from 32 bits
}

TEST_F(MeshTest, From32768IndicesOnThirtyTwoBits) {
  MeshInstance* mesh = load(meshNode(strip(4, 32768, 2)));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->indices()->desc().indexFormat, D3DFMT_INDEX32);
  const std::string bytes = indexBytes(*mesh->indices());
  std::uint32_t seventh = 0;
  std::memcpy(&seventh, bytes.data() + 7 * 4, 4);
  EXPECT_EQ(seventh, 3u); // widened from 16 bits
}

TEST(IndexCopyTest, NarrowingKeepsTheLowSixteenBits) {
  const std::uint32_t wide[3] = {0x00010005u, 0xFFFF0002u, 7u};
  std::uint16_t narrow[3] = {};
  copyIndices(narrow, 2, wide, 4, 3);
  EXPECT_EQ(narrow[0], 5);
  EXPECT_EQ(narrow[1], 2);
  EXPECT_EQ(narrow[2], 7);
}

TEST_F(MeshTest, IndicesBeyondSixteenBitsKeepThirtyTwoBitsEvenWhenFew) {
  MeshRecipe recipe = strip(70000, 3, 4);
  recipe.indices = {0, 69999, 65536};
  MeshInstance* mesh = load(meshNode(recipe));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->indices()->desc().indexFormat, D3DFMT_INDEX32);
}

TEST_F(MeshTest, VertexAlign32RoundsTheStrideAndCopiesEachComponent) {
  Node node = meshNode(strip(3, 3, 2));
  node->addChild(stringLeaf("VertexAlign32", "1"));
  MeshInstance* mesh = load(std::move(node));
  ASSERT_NE(mesh, nullptr);
  const BufferDesc& d = mesh->vertices()->desc();
  EXPECT_EQ(d.stride, 64u);
  EXPECT_EQ(d.size, 3u * 64u);
  const std::string bytes = vertexBytes(*mesh->vertices());
  float second[10];
  std::memcpy(second, bytes.data() + 64, sizeof second);
  EXPECT_EQ(second[0], 1.0f);
  EXPECT_EQ(second[5], 1.0f);
  EXPECT_EQ(second[9], 1.0f);
  float padding[6];
  std::memcpy(padding, bytes.data() + 64 + 40, sizeof padding);
  for (float p : padding)
    EXPECT_EQ(p, 0.0f);
}

TEST_F(MeshTest, A32ByteVertexStaysAt32) {
  MeshRecipe recipe;
  recipe.name = "Strip";
  recipe.fvf = D3DFVF_XYZ | D3DFVF_NORMAL | 0x100;
  recipe.vertices.assign(24, 1.0f);
  recipe.indices = {0, 1, 2};
  Node node = meshNode(recipe);
  node->addChild(stringLeaf("VertexAlign32", "1"));
  MeshInstance* mesh = load(std::move(node));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->vertices()->desc().stride, 32u);
}

TEST(VertexCopyTest, ComponentsTheSourceLacksAreLeftAlone) {
  // Source: position and second coordinate pair; target: position, normal, both pairs.
  const float source[2][5] = {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}};
  float target[2][10];
  for (auto& v : target)
    for (float& f : v)
      f = -1.0f;
  copyVertices(target, D3DFVF_XYZ | D3DFVF_NORMAL | 0x300, 40, source, D3DFVF_XYZ | 0x200, 20, 2);
  const float expected[10] = {6, 7, 8, -1, -1, -1, -1, -1, 9, 10};
  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(target[1][i], expected[i]) << i;
  EXPECT_EQ(vertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | 0x300), 40u);
  EXPECT_EQ(deviceFvf(0x312), DWORD(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2));
  EXPECT_EQ(deviceFvf(0x112), 0x112u);
  EXPECT_EQ(deviceFvf(D3DFVF_XYZ | 0x200), DWORD(D3DFVF_XYZ | D3DFVF_TEX1)); // one pair, wherever its bit
  EXPECT_EQ(vertexSize(D3DFVF_XYZ | D3DFVF_NORMAL | 0x100), 32u);
  UINT offset = 0;
  EXPECT_TRUE(componentOffset(D3DFVF_XYZ | D3DFVF_DIFFUSE | 0x200, 0x200, offset));
  EXPECT_EQ(offset, 16u);
  EXPECT_FALSE(componentOffset(D3DFVF_XYZ, D3DFVF_NORMAL, offset));
}

TEST_F(MeshTest, DamagedMeshDataIsRefusedWithALogLine) {
  LogCapture log;
  MeshRecipe outOfRange = strip(3, 3, 2);
  outOfRange.indices = {0, 1, 3};
  EXPECT_EQ(load(meshNode(outOfRange)), nullptr);
  EXPECT_TRUE(log.contains("Error: the mesh Strip is not drawn: an index names a vertex it does not have\n"));

  Scene other;
  SceneFile file;
  MeshRecipe tooSmall = strip(3, 3, 2);
  tooSmall.fvf |= D3DFVF_DIFFUSE; // the format promises more than the vertices hold
  tooSmall.numVerts = 3;
  file.children().addChild(meshNode(tooSmall));
  ASSERT_TRUE(other.load(file.location(), ""));
  EXPECT_EQ(other.root().findByName("Strip")->geometry(), nullptr);
  EXPECT_TRUE(log.contains("Error: the mesh Strip is not drawn: its vertices are smaller than their format\n"));
}

TEST_F(MeshTest, ShortIndexDataIsRefused) {
  MeshRecipe recipe = strip(3, 3, 2);
  recipe.indexBytes = 4;
  LogCapture log;
  EXPECT_EQ(load(meshNode(recipe)), nullptr);
  EXPECT_TRUE(log.contains("Error: the mesh Strip is not drawn: its index data is shorter than its index count\n"));
}

TEST_F(MeshTest, DrawingSetsWorldFormatStreamIndicesThenDraws) {
  MeshInstance* mesh = load(meshNode(strip(4, 6, 2)));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->vertices()->desc().usage, DWORD(D3DUSAGE_WRITEONLY));
  mesh->setWorld(Matrix::translation(1, 2, 3));
  stateCache().invalidateAll();
  const std::size_t first = callCount();
  ASSERT_TRUE(mesh->draw());
  std::vector<std::string> tail;
  for (const std::string& call : callsSince(first))
    if (call.rfind("SetTransform", 0) == 0 || call.rfind("SetFVF", 0) == 0 || call.rfind("SetStream", 0) == 0 ||
        call.rfind("SetIndices", 0) == 0 || call.rfind("Draw", 0) == 0)
      tail.push_back(call.substr(0, call.find('(')));
  EXPECT_EQ(tail, (std::vector<std::string>{"SetTransform", "SetFVF", "SetStreamSource", "SetIndices",
                                            "DrawIndexedPrimitive"}));
  const d3d9::RecordedCall draw = log_->named("DrawIndexedPrimitive").back();
  EXPECT_EQ(draw.args, (std::vector<std::uint64_t>{D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2}));
  const d3d9::RecordedCall stream = log_->named("SetStreamSource").back();
  EXPECT_EQ(stream.args[3], 40u);
  // The file's 0x312 (two 8-byte pairs) reaches the device as two coordinate sets.
  EXPECT_EQ(log_->named("SetFVF").back().args[0], std::uint64_t(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX2));
  mesh->setHidden(true);
  const std::size_t hidden = callCount();
  EXPECT_TRUE(mesh->draw());
  EXPECT_EQ(callCount(), hidden);
}

TEST_F(MeshTest, PreTransformedVerticesDrawWithoutFog) {
  MeshRecipe recipe;
  recipe.name = "Strip";
  recipe.fvf = D3DFVF_XYZRHW;
  recipe.vertices = {0, 0, 0, 1, 10, 0, 0, 1, 0, 10, 0, 1};
  recipe.indices = {0, 1, 2};
  MeshInstance* mesh = load(meshNode(recipe));
  ASSERT_NE(mesh, nullptr);
  stateCache().setRenderState(D3DRS_FOGENABLE, TRUE);
  const std::size_t first = callCount();
  ASSERT_TRUE(mesh->draw());
  const std::string fogState = "SetRenderState(" + std::to_string(D3DRS_FOGENABLE) + ", ";
  std::vector<std::string> fog;
  for (const std::string& call : callsSince(first))
    if (call.rfind(fogState, 0) == 0)
      fog.push_back(call);
    else if (call.rfind("DrawIndexedPrimitive", 0) == 0)
      fog.push_back("draw");
  EXPECT_EQ(fog, (std::vector<std::string>{fogState + "0)", "draw", fogState + "1)"}));
}

TEST_F(MeshTest, ThePoolSharesBuffersOfEqualDescriptions) {
  MeshGeometry geometry(std::string(12 * 3, '\0'), 3, D3DFVF_XYZ, std::string(6, '\0'), 3, 2);
  BufferPool pool;
  const BufferDesc plain = BufferDesc::forVertices(geometry, false);
  auto a = pool.obtain(geometry, plain);
  auto b = pool.obtain(geometry, plain);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a, b);
  BufferDesc aligned = plain;
  aligned.alignStrideTo32(3);
  auto c = pool.obtain(geometry, aligned);
  EXPECT_NE(a, c);
  auto skinned = pool.obtain(geometry, BufferDesc::forVertices(geometry, true));
  EXPECT_NE(a, skinned);
  EXPECT_EQ(pool.bufferCount(), 3u);
  EXPECT_EQ(log_->count("CreateVertexBuffer"), 3u);
  // Around a reset only the dynamic buffer goes and comes back.
  EXPECT_TRUE(pool.invalidateDeviceObjects());
  EXPECT_TRUE(a->created());
  EXPECT_FALSE(skinned->created());
  EXPECT_TRUE(pool.restoreDeviceObjects());
  EXPECT_TRUE(skinned->created());
}

TEST_F(MeshTest, BufferCreationFailureLeavesTheNodeWithoutGeometry) {
  log_->scriptAlways("CreateVertexBuffer", D3DERR_OUTOFVIDEOMEMORY);
  LogCapture log;
  EXPECT_EQ(load(meshNode(strip(3, 3, 2))), nullptr);
  EXPECT_TRUE(log.contains("Error: the buffers of the mesh Strip could not be made\n"));
  log_->clearScripts();
}

TEST_F(MeshTest, SkinningMovesVerticesWithTheirBones) {
  file_.children().addChild(sceneNode("bone", "Arm"));
  file_.children().addChild(sceneNode("bone", "Hand", translation(0, 0, 5)));
  // Vertex 0 follows the arm, vertex 1 half the arm and half the hand, vertex 2 nothing.
  MeshInstance* mesh = load(skinnedStrip("Strip", {1, 2, 0}, {{0, 1.0f}, {0, 0.5f}, {1, 0.5f}}));
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(scene().skinnedMeshes().size(), 1u);
  EXPECT_EQ(mesh->vertices()->desc().usage, DWORD(D3DUSAGE_DYNAMIC));
  // Move the hand by (0, 10, 0) from its pose and the arm not at all.
  SceneNode* hand = scene().root().findByName("Hand");
  hand->addAnimation("", [] {
    auto a = std::make_shared<Animation>();
    a->position().addKey(AnimationKey::vector(0.0f, D3DXVECTOR3(0, 10, 5)));
    return a;
  }());
  Matrix staticWorld;
  TraversalContext context;
  context.staticWorld = &staticWorld;
  context.flags = kTraverseNoCulling;
  ASSERT_TRUE(scene().root().traverse(context));
  const std::string bytes = vertexBytes(*mesh->vertices());
  float p[9];
  std::memcpy(p, bytes.data(), sizeof p);
  EXPECT_FLOAT_EQ(p[0], 1.0f);        // vertex 0: the arm did not move
  EXPECT_FLOAT_EQ(p[4], 1.0f + 5.0f); // vertex 1: half of the hand's 10
  EXPECT_FLOAT_EQ(p[6], 0.0f);        // vertex 2: no influence, the origin
  EXPECT_FLOAT_EQ(p[8], 0.0f);
  EXPECT_TRUE(D3DXMatrixIsIdentity(&mesh->world().m)); // positions are final
}

TEST_F(MeshTest, BoneNamesGrowToTheLargestIndex) {
  file_.children().addChild(sceneNode("bone", "Arm"));
  LogCapture log;
  MeshInstance* mesh =
      load(skinnedStrip("Strip", {0, 0, 0}, {}, {{"5", "Arm"}, {"1", "Arm"}, {"x", "Arm"}, {"-2", "Arm"}}));
  ASSERT_NE(mesh, nullptr);
  const SkinData& skin = static_cast<SkinnedMeshInstance*>(mesh)->skin();
  ASSERT_EQ(skin.boneNames.size(), 6u);
  EXPECT_EQ(skin.boneNames[5], "Arm");
  EXPECT_EQ(skin.boneNames[1], "Arm");
  EXPECT_EQ(skin.boneNames[0], "");
  EXPECT_EQ(skin.boneNames[3], "");
  EXPECT_TRUE(log.contains("Error: bone number x of a skinned mesh is not used\n"));
  EXPECT_TRUE(log.contains("Error: bone number -2 of a skinned mesh is not used\n"));
}

TEST_F(MeshTest, AMissingBoneFailsTheLoad) {
  file_.children().addChild(sceneNode("bone", "Arm"));
  file_.children().addChild(skinnedStrip("Strip", {1, 1, 1}, {{0, 1}, {0, 1}, {1, 1}}));
  LogCapture log;
  EXPECT_FALSE(scene().load(file_.location(), ""));
  EXPECT_TRUE(log.contains("Error: the bone Hand of a skinned mesh is not in the scene\n"));
}

TEST_F(MeshTest, BoundsCoverEveryVertex) {
  MeshInstance* mesh = load(meshNode(strip(5, 3, 2)));
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(mesh->bounds().centre, D3DXVECTOR3(2, 0, 0));
  EXPECT_EQ(mesh->bounds().size, D3DXVECTOR3(4, 0, 0));
  const BoundingBox moved = transformedBox(mesh->bounds(), Matrix::translation(10, 0, 0).m);
  EXPECT_EQ(moved.centre, D3DXVECTOR3(12, 0, 0));
}

} // namespace
} // namespace engine
