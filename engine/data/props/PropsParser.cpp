#include "engine/data/props/PropsParser.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/core/Strings.h"
#include "engine/data/ByteBlock.h"

namespace engine {

namespace {

constexpr std::size_t kNone = std::string_view::npos;
// Nested element lists and includes together; each level costs a few stack frames.
constexpr int kMaxNesting = PropsMap::kMaxDepth;
constexpr std::size_t kMaxIncludeDepth = 16;
// Copies and includes are the only ways a few bytes of text make much more work: a chain
// of keys that each copy the previous one twice doubles per statement, files that include
// others several times multiply. A parse gets this much of either, and no more (real
// files copy a few colour triples).
constexpr std::size_t kMaxCopiedNodes = std::size_t(1) << 17;
constexpr std::size_t kMaxIncludes = 1024;

// One statement from `offset`: comments and line breaks dropped, ended by a ';' outside
// quotes (consumed) or by the end of the text.
std::string readStatement(std::string_view text, std::size_t& offset) {
  std::string statement;
  int previous = -1;
  bool inDouble = false;
  bool inSingle = false;
  while (offset < text.size()) {
    const char c = text[offset];
    if (c == '/' && previous == '/') {
      // A comment, wherever it stands (inside quotes too): the '/' already taken goes.
      statement.pop_back();
      while (offset < text.size() && text[offset] != '\n' && text[offset] != '\r')
        ++offset;
      while (offset < text.size() && (text[offset] == '\n' || text[offset] == '\r'))
        ++offset;
      previous = -1;
      continue;
    }
    ++offset;
    if (c == '\n' || c == '\r') continue;
    if (c == ';' && !inDouble && !inSingle) break;
    statement += c;
    if (c == '"' && previous != '\\' && !inSingle) inDouble = !inDouble;
    if (c == '\'' && previous != '\\' && !inDouble) inSingle = !inSingle;
    previous = static_cast<unsigned char>(c);
  }
  return statement;
}

// Where the top-level item starting at `at` ends: a quoted string (no escapes), a bracket
// or parenthesis group (nesting only with its own kind), or a single byte.
std::size_t skipItem(std::string_view text, std::size_t at) {
  const char c = text[at];
  if (c == '"' || c == '\'') {
    const std::size_t close = text.find(c, at + 1);
    return close == kNone ? text.size() : close + 1;
  }
  if (c == '[' || c == '(') {
    const char closing = c == '[' ? ']' : ')';
    int depth = 0;
    for (std::size_t i = at; i < text.size(); ++i) {
      if (text[i] == c) ++depth;
      if (text[i] == closing && --depth == 0) return i + 1;
    }
    return text.size();
  }
  return at + 1;
}

bool itemBoundary(std::string_view text, std::size_t position) {
  std::size_t at = 0;
  while (at < position)
    at = skipItem(text, at);
  return at == position;
}

std::size_t findTopLevel(std::string_view text, char wanted) {
  for (std::size_t at = 0; at < text.size(); at = skipItem(text, at)) {
    if (text[at] == wanted) return at;
  }
  return kNone;
}

bool wholeNumber(std::string_view text) {
  double value = 0;
  return !text.empty() && parseDecimalPrefix(text, value) == text.size();
}

// The bytes after an opening quote up to the next unescaped one; escapes stay as written.
std::string quotedContent(std::string_view text) {
  const char quote = text[0];
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == quote && text[i - 1] != '\\') return std::string(text.substr(1, i - 1));
  }
  return std::string(text);
}

std::string_view elementList(std::string_view value) {
  const std::size_t open = value.find('(');
  if (open == kNone || open + 1 >= value.size()) return {};
  return trimBlanks(value.substr(open + 1, value.size() - 1 - (open + 1)));
}

