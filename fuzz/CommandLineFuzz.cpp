// Any command-line text and any arguments are parsed without reading outside them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shell/CommandLine.h"
#include "shell/LaunchOptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::uintptr_t parent = 0;
  saver::parseCommandLine(text, parent);
  std::vector<std::string> arguments;
  std::string current;
  for (char c : text) {
    if (c == ' ') {
      arguments.push_back(current);
      current.clear();
    } else {
      current.push_back(c);
    }
  }
  arguments.push_back(current);
  const saver::LaunchOptions options = saver::parseLaunchOptions("tickwood", arguments, arguments.front().c_str());
  saver::parseCommandLine(options.windowsCommandLine, parent);
  return 0;
}
