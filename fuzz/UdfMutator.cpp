#include "fuzz/UdfMutator.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfReader.h"
#include "engine/data/udf/UdfWriter.h"

namespace fuzztargets {
namespace {

// Shared nodes are copied out, so a small file can stand for a large tree: past this the
// input is mutated as bytes.
constexpr std::size_t kMaxNodes = 20000;
constexpr std::size_t kMaxLeafBytes = 1 << 16;

// A UDF tree that can be edited freely (UdfNode children cannot be taken out or reordered).
struct Tree {
  std::string name;
  std::string type;
  bool list = false;
  bool hasCount = false;
  std::uint32_t count = 0;
  std::string data;
  std::vector<Tree> children;
};

struct File {
  Tree root;
  std::vector<engine::UdfType> types;
};

const char* const kNames[] = {"Children",    "Cameras",   "Materials",    "Lights",       "NodeTM",
                              "ObjectTM",    "Animation", "Position",     "Rotation",     "Scale",
                              "BoneNames",   "Verts",     "Indexes",      "FVF",          "NumVerts",
                              "NumIndexes",  "IndexSize", "MaterialName", "VertBoneOffs", "VertBoneNums",
                              "BoneWeights", "Textures",  "Diffuse",      "FileName",     "MaterialSubId",
                              "0",           "1"};
const char* const kListTypes[] = {"Node",      "Mesh",     "Dummy",  "bone", "Camera", "PointLight", "DirLight",
                                  "SpotLight", "Material", "Sample", "TCB",  "Linear", "Textures",   "Diffuse"};
const char* const kLeafTypes[] = {"int", "real", "string", "matrix", "color", "AniKey", ""};
// Edges of counts, sizes and indices, and the floats 1, -1, NaN and infinity.
const std::uint32_t kNumbers[] = {0,           1,           2,           3,           4,           8,
                                  16,          0x7F,        0x80,        0xFF,        0x100,       0x7FFF,
                                  0x8000,      0xFFFF,      0x10000,     0x7FFFFFFF,  0x80000000u, 0xFFFFFFFFu,
                                  0xFFFFFFFEu, 0x3F800000u, 0xBF800000u, 0x7FC00000u, 0x7F800000u};

class Mutation {
public:
  Mutation(File& file, unsigned seed, ByteMutator mutateBytes) : file_(file), random_(seed), bytes_(mutateBytes) {}

  void run() {
    const int steps = 1 + pick(3);
    for (int i = 0; i < steps; ++i)
      step();
  }

  // Puts a copy of `graft` somewhere in the tree.
  void graft(Tree graft) {
    if (countNodes(file_.root) + countNodes(graft) > kMaxNodes) return;
    if (pick(2)) graft.name = caseVariant(anyName());
    insertSomewhere(std::move(graft));
  }

  std::size_t pick(std::size_t n) { return n ? random_() % n : 0; }

private:
  struct Place {
    Tree* parent;
    std::size_t index;
    Tree& node() const { return parent->children[index]; }
  };

  void step() {
    switch (pick(7)) {
    case 0:
      duplicate();
      break;
    case 1:
      rename();
      break;
    case 2:
      reorder();
      break;
    case 3:
      remove();
      break;
    case 4:
      retype();
      break;
    case 5:
      changeNumber();
      break;
    default:
      mutateLeafBytes();
      break;
    }
  }

  static void collect(Tree& parent, std::vector<Place>& places, std::vector<Tree*>& lists) {
    if (parent.list) lists.push_back(&parent);
    for (std::size_t i = 0; i < parent.children.size(); ++i) {
      places.push_back({&parent, i});
      collect(parent.children[i], places, lists);
    }
  }

  static std::size_t countNodes(const Tree& tree) {
    std::size_t n = 1;
    for (const Tree& child : tree.children)
      n += countNodes(child);
    return n;
  }

  // A node of the tree (not the root); false when the tree is empty.
  bool somePlace(Place& place) {
    std::vector<Place> places;
    std::vector<Tree*> lists;
    collect(file_.root, places, lists);
    if (places.empty()) return false;
    place = places[pick(places.size())];
    return true;
  }

  Tree* someList() {
    std::vector<Place> places;
    std::vector<Tree*> lists;
    collect(file_.root, places, lists);
    return lists[pick(lists.size())]; // the root is always a list
  }

  std::string anyName() {
    Place place{};
    if (pick(4) == 0 || !somePlace(place)) return kNames[pick(std::size(kNames))];
    return place.node().name;
  }

  static char otherCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    return std::isupper(u) ? char(std::tolower(u)) : char(std::toupper(u));
  }

