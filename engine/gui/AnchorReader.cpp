#include "engine/gui/AnchorReader.h"

namespace engine {
namespace {

LayoutOffset readOffset(const PropsNode* node) {
  LayoutOffset offset;
  if (!node) return offset;
  if (node->children().empty()) {
    offset.b = static_cast<float>(node->asFloat());
    return offset;
  }
  offset.b = static_cast<float>(node->children().getFloat("b", 0.0));
  offset.k = static_cast<float>(node->children().getFloat("k", 0.0));
  return offset;
}

} // namespace

void readSizeRule(const PropsNode& node, SizeRule& rule) {
  if (node.children().empty()) {
    rule = {node.asInt(), 0.0f};
    return;
  }
  if (node.findChild("b")) rule.b = node.children().getInt("b", 0);
  if (node.findChild("k")) rule.k = static_cast<float>(node.children().getFloat("k", 1.0));
}

void AnchorReader::read(const PropsMap& entry, LayoutFrame& frame) {
  if (const PropsNode* width = entry.findChild("width")) readSizeRule(*width, frame.widthRule);
  if (const PropsNode* height = entry.findChild("height")) readSizeRule(*height, frame.heightRule);
  if (const PropsNode* anchors = entry.findChild("anchors")) {
    for (const auto& item : anchors->children()) {
      const int slot = anchorIdFromName(item.name);
      if (slot < 0) continue;
      const PropsMap& keys = item.value->children();
      const int align = anchorIdFromName(keys.getString("align", ""));
      const LayoutOffset offset = readOffset(keys.findChild("offset"));
      const std::string reference = keys.getString(names_.referenceKey, "");
      const int alignment = align < 0 ? slot : align;
      if (reference == names_.parentName) {
        frame.setAnchor(slot, &parent_, true, alignment, offset);
      } else if (LayoutFrame* sibling = lookup_(reference)) {
        frame.setAnchor(slot, sibling, false, alignment, offset);
      } else {
        // Until that name is known the slot keeps no reference.
        frame.setAnchor(slot, nullptr, false, alignment, offset);
        waiting_[reference].push_back({&frame, slot, alignment, offset});
      }
    }
  }
  frame.layout();
}

void AnchorReader::resolve(std::string_view name, LayoutFrame& frame) {
  auto entry = waiting_.find(name);
  if (entry == waiting_.end()) return;
  const std::vector<Waiting> waiting = std::move(entry->second);
  waiting_.erase(entry);
  for (const Waiting& anchor : waiting) {
    anchor.frame->setAnchor(anchor.slot, &frame, false, anchor.align, anchor.offset);
    anchor.frame->layout();
  }
}

} // namespace engine
