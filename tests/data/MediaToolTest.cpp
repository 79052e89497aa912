#include "tools/tickwood-media/MediaTool.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "engine/data/archive/RarFormat.h"
#include "engine/data/udf/UdfWriter.h"
#include "tests/support/Ci.h"
#include "tests/support/TempDir.h"

namespace {

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome run(std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  Outcome outcome;
  outcome.status = tools::runMediaTool(args, out, err);
  outcome.out = out.str();
  outcome.err = err.str();
  return outcome;
}

// Runs a shell command and answers its exit status and standard output.
Outcome shell(const std::string& command) {
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return outcome;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
    outcome.out.append(buffer, got);
  const int status = pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

bool haveBsdtar() { return shell("command -v bsdtar >/dev/null 2>&1").status == 0; }

std::string binaryBytes(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
  return bytes;
}

class PackedFolder : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SOURCE_DATE_EPOCH", "1083827290", 1); // 2004-05-06 07:08:10 UTC
    dir.write("in/Scene.props", "NearPlane = 0.1;\n");
    dir.write("in/textures/wood.jpg", binaryBytes(300000));
    dir.write("in/c1.cam", binaryBytes(486));
    dir.write("in/empty.txt", "");
    archive = dir.file("media.rar").string();
    const Outcome packed = run({"pack", dir.file("in").string(), archive});
    ASSERT_EQ(packed.status, 0) << packed.err;
  }
  void TearDown() override { unsetenv("SOURCE_DATE_EPOCH"); }

  testsupport::TempDir dir;
  std::string archive;
};

} // namespace

TEST_F(PackedFolder, ListShowsTheFolderEntryThenEveryFileSortedByPath) {
  const Outcome listed = run({"list", archive});
  ASSERT_EQ(listed.status, 0) << listed.err;
  const auto crcLine = [](std::size_t size, const std::string& bytes, const char* name) {
    char line[128];
    std::snprintf(line, sizeof line, "file %zu %08x %s\n", size, engine::crc32Of(bytes), name);
    return std::string(line);
  };
  EXPECT_EQ(listed.out, "dir Media\n" + crcLine(17, "NearPlane = 0.1;\n", "Media\\Scene.props") +
                            crcLine(486, binaryBytes(486), "Media\\c1.cam") + crcLine(0, "", "Media\\empty.txt") +
                            crcLine(300000, binaryBytes(300000), "Media\\textures\\wood.jpg"));
  EXPECT_EQ(listed.err, "");
}

TEST_F(PackedFolder, CatGivesEveryEntryByteForByte) {
  EXPECT_EQ(run({"cat", archive, "media/textures/wood.jpg"}).out, binaryBytes(300000));
  EXPECT_EQ(run({"cat", archive, "MEDIA\\C1.CAM"}).out, binaryBytes(486));
  const Outcome empty = run({"cat", archive, "Media/empty.txt"});
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.out, "");
}

TEST_F(PackedFolder, PackingIsReproducibleWithAFixedDate) {
  const std::string again = dir.file("again.rar").string();
  ASSERT_EQ(run({"pack", dir.file("in").string(), again}).status, 0);
  const std::string bytes = testsupport::TempDir::read(archive);
  EXPECT_EQ(testsupport::TempDir::read(again), bytes);
  // The folder entry carries the date: 2004-05-06 07:08:10.
  EXPECT_EQ(bytes.substr(20 + 20, 4), std::string("\x05\x39\xA6\x30", 4));
}

TEST_F(PackedFolder, BsdtarListsAndExtractsTheSameBytes) {
  if (!haveBsdtar()) SKIP_OR_FAIL_IN_CI("bsdtar is not installed");
  const Outcome verbose = shell("bsdtar -tvf '" + archive + "'");
  EXPECT_EQ(verbose.status, 0);
  const Outcome names = shell("bsdtar -tf '" + archive + "'");
  ASSERT_EQ(names.status, 0);
  EXPECT_EQ(names.out, "Media\nMedia/Scene.props\nMedia/c1.cam\nMedia/empty.txt\nMedia/textures/wood.jpg\n");
  EXPECT_NE(verbose.out.find("drwx"), std::string::npos) << verbose.out;

  const auto out = dir.file("out");
  std::filesystem::create_directories(out);
  ASSERT_EQ(shell("cd '" + out.string() + "' && bsdtar -xf '" + archive + "'").status, 0);
  EXPECT_EQ(testsupport::TempDir::read(out / "Media/textures/wood.jpg"), binaryBytes(300000));
  EXPECT_EQ(testsupport::TempDir::read(out / "Media/c1.cam"), binaryBytes(486));
  EXPECT_EQ(testsupport::TempDir::read(out / "Media/Scene.props"), "NearPlane = 0.1;\n");
  EXPECT_TRUE(std::filesystem::is_directory(out / "Media"));

  // The header CRCs are what bsdtar checks: a damaged one fails the listing.
  std::string damaged = testsupport::TempDir::read(archive);
  damaged[20 + 32] ^= 0x01; // a byte of the folder entry's name
  const std::string broken = dir.write("broken.rar", damaged).string();
  EXPECT_EQ(shell("bsdtar -tvf '" + broken + "' >/dev/null 2>&1").status, 1);
}

