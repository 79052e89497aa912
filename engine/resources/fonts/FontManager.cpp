#include "engine/resources/fonts/FontManager.h"

#include "engine/core/Log.h"
#include "engine/core/WideString.h"
#include "engine/data/props/PropsParser.h"

namespace engine {
namespace {

FontManager* g_published = nullptr;

TextStyle readStyle(const PropsNode& node) {
  TextStyle style;
  const PropsMap& keys = node.children();
  style.size = keys.getInt("Size", style.size);
  if (keys.getInt("Bold", 0) > 0) style.flags |= kTextBold;
  if (keys.getInt("Italic", 0) > 0) style.flags |= kTextItalic;
  if (const PropsNode* name = keys.findChild("FontName")) style.fontName = widen(name->asString());
  return style;
}

} // namespace

FontManager* fontManager() { return g_published; }

void publishFontManager(FontManager* manager) { g_published = manager; }

FontManager::~FontManager() {
  if (g_published == this) g_published = nullptr;
}

CharsetList& FontManager::enterStyle(const TextStyle& style) {
  auto [entry, added] = styles_.try_emplace(style.size);
  if (added) {
    entry->second.key = style;
  } else {
    replaced_.push_back(std::move(entry->second.charsets));
  }
  entry->second.charsets = std::make_unique<CharsetList>();
  return *entry->second.charsets;
}

Result FontManager::loadFont(const FileLocation& path, const FileSearchPaths* searchContext) {
  FileSearchPaths context;
  if (searchContext) context.merge(*searchContext);
  // The folder as given (a media name is looked for on disk and in the archive alike), so
  // that each charset is found where a Media folder or the archive has it.
  context.add(path.directory());
  FileLocation file = path;
  if (!context.resolveOrAbsolute(file)) return Result::failure();
  PropsTree tree;
  if (!parsePropsFile(file, tree, &context)) return Result::failure();

  Result result = Result::success();
  const PropsNode* styles = tree.findChild("Styles");
  if (!styles) return result;
  for (const auto& element : styles->children()) {
    const PropsNode* charsets = element.value->findChild("Charsets");
    if (!charsets) continue;
    CharsetList& list = enterStyle(readStyle(*element.value));
    for (const auto& name : charsets->children()) {
      // Found through the folders of the search (an archive itself would claim any name).
      FileLocation charsetFile = FileLocation::diskOrArchive(nullptr, name.value->asString());
      auto charset = std::make_unique<Charset>();
      if (!charset->load(charsetFile, &context, textures_)) {
        logLine("Error: Charset '" + name.value->asString() + "' loading failed\n");
        result &= Result::failure();
      }
      list.push_back(std::move(charset));
    }
  }
  return result;
}

Charset* FontManager::findCharset(const TextStyle& style, char16_t ch) const {
  if (styles_.empty()) return nullptr;
  auto chosen = styles_.lower_bound(style.size);
  if (chosen == styles_.end()) chosen = std::prev(chosen);
  for (const auto& charset : *chosen->second.charsets)
    if (charset->covers(ch)) return charset.get();
  return nullptr;
}

Charset* FontManager::firstCharset() const {
  if (styles_.empty() || styles_.begin()->second.charsets->empty()) return nullptr;
  return styles_.begin()->second.charsets->front().get();
}

const TextStyle* FontManager::styleOfSize(int size) const {
  auto entry = styles_.find(size);
  return entry == styles_.end() ? nullptr : &entry->second.key;
}

} // namespace engine
