#include "engine/data/ChunkedText.h"
#include "engine/data/DiskFileStream.h"
#include "engine/data/MemoryStream.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/TempDir.h"

using namespace engine;

TEST(MemoryStream, SeekToExactlyTheSizeThenReadGivesNothingAndEof) {
  const std::string bytes = "abcdef";
  MemoryStream stream;
  stream.open("ignored", kStreamRead);
  stream.borrowBuffer(bytes.data(), bytes.size());
  EXPECT_TRUE(stream.bufferBorrowed());
  ASSERT_TRUE(stream.seek(6, kSeekStart));
  EXPECT_FALSE(stream.eof());
  char out[4];
  EXPECT_EQ(stream.read(out, 4), 0u);
  EXPECT_TRUE(stream.eof());
  // Any seek clears the end flag.
  ASSERT_TRUE(stream.seek(-2, kSeekEnd));
  EXPECT_FALSE(stream.eof());
  EXPECT_EQ(stream.read(out, 4), 2u);
  EXPECT_EQ(std::string(out, 2), "ef");
}

TEST(MemoryStream, SeeksOutsideTheContentFailWithoutMoving) {
  const std::string bytes = "0123456789";
  MemoryStream stream;
  stream.open("", kStreamRead);
  stream.setBuffer(bytes);
  EXPECT_FALSE(stream.bufferBorrowed());
  ASSERT_TRUE(stream.seek(4, kSeekStart));
  EXPECT_FALSE(stream.seek(7, kSeekCurrent));
  EXPECT_FALSE(stream.seek(-5, kSeekCurrent));
  EXPECT_FALSE(stream.seek(1, kSeekEnd));
  EXPECT_FALSE(stream.seek(-1, kSeekStart));
  EXPECT_EQ(stream.tell(), 4);
  char out[3];
  EXPECT_EQ(stream.read(out, 3), 3u);
  EXPECT_EQ(std::string(out, 3), "456");
  EXPECT_EQ(stream.size(), 10);
}

TEST(MemoryStream, BaseOffsetMakesPositionsAbsolute) {
  // A stream over bytes 100..109 of some file.
  const std::string block = "ABCDEFGHIJ";
  MemoryStream stream;
  stream.openOver(block);
  stream.setBaseOffset(100);
  EXPECT_EQ(stream.tell(), 100);
  ASSERT_TRUE(stream.seek(103, kSeekStart));
  char c = 0;
  ASSERT_EQ(stream.read(&c, 1), 1u);
  EXPECT_EQ(c, 'D');
  EXPECT_EQ(stream.tell(), 104);
  EXPECT_FALSE(stream.seek(99, kSeekStart));
  EXPECT_TRUE(stream.seek(110, kSeekStart));
  // From the end means from the end of the content, whatever the base.
  ASSERT_TRUE(stream.seek(-1, kSeekEnd));
  ASSERT_EQ(stream.read(&c, 1), 1u);
  EXPECT_EQ(c, 'J');
  EXPECT_TRUE(stream.seek(0, kSeekEnd));
  EXPECT_EQ(stream.tell(), 110);
}

TEST(MemoryStream, WritingReplacesFromThePositionAndGrowsPastTheEnd) {
  MemoryStream stream;
  stream.open("", kStreamWrite | kStreamRead);
  stream.loadChunks("hello world");
  ASSERT_TRUE(stream.seek(6, kSeekStart));
  EXPECT_EQ(stream.write("WO", 2), 2u);
  EXPECT_EQ(stream.contents(), "hello WOrld");
  ASSERT_TRUE(stream.seek(9, kSeekStart));
  EXPECT_EQ(stream.write("LD and more", 11), 11u);
  EXPECT_EQ(stream.contents(), "hello WOrLD and more");
  EXPECT_EQ(stream.size(), 20);
  EXPECT_EQ(stream.tell(), 20);
  // Write mode reads come from the written content.
  ASSERT_TRUE(stream.seek(6, kSeekStart));
  char out[5];
  EXPECT_EQ(stream.read(out, 5), 5u);
  EXPECT_EQ(std::string(out, 5), "WOrLD");
}

TEST(MemoryStream, ReadModeStreamRefusesWrites) {
  const std::string bytes = "fixed";
  MemoryStream stream;
  stream.openOver(bytes);
  EXPECT_EQ(stream.write("x", 1), 0u);
  EXPECT_EQ(stream.contents(), "fixed");
}

