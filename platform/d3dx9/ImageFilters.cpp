#include "platform/d3dx9/ImageFilters.h"

#include <algorithm>
#include <cmath>

namespace d3dx9 {
namespace {

double channel(std::uint32_t pixel, int shift) { return double((pixel >> shift) & 0xFF); }

std::uint32_t pack(const double c[4]) {
  std::uint32_t out = 0;
  const int shifts[4] = {24, 16, 8, 0};
  for (int i = 0; i < 4; ++i) {
    const long v = std::lround(std::clamp(c[i], 0.0, 255.0));
    out |= std::uint32_t(v) << shifts[i];
  }
  return out;
}

// A source coordinate brought inside 0..size-1 by wrapping or mirroring.
UINT address(long i, UINT size, bool mirror) {
  const long n = long(size);
  if (mirror) {
    const long period = 2 * n;
    long m = ((i % period) + period) % period;
    return UINT(m < n ? m : period - 1 - m);
  }
  return UINT(((i % n) + n) % n);
}

Image copyUnscaled(const Image& source, UINT width, UINT height) {
  Image out = blankImage(width, height);
  for (UINT y = 0; y < std::min(height, source.height); ++y)
    for (UINT x = 0; x < std::min(width, source.width); ++x)
      out.at(x, y) = source.at(x, y);
  return out;
}

Image point(const Image& source, UINT width, UINT height) {
  Image out = blankImage(width, height);
  for (UINT y = 0; y < height; ++y) {
    const UINT sy = std::min(source.height - 1, UINT((y + 0.5) * source.height / height));
    for (UINT x = 0; x < width; ++x) {
      const UINT sx = std::min(source.width - 1, UINT((x + 0.5) * source.width / width));
      out.at(x, y) = source.at(sx, sy);
    }
  }
  return out;
}

Image linear(const Image& source, UINT width, UINT height, bool mirrorU, bool mirrorV) {
  Image out = blankImage(width, height);
  for (UINT y = 0; y < height; ++y) {
    const double fy = (y + 0.5) * source.height / height - 0.5;
    const long y0 = long(std::floor(fy));
    const double ty = fy - y0;
    for (UINT x = 0; x < width; ++x) {
      const double fx = (x + 0.5) * source.width / width - 0.5;
      const long x0 = long(std::floor(fx));
      const double tx = fx - x0;
      const std::uint32_t p00 = source.at(address(x0, source.width, mirrorU), address(y0, source.height, mirrorV));
      const std::uint32_t p10 = source.at(address(x0 + 1, source.width, mirrorU), address(y0, source.height, mirrorV));
      const std::uint32_t p01 = source.at(address(x0, source.width, mirrorU), address(y0 + 1, source.height, mirrorV));
      const std::uint32_t p11 =
          source.at(address(x0 + 1, source.width, mirrorU), address(y0 + 1, source.height, mirrorV));
      double c[4];
      const int shifts[4] = {24, 16, 8, 0};
      for (int i = 0; i < 4; ++i) {
        const double top = channel(p00, shifts[i]) * (1 - tx) + channel(p10, shifts[i]) * tx;
        const double bottom = channel(p01, shifts[i]) * (1 - tx) + channel(p11, shifts[i]) * tx;
        c[i] = top * (1 - ty) + bottom * ty;
      }
      out.at(x, y) = pack(c);
    }
  }
  return out;
}

// Each target pixel averages the source area it covers, weighted by the covered fraction
// of every source pixel.
Image area(const Image& source, UINT width, UINT height) {
  Image out = blankImage(width, height);
  const double sx = double(source.width) / width, sy = double(source.height) / height;
  const int shifts[4] = {24, 16, 8, 0};
  for (UINT y = 0; y < height; ++y) {
    const double top = y * sy, bottom = (y + 1) * sy;
    for (UINT x = 0; x < width; ++x) {
      const double left = x * sx, right = (x + 1) * sx;
      double sum[4] = {0, 0, 0, 0}, weight = 0;
      for (UINT j = UINT(top); j < std::min(source.height, UINT(std::ceil(bottom))); ++j) {
        const double wy = std::min(bottom, j + 1.0) - std::max(top, double(j));
        if (wy <= 0) continue;
        for (UINT i = UINT(left); i < std::min(source.width, UINT(std::ceil(right))); ++i) {
          const double w = wy * (std::min(right, i + 1.0) - std::max(left, double(i)));
          if (w <= 0) continue;
          const std::uint32_t p = source.at(i, j);
          for (int c = 0; c < 4; ++c)
            sum[c] += w * channel(p, shifts[c]);
          weight += w;
        }
      }
      for (double& s : sum)
        s /= weight;
      out.at(x, y) = pack(sum);
    }
  }
  return out;
}

} // namespace

void applyColorKey(Image& image, D3DCOLOR key) {
  if (key == 0) return;
  for (std::uint32_t& pixel : image.pixels)
    if (pixel == key) pixel = 0;
}

bool validFilter(DWORD filter) {
  if (filter == D3DX_DEFAULT) return true;
  const DWORD kind = filter & 0xFFFF;
  const DWORD flags = filter & ~0xFFFFu;
  return kind >= D3DX_FILTER_NONE && kind <= D3DX_FILTER_BOX &&
         (flags & ~(D3DX_FILTER_MIRROR | D3DX_FILTER_DITHER | D3DX_FILTER_DITHER_DIFFUSION | D3DX_FILTER_SRGB)) == 0;
}

Image resizeImage(const Image& source, UINT width, UINT height, DWORD filter) {
  const DWORD kind = filter == D3DX_DEFAULT ? D3DX_FILTER_TRIANGLE : filter & 0xFFFF;
  Image out;
  if (kind == D3DX_FILTER_NONE) {
    out = copyUnscaled(source, width, height);
  } else if (width == source.width && height == source.height) {
    out = source;
  } else if (kind == D3DX_FILTER_POINT) {
    out = point(source, width, height);
  } else if (kind == D3DX_FILTER_LINEAR) {
    out = linear(source, width, height, filter != D3DX_DEFAULT && (filter & D3DX_FILTER_MIRROR_U),
                 filter != D3DX_DEFAULT && (filter & D3DX_FILTER_MIRROR_V));
  } else {
    out = area(source, width, height);
  }
  out.fileFormat = source.fileFormat;
  out.fileType = source.fileType;
  return out;
}

} // namespace d3dx9
