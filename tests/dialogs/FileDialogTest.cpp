// The file dialog class over the headless host, and opening an address with the desktop's
// opener.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sys/stat.h>
#include <thread>

#include "platform/dialogs/HeadlessDialogHost.h"
#include "platform/dialogs/afxdlgs.h"
#include "platform/win32/shellapi.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const char* kPictures = "(*.jpg;*.tga;*.bmp;*.gif;*.png)|*.jpg;*.tga;*.bmp;*.gif;*.png|";

TEST(FileFilter, ParsesDescriptionAndPatternPairs) {
  const auto one = dialogs::parseFileFilter(kPictures);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].description, "(*.jpg;*.tga;*.bmp;*.gif;*.png)");
  EXPECT_EQ(one[0].patterns, (std::vector<std::string>{"*.jpg", "*.tga", "*.bmp", "*.gif", "*.png"}));

  const auto two = dialogs::parseFileFilter("Text|*.txt|All files|*.*||ignored|*.x|");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[1].description, "All files");
  EXPECT_EQ(two[1].patterns, std::vector<std::string>{"*.*"});
  EXPECT_TRUE(dialogs::parseFileFilter("no patterns|").empty());
  EXPECT_TRUE(dialogs::parseFileFilter("").empty());
}

class FileDialog : public ::testing::Test {
protected:
  void SetUp() override { dialogs::setDialogHost(&host_); }
  void TearDown() override { dialogs::setDialogHost(nullptr); }

  dialogs::HeadlessDialogHost host_;
  testsupport::TempDir folder_;
};

TEST_F(FileDialog, AFileThatMustExistIsAskedForAgainUntilItDoes) {
  const std::string present = folder_.write("cat.JPG", "x").string();
  const std::string missing = (folder_.path() / "nothing.jpg").string();
  host_.answerFileDialog(missing);
  host_.answerFileDialog(folder_.path().string()); // a folder is no file either
  host_.answerFileDialog(present);
  CFileDialog chooser(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, kPictures);
  EXPECT_EQ(chooser.DoModal(), IDOK);
  EXPECT_EQ(chooser.GetPathName(), present);
  EXPECT_EQ(chooser.GetFileName(), "cat.JPG");
  ASSERT_EQ(host_.fileRequests().size(), 3u);
  EXPECT_EQ(host_.fileRequests()[0].filters.size(), 1u);
  ASSERT_EQ(host_.messageBoxes().size(), 2u);
  EXPECT_EQ(host_.messageBoxes()[0].text, missing + "\nFile not found.\nCheck the file name and try again.");
}

TEST_F(FileDialog, CancellingLeavesNoPath) {
  host_.answerFileDialog(std::nullopt);
  CFileDialog chooser(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST, kPictures);
  EXPECT_EQ(chooser.DoModal(), IDCANCEL);
  EXPECT_EQ(chooser.GetPathName(), "");
  // Without the flag any name is taken as it is.
  host_.answerFileDialog("/no/such/file.png");
  CFileDialog anyName(TRUE, nullptr, nullptr, 0, kPictures);
  EXPECT_EQ(anyName.DoModal(), IDOK);
  EXPECT_EQ(anyName.GetPathName(), "/no/such/file.png");
  EXPECT_TRUE(host_.messageBoxes().empty());
}

// A stand-in opener on the PATH records what it was given.
TEST(ShellExecute, HandsTheAddressToTheDesktopsOpenerAsOneArgument) {
  testsupport::TempDir bin;
  const std::filesystem::path record = bin.file("opened");
  const std::filesystem::path opener =
      bin.write("xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + record.string() + ".part'\nmv '" +
                                record.string() + ".part' '" + record.string() + "'\n");
  chmod(opener.c_str(), 0755);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin.path().string() + ":" + oldPath).c_str(), 1);
  const char* address = "https://example.org/a page?x=1&y='2'";
  const auto started = reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, 1));
  EXPECT_GT(started, 32u);
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, "print", address, nullptr, nullptr, 1)), 31u);
  setenv("PATH", "/nonexistent", 1); // no opener at all
  EXPECT_EQ(reinterpret_cast<UINT_PTR>(ShellExecuteA(nullptr, "open", address, nullptr, nullptr, 1)), 2u);
  setenv("PATH", oldPath.c_str(), 1);

  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!std::filesystem::exists(record) && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(testsupport::TempDir::read(record), std::string("1|") + address);
}

} // namespace
