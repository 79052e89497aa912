#include "platform/d3dx9/d3dx9math.h"

#include <cmath>

D3DXMATRIX::D3DXMATRIX(float m11, float m12, float m13, float m14, float m21, float m22, float m23, float m24,
                       float m31, float m32, float m33, float m34, float m41, float m42, float m43, float m44)
    : D3DMATRIX{} {
  const float v[16] = {m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44};
  for (int i = 0; i < 16; ++i)
    m[i / 4][i % 4] = v[i];
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& o) const {
  D3DXMATRIX out;
  D3DXMatrixMultiply(&out, this, &o);
  return out;
}

bool D3DXMATRIX::operator==(const D3DXMATRIX& o) const {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m[r][c] != o.m[r][c]) return false;
  return true;
}

float D3DXVec3Dot(const D3DXVECTOR3* a, const D3DXVECTOR3* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }

D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b) {
  const D3DXVECTOR3 r(a->y * b->z - a->z * b->y, a->z * b->x - a->x * b->z, a->x * b->y - a->y * b->x);
  *out = r;
  return out;
}

float D3DXVec3LengthSq(const D3DXVECTOR3* v) { return D3DXVec3Dot(v, v); }
float D3DXVec3Length(const D3DXVECTOR3* v) { return std::sqrt(D3DXVec3LengthSq(v)); }

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v) {
  const float length = D3DXVec3Length(v);
  if (length == 0.0f) {
    *out = D3DXVECTOR3(0, 0, 0);
  } else {
    *out = D3DXVECTOR3(v->x / length, v->y / length, v->z / length);
  }
  return out;
}

D3DXVECTOR3* D3DXVec3Lerp(D3DXVECTOR3* out, const D3DXVECTOR3* a, const D3DXVECTOR3* b, float t) {
  *out = D3DXVECTOR3(a->x + t * (b->x - a->x), a->y + t * (b->y - a->y), a->z + t * (b->z - a->z));
  return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  const D3DXVECTOR4 r(
      v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + m->_41, v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + m->_42,
      v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + m->_43, v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + m->_44);
  *out = r;
  return out;
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  D3DXVECTOR4 r;
  D3DXVec3Transform(&r, v, m);
  // A point on the eye plane has no projection; answer the origin rather than infinities.
  if (r.w == 0.0f) {
    *out = D3DXVECTOR3(0, 0, 0);
  } else {
    *out = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
  }
  return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m) {
  const D3DXVECTOR3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31, v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                      v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
  *out = r;
  return out;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m) {
  const D3DXVECTOR4 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + v->w * m->_41,
                      v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + v->w * m->_42,
                      v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + v->w * m->_43,
                      v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + v->w * m->_44);
  *out = r;
  return out;
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  *out = D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

bool D3DXMatrixIsIdentity(const D3DXMATRIX* m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c)
      if (m->m[r][c] != (r == c ? 1.0f : 0.0f)) return false;
  return true;
}

D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* out, const D3DXMATRIX* a, const D3DXMATRIX* b) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] + a->m[i][3] * b->m[3][j];
  *out = r;
  return out;
}

D3DXMATRIX* D3DXMatrixTranspose(D3DXMATRIX* out, const D3DXMATRIX* m) {
  D3DXMATRIX r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j)
      r.m[i][j] = m->m[j][i];
  *out = r;
  return out;
}

namespace {

// Cofactor expansion through the 2x2 minors of the lower two rows; also yields the adjugate.
struct Minors {
  float s[6];
  float c[6];
  explicit Minors(const D3DXMATRIX& a) {
    s[0] = a._11 * a._22 - a._21 * a._12;
    s[1] = a._11 * a._23 - a._21 * a._13;
    s[2] = a._11 * a._24 - a._21 * a._14;
    s[3] = a._12 * a._23 - a._22 * a._13;
    s[4] = a._12 * a._24 - a._22 * a._14;
    s[5] = a._13 * a._24 - a._23 * a._14;
    c[5] = a._33 * a._44 - a._43 * a._34;
    c[4] = a._32 * a._44 - a._42 * a._34;
    c[3] = a._32 * a._43 - a._42 * a._33;
    c[2] = a._31 * a._44 - a._41 * a._34;
    c[1] = a._31 * a._43 - a._41 * a._33;
    c[0] = a._31 * a._42 - a._41 * a._32;
  }
  float determinant() const {
    return s[0] * c[5] - s[1] * c[4] + s[2] * c[3] + s[3] * c[2] - s[4] * c[1] + s[5] * c[0];
  }
};

} // namespace

