#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarFormat.h"
#include "engine/data/archive/RarWriter.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "platform/win32/resources.h"
#include "tests/support/TempDir.h"

using namespace engine;

namespace {

std::string le16(std::uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
std::string le32(std::uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

// A block with a correct header CRC: `body` follows the 7-byte base header.
std::string block(std::uint8_t type, std::uint16_t flags, const std::string& body, const std::string& data = "") {
  std::string header =
      le16(0) + static_cast<char>(type) + le16(flags) + le16(static_cast<std::uint32_t>(7 + body.size())) + body;
  const std::uint16_t crc = rar::headerCrc(std::string_view(header).substr(2));
  header[0] = static_cast<char>(crc & 0xFF);
  header[1] = static_cast<char>(crc >> 8);
  return header + data;
}

struct StoredFile {
  std::string name;
  std::string data;
  std::uint8_t method = rar::kMethodStore;
  std::uint8_t version = rar::kUnpackVersion;
  std::uint16_t flags = rar::kLongBlock;
  std::optional<std::uint32_t> crc;
  std::optional<std::uint32_t> unpacked;
};

StoredFile storedFile(std::string name, std::string data) {
  StoredFile f;
  f.name = std::move(name);
  f.data = std::move(data);
  return f;
}

std::string fileBlock(const StoredFile& f) {
  const auto size = static_cast<std::uint32_t>(f.data.size());
  const std::string body = le32(size) + le32(f.unpacked.value_or(size)) + char(2) +
                           le32(f.crc.value_or(crc32Of(f.data))) + le32(0) + static_cast<char>(f.version) +
                           static_cast<char>(f.method) + le16(static_cast<std::uint32_t>(f.name.size())) + le32(0x20) +
                           f.name;
  return block(rar::kFileHead, f.flags, body, f.data);
}

std::string mainBlock(std::uint16_t flags = 0) { return block(rar::kMainHead, flags, le16(0) + le32(0)); }
std::string mark() { return std::string(reinterpret_cast<const char*>(rar::kMark), rar::kMarkSize); }

struct OpenedArchive {
  std::string bytes;
  MemFileArchive archive;
  explicit OpenedArchive(std::string b) : bytes(std::move(b)) {
    archive.open(FileLocation::memory(bytes.data(), static_cast<std::uint32_t>(bytes.size())));
  }
  std::optional<std::string> read(std::string_view name) {
    auto stream = archive.openFile(name, kStreamRead);
    if (!stream) return std::nullopt;
    return static_cast<MemoryStream&>(*stream).contents();
  }
};

std::string mediaArchive() {
  RarWriter writer;
  writer.addDirectory("Media", rar::dosDateTime(2004, 5, 6, 7, 8, 10));
  writer.addFile("Media\\clock.UDF", "the clock", 0);
  writer.addFile("Media\\a_b", "underscore", 0);
  writer.addFile("Media\\empty.txt", "", 0);
  writer.addFile("Media\\Scene.props", "NearPlane = 0.1;", 0);
  return writer.finish();
}

} // namespace

TEST(RarFormat, KnownAnswers) {
  const std::string mainBody("\x73\x00\x00\x0D\x00\x00\x00\x00\x00\x00\x00", 11);
  EXPECT_EQ(rar::headerCrc(mainBody), 0x90CF);
  EXPECT_EQ(rar::headerCrc(std::string("\x7B\x00\x40\x07\x00", 5)), 0x3DC4);
  EXPECT_EQ(rar::dosDateTime(2004, 5, 6, 7, 8, 10), 0x30A63905u);
  EXPECT_EQ(rar::dosDateTime(1970, 1, 1, 0, 0, 0), rar::dosDateTime(1980, 1, 1, 0, 0, 0));
  EXPECT_EQ(crc32Of("123456789"), 0xCBF43926u);
}

TEST(RarWriter, WritesMarkMainHeaderEntriesAndEndBlock) {
  RarWriter writer;
  ASSERT_TRUE(writer.addDirectory("Media", rar::dosDateTime(2004, 5, 6, 7, 8, 10)));
  ASSERT_TRUE(writer.addFile("Media\\a.txt", "abc", 0x12345678));
  EXPECT_FALSE(writer.addFile("", "x", 0));
  EXPECT_FALSE(writer.addFile(std::string(65504, 'n'), "x", 0));
  const std::string bytes = writer.finish();
  EXPECT_FALSE(writer.addFile("late", "x", 0));

  const std::string expectedStart = mark() + std::string("\xCF\x90\x73\x00\x00\x0D\x00\x00\x00\x00\x00\x00\x00", 13);
  EXPECT_EQ(bytes.substr(0, 20), expectedStart);
  EXPECT_EQ(bytes.substr(bytes.size() - 7), std::string("\xC4\x3D\x7B\x00\x40\x07\x00", 7));

  // The directory: flags 0x80E0, no data, the directory attribute, host Win32.
  const std::string dir = bytes.substr(20, 37);
  EXPECT_EQ(dir.substr(2, 5), std::string("\x74\xE0\x80\x25\x00", 5));
  EXPECT_EQ(dir.substr(7, 8), std::string(8, '\0'));
  EXPECT_EQ(dir[15], 2);
  EXPECT_EQ(dir.substr(20, 4), le32(0x30A63905));
  EXPECT_EQ(dir.substr(24, 2), std::string("\x14\x30", 2));
  EXPECT_EQ(dir.substr(28, 4), le32(0x10));
  EXPECT_EQ(dir.substr(32), "Media");
  EXPECT_EQ(le16(rar::headerCrc(std::string_view(dir).substr(2))), dir.substr(0, 2));

  // The file: sizes, CRC, time, the archive attribute, then the data.
  const std::string file = bytes.substr(57, 43 + 3);
  EXPECT_EQ(file.substr(3, 2), le16(0x8000));
  EXPECT_EQ(file.substr(5, 2), le16(43));
  EXPECT_EQ(file.substr(7, 8), le32(3) + le32(3));
  EXPECT_EQ(file.substr(16, 4), le32(crc32Of("abc")));
  EXPECT_EQ(file.substr(20, 4), le32(0x12345678));
  EXPECT_EQ(file.substr(28, 4), le32(0x20));
  EXPECT_EQ(file.substr(32), "Media\\a.txtabc");
  EXPECT_EQ(bytes.size(), 20u + 37u + 46u + 7u);
}

TEST(MemFileArchive, NamesFoldSeparatorsUnderscoresAndCase) {
  OpenedArchive a(mediaArchive());
  for (const char* name : {"Media\\clock.UDF", "media/clock.udf", "MEDIA\\CLOCK.UDF", "Media_clock.udf"})
    EXPECT_EQ(a.read(name), "the clock") << name;
  EXPECT_EQ(a.read("media/a/b"), "underscore");
  EXPECT_EQ(a.read("Media/clock.ud"), std::nullopt);
  EXPECT_EQ(a.read("clock.udf"), std::nullopt);
  EXPECT_EQ(foldArchiveName("Media/x\\y.Z"), "MEDIA_X_Y.Z");
  EXPECT_EQ(foldArchiveName(std::string(600, 'a')).size(), 512u);
  EXPECT_TRUE(a.archive.exists("anything at all"));
}

TEST(MemFileArchive, EmptyEntryOpensAsAnEmptyStream) {
  OpenedArchive a(mediaArchive());
  EXPECT_EQ(a.read("Media/empty.txt"), "");
}

TEST(MemFileArchive, WriteModeStreamsGetTheEntryInTheirChunks) {
  OpenedArchive a(mediaArchive());
  auto stream = a.archive.openFile("Media/Scene.props", kStreamRead | kStreamWrite);
  ASSERT_NE(stream, nullptr);
  ASSERT_TRUE(stream->seek(0, kSeekEnd));
  EXPECT_EQ(stream->write(" Fov = 70;", 10), 10u);
  EXPECT_EQ(static_cast<MemoryStream&>(*stream).contents(), "NearPlane = 0.1; Fov = 70;");
}

TEST(MemFileArchive, ListsEveryFileBlockInOrder) {
  OpenedArchive a(mediaArchive());
  std::vector<ArchiveEntry> entries;
  ASSERT_TRUE(a.archive.list(entries));
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].name, "Media");
  EXPECT_TRUE(entries[0].isDirectory());
  EXPECT_EQ(entries[0].headFlags, 0x80E0);
  EXPECT_EQ(entries[1].name, "Media\\clock.UDF");
  EXPECT_FALSE(entries[1].isDirectory());
  EXPECT_EQ(entries[1].unpackedSize, 9u);
  EXPECT_EQ(entries[1].fileCrc, crc32Of("the clock"));
}

