// JPEG through libjpeg's 6b interface. libjpeg reports fatal errors by calling an error
// handler that must not return; its default one exits the process. Ours jumps back to the
// decode call instead, so a damaged file is a clean failure.
#include "platform/d3dx9/Image.h"

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace d3dx9 {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void fail(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

void message(j_common_ptr info, int level) {
  // A file that ends early decodes as grey in libjpeg; D3DX must not hand that out.
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) fail(info);
}

// What the decode touches across the jump: plain data only, so that jumping out of the
// middle of it skips no destructor.
struct Decode {
  jpeg_decompress_struct info;
  ErrorManager errors;
  const BYTE* data;
  std::size_t size;
  Image* image;
  std::string* error;
  const DecodeOptions* options;
  bool sizeRefused;
};

std::uint32_t argb(const JSAMPLE* p, J_COLOR_SPACE space, bool adobe) {
  switch (space) {
  case JCS_GRAYSCALE:
    return 0xFF000000u | (p[0] << 16) | (p[0] << 8) | p[0];
  case JCS_CMYK: {
    // Adobe writes CMYK inverted; plain CMYK is converted as 1 - ink.
    int c = p[0], m = p[1], y = p[2], k = p[3];
    if (!adobe) {
      c = 255 - c;
      m = 255 - m;
      y = 255 - y;
      k = 255 - k;
    }
    const std::uint32_t r = std::uint32_t(c * k / 255), g = std::uint32_t(m * k / 255), b = std::uint32_t(y * k / 255);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
  }
  default:
    return 0xFF000000u | (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
  }
}

// The largest of libjpeg's shrinking factors (1/2, 1/4, 1/8) that still leaves the size the
// caller needs: the decoder then skips most of the work and memory of the full image.
void shrinkToNeeds(jpeg_decompress_struct& info, const DecodeOptions& options) {
  if (options.neededWidth == 0 && options.neededHeight == 0) return;
  for (unsigned denominator : {8u, 4u, 2u}) {
    const UINT width = (info.image_width + denominator - 1) / denominator;
    const UINT height = (info.image_height + denominator - 1) / denominator;
    if (width >= options.neededWidth && height >= options.neededHeight) {
      info.scale_num = 1;
      info.scale_denom = denominator;
      return;
    }
  }
}

bool run(Decode& d) {
  if (setjmp(d.errors.jump)) return false;
  jpeg_mem_src(&d.info, const_cast<BYTE*>(d.data), static_cast<unsigned long>(d.size));
  jpeg_read_header(&d.info, TRUE);
  const DecodeOptions& options = *d.options;
  Image& image = *d.image;
  image.fileWidth = d.info.image_width;
  image.fileHeight = d.info.image_height;
  image.fileType = D3DXIFF_JPG;
  image.fileFormat = d.info.jpeg_color_space == JCS_GRAYSCALE ? D3DFMT_L8 : D3DFMT_X8R8G8B8;
  if (options.headerOnly) {
    image.width = image.fileWidth;
    image.height = image.fileHeight;
    if (acceptableSize(image.width, image.height, options, *d.error)) return true;
    d.sizeRefused = true;
    return false;
  }
  const bool cmyk = d.info.jpeg_color_space == JCS_CMYK || d.info.jpeg_color_space == JCS_YCCK;
  d.info.out_color_space = cmyk ? JCS_CMYK : d.info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
  shrinkToNeeds(d.info, options);
  jpeg_calc_output_dimensions(&d.info);
  if (!acceptableSize(d.info.output_width, d.info.output_height, options, *d.error)) {
    d.sizeRefused = true;
    return false;
  }
  // Progressive files keep all coefficients in memory; cap that so a small hostile file
  // cannot ask for gigabytes.
  d.info.mem->max_memory_to_use = 512L * 1024 * 1024;
  jpeg_start_decompress(&d.info);
  image.width = d.info.output_width;
  image.height = d.info.output_height;
  image.pixels.assign(std::size_t(image.width) * image.height, 0);
  JSAMPARRAY row = (*d.info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d.info), JPOOL_IMAGE,
                                               d.info.output_width * UINT(d.info.output_components), 1);
  while (d.info.output_scanline < d.info.output_height) {
    const UINT y = d.info.output_scanline;
    jpeg_read_scanlines(&d.info, row, 1);
    for (UINT x = 0; x < image.width; ++x)
      image.at(x, y) =
          argb(row[0] + x * UINT(d.info.output_components), d.info.out_color_space, d.info.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&d.info);
  return true;
}

} // namespace

bool decodeJpeg(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options) {
  Decode d{};
  d.data = data;
  d.size = size;
  d.image = &image;
  d.error = &error;
  d.options = &options;
  d.info.err = jpeg_std_error(&d.errors.base);
  d.errors.base.error_exit = fail;
  d.errors.base.emit_message = message;
  jpeg_create_decompress(&d.info);
  const bool ok = run(d);
  jpeg_destroy_decompress(&d.info);
  if (!ok) {
    if (!d.sizeRefused) error = std::string("damaged JPEG: ") + d.errors.message;
    image = Image();
  }
  return ok;
}

} // namespace d3dx9