float D3DXMatrixDeterminant(const D3DXMATRIX* m) { return Minors(*m).determinant(); }

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m) {
  const D3DXMATRIX& a = *m;
  const Minors k(a);
  const float det = k.determinant();
  if (det == 0.0f || !std::isfinite(det)) return nullptr;
  const float inv = 1.0f / det;
  const float* s = k.s;
  const float* c = k.c;
  D3DXMATRIX r;
  r._11 = (a._22 * c[5] - a._23 * c[4] + a._24 * c[3]) * inv;
  r._12 = (-a._12 * c[5] + a._13 * c[4] - a._14 * c[3]) * inv;
  r._13 = (a._42 * s[5] - a._43 * s[4] + a._44 * s[3]) * inv;
  r._14 = (-a._32 * s[5] + a._33 * s[4] - a._34 * s[3]) * inv;
  r._21 = (-a._21 * c[5] + a._23 * c[2] - a._24 * c[1]) * inv;
  r._22 = (a._11 * c[5] - a._13 * c[2] + a._14 * c[1]) * inv;
  r._23 = (-a._41 * s[5] + a._43 * s[2] - a._44 * s[1]) * inv;
  r._24 = (a._31 * s[5] - a._33 * s[2] + a._34 * s[1]) * inv;
  r._31 = (a._21 * c[4] - a._22 * c[2] + a._24 * c[0]) * inv;
  r._32 = (-a._11 * c[4] + a._12 * c[2] - a._14 * c[0]) * inv;
  r._33 = (a._41 * s[4] - a._42 * s[2] + a._44 * s[0]) * inv;
  r._34 = (-a._31 * s[4] + a._32 * s[2] - a._34 * s[0]) * inv;
  r._41 = (-a._21 * c[3] + a._22 * c[1] - a._23 * c[0]) * inv;
  r._42 = (a._11 * c[3] - a._12 * c[1] + a._13 * c[0]) * inv;
  r._43 = (-a._41 * s[3] + a._42 * s[1] - a._43 * s[0]) * inv;
  r._44 = (a._31 * s[3] - a._32 * s[1] + a._33 * s[0]) * inv;
  if (determinant) *determinant = det;
  *out = r;
  return out;
}

D3DXMATRIX* D3DXMatrixTranslation(D3DXMATRIX* out, float x, float y, float z) {
  D3DXMatrixIdentity(out);
  out->_41 = x;
  out->_42 = y;
  out->_43 = z;
  return out;
}