std::string fileIdentity(const FileLocation& location) {
  if (location.flags & kLocationArchive)
    return "archive:" + std::to_string(reinterpret_cast<std::uintptr_t>(location.archive)) + ":" +
           toLower(location.path);
  std::error_code error;
  const auto canonical = std::filesystem::weakly_canonical(location.path, error);
  return "disk:" + (error ? location.path : canonical.string());
}

class PropsParser {
public:
  PropsParser(PropsTree& tree, const FileSearchPaths* searchPaths) : tree_(tree), searchPaths_(searchPaths) {}

  bool parseStream(Stream& stream) {
    const std::int64_t size = stream.size() - stream.tell();
    if (size <= 0) return false;
    std::string text;
    if (!tryResize(text, static_cast<std::size_t>(size))) {
      logLine("Error: no memory for a props file of " + std::to_string(size) + " bytes\n");
      return false;
    }
    if (stream.read(text.data(), text.size()) == 0) return false;
    std::shared_ptr<PropsNode> context; // a file starts at the root
    bool ok = true;
    std::size_t offset = 0;
    for (;;) {
      const std::string statement = readStatement(text, offset);
      if (trimBlanks(statement).empty()) break;
      ok = evaluate(statement, context) && ok;
    }
    return ok;
  }

  bool parseFile(FileLocation location) {
    if (searchPaths_) searchPaths_->resolve(location);
    std::unique_ptr<Stream> stream = location.openStream(kStreamRead);
    if (!stream) return false;
    includes_.push_back(fileIdentity(location));
    const bool ok = parseStream(*stream);
    includes_.pop_back();
    stream->close();
    return ok;
  }

private:
  // The node at a key path below `start` (or the root), created as needed; intermediate
  // nodes become arrays or objects by the separator after them.
  std::shared_ptr<PropsNode> nodeAt(const std::shared_ptr<PropsNode>& start, std::string_view path) {
    PropsMap* map = start ? &start->children() : &tree_;
    int depth = start ? start->depth() : 0;
    std::string_view rest = path;
    for (;;) {
      const PropsKeyComponent component = takeKeyComponent(rest);
      std::shared_ptr<PropsNode> node = map->findOrAdd(component.name, depth);
      if (!node) {
        logLine("Error: props key " + std::string(path) + " nests too deeply\n");
        return nullptr;
      }
      if (component.last) return node;
      node->setKind(component.kind);
      map = &node->children();
      depth = node->depth();
    }
  }

  bool evaluate(std::string_view text, std::shared_ptr<PropsNode>& context) {
    const std::string_view statement = trimBlanks(text);
    if (statement.substr(0, 5) == "using") {
      const std::string_view path = trimBlanks(statement.substr(5));
      if (path.empty()) {
        context.reset();
        return true;
      }
      std::shared_ptr<PropsNode> scope = nodeAt(nullptr, path);
      if (!scope) return false;
      scope->setKind(PropsKind::Object);
      context = std::move(scope);
      return true;
    }
    if (statement.substr(0, 7) == "include") {
      if (const std::optional<bool> included = include(statement)) return *included;
    }

    std::size_t operatorAt = statement.find("=>");
    std::size_t operatorLength = 2;
    if (operatorAt == kNone || !itemBoundary(statement, operatorAt)) {
      operatorAt = statement.find('=');
      operatorLength = 1;
      if (operatorAt != kNone && !itemBoundary(statement, operatorAt)) operatorAt = kNone;
    }
    std::shared_ptr<PropsNode> target;
    std::string_view value;
    if (operatorAt != kNone) {
      target = nodeAt(context, statement.substr(0, operatorAt));
      value = statement.substr(operatorAt + operatorLength);
    } else {
      if (!context) return true; // a statement without an operator at file scope
      target = nodeAt(context, context->takeNextIndex());
      value = statement;
    }
    if (!target) return false;
    target->clearChildren();
    return assign(target, trimBlanks(value));
  }

