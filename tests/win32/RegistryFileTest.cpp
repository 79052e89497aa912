#include "platform/win32/registry_file.h"

#include <gtest/gtest.h>

#include "platform/win32/winreg.h"

namespace {

using win32::RegistryDocument;
using win32::RegistryValue;

std::vector<BYTE> bytes(std::string_view text, bool nul) {
  std::vector<BYTE> out(text.begin(), text.end());
  if (nul) out.push_back(0);
  return out;
}

TEST(RegistryFile, RoundTripKeepsEveryValueExactly) {
  RegistryDocument document;
  win32::RegistryKey& key = document.add("HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood");
  key.set({"Width", REG_DWORD, {0x20, 0x03, 0, 0}});
  key.set({"PhotoPath", REG_SZ, bytes("C:\\My \"Photos\"\\a.jpg", true)});
  key.set({"NoTerminator", REG_SZ, bytes("abc", false)});
  key.set({"TwoLines", REG_SZ, bytes("a\nb", true)});
  key.set({"Empty", REG_SZ, {}});
  key.set({"", REG_SZ, bytes("default", true)});
  key.set({"Quad", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}});
  std::vector<BYTE> blob(100);
  for (std::size_t i = 0; i < blob.size(); ++i)
    blob[i] = static_cast<BYTE>(i * 7);
  key.set({"Blob", REG_BINARY, blob});
  document.add("HKEY_CURRENT_USER\\Software\\Other");

  const std::string text = document.serialize();
  RegistryDocument back;
  std::string error;
  ASSERT_TRUE(RegistryDocument::parse(text, back, error)) << error << "\n" << text;
  ASSERT_EQ(back.keys().size(), 2u);
  const win32::RegistryKey& read = back.keys()[0];
  ASSERT_EQ(read.values().size(), key.values().size());
  for (std::size_t i = 0; i < key.values().size(); ++i) {
    EXPECT_EQ(read.values()[i].name, key.values()[i].name);
    EXPECT_EQ(read.values()[i].type, key.values()[i].type) << key.values()[i].name;
    EXPECT_EQ(read.values()[i].data, key.values()[i].data) << key.values()[i].name;
  }
  // What a person reading the file sees for the common values.
  EXPECT_NE(text.find("\"Width\"=dword:00000320\n"), std::string::npos);
  EXPECT_NE(text.find("\"PhotoPath\"=\"C:\\\\My \\\"Photos\\\"\\\\a.jpg\"\n"), std::string::npos);
  EXPECT_NE(text.find("@=\"default\"\n"), std::string::npos);
  EXPECT_NE(text.find("\"Quad\"=hex(b):01,02,03,04,05,06,07,08\n"), std::string::npos);
  EXPECT_EQ(text.rfind("REGEDIT4\n", 0), 0u);
}

TEST(RegistryFile, ReadsWhatAPersonMightWrite) {
  const std::string text = "\xEF\xBB\xBFREGEDIT4\r\n\r\n; my settings\r\n"
                           "[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\r\n"
                           "\"gamma\"=dword:FFFFFFCE\r\n"
                           "\"Volume\" = dword:5\r\n"
                           "\"PhotoPath\"=\"C:\\photos\\cat.jpg\"\r\n"
                           "\"Bits\"=hex:01,\\\r\n  02,03\r\n";
  RegistryDocument document;
  std::string error;
  ASSERT_TRUE(RegistryDocument::parse(text, document, error)) << error;
  win32::RegistryKey* key = document.find("hkey_current_user\\software\\brindle studio\\tickwood");
  ASSERT_NE(key, nullptr);
  ASSERT_NE(key->find("Gamma"), nullptr);
  EXPECT_EQ(key->find("Gamma")->data, (std::vector<BYTE>{0xCE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(key->find("volume")->data, (std::vector<BYTE>{5, 0, 0, 0}));
  // Backslashes that escape nothing stay as they are.
  EXPECT_EQ(key->find("PhotoPath")->data, bytes("C:\\photos\\cat.jpg", true));
  EXPECT_EQ(key->find("Bits")->data, (std::vector<BYTE>{1, 2, 3}));
}

TEST(RegistryFile, DamagedTextIsRejectedWithItsLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "line 1: not a REGEDIT4 file"},
      {"Windows Registry Editor Version 5.00\n", "line 1: not a REGEDIT4 file"},
      {"REGEDIT4\n\"Width\"=dword:1\n", "line 2: value outside a key"},
      {"REGEDIT4\n[K]\n\"Width\"=dword:123456789\n", "line 3: a dword needs 1 to 8 hex digits"},
      {"REGEDIT4\n[K]\n\"Width\"=dword:12x\n", "line 3: a dword needs 1 to 8 hex digits"},
      {"REGEDIT4\n[K]\n\"Path\"=\"open\n", "line 3: unterminated string"},
      {"REGEDIT4\n[K]\n\"Path\"=\"a\" b\n", "line 3: text after the string"},
      {"REGEDIT4\n[K]\n\"Path\" \"a\"\n", "line 3: missing '='"},
      {"REGEDIT4\n[K]\n\"Bits\"=hex:01,2\n", "line 3: bad hex bytes"},
      {"REGEDIT4\n[K]\n\"Bits\"=hex:01,\\\n", "line 3: hex data continues past the end"},
      {"REGEDIT4\n[K]\n\"Bits\"=hex(zz):01\n", "line 3: bad hex type"},
      {"REGEDIT4\n[-K]\n", "line 2: key deletion is not supported"},
      {"REGEDIT4\n[K\n", "line 2: bad key line"},
      {"REGEDIT4\n[K]\n\"Width\"=number:3\n", "line 3: unknown value form"},
  };
  for (const auto& c : cases) {
    RegistryDocument document;
    std::string error;
    EXPECT_FALSE(RegistryDocument::parse(c.text, document, error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_TRUE(document.keys().empty());
  }
}

TEST(RegistryFile, LookupsIgnoreCaseAndSurviveErasing) {
  RegistryDocument document;
  win32::RegistryKey& key = document.add("HKEY_CURRENT_USER\\Software\\Tickwood");
  EXPECT_EQ(&document.add("hkey_current_user\\SOFTWARE\\tickwood"), &key);
  for (const char* name : {"Alpha", "Beta", "Gamma", "Delta"})
    key.set({name, REG_SZ, bytes(name, true)});
  key.set({"BETA", REG_DWORD, {1, 0, 0, 0}}); // the same value: its spelling and place stay
  ASSERT_EQ(key.values().size(), 4u);
  EXPECT_EQ(key.values()[1].name, "Beta");
  EXPECT_EQ(key.values()[1].type, DWORD(REG_DWORD));

  EXPECT_TRUE(key.erase("beta"));
  EXPECT_FALSE(key.erase("Beta"));
  // Every value after the erased one is still found, with its own data.
  ASSERT_NE(key.find("GAMMA"), nullptr);
  EXPECT_EQ(key.find("gamma")->data, bytes("Gamma", true));
  EXPECT_EQ(key.find("delta")->data, bytes("Delta", true));
  EXPECT_EQ(key.find("Beta"), nullptr);
  key.set({"beta", REG_SZ, bytes("again", true)});
  ASSERT_EQ(key.values().size(), 4u);
  EXPECT_EQ(key.values()[3].name, "beta");
  EXPECT_EQ(key.find("BETA")->data, bytes("again", true));
  EXPECT_EQ(key.find("alpha")->data, bytes("Alpha", true));
}

} // namespace