  // The name with some letters in the other case, and at least one when it has letters.
  std::string caseVariant(std::string name) {
    bool changed = false;
    for (char& c : name) {
      if (std::isalpha(static_cast<unsigned char>(c)) && pick(2)) {
        c = otherCase(c);
        changed = true;
      }
    }
    auto letter =
        std::find_if(name.begin(), name.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)); });
    if (!changed && letter != name.end()) *letter = otherCase(*letter);
    return name;
  }

  void insertSomewhere(Tree node) {
    Tree* list = someList();
    list->children.insert(list->children.begin() + std::ptrdiff_t(pick(list->children.size() + 1)), std::move(node));
  }

  void duplicate() {
    Place place{};
    if (!somePlace(place)) return;
    if (countNodes(file_.root) + countNodes(place.node()) > kMaxNodes) return;
    Tree copy = place.node();
    copy.name = caseVariant(pick(2) ? copy.name : anyName());
    if (pick(2)) {
      Tree& parent = *place.parent;
      parent.children.insert(parent.children.begin() + std::ptrdiff_t(pick(parent.children.size() + 1)),
                             std::move(copy));
    } else {
      insertSomewhere(std::move(copy));
    }
  }

  void rename() {
    Place place{};
    if (!somePlace(place)) return;
    std::string name;
    switch (pick(3)) {
    case 0:
      name = caseVariant(anyName());
      break;
    case 1:
      name = caseVariant(place.node().name);
      break;
    default:
      name = kNames[pick(std::size(kNames))];
      break;
    }
    place.node().name = std::move(name);
  }

  void reorder() {
    Place place{};
    if (!somePlace(place)) return;
    std::vector<Tree>& siblings = place.parent->children;
    if (pick(2) && siblings.size() > 1) {
      std::swap(siblings[place.index], siblings[pick(siblings.size())]);
      return;
    }
    // Taken out first, so it cannot land inside itself.
    Tree moved = std::move(siblings[place.index]);
    siblings.erase(siblings.begin() + std::ptrdiff_t(place.index));
    insertSomewhere(std::move(moved));
  }

  void remove() {
    Place place{};
    if (!somePlace(place)) return;
    place.parent->children.erase(place.parent->children.begin() + std::ptrdiff_t(place.index));
  }

  void retype() {
    Place place{};
    if (!somePlace(place)) return;
    Tree& node = place.node();
    if (pick(5) == 0) {
      // A leaf becomes a list, or a list a leaf of a few bytes.
      node.list = !node.list;
      node.children.clear();
      node.data = node.list ? std::string() : std::string(4 * pick(5), '\x01');
    }
    node.type = node.list ? kListTypes[pick(std::size(kListTypes))] : kLeafTypes[pick(std::size(kLeafTypes))];
  }

  Tree* someLeaf() {
    std::vector<Place> places;
    std::vector<Tree*> lists;
    collect(file_.root, places, lists);
    std::vector<Tree*> leaves;
    for (const Place& p : places)
      if (!p.node().list) leaves.push_back(&p.node());
    return leaves.empty() ? nullptr : leaves[pick(leaves.size())];
  }

  // Counts, sizes and numbers: a 32-bit value set to an edge, a leaf cut or grown, an
  // element count added, changed or dropped.
  void changeNumber() {
    Tree* leaf = someLeaf();
    if (!leaf) return;
    switch (pick(3)) {
    case 0: {
      if (leaf->data.size() < 4) leaf->data.resize(4, '\0');
      const std::size_t at = pick(leaf->data.size() / 4) * 4;
      std::uint32_t value = kNumbers[pick(std::size(kNumbers))];
      if (pick(3) == 0) {
        std::memcpy(&value, leaf->data.data() + at, 4);
        value += pick(2) ? 1u : 0xFFFFFFFFu;
      }
      std::memcpy(leaf->data.data() + at, &value, 4);
      break;
    }
    case 1: {
      const std::size_t size = leaf->data.size();
      const std::size_t sizes[] = {0, size ? size - 1 : 0, size + 1, size / 2, size * 2, pick(68), size + 4};
      const std::size_t wanted = std::min(sizes[pick(std::size(sizes))], kMaxLeafBytes);
      const std::string old = leaf->data;
      leaf->data.resize(wanted, '\0');
      // Grown data repeats what was there, as a larger array of the same records would.
      for (std::size_t i = old.size(); i < wanted && !old.empty(); ++i)
        leaf->data[i] = old[i % old.size()];
      break;
    }
    default:
      leaf->hasCount = pick(4) != 0;
      leaf->count = pick(2) ? kNumbers[pick(std::size(kNumbers))] : std::uint32_t(leaf->data.size() / 4);
      break;
    }
  }

  void mutateLeafBytes() {
    Tree* leaf = someLeaf();
    if (!leaf || !bytes_) return;
    const std::size_t size = leaf->data.size();
    std::string buffer = leaf->data;
    buffer.resize(size + 64);
    const std::size_t made = bytes_(reinterpret_cast<std::uint8_t*>(buffer.data()), size, buffer.size());
    buffer.resize(std::min(made, buffer.size()));
    leaf->data = std::move(buffer);
  }

  File& file_;
  std::minstd_rand random_;
  ByteMutator bytes_;
};

