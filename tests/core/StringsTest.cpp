#include "engine/core/Strings.h"

#include <gtest/gtest.h>

using namespace engine;

TEST(Strings, CaseInsensitiveComparisonFoldsAsciiOnly) {
  EXPECT_EQ(compareNoCase("Clock.UDF", "clock.udf"), 0);
  EXPECT_LT(compareNoCase("abc", "ABD"), 0);
  EXPECT_GT(compareNoCase("abcd", "ABC"), 0);
  EXPECT_LT(compareNoCase("", "a"), 0);
  // Bytes above 0x7F compare unsigned and are not folded.
  EXPECT_LT(compareNoCase("z", "\xC4"), 0);
  EXPECT_NE(compareNoCase("\xC4", "\xE4"), 0);
  // Folding goes to lower case, so '_' (0x5F) sorts before the letters, as stricmp does.
  EXPECT_GT(compareNoCase("A", "_"), 0);
  EXPECT_TRUE(equalsNoCase("QuietTime", "QUIETTIME"));
  EXPECT_FALSE(equalsNoCase("Quiet", "QuietTime"));
  EXPECT_TRUE(startsWithNoCase("USING x", "using"));
  EXPECT_FALSE(startsWithNoCase("us", "using"));
}

TEST(Strings, TrimsRemoveRunsAtTheEnds) {
  EXPECT_EQ(trimLeading("///a/b", '/'), "a/b");
  EXPECT_EQ(trimTrailing("a\\\\", '\\'), "a");
  EXPECT_EQ(trimChar("xxaxx", 'x'), "a");
  EXPECT_EQ(trimChar("xxxx", 'x'), "");
  EXPECT_EQ(trimBlanks(" \t key = 1 \t"), "key = 1");
  EXPECT_EQ(trimBlanks(" \t "), "");
  EXPECT_EQ(trimBlanks("\nx\n"), "\nx\n"); // only spaces and tabs
}

TEST(Strings, PathPartsAcceptBothSeparators) {
  EXPECT_EQ(fileNamePart("Media\\tex/wood.jpg"), "wood.jpg");
  EXPECT_EQ(fileNamePart("wood.jpg"), "wood.jpg");
  EXPECT_EQ(directoryPart("Media\\tex/wood.jpg"), "Media\\tex");
  EXPECT_EQ(directoryPart("/clock.udf"), "");
  EXPECT_EQ(directoryPart("clock.udf"), "");
  EXPECT_EQ(extensionPart("Media/c1.cam"), "cam");
  EXPECT_EQ(extensionPart("noext"), "");
  EXPECT_EQ(extensionPart("archive.tar.gz"), "gz");
}