D3DXMATRIX* D3DXMatrixScaling(D3DXMATRIX* out, float sx, float sy, float sz) {
  *out = D3DXMATRIX(sx, 0, 0, 0, 0, sy, 0, 0, 0, 0, sz, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationX(D3DXMATRIX* out, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationY(D3DXMATRIX* out, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationZ(D3DXMATRIX* out, float angle) {
  const float c = std::cos(angle), s = std::sin(angle);
  *out = D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationAxis(D3DXMATRIX* out, const D3DXVECTOR3* axis, float angle) {
  D3DXQUATERNION q;
  D3DXQuaternionRotationAxis(&q, axis, angle);
  return D3DXMatrixRotationQuaternion(out, &q);
}

D3DXMATRIX* D3DXMatrixRotationQuaternion(D3DXMATRIX* out, const D3DXQUATERNION* q) {
  const float x = q->x, y = q->y, z = q->z, w = q->w;
  *out = D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0, //
                    2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0, //
                    2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0, //
                    0, 0, 0, 1);
  return out;
}

D3DXMATRIX* D3DXMatrixRotationYawPitchRoll(D3DXMATRIX* out, float yaw, float pitch, float roll) {
  D3DXMATRIX z, x, y;
  D3DXMatrixRotationZ(&z, roll);
  D3DXMatrixRotationX(&x, pitch);
  D3DXMatrixRotationY(&y, yaw);
  *out = z * x * y;
  return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zn, float zf) {
  const float yScale = 1.0f / std::tan(fovY / 2);
  const float xScale = yScale / aspect;
  *out = D3DXMATRIX(xScale, 0, 0, 0, 0, yScale, 0, 0, 0, 0, zf / (zf - zn), 1, 0, 0, -zn * zf / (zf - zn), 0);
  return out;
}

D3DXMATRIX* D3DXMatrixOrthoLH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
  *out = D3DXMATRIX(2 / w, 0, 0, 0, 0, 2 / h, 0, 0, 0, 0, 1 / (zf - zn), 0, 0, 0, zn / (zn - zf), 1);
  return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterLH(D3DXMATRIX* out, float l, float r, float b, float t, float zn, float zf) {
  *out = D3DXMATRIX(2 / (r - l), 0, 0, 0, 0, 2 / (t - b), 0, 0, 0, 0, 1 / (zf - zn), 0, (l + r) / (l - r),
                    (t + b) / (b - t), zn / (zn - zf), 1);
  return out;
}

D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* out, const D3DXVECTOR3* eye, const D3DXVECTOR3* at, const D3DXVECTOR3* up) {
  D3DXVECTOR3 zAxis = *at - *eye;
  D3DXVec3Normalize(&zAxis, &zAxis);
  D3DXVECTOR3 xAxis;
  D3DXVec3Cross(&xAxis, up, &zAxis);
  D3DXVec3Normalize(&xAxis, &xAxis);
  D3DXVECTOR3 yAxis;
  D3DXVec3Cross(&yAxis, &zAxis, &xAxis);
  *out = D3DXMATRIX(xAxis.x, yAxis.x, zAxis.x, 0, xAxis.y, yAxis.y, zAxis.y, 0, xAxis.z, yAxis.z, zAxis.z, 0,
                    -D3DXVec3Dot(&xAxis, eye), -D3DXVec3Dot(&yAxis, eye), -D3DXVec3Dot(&zAxis, eye), 1);
  return out;
}

D3DXQUATERNION* D3DXQuaternionIdentity(D3DXQUATERNION* out) {
  *out = D3DXQUATERNION(0, 0, 0, 1);
  return out;
}

float D3DXQuaternionDot(const D3DXQUATERNION* a, const D3DXQUATERNION* b) {
  return a->x * b->x + a->y * b->y + a->z * b->z + a->w * b->w;
}

float D3DXQuaternionLength(const D3DXQUATERNION* q) { return std::sqrt(D3DXQuaternionDot(q, q)); }

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  const float length = D3DXQuaternionLength(q);
  if (length == 0.0f) {
    *out = D3DXQUATERNION(0, 0, 0, 0);
  } else {
    *out = D3DXQUATERNION(q->x / length, q->y / length, q->z / length, q->w / length);
  }
  return out;
}

D3DXQUATERNION* D3DXQuaternionConjugate(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  *out = D3DXQUATERNION(-q->x, -q->y, -q->z, q->w);
  return out;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q) {
  const float norm = D3DXQuaternionDot(q, q);
  if (norm == 0.0f) {
    *out = D3DXQUATERNION(0, 0, 0, 0);
    return out;
  }
  *out = D3DXQUATERNION(-q->x / norm, -q->y / norm, -q->z / norm, q->w / norm);
  return out;
}

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2) {
  const D3DXQUATERNION& a = *q2;
  const D3DXQUATERNION& b = *q1;
  const D3DXQUATERNION r(a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y, //
                         a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x, //
                         a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w, //
                         a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z);
  *out = r;
  return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, float angle) {
  D3DXVECTOR3 n;
  D3DXVec3Normalize(&n, axis);
  const float s = std::sin(angle / 2);
  *out = D3DXQUATERNION(n.x * s, n.y * s, n.z * s, std::cos(angle / 2));
  return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m) {
  const D3DXMATRIX& a = *m;
  const float trace = a._11 + a._22 + a._33 + 1.0f;
  D3DXQUATERNION q;
  if (trace > 1.0f) {
    const float s = 2.0f * std::sqrt(trace);
    q = D3DXQUATERNION((a._23 - a._32) / s, (a._31 - a._13) / s, (a._12 - a._21) / s, 0.25f * s);
  } else {
    int largest = 0;
    if (a._22 > a._11) largest = 1;
    if (a._33 > a.m[largest][largest]) largest = 2;
    if (largest == 0) {
      const float s = 2.0f * std::sqrt(1.0f + a._11 - a._22 - a._33);
      q = D3DXQUATERNION(0.25f * s, (a._12 + a._21) / s, (a._13 + a._31) / s, (a._23 - a._32) / s);
    } else if (largest == 1) {
      const float s = 2.0f * std::sqrt(1.0f + a._22 - a._11 - a._33);
      q = D3DXQUATERNION((a._12 + a._21) / s, 0.25f * s, (a._23 + a._32) / s, (a._31 - a._13) / s);
    } else {
      const float s = 2.0f * std::sqrt(1.0f + a._33 - a._11 - a._22);
      q = D3DXQUATERNION((a._13 + a._31) / s, (a._23 + a._32) / s, 0.25f * s, (a._12 - a._21) / s);
    }
  }
  *out = q;
  return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2, float t) {
  float d = D3DXQuaternionDot(q1, q2);
  float sign = 1.0f;
  if (d < 0.0f) {
    sign = -1.0f;
    d = -d;
  }
  float k1 = 1.0f - t;
  float k2 = t;
  if (1.0f - d > 0.001f) {
    const float theta = std::acos(d);
    const float sinTheta = std::sin(theta);
    k1 = std::sin((1.0f - t) * theta) / sinTheta;
    k2 = std::sin(t * theta) / sinTheta;
  }
  k2 *= sign;
  *out = D3DXQUATERNION(k1 * q1->x + k2 * q2->x, k1 * q1->y + k2 * q2->y, k1 * q1->z + k2 * q2->z,
                        k1 * q1->w + k2 * q2->w);
  return out;
}

void D3DXQuaternionToAxisAngle(const D3DXQUATERNION* q, D3DXVECTOR3* axis, float* angle) {
  if (axis) *axis = D3DXVECTOR3(q->x, q->y, q->z);
  if (angle) *angle = 2.0f * std::acos(q->w);
}

D3DXPLANE* D3DXPlaneNormalize(D3DXPLANE* out, const D3DXPLANE* p) {
  const float length = std::sqrt(p->a * p->a + p->b * p->b + p->c * p->c);
  if (length == 0.0f) {
    *out = D3DXPLANE(0, 0, 0, 0);
  } else {
    *out = D3DXPLANE(p->a / length, p->b / length, p->c / length, p->d / length);
  }
  return out;
}

float D3DXPlaneDotCoord(const D3DXPLANE* p, const D3DXVECTOR3* v) {
  return p->a * v->x + p->b * v->y + p->c * v->z + p->d;
}
