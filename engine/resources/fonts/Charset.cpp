#include "engine/resources/fonts/Charset.h"

#include <algorithm>
#include <charconv>

#include "engine/core/Log.h"
#include "engine/data/props/PropsParser.h"
#include "engine/resources/textures/TextureKeys.h"
#include "engine/resources/textures/TextureManager.h"

namespace engine {
namespace {

std::uint8_t asByte(int value) { return static_cast<std::uint8_t>(value & 0xFF); }

// A "Sizes" or "Rects" entry written with a quoted subscript (Sizes["a"]) names the character
// after the quote; -1 when the key names none.
long quotedCharacter(const std::string& key) {
  if (key.size() < 2 || key[0] != '"') return -1;
  return static_cast<unsigned char>(key[1]);
}

} // namespace

int Charset::slot(long code) const {
  if (code < startChar_ || code > endChar_) return -1;
  return static_cast<int>(code - startChar_);
}

Result Charset::load(const FileLocation& location, const FileSearchPaths* searchContext, TextureManager& textures) {
  FileLocation file = location;
  FileSearchPaths context;
  if (searchContext) {
    if (!searchContext->resolveOrAbsolute(file)) return Result::failure();
    context.merge(*searchContext);
  } else {
    FileSearchPaths own;
    own.add(location.directory());
    own.resolveOrAbsolute(file);
  }
  // The image is looked for where the caller looks first, then beside the charset file.
  context.add(file.directory());
  PropsTree tree;
  if (!parsePropsFile(file, tree, &context)) return Result::failure();
  if (!readKeys(tree, file.path)) return Result::failure();
  if (imageName_.empty()) return Result::success();
  if (!loadTexture(context, textures)) return Result::failure();
  computeGrid();
  if (const PropsNode* rects = tree.findChild("Rects")) readRects(*rects);
  return Result::success();
}

bool Charset::readKeys(const PropsTree& tree, const std::string& path) {
  if (const PropsNode* format = tree.findChild("Format")) format_ = formatFromName(format->asString());
  imageName_ = tree.getString("Name", "");
  charsPerLine_ = tree.getInt("CharsPerLine", charsPerLine_);
  charWidth_ = tree.getInt("CharWidth", charWidth_);
  charHeight_ = tree.getInt("CharHeight", charHeight_);
  startChar_ = tree.getInt("StartChar", startChar_);
  endChar_ = tree.getInt("EndChar", endChar_);
  if (endChar_ < startChar_) return false;
  // Every character has a slot from here on, so its count must stay within the codes text
  // can hold.
  if (startChar_ < 0 || endChar_ > kLastCode) {
    logLine("Error: charset " + path + " covers characters outside 0.." + std::to_string(kLastCode) + "\n");
    return false;
  }
  // The grid places character i at column i mod CharsPerLine: without cells per row there
  // is no grid to take glyphs from.
  if (!imageName_.empty() && charsPerLine_ <= 0) {
    logLine("Error: charset " + path + " needs a CharsPerLine above 0\n");
    return false;
  }
  if (const PropsNode* key = tree.findChild("ColorKey")) colorKey_ = readColorKey(*key);
  // A character neither "Sizes" nor "Rects" gives a width advances by the cell width.
  widths_.assign(static_cast<std::size_t>(endChar_ - startChar_ + 1), asByte(std::clamp(charWidth_, 0, 255)));
  if (const PropsNode* sizes = tree.findChild("Sizes")) readSizes(*sizes);
  return true;
}

void Charset::readSizes(const PropsNode& sizes) {
  for (const auto& entry : sizes.children()) {
    long code = quotedCharacter(entry.name);
    if (code < 0) {
      long index = -1;
      const char* first = entry.name.data();
      const char* last = first + entry.name.size();
      const auto parsed = std::from_chars(first, last, index);
      if (parsed.ec != std::errc() || parsed.ptr != last || index < 0 || index > kLastCode) continue;
      code = startChar_ + index;
    }
    // A character outside the range (below "StartChar" too) has no slot to write.
    const int at = slot(code);
    if (at >= 0) widths_[static_cast<std::size_t>(at)] = asByte(entry.value->asInt());
  }
}

bool Charset::loadTexture(const FileSearchPaths& context, TextureManager& textures) {
  TextureRequest request;
  // Looked for in the folders of the search, on disk and in archives alike (a Media folder
  // may hold the image of an archived charset); an archive itself would claim any name.
  request.location = FileLocation::diskOrArchive(nullptr, imageName_);
  request.format = format_;
  request.colorKey = colorKey_;
  request.flags = kMatchFormat | kMatchColorKey;
  texture_ = textures.get(request, &context);
  if (!texture_) {
    logLine("Error: font texture loading failed\n");
    return false;
  }
  const Texture* image = texture_->parent() ? texture_->parent() : texture_.get();
  imageWidth_ = static_cast<float>(image->imageInfo().Width);
  imageHeight_ = static_cast<float>(image->imageInfo().Height);
  return true;
}

void Charset::computeGrid() {
  // A texture with an explicit rectangle (a sub-texture, or a definition that gives one)
  // holds the grid at that rectangle's corner.
  const int x0 = texture_->rect().left;
  const int y0 = texture_->rect().top;
  rects_.resize(widths_.size());
  for (std::size_t i = 0; i < widths_.size(); ++i) {
    const auto index = static_cast<std::int64_t>(i);
    const auto x = static_cast<float>(index % charsPerLine_ * charWidth_ + x0);
    const auto y = static_cast<float>(index / charsPerLine_ * charHeight_ + y0);
    rects_[i] = {x / imageWidth_, y / imageHeight_, (x + widths_[i]) / imageWidth_,
                 (y + static_cast<float>(charHeight_)) / imageHeight_};
  }
}

void Charset::readRects(const PropsNode& rects) {
  for (const auto& entry : rects.children()) {
    const PropsNode& value = *entry.value;
    if (value.children().count() != 4) continue;
    const int at = slot(quotedCharacter(entry.name));
    if (at < 0) continue;
    const PropsNode* edges[4] = {value.findChild("0"), value.findChild("1"), value.findChild("2"),
                                 value.findChild("3")};
    if (!edges[0] || !edges[1] || !edges[2] || !edges[3]) continue;
    // Both edges are inclusive pixels.
    const float left = static_cast<float>(edges[0]->asInt());
    const float top = static_cast<float>(edges[1]->asInt());
    const float right = static_cast<float>(edges[2]->asInt());
    const float bottom = static_cast<float>(edges[3]->asInt());
    const std::int64_t width = std::int64_t{edges[2]->asInt()} - edges[0]->asInt() + 1;
    widths_[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(width & 0xFF);
    rects_[static_cast<std::size_t>(at)] = {left / imageWidth_, top / imageHeight_, right / imageWidth_,
                                            bottom / imageHeight_};
  }
}

GlyphSize Charset::glyphSize(char16_t ch) const {
  const int at = slot(ch);
  if (at < 0 || static_cast<std::size_t>(at) >= widths_.size()) return {charWidth_, charHeight_};
  return {widths_[static_cast<std::size_t>(at)], charHeight_};
}

GlyphRect Charset::glyphRect(char16_t ch) const {
  const int at = slot(ch);
  if (!texture_ || at < 0 || static_cast<std::size_t>(at) >= rects_.size()) return {};
  return rects_[static_cast<std::size_t>(at)];
}

GlyphRect Charset::glyphRectInset(char16_t ch, float left, float top, float right, float bottom) const {
  if (!texture_) return {};
  GlyphRect rect = glyphRect(ch);
  rect.left += left / imageWidth_;
  rect.top += top / imageHeight_;
  rect.right -= right / imageWidth_;
  rect.bottom -= bottom / imageHeight_;
  return rect;
}

} // namespace engine
