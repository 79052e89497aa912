#include "tools/mediagen/common/ImageFiles.h"

#include <jpeglib.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <memory>

namespace tools::media {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

File create(const std::string& path, std::string& error) {
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) error = "cannot create " + path;
  return file;
}

bool finish(File file, const std::string& path, std::string& error) {
  if (std::fclose(file.release()) != 0) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

// libjpeg's default error handler ends the process; this one jumps back to the writer.
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void jpegFailed(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  put16(out, value & 0xFFFF);
  put16(out, value >> 16);
}

} // namespace

bool writePng(const std::string& path, const Image& image, std::string& error) {
  if (image.channels != 3 && image.channels != 4) {
    error = "PNG needs RGB or RGBA pixels";
    return false;
  }
  File file = create(path, error);
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    error = "libpng could not start";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = "libpng failed writing " + path;
    return false;
  }
  png_init_io(png, file.get());
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               image.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) png_write_row(png, image.at(0, y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return finish(std::move(file), path, error);
}

bool writeJpeg(const std::string& path, const Image& image, int quality, std::string& error) {
  if (image.channels != 3) {
    error = "JPEG needs RGB pixels";
    return false;
  }
  File file = create(path, error);
  if (!file) return false;
  jpeg_compress_struct info{};
  JpegError failure{};
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = jpegFailed;
  if (setjmp(failure.jump)) {
    jpeg_destroy_compress(&info);
    error = "libjpeg failed writing " + path;
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file.get());
  info.image_width = static_cast<JDIMENSION>(image.width);
  info.image_height = static_cast<JDIMENSION>(image.height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(image.at(0, static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return finish(std::move(file), path, error);
}

bool writeBmp(const std::string& path, const Image& image, std::string& error) {
  if (image.channels != 3) {
    error = "BMP needs RGB pixels";
    return false;
  }
  const std::uint32_t rowBytes = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
  const std::uint32_t pixelBytes = rowBytes * static_cast<std::uint32_t>(image.height);
  std::vector<std::uint8_t> out;
  out.reserve(54 + pixelBytes);
  out.push_back('B');
  out.push_back('M');
  put32(out, 54 + pixelBytes);  // file size
  put32(out, 0);                // reserved
  put32(out, 54);               // offset of the pixels
  put32(out, 40);               // BITMAPINFOHEADER
  put32(out, static_cast<std::uint32_t>(image.width));
  put32(out, static_cast<std::uint32_t>(image.height));  // positive: bottom-up rows
  put16(out, 1);                // planes
  put16(out, 24);               // bits per pixel
  put32(out, 0);                // BI_RGB, uncompressed
  put32(out, pixelBytes);
  put32(out, 2835);             // 72 dots per inch
  put32(out, 2835);
  put32(out, 0);
  put32(out, 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* rgb = image.at(x, y);
      out.push_back(rgb[2]);
      out.push_back(rgb[1]);
      out.push_back(rgb[0]);
    }
    for (std::uint32_t pad = static_cast<std::uint32_t>(image.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
  }
  File file = create(path, error);
  if (!file) return false;
  if (std::fwrite(out.data(), 1, out.size(), file.get()) != out.size()) {
    error = "cannot write " + path;
    return false;
  }
  return finish(std::move(file), path, error);
}

} // namespace tools::media
