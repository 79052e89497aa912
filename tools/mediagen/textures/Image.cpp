#include "tools/mediagen/textures/Image.h"

#include "tools/mediagen/common/ImageFiles.h"

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include <jpeglib.h>
#include <png.h>

namespace tools {

Image::Image(int width, int height, Rgba fill)
    : width_(width), height_(height), pixels_(size_t(width) * size_t(height), fill) {}

Rgba Image::sample(float u, float v) const {
    float x = u * float(width_) - 0.5f, y = v * float(height_) - 0.5f;
    float fx = std::floor(x), fy = std::floor(y);
    float tx = x - fx, ty = y - fy;
    auto wrap = [](int i, int n) { return ((i % n) + n) % n; };
    int x0 = wrap(int(fx), width_), x1 = wrap(int(fx) + 1, width_);
    int y0 = wrap(int(fy), height_), y1 = wrap(int(fy) + 1, height_);
    return mix(mix(at(x0, y0), at(x1, y0), tx), mix(at(x0, y1), at(x1, y1), tx), ty);
}

Image Image::resized(int w, int h) const {
    Image out(w, h);
    for (int y = 0; y < h; ++y) {
        int sy0 = y * height_ / h, sy1 = std::max(sy0 + 1, (y + 1) * height_ / h);
        for (int x = 0; x < w; ++x) {
            int sx0 = x * width_ / w, sx1 = std::max(sx0 + 1, (x + 1) * width_ / w);
            Rgba sum{0, 0, 0, 0};
            for (int sy = sy0; sy < sy1; ++sy)
                for (int sx = sx0; sx < sx1; ++sx) sum = sum + at(sx, sy);
            out.at(x, y) = sum * (1.0f / float((sy1 - sy0) * (sx1 - sx0)));
        }
    }
    return out;
}

void Image::blit(const Image& src, int x0, int y0) {
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            if (x0 + x >= 0 && y0 + y >= 0 && x0 + x < width_ && y0 + y < height_) at(x0 + x, y0 + y) = src.at(x, y);
}

namespace {

uint8_t toByte(float v) { return uint8_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

void setError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

struct FileCloser {
    void operator()(FILE* f) const { if (f) std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// libjpeg reports errors by calling a function that must not return: jump back instead of
// letting it end the process (the decoders read files a test or a person may have damaged).
struct JpegError {
    jpeg_error_mgr base;
    jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info) {
    auto* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    longjmp(err->jump, 1);
}

}  // namespace

namespace {

media::Image toBytes(const Image& image, bool alpha) {
    media::Image out(image.width(), image.height(), alpha ? 4 : 3);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Rgba& p = image.at(x, y);
            uint8_t* o = out.at(x, y);
            o[0] = toByte(p.r);
            o[1] = toByte(p.g);
            o[2] = toByte(p.b);
            if (alpha) o[3] = toByte(p.a);
        }
    }
    return out;
}

}  // namespace

bool writeJpeg(const Image& image, const std::string& path, int quality, std::string* error) {
    std::string why;
    bool ok = media::writeJpeg(path, toBytes(image, false), quality, why);
    if (!ok) setError(error, why);
    return ok;
}

bool writePng(const Image& image, const std::string& path, bool alpha, std::string* error) {
    std::string why;
    bool ok = media::writePng(path, toBytes(image, alpha), why);
    if (!ok) setError(error, why);
    return ok;
}

namespace {

bool readJpeg(FILE* file, Image& out, std::string* error) {
    // Everything with a destructor lives outside the setjmp region's scope changes.
    Image img;
    std::vector<uint8_t> row;
    jpeg_decompress_struct info;
    JpegError err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = onJpegError;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        setError(error, std::string("JPEG decoder: ") + err.message);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    img = Image(int(info.output_width), int(info.output_height));
    row.resize(size_t(info.output_width) * 3);
    while (info.output_scanline < info.output_height) {
        int y = int(info.output_scanline);
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (int x = 0; x < img.width(); ++x)
            img.at(x, y) = {row[size_t(x) * 3] / 255.0f, row[size_t(x) * 3 + 1] / 255.0f, row[size_t(x) * 3 + 2] / 255.0f, 1};
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    out = std::move(img);
    return true;
}

bool readPng(FILE* file, Image& out, std::string* error) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        setError(error, "PNG decoder: out of memory");
        return false;
    }
    std::vector<uint8_t> data;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        setError(error, "PNG decoder failed");
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    int w = int(png_get_image_width(png, info)), h = int(png_get_image_height(png, info));
    data.resize(size_t(w) * size_t(h) * 4);
    rows.resize(size_t(h));
    for (int y = 0; y < h; ++y) rows[size_t(y)] = data.data() + size_t(y) * size_t(w) * 4;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = rows[size_t(y)] + size_t(x) * 4;
            img.at(x, y) = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, p[3] / 255.0f};
        }
    out = std::move(img);
    return true;
}

}  // namespace

bool readImage(const std::string& path, Image& out, std::string* error) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) { setError(error, "cannot open " + path); return false; }
    unsigned char magic[8] = {};
    size_t got = std::fread(magic, 1, 8, file.get());
    std::rewind(file.get());
    if (got >= 8 && png_sig_cmp(magic, 0, 8) == 0) return readPng(file.get(), out, error);
    if (got >= 2 && magic[0] == 0xFF && magic[1] == 0xD8) return readJpeg(file.get(), out, error);
    setError(error, path + " is neither JPEG nor PNG");
    return false;
}

}  // namespace tools
