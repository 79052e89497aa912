// GDI: bitmaps from the resource table, memory and window device contexts, BitBlt, and
// painting a window through its SDL window surface.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include <SDL.h>

#include "platform/win32/desktop.h"
#include "platform/win32/resources.h"
#include "platform/win32/window_system.h"

namespace win32::detail {
namespace {

struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels; // 0x00RRGGBB, top row first
};

struct DeviceContext {
  HWND window = nullptr; // a window's DC (from BeginPaint) when set
  UINT_PTR selected = 0; // the bitmap of a memory DC
};

struct Gdi {
  std::map<UINT_PTR, std::unique_ptr<Bitmap>> bitmaps;
  std::map<UINT_PTR, DeviceContext> contexts;
  UINT_PTR next = 0x60000000; // handle values apart from windows and X11 ids
  UINT_PTR stockBitmap = 0;
};

Gdi& gdi() {
  static Gdi g;
  return g;
}

// The stock objects are fixed small values, like the predefined handles of Windows.
constexpr UINT_PTR kStockBase = 0x50000000;
constexpr int kStockCount = 18;

bool isStock(UINT_PTR handle) { return handle >= kStockBase && handle < kStockBase + kStockCount; }

UINT_PTR newHandle() { return gdi().next += 0x10; }

// A memory DC starts with a 1 x 1 black bitmap selected, as on Windows.
UINT_PTR stockBitmap() {
  Gdi& g = gdi();
  if (!g.stockBitmap) {
    g.stockBitmap = newHandle();
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = bitmap->height = 1;
    bitmap->pixels.assign(1, 0);
    g.bitmaps[g.stockBitmap] = std::move(bitmap);
  }
  return g.stockBitmap;
}

DeviceContext* context(HDC dc) {
  auto it = gdi().contexts.find(reinterpret_cast<UINT_PTR>(dc));
  return it == gdi().contexts.end() ? nullptr : &it->second;
}

Bitmap* bitmap(UINT_PTR handle) {
  auto it = gdi().bitmaps.find(handle);
  return it == gdi().bitmaps.end() ? nullptr : it->second.get();
}

std::uint32_t readLE32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Decodes a DIB (BITMAPINFOHEADER, optional colour table, rows), checking every size
// against the bytes there are. A resource made from a whole .bmp file still carries its
// 14-byte file header, whose pixel offset then says where the rows start.
std::unique_ptr<Bitmap> decodeDib(const unsigned char* data, std::size_t size) {
  const bool file = size >= 2 && data[0] == 'B' && data[1] == 'M';
  const std::size_t headerAt = file ? 14 : 0;
  if (size < headerAt + sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER header;
  std::memcpy(&header, data + headerAt, sizeof header);
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biClrUsed > 256) return nullptr;
  if (header.biPlanes != 1 || header.biCompression != BI_RGB) return nullptr;
  if (header.biBitCount != 24 && header.biBitCount != 32) return nullptr;
  const std::size_t tableEnd = headerAt + header.biSize + static_cast<std::size_t>(header.biClrUsed) * 4;
  const std::size_t rowsAt = file ? readLE32(data + 10) : tableEnd;
  if (rowsAt < headerAt + header.biSize || rowsAt > size) return nullptr;

  const long long width = header.biWidth;
  const long long height = header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
  if (width <= 0 || height <= 0 || width > 32768 || height > 32768) return nullptr;
  const long long bytesPerPixel = header.biBitCount / 8;
  const long long stride = (width * bytesPerPixel + 3) / 4 * 4;
  if (stride * height > static_cast<long long>(size - rowsAt)) return nullptr;

  auto out = std::make_unique<Bitmap>();
  out->width = static_cast<int>(width);
  out->height = static_cast<int>(height);
  out->pixels.resize(static_cast<std::size_t>(width * height));
  const bool bottomUp = header.biHeight > 0;
  for (long long y = 0; y < height; ++y) {
    const long long sourceRow = bottomUp ? height - 1 - y : y;
    const unsigned char* row = data + rowsAt + sourceRow * stride;
    for (long long x = 0; x < width; ++x) {
      const unsigned char* p = row + x * bytesPerPixel;
      out->pixels[static_cast<std::size_t>(y * width + x)] =
          static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
    }
  }
  return out;
}

SDL_Surface* surfaceOf(HWND handle) {
  Window* window = WindowSystem::get().find(handle);
  return window ? SDL_GetWindowSurface(window->sdl) : nullptr;
}

} // namespace

