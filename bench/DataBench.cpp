// The data layer's speed targets: opening the last entry of a 10 MB archive of 40 stored
// entries (< 5 ms), parsing a 100 KB props file (< 5 ms), reading a 10 MB UDF scene with
// load options 0 (< 50 ms).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/data/MemoryStream.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarWriter.h"
#include "engine/data/props/PropsParser.h"
#include "engine/data/udf/UdfReader.h"
#include "engine/data/udf/UdfWriter.h"

using namespace engine;

namespace {

std::string noise(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1664525u + 1013904223u;
    c = static_cast<char>(seed >> 24);
  }
  return bytes;
}

const std::string& tenMegabyteArchive() {
  static const std::string archive = [] {
    RarWriter writer;
    writer.addDirectory("Media", 0);
    for (int i = 0; i < 40; ++i)
      writer.addFile("Media\\texture" + std::to_string(i) + ".jpg", noise(256 * 1024, i), 0);
    return writer.finish();
  }();
  return archive;
}

void archiveOpenLastEntry(benchmark::State& state) {
  const std::string& bytes = tenMegabyteArchive();
  MemFileArchive archive;
  archive.open(FileLocation::memory(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
  for (auto _ : state) {
    auto stream = archive.openFile("media/TEXTURE39.jpg", kStreamRead);
    if (!stream) state.SkipWithError("entry did not open");
    benchmark::DoNotOptimize(stream);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 256 * 1024);
}
BENCHMARK(archiveOpenLastEntry)->Unit(benchmark::kMillisecond);

// Text in the shape of the shipped settings, font and charset files.
std::string propsText(std::size_t size) {
  std::string text = "// generated\n";
  for (int block = 0; text.size() < size; ++block) {
    const std::string n = std::to_string(block);
    text += "Ambient" + n + "    = array(255,255,255);\n";
    text += "NearPlane" + n + "  = 0.1;\n";
    text += "Name" + n + "         = \"font02.dds\";\n";
    text += "Styles[" + n + "].Charsets = array(\"64font.css\", \"sylfaen_eng_14.css\");\n";
    text += "Styles[" + n + "].Size     = 64;\n";
    text += "Sizes" + n + " = array(\n  // digits\n  37, 38, 39, 40, 41,\n  42, 43, 44, 45, 46\n);\n";
    text += "Sizes[\"" + n + "\"] = 37;\n";
    text += "Copy" + n + " = Ambient" + n + ";\n";
  }
  return text;
}

void propsParse100KB(benchmark::State& state) {
  const std::string text = propsText(100 * 1024);
  for (auto _ : state) {
    MemoryStream stream;
    stream.openOver(text);
    PropsTree tree;
    if (!parseProps(stream, tree)) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(tree.count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(propsParse100KB)->Unit(benchmark::kMillisecond);

// A scene in the shape of the room: nodes with transforms, meshes with vertex and index
// data, animation keys, and materials shared by links.
struct Scene {
  std::unique_ptr<UdfNode> children = UdfNode::makeList("Node", "Children");
  std::unique_ptr<UdfNode> materials = UdfNode::makeList("Material", "Materials");
};

std::unique_ptr<Scene> tenMegabyteScene() {
  auto scene = std::make_unique<Scene>();
  std::vector<UdfNode*> shared;
  for (int m = 0; m < 40; ++m) {
    UdfNode* material = scene->materials->addChild(UdfNode::makeList("Material", "Material" + std::to_string(m)));
    UdfNode* diffuse = material->addChild(UdfNode::makeList("Diffuse", "Diffuse"));
    diffuse->addChild(UdfNode::makeLeaf("string", "Name", "wood.jpg", 8));
    shared.push_back(material);
  }
  const std::string matrix = noise(68, 1);
  for (int n = 0; n < 400; ++n) {
    UdfNode* node = scene->children->addChild(UdfNode::makeList("Node", "node" + std::to_string(n)));
    node->addChild(UdfNode::makeLeaf("matrix", "NodeTM", matrix.data(), matrix.size()));
    UdfNode* mesh = node->addChild(UdfNode::makeList("Mesh", "Mesh"));
    const std::string vertices = noise(20000, n);
    const std::string indices = noise(4800, n + 1000);
    mesh->addChild(UdfNode::makeLeaf("", "Vertices", vertices.data(), vertices.size()));
    mesh->addChild(UdfNode::makeLeaf("int", "Indices", indices.data(), indices.size()))->setElementCount(1200);
    mesh->addLink(*shared[static_cast<std::size_t>(n) % shared.size()]);
    UdfNode* keys = node->addChild(UdfNode::makeList("Sample", "Keys"));
    for (int k = 0; k < 8; ++k) {
      const std::string key = noise(32, k);
      keys->addChild(UdfNode::makeLeaf("AniKey", "k" + std::to_string(k), key.data(), key.size()));
    }
  }
  return scene;
}

const std::string& tenMegabyteUdf() {
  static const std::string bytes = [] {
    auto scene = tenMegabyteScene();
    MemoryStream out;
    out.open("", kStreamWrite);
    UdfWriter::write(out, {scene->children.get(), scene->materials.get()});
    return out.contents();
  }();
  return bytes;
}

void udfRead10MB(benchmark::State& state) {
  const std::string& bytes = tenMegabyteUdf();
  for (auto _ : state) {
    MemoryStream stream;
    stream.openOver(bytes);
    UdfReader reader;
    auto root = reader.open(stream);
    if (!root || !reader.load(*root, 0)) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(root);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(udfRead10MB)->Unit(benchmark::kMillisecond);

void udfWrite10MBInMemory(benchmark::State& state) {
  auto scene = tenMegabyteScene();
  for (auto _ : state) {
    MemoryStream out;
    out.open("", kStreamWrite);
    if (!UdfWriter::write(out, {scene->children.get(), scene->materials.get()})) state.SkipWithError("write failed");
    benchmark::DoNotOptimize(out.size());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * tenMegabyteUdf().size()));
}
BENCHMARK(udfWrite10MBInMemory)->Unit(benchmark::kMillisecond);

} // namespace
