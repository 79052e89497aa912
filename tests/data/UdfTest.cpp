#include "engine/data/udf/UdfNode.h"
#include "engine/data/udf/UdfReader.h"
#include "engine/data/udf/UdfWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/data/DiskFileStream.h"
#include "engine/data/MemoryStream.h"
#include "tests/support/TempDir.h"

using namespace engine;

namespace {

std::uint32_t le32At(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, 4);
  return value;
}

void setLe32(std::string& bytes, std::size_t at, std::uint32_t value) { std::memcpy(bytes.data() + at, &value, 4); }

std::string written(const std::vector<const UdfNode*>& nodes, const std::vector<UdfType>* types = nullptr) {
  MemoryStream out;
  out.open("", kStreamWrite);
  EXPECT_TRUE(UdfWriter::write(out, nodes, types));
  return out.contents();
}

// A reader over bytes held by the test.
struct Loaded {
  std::string bytes;
  MemoryStream stream;
  UdfReader reader;
  std::unique_ptr<UdfNode> root;
  explicit Loaded(std::string b) : bytes(std::move(b)) {
    stream.openOver(bytes);
    root = reader.open(stream);
  }
  bool load(unsigned options = 0) { return root && reader.load(*root, options); }
};

std::unique_ptr<UdfNode> leaf(const char* type, const char* name, const std::string& bytes) {
  return UdfNode::makeLeaf(type, name, bytes.data(), bytes.size());
}

std::string key(char c) { return std::string(32, c); }

// A camera file: eight 32-byte keys, in the order the camera files list them.
std::unique_ptr<UdfNode> cameraKeys(std::vector<const UdfNode*>& top) {
  auto holder = UdfNode::makeList("", "holder");
  const char* names[] = {"rot3", "pos0", "rot0", "pos1", "rot1", "pos2", "rot2", "pos3"};
  for (int i = 0; i < 8; ++i) {
    const char* name = names[i];
    top.push_back(holder->addChild(leaf(name[0] == 'r' ? "rot" : "pos", name, key(static_cast<char>('a' + i)))));
  }
  return holder;
}

// A chain of `depth` nested lists, written by hand so that depths the writer refuses can
// be tried on the reader.
std::string nestedLists(std::uint32_t depth) {
  const std::uint32_t level = 8 + 22; // table head + one entry ("n", "Node")
  std::string bytes;
  setLe32(bytes.append(4, '\0'), 0, 0);
  bytes += std::string("\x0E\0\0\0UDF Binary 1.0", 18);
  bytes.append(4, '\0'); // no types
  const std::uint32_t rootOffset = 30;
  const std::uint32_t total = rootOffset + level * depth + 8;
  std::string sizes(4, '\0');
  setLe32(sizes, 0, total - 26);
  bytes += sizes;
  for (std::uint32_t i = 0; i < depth; ++i) {
    const std::uint32_t childOffset = rootOffset + level * (i + 1);
    std::string table(level, '\0');
    setLe32(table, 0, level);
    setLe32(table, 4, 1);
    setLe32(table, 8, 1);
    table[12] = 'n';
    setLe32(table, 13, 4);
    std::memcpy(table.data() + 17, "Node", 4);
    table[21] = kUdfList;
    setLe32(table, 22, childOffset);
    setLe32(table, 26, total - childOffset);
    bytes += table;
  }
  std::string last(8, '\0');
  setLe32(last, 0, 8);
  bytes += last;
  setLe32(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
  return bytes;
}

} // namespace

TEST(UdfWriter, CameraFileLayout) {
  std::vector<const UdfNode*> top;
  auto holder = cameraKeys(top);
  const std::string bytes = written(top);
  ASSERT_EQ(bytes.size(), 486u);
  EXPECT_EQ(le32At(bytes, 0), 486u);
  EXPECT_EQ(le32At(bytes, 4), 14u);
  EXPECT_EQ(bytes.substr(8, 14), "UDF Binary 1.0");
  EXPECT_EQ(le32At(bytes, 22), 0u);
  EXPECT_EQ(le32At(bytes, 26), 460u);
  EXPECT_EQ(le32At(bytes, 30), 200u);
  EXPECT_EQ(le32At(bytes, 34), 8u);
  // First entry: "rot3" of type "rot", flags 0, offset 230, size 32.
  EXPECT_EQ(bytes.substr(38, 8), std::string("\x04\0\0\0rot3", 8));
  EXPECT_EQ(bytes.substr(46, 7), std::string("\x03\0\0\0rot", 7));
  EXPECT_EQ(bytes[53], 0);
  EXPECT_EQ(le32At(bytes, 54), 230u);
  EXPECT_EQ(le32At(bytes, 58), 32u);
  EXPECT_EQ(bytes.substr(230, 32), key('a'));
  EXPECT_EQ(bytes.substr(486 - 32), key('h'));
}

