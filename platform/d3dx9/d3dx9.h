// D3DX 9: the math and the texture functions.
#pragma once

#include "platform/d3dx9/d3dx9math.h"
#include "platform/d3dx9/d3dx9tex.h"
