#include "shell/LaunchOptions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using saver::LaunchOptions;
using saver::parseLaunchOptions;

LaunchOptions parse(std::vector<std::string> arguments, const char* xscreensaverWindow = nullptr) {
  return parseLaunchOptions("/usr/bin/tickwood", arguments, xscreensaverWindow);
}

TEST(LaunchOptions, OurOptionsAreTakenOutAndTheRestIsTheWindowsCommandLine) {
  const LaunchOptions none = parse({});
  EXPECT_EQ(none.windowsCommandLine, "\"/usr/bin/tickwood\"");
  EXPECT_FALSE(none.windowsArguments);
  EXPECT_TRUE(none.error.empty());

  const LaunchOptions o = parse({"--seconds", "2.5", "/p", "1234", "--seed", "7", "--time", "23:59:58", "-fps",
                                 "-install", "-visual", "TrueColor", "-mono", "-x"});
  EXPECT_TRUE(o.error.empty()) << o.error;
  EXPECT_EQ(o.windowsCommandLine, "\"/usr/bin/tickwood\" /p 1234 -x");
  EXPECT_TRUE(o.windowsArguments);
  ASSERT_TRUE(o.seconds);
  EXPECT_DOUBLE_EQ(*o.seconds, 2.5);
  ASSERT_TRUE(o.seed);
  EXPECT_EQ(*o.seed, 7u);
  ASSERT_TRUE(o.startTime);
  EXPECT_EQ(o.startTime->hour, 23);
  EXPECT_EQ(o.startTime->minute, 59);
  EXPECT_EQ(o.startTime->second, 58);
  EXPECT_TRUE(o.showFps);
  EXPECT_FALSE(o.hostWindow);

  const LaunchOptions inlined = parse({"--seconds=3", "--fps", "--window-id=0x2a"});
  ASSERT_TRUE(inlined.seconds);
  EXPECT_DOUBLE_EQ(*inlined.seconds, 3.0);
  EXPECT_TRUE(inlined.showFps);
  ASSERT_TRUE(inlined.hostWindow);
  EXPECT_EQ(*inlined.hostWindow, 42u);
  // A program name with a quote in it still makes one quoted name.
  EXPECT_EQ(parseLaunchOptions("we\"ird", {}, nullptr).windowsCommandLine, "\"weird\"");
}

TEST(LaunchOptions, TheHostWindowComesFromTheDaemonsConventions) {
  EXPECT_EQ(*parse({"-window-id", "42"}).hostWindow, 42u);
  EXPECT_EQ(*parse({"-window-id", "0x1E00007"}).hostWindow, 0x1E00007u);
  const LaunchOptions root = parse({"-root"});
  EXPECT_TRUE(root.hostIsRoot);
  EXPECT_FALSE(root.hostWindow);
  // The daemon's variable names the window -root should draw into.
  EXPECT_EQ(*parse({"--root"}, "0x600001").hostWindow, 0x600001u);
  EXPECT_EQ(*parse({}, "6291457").hostWindow, 6291457u);
  EXPECT_EQ(*parse({"-window-id", "5"}, "0x600001").hostWindow, 5u);
  // With Windows switches and no -root the variable is not ours to use.
  EXPECT_FALSE(parse({"/c"}, "0x600001").hostWindow);
  EXPECT_TRUE(parse({"/c"}, "wayland-1").error.empty());
  const LaunchOptions wayland = parse({}, "wayland-1");
  EXPECT_EQ(wayland.error, "XSCREENSAVER_WINDOW=\"wayland-1\" is not an X11 window id; running inside a Wayland "
                           "screensaver's surface is not supported");
}