TEST(UdfWriter, SceneRootLayout) {
  auto children = UdfNode::makeList("Node", "Children");
  auto materials = UdfNode::makeList("Material", "Materials");
  children->addChild(leaf("matrix", "NodeTM", std::string(68, '\x01')));
  const std::string bytes = written({children.get(), materials.get()});
  EXPECT_EQ(le32At(bytes, 30), 71u);
  Loaded file(bytes);
  ASSERT_TRUE(file.load());
  const UdfNode* loaded = file.root->findChild("Children");
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(loaded->offset(), 101u);
  EXPECT_EQ(loaded->flags(), kUdfList);
  EXPECT_EQ(loaded->typeName(), "Node");
  EXPECT_EQ(file.root->findChild("Materials")->typeName(), "Material");
  EXPECT_EQ(file.root->name(), "_root");
  EXPECT_EQ(file.root->typeName(), "_roottype");
  EXPECT_EQ(file.root->offset(), 30u);
  EXPECT_EQ(file.root->size(), bytes.size() - 26);
}

TEST(UdfRoundTrip, NamesTypesFlagsCountsAndBytesSurvive) {
  auto scene = UdfNode::makeList("Node", "Children");
  UdfNode* mesh = scene->addChild(UdfNode::makeList("Mesh", "Box"));
  UdfNode* indices = mesh->addChild(leaf("int", "Indices", std::string("\0\0\0\0\1\0\0\0\2\0\0\0", 12)));
  indices->setElementCount(3);
  mesh->addChild(leaf("", "Vertices", std::string(1000, '\x7F')));
  mesh->addChild(leaf("string", "name", "box"));
  mesh->addChild(leaf("string", "Name", "BOX")); // names are case-sensitive
  mesh->addChild(UdfNode::makeList("Dummy", "Empty"));
  EXPECT_EQ(mesh->addChild(leaf("string", "name", "again")), nullptr);

  std::vector<UdfType> types = {{"Vec", {{"x", "real", false, 0}, {"rgb", "byte", true, 3}}}};
  Loaded file(written({scene.get()}, &types));
  ASSERT_TRUE(file.load());
  ASSERT_EQ(file.reader.types().size(), 1u);
  EXPECT_EQ(file.reader.types().at("Vec").fields[1].elementCount, 3u);
  EXPECT_EQ(file.reader.typeSize("Vec"), 7u);

  const UdfNode* box = file.root->findChild("Children")->findChild("Box");
  ASSERT_NE(box, nullptr);
  std::vector<std::string> order;
  for (const auto& e : box->children())
    order.push_back(e.name);
  EXPECT_EQ(order, (std::vector<std::string>{"Indices", "Vertices", "name", "Name", "Empty"}));
  const UdfNode* readIndices = box->findChild("Indices");
  EXPECT_EQ(readIndices->flags(), kUdfHasCount);
  EXPECT_EQ(readIndices->elementCount(), 3u);
  EXPECT_EQ(readIndices->bytes(), indices->bytes());
  EXPECT_EQ(box->findChild("Vertices")->dataSize(), 1000u);
  EXPECT_EQ(box->findChild("name")->dataString(), "box");
  EXPECT_EQ(box->findChild("Name")->dataString(), "BOX");
  EXPECT_EQ(box->findChild("NAME"), nullptr);
  EXPECT_TRUE(box->findChild("Empty")->isList());
  EXPECT_EQ(box->findChild("Empty")->childCount(), 0u);
  EXPECT_EQ(box->findChild("Vertices")->parent(), box);

  char buffer[2] = {'x', 'x'};
  EXPECT_TRUE(box->copyChildData("Name", buffer, 2));
  EXPECT_EQ(std::string(buffer, 2), "BO");
  EXPECT_FALSE(box->copyChildData("Missing", buffer, 2));
  EXPECT_FALSE(box->copyChildData("Empty", buffer, 2));
}

