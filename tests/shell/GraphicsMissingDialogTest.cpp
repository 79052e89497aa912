// What a machine without OpenGL 3.3 is told: the line on stderr, and dialog 129 whose
// download button opens the page about drivers.
#include "shell/GraphicsMissingDialog.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/dialogs/HeadlessDialogHost.h"
#include "shell/DialogTemplates.h"
#include "tests/support/TempDir.h"

namespace {

class GraphicsMissing : public ::testing::Test {
protected:
  void SetUp() override {
    dialogs::setDialogHost(&host_);
    // A stand-in browser opener on the PATH writes down the address it was given.
    const std::filesystem::path opener =
        bin_.write("xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + opened_.string() + ".part'\nmv '" +
                                   opened_.string() + ".part' '" + opened_.string() + "'\n");
    chmod(opener.c_str(), 0755);
    path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin_.path().string() + ":" + path_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", path_.c_str(), 1);
    dialogs::setDialogHost(nullptr);
  }

  std::string opened() const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(opened_) && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return std::filesystem::exists(opened_) ? testsupport::TempDir::read(opened_) : "";
  }

  dialogs::HeadlessDialogHost host_;
  testsupport::TempDir bin_;
  std::filesystem::path opened_ = bin_.file("opened");
  std::string path_;
};

TEST_F(GraphicsMissing, TheDialogShowsTheFailureAndDownloadOpensThePage) {
  host_.onDialog(saver::kGraphicsMissingDialog, [](dialogs::Dialog& d) {
    EXPECT_EQ(d.control(saver::kGraphicsFailureText)->text, "(no OpenGL 3.3 context: none here)");
    const RECT r = d.windowRect();
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 300);
    EXPECT_EQ(r.right - r.left, 390);
    EXPECT_EQ(r.bottom - r.top, 131);
    d.click(IDOK);
  });
  testing::internal::CaptureStderr();
  EXPECT_EQ(saver::reportGraphicsMissing("no OpenGL 3.3 context: none here"), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tickwood: OpenGL 3.3 is not available (no OpenGL 3.3 context: none here); installing or updating the "
            "graphics drivers usually mends this, see "
            "https://www.khronos.org/opengl/wiki/Getting_Started#Downloading_OpenGL\n");
  EXPECT_EQ(opened(), saver::kOpenGlDriversPage);
}

TEST_F(GraphicsMissing, CancelOpensNothing) {
  host_.onDialog(saver::kGraphicsMissingDialog, [](dialogs::Dialog& d) { d.cancel(); });
  testing::internal::CaptureStderr();
  EXPECT_EQ(saver::reportGraphicsMissing("none"), 1);
  testing::internal::GetCapturedStderr();
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(std::filesystem::exists(opened_));
  EXPECT_EQ(host_.shown().size(), 1u);
}

} // namespace
