#include "platform/d3dx9/ImageEncoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>
#include <png.h>

namespace d3dx9 {
namespace {

void put16(std::vector<BYTE>& out, std::uint32_t v) {
  out.push_back(BYTE(v));
  out.push_back(BYTE(v >> 8));
}
void put32(std::vector<BYTE>& out, std::uint32_t v) {
  put16(out, v & 0xFFFF);
  put16(out, v >> 16);
}

// --- PNG -------------------------------------------------------------------------------

void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<BYTE>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void flushNothing(png_structp) {}

struct PngWrite {
  png_structp png;
  png_infop info;
  const Image* image;
  bool alpha;
  std::vector<BYTE>* rows;
  std::vector<BYTE>* out;
};

bool runPng(PngWrite& w) {
  if (setjmp(png_jmpbuf(w.png))) return false;
  png_set_write_fn(w.png, w.out, appendBytes, flushNothing);
  png_set_IHDR(w.png, w.info, w.image->width, w.image->height, 8,
               w.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(w.png, w.info);
  const UINT channels = w.alpha ? 4 : 3;
  w.rows->resize(std::size_t(w.image->width) * channels);
  for (UINT y = 0; y < w.image->height; ++y) {
    for (UINT x = 0; x < w.image->width; ++x) {
      const std::uint32_t p = w.image->at(x, y);
      BYTE* px = w.rows->data() + x * channels;
      px[0] = BYTE(p >> 16);
      px[1] = BYTE(p >> 8);
      px[2] = BYTE(p);
      if (w.alpha) px[3] = BYTE(p >> 24);
    }
    png_write_row(w.png, w.rows->data());
  }
  png_write_end(w.png, nullptr);
  return true;
}

// --- JPEG ------------------------------------------------------------------------------

struct JpegErrors {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }

struct JpegWrite {
  jpeg_compress_struct info;
  JpegErrors errors;
  const Image* image;
  int quality;
  bool grey;
  std::vector<BYTE>* row;
  unsigned char* buffer;
  unsigned long size;
};

bool runJpeg(JpegWrite& w) {
  if (setjmp(w.errors.jump)) return false;
  jpeg_mem_dest(&w.info, &w.buffer, &w.size);
  w.info.image_width = w.image->width;
  w.info.image_height = w.image->height;
  w.info.input_components = w.grey ? 1 : 3;
  w.info.in_color_space = w.grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&w.info);
  jpeg_set_quality(&w.info, w.quality, TRUE);
  // Huffman tables fitted to the picture: the same pixels in a 4 to 15 percent smaller file.
  w.info.optimize_coding = TRUE;
  jpeg_start_compress(&w.info, TRUE);
  w.row->resize(std::size_t(w.image->width) * UINT(w.info.input_components));
  while (w.info.next_scanline < w.info.image_height) {
    const UINT y = w.info.next_scanline;
    for (UINT x = 0; x < w.image->width; ++x) {
      const std::uint32_t p = w.image->at(x, y);
      if (w.grey) {
        (*w.row)[x] = BYTE(p >> 16);
      } else {
        (*w.row)[x * 3] = BYTE(p >> 16);
        (*w.row)[x * 3 + 1] = BYTE(p >> 8);
        (*w.row)[x * 3 + 2] = BYTE(p);
      }
    }
    JSAMPROW rows[1] = {w.row->data()};
    jpeg_write_scanlines(&w.info, rows, 1);
  }
  jpeg_finish_compress(&w.info);
  return true;
}

} // namespace

bool encodePng(const Image& image, bool alpha, std::vector<BYTE>& out) {
  out.clear();
  std::vector<BYTE> rows;
  PngWrite w{};
  w.image = &image;
  w.alpha = alpha;
  w.rows = &rows;
  w.out = &out;
  w.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!w.png) return false;
  w.info = png_create_info_struct(w.png);
  const bool ok = w.info && runPng(w);
  png_destroy_write_struct(&w.png, w.info ? &w.info : nullptr);
  return ok;
}

bool encodeJpeg(const Image& image, int quality, bool grey, std::vector<BYTE>& out) {
  out.clear();
  std::vector<BYTE> row;
  JpegWrite w{};
  w.image = &image;
  w.quality = quality;
  w.grey = grey;
  w.row = &row;
  w.info.err = jpeg_std_error(&w.errors.base);
  w.errors.base.error_exit = jpegFail;
  jpeg_create_compress(&w.info);
  const bool ok = runJpeg(w);
  jpeg_destroy_compress(&w.info);
  if (ok && w.buffer) out.assign(w.buffer, w.buffer + w.size);
  std::free(w.buffer);
  return ok;
}

std::vector<BYTE> encodeBmp(const Image& image, int bits) {
  const UINT bytes = UINT(bits) / 8;
  const UINT stride = ((image.width * bytes) + 3) & ~3u;
  std::vector<BYTE> out;
  out.push_back('B');
  out.push_back('M');
  put32(out, 54 + stride * image.height);
  put32(out, 0);
  put32(out, 54);
  put32(out, 40);
  put32(out, image.width);
  put32(out, image.height);
  put16(out, 1);
  put16(out, UINT(bits));
  put32(out, 0);
  put32(out, stride * image.height);
  put32(out, 2835);
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (UINT row = 0; row < image.height; ++row) {
    const UINT y = image.height - 1 - row;
    for (UINT x = 0; x < image.width; ++x) {
      const std::uint32_t p = image.at(x, y);
      for (UINT b = 0; b < bytes; ++b)
        out.push_back(BYTE(p >> (8 * b)));
    }
    for (UINT pad = image.width * bytes; pad < stride; ++pad)
      out.push_back(0);
  }
  return out;
}

std::vector<BYTE> encodeTga(const Image& image, int bits, bool rle, bool topDown) {
  const UINT bytes = UINT(bits) / 8;
  std::vector<BYTE> out = {0, 0, BYTE(rle ? 10 : 2), 0, 0, 0, 0, 0, 0, 0, 0, 0};
  put16(out, image.width);
  put16(out, image.height);
  out.push_back(BYTE(bits));
  out.push_back(BYTE((bits == 32 ? 8 : 0) | (topDown ? 0x20 : 0)));
  auto pixel = [&](std::size_t n) {
    const UINT x = UINT(n % image.width), row = UINT(n / image.width);
    return image.at(x, topDown ? row : image.height - 1 - row);
  };
  const std::size_t total = std::size_t(image.width) * image.height;
  auto put = [&](std::uint32_t p) {
    for (UINT b = 0; b < bytes; ++b)
      out.push_back(BYTE(p >> (8 * b)));
  };
  if (!rle) {
    for (std::size_t n = 0; n < total; ++n)
      put(pixel(n));
    return out;
  }
  for (std::size_t n = 0; n < total;) {
    std::size_t run = 1;
    while (n + run < total && run < 128 && pixel(n + run) == pixel(n))
      ++run;
    if (run > 1) {
      out.push_back(BYTE(0x80 | (run - 1)));
      put(pixel(n));
    } else {
      std::size_t raw = 1;
      while (n + raw < total && raw < 128 && pixel(n + raw) != pixel(n + raw - 1))
        ++raw;
      out.push_back(BYTE(raw - 1));
      for (std::size_t i = 0; i < raw; ++i)
        put(pixel(n + i));
      run = raw;
    }
    n += run;
  }
  return out;
}

} // namespace d3dx9
