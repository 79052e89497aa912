// The generators' building blocks on small inputs whose answers are known: mesh primitives,
// light-map charts and packing, ray casts through cloth, the light encoding, tour splines.

#include <gtest/gtest.h>

#include <cmath>

#include "tools/mediagen/bake/Bvh.h"
#include "tools/mediagen/bake/Charts.h"
#include "tools/mediagen/bake/LightBaker.h"
#include "tools/mediagen/room/Study.h"
#include "tools/mediagen/tours/Tours.h"

namespace {

using tools::Vec3;

// Every triangle's winding agrees with its vertex normals (what Direct3D's culling needs).
size_t windingErrors(const tools::Mesh& m) {
  size_t wrong = 0;
  for (size_t t = 0; t < m.triangleCount(); ++t) {
    const tools::Vertex &a = m.vertices[m.indices[3 * t]], &b = m.vertices[m.indices[3 * t + 1]],
                        &c = m.vertices[m.indices[3 * t + 2]];
    Vec3 g = tools::cross(b.position - a.position, c.position - a.position);
    if (tools::dot(g, a.normal + b.normal + c.normal) <= 0) ++wrong;
  }
  return wrong;
}

TEST(MeshBuilder, PrimitivesWindTowardsTheirNormalsInMirroredFramesToo) {
  tools::Mesh mesh;
  tools::MeshBuilder b(mesh);
  for (const tools::Frame& f : {tools::Frame{}, tools::Frame{{1, 0, 0}, {0, 0, 1}, {0, 1, 0}, {5, 0, 0}}}) {
    b.setFrame(f);
    b.box({0, 0, 0}, {1, 2, 3});
    b.insideBox({-10, -10, -10}, {10, 10, 10});
    b.bevelBox({0, 0, 0}, {4, 4, 4}, 0.5f);
    b.lathe({{0, 0}, {2, 0}, {2, 3}, {1, 4}, {0, 4}}, 12, 10.0f);
    b.extrudeOutline({{0, 0}, {2, 0}, {2, 2}, {1, 1}, {0, 2}}, 0, 1); // concave
    b.sweep({{0, 0}, {1, 0}, {1, 1}}, {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, {0, 0, 1}, false, 10.0f);
    b.clothStrip(10, 20, 4, 4, [](float u, float) { return std::sin(u); });
  }
  EXPECT_EQ(windingErrors(mesh), 0u);
  // The outward box: every normal points away from the box centre.
  tools::Mesh box;
  tools::MeshBuilder(box).box({-1, -1, -1}, {1, 1, 1});
  ASSERT_EQ(box.triangleCount(), 12u);
  for (const tools::Vertex& v : box.vertices)
    EXPECT_GT(tools::dot(v.normal, v.position), 0.0f);
}

TEST(MeshBuilder, ExtrudedConcaveOutlineCoversItsArea) {
  tools::Mesh mesh;
  tools::MeshBuilder(mesh).extrudeOutline({{0, 0}, {4, 0}, {4, 4}, {2, 1}, {0, 4}}, 0, 1);
  double top = 0;
  for (size_t t = 0; t < mesh.triangleCount(); ++t) {
    const tools::Vertex &a = mesh.vertices[3 * t], &b = mesh.vertices[3 * t + 1], &c = mesh.vertices[3 * t + 2];
    if (a.normal.z > 0.5f) top += 0.5 * tools::length(tools::cross(b.position - a.position, c.position - a.position));
  }
  EXPECT_NEAR(top, 16.0 - 6.0, 1e-4); // the square less the notch
}

TEST(Study, EveryMeshOfTheRoomWindsTowardsItsNormals) {
  tools::SceneModel model = tools::buildStudy();
  for (const tools::SceneNode& n : model.nodes)
    EXPECT_EQ(windingErrors(n.mesh), 0u) << n.name;
}

// A model of one light-mapped node at one texel per centimetre, built by `build`.
template <class Build> tools::SceneModel oneNodeModel(Build build) {
  tools::SceneModel model;
  model.materials.push_back({});
  model.materials[0].name = "m";
  tools::SceneNode node;
  node.material = "m";
  node.texelSize = 1.0f;
  tools::MeshBuilder b(node.mesh);
  build(b);
  model.nodes.push_back(node);
  return model;
}

TEST(Charts, FacesSplitByDirectionAndPackWithoutOverlap) {
  tools::SceneModel model = oneNodeModel([](tools::MeshBuilder& b) {
    b.box({0, 0, 0}, {10, 20, 30});
    b.box({40, 0, 0}, {50, 5, 5});
  });
  tools::ChartLayout layout;
  ASSERT_TRUE(tools::buildLightMapCharts(model, 256, layout));
  EXPECT_EQ(layout.charts.size(), 12u); // six faces each
  for (size_t i = 0; i < layout.charts.size(); ++i) {
    const tools::Chart& a = layout.charts[i];
    EXPECT_LE(a.x + a.width, 256);
    EXPECT_LE(a.y + a.height, 256);
    for (size_t j = i + 1; j < layout.charts.size(); ++j) {
      const tools::Chart& c = layout.charts[j];
      bool apart = a.x + a.width <= c.x || c.x + c.width <= a.x || a.y + a.height <= c.y || c.y + c.height <= a.y;
      EXPECT_TRUE(apart) << i << " overlaps " << j;
    }
  }
  // The 10 x 30 face spans 10 texels across at one texel per centimetre, inside its gutter.
  for (const tools::Vertex& v : model.nodes[0].mesh.vertices) {
    EXPECT_GT(v.uv2.x * 256, float(tools::kChartGutter));
    EXPECT_LT(v.uv2.x, 1.0f);
  }
}

TEST(Charts, ARoomTooBigForTheAtlasGetsCoarserTexels) {
  tools::SceneModel model = oneNodeModel([](tools::MeshBuilder& b) {
    b.quad({0, 0, 0}, {500, 0, 0}, {500, 500, 0}, {0, 500, 0}, {0, 0, 1});
  });
  tools::ChartLayout layout;
  ASSERT_TRUE(tools::buildLightMapCharts(model, 128, layout));
  ASSERT_EQ(layout.charts.size(), 1u);
  EXPECT_GT(layout.charts[0].texel, 500.0f / 128.0f);
  EXPECT_LE(layout.charts[0].width, 128);
}

TEST(Bvh, FindsTheNearestHitAndDimsLightThroughCloth) {
  std::vector<tools::BvhTriangle> tris;
  auto wall = [&](float x, float transmission, uint32_t id) {
    tris.push_back({{x, -10, -10}, {x, 10, -10}, {x, 0, 10}, transmission, id});
  };
  for (int i = 0; i < 50; ++i)
    wall(100.0f + float(i) * 10.0f, 0.0f, uint32_t(100 + i)); // far opaque walls
  wall(20, 0.5f, 1);
  wall(30, 0.5f, 2);
  tools::Bvh bvh(tris);
  tools::Hit hit;
  ASSERT_TRUE(bvh.closest({0, 0, 0}, {1, 0, 0}, 0.01f, 1000.0f, hit));
  EXPECT_EQ(hit.id, 1u);
  EXPECT_NEAR(hit.t, 20.0f, 1e-4f);
  EXPECT_NEAR(bvh.transmittance({0, 0, 0}, {1, 0, 0}, 0.01f, 50.0f), 0.25f, 1e-6f);
  EXPECT_EQ(bvh.transmittance({0, 0, 0}, {1, 0, 0}, 0.01f, 1000.0f), 0.0f);
  EXPECT_EQ(bvh.transmittance({0, 0, 0}, {-1, 0, 0}, 0.01f, 1000.0f), 1.0f);
  EXPECT_FALSE(bvh.closest({0, 50, 0}, {1, 0, 0}, 0.01f, 1000.0f, hit));
}

TEST(LightEncoding, RisesSmoothlyAndNeverSaturates) {
  tools::BakeSettings s;
  EXPECT_EQ(tools::encodeLight(0.0f, s), 0.0f);
  float previous = 0;
  for (float e = 0.01f; e < 100.0f; e *= 1.2f) {
    float v = tools::encodeLight(e, s);
    EXPECT_GT(v, previous);
    EXPECT_LT(v, 1.0f);
    previous = v;
  }
  // About a metre from the lamp the base texture shows at its own colour (0.5).
  EXPECT_NEAR(tools::encodeLight(0.5f, s), 0.5f, 0.12f);
}

TEST(TourSpline, PassesThroughItsKeysAndUsesHalfDifferencesInside) {
  tools::Tour t;
  for (int i = 0; i < 4; ++i)
    t.keys.push_back({float(i) * 10, {float(i * i), 0, 0}, {0, 0, 0, 1}});
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(tools::tourPosition(t, float(i) * 10, true).x, float(i * i), 1e-5f);
  // Between keys 1 and 2 (x = 1 and 4, tangents (4 - 0) / 2 = 2 and (9 - 1) / 2 = 4).
  float u = 0.5f;
  float h = (2 * u * u * u - 3 * u * u + 1) * 1 + (u * u * u - 2 * u * u + u) * 2 + (-2 * u * u * u + 3 * u * u) * 4 +
            (u * u * u - u * u) * 4;
  EXPECT_NEAR(tools::tourPosition(t, 15, true).x, h, 1e-5f);
}

TEST(TourSpline, ClearanceSeesAPathThroughFurniture) {
  tools::SceneModel model;
  model.room = {{0, 0, 0}, {100, 100, 100}};
  model.obstacles.push_back({{40, 40, 0}, {60, 60, 100}});
  tools::Tour t;
  t.keys = {{0, {10, 50, 50}, {0, 0, 0, 1}}, {10, {50, 50, 50}, {0, 0, 0, 1}}, {20, {90, 50, 50}, {0, 0, 0, 1}}};
  EXPECT_LT(tools::tourClearance(t, model).distance, 0.0f);
  t.keys[1].position = {50, 20, 50};
  EXPECT_GT(tools::tourClearance(t, model).distance, 0.0f);
}

TEST(TourRotation, LooksWhereItIsToldWithTheUpVectorUp) {
  for (Vec3 forward : {Vec3{1, 0, 0}, Vec3{0, -1, 0}, Vec3{-0.5f, 0.5f, -0.3f}}) {
    auto q = tools::lookRotation(forward);
    // Rotate (0, 0, 1) by q: the tour player's viewing direction.
    float x = q[0], y = q[1], z = q[2], w = q[3];
    Vec3 dir{2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)};
    Vec3 f = tools::normalize(forward);
    EXPECT_NEAR(dir.x, f.x, 1e-4f);
    EXPECT_NEAR(dir.y, f.y, 1e-4f);
    EXPECT_NEAR(dir.z, f.z, 1e-4f);
  }
}

} // namespace
