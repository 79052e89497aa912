// Every loaded font style of the process, keyed by size: text drawing asks it for the
// charset that holds a character in a style, and the best-matching size answers.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "engine/core/Result.h"
#include "engine/data/FileSearchPaths.h"
#include "engine/resources/fonts/Charset.h"
#include "engine/resources/fonts/TextStyle.h"

namespace engine {

class TextureManager;

// The charsets of one style, in the order its font file names them.
using CharsetList = std::vector<std::unique_ptr<Charset>>;

class FontManager {
public:
  explicit FontManager(TextureManager& textures) : textures_(textures) {}
  ~FontManager();
  FontManager(const FontManager&) = delete;
  FontManager& operator=(const FontManager&) = delete;

  // Loads a font file and enters its styles. Fails when the file cannot be read or parsed,
  // or when one of its charsets fails (the others are still loaded and kept).
  Result loadFont(const FileLocation& path, const FileSearchPaths* searchContext = nullptr);

  // The charset of the best-matching style that holds `ch`: the style of the requested size,
  // else the smallest larger one, else the largest smaller one. Null when none holds it.
  Charset* findCharset(const TextStyle& style, char16_t ch) const;
  // The first charset of the smallest style; null while no style is loaded.
  Charset* firstCharset() const;

  std::size_t styleCount() const { return styles_.size(); }
  // The style entered for a size (its key keeps the flags and name of the first style of
  // that size); null when there is none.
  const TextStyle* styleOfSize(int size) const;

private:
  struct Entry {
    TextStyle key;
    std::unique_ptr<CharsetList> charsets;
  };
  CharsetList& enterStyle(const TextStyle& style);

  TextureManager& textures_;
  // Ordered by size alone: one entry per size.
  std::map<int, Entry> styles_;
  // Lists a later style of the same size replaced: text laid out earlier may still point
  // at their charsets, so they live as long as the manager.
  std::vector<std::unique_ptr<CharsetList>> replaced_;
};

// The manager the application publishes for everything that lays out text (null while
// there is none).
FontManager* fontManager();
void publishFontManager(FontManager* manager);

} // namespace engine
