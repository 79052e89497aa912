#include "engine/core/Log.h"

#include <gtest/gtest.h>

using namespace engine;

TEST(Log, EveryLineEndsWithOneNewline) {
  LogCapture capture;
  logLine("Log started \n");
  logLine("Error: font texture loading failed");
  logLine("");
  ASSERT_EQ(capture.lines().size(), 3u);
  EXPECT_EQ(capture.lines()[0], "Log started \n");
  EXPECT_EQ(capture.lines()[1], "Error: font texture loading failed\n");
  EXPECT_EQ(capture.lines()[2], "\n");
  EXPECT_TRUE(capture.contains("Log started \n"));
}

TEST(Log, InnermostCaptureCollectsAndOuterResumes) {
  LogCapture outer;
  logLine("a");
  {
    LogCapture inner;
    logLine("b");
    EXPECT_EQ(inner.lines().size(), 1u);
  }
  logLine("c");
  EXPECT_EQ(outer.lines(), (std::vector<std::string>{"a\n", "c\n"}));
}