TEST(MemFileArchive, DamagedEntriesFailWithALogLine) {
  const std::string good = "good bytes";
  struct Case {
    const char* what;
    StoredFile file;
    const char* log;
  };
  std::vector<Case> cases(6, Case{"", storedFile("bad", good), ""});
  cases[0].what = "crc mismatch";
  cases[0].file.crc = 0x1234u;
  cases[0].log = "Error: archive entry bad fails its CRC check\n";
  cases[1].what = "compressed";
  cases[1].file.method = 0x33;
  cases[1].log = "Error: archive entry bad is compressed; only stored entries can be read\n";
  cases[2].what = "new version";
  cases[2].file.version = 29;
  cases[2].log = "Error: archive entry bad needs unpack version 29\n";
  cases[3].what = "old version";
  cases[3].file.version = 12;
  cases[3].log = "Error: archive entry bad needs unpack version 12\n";
  cases[4].what = "claims more than it stores";
  cases[4].file.unpacked = 0xFFFFFFF0u;
  cases[4].log = "Error: archive entry bad runs past the end of the archive\n";
  cases[5].what = "encrypted";
  cases[5].file.flags = 0x8004;
  cases[5].file.data = "scrambled!";
  cases[5].file.crc = crc32Of(good);
  cases[5].log = "Error: archive entry bad fails its CRC check\n";
  for (const Case& c : cases) {
    OpenedArchive a(mark() + mainBlock() + fileBlock(c.file) + fileBlock(storedFile("next", "n")));
    LogCapture log;
    EXPECT_EQ(a.read("bad"), std::nullopt) << c.what;
    EXPECT_EQ(log.lines(), std::vector<std::string>{c.log}) << c.what;
    EXPECT_EQ(a.read("next"), "n") << c.what;
  }
}

