// The keys of one window description while loaders read it: each loader takes the keys it
// understands, and what is left over becomes the window's properties.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "engine/core/Strings.h"
#include "engine/data/props/PropsNode.h"

namespace engine {

class GuiProps {
public:
  explicit GuiProps(const PropsMap& keys) : keys_(keys) {}

  // The key's node (null when missing); from now on it counts as read.
  const PropsNode* take(std::string_view key) {
    const PropsNode* node = keys_.findChild(key);
    if (node) taken_.emplace(key);
    return node;
  }
  bool taken(std::string_view key) const { return taken_.find(key) != taken_.end(); }
  const PropsMap& keys() const { return keys_; }

private:
  const PropsMap& keys_;
  std::set<std::string, NoCaseLess> taken_;
};

} // namespace engine
