#include "engine/core/Matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace engine;

namespace {

// A random matrix whose values have the form its kind promises.
Matrix randomOfKind(MatrixKind kind, std::mt19937& rng) {
  std::uniform_real_distribution<float> value(-3.0f, 3.0f);
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  auto fill3x3 = [&] {
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c)
        m.m[r][c] = value(rng);
  };
  auto fillDiagonal = [&] {
    for (int i = 0; i < 3; ++i)
      m.m[i][i] = value(rng);
  };
  auto fillTranslation = [&] {
    for (int c = 0; c < 3; ++c)
      m.m[3][c] = value(rng);
  };
  switch (kind) {
  case MatrixKind::General:
    for (auto& row : m.m)
      for (float& x : row)
        x = value(rng);
    break;
  case MatrixKind::Identity:
    break;
  case MatrixKind::Translation:
    fillTranslation();
    break;
  case MatrixKind::Scaling:
    fillDiagonal();
    break;
  case MatrixKind::Linear:
    fill3x3();
    break;
  case MatrixKind::Affine:
    fill3x3();
    fillTranslation();
    break;
  case MatrixKind::ScaleTranslate:
    fillDiagonal();
    fillTranslation();
    break;
  case MatrixKind::Rotation: {
    D3DXVECTOR3 axis(value(rng), value(rng), value(rng) + 4.0f);
    D3DXMatrixRotationAxis(&m, &axis, value(rng));
    break;
  }
  }
  return Matrix(m, kind);
}

bool satisfies(MatrixKind kind, const D3DXMATRIX& m) {
  if (kind == MatrixKind::General) return true;
  const MatrixKind actual = Matrix::classify(m);
  switch (kind) {
  case MatrixKind::Identity:
    return actual == MatrixKind::Identity;
  case MatrixKind::Translation:
    return actual == MatrixKind::Identity || actual == MatrixKind::Translation;
  case MatrixKind::Scaling:
    return actual == MatrixKind::Identity || actual == MatrixKind::Scaling;
  case MatrixKind::ScaleTranslate:
    return actual == MatrixKind::Identity || actual == MatrixKind::Scaling || actual == MatrixKind::Translation ||
           actual == MatrixKind::ScaleTranslate;
  case MatrixKind::Linear:
  case MatrixKind::Rotation:
    return actual != MatrixKind::General && m._41 == 0 && m._42 == 0 && m._43 == 0;
  case MatrixKind::Affine:
    return actual != MatrixKind::General;
  default:
    return false;
  }
}

} // namespace

TEST(Matrix, EveryKindPairEqualsTheGeneralProduct) {
  std::mt19937 rng(1234);
  for (int a = 0; a < kMatrixKinds; ++a) {
    for (int b = 0; b < kMatrixKinds; ++b) {
      for (int trial = 0; trial < 20; ++trial) {
        const Matrix left = randomOfKind(static_cast<MatrixKind>(a), rng);
        const Matrix right = randomOfKind(static_cast<MatrixKind>(b), rng);
        D3DXMATRIX expected;
        D3DXMatrixMultiply(&expected, &left.m, &right.m);
        const Matrix product = left * right;
        for (int r = 0; r < 4; ++r)
          for (int c = 0; c < 4; ++c)
            ASSERT_EQ(product.m.m[r][c], expected.m[r][c]) << "kinds " << a << "x" << b << " at " << r << c;
        EXPECT_TRUE(satisfies(product.kind, product.m)) << "kinds " << a << "x" << b;
      }
    }
  }
}

TEST(Matrix, ProductMayAliasItsOperands) {
  std::mt19937 rng(7);
  Matrix a = randomOfKind(MatrixKind::Affine, rng);
  const Matrix b = randomOfKind(MatrixKind::General, rng);
  const Matrix expected = a * b;
  multiply(a, a, b);
  EXPECT_EQ(a, expected);
  Matrix c = randomOfKind(MatrixKind::Translation, rng);
  const Matrix twice = c * c;
  multiply(c, c, c);
  EXPECT_EQ(c, twice);
  EXPECT_EQ(c.kind, MatrixKind::Translation);
}

TEST(Matrix, ClassifyAndSharedIdentity) {
  EXPECT_EQ(Matrix::identity().kind, MatrixKind::Identity);
  EXPECT_TRUE(D3DXMatrixIsIdentity(&Matrix::identity().m));
  EXPECT_EQ(Matrix::classify(Matrix::translation(1, 2, 3).m), MatrixKind::Translation);
  EXPECT_EQ(Matrix::classify(Matrix::scaling(2, 2, 2).m), MatrixKind::Scaling);
  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 1.0f, 100.0f);
  EXPECT_EQ(Matrix::classify(projection), MatrixKind::General);
  D3DXMATRIX rotated;
  D3DXMatrixRotationZ(&rotated, 0.5f);
  rotated._42 = 4;
  EXPECT_EQ(Matrix::classify(rotated), MatrixKind::Affine);
  rotated._42 = 0;
  EXPECT_EQ(Matrix::classify(rotated), MatrixKind::Linear);
}
