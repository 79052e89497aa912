#include "engine/data/FileLocation.h"
#include "engine/data/FileSearchPaths.h"
#include "engine/data/MediaLibrary.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "platform/win32/resources.h"
#include "tests/support/TempDir.h"

using namespace engine;

namespace {

// Runs a test inside a folder of its own and goes back afterwards.
class InsideFolder {
public:
  explicit InsideFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InsideFolder() { std::filesystem::current_path(previous_); }

private:
  std::filesystem::path previous_;
};

// An archive that holds exactly the names it is given (compared as written).
class NamedArchive final : public Archive {
public:
  explicit NamedArchive(std::initializer_list<std::pair<const std::string, std::string>> files)
      : files_(std::move(files)) {}
  bool open(const FileLocation&) override { return true; }
  void close() override {}
  bool exists(std::string_view name) override { return files_.count(std::string(name)) != 0; }
  std::unique_ptr<Stream> openFile(std::string_view name, int mode) override {
    auto found = files_.find(std::string(name));
    if (found == files_.end()) return nullptr;
    auto stream = std::make_unique<MemoryStream>();
    stream->open(name, mode);
    stream->setBuffer(found->second);
    return stream;
  }

private:
  std::map<std::string, std::string> files_;
};

std::string readStream(Stream& stream) {
  std::string bytes(static_cast<std::size_t>(stream.size()), '\0');
  if (!bytes.empty()) stream.read(bytes.data(), bytes.size());
  return bytes;
}

} // namespace

TEST(FileLocation, DefaultsAndFactories) {
  const FileLocation none;
  EXPECT_EQ(none.flags, 0u);
  EXPECT_TRUE(none.path.empty());
  EXPECT_EQ(none.archive, nullptr);
  EXPECT_TRUE(none.shareBlock);
  const FileLocation disk("Media/clock.udf");
  EXPECT_EQ(disk.flags, kLocationDisk);
  EXPECT_EQ(FileLocation::resource(147).flags, kLocationResource);
  EXPECT_EQ(FileLocation::diskOrArchive(nullptr, "x").flags, kLocationDisk | kLocationArchive);
}

TEST(FileLocation, SameAsLooksOnlyAtTheBitsOfTheLeftSide) {
  NamedArchive a{};
  NamedArchive b{};
  const FileLocation disk("Media");
  const FileLocation both = FileLocation::diskOrArchive(&a, "Media");
  EXPECT_TRUE(disk.sameAs(both));
  EXPECT_FALSE(both.sameAs(disk)); // the right side lacks the archive bit
  EXPECT_FALSE(disk.sameAs(FileLocation("media")));
  EXPECT_TRUE(FileLocation::inArchive(a, "Media").sameAs(FileLocation::inArchive(a, "Media")));
  EXPECT_FALSE(FileLocation::inArchive(a, "Media").sameAs(FileLocation::inArchive(b, "Media")));
  EXPECT_TRUE(FileLocation::resource(1).sameAs(FileLocation::resource(2))); // no disk or archive bit
}

TEST(FileLocation, OrderingKeepsDifferentFilesApart) {
  NamedArchive archive{};
  const FileLocationLess less;
  const FileLocation disk("Media/wood.jpg");
  const FileLocation entry = FileLocation::inArchive(archive, "Media/wood.jpg");
  // A disk file and an archive entry of the same name are different files.
  EXPECT_TRUE(less(entry, disk) != less(disk, entry));
  EXPECT_FALSE(less(disk, FileLocation("MEDIA/WOOD.JPG")));
  EXPECT_FALSE(less(FileLocation("MEDIA/WOOD.JPG"), disk));
  EXPECT_TRUE(less(FileLocation("a.jpg"), FileLocation("B.jpg")));
  EXPECT_TRUE(less(FileLocation::resource(1), FileLocation::resource(2)));

  std::map<FileLocation, int, FileLocationLess> cache;
  cache[disk] = 1;
  cache[entry] = 2;
  cache[FileLocation("media/WOOD.jpg")] = 3;
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_EQ(cache[entry], 2);
}