TEST(MediaTool, FailuresExitWithOneAndOneLine) {
  testsupport::TempDir dir;
  const auto oneLine = [](const Outcome& o) {
    return o.status == 1 && !o.err.empty() && o.err.find('\n') == o.err.size() - 1;
  };
  EXPECT_TRUE(oneLine(run({})));
  EXPECT_TRUE(oneLine(run({"list"})));
  EXPECT_TRUE(oneLine(run({"frobnicate", "x"})));
  EXPECT_TRUE(oneLine(run({"list", dir.file("missing.rar").string()})));
  const std::string notRar = dir.write("not.rar", "this is not an archive").string();
  const Outcome listed = run({"list", notRar});
  EXPECT_TRUE(oneLine(listed));
  EXPECT_EQ(listed.err, "tickwood-media: " + notRar + ": not a RAR archive\n");
  EXPECT_TRUE(oneLine(run({"pack", dir.file("missing").string(), dir.file("x.rar").string()})));
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.rar")));

  std::filesystem::create_directories(dir.file("in"));
  const std::string archive = dir.file("a.rar").string();
  ASSERT_EQ(run({"pack", dir.file("in").string(), archive}).status, 0);
  const Outcome missing = run({"cat", archive, "Media/nothing.txt"});
  EXPECT_TRUE(oneLine(missing));
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "tickwood-media: cannot open Media/nothing.txt in " + archive + ": no such entry\n");
}

TEST(MediaTool, ExecutableRunsTheSameCommands) {
  testsupport::TempDir dir;
  dir.write("in/a.txt", "alpha");
  const std::string archive = dir.file("a.rar").string();
  const std::string tool = TICKWOOD_MEDIA_EXE;
  ASSERT_EQ(shell("'" + tool + "' pack '" + dir.file("in").string() + "' '" + archive + "'").status, 0);
  const Outcome cat = shell("'" + tool + "' cat '" + archive + "' media/A.TXT");
  EXPECT_EQ(cat.status, 0);
  EXPECT_EQ(cat.out, "alpha");
  EXPECT_EQ(shell("'" + tool + "' cat '" + archive + "' nothing 2>/dev/null").status, 1);
}

TEST(MediaTool, UdfPrintsTheTreeDepthFirstWithLinksNotDescended) {
  auto materials = engine::UdfNode::makeList("Material", "Materials");
  engine::UdfNode* wood = materials->addChild(engine::UdfNode::makeList("Material", "Wood"));
  wood->addChild(engine::UdfNode::makeLeaf("string", "Name", "oak", 3));
  auto children = engine::UdfNode::makeList("Node", "Children");
  engine::UdfNode* clock = children->addChild(engine::UdfNode::makeList("Node", "clock"));
  clock->addLink(*wood);
  const std::string ints(8, '\x01');
  clock->addChild(engine::UdfNode::makeLeaf("int", "Indices", ints.data(), ints.size()))->setElementCount(2);
  clock->addChild(engine::UdfNode::makeLeaf("", "Empty", nullptr, 0));

  testsupport::TempDir dir;
  const std::string path = dir.file("scene.udf").string();
  ASSERT_TRUE(engine::UdfWriter::save(path, {children.get(), materials.get()}));
  const Outcome printed = run({"udf", path});
  ASSERT_EQ(printed.status, 0) << printed.err;
  char crcOak[9];
  char crcInts[9];
  std::snprintf(crcOak, sizeof crcOak, "%08x", engine::crc32Of("oak"));
  std::snprintf(crcInts, sizeof crcInts, "%08x", engine::crc32Of(ints));
  // List sizes by hand: table head 8, entry = name + type strings + flags (+ count) + 8.
  EXPECT_EQ(printed.out,
            std::string("Children : Node flags=0x04 size=132\n") + "  clock : Node flags=0x04 size=98\n" +
                "    Wood : Material flags=0x04 size=38 link\n" + "    Indices : int flags=0x01 count=2 size=8 crc=" +
                crcInts + "\n" + "    Empty :  flags=0x00 size=0\n" + "Materials : Material flags=0x04 size=75\n" +
                "  Wood : Material flags=0x04 size=38\n" + "    Name : string flags=0x00 size=3 crc=" + crcOak + "\n");

  const std::string broken = dir.write("broken.udf", "not a udf file at all").string();
  const Outcome failed = run({"udf", broken});
  EXPECT_EQ(failed.status, 1);
  EXPECT_EQ(failed.err, "tickwood-media: " + broken + ": not a UDF file\n");
}

TEST(MediaTool, PropsPrintsKindsAndEscapedValues) {
  testsupport::TempDir dir;
  dir.write("extra.props", "Extra = 'yes';");
  const std::string path = dir.write("scene.props", "Ambient = array(255, 0);\n"
                                                    "Quote = 'say \"hi\" \\\\ bye';\n"
                                                    "Styles[0].Size = 64;\n"
                                                    "Tab = '\t|\x01|\xC3\xA9';\n"
                                                    "include(\"extra.props\");\n")
                               .string();
  const Outcome printed = run({"props", path});
  ASSERT_EQ(printed.status, 0) << printed.err;
  EXPECT_EQ(printed.out, "Ambient array\n"
                         "  0 value = \"255\"\n"
                         "  1 value = \"0\"\n"
                         "Quote value = \"say \\\"hi\\\" \\\\\\\\ bye\"\n"
                         "Styles array\n"
                         "  0 object\n"
                         "    Size value = \"64\"\n"
                         "Tab value = \"\\u0009|\\u0001|\xC3\xA9\"\n"
                         "Extra value = \"yes\"\n");
  const Outcome missing = run({"props", dir.file("none.props").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "tickwood-media: " + dir.file("none.props").string() + ": cannot read the props file\n");
}
