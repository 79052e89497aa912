#include "platform/win32/winreg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/win32/desktop.h"
#include "platform/win32/winbase.h"
#include "tests/support/TempDir.h"

namespace {

constexpr const char* kKey = "Software\\Brindle Studio\\Tickwood";

std::vector<std::string>& diagnostics() {
  static std::vector<std::string> lines;
  return lines;
}

class Registry : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1);
    diagnostics().clear();
    win32::setDiagnosticSink([](std::string_view line) { diagnostics().emplace_back(line); });
  }
  void TearDown() override {
    win32::setDiagnosticSink(nullptr);
    unsetenv("XDG_CONFIG_HOME");
  }

  std::filesystem::path file() const { return dir_.path() / "tickwood" / "registry.reg"; }

  HKEY open(REGSAM access) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, access, nullptr, &key, nullptr), ERROR_SUCCESS);
    return key;
  }

  testsupport::TempDir dir_;
};

TEST_F(Registry, ValuesPersistInTheFileAndReadBack) {
  DWORD disposition = 0;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  const DWORD width = 1024;
  ASSERT_EQ(RegSetValueExA(key, "Width", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&width), 4), ERROR_SUCCESS);
  const char path[] = "/home/me/cat.jpg";
  ASSERT_EQ(RegSetValueExA(key, "PhotoPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(path), sizeof path),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);

  EXPECT_EQ(testsupport::TempDir::read(file()), "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n"
                                                "\"Width\"=dword:00000400\n\"PhotoPath\"=\"/home/me/cat.jpg\"\n");
  // Written through a temporary file that is gone afterwards.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file().parent_path()), {}), 1);

  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  DWORD type = 0;
  DWORD value = 0;
  DWORD size = sizeof value;
  ASSERT_EQ(RegQueryValueExA(key, "width", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(value, 1024u);
  EXPECT_EQ(size, 4u);
  RegCloseKey(key);
}

TEST_F(Registry, QueryReportsSizesAndMissingValues) {
  HKEY key = open(KEY_ALL_ACCESS);
  const char text[] = "0123456789";
  ASSERT_EQ(RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 11u);
  char small[4] = {'x', 'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(small[0], 'x'); // nothing written into a buffer that is too small
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(small), nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteValueA(key, "TEXT"), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteValueA(key, "Text"), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(Registry, AccessRightsOfTheHandleAreEnforced) {
  HKEY reader = open(KEY_READ);
  const DWORD one = 1;
  EXPECT_EQ(RegSetValueExA(reader, "Music", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_ACCESS_DENIED);
  HKEY writer = open(KEY_WRITE);
  EXPECT_EQ(RegSetValueExA(writer, "Music", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_SUCCESS);
  DWORD size = 4;
  DWORD value = 0;
  EXPECT_EQ(RegQueryValueExA(writer, "Music", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_ACCESS_DENIED);
  HKEY missing = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Nobody", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);
  RegCloseKey(reader);
  RegCloseKey(writer);
}

TEST_F(Registry, ADamagedFileIsKeptAsideAndReadsEmpty) {
  std::filesystem::create_directories(file().parent_path());
  dir_.write("tickwood/registry.reg", "REGEDIT4\n\"Width\"=dword:00000400\n");
  dir_.write("tickwood/registry.reg.damaged", "an older damaged copy");

  HKEY key = open(KEY_READ);
  DWORD size = 4;
  DWORD value = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Width", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);

  const auto aside = file().parent_path() / "registry.reg.damaged.2";
  EXPECT_EQ(testsupport::TempDir::read(aside), "REGEDIT4\n\"Width\"=dword:00000400\n");
  EXPECT_EQ(testsupport::TempDir::read(file().parent_path() / "registry.reg.damaged"), "an older damaged copy");
  // The key was created afresh in a new, sound file.
  EXPECT_EQ(testsupport::TempDir::read(file()),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n");
  ASSERT_EQ(diagnostics().size(), 1u);
  EXPECT_EQ(diagnostics()[0], "Registry file " + file().string() +
                                  " is damaged (line 2: value outside a key); it is kept as " + aside.string() +
                                  " and the settings start from their defaults");
}

TEST_F(Registry, AFileOverOneMebibyteIsSetAsideUnreadAndOneAtTheLimitIsRead) {
  constexpr std::size_t kLimit = 1024 * 1024;
  std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n\"Width\"=dword:00000400\n";
  // Comment lines pad the file to exactly the limit.
  while (text.size() < kLimit) {
    const std::size_t room = kLimit - text.size();
    text += room >= 80 ? "; " + std::string(77, 'x') + "\n" : "; " + std::string(room - 3, 'x') + "\n";
  }
  ASSERT_EQ(text.size(), kLimit);
  dir_.write("tickwood/registry.reg", text);
  HKEY key = open(KEY_READ);
  DWORD size = 4, value = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Width", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(value, 0x400u);
  RegCloseKey(key);
  EXPECT_TRUE(diagnostics().empty());

  text += "\n";
  dir_.write("tickwood/registry.reg", text);
  key = open(KEY_READ);
  EXPECT_EQ(RegQueryValueExA(key, "Width", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  const auto aside = file().parent_path() / "registry.reg.damaged";
  EXPECT_EQ(testsupport::TempDir::read(aside), text);
  ASSERT_EQ(diagnostics().size(), 1u);
  EXPECT_EQ(diagnostics()[0], "Registry file " + file().string() + " is larger than 1 MiB; it is kept as " +
                                  aside.string() + " and the settings start from their defaults");
}

TEST_F(Registry, AnEndlessFileIsReadNoFurtherThanTheLimit) {
  std::filesystem::create_directories(file().parent_path());
  std::filesystem::create_symlink("/dev/zero", file());
  HKEY key = open(KEY_READ);
  DWORD size = 4, value = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Width", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
  const auto aside = file().parent_path() / "registry.reg.damaged";
  EXPECT_TRUE(std::filesystem::is_symlink(aside));
  EXPECT_FALSE(std::filesystem::is_symlink(file())); // a sound file took its place
  ASSERT_EQ(diagnostics().size(), 1u);
  EXPECT_NE(diagnostics()[0].find(" is larger than 1 MiB; it is kept as "), std::string::npos);
}

TEST_F(Registry, AFileThatCannotBeReadIsNeverReplaced) {
  // A directory in the file's place reads like an unreadable file, even for root.
  std::filesystem::create_directories(file());
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(key, nullptr);
  EXPECT_TRUE(std::filesystem::is_directory(file()));
}

TEST_F(Registry, AWriteThatFailsIsReportedAndLeavesTheOldFile) {
  HKEY key = open(KEY_WRITE);
  const DWORD before = 1;
  ASSERT_EQ(RegSetValueExA(key, "Fog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&before), 4), ERROR_SUCCESS);
  const std::string old = testsupport::TempDir::read(file());
  // A directory where the temporary file goes fails the write even for root, as a read-only
  // folder or a full disk would.
  std::filesystem::create_directories(file().string() + ".tmp." + std::to_string(getpid()));
  const DWORD after = 0;
  EXPECT_NE(RegSetValueExA(key, "Fog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&after), 4), ERROR_SUCCESS);
  EXPECT_EQ(testsupport::TempDir::read(file()), old);
  ASSERT_EQ(diagnostics().size(), 1u);
  EXPECT_EQ(diagnostics()[0],
            "Registry file " + file().string() + " cannot be written (Is a directory); it keeps its old contents");
  RegCloseKey(key);
}

TEST_F(Registry, ValuesSetInABatchReachTheFileTogetherAtItsCommit) {
  HKEY key = open(KEY_READ | KEY_WRITE);
  const DWORD one = 1, two = 2;
  ASSERT_EQ(RegSetValueExA(key, "Fog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_SUCCESS);
  const std::string old = testsupport::TempDir::read(file());
  {
    win32::RegistryBatch batch;
    ASSERT_EQ(RegSetValueExA(key, "Fog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Rain", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4), ERROR_SUCCESS);
    {
      win32::RegistryBatch inner; // leaves the write to the outer batch
      ASSERT_EQ(RegSetValueExA(key, "Wind", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&two), 4), ERROR_SUCCESS);
      EXPECT_EQ(inner.commit(), ERROR_SUCCESS);
    }
    EXPECT_EQ(testsupport::TempDir::read(file()), old);
    DWORD value = 0, size = sizeof value;
    ASSERT_EQ(RegQueryValueExA(key, "Fog", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u); // the batch's own values read back before the write
    EXPECT_EQ(batch.commit(), ERROR_SUCCESS);
  }
  EXPECT_EQ(testsupport::TempDir::read(file()),
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n"
            "\"Fog\"=dword:00000002\n\"Rain\"=dword:00000002\n\"Wind\"=dword:00000002\n");

  // A commit that cannot write says so, and the file keeps every old value.
  const std::string written = testsupport::TempDir::read(file());
  std::filesystem::create_directories(file().string() + ".tmp." + std::to_string(getpid()));
  win32::RegistryBatch failing;
  ASSERT_EQ(RegSetValueExA(key, "Fog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4), ERROR_SUCCESS);
  EXPECT_NE(failing.commit(), ERROR_SUCCESS);
  EXPECT_EQ(testsupport::TempDir::read(file()), written);
  EXPECT_EQ(diagnostics().size(), 1u);
  RegCloseKey(key);
}

TEST_F(Registry, ThePlaceFollowsTheEnvironment) {
  EXPECT_EQ(win32::registryFilePath(), file().string());
  const char* home = std::getenv("HOME");
  const std::string savedHome = home ? home : "";
  setenv("XDG_CONFIG_HOME", "relative/dir", 1);
  setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(win32::registryFilePath(), "/home/someone/.config/tickwood/registry.reg");
  unsetenv("HOME");
  EXPECT_EQ(win32::registryFilePath(), "");
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
            ERROR_ACCESS_DENIED);
  if (home) setenv("HOME", savedHome.c_str(), 1);
}

} // namespace
