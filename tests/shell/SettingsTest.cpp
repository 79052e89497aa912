#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include "engine/core/Log.h"
#include "tests/shell/RegistryFixture.h"

namespace {

using saver::Settings;
using shelltest::kHeader;

using SettingsStore = shelltest::PrivateRegistry;

void expectDefaults(const Settings& s) {
  EXPECT_TRUE(s.useDesktop);
  EXPECT_FALSE(s.showFps);
  EXPECT_EQ(s.width, 800);
  EXPECT_EQ(s.height, 600);
  EXPECT_EQ(s.depth, 32);
  EXPECT_EQ(s.adapter, 0);
  EXPECT_EQ(s.gamma, 0);
  EXPECT_EQ(s.volume, 80);
  EXPECT_TRUE(s.music);
  EXPECT_TRUE(s.sound);
  EXPECT_FALSE(s.exitOnMouseMove);
  EXPECT_TRUE(s.showTime);
  EXPECT_FALSE(s.timeStyle);
  EXPECT_EQ(s.photoPath, "");
}

TEST_F(SettingsStore, AFreshUserStartsWithTheDefaultsAndAnEmptyKey) {
  Settings settings;
  expectDefaults(settings);
  EXPECT_TRUE(saver::readSettings(settings));
  EXPECT_TRUE(saver::readPhotoPath(settings.photoPath));
  expectDefaults(settings);
  EXPECT_EQ(readRegistry(), kHeader);
}

TEST_F(SettingsStore, EveryValueRoundTripsInTableOrder) {
  Settings written;
  written.useDesktop = false;
  written.showFps = true;
  written.width = 1280;
  written.height = 1024;
  written.depth = 16;
  written.adapter = 1;
  written.gamma = -37;
  written.volume = 55;
  written.music = false;
  written.sound = false;
  written.exitOnMouseMove = true;
  written.showTime = false;
  written.timeStyle = true;
  written.photoPath = "/home/me/Pictures/cat \"tabby\".jpg";
  ASSERT_TRUE(saver::writePhotoPath(written.photoPath));
  ASSERT_TRUE(saver::writeSettings(written));
  EXPECT_EQ(readRegistry(), std::string(kHeader) +
                                "\"PhotoPath\"=\"/home/me/Pictures/cat \\\"tabby\\\".jpg\"\n"
                                "\"UseDesktop\"=dword:00000000\n\"ShowFps\"=dword:00000001\n"
                                "\"Width\"=dword:00000500\n\"Height\"=dword:00000400\n\"Depth\"=dword:00000010\n"
                                "\"Adapter\"=dword:00000001\n\"Gamma\"=dword:ffffffdb\n\"Volume\"=dword:00000037\n"
                                "\"Music\"=dword:00000000\n\"Sound\"=dword:00000000\n\"ExitOnMM\"=dword:00000001\n"
                                "\"ShowTime\"=dword:00000000\n\"TimeStyle\"=dword:00000001\n");
  Settings read;
  ASSERT_TRUE(saver::readPhotoPath(read.photoPath));
  ASSERT_TRUE(saver::readSettings(read));
  EXPECT_FALSE(read.useDesktop);
  EXPECT_TRUE(read.showFps);
  EXPECT_EQ(read.width, 1280);
  EXPECT_EQ(read.height, 1024);
  EXPECT_EQ(read.depth, 16);
  EXPECT_EQ(read.adapter, 1);
  EXPECT_EQ(read.gamma, -37);
  EXPECT_EQ(read.volume, 55);
  EXPECT_FALSE(read.music);
  EXPECT_FALSE(read.sound);
  EXPECT_TRUE(read.exitOnMouseMove);
  EXPECT_FALSE(read.showTime);
  EXPECT_TRUE(read.timeStyle);
  EXPECT_EQ(read.photoPath, written.photoPath);
}

TEST_F(SettingsStore, ValuesOfAnyTypeThatFitFourBytesAreRead) {
  writeRegistry(std::string(kHeader) +
                "\"Width\"=hex:00,04\n"                       // two bytes: the low half of the word
                "\"Height\"=hex(b):00,04,00,00,00,00,00,00\n" // eight bytes do not fit: default stays
                "\"ExitOnMM\"=\"0\"\n"                        // bytes '0' and NUL are not all zero
                "\"Sound\"=hex:00,00,00,00\n"
                "\"Gamma\"=dword:000001f4\n"    // 500: out of range
                "\"Volume\"=dword:fffffffb\n"); // -5: out of range
  engine::LogCapture log;
  Settings settings;
  ASSERT_TRUE(saver::readSettings(settings));
  EXPECT_EQ(settings.width, 1024);
  EXPECT_EQ(settings.height, 600);
  EXPECT_TRUE(settings.exitOnMouseMove);
  EXPECT_FALSE(settings.sound);
  EXPECT_EQ(settings.gamma, 100);
  EXPECT_EQ(settings.volume, 0);
  EXPECT_TRUE(log.contains("Setting \"Gamma\" 500 is out of range -100..100; 100 is used\n"));
  EXPECT_TRUE(log.contains("Setting \"Volume\" -5 is out of range 0..100; 0 is used\n"));
}

TEST_F(SettingsStore, ADamagedFileGivesTheDefaultsAndIsKept) {
  writeRegistry("REGEDIT4\n\"Width\"=dword:00000400\n[oops\n");
  Settings settings;
  EXPECT_TRUE(saver::readSettings(settings));
  expectDefaults(settings);
  EXPECT_EQ(testsupport::TempDir::read(registryFile().string() + ".damaged"),
            "REGEDIT4\n\"Width\"=dword:00000400\n[oops\n");
}

TEST_F(SettingsStore, APhotoPathOfMoreThan255BytesIsNotRead) {
  const std::string longest(255, 'p');
  ASSERT_TRUE(saver::writePhotoPath(longest));
  std::string path = "before";
  ASSERT_TRUE(saver::readPhotoPath(path));
  EXPECT_EQ(path, longest);
  ASSERT_TRUE(saver::writePhotoPath(longest + "q"));
  path = "before";
  ASSERT_TRUE(saver::readPhotoPath(path));
  EXPECT_EQ(path, "before");
  // Stored by someone else without its NUL, 256 bytes still end inside the buffer.
  writeRegistry(std::string(kHeader) + "\"PhotoPath\"=hex(1):" + [] {
    std::string bytes;
    for (int i = 0; i < 256; ++i)
      bytes += i ? ",61" : "61";
    return bytes;
  }() + "\n");
  ASSERT_TRUE(saver::readPhotoPath(path));
  EXPECT_EQ(path, std::string(256, 'a'));
}

TEST_F(SettingsStore, AKeyThatCannotBeOpenedLeavesEverythingAlone) {
  std::filesystem::create_directories(registryFile()); // a folder where the file should be
  Settings settings;
  settings.width = 1234;
  EXPECT_FALSE(saver::readSettings(settings));
  EXPECT_EQ(settings.width, 1234);
  EXPECT_FALSE(saver::writeSettings(settings));
  EXPECT_FALSE(saver::writePhotoPath("x"));
  EXPECT_TRUE(std::filesystem::is_directory(registryFile()));
}

TEST_F(SettingsStore, AWriteThatFailsIsReportedAndTheFileKeepsItsOldValues) {
  writeRegistry(std::string(kHeader) + "\"Width\"=dword:00000400\n");
  // The new file is written beside the old one first; a folder in that place makes the write
  // fail even for root.
  std::filesystem::create_directories(registryFile().string() + ".tmp." + std::to_string(getpid()));
  Settings settings;
  settings.width = 1280;
  EXPECT_FALSE(saver::writeSettings(settings));
  EXPECT_FALSE(saver::writePhotoPath("/home/me/cat.jpg"));
  EXPECT_EQ(readRegistry(), std::string(kHeader) + "\"Width\"=dword:00000400\n");
}

TEST(GammaRamp, ShiftsTheIdentityBy200PerStepAndClips) {
  const auto identity = saver::makeGammaRamp(0);
  for (int i = 0; i < 256; ++i)
    EXPECT_EQ(identity.red[static_cast<std::size_t>(i)], 256 * i);
  const auto bright = saver::makeGammaRamp(50);
  EXPECT_EQ(bright.green[0], 10000);
  EXPECT_EQ(bright.green[216], 10000 + 256 * 216);
  EXPECT_EQ(bright.green[217], 65535); // 10000 + 256 * 217 = 65552
  EXPECT_EQ(bright.blue[255], 65535);
  const auto brightest = saver::makeGammaRamp(100);
  EXPECT_EQ(brightest.red[0], 20000);
  EXPECT_EQ(brightest.red[177], 20000 + 256 * 177);
  EXPECT_EQ(brightest.red[178], 65535);
  const auto dark = saver::makeGammaRamp(-100);
  EXPECT_EQ(dark.red[0], 0);
  EXPECT_EQ(dark.red[78], 0); // 256 * 78 - 20000 < 0
  EXPECT_EQ(dark.red[79], 256 * 79 - 20000);
  EXPECT_EQ(dark.red[255], 256 * 255 - 20000);
  EXPECT_EQ(dark.red, dark.green);
  EXPECT_EQ(dark.red, dark.blue);
}

} // namespace