TEST(UdfRoundTrip, LinksAreWrittenOnceAndReadBackAsOneNode) {
  const std::string wood = "unique wood material bytes";
  auto materials = UdfNode::makeList("Material", "Materials");
  UdfNode* woodNode = materials->addChild(leaf("Material", "Wood", wood));
  auto children = UdfNode::makeList("Node", "Children");
  // The first link comes before the material is written: its entry is filled in later.
  UdfNode* early = children->addChild(UdfNode::makeList("Node", "Early"));
  EXPECT_TRUE(early->addLink(*woodNode));
  UdfNode* late = children->addChild(UdfNode::makeList("Node", "Late"));
  EXPECT_TRUE(late->addLink(*woodNode));
  EXPECT_FALSE(late->addLink(*woodNode));

  const std::string bytes = written({children.get(), materials.get()});
  EXPECT_EQ(bytes.find("DataArea"), std::string::npos);
  const std::size_t first = bytes.find(wood);
  ASSERT_NE(first, std::string::npos);
  EXPECT_EQ(bytes.find(wood, first + 1), std::string::npos);

  Loaded file(bytes);
  ASSERT_TRUE(file.load());
  const UdfNode* readEarly = file.root->findChild("Children")->findChild("Early");
  const UdfNode* readLate = file.root->findChild("Children")->findChild("Late");
  const UdfNode* readWood = file.root->findChild("Materials")->findChild("Wood");
  ASSERT_NE(readWood, nullptr);
  EXPECT_EQ(readEarly->findChild("Wood"), readWood);
  EXPECT_EQ(readLate->findChild("Wood"), readWood);
  EXPECT_TRUE(readLate->isLink("Wood"));
  EXPECT_FALSE(file.root->findChild("Materials")->isLink("Wood"));
  EXPECT_EQ(readWood->flags() & kUdfLink, 0);
  EXPECT_EQ(readWood->parent(), file.root->findChild("Materials"));
  EXPECT_EQ(readWood->dataString(), wood);
}

TEST(UdfRoundTrip, EmptyNodesNeverShareAnotherNodesOffset) {
  auto first = UdfNode::makeList("Node", "First");
  first->addChild(leaf("string", "text", "abc"));
  first->addChild(leaf("string", "nothing", "")); // points where the next block starts
  auto second = UdfNode::makeList("Node", "Second");
  second->addChild(leaf("string", "text", "xyz"));
  Loaded file(written({first.get(), second.get()}));
  ASSERT_TRUE(file.load());
  const UdfNode* nothing = file.root->findChild("First")->findChild("nothing");
  const UdfNode* next = file.root->findChild("Second");
  EXPECT_EQ(nothing->offset(), next->offset());
  EXPECT_NE(nothing, next);
  EXPECT_EQ(nothing->size(), 0u);
  EXPECT_EQ(nothing->dataSize(), 0u);
  EXPECT_EQ(next->findChild("text")->dataString(), "xyz");
}

TEST(UdfReader, EntriesSharingAnOffsetShareOneNode) {
  auto a = UdfNode::makeList("Node", "A");
  a->addChild(leaf("string", "text", "shared"));
  auto b = UdfNode::makeList("Node", "B");
  b->addChild(leaf("string", "text", "other!"));
  std::string bytes = written({a.get(), b.get()});
  // Point B's entry in the root table at A's block.
  const std::size_t bEntry = 38 + (4 + 1 + 4 + 4 + 1 + 4 + 4); // after "A" entry
  const std::size_t offsetAt = bEntry + 4 + 1 + 4 + 4 + 1;
  setLe32(bytes, offsetAt, le32At(bytes, 38 + 14));
  setLe32(bytes, offsetAt + 4, le32At(bytes, 38 + 18));
  Loaded file(bytes);
  ASSERT_TRUE(file.load());
  EXPECT_EQ(file.root->findChild("A"), file.root->findChild("B"));
  EXPECT_EQ(file.root->findChild("B")->findChild("text")->dataString(), "shared");
}

