// Reads the layout of one window or tile description: "width" and "height" and the
// "anchors" list, whose references name the parent or siblings. A sibling that is not known
// yet is waited for and set once it is.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Strings.h"
#include "engine/data/props/PropsNode.h"
#include "engine/gui/LayoutFrame.h"

namespace engine {

// How a kind of description names references: windows say "window" and "Parent", tiles say
// "tile" and "PARENT".
struct AnchorNames {
  std::string_view referenceKey;
  std::string_view parentName;
};

class AnchorReader {
public:
  using Lookup = std::function<LayoutFrame*(std::string_view name)>;

  // `parent` is the frame whose client area "Parent" means; `lookup` finds siblings already
  // known.
  AnchorReader(AnchorNames names, LayoutFrame& parent, Lookup lookup)
      : names_(names), parent_(parent), lookup_(std::move(lookup)) {}

  // Reads "width", "height" and "anchors" of `entry` into `frame`, then lays it out.
  void read(const PropsMap& entry, LayoutFrame& frame);
  // `frame` is now known under `name`: anchors waiting for it take it as their reference.
  void resolve(std::string_view name, LayoutFrame& frame);

private:
  struct Waiting {
    LayoutFrame* frame;
    int slot;
    int align;
    LayoutOffset offset;
  };

  AnchorNames names_;
  LayoutFrame& parent_;
  Lookup lookup_;
  std::map<std::string, std::vector<Waiting>, NoCaseLess> waiting_;
};

// "width" or "height": a number is a fixed size (weight 0); an object gives "b" and "k".
void readSizeRule(const PropsNode& node, SizeRule& rule);

} // namespace engine
