#include "platform/d3dx9/ImageFilters.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

// The source samples one target sample on an axis averages: each weighted by the part of
// it the target sample's span covers, the weights summing to 1.
struct AxisWeights {
  std::vector<UINT> first; // per target sample: its first source sample
  std::vector<UINT> count; // and how many follow
  std::vector<UINT> start; // where its weights begin in `weights`
  std::vector<float> weights;
};

AxisWeights areaWeights(UINT from, UINT to) {
  AxisWeights axis;
  axis.first.resize(to);
  axis.count.resize(to);
  axis.start.resize(to);
  const double scale = double(from) / to;
  for (UINT o = 0; o < to; ++o) {
    const double left = o * scale, right = (o + 1) * scale;
    const UINT begin = std::min(from - 1, UINT(left));
    const UINT end = std::max(begin + 1, std::min(from, UINT(std::ceil(right))));
    axis.first[o] = begin;
    axis.start[o] = UINT(axis.weights.size());
    double total = 0;
    for (UINT i = begin; i < end; ++i)
      total += std::max(0.0, std::min(right, i + 1.0) - std::max(left, double(i)));
    for (UINT i = begin; i < end; ++i) {
      const double covered = std::max(0.0, std::min(right, i + 1.0) - std::max(left, double(i)));
      axis.weights.push_back(float(total > 0 ? covered / total : 1.0 / (end - begin)));
    }
    axis.count[o] = end - begin;
  }
  return axis;
}

// One source row resized across: four floats (a, r, g, b) per target pixel.
void resizeRow(const std::uint32_t* row, UINT width, const AxisWeights& across, std::vector<float>& unpacked,
               float* out) {
  for (UINT x = 0; x < width; ++x) {
    const std::uint32_t p = row[x];
    unpacked[4 * x] = float(p >> 24);
    unpacked[4 * x + 1] = float((p >> 16) & 0xFF);
    unpacked[4 * x + 2] = float((p >> 8) & 0xFF);
    unpacked[4 * x + 3] = float(p & 0xFF);
  }
  for (std::size_t o = 0; o < across.first.size(); ++o) {
    const float* weight = &across.weights[across.start[o]];
    const float* in = &unpacked[4 * std::size_t(across.first[o])];
    float a = 0, r = 0, g = 0, b = 0;
    for (UINT k = 0; k < across.count[o]; ++k, in += 4) {
      a += weight[k] * in[0];
      r += weight[k] * in[1];
      g += weight[k] * in[2];
      b += weight[k] * in[3];
    }
    out[4 * o] = a;
    out[4 * o + 1] = r;
    out[4 * o + 2] = g;
    out[4 * o + 3] = b;
  }
}

std::uint32_t packRounded(const float* c) {
  std::uint32_t out = 0;
  for (int i = 0; i < 4; ++i)
    out = (out << 8) | std::uint32_t(std::clamp(c[i] + 0.5f, 0.0f, 255.0f));
  return out;
}

// Each target pixel averages the source area it covers, weighted by the covered fraction
// of every source pixel. The filter is separable: each source row is resized across once
// (target rows share source rows only with their neighbours, so two kept rows are enough)
// and the target rows are summed from those, so memory beyond the result stays a few rows.
Image area(const Image& source, UINT width, UINT height) {
  Image out = blankImage(width, height);
  const AxisWeights across = areaWeights(source.width, width);
  const AxisWeights down = areaWeights(source.height, height);
  std::vector<float> unpacked(std::size_t(source.width) * 4);
  std::vector<float> rows(std::size_t(width) * 4 * 2);
  std::vector<float> sum(std::size_t(width) * 4);
  long kept[2] = {-1, -1}; // the source row each of the two row slots holds
  for (UINT y = 0; y < height; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    for (UINT k = 0; k < down.count[y]; ++k) {
      const UINT sy = down.first[y] + k;
      float* row = &rows[std::size_t(width) * 4 * (sy & 1)];
      if (kept[sy & 1] != long(sy)) {
        resizeRow(&source.pixels[std::size_t(sy) * source.width], source.width, across, unpacked, row);
        kept[sy & 1] = long(sy);
      }
      const float weight = down.weights[down.start[y] + k];
      for (std::size_t i = 0; i < sum.size(); ++i)
        sum[i] += weight * row[i];
    }
    std::uint32_t* target = &out.pixels[std::size_t(y) * width];
    for (UINT x = 0; x < width; ++x)
      target[x] = packRounded(&sum[4 * std::size_t(x)]);
  }
  return out;
}

// The rounded mean of two or four pixels, channel by channel.
std::uint32_t mean(std::uint32_t a, std::uint32_t b) {
  std::uint32_t out = 0;
  for (int shift = 24; shift >= 0; shift -= 8)
    out |= ((((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + 1) / 2) << shift;
  return out;
}
std::uint32_t mean(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  std::uint32_t out = 0;
  for (int shift = 24; shift >= 0; shift -= 8)
    out |= ((((a >> shift) & 0xFF) + ((b >> shift) & 0xFF) + ((c >> shift) & 0xFF) + ((d >> shift) & 0xFF) + 2) / 4)
           << shift;
  return out;
}

// The next mip level: each side halved, or kept where it is already 1. The same result as
// the area filter, in integers.
bool isHalving(const Image& source, UINT width, UINT height) {
  const auto halves = [](UINT from, UINT to) { return (from % 2 == 0 && to == from / 2) || (from == 1 && to == 1); };
  return halves(source.width, width) && halves(source.height, height) &&
         (width < source.width || height < source.height);
}

Image halve(const Image& source, UINT width, UINT height) {
  Image out = blankImage(width, height);
  const UINT dx = source.width / width, dy = source.height / height;
  for (UINT y = 0; y < height; ++y) {
    const std::uint32_t* top = &source.pixels[std::size_t(y * dy) * source.width];
    const std::uint32_t* bottom = top + std::size_t(dy - 1) * source.width;
    std::uint32_t* target = &out.pixels[std::size_t(y) * width];
    for (UINT x = 0; x < width; ++x) {
      const UINT left = x * dx, right = left + dx - 1;
      if (dx == 2 && dy == 2)
        target[x] = mean(top[left], top[right], bottom[left], bottom[right]);
      else
        target[x] = dx == 2 ? mean(top[left], top[right]) : mean(top[left], bottom[left]);
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
  } else if (isHalving(source, width, height)) {
    out = halve(source, width, height);
  } else {
    out = area(source, width, height);
  }
  out.fileFormat = source.fileFormat;
  out.fileType = source.fileType;
  return out;
}

} // namespace d3dx9
