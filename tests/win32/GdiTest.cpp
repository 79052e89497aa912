#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/win32/resources.h"
#include "tests/win32/WindowTestSupport.h"

namespace {

// A DIB as the resource compiler stores it: BITMAPINFOHEADER then padded rows.
std::vector<unsigned char> dib(int width, int height, int bits, bool topDown, std::uint32_t (*colour)(int x, int y)) {
  const int bytes = bits / 8;
  const int stride = (width * bytes + 3) / 4 * 4;
  std::vector<unsigned char> out(sizeof(BITMAPINFOHEADER) + static_cast<std::size_t>(stride * height));
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = topDown ? -height : height;
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bits);
  std::memcpy(out.data(), &header, sizeof header);
  for (int y = 0; y < height; ++y) {
    const int row = topDown ? y : height - 1 - y;
    unsigned char* p = out.data() + sizeof header + row * stride;
    for (int x = 0; x < width; ++x, p += bytes) {
      const std::uint32_t c = colour(x, y);
      p[0] = static_cast<unsigned char>(c);
      p[1] = static_cast<unsigned char>(c >> 8);
      p[2] = static_cast<unsigned char>(c >> 16);
    }
  }
  return out;
}

std::uint32_t gradient(int x, int y) {
  return static_cast<std::uint32_t>(x * 40) << 16 | static_cast<std::uint32_t>(y * 50) << 8 | 0x33;
}

class Gdi : public win32test::WindowTest {
protected:
  void TearDown() override {
    win32::unregisterResource(2, 900);
    WindowTest::TearDown();
  }

  HBITMAP load(const std::vector<unsigned char>& bytes) {
    stored_ = bytes;
    win32::registerResource(2, 900, stored_.data(), stored_.size());
    return LoadBitmapA(nullptr, MAKEINTRESOURCEA(900));
  }

  // Paints `bitmap` at (0, 0) of the window as the preview does and reads the result back.
  std::vector<std::uint32_t> paint(HWND window, HBITMAP bitmap, int& width, int& height) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    EXPECT_NE(dc, nullptr);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    EXPECT_NE(previous, nullptr);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_TRUE(BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY));
    EXPECT_FALSE(DeleteObject(bitmap)); // still selected
    SelectObject(memory, previous);
    DeleteDC(memory);
    EndPaint(window, &ps);
    std::vector<std::uint32_t> pixels;
    EXPECT_TRUE(win32::readClientPixels(window, width, height, pixels));
    return pixels;
  }

  std::vector<unsigned char> stored_;
};

TEST_F(Gdi, BitmapsOfEitherRowOrderAndDepthPaintUnscaledAtTheOrigin) {
  for (bool topDown : {false, true}) {
    for (int bits : {24, 32}) {
      HWND window = popup(7, 6);
      HBITMAP bitmap = load(dib(5, 4, bits, topDown, gradient));
      ASSERT_NE(bitmap, nullptr);
      BITMAP info{};
      ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
      EXPECT_EQ(info.bmWidth, 5);
      EXPECT_EQ(info.bmHeight, 4);
      int width = 0;
      int height = 0;
      const auto pixels = paint(window, bitmap, width, height);
      ASSERT_EQ(width, 7);
      ASSERT_EQ(height, 6);
      for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
          const std::uint32_t expected = (x < 5 && y < 4) ? gradient(x, y) : 0;
          EXPECT_EQ(pixels[static_cast<std::size_t>(y * width + x)], expected)
              << "at " << x << "," << y << " topDown " << topDown << " bits " << bits;
        }
      EXPECT_TRUE(DeleteObject(bitmap));
      DestroyWindow(window);
    }
  }
}

TEST_F(Gdi, AWholeBmpFileAsResourceIsUnderstoodToo) {
  const auto body = dib(3, 2, 24, false, gradient);
  std::vector<unsigned char> file(14);
  file[0] = 'B';
  file[1] = 'M';
  const std::uint32_t size = static_cast<std::uint32_t>(14 + body.size());
  const std::uint32_t offset = 14 + sizeof(BITMAPINFOHEADER);
  std::memcpy(&file[2], &size, 4);
  std::memcpy(&file[10], &offset, 4);
  file.insert(file.end(), body.begin(), body.end());
  HWND window = popup(3, 2);
  HBITMAP bitmap = load(file);
  ASSERT_NE(bitmap, nullptr);
  int width = 0;
  int height = 0;
  const auto pixels = paint(window, bitmap, width, height);
  EXPECT_EQ(pixels[0], gradient(0, 0));
  EXPECT_EQ(pixels[5], gradient(2, 1));
}

TEST_F(Gdi, DamagedBitmapResourcesGiveNoBitmap) {
  auto good = dib(4, 4, 24, false, gradient);
  auto truncated = good;
  truncated.resize(good.size() - 1);
  auto header = [&](auto change) {
    auto bytes = good;
    BITMAPINFOHEADER h;
    std::memcpy(&h, bytes.data(), sizeof h);
    change(h);
    std::memcpy(bytes.data(), &h, sizeof h);
    return bytes;
  };
  const std::vector<std::vector<unsigned char>> bad = {
      truncated,
      std::vector<unsigned char>(good.begin(), good.begin() + 20),
      header([](BITMAPINFOHEADER& h) { h.biWidth = 0; }),
      header([](BITMAPINFOHEADER& h) { h.biHeight = 0x7FFFFFFF; }),
      header([](BITMAPINFOHEADER& h) { h.biHeight = static_cast<LONG>(0x80000000u); }),
      header([](BITMAPINFOHEADER& h) { h.biWidth = 0x40000000; }),
      header([](BITMAPINFOHEADER& h) { h.biBitCount = 8; }),
      header([](BITMAPINFOHEADER& h) { h.biCompression = 1; }),
      header([](BITMAPINFOHEADER& h) { h.biSize = 0xFFFFFFF0u; }),
      header([](BITMAPINFOHEADER& h) { h.biClrUsed = 0xFFFFFFFFu; }),
      {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F},
  };
  for (std::size_t i = 0; i < bad.size(); ++i)
    EXPECT_EQ(load(bad[i]), nullptr) << "case " << i;
  EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(901)), nullptr);
  EXPECT_NE(load(good), nullptr);
}

} // namespace