  // The target is held by a shared handle throughout: an element of its list may reassign
  // one of its ancestors and so take it out of the tree.
  bool assign(const std::shared_ptr<PropsNode>& target, std::string_view value) {
    if (value.empty()) {
      target->setValue("");
      return true;
    }
    if (value.substr(0, 5) == "array" || value.substr(0, 6) == "object") {
      target->setValue("");
      target->setKind(value[0] == 'a' ? PropsKind::Array : PropsKind::Object);
      return evaluateElements(target, elementList(value));
    }
    if (value[0] == '"' || value[0] == '\'') {
      target->setValue(quotedContent(value));
      return true;
    }
    if (wholeNumber(value)) {
      target->setValue(value);
      return true;
    }
    // A reference: a copy of the node of that key path (created, empty, when missing).
    std::shared_ptr<PropsNode> source = nodeAt(nullptr, value);
    if (!source) return false;
    copiedNodes_ += source->descendantCount();
    if (copiedNodes_ > kMaxCopiedNodes) {
      logLine("Error: props copies grow too large at " + std::string(value) + "\n");
      return false;
    }
    if (!target->copyFrom(*source)) {
      logLine("Error: props key " + std::string(value) + " is copied too deeply\n");
      return false;
    }
    return true;
  }

  bool evaluateElements(const std::shared_ptr<PropsNode>& container, std::string_view list) {
    if (!enter()) return false;
    bool ok = true;
    while (!list.empty()) {
      const std::size_t comma = findTopLevel(list, ',');
      std::shared_ptr<PropsNode> context = container;
      ok = evaluate(list.substr(0, comma), context) && ok;
      list = comma == kNone ? std::string_view{} : list.substr(comma + 1);
    }
    --nesting_;
    return ok;
  }

  bool enter() {
    if (nesting_ >= kMaxNesting) {
      logLine("Error: props text nests too deeply\n");
      return false;
    }
    ++nesting_;
    return true;
  }

  // Answers nothing when the file cannot be opened: the statement is then read as an
  // ordinary one.
  std::optional<bool> include(std::string_view statement) {
    const std::size_t open = statement.find('(');
    const std::size_t close = statement.find(')');
    if (open == kNone || close == kNone || close < open) return std::nullopt;
    const std::string_view inner = trimBlanks(statement.substr(open + 1, close - open - 1));
    if (inner.empty() || inner[0] != '"') return std::nullopt;
    const std::size_t endQuote = inner.find('"', 1);
    FileLocation location(inner.substr(1, endQuote == kNone ? kNone : endQuote - 1));
    if (searchPaths_) searchPaths_->resolve(location);
    const std::string identity = fileIdentity(location);
    if (std::find(includes_.begin(), includes_.end(), identity) != includes_.end()) {
      logLine("Error: props file " + location.path + " includes itself\n");
      return false;
    }
    if (includes_.size() >= kMaxIncludeDepth || ++includeCount_ > kMaxIncludes) {
      logLine("Error: props includes nest too deeply or are too many at " + location.path + "\n");
      return false;
    }
    std::unique_ptr<Stream> stream = location.openStream(kStreamRead);
    if (!stream) return std::nullopt;
    if (!enter()) return false;
    includes_.push_back(identity);
    const bool ok = parseStream(*stream);
    includes_.pop_back();
    --nesting_;
    stream->close();
    return ok;
  }

  PropsTree& tree_;
  const FileSearchPaths* searchPaths_;
  std::vector<std::string> includes_;
  int nesting_ = 0;
  std::size_t copiedNodes_ = 0;
  std::size_t includeCount_ = 0;
};

} // namespace

bool parseProps(Stream& stream, PropsTree& tree, const FileSearchPaths* searchPaths) {
  return PropsParser(tree, searchPaths).parseStream(stream);
}

bool parsePropsFile(FileLocation location, PropsTree& tree, const FileSearchPaths* searchPaths) {
  return PropsParser(tree, searchPaths).parseFile(std::move(location));
}

} // namespace engine