TEST(MemFileArchive, WrongMagicAndTruncationNeverReadOutsideTheBytes) {
  const std::string whole = mediaArchive();
  {
    std::string notRar = whole;
    notRar[0] = 'X';
    OpenedArchive a(notRar);
    LogCapture log;
    EXPECT_EQ(a.read("Media/clock.udf"), std::nullopt);
    EXPECT_TRUE(log.contains("Error: not a RAR archive\n"));
    std::vector<ArchiveEntry> entries;
    EXPECT_FALSE(a.archive.list(entries));
  }
  // Every prefix of the archive: entries wholly inside still open, others fail cleanly.
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    OpenedArchive a(whole.substr(0, cut));
    LogCapture quiet;
    const auto clock = a.read("Media/clock.udf");
    if (clock) {
      EXPECT_EQ(*clock, "the clock");
    }
    std::vector<ArchiveEntry> entries;
    a.archive.list(entries);
  }
}

TEST(MemFileArchive, WalkSkipsOtherBlocksAndStopsWhereTheFormatSays) {
  const std::string comment = block(0x75, rar::kLongBlock, le32(5) + std::string(25, 'c'), "12345");
  const std::string subBlock = block(rar::kOldSubBlock, 0, std::string(25, 's'));
  {
    OpenedArchive a(mark() + mainBlock() + comment + subBlock + fileBlock(storedFile("after", "found")));
    EXPECT_EQ(a.read("after"), "found");
  }
  {
    // An old sub-block right after a file block ends the walk.
    OpenedArchive a(mark() + mainBlock() + fileBlock(storedFile("first", "1")) + subBlock +
                    fileBlock(storedFile("after", "x")));
    EXPECT_EQ(a.read("first"), "1");
    EXPECT_EQ(a.read("after"), std::nullopt);
  }
  {
    // A longer main header is skipped by its size.
    const std::string longMain = block(rar::kMainHead, 0, le16(0) + le32(0) + "extra");
    OpenedArchive a(mark() + longMain + fileBlock(storedFile("x", "y")));
    EXPECT_EQ(a.read("X"), "y");
  }
  {
    // A head size under 7 ends the walk.
    std::string broken = fileBlock(storedFile("one", "1"));
    broken[5] = 3;
    broken[6] = 0;
    OpenedArchive a(mark() + mainBlock() + broken + fileBlock(storedFile("two", "2")));
    EXPECT_EQ(a.read("two"), std::nullopt);
  }
  {
    // The first entry of a name wins.
    OpenedArchive a(mark() + mainBlock() + fileBlock(storedFile("dup", "first")) +
                    fileBlock(storedFile("DUP", "second")));
    EXPECT_EQ(a.read("dup"), "first");
  }
}

TEST(MemFileArchive, SolidArchiveCannotDecodePastACompressedEntry) {
  StoredFile packed = storedFile("packed", "zz");
  packed.method = 0x33;
  const std::string entries = fileBlock(packed) + fileBlock(storedFile("later", "L"));
  OpenedArchive solid(mark() + mainBlock(rar::kSolidArchive) + entries);
  EXPECT_EQ(solid.read("later"), std::nullopt);
  OpenedArchive plain(mark() + mainBlock() + entries);
  EXPECT_EQ(plain.read("later"), "L");
}

TEST(MemFileArchive, OpensFromTheResourceInPlaceAndFromDiskAsACopy) {
  static const std::string bytes = mediaArchive();
  win32::registerResource("MEMFILE", 147, bytes.data(), bytes.size());
  MemFileArchive archive;
  ASSERT_TRUE(archive.open(FileLocation::resource(147)));
  EXPECT_TRUE(archive.borrowed());
  EXPECT_EQ(archive.bytes().data(), bytes.data());
  archive.close(); // borrowed bytes stay
  EXPECT_NE(archive.openFile("Media/clock.udf", kStreamRead), nullptr);
  win32::unregisterResource("MEMFILE", 147);

  testsupport::TempDir dir;
  MemFileArchive fromDisk;
  ASSERT_TRUE(fromDisk.open(FileLocation(dir.write("media.rar", bytes).string())));
  EXPECT_FALSE(fromDisk.borrowed());
  EXPECT_NE(fromDisk.openFile("MEDIA/SCENE.PROPS", kStreamRead), nullptr);
  fromDisk.close();
  EXPECT_EQ(fromDisk.bytes().size(), 0u);
  EXPECT_EQ(fromDisk.openFile("MEDIA/SCENE.PROPS", kStreamRead), nullptr);
  EXPECT_FALSE(fromDisk.open(FileLocation(dir.file("missing.rar").string())));
}
