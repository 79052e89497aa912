#include "shell/CommandLine.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using saver::RunMode;

TEST(CommandLine, SwitchesGiveTheRunModeAndTheWindow) {
  const struct {
    const char* text;
    RunMode mode;
    std::uintptr_t parent;
  } cases[] = {
      {"\"C:\\Windows\\tickwood.scr\"", RunMode::Configure, 0},
      {"tickwood.scr", RunMode::Configure, 0},
      {"tickwood", RunMode::Configure, 0},
      {"tickwood /c:1234", RunMode::Configure, 1234},
      {"tickwood /c 1234", RunMode::Configure, 1234},
      {"tickwood /C", RunMode::Configure, 0},
      {"tickwood -c", RunMode::Configure, 0},
      {"tickwood /a 99", RunMode::ChangePassword, 99},
      {"tickwood /p 4242", RunMode::Preview, 4242},
      {"tickwood /P4242", RunMode::Preview, 4242},
      {"tickwood -p", RunMode::Preview, 0},
      {"tickwood /s", RunMode::Saver, 0},
      {"tickwood /S 77", RunMode::Saver, 0},
      {"tickwood /x", RunMode::Saver, 0},
      {"tickwood /t 5", RunMode::Test, 0},
      {"tickwood  /p 3", RunMode::Preview, 3},
      {"tickwood /", RunMode::Saver, 0},
      // A quoted program path with '-' and '/' in it is skipped whole.
      {"\"C:\\my-saver\\a/b.scr\" /p 5", RunMode::Preview, 5},
      {"\"C:\\my-saver\\a/b.scr\"", RunMode::Configure, 0},
      {"\"C:\\my-saver\\a/b.scr\"/s", RunMode::Saver, 0},
      // Only the first blank ends an unquoted name: "-x" here is the switch.
      {"C:/x/tickwood.scr", RunMode::Configure, 0},
      {"my tickwood -x", RunMode::Saver, 0},
      {"\"unterminated /s", RunMode::Configure, 0},
      {"", RunMode::Configure, 0},
  };
  for (const auto& c : cases) {
    std::uintptr_t parent = 0xDEAD;
    EXPECT_EQ(saver::parseCommandLine(c.text, parent), c.mode) << c.text;
    EXPECT_EQ(parent, c.parent) << c.text;
  }
}

TEST(CommandLine, AHugeNumberSaturatesInsteadOfOverflowing) {
  std::uintptr_t parent = 0;
  EXPECT_EQ(saver::parseCommandLine("tickwood /p 123456789012345678901234567890", parent), RunMode::Preview);
  EXPECT_EQ(parent, static_cast<std::uintptr_t>(LONG_MAX));
}

} // namespace
