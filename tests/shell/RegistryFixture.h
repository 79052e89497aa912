// Points the registry at a private folder for one test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/win32/desktop.h"
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

// A private registry and a fresh window system, for tests that run the saver's application.
class PrivateSession : public PrivateRegistry {
protected:
  void SetUp() override {
    PrivateRegistry::SetUp();
    win32::resetWindowSystem();
  }
  void TearDown() override {
    releaseApplication();
    win32::resetWindowSystem();
    PrivateRegistry::TearDown();
  }
  // The application goes before the window system its windows belong to.
  virtual void releaseApplication() = 0;
};

constexpr const char* kHeader = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n";

} // namespace shelltest
