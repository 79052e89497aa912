// Points the registry at a private folder for one test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/TempDir.h"

namespace shelltest {

class PrivateRegistry : public ::testing::Test {
protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1); }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

  std::filesystem::path registryFile() const { return config_.path() / "tickwood" / "registry.reg"; }
  void writeRegistry(const std::string& text) const { config_.write("tickwood/registry.reg", text); }
  std::string readRegistry() const { return testsupport::TempDir::read(registryFile()); }

  testsupport::TempDir config_;
};

constexpr const char* kHeader = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n";

} // namespace shelltest
