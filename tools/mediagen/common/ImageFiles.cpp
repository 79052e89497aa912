#include "tools/mediagen/common/ImageFiles.h"

#include "platform/d3dx9/ImageEncoder.h"

#include <jpeglib.h>

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

bool writeBytes(const std::string& path, const std::vector<BYTE>& bytes, std::string& error) {
  File file = create(path, error);
  if (!file) return false;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    error = "cannot write " + path;
    return false;
  }
  return finish(std::move(file), path, error);
}

// The platform's encoders take 0xAARRGGBB pixels; RGB pixels are opaque.
d3dx9::Image toArgb(const Image& image) {
  d3dx9::Image out;
  out.width = static_cast<UINT>(image.width);
  out.height = static_cast<UINT>(image.height);
  out.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  const std::uint8_t* p = image.pixels.data();
  for (std::uint32_t& argb : out.pixels) {
    const std::uint32_t alpha = image.channels == 4 ? p[3] : 0xFF;
    argb = alpha << 24 | std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    p += image.channels;
  }
  return out;
}

// libjpeg's default error handler ends the process; this one jumps back to the writer.
struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void jpegFailed(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }

} // namespace

bool writePng(const std::string& path, const Image& image, std::string& error) {
  if (image.channels != 3 && image.channels != 4) {
    error = "PNG needs RGB or RGBA pixels";
    return false;
  }
  std::vector<BYTE> png;
  if (!d3dx9::encodePng(toArgb(image), image.channels == 4, png)) {
    error = "libpng failed encoding " + path;
    return false;
  }
  return writeBytes(path, png, error);
}

// Not the platform's JPEG encoder: that one writes libjpeg's standard Huffman tables, and
// tables optimised for each picture keep the archive's JPEGs 4 to 15 percent smaller.
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
  return writeBytes(path, d3dx9::encodeBmp(toArgb(image), 24), error);
}

} // namespace tools::media
