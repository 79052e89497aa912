// The decomposition of a file's NodeTM and the transforms nodes are posed with.
#include <gtest/gtest.h>

#include "engine/scene/NodeTransform.h"

namespace engine {
namespace {

void expectMatrixNear(const D3DXMATRIX& actual, const D3DXMATRIX& expected, float tolerance = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(actual.m[r][c], expected.m[r][c], tolerance) << "at " << r << "," << c;
}

D3DXMATRIX posed(float angle, float sx, float sy, float sz, float x, float y, float z) {
  D3DXMATRIX s, r, t;
  D3DXMatrixScaling(&s, sx, sy, sz);
  D3DXMatrixRotationYawPitchRoll(&r, angle, angle / 2, angle / 3);
  D3DXMatrixTranslation(&t, x, y, z);
  return s * r * t;
}

TEST(NodeTransformTest, ACleanFrameIsDecomposedAndRebuildsItsMatrix) {
  const D3DXMATRIX m = posed(0.7f, 2.0f, 3.0f, 0.5f, 10.0f, -4.0f, 2.5f);
  auto transform = NodeTransform::fromNodeTM(m);
  ASSERT_TRUE(transform->isDecomposed());
  EXPECT_NEAR(transform->frame().scale.x, 2.0f, 1e-5f);
  EXPECT_NEAR(transform->frame().scale.y, 3.0f, 1e-5f);
  EXPECT_NEAR(transform->frame().scale.z, 0.5f, 1e-5f);
  EXPECT_EQ(transform->frame().position, D3DXVECTOR3(10.0f, -4.0f, 2.5f));
  expectMatrixNear(transform->localMatrix().m, m);
}

TEST(NodeTransformTest, AMirroredFrameHasANegativeXScaleAndKeepsItsPose) {
  D3DXMATRIX m = posed(0.4f, 1.5f, 1.0f, 1.0f, 1.0f, 2.0f, 3.0f);
  for (int c = 0; c < 3; ++c)
    m.m[0][c] = -m.m[0][c];
  auto transform = NodeTransform::fromNodeTM(m);
  ASSERT_TRUE(transform->isDecomposed());
  EXPECT_NEAR(transform->frame().scale.x, -1.5f, 1e-5f);
  // The rotation stays proper: X = Y x Z.
  D3DXVECTOR3 c;
  D3DXVec3Cross(&c, &transform->frame().axes[1], &transform->frame().axes[2]);
  EXPECT_NEAR(D3DXVec3Dot(&c, &transform->frame().axes[0]), 1.0f, 1e-5f);
  expectMatrixNear(transform->localMatrix().m, m);
}

TEST(NodeTransformTest, DegenerateOrSkewedMatricesAreKeptWhole) {
  D3DXMATRIX zeroRow = posed(0.3f, 1, 1, 1, 5, 6, 7);
  for (int c = 0; c < 3; ++c)
    zeroRow.m[1][c] = 0.0f;
  D3DXMATRIX collapsed;
  D3DXMatrixScaling(&collapsed, 0.001f, 0.002f, 0.003f);
  D3DXMATRIX skewedZY;
  D3DXMatrixIdentity(&skewedZY);
  skewedZY._32 = 0.5f; // Z leans towards Y
  D3DXMATRIX skewedXY;
  D3DXMatrixIdentity(&skewedXY);
  skewedXY._12 = 0.2f; // X leans towards Y: dot of the normalised rows about 0.196
  for (const D3DXMATRIX& m : {zeroRow, collapsed, skewedZY, skewedXY}) {
    auto transform = NodeTransform::fromNodeTM(m);
    EXPECT_FALSE(transform->isDecomposed());
    expectMatrixNear(transform->localMatrix().m, m);
  }
  // A slight lean within 0.1 still decomposes.
  D3DXMATRIX slight;
  D3DXMatrixIdentity(&slight);
  slight._32 = 0.05f;
  EXPECT_TRUE(NodeTransform::fromNodeTM(slight)->isDecomposed());
}

TEST(NodeTransformTest, SettersChangeOneChannel) {
  auto transform = NodeTransform::fromNodeTM(posed(0.0f, 1, 1, 1, 1, 2, 3));
  transform->setPosition(D3DXVECTOR3(7, 8, 9));
  transform->setScale(D3DXVECTOR3(2, 2, 2));
  const Matrix m = transform->localMatrix();
  EXPECT_EQ(m.m._41, 7.0f);
  EXPECT_EQ(m.m._11, 2.0f);
  // A general transform starts from the identity frame when it cannot be decomposed.
  D3DXMATRIX skewed;
  D3DXMatrixIdentity(&skewed);
  skewed._32 = 0.5f;
  auto general = NodeTransform::general(skewed);
  general->setPosition(D3DXVECTOR3(1, 1, 1));
  ASSERT_TRUE(general->isDecomposed());
  EXPECT_EQ(general->localMatrix().m._32, 0.0f);
}

TEST(NodeTransformTest, RotationKeyTransformFollowsItsOwnersQuaternion) {
  AnimationKey key = AnimationKey::rotation(0.0f, D3DXQUATERNION(0, 0, 0, 1));
  RotationKeyTransform transform(&key);
  const Matrix rest = transform.localMatrix();
  EXPECT_TRUE(D3DXMatrixIsIdentity(&rest.m));
  const D3DXVECTOR3 y(0, 1, 0);
  D3DXQUATERNION q;
  D3DXQuaternionRotationAxis(&q, &y, D3DX_PI / 2);
  key = AnimationKey::rotation(0.0f, q);
  // A quarter turn about the parent's Y takes +Z (twelve o'clock) to +X (three o'clock).
  D3DXVECTOR3 tip(0, 0, 1), out;
  const Matrix m = transform.localMatrix();
  D3DXVec3TransformCoord(&out, &tip, &m.m);
  EXPECT_NEAR(out.x, 1.0f, 1e-6f);
  EXPECT_NEAR(out.z, 0.0f, 1e-6f);
}

} // namespace
} // namespace engine
