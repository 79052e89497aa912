// What the text fuzzers do with one input, shared with the unit test that replays their
// committed corpora: markup through parsing, style resolution, layout and glyph vertices;
// charset and font files through their loaders and the glyph queries; texture definition
// files through their loader, the atlas placement and the animation clock. Each run must
// neither crash nor hang, and the checks below abort on a broken invariant.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "engine/core/Log.h"
#include "engine/core/WideString.h"
#include "engine/gui/text/GlyphBatch.h"
#include "engine/gui/text/MarkupReader.h"
#include "engine/gui/text/TextStyles.h"
#include "engine/render/DevicePointer.h"
#include "engine/resources/fonts/FontManager.h"
#include "engine/resources/textures/TextureAnimation.h"
#include "engine/resources/textures/TextureDefinition.h"
#include "engine/resources/textures/TextureManager.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/d3dx9/ImageEncoder.h"

namespace fuzztargets {

inline void require(bool condition) {
  if (!condition) std::abort();
}

// A recording device, a texture store, and a folder holding "sheet.png" (256 x 128) and a
// font "letters.fs" of one charset over it: what the inputs load and lay out with. Made
// once per process.
class TextWorld {
public:
  static TextWorld& get() {
    static TextWorld world;
    engine::publishDevice(world.device_);
    engine::publishTextureManager(&world.textures_);
    return world;
  }
  engine::TextureManager& textures() { return textures_; }
  engine::FontManager& fonts() { return *fonts_; }
  const engine::FileSearchPaths& folder() const { return folder_; }
  const std::filesystem::path& path() const { return path_; }
  ~TextWorld() {
    fonts_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

private:
  TextWorld() {
    IDirect3D9* d3d = d3d9::createRecordingDirect3D();
    D3DPRESENT_PARAMETERS p{};
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    p.hDeviceWindow = reinterpret_cast<HWND>(0x1234);
    p.Windowed = TRUE;
    d3d->CreateDevice(0, D3DDEVTYPE_HAL, p.hDeviceWindow, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_);
    engine::publishDevice(device_);
    path_ = std::filesystem::temp_directory_path() / ("tickwood-text-fuzz-" + std::to_string(std::rand()));
    const std::filesystem::path& path = path_;
    std::filesystem::create_directories(path);
    std::vector<BYTE> png;
    d3dx9::encodePng(d3dx9::blankImage(256, 128), true, png);
    write(path / "sheet.png", std::string(png.begin(), png.end()));
    write(path / "letters.css", "Name = \"sheet.png\"; CharsPerLine = 16; CharWidth = 10; CharHeight = 12;"
                                "StartChar = 32; EndChar = 126; Sizes[\"i\"] = 4; Sizes[\" \"] = 5;");
    write(path / "letters.fs", "Styles[0].Size = 12; Styles[0].Charsets = array(\"letters.css\");");
    folder_.add(engine::FileLocation::disk(path.string()));
    fonts_ = std::make_unique<engine::FontManager>(textures_);
    engine::LogCapture quiet;
    fonts_->loadFont(engine::FileLocation::disk((path / "letters.fs").string()));
  }
  static void write(const std::filesystem::path& file, const std::string& bytes) {
    std::FILE* out = std::fopen(file.string().c_str(), "wb");
    if (!out) return;
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  }

  std::filesystem::path path_;
  IDirect3DDevice9* device_ = nullptr;
  engine::TextureManager textures_;
  std::unique_ptr<engine::FontManager> fonts_;
  engine::FileSearchPaths folder_;
};

inline void checkTree(const engine::TextNode& node, int depth) {
  require(depth <= engine::kMaxMarkupDepth + 1);
  for (const auto& child : node.children) {
    require(child->parent == &node);
    require(!node.isText);
    checkTree(*child, depth + 1);
  }
}

// Markup (bytes as the system code page) through the reader, styles, layout and vertices.
inline void runMarkup(const std::uint8_t* data, std::size_t size) {
  engine::LogCapture quiet;
  TextWorld& world = TextWorld::get();
  const std::u16string text = engine::widen(std::string_view(reinterpret_cast<const char*>(data), size));
  engine::TextNode root;
  root.tagName = u"root";
  engine::readMarkup(text, root);
  checkTree(root, 0);
  engine::TextStyle base;
  base.size = 12;
  base.scale = size > 0 ? 0.5f + static_cast<float>(data[0] % 4) * 0.5f : 1.0f;
  engine::resolveStyles(root, base, &world.fonts());
  std::vector<engine::TextItem> items;
  engine::flattenDocument(root, items);
  const int viewWidth = size > 1 ? data[1] * 2 : 100;
  // One result for both passes, as a view reuses its own: the second must not keep lines of the first.
  engine::TextLayoutResult layout;
  for (bool wrap : {false, true}) {
    engine::layoutText(items, viewWidth, wrap, &world.fonts(), layout);
    require(!layout.lines.empty());
    std::size_t next = 0;
    for (const engine::TextLine& line : layout.lines) {
      require(line.begin == next && line.end >= line.begin);
      next = line.end;
    }
    require(next == items.size());
    engine::GlyphPlacement placement;
    placement.clip = {10, 10, viewWidth, 60};
    engine::GlyphBatch batch;
    batch.build(items, layout, placement);
    for (const engine::GlyphRun& run : batch.runs()) {
      require(run.vertices.size() % 6 == 0);
      for (const engine::GlyphVertex& vertex : run.vertices)
        require(vertex.x >= 9.5f && vertex.x <= 9.5f + static_cast<float>(viewWidth) && vertex.y >= 9.5f &&
                vertex.y <= 69.5f);
    }
  }
}

// The same bytes as a charset file and as a font file, found beside the world's sheet.
inline void runFonts(const std::uint8_t* data, std::size_t size) {
  engine::LogCapture quiet;
  TextWorld& world = TextWorld::get();
  const engine::FileLocation file = engine::FileLocation::memory(data, static_cast<std::uint32_t>(size));
  engine::Charset charset;
  const bool loaded = charset.load(file, &world.folder(), world.textures()).ok();
  require(!loaded || charset.startChar() <= charset.endChar());
  const int last = std::min(charset.endChar(), charset.startChar() + 300);
  for (int code = std::max(charset.startChar(), 0) - 2; code <= last + 2; ++code) {
    const auto ch = static_cast<char16_t>(code);
    const engine::GlyphSize glyph = charset.glyphSize(ch);
    require(glyph.height == charset.charHeight());
    if (!charset.covers(ch)) require(glyph.width == charset.charWidth());
    const engine::GlyphRect rect = charset.glyphRectInset(ch, 1.0f, 1.0f, 1.0f, 1.0f);
    require(std::isfinite(rect.left) && std::isfinite(rect.bottom));
  }
  engine::FontManager fonts(world.textures());
  fonts.loadFont(file, &world.folder());
  engine::TextStyle style;
  for (int size : {0, 14, 64, 1000})
    for (char16_t ch : {u'A', u'0', u'\xFFFF'}) {
      style.size = size;
      if (engine::Charset* found = fonts.findCharset(style, ch)) require(found->covers(ch));
    }
  (void)fonts.firstCharset();
}

// A texture definition from memory (image names are looked for in the working folder),
// then every animation stepped far ahead.
inline void runTextureDefinition(const std::uint8_t* data, std::size_t size) {
  engine::LogCapture quiet;
  TextWorld::get();
  engine::Texture texture;
  if (!engine::TextureDefinitionLoader::loadFile(texture,
                                                 engine::FileLocation::memory(data, static_cast<std::uint32_t>(size))))
    return;
  for (const auto& sub : texture.subs()) {
    require(sub->parent() == &texture && sub->placement() == 0);
    (void)sub->uvRect();
  }
  for (const auto& [name, frames] : texture.animations()) {
    engine::TextureAnimationState state;
    if (!engine::startAnimation(texture, name, state, 0)) continue;
    for (std::int64_t now : {std::int64_t{1}, std::int64_t{5000}, std::int64_t{1} << 40})
      (void)engine::animationTransform(texture, state, now);
  }
}

} // namespace fuzztargets
