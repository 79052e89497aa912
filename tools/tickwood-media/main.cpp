// tickwood-media: looks into and builds the media archive and its UDF and props files.
#include <iostream>
#include <string>
#include <vector>

#include "tools/tickwood-media/MediaTool.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tools::runMediaTool(args, std::cout, std::cerr);
}
