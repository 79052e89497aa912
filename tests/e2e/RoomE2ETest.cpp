// End-to-end runs of the saver's room: its media and tours, the hands and the seed, a tour
// from a Media folder, the sound, screenshots and device loss.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

#include "engine/data/MemoryStream.h"
#include "engine/data/udf/UdfNode.h"
#include "engine/data/udf/UdfWriter.h"
#include "tests/e2e/RoomPictures.h"
#include "tests/e2e/TickwoodFixture.h"
#include "tests/support/Pictures.h"

namespace {

using namespace e2e;

// The frame: the room with the program's own media and tours; a Media folder in the working
// directory replaces "Scene.props" and adds tours.
TEST_F(Tickwood, TheSaverShowsTheRoomWithItsOwnMediaAndTours) {
  withoutLabels();
  testsupport::TempDir plain;
  const std::filesystem::path shot = output_.file("room.png");
  auto p = runIn(plain.path(), {"/s", "--seconds", "8", "--seed", "5", "--screenshot", shot.string()}, headless());
  EXPECT_EQ(p->wait(60s), 1);
  EXPECT_EQ(withoutDescription(p->err()), kSaverLog);
  EXPECT_EQ(p->out(), "tickwood: the last frame is in " + shot.string() + "\n");
  EXPECT_TRUE(showsTheRoom(shot));
  d3dx9::Image image;
  ASSERT_TRUE(readPicture(shot, image));
  EXPECT_EQ(image.width, 1024u); // the offscreen desktop, full screen
  EXPECT_EQ(image.height, 768u);

  testsupport::TempDir overriding;
  overriding.write("Media/Scene.props", kGreenNothing);
  const std::filesystem::path green = output_.file("green.png");
  auto q = runIn(overriding.path(), {"/s", "--seconds", "0.5", "--screenshot", green.string()}, headless());
  EXPECT_EQ(q->wait(30s), 1);
  EXPECT_EQ(withoutDescription(q->err()), kSaverLog);
  EXPECT_TRUE(onlyGreenBackground(green, image));
}

// A tour file of two keys at (x, y, z), looking along +Z for 100 s.
// With a rotation (x, y, z, w of a unit quaternion) the camera looks along +Z turned by it.
std::string standingTour(float x, float y, float z, const std::array<float, 4>& rotation = {0, 0, 0, 1}) {
  const float keys[3][8] = {{0, x, y, z, 0, 0, 0, 0},
                            {1000, x, y, z, 0, 0, 0, 0},
                            {0, rotation[0], rotation[1], rotation[2], rotation[3], 0, 0, 0}};
  std::vector<std::unique_ptr<engine::UdfNode>> nodes;
  nodes.push_back(engine::UdfNode::makeLeaf("pos", "pos0", keys[0], sizeof keys[0]));
  nodes.push_back(engine::UdfNode::makeLeaf("pos", "pos1", keys[1], sizeof keys[1]));
  nodes.push_back(engine::UdfNode::makeLeaf("rot", "rot0", keys[2], sizeof keys[2]));
  engine::MemoryStream out;
  out.open("", engine::kStreamWrite);
  EXPECT_TRUE(engine::UdfWriter::write(out, {nodes[0].get(), nodes[1].get(), nodes[2].get()}));
  return out.contents();
}

// How dark the dial is on either side of its centre, along the line of three and nine
// o'clock: the count of dark pixels left and right of the centre of the picture.
struct HandSides {
  int left = 0, right = 0;
};
HandSides handSides(const d3dx9::Image& image) {
  HandSides sides;
  const int cx = int(image.width) / 2, cy = int(image.height) / 2;
  for (int y = cy - 8; y <= cy + 8; ++y)
    for (int dx = 25; dx < 110; ++dx) {
      auto dark = [&](int x) {
        const std::uint32_t p = image.at(UINT(x), UINT(y));
        return testsupport::red(p) + testsupport::green(p) + testsupport::blue(p) < 150;
      };
      sides.left += dark(cx - dx);
      sides.right += dark(cx + dx);
    }
  return sides;
}

// The mean difference of two pictures of one size, per channel (0-255).
double meanDifference(const d3dx9::Image& a, const d3dx9::Image& b) {
  double sum = 0;
  for (std::size_t i = 0; i < a.pixels.size(); ++i)
    for (int shift : {0, 8, 16})
      sum += std::abs(int((a.pixels[i] >> shift) & 0xFF) - int((b.pixels[i] >> shift) & 0xFF));
  return sum / (3.0 * double(a.pixels.size()));
}

TEST_F(Tickwood, TheHandsShowTheTimeAskedForAndTheSeedDecidesTheRun) {
  withoutLabels();
  // Two tours: a camera 40 cm in front of the dial, looking at its centre with up along the
  // case, and one far above the room. The first number the seed gives picks the tour (seed
  // 7 the dial, seed 2 the sky, with the C library's generator). No lightning after the
  // first (a long quiet time) and a short lamp flicker: what differs between runs is what
  // the options make differ.
  testsupport::TempDir overriding;
  overriding.write("Media/Scene.props",
                   "Fov = 70; QuietTime = 600000; WinkTime = 50; Animations = array(\"sky.cam\", \"dial.cam\");\n");
  const float half = 0.70710678f; // a quarter turn about X: +Z to -Y, +Y to +Z
  overriding.write("Media/dial.cam", standingTour(0, 40, 0, {half, 0, 0, half}));
  overriding.write("Media/sky.cam", standingTour(0, 0, 5000));
  auto frameAt = [&](const char* time, const char* seed, const std::string& name, d3dx9::Image& image) {
    const std::filesystem::path shot = output_.file(name);
    auto p =
        runIn(overriding.path(),
              {"/s", "--seconds", "3.5", "--time", time, "--seed", seed, "--screenshot", shot.string()}, headless());
    EXPECT_EQ(p->wait(60s), 1) << p->err();
    ASSERT_TRUE(readPicture(shot, image)) << shot;
  };
  d3dx9::Image three, threeAgain, nine, sky;
  frameAt("03:00:00", "7", "three.png", three);
  frameAt("03:00:00", "7", "three-again.png", threeAgain);
  frameAt("21:00:00", "7", "nine.png", nine);
  frameAt("03:00:00", "2", "sky.png", sky);
  // The hour hand points where the time says: right at three, left at nine (what else is
  // dark there, the hub and the numerals, is in both).
  const HandSides atThree = handSides(three), atNine = handSides(nine);
  EXPECT_GT(atThree.right, atNine.right + 300) << atThree.right << " at three, " << atNine.right << " at nine";
  EXPECT_GT(atNine.left, atThree.left + 300) << atNine.left << " at nine, " << atThree.left << " at three";
  // The same time and seed give the same frame, up to the run's last few milliseconds.
  ASSERT_EQ(threeAgain.pixels.size(), three.pixels.size());
  EXPECT_LT(meanDifference(three, threeAgain), 1.0);
  EXPECT_GT(meanDifference(three, nine), 4.0 * meanDifference(three, threeAgain));
  // Another seed, another tour: the sky shows no room at all.
  ASSERT_EQ(sky.pixels.size(), three.pixels.size());
  EXPECT_GT(meanDifference(three, sky), 30.0);
  EXPECT_EQ(std::set<std::uint32_t>(sky.pixels.begin(), sky.pixels.end()).size(), 1u);
}

TEST_F(Tickwood, ATourInTheMediaFolderIsFlown) {
  withoutLabels();
  // Far above the room, looking up: with the tour flown nothing of the room is in view.
  testsupport::TempDir overriding;
  overriding.write("Media/Scene.props", "BgColor = array(10, 200, 30);\nAnimations = array(\"sky.cam\");\n");
  overriding.write("Media/sky.cam", standingTour(0, 0, 5000));
  const std::filesystem::path shot = output_.file("sky.png");
  // Past the tour's fade-in.
  auto p =
      runIn(overriding.path(), {"/s", "--seconds", "2.5", "--seed", "5", "--screenshot", shot.string()}, headless());
  EXPECT_EQ(p->wait(60s), 1);
  d3dx9::Image image;
  EXPECT_TRUE(onlyGreenBackground(shot, image));

  // A tour file that is not there leaves the free camera, which shows the room.
  overriding.write("Media/Scene.props", "BgColor = array(10, 200, 30);\nAnimations = array(\"gone.cam\");\n");
  auto q = runIn(overriding.path(), {"/s", "--seconds", "1.5", "--screenshot", shot.string()}, headless());
  EXPECT_EQ(q->wait(60s), 1);
  EXPECT_TRUE(showsTheRoom(shot));
}

// The sound of a run as SDL's disk driver wrote it: interleaved stereo floats at 44.1 kHz.
struct RunSound {
  std::vector<float> values;
  static std::size_t at(double seconds) { return static_cast<std::size_t>(seconds * 44100); }
  std::size_t frames() const { return values.size() / 2; }
  std::size_t firstSound() const {
    return std::size_t(std::find_if(values.begin(), values.end(), [](float v) { return v != 0.0f; }) - values.begin()) /
           2;
  }
  double rms(std::size_t from, std::size_t to) const {
    to = std::min(to, frames());
    double sum = 0.0;
    for (std::size_t i = 2 * from; i < 2 * to; ++i)
      sum += double(values[i]) * values[i];
    return from < to ? std::sqrt(sum / double(2 * (to - from))) : 0.0;
  }
};

TEST_F(Tickwood, TheRoomIsSilentAtFirstThenHeardAfterTheFadeInUnlessTheVolumeIsZero) {
  const auto listen = [this](const std::string& name) {
    Environment env = headless();
    env["SDL_AUDIODRIVER"] = "disk";
    const std::filesystem::path file = output_.file(name);
    env["SDL_DISKAUDIOFILE"] = file.string();
    auto p = run({"/s", "--seconds", "7", "--seed", "5"}, env);
    EXPECT_EQ(p->wait(60s), 1);
    // (The disk driver announces itself on stderr as well.)
    EXPECT_EQ(p->err().find("Sound:"), std::string::npos) << p->err();
    EXPECT_EQ(p->err().find("Cannot load sound"), std::string::npos) << p->err();
    RunSound sound;
    const std::string bytes = testsupport::TempDir::read(file);
    sound.values.resize(bytes.size() / sizeof(float));
    std::copy_n(bytes.data(), sound.values.size() * sizeof(float), reinterpret_cast<char*>(sound.values.data()));
    return sound;
  };
  const RunSound heard = listen("heard.raw");
  const std::size_t start = heard.firstSound();
  ASSERT_GT(start, 0u); // the output opens silent
  ASSERT_GT(heard.frames(), start + RunSound::at(5.0));
  const double rising = heard.rms(start, start + RunSound::at(0.3));
  const double full = heard.rms(start + RunSound::at(4.2), start + RunSound::at(5.0));
  EXPECT_GT(full, 0.02);
  EXPECT_LT(rising, full / 5.0);

  writeSettings("\"Volume\"=dword:00000000\n");
  const RunSound muted = listen("muted.raw");
  EXPECT_GT(muted.frames(), RunSound::at(3.0));
  EXPECT_EQ(muted.firstSound(), muted.frames());
}

TEST_F(Tickwood, AScreenshotThatCannotBeWrittenIsReported) {
  auto p = run({"/s", "--seconds", "0.2", "--screenshot", "/no/such/folder/x.png"}, headless());
  EXPECT_EQ(p->wait(30s), 1);
  EXPECT_EQ(p->out(), "");
  EXPECT_NE(p->err().find("tickwood: no screenshot: cannot write /no/such/folder/x.png\n"), std::string::npos);
}

TEST_F(Tickwood, AForcedDeviceLossIsSurvived) {
  withoutLabels();
  testsupport::TempDir overriding;
  Environment env = headless();
  env["TICKWOOD_FORCE_DEVICE_LOSS"] = "30,60";
  const std::filesystem::path shot = output_.file("after-loss.png");
  auto p = runIn(overriding.path(), {"/s", "--seconds", "60", "--screenshot", shot.string()}, env);
  // Two losses, each followed by a reset, and the loop goes on drawing.
  EXPECT_TRUE(p->waitForError("Device reset\nDevice lost\nDevice reset\n", 30s)) << p->err();
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(p->running());
  p->signal(SIGTERM);
  EXPECT_EQ(p->wait(10s), 1);
  EXPECT_EQ(withoutDescription(p->err()),
            "Log started \nApplication created\nDevice lost\nDevice reset\nDevice lost\nDevice reset\nLog closed\n");
  // The room's buffers and textures came back with the device.
  EXPECT_TRUE(showsTheRoomPerhapsFaded(shot));
}

} // namespace
