#include "tools/tickwood-media/MediaTool.h"

namespace tools {

namespace {
const char* const kUsage =
    "usage: tickwood-media list ARCHIVE | cat ARCHIVE NAME | pack DIR ARCHIVE | udf FILE | props FILE";
} // namespace

int runMediaTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const std::string command = args.empty() ? "" : args[0];
  const std::size_t operands = args.empty() ? 0 : args.size() - 1;
  if (command == "list" && operands == 1) return listArchive(args[1], out, err);
  if (command == "cat" && operands == 2) return catArchiveEntry(args[1], args[2], out, err);
  if (command == "pack" && operands == 2) return packFolder(args[1], args[2], err);
  if (command == "udf" && operands == 1) return printUdf(args[1], out, err);
  if (command == "props" && operands == 1) return printProps(args[1], out, err);
  err << kUsage << "\n";
  return 1;
}

} // namespace tools