TEST(LaunchOptions, BadValuesAndUnknownOptionsAreErrors) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } cases[] = {
      {{"--frob"}, "unknown option --frob"},
      {{"--frob=1"}, "unknown option --frob=1"},
      {{"-window-id", "zz"}, "-window-id needs an X11 window id (0x... or decimal), not \"zz\""},
      {{"-window-id", "0"}, "-window-id needs an X11 window id (0x... or decimal), not \"0\""},
      {{"-window-id", "0x40000000"}, "-window-id needs an X11 window id (0x... or decimal), not \"0x40000000\""},
      {{"-window-id"}, "-window-id needs an X11 window id (0x... or decimal), not \"\""},
      {{"-visual"}, "-visual needs a value"},
      {{"--seconds", "-1"}, "--seconds needs a number of seconds, not \"-1\""},
      {{"--seconds", "nan"}, "--seconds needs a number of seconds, not \"nan\""},
      {{"--seconds", "2s"}, "--seconds needs a number of seconds, not \"2s\""},
      {{"--time", "24:00:00"}, "--time needs HH:MM:SS, not \"24:00:00\""},
      {{"--time", "1:2:3"}, "--time needs HH:MM:SS, not \"1:2:3\""},
      {{"--seed", "-1"}, "--seed needs a whole number, not \"-1\""},
      {{"--seed", "4294967296"}, "--seed needs a whole number, not \"4294967296\""},
      {{"--screenshot"}, "--screenshot needs the name of a PNG file to write"},
      {{"--screenshot="}, "--screenshot needs the name of a PNG file to write"},
      // Switches take no value: "=0" would otherwise turn the music on.
      {{"--music=0"}, "--music takes no value, not \"0\""},
      {{"--no-sound=yes"}, "--no-sound takes no value, not \"yes\""},
      {{"--fps=1"}, "--fps takes no value, not \"1\""},
      {{"--help="}, "--help takes no value, not \"\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parse(c.arguments).error, c.error) << c.arguments[0];
  EXPECT_TRUE(parse({"--help"}).help);
  EXPECT_EQ(parse({"/s", "--screenshot", "last.png"}).screenshot, "last.png");
  EXPECT_EQ(parse({"--screenshot=/tmp/x.png"}).screenshot, "/tmp/x.png");
  // Without two dashes these belong to the Windows switches.
  EXPECT_EQ(parse({"-seconds", "5"}).windowsCommandLine, "\"/usr/bin/tickwood\" -seconds 5");
}

TEST(LaunchOptions, SettingOptionsReplaceTheStoredValuesWithinTheirRanges) {
  const LaunchOptions o =
      parse({"--volume", "40", "--no-music", "--no-sound", "--sound", "--show-time", "--time-style", "24", "--photo",
             "/home/me/cat.gif", "--max-fps=30", "--gamma", "-20", "--exit-on-mouse-move", "/s"});
  ASSERT_TRUE(o.error.empty()) << o.error;
  EXPECT_EQ(o.windowsCommandLine, "\"/usr/bin/tickwood\" /s");
  saver::Settings settings;
  settings.showTime = false;
  settings.timeStyle = false;
  settings.photoPath = "/stored.jpg";
  o.settings.applyTo(settings);
  EXPECT_EQ(settings.volume, 40);
  EXPECT_FALSE(settings.music);
  EXPECT_TRUE(settings.sound); // the later option wins
  EXPECT_TRUE(settings.showTime);
  EXPECT_TRUE(settings.timeStyle);
  EXPECT_EQ(settings.photoPath, "/home/me/cat.gif");
  EXPECT_EQ(settings.maxFps, 30);
  EXPECT_EQ(settings.gamma, -20);
  EXPECT_TRUE(settings.exitOnMouseMove);
  EXPECT_EQ(settings.width, 800); // untouched values keep what was stored

  saver::Settings twelve;
  twelve.timeStyle = true;
  parse({"--time-style", "12"}).settings.applyTo(twelve);
  EXPECT_FALSE(twelve.timeStyle);
  // An empty photo is the room's own picture.
  saver::Settings noPhoto;
  noPhoto.photoPath = "/stored.jpg";
  parse({"--photo="}).settings.applyTo(noPhoto);
  EXPECT_EQ(noPhoto.photoPath, "");
  EXPECT_TRUE(parse({}).settings.empty());

  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } bad[] = {
      {{"--volume", "101"}, "--volume needs 0...100, not \"101\""},
      {{"--volume", "-1"}, "--volume needs 0...100, not \"-1\""},
      {{"--volume", "4O"}, "--volume needs 0...100, not \"4O\""},
      {{"--volume", "99999999999"}, "--volume needs 0...100, not \"99999999999\""},
      {{"--volume"}, "--volume needs 0...100, not \"\""},
      {{"--max-fps", "1001"}, "--max-fps needs 0...1000, not \"1001\""},
      {{"--time-style", "13"}, "--time-style needs 12|24, not \"13\""},
      {{"--photo"}, "--photo needs the name of a picture file"},
      {{"--no-volume"}, "unknown option --no-volume"},
      {{"--no-time-style"}, "unknown option --no-time-style"},
      {{"--width", "1024"}, "unknown option --width"},
  };
  for (const auto& c : bad)
    EXPECT_EQ(parse(c.arguments).error, c.error) << c.arguments[0];
}

TEST(LaunchOptions, TheReadmeAndTheHelpTextNameTheSameOptions) {
  std::ifstream in(TICKWOOD_README);
  const std::string readme((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(readme.empty());
  const std::string help = saver::usageText();
  for (const char* option : {"/s",
                             "/t",
                             "/p <window>",
                             "/c[:<window>]",
                             "/a <window>",
                             "-root",
                             "-window-id <id>",
                             "-fps",
                             "-install",
                             "-visual",
                             "-mono",
                             "XSCREENSAVER_WINDOW",
                             "--seconds <s>",
                             "--time HH:MM:SS",
                             "--seed <n>",
                             "--screenshot <file>",
                             "--help",
                             "registry.reg",
                             "TICKWOOD_LOG",
                             "--volume <0...100>",
                             "--music, --no-music",
                             "--sound, --no-sound",
                             "--show-time, --no-show-time",
                             "--time-style",
                             "--photo <file>",
                             "--max-fps <0...1000>",
                             "--gamma <-100...100>"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
    EXPECT_NE(readme.find(option), std::string::npos) << option;
  }
}

} // namespace