TEST(FileLocation, DirectoryCutsTheLastSeparatorAndDropsMeaninglessBits) {
  NamedArchive archive{};
  FileLocation location = FileLocation::diskOrArchive(&archive, "Media\\fonts/64font.fs");
  FileLocation folder = location.directory();
  EXPECT_EQ(folder.path, "Media\\fonts");
  EXPECT_EQ(folder.flags, kLocationDisk | kLocationArchive);
  EXPECT_EQ(folder.archive, &archive);

  EXPECT_EQ(FileLocation::diskOrArchive(&archive, "/clock.udf").directory().flags, kLocationArchive);
  const FileLocation bare = FileLocation::diskOrArchive(nullptr, "clock.udf").directory();
  EXPECT_EQ(bare.path, "");
  EXPECT_EQ(bare.flags, 0u);
}

TEST(FileLocation, MemoryBlocksAreSharedOrCopiedAsAsked) {
  std::string block = "memory bytes";
  FileLocation shared = FileLocation::memory(block.data(), static_cast<std::uint32_t>(block.size()));
  auto stream = shared.openStream(kStreamRead);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(shared.flags, kLocationMemory);
  block[0] = 'M'; // shared: the stream sees the change
  EXPECT_EQ(readStream(*stream), "Memory bytes");

  FileLocation copied = FileLocation::memory(block.data(), static_cast<std::uint32_t>(block.size()), false);
  auto copy = copied.openStream(kStreamRead);
  block[0] = 'X';
  EXPECT_EQ(readStream(*copy), "Memory bytes");

  FileLocation writable = FileLocation::memory(block.data(), static_cast<std::uint32_t>(block.size()));
  auto writer = writable.openStream(kStreamWrite);
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(writer->write("Y", 1), 1u);
  EXPECT_EQ(block[0], 'X'); // write mode works on its own copy
  EXPECT_EQ(static_cast<MemoryStream&>(*writer).contents(), "Yemory bytes");
}

TEST(FileLocation, ReadAllBorrowsOnlyWhereAllowed) {
  const std::string block = "block";
  ByteBlock out;
  bool mayBorrow = true;
  FileLocation shared = FileLocation::memory(block.data(), 5);
  ASSERT_TRUE(shared.readAll(out, mayBorrow));
  EXPECT_TRUE(mayBorrow);
  EXPECT_TRUE(out.borrowed());
  EXPECT_EQ(out.data(), block.data());

  FileLocation unshared = FileLocation::memory(block.data(), 5, false);
  mayBorrow = true;
  ASSERT_TRUE(unshared.readAll(out, mayBorrow));
  EXPECT_FALSE(mayBorrow);
  EXPECT_FALSE(out.borrowed());
  EXPECT_EQ(out.view(), "block");

  testsupport::TempDir dir;
  FileLocation disk(dir.write("f.txt", "on disk").string());
  mayBorrow = true;
  ASSERT_TRUE(disk.readAll(out, mayBorrow));
  EXPECT_FALSE(mayBorrow);
  EXPECT_EQ(out.view(), "on disk");

  FileLocation empty(dir.write("empty.txt", "").string());
  ASSERT_TRUE(empty.readAll(out, mayBorrow));
  EXPECT_EQ(out.size(), 0u);

  FileLocation missing(dir.file("missing.txt").string());
  EXPECT_FALSE(missing.readAll(out, mayBorrow));
}

TEST(FileLocation, ResourcesComeFromTheResourceTableByIdAndType) {
  static const char bytes[] = "resource bytes";
  win32::registerResource("MEMFILE", 901, bytes, 14);
  EXPECT_TRUE(resourcePresent(901));
  EXPECT_FALSE(resourcePresent(902));

  FileLocation location = FileLocation::resource(901);
  ByteBlock out;
  bool mayBorrow = true;
  ASSERT_TRUE(location.readAll(out, mayBorrow));
  EXPECT_TRUE(out.borrowed());
  EXPECT_EQ(out.data(), bytes);
  mayBorrow = false;
  ASSERT_TRUE(location.readAll(out, mayBorrow));
  EXPECT_FALSE(out.borrowed());
  EXPECT_EQ(out.view(), "resource bytes");

  location.shareBlock = false; // resources are read in place regardless
  auto stream = location.openStream(kStreamRead);
  ASSERT_NE(stream, nullptr);
  EXPECT_TRUE(static_cast<MemoryStream&>(*stream).bufferBorrowed());
  EXPECT_EQ(readStream(*stream), "resource bytes");
  win32::unregisterResource("MEMFILE", 901);

  // A missing resource falls through to the disk bit and never to the memory block.
  const std::string block = "block";
  FileLocation fallback = FileLocation::memory(block.data(), 5);
  fallback.flags = kLocationResource | kLocationMemory;
  fallback.resourceId = 901;
  EXPECT_EQ(fallback.openStream(kStreamRead), nullptr);
}