TEST(UdfReader, LinkBackToAnAncestorFailsTheLoadInsteadOfLooping) {
  auto outer = UdfNode::makeList("Node", "Outer");
  UdfNode* inner = outer->addChild(UdfNode::makeList("Node", "Inner"));
  inner->addChild(leaf("string", "text", "leaf"));
  std::string bytes = written({outer.get()});
  Loaded valid(bytes);
  ASSERT_TRUE(valid.load());
  const std::uint32_t outerOffset = valid.root->findChild("Outer")->offset();
  const std::uint32_t outerSize = valid.root->findChild("Outer")->size();
  const std::uint32_t innerOffset = valid.root->findChild("Outer")->findChild("Inner")->offset();

  // Inner's entry (in Outer's table) now names Outer's own block, as a link.
  const std::size_t entry = outerOffset + 8;
  const std::size_t flagsAt = entry + 4 + 5 + 4 + 4;
  ASSERT_EQ(le32At(bytes, flagsAt + 1), innerOffset);
  bytes[flagsAt] = static_cast<char>(kUdfList | kUdfLink);
  setLe32(bytes, flagsAt + 1, outerOffset);
  setLe32(bytes, flagsAt + 5, outerSize);
  Loaded cyclic(bytes);
  LogCapture log;
  EXPECT_FALSE(cyclic.load());
  EXPECT_TRUE(log.contains("Error: UDF node Outer contains itself\n"));

  // An entry of the root table naming the root's own block.
  std::string selfRoot = written({outer.get()});
  setLe32(selfRoot, 38 + 4 + 5 + 4 + 4 + 1, 30);
  Loaded rootCycle(selfRoot);
  EXPECT_FALSE(rootCycle.load());
}

TEST(UdfReader, SharedNodesAreLoadedOnceNotOncePerPath) {
  // Every level names the next one twice ("a", and "b" patched to a's block): 2^80 paths
  // through 81 nodes.
  auto top = UdfNode::makeList("Node", "a");
  UdfNode* level = top.get();
  for (int i = 1; i <= 80; ++i) {
    UdfNode* next = level->addChild(UdfNode::makeList("Node", "a"));
    level->addChild(leaf("string", "b", "b"));
    level = next;
  }
  level->addChild(leaf("string", "text", "bottom"));
  std::string bytes = written({top.get()});
  {
    Loaded plain(bytes);
    ASSERT_TRUE(plain.load());
    for (const UdfNode* node = plain.root->findChild("a"); node->findChild("b"); node = node->findChild("a")) {
      const std::size_t table = node->offset();
      setLe32(bytes, table + 46, le32At(bytes, table + 22));
      setLe32(bytes, table + 50, le32At(bytes, table + 26));
    }
  }
  Loaded shared(bytes);
  ASSERT_TRUE(shared.load());
  const UdfNode* node = shared.root->findChild("a");
  for (int i = 1; i <= 80; ++i) {
    ASSERT_EQ(node->findChild("a"), node->findChild("b"));
    node = node->findChild("a");
  }
  EXPECT_EQ(node->findChild("text")->dataString(), "bottom");
}

TEST(UdfReader, DeepTreesLoadUpToTheLimitAndFailBeyondIt) {
  Loaded deep(nestedLists(UdfReader::kMaxDepth));
  ASSERT_TRUE(deep.load());
  int levels = 0;
  for (const UdfNode* node = deep.root.get(); node->childCount(); node = node->findChild("n"))
    ++levels;
  EXPECT_EQ(levels, UdfReader::kMaxDepth);

  LogCapture log;
  Loaded tooDeep(nestedLists(UdfReader::kMaxDepth + 1));
  EXPECT_FALSE(tooDeep.load());
  EXPECT_TRUE(log.contains("Error: UDF tree nests too deeply\n"));
  Loaded hostile(nestedLists(200000));
  EXPECT_FALSE(hostile.load());
}

TEST(UdfReader, WrongMagicTruncationAndDamageFailCleanly) {
  auto scene = UdfNode::makeList("Node", "Children");
  scene->addChild(leaf("matrix", "NodeTM", std::string(68, 'm')));
  UdfNode* mesh = scene->addChild(UdfNode::makeList("Mesh", "Mesh"));
  mesh->addChild(leaf("int", "count", std::string(4, '\x02')))->setElementCount(1);
  std::vector<UdfType> types = {{"T", {{"a", "int", true, 2}}}};
  const std::string bytes = written({scene.get()}, &types);

  std::string notUdf = bytes;
  notUdf[10] = 'x';
  LogCapture log;
  Loaded wrong(notUdf);
  EXPECT_EQ(wrong.root, nullptr);
  EXPECT_TRUE(log.contains("Error: not a UDF file\n"));

  for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
    Loaded part(bytes.substr(0, cut));
    EXPECT_FALSE(part.load()) << cut;
  }
  std::mt19937 random(99);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = bytes;
    for (int flips = 1 + round % 4; flips > 0; --flips)
      damaged[random() % damaged.size()] = static_cast<char>(random());
    Loaded file(damaged);
    file.load();
  }
}

