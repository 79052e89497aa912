// The packed media archive as the program and other tools see it: every entry the program
// loads is there under "Media\", every entry extracts with its CRC, it holds exactly the
// staged files, and bsdtar lists the same names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/data/FileLocation.h"
#include "engine/data/archive/MemFileArchive.h"
#include "tests/support/Ci.h"

namespace {

std::set<std::string> archiveFiles(const engine::MemFileArchive& archive) {
  std::vector<engine::ArchiveEntry> entries;
  EXPECT_TRUE(archive.list(entries));
  std::set<std::string> names;
  for (const engine::ArchiveEntry& entry : entries)
    if (!entry.isDirectory()) names.insert(entry.name);
  return names;
}

class MediaArchive : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(archive_.open(engine::FileLocation::disk(TICKWOOD_MEDIA_ARCHIVE))) << TICKWOOD_MEDIA_ARCHIVE;
    files_ = archiveFiles(archive_);
  }
  engine::MemFileArchive archive_;
  std::set<std::string> files_;
};

TEST_F(MediaArchive, HoldsEveryFileTheProgramLoads) {
  std::vector<std::string> wanted = {"Scene.props",        "clock.UDF",      "loading.jpg",    "sylfaen.fs",
                                     "sylfaen_eng_14.css", "64font.fs",      "64font.css",     "ClockMusic.ogg",
                                     "ClockRain.ogg",      "ClockGrom1.ogg", "ClockGrom2.ogg", "ClockGrom3.ogg",
                                     "ClockTicks.ogg"};
  for (int i = 1; i <= 10; ++i)
    wanted.push_back("c" + std::to_string(i) + ".cam");
  for (const std::string& name : wanted)
    EXPECT_EQ(files_.count("Media\\" + name), 1u) << name;
  for (const std::string& name : files_) {
    std::string bytes;
    EXPECT_TRUE(archive_.extract(name, bytes)) << name;
    EXPECT_FALSE(bytes.empty()) << name;
  }
}

TEST_F(MediaArchive, HoldsExactlyTheStagedFiles) {
  std::set<std::string> staged;
  for (const auto& entry : std::filesystem::directory_iterator(TICKWOOD_MEDIA_STAGE))
    if (entry.is_regular_file()) staged.insert("Media\\" + entry.path().filename().string());
  EXPECT_EQ(files_, staged);
}

TEST_F(MediaArchive, BsdtarListsTheSameNames) {
  std::FILE* pipe = popen("bsdtar -tf '" TICKWOOD_MEDIA_ARCHIVE "' 2>/dev/null", "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    out.append(buffer, n);
  const int status = pclose(pipe);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) SKIP_OR_FAIL_IN_CI("bsdtar is not installed");
  ASSERT_EQ(status, 0);
  std::set<std::string> listed;
  for (std::size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string name = out.substr(start, end - start);
    std::replace(name.begin(), name.end(), '/', '\\');
    if (name != "Media") listed.insert(name);
  }
  EXPECT_EQ(listed, files_);
}

} // namespace
