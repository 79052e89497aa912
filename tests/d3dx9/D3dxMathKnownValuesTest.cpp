// D3DX math against values worked out by hand.
#include "platform/d3dx9/d3dx9math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void expectMatrix(const D3DXMATRIX& m, const float (&expected)[16], float tolerance = 1e-6f) {
  for (int i = 0; i < 16; ++i)
    EXPECT_NEAR(m.m[i / 4][i % 4], expected[i], tolerance) << "element " << i;
}

TEST(D3dxMathKnownValues, LookAtFromAboveLookingDown) {
  // Eye at (0, 10, 0) looking at the origin with +z as up: x stays x, the view's y is the
  // world's z, the view's z points down the world's -y; the eye is 10 units away.
  D3DXVECTOR3 eye(0, 10, 0), at(0, 0, 0), up(0, 0, 1);
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  const float expected[16] = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 10, 1};
  expectMatrix(view, expected);
}

TEST(D3dxMathKnownValues, TranslationAfterScalingAndItsInverse) {
  D3DXMATRIX s, t, st, inverse;
  D3DXMatrixScaling(&s, 2, 4, 8);
  D3DXMatrixTranslation(&t, 1, 2, 3);
  D3DXMatrixMultiply(&st, &s, &t); // scale first, then move
  const float expected[16] = {2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 1, 2, 3, 1};
  expectMatrix(st, expected);
  float det = 0;
  ASSERT_NE(D3DXMatrixInverse(&inverse, &det, &st), nullptr);
  EXPECT_FLOAT_EQ(det, 64.0f);
  const float inverted[16] = {0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -0.5f, -0.5f, -0.375f, 1};
  expectMatrix(inverse, inverted);
  D3DXVECTOR3 p(1, 1, 1), out;
  D3DXVec3TransformCoord(&out, &p, &st);
  EXPECT_EQ(out, D3DXVECTOR3(3, 6, 11));
}

TEST(D3dxMathKnownValues, QuarterTurnAboutYAsQuaternionAndMatrix) {
  D3DXVECTOR3 y(0, 2, 0); // not normalised on purpose
  D3DXQUATERNION q;
  D3DXQuaternionRotationAxis(&q, &y, D3DX_PI / 2);
  const float h = std::sqrt(0.5f);
  EXPECT_NEAR(q.x, 0, 1e-7f);
  EXPECT_NEAR(q.y, h, 1e-6f);
  EXPECT_NEAR(q.z, 0, 1e-7f);
  EXPECT_NEAR(q.w, h, 1e-6f);
  D3DXMATRIX m;
  D3DXMatrixRotationQuaternion(&m, &q);
  const float expected[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  expectMatrix(m, expected, 1e-6f);
  // Left-handed: +x turns to -z when seen from +y.
  D3DXVECTOR3 x(1, 0, 0), turned;
  D3DXVec3TransformCoord(&turned, &x, &m);
  EXPECT_NEAR(turned.z, -1, 1e-6f);
  // Halfway between no turn and this one is an eighth turn.
  D3DXQUATERNION identity(0, 0, 0, 1), half;
  D3DXQuaternionSlerp(&half, &identity, &q, 0.5f);
  EXPECT_NEAR(half.y, std::sin(D3DX_PI / 8), 1e-6f);
  EXPECT_NEAR(half.w, std::cos(D3DX_PI / 8), 1e-6f);
}

TEST(D3dxMathKnownValues, PerspectiveDividesByViewDepth) {
  D3DXMATRIX p;
  D3DXMatrixPerspectiveFovLH(&p, D3DX_PI / 2, 2.0f, 1.0f, 11.0f);
  EXPECT_FLOAT_EQ(p._11, 0.5f); // yScale 1 over aspect 2
  EXPECT_FLOAT_EQ(p._33, 1.1f);
  EXPECT_FLOAT_EQ(p._43, -1.1f);
  D3DXVECTOR3 v(2, 1, 6), out;
  D3DXVec3TransformCoord(&out, &v, &p);
  EXPECT_FLOAT_EQ(out.x, 1.0f / 6.0f);
  EXPECT_FLOAT_EQ(out.y, 1.0f / 6.0f);
  EXPECT_NEAR(out.z, (6 * 1.1f - 1.1f) / 6, 1e-6f);
}

} // namespace
