#include "platform/sound/SoundLock.h"

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/win32/winreg.h"

namespace sound {

SoundLock::~SoundLock() { release(); }

std::string SoundLock::path() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  // Relative values are to be ignored, as the base-directory rules say.
  if (runtime && runtime[0] == '/') return std::string(runtime) + "/tickwood-sound.lock";
  const std::string settings = win32::registryFilePath();
  const std::size_t slash = settings.rfind('/');
  if (slash == std::string::npos) return {};
  return settings.substr(0, slash + 1) + "sound.lock";
}

SoundLock::Outcome SoundLock::acquire() {
  if (held()) return Outcome::Taken;
  const std::string file = path();
  if (file.empty()) return Outcome::Unavailable;
  // The settings folder (and its parents) may not exist yet on a first run.
  for (std::size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1))
    mkdir(file.substr(0, slash).c_str(), 0700);
  const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return Outcome::Unavailable;
  int result = 0;
  do {
    result = flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const bool busy = errno == EWOULDBLOCK;
    close(fd);
    return busy ? Outcome::HeldElsewhere : Outcome::Unavailable;
  }
  fd_ = fd;
  return Outcome::Taken;
}

void SoundLock::release() {
  if (fd_ < 0) return;
  // Closing the file lets go of the lock; the file stays for the next run.
  close(fd_);
  fd_ = -1;
}

} // namespace sound
