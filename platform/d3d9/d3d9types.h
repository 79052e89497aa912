// Direct3D 9 value types shared by the device stand-in, D3DX and the engine.
#pragma once

#include "platform/win32/windows.h"

using D3DCOLOR = DWORD;

constexpr D3DCOLOR D3DCOLOR_ARGB(unsigned a, unsigned r, unsigned g, unsigned b) {
  return ((a & 0xFFu) << 24) | ((r & 0xFFu) << 16) | ((g & 0xFFu) << 8) | (b & 0xFFu);
}
constexpr D3DCOLOR D3DCOLOR_XRGB(unsigned r, unsigned g, unsigned b) { return D3DCOLOR_ARGB(0xFF, r, g, b); }

struct D3DVECTOR {
  float x;
  float y;
  float z;
};

struct D3DCOLORVALUE {
  float r;
  float g;
  float b;
  float a;
};

// The SDK's layout: sixteen floats, reachable by name (_11.._44) and by index (m[row][col]).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
struct D3DMATRIX {
  union {
    struct {
      float _11, _12, _13, _14;
      float _21, _22, _23, _24;
      float _31, _32, _33, _34;
      float _41, _42, _43, _44;
    };
    float m[4][4];
  };
};
#pragma GCC diagnostic pop

static_assert(sizeof(D3DMATRIX) == 64);