void forgetWindowSurface(HWND window) {
  std::erase_if(gdi().contexts, [&](const auto& entry) { return entry.second.window == window; });
}

} // namespace win32::detail

using win32::detail::Window;
using win32::detail::WindowSystem;

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name) {
  HRSRC found = FindResourceA(instance, name, RT_BITMAP);
  if (!found) return nullptr;
  const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(instance, found)));
  auto decoded = win32::detail::decodeDib(data, SizeofResource(instance, found));
  if (!decoded) {
    win32::reportDiagnostic("LoadBitmapA: bitmap resource " + std::to_string(reinterpret_cast<UINT_PTR>(name)) +
                            " is not an uncompressed 24- or 32-bit DIB that fits its resource");
    return nullptr;
  }
  const UINT_PTR handle = win32::detail::newHandle();
  win32::detail::gdi().bitmaps[handle] = std::move(decoded);
  return reinterpret_cast<HBITMAP>(handle);
}

HDC CreateCompatibleDC(HDC) {
  const UINT_PTR handle = win32::detail::newHandle();
  win32::detail::gdi().contexts[handle] = win32::detail::DeviceContext{nullptr, win32::detail::stockBitmap()};
  return reinterpret_cast<HDC>(handle);
}

BOOL DeleteDC(HDC dc) { return win32::detail::gdi().contexts.erase(reinterpret_cast<UINT_PTR>(dc)) ? TRUE : FALSE; }

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  win32::detail::DeviceContext* target = win32::detail::context(dc);
  const auto handle = reinterpret_cast<UINT_PTR>(object);
  if (!target || target->window || !win32::detail::bitmap(handle)) return nullptr;
  const UINT_PTR previous = target->selected;
  target->selected = handle;
  return reinterpret_cast<HGDIOBJ>(previous);
}

BOOL DeleteObject(HGDIOBJ object) {
  const auto handle = reinterpret_cast<UINT_PTR>(object);
  if (win32::detail::isStock(handle)) return TRUE;
  win32::detail::Gdi& g = win32::detail::gdi();
  if (handle == g.stockBitmap) return TRUE;
  // A bitmap selected into a DC cannot be deleted.
  for (const auto& [dc, context] : g.contexts)
    if (context.selected == handle) return FALSE;
  return g.bitmaps.erase(handle) ? TRUE : FALSE;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID out) {
  const win32::detail::Bitmap* source = win32::detail::bitmap(reinterpret_cast<UINT_PTR>(object));
  if (!source) return 0;
  if (!out) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP info{};
  info.bmWidth = source->width;
  info.bmHeight = source->height;
  info.bmWidthBytes = source->width * 4;
  info.bmPlanes = 1;
  info.bmBitsPixel = 32;
  std::memcpy(out, &info, sizeof info);
  return static_cast<int>(sizeof(BITMAP));
}

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= win32::detail::kStockCount) return nullptr;
  return reinterpret_cast<HGDIOBJ>(win32::detail::kStockBase + static_cast<UINT_PTR>(index));
}

BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sourceX, int sourceY, DWORD rop) {
  win32::detail::DeviceContext* to = win32::detail::context(target);
  if (!to || width < 0 || height < 0) return FALSE;
  const win32::detail::Bitmap* from = nullptr;
  if (rop == SRCCOPY) {
    win32::detail::DeviceContext* src = win32::detail::context(source);
    if (!src || src->window) return FALSE;
    from = win32::detail::bitmap(src->selected);
    if (!from) return FALSE;
  } else if (rop != BLACKNESS && rop != WHITENESS) {
    return FALSE;
  }
  auto sourcePixel = [&](int sx, int sy) -> std::uint32_t {
    if (rop == WHITENESS) return 0xFFFFFF;
    if (!from || sx < 0 || sy < 0 || sx >= from->width || sy >= from->height) return 0;
    return from
        ->pixels[static_cast<std::size_t>(sy) * static_cast<std::size_t>(from->width) + static_cast<std::size_t>(sx)];
  };

  if (to->window) {
    SDL_Surface* surface = win32::detail::surfaceOf(to->window);
    if (!surface) return FALSE;
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
    const int bytes = surface->format->BytesPerPixel;
    for (int row = 0; row < height; ++row) {
      const int ty = y + row;
      if (ty < 0 || ty >= surface->h) continue;
      auto* line = static_cast<Uint8*>(surface->pixels) + static_cast<std::ptrdiff_t>(ty) * surface->pitch;
      for (int column = 0; column < width; ++column) {
        const int tx = x + column;
        if (tx < 0 || tx >= surface->w) continue;
        const std::uint32_t rgb = sourcePixel(sourceX + column, sourceY + row);
        const Uint32 mapped = SDL_MapRGB(surface->format, static_cast<Uint8>(rgb >> 16), static_cast<Uint8>(rgb >> 8),
                                         static_cast<Uint8>(rgb));
        std::memcpy(line + static_cast<std::ptrdiff_t>(tx) * bytes, &mapped, static_cast<std::size_t>(bytes));
      }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    return TRUE;
  }
  win32::detail::Bitmap* into = win32::detail::bitmap(to->selected);
  if (!into || into == from) return into != nullptr && rop == SRCCOPY && x == sourceX && y == sourceY;
  for (int row = 0; row < height; ++row) {
    const int ty = y + row;
    if (ty < 0 || ty >= into->height) continue;
    for (int column = 0; column < width; ++column) {
      const int tx = x + column;
      if (tx < 0 || tx >= into->width) continue;
      into->pixels[static_cast<std::size_t>(ty) * static_cast<std::size_t>(into->width) +
                   static_cast<std::size_t>(tx)] = sourcePixel(sourceX + column, sourceY + row);
    }
  }
  return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint) {
  Window* window = WindowSystem::get().find(handle);
  if (!window || !paint) return nullptr;
  *paint = PAINTSTRUCT{};
  GetClientRect(handle, &paint->rcPaint);
  paint->fErase = FALSE;
  window->needsPaint = false;
  if (!SDL_GetWindowSurface(window->sdl)) return nullptr;
  const UINT_PTR dc = win32::detail::newHandle();
  win32::detail::gdi().contexts[dc] = win32::detail::DeviceContext{handle, 0};
  paint->hdc = reinterpret_cast<HDC>(dc);
  return paint->hdc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  if (paint->hdc) DeleteDC(paint->hdc);
  Window* window = WindowSystem::get().find(handle);
  if (!window) return FALSE;
  if (paint->hdc) SDL_UpdateWindowSurface(window->sdl);
  return TRUE;
}

namespace win32 {

bool readBitmapPixels(HBITMAP handle, int& width, int& height, std::vector<std::uint32_t>& pixels) {
  const detail::Bitmap* source = detail::bitmap(reinterpret_cast<UINT_PTR>(handle));
  if (!source) return false;
  width = source->width;
  height = source->height;
  pixels = source->pixels;
  return true;
}

bool readClientPixels(HWND handle, int& width, int& height, std::vector<std::uint32_t>& pixels) {
  detail::Window* window = detail::WindowSystem::get().find(handle);
  if (!window) return false;
  SDL_Surface* surface = SDL_GetWindowSurface(window->sdl);
  if (!surface) return false;
  width = surface->w;
  height = surface->h;
  pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
  const int bytes = surface->format->BytesPerPixel;
  for (int y = 0; y < height; ++y) {
    const auto* line = static_cast<const Uint8*>(surface->pixels) + static_cast<std::ptrdiff_t>(y) * surface->pitch;
    for (int x = 0; x < width; ++x) {
      Uint32 value = 0;
      std::memcpy(&value, line + static_cast<std::ptrdiff_t>(x) * bytes, static_cast<std::size_t>(bytes));
      Uint8 r = 0;
      Uint8 g = 0;
      Uint8 b = 0;
      SDL_GetRGB(value, surface->format, &r, &g, &b);
      pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
          static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 | b;
    }
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  return true;
}

} // namespace win32
