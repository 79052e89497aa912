#include "engine/core/Matrix.h"

#include <array>
#include <cstddef>

namespace engine {
namespace {

using Product = void (*)(D3DXMATRIX&, const D3DXMATRIX&, const D3DXMATRIX&);

void general(D3DXMATRIX& r, const D3DXMATRIX& a, const D3DXMATRIX& b) { D3DXMatrixMultiply(&r, &a, &b); }

void copyRight(D3DXMATRIX& r, const D3DXMATRIX&, const D3DXMATRIX& b) { r = b; }
void copyLeft(D3DXMATRIX& r, const D3DXMATRIX& a, const D3DXMATRIX&) { r = a; }

// Both operands have the last column (0, 0, 0, 1): the product keeps it, and every sum in
// the general product drops exact zero terms, so the values are the same.
void affine(D3DXMATRIX& r, const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX out;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      out.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j];
  for (int j = 0; j < 3; ++j)
    out.m[3][j] = a.m[3][0] * b.m[0][j] + a.m[3][1] * b.m[1][j] + a.m[3][2] * b.m[2][j] + b.m[3][j];
  out._14 = out._24 = out._34 = 0.0f;
  out._44 = 1.0f;
  r = out;
}

// Anything affine times a translation (including two translations): only row 3 changes.
void thenTranslate(D3DXMATRIX& r, const D3DXMATRIX& a, const D3DXMATRIX& b) {
  D3DXMATRIX out = a;
  out._41 = a._41 + b._41;
  out._42 = a._42 + b._42;
  out._43 = a._43 + b._43;
  r = out;
}

bool isAffineKind(MatrixKind k) { return k != MatrixKind::General; }

Product pick(MatrixKind a, MatrixKind b) {
  if (b == MatrixKind::Identity) return copyLeft;
  if (a == MatrixKind::Identity) return copyRight;
  if (isAffineKind(a) && b == MatrixKind::Translation) return thenTranslate;
  if (isAffineKind(a) && isAffineKind(b)) return affine;
  return general;
}

std::array<Product, kMatrixKinds * kMatrixKinds> buildTable() {
  std::array<Product, kMatrixKinds * kMatrixKinds> table{};
  for (int a = 0; a < kMatrixKinds; ++a)
    for (int b = 0; b < kMatrixKinds; ++b)
      table[static_cast<std::size_t>(a * kMatrixKinds + b)] =
          pick(static_cast<MatrixKind>(a), static_cast<MatrixKind>(b));
  return table;
}

const std::array<Product, kMatrixKinds* kMatrixKinds> kProducts = buildTable();

bool hasTranslation(MatrixKind k) {
  return k == MatrixKind::Translation || k == MatrixKind::Affine || k == MatrixKind::ScaleTranslate;
}
bool diagonal3x3(MatrixKind k) {
  return k == MatrixKind::Identity || k == MatrixKind::Translation || k == MatrixKind::Scaling ||
         k == MatrixKind::ScaleTranslate;
}

} // namespace

const Matrix& Matrix::identity() {
  static const Matrix kIdentity;
  return kIdentity;
}

Matrix Matrix::translation(float x, float y, float z) {
  D3DXMATRIX t;
  D3DXMatrixTranslation(&t, x, y, z);
  return Matrix(t, MatrixKind::Translation);
}

Matrix Matrix::scaling(float sx, float sy, float sz) {
  D3DXMATRIX s;
  D3DXMatrixScaling(&s, sx, sy, sz);
  return Matrix(s, MatrixKind::Scaling);
}

MatrixKind Matrix::classify(const D3DXMATRIX& v) {
  if (v._14 != 0.0f || v._24 != 0.0f || v._34 != 0.0f || v._44 != 1.0f) return MatrixKind::General;
  const bool translated = v._41 != 0.0f || v._42 != 0.0f || v._43 != 0.0f;
  const bool diagonal =
      v._12 == 0.0f && v._13 == 0.0f && v._21 == 0.0f && v._23 == 0.0f && v._31 == 0.0f && v._32 == 0.0f;
  const bool unit = v._11 == 1.0f && v._22 == 1.0f && v._33 == 1.0f;
  if (diagonal && unit) return translated ? MatrixKind::Translation : MatrixKind::Identity;
  if (diagonal) return translated ? MatrixKind::ScaleTranslate : MatrixKind::Scaling;
  return translated ? MatrixKind::Affine : MatrixKind::Linear;
}

MatrixKind productKind(MatrixKind a, MatrixKind b) {
  if (a == MatrixKind::General || b == MatrixKind::General) return MatrixKind::General;
  if (a == MatrixKind::Identity) return b;
  if (b == MatrixKind::Identity) return a;
  if (a == MatrixKind::Rotation && b == MatrixKind::Rotation) return MatrixKind::Rotation;
  const bool translated = hasTranslation(a) || hasTranslation(b);
  if (diagonal3x3(a) && diagonal3x3(b)) {
    const bool unit = (a == MatrixKind::Translation) && (b == MatrixKind::Translation);
    if (unit) return MatrixKind::Translation;
    return translated ? MatrixKind::ScaleTranslate : MatrixKind::Scaling;
  }
  return translated ? MatrixKind::Affine : MatrixKind::Linear;
}

void multiply(Matrix& out, const Matrix& a, const Matrix& b) {
  const MatrixKind kind = productKind(a.kind, b.kind);
  kProducts[static_cast<std::size_t>(a.kind) * kMatrixKinds + static_cast<std::size_t>(b.kind)](out.m, a.m, b.m);
  out.kind = kind;
}

Matrix Matrix::operator*(const Matrix& other) const {
  Matrix out;
  multiply(out, *this, other);
  return out;
}

} // namespace engine