TEST(ChunkedText, LargeInsertsAreCutIntoChunksAndTopUpTheChunkBeforeThem) {
  ChunkedText text;
  text.insert(0, std::string(40000, 'a'));
  EXPECT_EQ(text.size(), 40000u);
  EXPECT_EQ(text.chunkCount(), 3u); // 16384 + 16384 + 7232
  text.insert(40000, std::string(100, 'b'));
  EXPECT_EQ(text.chunkCount(), 3u); // the last chunk had room
  text.insert(16384, "X");          // lands after a full chunk: a new chunk
  EXPECT_EQ(text.chunkCount(), 4u);
  const std::string all = text.toString();
  EXPECT_EQ(all.size(), 40101u);
  EXPECT_EQ(all[16384], 'X');
  EXPECT_EQ(all.substr(40001), std::string(100, 'b'));
}

TEST(ChunkedText, MatchesAPlainStringUnderRandomEdits) {
  std::mt19937 random(1234);
  ChunkedText text;
  std::string model;
  for (int step = 0; step < 3000; ++step) {
    const std::size_t at = model.empty() ? 0 : random() % (model.size() + 1);
    if (random() % 3 == 0 && !model.empty()) {
      const std::size_t count = random() % 3000;
      text.erase(at, count);
      model.erase(std::min(at, model.size()), count);
    } else {
      const std::string bytes(random() % (step % 50 == 0 ? 40000 : 300), static_cast<char>('a' + step % 26));
      text.insert(at, bytes);
      model.insert(at, bytes);
    }
    ASSERT_EQ(text.size(), model.size());
    if (!model.empty()) {
      const std::size_t from = random() % model.size();
      std::string part(std::min<std::size_t>(5000, model.size() - from), '\0');
      ASSERT_EQ(text.read(from, part.data(), part.size()), part.size());
      ASSERT_EQ(part, model.substr(from, part.size()));
    }
  }
  EXPECT_EQ(text.toString(), model);
}

TEST(DiskFileStream, ModeStringsAndWholeBlockTransfers) {
  EXPECT_STREQ(DiskFileStream::modeString(kStreamRead), "rb");
  EXPECT_STREQ(DiskFileStream::modeString(kStreamWrite), "wb");
  EXPECT_STREQ(DiskFileStream::modeString(kStreamRead | kStreamWrite), "r+b");

  testsupport::TempDir dir;
  const std::string path = dir.file("data.bin").string();
  DiskFileStream out;
  ASSERT_TRUE(out.open(path, kStreamWrite));
  EXPECT_EQ(out.write("0123456789", 10), 1u);
  ASSERT_TRUE(out.seek(2, kSeekStart));
  EXPECT_EQ(out.write("ab", 2), 1u);
  EXPECT_TRUE(out.close());
  EXPECT_EQ(testsupport::TempDir::read(path), "01ab456789");

  DiskFileStream in;
  ASSERT_TRUE(in.open(path, kStreamRead));
  EXPECT_EQ(in.size(), 10);
  char buffer[16];
  ASSERT_TRUE(in.seek(-4, kSeekEnd));
  EXPECT_EQ(in.tell(), 6);
  EXPECT_EQ(in.read(buffer, 4), 1u);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  ASSERT_TRUE(in.seek(5, kSeekStart));
  EXPECT_EQ(in.read(buffer, 16), 0u); // a short transfer moves no whole block
  EXPECT_TRUE(in.eof());

  // Read and write together change an existing file in place.
  DiskFileStream both;
  ASSERT_TRUE(both.open(path, kStreamRead | kStreamWrite));
  EXPECT_EQ(both.write("Z", 1), 1u);
  both.close();
  EXPECT_EQ(testsupport::TempDir::read(path), "Z1ab456789");
}

TEST(DiskFileStream, WithoutAFileEverythingFailsQuietly) {
  testsupport::TempDir dir;
  DiskFileStream stream;
  EXPECT_FALSE(stream.open(dir.file("missing").string(), kStreamRead));
  // Folders are no files (they would report an absurd size), and a NUL byte would cut
  // the name short.
  EXPECT_FALSE(stream.open(dir.path().string(), kStreamRead));
  dir.write("real", "x");
  EXPECT_FALSE(stream.open(dir.path().string() + std::string("/real\0more", 10), kStreamRead));
  EXPECT_FALSE(stream.open("", kStreamRead));
  EXPECT_EQ(stream.tell(), -1);
  EXPECT_EQ(stream.size(), 0);
  EXPECT_TRUE(stream.eof());
  EXPECT_FALSE(stream.seek(0, kSeekStart));
  char c;
  EXPECT_EQ(stream.read(&c, 1), 0u);
  EXPECT_EQ(stream.write(&c, 1), 0u);
  EXPECT_TRUE(stream.close());
}
