// An archive of files the file layer can search and open entries from (the embedded media
// archive is the one implementation the program uses).
#pragma once

#include <memory>
#include <string_view>

#include "engine/data/Stream.h"

namespace engine {

struct FileLocation;

class Archive {
public:
  // Takes the archive's bytes from a location.
  virtual bool open(const FileLocation& location) = 0;
  virtual void close() = 0;
  virtual bool exists(std::string_view name) = 0;
  // A new stream over the entry, or null when it cannot be opened.
  virtual std::unique_ptr<Stream> openFile(std::string_view name, int mode) = 0;
  virtual ~Archive() = default;

protected:
  Archive() = default;
  Archive(const Archive&) = default;
  Archive& operator=(const Archive&) = default;
};

} // namespace engine
