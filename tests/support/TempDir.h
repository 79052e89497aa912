// A private directory for one test, removed with everything in it when the test ends, so
// runs leave nothing behind and parallel tests never share files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace testsupport {

class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path file(std::string_view name) const { return path_ / std::string(name); }
  // Writes `bytes` to `name` (creating parent folders) and answers the full path.
  std::filesystem::path write(std::string_view name, std::string_view bytes) const;
  static std::string read(const std::filesystem::path& file);

private:
  std::filesystem::path path_;
};

} // namespace testsupport
