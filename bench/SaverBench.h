// What the saver's benchmarks share: the packed media archive linked as the program links it,
// a settings folder of their own, and a saver started full screen on the OpenGL device (or
// the recording device).
#pragma once

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>

#include "clockroom/ClockApplication.h"
#include "engine/data/MediaLibrary.h"
#include "platform/d3d9/recording/RecordingDirect3D.h"
#include "platform/win32/resources.h"

namespace bench {

class LinkedMedia {
public:
  LinkedMedia() {
    std::ifstream in(TICKWOOD_MEDIA_ARCHIVE, std::ios::binary);
    bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    win32::registerResource("MEMFILE", engine::kMediaArchiveResource, bytes_.data(), bytes_.size());
    settings_ = std::filesystem::temp_directory_path() / ("tickwood-room-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(settings_);
    setenv("XDG_CONFIG_HOME", settings_.c_str(), 1);
    // The room's sounds are mixed as in a run, to SDL's silent output unless told otherwise.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
  ~LinkedMedia() {
    win32::unregisterResource("MEMFILE", engine::kMediaArchiveResource);
    std::error_code ignored;
    std::filesystem::remove_all(settings_, ignored);
  }
  LinkedMedia(const LinkedMedia&) = delete;
  LinkedMedia& operator=(const LinkedMedia&) = delete;
  bool present() const { return !bytes_.empty(); }
  // The values of the settings the saver will read (REGEDIT4 lines).
  void writeSettings(const std::string& values) const {
    std::filesystem::create_directories(settings_ / "tickwood");
    std::ofstream(settings_ / "tickwood" / "registry.reg")
        << "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n"
        << values;
  }

private:
  std::string bytes_;
  std::filesystem::path settings_;
};

// A started saver; null with the reason in `failure`.
inline std::unique_ptr<saver::ClockApplication> startSaver(bool recording, std::string& failure) {
  auto application = std::make_unique<saver::ClockApplication>();
  if (recording) application->setDirect3DFactory([] { return d3d9::createRecordingDirect3D(); });
  if (!application->startUp(nullptr, saver::RunMode::Saver, nullptr)) {
    failure = "the saver did not start";
    return nullptr;
  }
  application->frameLoop().begin();
  return application;
}

// A saver started on the OpenGL device with `media` and run for `warmUpFrames` frames (so
// that programs, textures and queues exist); null, with the benchmark skipped and the
// reason given, when it cannot start.
inline std::unique_ptr<saver::ClockApplication> warmSaver(benchmark::State& state, const LinkedMedia& media,
                                                          int warmUpFrames) {
  std::string failure = "no media archive";
  auto application = media.present() ? startSaver(false, failure) : nullptr;
  if (!application) {
    state.SkipWithError(failure.c_str());
    return nullptr;
  }
  for (int frame = 0; frame < warmUpFrames; ++frame)
    application->frameLoop().runFrame();
  return application;
}

} // namespace bench