TEST(UdfReader, ReadsFromDiskStreamsToo) {
  std::vector<const UdfNode*> top;
  auto holder = cameraKeys(top);
  testsupport::TempDir dir;
  const std::string path = dir.file("c1.cam").string();
  ASSERT_TRUE(UdfWriter::save(path, top));
  auto stream = std::make_unique<DiskFileStream>();
  ASSERT_TRUE(stream->open(path, kStreamRead));
  UdfReader reader;
  auto root = reader.open(std::move(stream));
  ASSERT_NE(root, nullptr);
  ASSERT_TRUE(reader.load(*root));
  EXPECT_EQ(root->childCount(), 8u);
  EXPECT_EQ(root->findChild("pos3")->dataString(), key('h'));
  EXPECT_EQ(root->findChild("rot3")->source(), &reader);
  reader.close();
  EXPECT_FALSE(reader.load(*root)); // no stream any more
}

TEST(UdfReader, LoadOptionsControlDepthAndWhereBytesComeFrom) {
  auto scene = UdfNode::makeList("Node", "Children");
  UdfNode* mesh = scene->addChild(UdfNode::makeList("Mesh", "Mesh"));
  mesh->addChild(leaf("string", "Name", "mesh name"));
  scene->addChild(leaf("string", "Top", "top leaf"));
  const std::string bytes = written({scene.get()});

  Loaded rootOnly(bytes);
  ASSERT_TRUE(rootOnly.load(kUdfLoadNoRecursion));
  const UdfNode* children = rootOnly.root->findChild("Children");
  ASSERT_NE(children, nullptr);
  EXPECT_FALSE(children->childrenLoaded());

  Loaded oneLevel(bytes);
  ASSERT_TRUE(oneLevel.load(kUdfLoadOneLevel));
  children = oneLevel.root->findChild("Children");
  EXPECT_TRUE(children->childrenLoaded());
  EXPECT_FALSE(children->findChild("Mesh")->childrenLoaded());
  EXPECT_FALSE(children->findChild("Top")->dataLoaded());
  // A later load of a part finishes it.
  ASSERT_TRUE(oneLevel.reader.load(*children->findChild("Mesh")));
  EXPECT_EQ(children->findChild("Mesh")->findChild("Name")->dataString(), "mesh name");

  Loaded inMemory(bytes);
  ASSERT_TRUE(inMemory.load(kUdfLoadReadBlock));
  EXPECT_EQ(inMemory.root->findChild("Children")->findChild("Mesh")->findChild("Name")->dataString(), "mesh name");
  EXPECT_FALSE(inMemory.root->dataLoaded());

  Loaded kept(bytes);
  ASSERT_TRUE(kept.load(kUdfLoadKeepBlock | kUdfLoadShareParent));
  EXPECT_EQ(kept.root->bytes(), std::string_view(bytes).substr(30));
  const UdfNode* keptMesh = kept.root->findChild("Children")->findChild("Mesh");
  EXPECT_EQ(keptMesh->bytes(), std::string_view(bytes).substr(keptMesh->offset(), keptMesh->size()));
  const UdfNode* name = keptMesh->findChild("Name");
  EXPECT_TRUE(name->dataBorrowed());
  EXPECT_EQ(name->dataString(), "mesh name");
  EXPECT_GE(name->data(), keptMesh->data());
  EXPECT_LT(name->data(), keptMesh->data() + keptMesh->dataSize());
}

