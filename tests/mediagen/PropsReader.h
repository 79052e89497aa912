// A small reader of the props language, enough for the generated font files: statements
// split at ';' outside quotes with "//" comments dropped, "key = value" with key paths of
// '.' and '[...]' components, and quoted, numeric and array(...) values. It follows the
// program's rules for those forms, so a file it cannot read the program would misread too.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace mediatest {

struct PropsNode {
  std::string name;
  std::string value;
  std::vector<std::unique_ptr<PropsNode>> children; // in insertion order

  const PropsNode* find(const std::string& key) const; // case-insensitive
  PropsNode& child(const std::string& key);            // found or appended
  int asInt() const { return std::stoi(value); }
};

// Parses `text` into `root`; answers false with a reason for text it cannot follow.
bool parseProps(const std::string& text, PropsNode& root, std::string& error);

} // namespace mediatest
