// The subcommands of tickwood-media. Each writes its result to `out`, and on failure one
// line to `err`, and answers the exit status (0 success, 1 failure).
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tools {

int listArchive(const std::string& archivePath, std::ostream& out, std::ostream& err);
int catArchiveEntry(const std::string& archivePath, const std::string& name, std::ostream& out, std::ostream& err);
int packFolder(const std::string& folder, const std::string& archivePath, std::ostream& err);
int printUdf(const std::string& path, std::ostream& out, std::ostream& err);
int printProps(const std::string& path, std::ostream& out, std::ostream& err);

// A props value as the props listing shows it: '"' and '\' escaped with '\', bytes
// below 0x20 as \u00xx.
std::string escapedValue(std::string_view text);

// The whole command line (without the program name).
int runMediaTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The engine's last log line about a failure, without its "Error: " and newline, or
// `fallback` when it logged nothing.
std::string lastReason(const std::vector<std::string>& logLines, const std::string& fallback);

} // namespace tools
