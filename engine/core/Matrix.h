// The engine's 4x4 matrix: D3DX's row-vector layout (row 3 is the translation) plus a kind
// tag that lets products of special forms skip work. Every product gives the same result
// as the general 4x4 product; the kinds only choose how much of it to compute.
#pragma once

#include <cstdint>

#include "platform/d3dx9/d3dx9math.h"

namespace engine {

enum class MatrixKind : std::uint32_t {
  General = 0,        // anything
  Identity = 1,       // exactly the identity
  Translation = 2,    // identity 3x3, any row 3 translation
  Scaling = 3,        // diagonal 3x3, no translation
  Linear = 4,         // any 3x3, no translation, last column (0, 0, 0, 1)
  Affine = 5,         // any 3x3 and translation, last column (0, 0, 0, 1)
  ScaleTranslate = 6, // diagonal 3x3 and translation
  Rotation = 7,       // orthonormal 3x3, no translation (a linear matrix known to be a rotation)
};
constexpr int kMatrixKinds = 8;

struct Matrix {
  D3DXMATRIX m;
  MatrixKind kind = MatrixKind::General;

  Matrix() {
    D3DXMatrixIdentity(&m);
    kind = MatrixKind::Identity;
  }
  explicit Matrix(const D3DXMATRIX& value, MatrixKind k = MatrixKind::General) : m(value), kind(k) {}

  static const Matrix& identity();
  static Matrix translation(float x, float y, float z);
  static Matrix scaling(float sx, float sy, float sz);

  // The tightest kind that describes the current values (for data read from files).
  static MatrixKind classify(const D3DXMATRIX& value);

  Matrix operator*(const Matrix& other) const;
  bool operator==(const Matrix& other) const { return m == other.m; }
};

// out = a * b through the product table; `out` may alias either operand.
void multiply(Matrix& out, const Matrix& a, const Matrix& b);
// The kind of a product of two kinds.
MatrixKind productKind(MatrixKind a, MatrixKind b);

} // namespace engine