TEST(FileSearchPaths, AddKeepsEachListFreeOfDuplicates) {
  NamedArchive archive{};
  FileSearchPaths paths;
  paths.add(FileLocation("Media"));
  paths.add(FileLocation("Media"));
  paths.add(FileLocation::diskOrArchive(&archive, "Media"));
  paths.add(FileLocation::diskOrArchive(nullptr, "Other")); // no archive: disk list only
  EXPECT_EQ(paths.diskDirectories().size(), 2u);
  ASSERT_EQ(paths.archiveDirectories().size(), 1u);
  EXPECT_EQ(paths.archiveDirectories()[0].archive, &archive);

  FileSearchPaths more;
  more.add(FileLocation("Extra"));
  more.add(FileLocation("Media"));
  paths.merge(more);
  paths.merge(paths);
  ASSERT_EQ(paths.diskDirectories().size(), 3u);
  EXPECT_EQ(paths.diskDirectories()[2].path, "Extra");
}

TEST(FileSearchPaths, ResolvesCurrentFolderThenDiskFoldersThenArchives) {
  testsupport::TempDir dir;
  InsideFolder inside(dir.path());
  dir.write("Override/clock.udf", "override");
  dir.write("Disk/clock.udf", "disk");
  NamedArchive first{{"Media/clock.udf", "first"}};
  NamedArchive second{{"Data/clock.udf", "second"}, {"Data/c1.cam", "cam"}};

  FileSearchPaths paths;
  paths.add(FileLocation("Disk"));
  paths.add(FileLocation::inArchive(first, "Media\\"));
  paths.add(FileLocation::inArchive(second, "Data"));

  FileLocation location = FileLocation::diskOrArchive(nullptr, "/clock.udf");
  ASSERT_TRUE(paths.resolve(location));
  EXPECT_EQ(location.flags, kLocationDisk);
  EXPECT_EQ(location.path, "Disk/clock.udf");

  dir.write("clock.udf", "current");
  location = FileLocation::diskOrArchive(nullptr, "\\clock.udf");
  ASSERT_TRUE(paths.resolve(location));
  EXPECT_EQ(location.path, "clock.udf");

  location = FileLocation::diskOrArchive(nullptr, "c1.cam");
  ASSERT_TRUE(paths.resolve(location));
  EXPECT_EQ(location.flags, kLocationArchive);
  EXPECT_EQ(location.archive, &second);
  EXPECT_EQ(location.path, "Data/c1.cam");

  // Without the disk bit the disk is not looked at.
  location = FileLocation::diskOrArchive(nullptr, "clock.udf");
  location.flags = kLocationArchive;
  ASSERT_TRUE(paths.resolve(location));
  EXPECT_EQ(location.archive, &first);
  EXPECT_EQ(location.path, "Media/clock.udf");

  FileLocation missing = FileLocation::diskOrArchive(nullptr, "missing.udf");
  EXPECT_FALSE(paths.resolve(missing));
  EXPECT_EQ(missing.flags, kLocationDisk | kLocationArchive);
  EXPECT_EQ(missing.path, "missing.udf");

  // A folder is not a file.
  std::filesystem::create_directory(dir.file("folder.udf"));
  FileLocation folder("folder.udf");
  EXPECT_FALSE(paths.resolve(folder));
  // A name with a NUL byte is not the file its first part names: it would not open.
  FileLocation cut(std::string("clock.udf\0.bak", 14));
  EXPECT_FALSE(paths.resolve(cut));
}

TEST(FileSearchPaths, DataDirectoryNameFindsTheArchiveEntryUnlessTheDiskHasIt) {
  testsupport::TempDir dir;
  InsideFolder inside(dir.path());
  RarWriter writer;
  writer.addDirectory("Media", 0);
  writer.addFile("Media\\clock.UDF", "scene bytes", 0);
  const std::string bytes = writer.finish();
  MemFileArchive archive;
  ASSERT_TRUE(archive.open(FileLocation::memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()))));

  FileSearchPaths paths;
  paths.add(FileLocation::diskOrArchive(&archive, "Media"));
  FileLocation location = FileLocation::diskOrArchive(nullptr, "/clock.udf");
  ASSERT_TRUE(paths.resolve(location));
  EXPECT_EQ(location.flags, kLocationArchive);
  EXPECT_EQ(location.path, "Media/clock.udf");
  auto stream = location.openStream(kStreamRead);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(readStream(*stream), "scene bytes");

  dir.write("Media/clock.udf", "disk scene");
  location = FileLocation::diskOrArchive(nullptr, "/clock.udf");
  ASSERT_TRUE(paths.resolve(location));
  EXPECT_EQ(location.flags, kLocationDisk);
  stream = location.openStream(kStreamRead);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(readStream(*stream), "disk scene");
}

