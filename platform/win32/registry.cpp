// The registry calls over the REGEDIT4 file of the current user.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/win32/desktop.h"
#include "platform/win32/registry_file.h"
#include "platform/win32/winbase.h"
#include "platform/win32/winreg.h"

namespace win32::detail {
namespace {

constexpr std::string_view kCurrentUser = "HKEY_CURRENT_USER";

struct OpenKey {
  std::string path;
  REGSAM access = 0;
};

struct Registry {
  std::map<UINT_PTR, OpenKey> open;
  UINT_PTR next = 0x1000;
  RegistryDocument document; // as last read from the file
  int batches = 0;           // RegistryBatch objects open
  bool readInBatch = false;  // the parsed settings hold the batch's changes: not read again
  std::string batchFile;     // where the open batch writes, once something changed
};

Registry& registry() {
  static Registry r;
  return r;
}

enum class FileState { Missing, Read, SetAside, Unreadable };

LONG errorOf(int error) {
  return error == EACCES || error == EPERM || error == EROFS ? ERROR_ACCESS_DENIED : ERROR_WRITE_FAULT;
}

bool makeDirectories(const std::string& folder) {
  std::string partial;
  for (std::size_t i = 0; i <= folder.size(); ++i) {
    if (i == folder.size() || (folder[i] == '/' && i > 0)) {
      partial = folder.substr(0, i);
      if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

// A free name next to the damaged file: the first of ".damaged", ".damaged.2", ... that
// does not exist, so an earlier damaged copy is never replaced either.
std::string asideName(const std::string& path) {
  std::string candidate = path + ".damaged";
  struct stat info {};
  for (int n = 2; lstat(candidate.c_str(), &info) == 0; ++n)
    candidate = path + ".damaged." + std::to_string(n);
  return candidate;
}

// A settings file is a few kilobytes; anything larger is not ours, and a link to an
// endless file (/dev/zero) must not grow the process.
constexpr std::size_t kMaxFileBytes = 1024 * 1024;

enum class ReadResult { Read, TooLarge, Failed };

// Reads at most kMaxFileBytes, and one byte more to tell a file at the limit from a larger one.
ReadResult readCapped(const std::string& path, std::string& text, int& error) {
  // Without O_NONBLOCK a FIFO in the file's place would hold the start-up forever.
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    error = errno;
    return ReadResult::Failed;
  }
  char buffer[4096];
  ssize_t got = 0;
  while (text.size() <= kMaxFileBytes &&
         (got = read(fd, buffer, std::min(sizeof buffer, kMaxFileBytes + 1 - text.size()))) > 0)
    text.append(buffer, static_cast<std::size_t>(got));
  error = errno;
  close(fd);
  if (got < 0) return ReadResult::Failed;
  return text.size() > kMaxFileBytes ? ReadResult::TooLarge : ReadResult::Read;
}

// Renames a file the settings cannot come from out of the way, so the defaults apply and
// the next write does not destroy it.
FileState setAside(const std::string& path, const std::string& problem) {
  const std::string aside = asideName(path);
  if (rename(path.c_str(), aside.c_str()) != 0) {
    reportDiagnostic("Registry file " + path + " " + problem + " and cannot be moved aside; it is left as it is");
    return FileState::Unreadable;
  }
  reportDiagnostic("Registry file " + path + " " + problem + "; it is kept as " + aside +
                   " and the settings start from their defaults");
  return FileState::SetAside;
}

FileState load(const std::string& path, RegistryDocument& document) {
  document = RegistryDocument{};
  std::string text;
  int error = 0;
  const ReadResult outcome = readCapped(path, text, error);
  if (outcome == ReadResult::Failed) return error == ENOENT ? FileState::Missing : FileState::Unreadable;
  if (outcome == ReadResult::TooLarge) return setAside(path, "is larger than 1 MiB");
  std::string why;
  if (RegistryDocument::parse(text, document, why)) return FileState::Read;
  return setAside(path, "is damaged (" + why + ")");
}

// Write to a temporary file in the same folder, flush it, then rename it over the old file:
// a crash leaves either the old file or the new one, never a mix.
LONG writeAtomically(const std::string& path, const RegistryDocument& document) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  if (!makeDirectories(folder)) return errorOf(errno);
  const std::string temporary = path + ".tmp." + std::to_string(getpid());
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return errorOf(errno);
  const std::string text = document.serialize();
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t n = write(fd, text.data() + written, text.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      const LONG error = errorOf(errno);
      close(fd);
      unlink(temporary.c_str());
      return error;
    }
    written += static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0 || close(fd) != 0) {
    unlink(temporary.c_str());
    return ERROR_WRITE_FAULT;
  }
  if (rename(temporary.c_str(), path.c_str()) != 0) {
    const LONG error = errorOf(errno);
    unlink(temporary.c_str());
    return error;
  }
  const int directory = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (directory >= 0) {
    fsync(directory);
    close(directory);
  }
  return ERROR_SUCCESS;
}

// A settings folder that is read-only or on a full disk must not end a run: the caller gets
// the error, the log says why, and the old file stays as it was.
LONG store(const std::string& path, const RegistryDocument& document) {
  if (registry().batches > 0) {
    registry().batchFile = path; // written when the batch commits
    return ERROR_SUCCESS;
  }
  const LONG error = writeAtomically(path, document);
  if (error != ERROR_SUCCESS)
    reportDiagnostic("Registry file " + path + " cannot be written (" + std::strerror(errno) +
                     "); it keeps its old contents");
  return error;
}

// Reads the file afresh (another process may have written it). Fails when the file must
// not be replaced.
LONG refresh(std::string& path) {
  path = registryFilePath();
  if (path.empty()) return ERROR_ACCESS_DENIED;
  Registry& r = registry();
  if (r.batches > 0 && r.readInBatch) return ERROR_SUCCESS;
  if (load(path, r.document) == FileState::Unreadable) return ERROR_ACCESS_DENIED;
  r.readInBatch = r.batches > 0;
  return ERROR_SUCCESS;
}

std::string keyPath(HKEY parent, LPCSTR subKey, LONG& error) {
  std::string base;
  if (parent == HKEY_CURRENT_USER) {
    base = kCurrentUser;
  } else {
    auto it = registry().open.find(reinterpret_cast<UINT_PTR>(parent));
    if (it == registry().open.end()) {
      error = ERROR_INVALID_HANDLE;
      return {};
    }
    base = it->second.path;
  }
  std::string_view sub = subKey ? subKey : "";
  while (!sub.empty() && sub.front() == '\\')
    sub.remove_prefix(1);
  while (!sub.empty() && sub.back() == '\\')
    sub.remove_suffix(1);
  // A key name cannot hold what would break its line in the file.
  if (sub.find_first_of("[]\n\r") != std::string_view::npos) {
    error = ERROR_INVALID_PARAMETER;
    return {};
  }
  error = ERROR_SUCCESS;
  return sub.empty() ? base : base + "\\" + std::string(sub);
}

OpenKey* openKey(HKEY key) {
  auto it = registry().open.find(reinterpret_cast<UINT_PTR>(key));
  return it == registry().open.end() ? nullptr : &it->second;
}

LONG openOrCreate(HKEY parent, LPCSTR subKey, REGSAM access, bool create, PHKEY result, DWORD* disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  LONG error = ERROR_SUCCESS;
  const std::string path = keyPath(parent, subKey, error);
  if (error != ERROR_SUCCESS) return error;
  std::string file;
  if ((error = refresh(file)) != ERROR_SUCCESS) return error;
  RegistryDocument& document = registry().document;
  const bool exists = document.find(path) != nullptr || path == kCurrentUser;
  if (!exists) {
    if (!create) return ERROR_FILE_NOT_FOUND;
    document.add(path);
    if ((error = store(file, document)) != ERROR_SUCCESS) return error;
  }
  if (disposition) *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  const UINT_PTR handle = registry().next += 0x10;
  registry().open[handle] = OpenKey{path, access};
  *result = reinterpret_cast<HKEY>(handle);
  return ERROR_SUCCESS;
}

// Applies `change` to the key in a freshly read document and writes it back.
template <typename Change> LONG modify(HKEY key, Change change) {
  OpenKey* open = openKey(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if ((open->access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  std::string file;
  if (const LONG error = refresh(file); error != ERROR_SUCCESS) return error;
  RegistryKey& target = registry().document.add(open->path);
  const LONG result = change(target);
  if (result != ERROR_SUCCESS) return result;
  return store(file, registry().document);
}

} // namespace
} // namespace win32::detail

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, const void*, PHKEY result,
                     DWORD* disposition) {
  return win32::detail::openOrCreate(key, subKey, access, true, result, disposition);
}

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
  return win32::detail::openOrCreate(key, subKey, access, false, result, nullptr);
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, DWORD*, DWORD* type, BYTE* data, DWORD* dataSize) {
  win32::detail::OpenKey* open = win32::detail::openKey(key);
  if (!open) return ERROR_INVALID_HANDLE;
  if ((open->access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (data && !dataSize) return ERROR_INVALID_PARAMETER;
  win32::RegistryKey* stored = win32::detail::registry().document.find(open->path);
  win32::RegistryValue* value = stored ? stored->find(valueName ? valueName : "") : nullptr;
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (type) *type = value->type;
  const auto size = static_cast<DWORD>(value->data.size());
  if (!data) {
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::memcpy(data, value->data.data(), size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD dataSize) {
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  const std::string_view name = valueName ? valueName : "";
  if (name.find_first_of("\n\r") != std::string_view::npos) return ERROR_INVALID_PARAMETER;
  return win32::detail::modify(key, [&](win32::RegistryKey& target) {
    win32::RegistryValue value;
    value.name = name;
    value.type = type;
    if (dataSize) value.data.assign(data, data + dataSize);
    target.set(std::move(value));
    return static_cast<LONG>(ERROR_SUCCESS);
  });
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName) {
  return win32::detail::modify(key, [&](win32::RegistryKey& target) {
    return static_cast<LONG>(target.erase(valueName ? valueName : "") ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND);
  });
}

LONG RegFlushKey(HKEY key) { return win32::detail::openKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

LONG RegCloseKey(HKEY key) {
  return win32::detail::registry().open.erase(reinterpret_cast<UINT_PTR>(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

namespace win32 {

RegistryBatch::RegistryBatch() { ++detail::registry().batches; }

RegistryBatch::~RegistryBatch() { commit(); }

LONG RegistryBatch::commit() {
  if (!open_) return ERROR_SUCCESS;
  open_ = false;
  detail::Registry& r = detail::registry();
  if (--r.batches > 0) return ERROR_SUCCESS;
  r.readInBatch = false;
  if (r.batchFile.empty()) return ERROR_SUCCESS;
  const std::string file = std::move(r.batchFile);
  r.batchFile.clear();
  return detail::store(file, r.document);
}

std::string registryFilePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  // Relative values are to be ignored, as the base-directory rules say.
  if (config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return {};
    base = std::string(home) + "/.config";
  }
  return base + "/tickwood/registry.reg";
}

} // namespace win32