TEST(UdfReader, TypedExpansionSplitsLeavesIntoFieldsAndElements) {
  std::vector<UdfType> types = {
      {"Vec", {{"x", "real", false, 0}, {"y", "real", false, 0}, {"tag", "char", true, 4}}},
      {"Pair", {{"a", "Vec", false, 0}, {"b", "Vec", false, 0}}},
  };
  std::string twoVecs;
  for (const char* part : {"AAAABBBBtag1", "CCCCDDDDtag2"})
    twoVecs += part;
  auto holder = UdfNode::makeList("", "holder");
  holder->addChild(leaf("Vec", "vecs", twoVecs))->setElementCount(2);
  holder->addChild(leaf("Pair", "pair", twoVecs));
  holder->addChild(leaf("int", "ints", std::string(8, '\x01')))->setElementCount(2);
  const std::string bytes = written({holder.get()}, &types);

  Loaded file(bytes);
  ASSERT_TRUE(file.load(kUdfLoadExpandTypes | kUdfLoadPointIntoData));
  const UdfNode* vecs = file.root->findChild("holder")->findChild("vecs");
  ASSERT_TRUE(vecs->isList());
  ASSERT_EQ(vecs->childCount(), 2u);
  const UdfNode* second = vecs->findChild("1");
  EXPECT_EQ(second->typeName(), "Vec");
  EXPECT_EQ(second->findChild("y")->dataString(), "DDDD");
  EXPECT_EQ(second->findChild("tag")->dataString(), "tag2");
  EXPECT_EQ(second->findChild("tag")->elementCount(), 4u);
  EXPECT_TRUE(second->findChild("tag")->dataBorrowed());
  const UdfNode* pair = file.root->findChild("holder")->findChild("pair");
  EXPECT_EQ(pair->findChild("b")->findChild("x")->dataString(), "CCCC");
  // Arrays of built-in types stay whole unless asked for.
  EXPECT_FALSE(file.root->findChild("holder")->findChild("ints")->isList());

  Loaded oneLevel(bytes);
  ASSERT_TRUE(oneLevel.load(kUdfLoadExpandTypes));
  ASSERT_TRUE(oneLevel.root->findChild("holder")->findChild("pair")->findChild("a")->isList());

  // An unknown type or data too short for its elements fails.
  auto bad = UdfNode::makeList("", "holder");
  bad->addChild(leaf("Mystery", "m", "abcd"));
  Loaded unknown(written({bad.get()}, &types));
  EXPECT_FALSE(unknown.load(kUdfLoadExpandTypes));
  auto shortData = UdfNode::makeList("", "holder");
  shortData->addChild(leaf("Vec", "v", "tooshort"))->setElementCount(1);
  Loaded tooShort(written({shortData.get()}, &types));
  EXPECT_FALSE(tooShort.load(kUdfLoadExpandTypes));
}

TEST(UdfReader, TypesThatContainThemselvesAreRefused) {
  std::vector<UdfType> types = {{"A", {{"b", "B", false, 0}}}, {"B", {{"a", "A", true, 2}}}};
  auto holder = UdfNode::makeList("", "holder");
  LogCapture log;
  Loaded file(written({holder.get()}, &types));
  EXPECT_EQ(file.root, nullptr);
  EXPECT_FALSE(log.lines().empty());
}

TEST(UdfWriter, SavesToDiskDirectlyOrThroughMemoryWithTheSameBytes) {
  std::vector<const UdfNode*> top;
  auto holder = cameraKeys(top);
  testsupport::TempDir dir;
  ASSERT_TRUE(UdfWriter::save(dir.file("direct.cam").string(), top));
  ASSERT_TRUE(UdfWriter::save(dir.file("memory.cam").string(), top, nullptr, true));
  const std::string direct = testsupport::TempDir::read(dir.file("direct.cam"));
  EXPECT_EQ(direct.size(), 486u);
  EXPECT_EQ(direct, testsupport::TempDir::read(dir.file("memory.cam")));
  EXPECT_FALSE(UdfWriter::save(dir.file("no/such/folder/x.cam").string(), top));
}

TEST(UdfWriter, LinkToANodeOutsideTheSavedTreeFailsTheSave) {
  auto outside = UdfNode::makeList("Material", "Elsewhere");
  auto node = UdfNode::makeList("Node", "Node");
  node->addLink(*outside);
  MemoryStream out;
  out.open("", kStreamWrite);
  LogCapture log;
  EXPECT_FALSE(UdfWriter::write(out, {node.get()}));
  EXPECT_TRUE(log.contains("Error: UDF link Elsewhere names a node outside the saved tree\n"));
  EXPECT_NE(out.contents().find("DataArea"), std::string::npos);
}
