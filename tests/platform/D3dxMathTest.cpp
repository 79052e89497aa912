#include "platform/d3dx9/d3dx9math.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
void expectNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tolerance = 1e-5f) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      EXPECT_NEAR(a.m[r][c], b.m[r][c], tolerance) << r << c;
}
} // namespace

TEST(D3dxMath, PerspectiveMapsNearAndFarToZeroAndOne) {
  D3DXMATRIX p;
  D3DXMatrixPerspectiveFovLH(&p, D3DX_PI / 2, 1.0f, 1.0f, 101.0f);
  EXPECT_NEAR(p._11, 1.0f, 1e-6f);
  EXPECT_NEAR(p._22, 1.0f, 1e-6f);
  EXPECT_FLOAT_EQ(p._33, 1.01f);
  EXPECT_FLOAT_EQ(p._34, 1.0f);
  EXPECT_FLOAT_EQ(p._43, -1.01f);
  D3DXVECTOR3 nearPoint(0, 0, 1), farPoint(0, 0, 101), out;
  D3DXVec3TransformCoord(&out, &nearPoint, &p);
  EXPECT_NEAR(out.z, 0.0f, 1e-6f);
  D3DXVec3TransformCoord(&out, &farPoint, &p);
  EXPECT_NEAR(out.z, 1.0f, 1e-6f);
}

TEST(D3dxMath, RotationsTurnClockwiseLookingDownTheAxis) {
  D3DXMATRIX rz;
  D3DXMatrixRotationZ(&rz, D3DX_PI / 2);
  D3DXVECTOR3 x(1, 0, 0), out;
  D3DXVec3TransformCoord(&out, &x, &rz);
  EXPECT_NEAR(out.x, 0.0f, 1e-6f);
  EXPECT_NEAR(out.y, 1.0f, 1e-6f);
  // The quaternion route gives the same matrix as the axis-angle route.
  D3DXVECTOR3 axis(1, 2, 3);
  D3DXQUATERNION q;
  D3DXQuaternionRotationAxis(&q, &axis, 0.7f);
  D3DXMATRIX fromQ, fromAxis;
  D3DXMatrixRotationQuaternion(&fromQ, &q);
  D3DXMatrixRotationAxis(&fromAxis, &axis, 0.7f);
  expectNear(fromQ, fromAxis);
  D3DXQUATERNION back;
  D3DXQuaternionRotationMatrix(&back, &fromQ);
  EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&back, &q)), 1.0f, 1e-5f);
  // Yaw-pitch-roll is Z * X * Y.
  D3DXMATRIX ypr, y, xr, z;
  D3DXMatrixRotationYawPitchRoll(&ypr, 0.3f, 0.2f, 0.1f);
  D3DXMatrixRotationY(&y, 0.3f);
  D3DXMatrixRotationX(&xr, 0.2f);
  D3DXMatrixRotationZ(&z, 0.1f);
  expectNear(ypr, z * xr * y);
}

TEST(D3dxMath, QuaternionProductAppliesTheFirstRotationFirst) {
  D3DXVECTOR3 zAxis(0, 0, 1), xAxis(1, 0, 0);
  D3DXQUATERNION a, b, ab;
  D3DXQuaternionRotationAxis(&a, &zAxis, 0.4f);
  D3DXQuaternionRotationAxis(&b, &xAxis, 1.1f);
  D3DXQuaternionMultiply(&ab, &a, &b);
  D3DXMATRIX ma, mb, mab;
  D3DXMatrixRotationQuaternion(&ma, &a);
  D3DXMatrixRotationQuaternion(&mb, &b);
  D3DXMatrixRotationQuaternion(&mab, &ab);
  expectNear(mab, ma * mb);
}

TEST(D3dxMath, SlerpTakesTheShortPath) {
  D3DXVECTOR3 axis(0, 1, 0);
  D3DXQUATERNION q1, q2, out;
  D3DXQuaternionRotationAxis(&q1, &axis, 0.5f);
  const D3DXQUATERNION negated = -q1;
  for (float t : {0.0f, 0.3f, 1.0f}) {
    D3DXQuaternionSlerp(&out, &q1, &negated, t);
    EXPECT_NEAR(std::fabs(D3DXQuaternionDot(&out, &q1)), 1.0f, 1e-5f) << t;
  }
  D3DXQuaternionRotationAxis(&q2, &axis, 1.5f);
  D3DXQuaternionSlerp(&out, &q1, &q2, 0.0f);
  EXPECT_EQ(out, q1);
  D3DXQuaternionSlerp(&out, &q1, &q2, 0.5f);
  D3DXQUATERNION half;
  D3DXQuaternionRotationAxis(&half, &axis, 1.0f);
  EXPECT_NEAR(out.y, half.y, 1e-6f);
  EXPECT_NEAR(out.w, half.w, 1e-6f);
}

TEST(D3dxMath, InverseAndLookAt) {
  D3DXMATRIX singular;
  D3DXMatrixScaling(&singular, 1, 0, 1);
  D3DXMATRIX out;
  D3DXMatrixIdentity(&out);
  out._12 = 42;
  EXPECT_EQ(D3DXMatrixInverse(&out, nullptr, &singular), nullptr);
  EXPECT_EQ(out._12, 42.0f); // untouched

  D3DXMATRIX m, inv, product, identity;
  D3DXVECTOR3 axis(0.3f, -1, 0.2f);
  D3DXMatrixRotationAxis(&m, &axis, 0.9f);
  m._41 = 5;
  m._42 = -2;
  m._11 *= 2;
  float det = 0;
  ASSERT_NE(D3DXMatrixInverse(&inv, &det, &m), nullptr);
  EXPECT_NEAR(det, D3DXMatrixDeterminant(&m), 1e-5f);
  D3DXMatrixMultiply(&product, &m, &inv);
  expectNear(product, *D3DXMatrixIdentity(&identity));

  D3DXVECTOR3 eye(-200, 100, 0), at(0, 100, 0), up(0, 0, 1), target(10, 100, 0), view;
  D3DXMATRIX lookAt;
  D3DXMatrixLookAtLH(&lookAt, &eye, &at, &up);
  D3DXVec3TransformCoord(&view, &target, &lookAt);
  EXPECT_NEAR(view.x, 0, 1e-4f);
  EXPECT_NEAR(view.y, 0, 1e-4f);
  EXPECT_NEAR(view.z, 210, 1e-3f);
}
