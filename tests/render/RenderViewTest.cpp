// The render view's queues and the order it draws and lights them in.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/render/RenderView.h"

namespace {

using engine::BoundingBox;
using engine::Drawable;
using engine::RenderView;
using engine::Texture;

std::vector<std::string> g_events;

class FakeDrawable : public Drawable {
public:
  FakeDrawable(std::string name, bool alpha, const Texture* texture, D3DXVECTOR3 centre, bool lit = false,
               bool succeeds = true)
      : name_(std::move(name)), alpha_(alpha), texture_(texture), box_{centre, {1, 1, 1}}, lit_(lit),
        succeeds_(succeeds) {}
  bool usesAlpha() const override { return alpha_; }
  const Texture* queueTexture() const override { return texture_; }
  BoundingBox worldBox() const override { return box_; }
  bool lit() const override { return lit_; }
  bool draw() override {
    g_events.push_back(name_);
    return succeeds_;
  }

private:
  std::string name_;
  bool alpha_;
  const Texture* texture_;
  BoundingBox box_;
  bool lit_;
  bool succeeds_;
};

class FakeLights : public engine::ViewLights {
public:
  void setAll() override { g_events.push_back("setAll"); }
  void enableFor(const BoundingBox& box) override {
    g_events.push_back("enableFor " + std::to_string(static_cast<int>(box.centre.x)));
  }
  void disableAll() override { g_events.push_back("disableAll"); }
};

class RenderViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_events.clear();
    view_.setView({0, 0, 0}, {1, 0, 0}, {0, 0, 1});
  }
  // Two distinct texture identities in a known order (they are never looked into).
  const Texture* texture(int index) const { return reinterpret_cast<const Texture*>(&keys_[index]); }

  char keys_[2] = {};
  RenderView view_;
};

TEST_F(RenderViewTest, OpaqueDrawablesComeGroupedByTextureThenTransparentOnesBackToFront) {
  FakeDrawable near("near glass", true, nullptr, {2, 0, 0});
  FakeDrawable far("far glass", true, texture(0), {9, 0, 0});
  FakeDrawable middle("middle glass", true, nullptr, {5, 0, 0});
  FakeDrawable wood1("wood 1", false, texture(1), {3, 0, 0});
  FakeDrawable brass("brass", false, texture(0), {4, 0, 0});
  FakeDrawable wood2("wood 2", false, texture(1), {1, 0, 0});
  FakeDrawable plain("plain", false, nullptr, {1, 0, 0});
  for (Drawable* d : std::initializer_list<Drawable*>{&near, &far, &middle, &wood1, &brass, &wood2, &plain, &wood1})
    view_.add(*d);

  EXPECT_EQ(view_.opaqueQueue().keyCount(), 3u);
  EXPECT_EQ(view_.opaqueQueue().entries().size(), 4u); // wood 1 was added twice, kept once
  ASSERT_TRUE(view_.drawQueued());
  EXPECT_EQ(g_events, (std::vector<std::string>{"plain", "brass", "wood 1", "wood 2", "far glass", "middle glass",
                                                "near glass"}));
}

TEST_F(RenderViewTest, EqualDistancesKeepTheOrderOfTheirSet) {
  FakeDrawable first("first", true, nullptr, {0, 3, 0});
  FakeDrawable second("second", true, nullptr, {0, -3, 0});
  FakeDrawable third("third", true, nullptr, {3, 0, 0});
  view_.add(first);
  view_.add(second);
  view_.add(third);
  ASSERT_EQ(view_.transparentQueue().keyCount(), 1u);
  ASSERT_TRUE(view_.drawQueued());
  EXPECT_EQ(g_events, (std::vector<std::string>{"first", "second", "third"}));
}

TEST_F(RenderViewTest, LightsAreSetAroundTheFrameAndEnabledForLitDrawablesOnly) {
  FakeLights lights;
  view_.setLights(&lights);
  FakeDrawable lit("lit", false, nullptr, {7, 0, 0}, true);
  FakeDrawable unlit("unlit", true, nullptr, {4, 0, 0}, false);
  view_.add(lit);
  view_.add(unlit);
  ASSERT_TRUE(view_.drawQueued());
  EXPECT_EQ(g_events, (std::vector<std::string>{"setAll", "enableFor 7", "lit", "unlit", "disableAll"}));
}

TEST_F(RenderViewTest, AFailedDrawFailsTheFrameButEverythingIsDrawn) {
  FakeDrawable broken("broken", false, nullptr, {1, 0, 0}, false, false);
  FakeDrawable fine("fine", true, nullptr, {1, 0, 0});
  view_.add(broken);
  view_.add(fine);
  EXPECT_FALSE(view_.drawQueued());
  EXPECT_EQ(g_events, (std::vector<std::string>{"broken", "fine"}));
  // The queues stay filled until the frame driver empties them.
  EXPECT_FALSE(view_.drawQueued());
  view_.clear();
  g_events.clear();
  EXPECT_TRUE(view_.drawQueued());
  EXPECT_TRUE(g_events.empty());
}

TEST_F(RenderViewTest, ABoxWithoutAPositionIsDrawnFirstAmongTheTransparent) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  FakeDrawable lost("lost", true, nullptr, {nan, 0, 0});
  FakeDrawable far("far", true, nullptr, {100, 0, 0});
  FakeDrawable near("near", true, nullptr, {1, 0, 0});
  view_.add(near);
  view_.add(lost);
  view_.add(far);
  ASSERT_TRUE(view_.drawQueued());
  EXPECT_EQ(g_events, (std::vector<std::string>{"lost", "far", "near"}));
}

TEST_F(RenderViewTest, TheCameraMatricesFollowItsParameters) {
  view_.setProjection(0.5f, 100.0f, D3DX_PI / 2.0f, 2.0f);
  view_.setView({10, 0, 0}, {0, 1, 0}, {0, 0, 1});
  engine::Camera& camera = view_.camera();
  EXPECT_TRUE(camera.dirty());
  ASSERT_TRUE(view_.drawQueued());
  EXPECT_FALSE(camera.dirty());

  // The eye lands at the origin of view space; a point ahead along +Y lies on +Z.
  D3DXVECTOR3 eye(10, 0, 0), ahead(10, 5, 0), out;
  D3DXVec3TransformCoord(&out, &eye, &view_.viewMatrix().m);
  EXPECT_NEAR(D3DXVec3Length(&out), 0.0f, 1e-5f);
  D3DXVec3TransformCoord(&out, &ahead, &view_.viewMatrix().m);
  EXPECT_NEAR(out.z, 5.0f, 1e-5f);
  // 90 degrees vertically at aspect 2: x scale 0.5, y scale 1; depth 0 at the near plane.
  const D3DXMATRIX& p = camera.projection().m;
  EXPECT_NEAR(p._11, 0.5f, 1e-5f);
  EXPECT_NEAR(p._22, 1.0f, 1e-5f);
  D3DXVECTOR3 atNear(10, 0.5f, 0);
  D3DXVec3TransformCoord(&out, &atNear, &view_.viewProjectionMatrix().m);
  EXPECT_NEAR(out.z, 0.0f, 1e-5f);
}

} // namespace
