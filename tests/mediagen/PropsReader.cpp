#include "tests/mediagen/PropsReader.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace mediatest {

namespace {

bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string> statements(const std::string& text) {
  std::vector<std::string> result;
  std::string current;
  bool inDouble = false, inSingle = false;
  char previous = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '/' && previous == '/') {
      current.pop_back();
      while (i < text.size() && text[i] != '\n' && text[i] != '\r')
        ++i;
      previous = 0;
      continue;
    }
    if (c == '\n' || c == '\r') continue;
    if (c == ';' && !inDouble && !inSingle) {
      result.push_back(trim(current));
      current.clear();
      previous = c;
      continue;
    }
    if (c == '"' && previous != '\\' && !inSingle) inDouble = !inDouble;
    if (c == '\'' && previous != '\\' && !inDouble) inSingle = !inSingle;
    current += c;
    previous = c;
  }
  if (!trim(current).empty()) result.push_back(trim(current));
  return result;
}

// Position of the first `delimiter` at top level: quoted strings and bracket groups are
// stepped over whole.
std::size_t topLevel(const std::string& text, char delimiter) {
  int round = 0, square = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (round == 0 && square == 0 && c == delimiter) return i;
    if (c == '"' || c == '\'') {
      const std::size_t close = text.find(c, i + 1);
      if (close == std::string::npos) return std::string::npos;
      i = close;
    } else if (c == '(')
      ++round;
    else if (c == ')')
      --round;
    else if (c == '[')
      ++square;
    else if (c == ']')
      --square;
  }
  return std::string::npos;
}

PropsNode* nodeAt(PropsNode& start, std::string path) {
  PropsNode* node = &start;
  path = trim(path);
  while (!path.empty()) {
    const std::size_t dot = path.find('.');
    const std::size_t bracket = path.find('[', path[0] == '[' ? 1 : 0);
    std::string component;
    if (dot == std::string::npos && bracket == std::string::npos) {
      component = path;
      path.clear();
    } else if (bracket != std::string::npos && (dot == std::string::npos || bracket < dot)) {
      component = path.substr(0, bracket);
      path = path.substr(bracket);
    } else {
      component = path.substr(0, dot);
      path = path.substr(dot + 1);
    }
    if (!component.empty() && component[0] == '[') {
      const std::size_t close = component.find(']');
      component = component.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    node = &node->child(trim(component));
  }
  return node;
}

bool evaluate(const std::string& statement, PropsNode& context, int& nextIndex, std::string& error);

bool assign(PropsNode& node, std::string value, std::string& error) {
  node.children.clear();
  node.value.clear();
  value = trim(value);
  if (value.rfind("array", 0) == 0 || value.rfind("object", 0) == 0) {
    const std::size_t open = value.find('(');
    if (open == std::string::npos || value.back() != ')') {
      error = "unclosed list: " + value;
      return false;
    }
    std::string list = trim(value.substr(open + 1, value.size() - open - 2));
    int nextIndex = 0;
    while (!list.empty()) {
      const std::size_t comma = topLevel(list, ',');
      if (!evaluate(trim(list.substr(0, comma)), node, nextIndex, error)) return false;
      list = comma == std::string::npos ? std::string() : trim(list.substr(comma + 1));
    }
    return true;
  }
  if (!value.empty() && (value[0] == '"' || value[0] == '\'')) {
    const std::size_t close = value.find(value[0], 1);
    if (close == std::string::npos) {
      error = "unclosed quote: " + value;
      return false;
    }
    node.value = value.substr(1, close - 1);
    return true;
  }
  char* end = nullptr;
  std::strtod(value.c_str(), &end);
  if (value.empty() || *end != '\0') {
    error = "not a number, string or list: " + value;
    return false;
  }
  node.value = value;
  return true;
}

bool evaluate(const std::string& statement, PropsNode& context, int& nextIndex, std::string& error) {
  const std::size_t equals = topLevel(statement, '=');
  if (equals == std::string::npos) return assign(context.child(std::to_string(nextIndex++)), statement, error);
  return assign(*nodeAt(context, statement.substr(0, equals)), statement.substr(equals + 1), error);
}

} // namespace

const PropsNode* PropsNode::find(const std::string& key) const {
  for (const auto& c : children)
    if (sameName(c->name, key)) return c.get();
  return nullptr;
}

PropsNode& PropsNode::child(const std::string& key) {
  for (auto& c : children)
    if (sameName(c->name, key)) return *c;
  children.push_back(std::make_unique<PropsNode>());
  children.back()->name = key;
  return *children.back();
}

bool parseProps(const std::string& text, PropsNode& root, std::string& error) {
  for (const std::string& statement : statements(text)) {
    if (statement.empty()) {
      error = "an empty statement would end the file early";
      return false;
    }
    if (statement.find('=') == std::string::npos) {
      error = "statement without a key: " + statement;
      return false;
    }
    int unused = 0;
    if (!evaluate(statement, root, unused, error)) return false;
  }
  return true;
}

} // namespace mediatest
