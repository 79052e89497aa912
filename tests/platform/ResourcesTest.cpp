#include "platform/win32/resources.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(Resources, FoundByTypeIgnoringCaseAndById) {
  static const char archive[] = "Rar!";
  win32::registerResource("MEMFILE", 147, archive, 4);
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(147), "MemFile");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(self, found), 4u);
  EXPECT_EQ(std::memcmp(LockResource(LoadResource(self, found)), "Rar!", 4), 0);
  EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(148), "MemFile"), nullptr);
  EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(147), "BASS"), nullptr);
  win32::unregisterResource("memfile", 147);
  EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(147), "MemFile"), nullptr);
}

TEST(Resources, IntegerTypesAreDistinctFromNames) {
  static const unsigned char bitmap[2] = {'B', 'M'};
  win32::registerResource(2, 173, bitmap, sizeof bitmap);
  EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(173), RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(173), "#3"), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(173), RT_DIALOG), nullptr);
  win32::unregisterResource(2, 173);
}