bool copyIn(const engine::UdfNode& from, Tree& to, std::size_t& budget, int depth) {
  to.name = from.name();
  to.type = from.typeName();
  to.list = from.isList();
  to.hasCount = from.hasElementCount();
  to.count = from.elementCount();
  if (!to.list) to.data = std::string(from.bytes());
  if (depth > engine::UdfReader::kMaxDepth) return false;
  for (const auto& entry : from.children()) {
    if (budget == 0) return false;
    --budget;
    to.children.emplace_back();
    if (!copyIn(*entry.value, to.children.back(), budget, depth + 1)) return false;
    to.children.back().name = entry.name; // a shared node answers to each entry's name
  }
  return true;
}

bool readFile(const std::uint8_t* data, std::size_t size, File& file) {
  engine::LogCapture quiet;
  engine::MemoryStream stream;
  stream.openOver(std::string_view(reinterpret_cast<const char*>(data), size));
  engine::UdfReader reader;
  std::unique_ptr<engine::UdfNode> root = reader.open(stream);
  if (!root || !reader.load(*root, 0)) return false;
  for (const auto& [name, type] : reader.types())
    file.types.push_back(type);
  std::size_t budget = kMaxNodes;
  return copyIn(*root, file.root, budget, 0);
}

// A name no sibling has yet (names of a list are unique, letter case counting).
std::string freeName(const engine::UdfNode& list, std::string name) {
  while (list.findChild(name))
    name += '\'';
  return name;
}

std::unique_ptr<engine::UdfNode> build(const Tree& tree, const std::string& name) {
  std::unique_ptr<engine::UdfNode> node;
  if (tree.list) {
    node = engine::UdfNode::makeList(tree.type, name);
    for (const Tree& child : tree.children)
      node->addChild(build(child, freeName(*node, child.name)));
  } else {
    node = engine::UdfNode::makeLeaf(tree.type, name, tree.data.data(), tree.data.size(), true);
  }
  if (tree.hasCount) node->setElementCount(tree.count);
  return node;
}

bool writeFile(const File& file, std::string& bytes) {
  engine::UdfNode top("_roottype", "_root");
  std::vector<std::unique_ptr<engine::UdfNode>> owned;
  std::vector<const engine::UdfNode*> tops;
  for (const Tree& child : file.root.children) {
    // The top level must be unique too; the node is only a name holder for the check.
    owned.push_back(build(child, freeName(top, child.name)));
    top.addLink(*owned.back());
    tops.push_back(owned.back().get());
  }
  engine::MemoryStream out;
  out.open("", engine::kStreamWrite);
  if (!engine::UdfWriter::write(out, tops, &file.types)) return false;
  bytes = out.contents();
  return true;
}

} // namespace

std::size_t mutateUdf(std::uint8_t* data, std::size_t size, std::size_t maxSize, unsigned seed,
                      ByteMutator mutateBytes) {
  File file;
  std::minstd_rand random(seed);
  // One step in eight damages the bytes themselves, as does anything that is no UDF tree.
  if (random() % 8 == 0 || !readFile(data, size, file)) return mutateBytes ? mutateBytes(data, size, maxSize) : size;
  Mutation(file, unsigned(random()), mutateBytes).run();
  std::string bytes;
  if (!writeFile(file, bytes) || bytes.size() > maxSize) return mutateBytes ? mutateBytes(data, size, maxSize) : size;
  std::memcpy(data, bytes.data(), bytes.size());
  return bytes.size();
}

std::size_t crossOverUdf(const std::uint8_t* first, std::size_t firstSize, const std::uint8_t* second,
                         std::size_t secondSize, std::uint8_t* out, std::size_t maxOutSize, unsigned seed) {
  File into, from;
  if (!readFile(first, firstSize, into) || !readFile(second, secondSize, from)) return 0;
  Mutation mutation(into, seed, nullptr);
  std::vector<const Tree*> nodes;
  const auto gather = [&nodes](const Tree& tree, auto& self) -> void {
    for (const Tree& child : tree.children) {
      nodes.push_back(&child);
      self(child, self);
    }
  };
  gather(from.root, gather);
  if (nodes.empty()) return 0;
  mutation.graft(*nodes[mutation.pick(nodes.size())]);
  std::string bytes;
  if (!writeFile(into, bytes) || bytes.size() > maxOutSize) return 0;
  std::memcpy(out, bytes.data(), bytes.size());
  return bytes.size();
}

} // namespace fuzztargets
