// tickwood-view: its command line, and the real program drawing the generated room
// headless into a PNG.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "tests/support/Ci.h"
#include "tests/support/Pictures.h"
#include "tests/support/TempDir.h"
#include "tools/tickwood-view/ViewerOptions.h"

namespace tools {
namespace {

bool parse(std::initializer_list<const char*> args, ViewerOptions& options, std::string& error) {
  std::vector<const char*> argv{"tickwood-view"};
  argv.insert(argv.end(), args);
  return parseViewerOptions(int(argv.size()), argv.data(), options, error);
}

TEST(ViewerOptionsTest, DefaultsAreTheFreeCameraStart) {
  ViewerOptions options;
  std::string error;
  ASSERT_TRUE(parse({"clock.UDF"}, options, error));
  EXPECT_EQ(options.file, "clock.UDF");
  EXPECT_EQ(options.eye, D3DXVECTOR3(-200, 100, 0));
  EXPECT_EQ(options.direction, D3DXVECTOR3(1, 0, 0));
  EXPECT_EQ(options.up, D3DXVECTOR3(0, 0, 1));
  EXPECT_FALSE(options.atTime);
  EXPECT_TRUE(options.screenshot.empty());
}

TEST(ViewerOptionsTest, EveryOptionTakesItsValue) {
  ViewerOptions options;
  std::string error;
  ASSERT_TRUE(parse({"--camera", "1,2.5,-3:0,-1,0:0,0,1", "room.udf", "--at", "1.25", "--screenshot", "out.png",
                     "--size", "320x240", "--tour", "c3.cam", "--no-culling", "--time", "21:05:00"},
                    options, error))
      << error;
  EXPECT_EQ(options.eye, D3DXVECTOR3(1, 2.5f, -3));
  EXPECT_EQ(options.direction, D3DXVECTOR3(0, -1, 0));
  EXPECT_TRUE(options.atTime);
  EXPECT_EQ(options.atSeconds, 1.25);
  EXPECT_EQ(options.screenshot, "out.png");
  EXPECT_EQ(options.width, 320);
  EXPECT_EQ(options.height, 240);
  EXPECT_EQ(options.tour, "c3.cam");
  EXPECT_TRUE(options.noCulling);
  ASSERT_TRUE(options.time.has_value());
  EXPECT_EQ(options.time->hour, 21);
  EXPECT_EQ(options.time->minute, 5);
}

TEST(ViewerOptionsTest, MalformedValuesAreRefusedWithAReason) {
  const std::pair<std::vector<const char*>, const char*> cases[] = {
      {{"a.udf", "--camera", "1,2:1,0,0"}, "--camera wants"},
      {{"a.udf", "--camera", "1,2,3:0,0,0"}, "--camera wants"},
      {{"a.udf", "--camera", "1,2,3:1,0,0:1,0,0:9,9,9"}, "--camera wants"},
      {{"a.udf", "--at", "soon"}, "--at wants"},
      {{"a.udf", "--at", "nan"}, "--at wants"},
      {{"a.udf", "--size", "10x10"}, "--size wants"},
      {{"a.udf", "--size", "640"}, "--size wants"},
      {{"a.udf", "--time", "24:00:00"}, "--time wants"},
      {{"a.udf", "--time", "9:00"}, "--time wants"},
      {{"a.udf", "--screenshot"}, "--screenshot needs a value"},
      {{"a.udf", "--fly"}, "unknown option --fly"},
      {{"a.udf", "b.udf"}, "only one scene file"},
      {{}, "no scene file given"},
  };
  for (const auto& [args, reason] : cases) {
    std::vector<const char*> argv{"tickwood-view"};
    argv.insert(argv.end(), args.begin(), args.end());
    ViewerOptions options;
    std::string error;
    EXPECT_FALSE(parseViewerOptions(int(argv.size()), argv.data(), options, error)) << reason;
    EXPECT_EQ(error.rfind(reason, 0), 0u) << error;
  }
}

// Runs the program and answers its exit code; stderr goes to `errors`.
int run(const std::string& arguments, std::string& errors, const testsupport::TempDir& dir) {
  const std::string log = (dir.path() / "stderr.txt").string();
  const std::string command = std::string(TICKWOOD_VIEW_EXE) + " " + arguments + " 2>" + log;
  const int status = std::system(command.c_str());
  errors = testsupport::TempDir::read(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ViewerRunTest, TheRoomFromTheEmbeddedArchiveBecomesAPicture) {
  testsupport::TempDir dir;
  const std::string png = (dir.path() / "room.png").string();
  std::string errors;
  const int code = run("clock.UDF --size 320x240 --screenshot " + png, errors, dir);
  if (code != 0 && errors.find("no Direct3D") != std::string::npos) SKIP_OR_FAIL_IN_CI(errors);
  ASSERT_EQ(code, 0) << errors;
  d3dx9::Image image;
  std::string error;
  ASSERT_TRUE(testsupport::readPicture(png, image, error)) << error;
  ASSERT_EQ(image.width, 320u);
  ASSERT_EQ(image.height, 240u);
  // A room at night: mostly dark, some light (the lamp, the ceiling), nothing blank.
  double sum = 0;
  int bright = 0;
  for (std::uint32_t p : image.pixels) {
    const int luma = int(((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
    sum += luma;
    if (luma > 150) ++bright;
  }
  const double mean = sum / double(image.pixels.size());
  EXPECT_GT(mean, 25.0);
  EXPECT_LT(mean, 140.0);
  EXPECT_GT(bright, 100);
}

TEST(ViewerRunTest, AWindowOnAnXServerDrawsUntilItsTimeIsUp) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1") != 0) SKIP_OR_FAIL_IN_CI("xvfb-run is missing");
  testsupport::TempDir dir;
  std::string errors;
  // Leaks are the unit tests' business; the X libraries' would only change the exit code of
  // a sanitized build.
  const std::string command = std::string("ASAN_OPTIONS=detect_leaks=0 xvfb-run -a -s '-screen 0 800x600x24' ") +
                              TICKWOOD_VIEW_EXE + " clock.UDF --seconds 1 --size 320x240 2>" +
                              (dir.path() / "stderr.txt").string();
  const int status = std::system(command.c_str());
  errors = testsupport::TempDir::read(dir.path() / "stderr.txt");
  ASSERT_TRUE(WIFEXITED(status)) << errors;
  EXPECT_EQ(WEXITSTATUS(status), 0) << errors;
}

TEST(ViewerRunTest, MissingFilesAndBadOptionsEndWithAMessage) {
  testsupport::TempDir dir;
  std::string errors;
  EXPECT_EQ(run("no-such-scene.udf --screenshot " + (dir.path() / "x.png").string(), errors, dir), 1);
  EXPECT_NE(errors.find("cannot find no-such-scene.udf"), std::string::npos) << errors;
  EXPECT_EQ(run("--size 3 clock.UDF", errors, dir), 2);
  EXPECT_NE(errors.find("--size wants"), std::string::npos) << errors;
  const std::string damaged = dir.write("damaged.udf", "UDF? not really").string();
  const int code = run(damaged + " --screenshot " + (dir.path() / "y.png").string(), errors, dir);
  if (errors.find("no Direct3D") == std::string::npos) {
    EXPECT_EQ(code, 1);
    EXPECT_NE(errors.find("cannot load"), std::string::npos) << errors;
  }
}

} // namespace
} // namespace tools