TEST(FileSearchPaths, LocationNamingTheArchiveResolvesEvenForAbsentNames) {
  RarWriter writer;
  writer.addFile("Media\\a.txt", "a", 0);
  const std::string bytes = writer.finish();
  MemFileArchive archive;
  ASSERT_TRUE(archive.open(FileLocation::memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()))));
  FileSearchPaths none;
  FileLocation location = FileLocation::inArchive(archive, "/Media/absent.txt");
  ASSERT_TRUE(none.resolve(location));
  EXPECT_EQ(location.path, "Media/absent.txt");
  EXPECT_EQ(location.openStream(kStreamRead), nullptr);
}

namespace {

std::string readMedia(const MediaLibrary& media, std::string_view name) {
  FileLocation location;
  if (!media.find(name, location)) return "(none)";
  auto stream = location.openStream(kStreamRead);
  return stream ? readStream(*stream) : "(unopened)";
}

} // namespace

TEST(MediaLibrary, AMediaFolderOverridesTheLinkedArchiveFileByFile) {
  testsupport::TempDir dir;
  InsideFolder inside(dir.path());
  RarWriter writer;
  writer.addFile("Media\\Scene.props", "archive props", 0);
  writer.addFile("Media\\c1.cam", "archive tour", 0);
  const std::string bytes = writer.finish();
  win32::registerResource("MEMFILE", kMediaArchiveResource, bytes.data(), bytes.size());

  MediaLibrary media;
  ASSERT_TRUE(media.mountLinkedArchive());
  ASSERT_NE(media.archive(), nullptr);
  EXPECT_EQ(readMedia(media, "/Scene.props"), "archive props");
  EXPECT_EQ(readMedia(media, "c1.cam"), "archive tour"); // tour names come without the slash
  EXPECT_EQ(readMedia(media, "\\C1.CAM"), "archive tour");
  EXPECT_EQ(readMedia(media, "/c2.cam"), "(none)");

  dir.write("Media/c1.cam", "folder tour");
  dir.write("Media/c2.cam", "new tour");
  EXPECT_EQ(readMedia(media, "/c1.cam"), "folder tour");
  EXPECT_EQ(readMedia(media, "c2.cam"), "new tour");
  EXPECT_EQ(readMedia(media, "/Scene.props"), "archive props");

  // Bare names (textures) are searched in the folder first, then in the archive.
  FileLocation texture = FileLocation::diskOrArchive(nullptr, "Scene.props");
  ASSERT_TRUE(media.searchPaths().resolve(texture));
  EXPECT_EQ(texture.flags, kLocationArchive);
  texture = FileLocation::diskOrArchive(nullptr, "c1.cam");
  ASSERT_TRUE(media.searchPaths().resolve(texture));
  EXPECT_EQ(texture.path, "Media/c1.cam");
  EXPECT_EQ(texture.flags, kLocationDisk);
  win32::unregisterResource("MEMFILE", kMediaArchiveResource);
}

TEST(MediaLibrary, WithoutAUsableArchiveOnlyTheFolderServes) {
  testsupport::TempDir dir;
  InsideFolder inside(dir.path());
  dir.write("Media/Scene.props", "folder props");
  MediaLibrary media;
  EXPECT_FALSE(media.mountLinkedArchive(903)); // not linked
  EXPECT_EQ(media.archive(), nullptr);
  EXPECT_EQ(readMedia(media, "/Scene.props"), "folder props");
  EXPECT_EQ(readMedia(media, "/clock.udf"), "(none)");
  // Damaged bytes are mounted (an archive is only walked when an entry is opened) and
  // serve nothing.
  static const char damaged[] = "not an archive";
  win32::registerResource("MEMFILE", 904, damaged, sizeof damaged);
  EXPECT_TRUE(media.mountLinkedArchive(904));
  EXPECT_EQ(readMedia(media, "/clock.udf"), "(none)");
  EXPECT_EQ(readMedia(media, "/Scene.props"), "folder props");
  win32::unregisterResource("MEMFILE", 904);
}
