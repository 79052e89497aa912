// list, cat and pack: the archive as modders see it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <system_error>

#include "engine/core/Log.h"
#include "engine/data/MemoryStream.h"
#include "engine/data/archive/MemFileArchive.h"
#include "engine/data/archive/RarFormat.h"
#include "engine/data/archive/RarWriter.h"
#include "tools/tickwood-media/MediaTool.h"

namespace fs = std::filesystem;

namespace tools {

namespace {

bool openArchive(const std::string& path, engine::MemFileArchive& archive, std::ostream& err) {
  if (!archive.open(engine::FileLocation(path))) {
    err << "tickwood-media: cannot read " << path << "\n";
    return false;
  }
  return true;
}

std::string hex8(std::uint32_t value) {
  std::ostringstream text;
  text << std::hex << std::setw(8) << std::setfill('0') << value;
  return text.str();
}

// DOS times are local times; a reproducible build names its time in SOURCE_DATE_EPOCH,
// which is read as UTC so that every machine writes the same bytes.
std::uint32_t dosTimeOf(std::time_t seconds, bool utc) {
  std::tm parts{};
  const std::tm* converted = utc ? std::gmtime(&seconds) : std::localtime(&seconds);
  if (converted) parts = *converted;
  return engine::rar::dosDateTime(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                                  parts.tm_sec);
}

bool sourceDateEpoch(std::time_t& seconds) {
  const char* text = std::getenv("SOURCE_DATE_EPOCH");
  if (!text || !*text) return false;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (*end != '\0') return false;
  seconds = static_cast<std::time_t>(value);
  return true;
}

std::uint32_t entryTime(const fs::path& path) {
  std::time_t fixed = 0;
  if (sourceDateEpoch(fixed)) return dosTimeOf(fixed, true);
  std::error_code error;
  const auto written = fs::last_write_time(path, error);
  if (error) return dosTimeOf(0, true);
  const auto system = std::chrono::file_clock::to_sys(written);
  return dosTimeOf(
      std::chrono::system_clock::to_time_t(std::chrono::time_point_cast<std::chrono::system_clock::duration>(system)),
      false);
}

bool readFile(const fs::path& path, std::string& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  bytes = text.str();
  return !in.bad();
}

} // namespace

std::string lastReason(const std::vector<std::string>& logLines, const std::string& fallback) {
  if (logLines.empty()) return fallback;
  std::string line = logLines.back();
  if (line.rfind("Error: ", 0) == 0) line.erase(0, 7);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
    line.pop_back();
  return line;
}

int listArchive(const std::string& archivePath, std::ostream& out, std::ostream& err) {
  engine::MemFileArchive archive;
  if (!openArchive(archivePath, archive, err)) return 1;
  engine::LogCapture log;
  std::vector<engine::ArchiveEntry> entries;
  const bool complete = archive.list(entries);
  for (const engine::ArchiveEntry& entry : entries) {
    if (entry.isDirectory()) {
      out << "dir " << entry.name << "\n";
    } else {
      out << "file " << entry.unpackedSize << " " << hex8(entry.fileCrc) << " " << entry.name << "\n";
    }
  }
  if (!complete) {
    err << "tickwood-media: " << archivePath << ": " << lastReason(log.lines(), "cannot list the archive") << "\n";
    return 1;
  }
  return 0;
}

int catArchiveEntry(const std::string& archivePath, const std::string& name, std::ostream& out, std::ostream& err) {
  engine::MemFileArchive archive;
  if (!openArchive(archivePath, archive, err)) return 1;
  engine::LogCapture log;
  auto stream = archive.openFile(name, engine::kStreamRead);
  if (!stream) {
    err << "tickwood-media: cannot open " << name << " in " << archivePath << ": "
        << lastReason(log.lines(), "no such entry") << "\n";
    return 1;
  }
  const std::string_view bytes = static_cast<engine::MemoryStream&>(*stream).buffer();
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  return out ? 0 : 1;
}

int packFolder(const std::string& folder, const std::string& archivePath, std::ostream& err) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    err << "tickwood-media: " << folder << " is not a folder\n";
    return 1;
  }
  std::vector<std::string> files;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error)) files.push_back(fs::relative(it->path(), folder, error).generic_string());
  }
  if (error) {
    err << "tickwood-media: cannot walk " << folder << ": " << error.message() << "\n";
    return 1;
  }
  std::sort(files.begin(), files.end());

  engine::RarWriter writer;
  writer.addDirectory("Media", entryTime(folder));
  for (const std::string& relative : files) {
    std::string bytes;
    const fs::path path = fs::path(folder) / relative;
    if (!readFile(path, bytes)) {
      err << "tickwood-media: cannot read " << path.string() << "\n";
      return 1;
    }
    std::string name = "Media\\" + relative;
    std::replace(name.begin(), name.end(), '/', '\\');
    if (!writer.addFile(name, bytes, entryTime(path))) {
      err << "tickwood-media: cannot store " << relative << " (name or file too large)\n";
      return 1;
    }
  }

  // Written beside the target and renamed, so a build never sees half an archive.
  const std::string temporary = archivePath + ".partial";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const std::string& bytes = writer.finish();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      fs::remove(temporary, error);
      err << "tickwood-media: cannot write " << archivePath << "\n";
      return 1;
    }
  }
  fs::rename(temporary, archivePath, error);
  if (error) {
    fs::remove(temporary, error);
    err << "tickwood-media: cannot write " << archivePath << "\n";
    return 1;
  }
  return 0;
}

} // namespace tools
