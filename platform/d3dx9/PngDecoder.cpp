// PNG through libpng. libpng reports errors with a longjmp back to the decode call; the
// image and its row pointers live outside that call, so the jump skips no destructor.
#include "platform/d3dx9/Image.h"

#include <csetjmp>
#include <cstring>

#include <png.h>

namespace d3dx9 {
namespace {

struct Source {
  const BYTE* data;
  std::size_t size;
  std::size_t offset;
};

void readBytes(png_structp png, png_bytep out, png_size_t length) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (length > source->size - source->offset) png_error(png, "the file ends early");
  std::memcpy(out, source->data + source->offset, length);
  source->offset += length;
}

struct Messages {
  std::string error;
};

void onError(png_structp png, png_const_charp text) {
  static_cast<Messages*>(png_get_error_ptr(png))->error = text;
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

struct Decode {
  png_structp png;
  png_infop info;
  Source source;
  Image* image;
  std::vector<png_bytep>* rows;
  std::string* error;
  const DecodeOptions* options;
  bool sizeRefused;
};

D3DFORMAT fileFormatOf(int colorType, bool transparency) {
  switch (colorType) {
  case PNG_COLOR_TYPE_GRAY:
    return transparency ? D3DFMT_A8L8 : D3DFMT_L8;
  case PNG_COLOR_TYPE_GRAY_ALPHA:
    return D3DFMT_A8L8;
  case PNG_COLOR_TYPE_PALETTE:
    return D3DFMT_P8;
  case PNG_COLOR_TYPE_RGB_ALPHA:
    return D3DFMT_A8R8G8B8;
  default:
    return transparency ? D3DFMT_A8R8G8B8 : D3DFMT_R8G8B8;
  }
}

bool run(Decode& d) {
  if (setjmp(png_jmpbuf(d.png))) return false;
  png_set_read_fn(d.png, &d.source, readBytes);
  png_set_user_limits(d.png, kMaxImageSide, kMaxImageSide);
  png_set_chunk_malloc_max(d.png, 16u * 1024u * 1024u); // no text or profile chunk beyond 16 MB
  png_read_info(d.png, d.info);
  png_uint_32 width = 0, height = 0;
  int depth = 0, colorType = 0;
  png_get_IHDR(d.png, d.info, &width, &height, &depth, &colorType, nullptr, nullptr, nullptr);
  if (!acceptableSize(width, height, *d.options, *d.error)) {
    d.sizeRefused = true;
    return false;
  }
  const bool transparency = png_get_valid(d.png, d.info, PNG_INFO_tRNS) != 0;
  Image& image = *d.image;
  image.width = image.fileWidth = width;
  image.height = image.fileHeight = height;
  image.fileType = D3DXIFF_PNG;
  image.fileFormat = fileFormatOf(colorType, transparency);
  if (d.options->headerOnly) return true;
  // Everything becomes 8-bit B, G, R, A: the byte order of a D3DCOLOR in memory.
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(d.png);
  if (colorType == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(d.png);
  if (transparency) png_set_tRNS_to_alpha(d.png);
  if (depth == 16) png_set_strip_16(d.png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(d.png);
  png_set_bgr(d.png);
  if (!(colorType & PNG_COLOR_MASK_ALPHA) && !transparency) png_set_filler(d.png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(d.png);
  png_read_update_info(d.png, d.info);
  if (png_get_rowbytes(d.png, d.info) != std::size_t(width) * 4) png_error(d.png, "unexpected row layout");

  image.pixels.assign(std::size_t(width) * height, 0);
  d.rows->resize(height);
  for (png_uint_32 y = 0; y < height; ++y)
    (*d.rows)[y] = reinterpret_cast<png_bytep>(image.pixels.data() + std::size_t(y) * width);
  png_read_image(d.png, d.rows->data());
  png_read_end(d.png, nullptr);
  return true;
}

} // namespace

bool decodePng(const BYTE* data, std::size_t size, Image& image, std::string& error, const DecodeOptions& options) {
  Messages messages;
  std::vector<png_bytep> rows;
  Decode d{};
  d.source = {data, size, 0};
  d.image = &image;
  d.rows = &rows;
  d.error = &error;
  d.options = &options;
  d.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &messages, onError, onWarning);
  if (!d.png) {
    error = "libpng could not start";
    return false;
  }
  d.info = png_create_info_struct(d.png);
  const bool ok = d.info && run(d);
  png_destroy_read_struct(&d.png, d.info ? &d.info : nullptr, nullptr);
  if (!ok) {
    if (!d.sizeRefused) error = "damaged PNG: " + messages.error;
    image = Image();
  }
  return ok;
}

} // namespace d3dx9
