// A stand-in for the saver's frame loop that drives the room's sounds the way the clock room
// does: start and load them, restart the fade-in, then every frame (about 60 a second) the
// update with the camera, and thunder 500 ms after each flash; the shut-down at the end.
// The end-to-end audio tests run it on SDL's disk audio driver and read what was mixed.
//
//   tickwood_room_sounds_run FOLDER SECONDS [--volume V] [--music 0|1] [--sound 0|1]
//                            [--distance D] [--flash MS]...
//
// FOLDER holds the "Media" folder the sounds come from; the camera stands D units from the
// clock face and looks at it; each --flash is a lightning flash MS after the room loaded.
// On the disk audio driver, each flash prints "flash at frame N": how many frames the
// output file held at that moment. Under load the driver's clock lags the wall clock, so
// a test places the thunder against this rather than against the time of the run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "audio/RoomSounds.h"
#include "engine/app/Stopwatch.h"
#include "engine/core/Log.h"
#include "platform/win32/desktop.h"

namespace {

struct RunOptions {
  std::filesystem::path folder;
  double seconds = 0.0;
  audio::SoundSettings settings;
  float distance = 200.0f;
  std::vector<std::int64_t> flashes;
};

bool parse(int argc, char** argv, RunOptions& options) {
  if (argc < 3) return false;
  options.folder = argv[1];
  options.seconds = std::atof(argv[2]);
  for (int i = 3; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const char* value = argv[i + 1];
    if (option == "--volume") {
      options.settings.volume = std::atoi(value);
    } else if (option == "--music") {
      options.settings.music = std::atoi(value) != 0;
    } else if (option == "--sound") {
      options.settings.sound = std::atoi(value) != 0;
    } else if (option == "--distance") {
      options.distance = static_cast<float>(std::atof(value));
    } else if (option == "--flash") {
      options.flashes.push_back(std::atoll(value));
    } else {
      return false;
    }
  }
  return options.seconds > 0.0;
}

void logDiagnostic(std::string_view line) { engine::logLine(line); }

void reportFlash() {
  const char* output = std::getenv("SDL_DISKAUDIOFILE");
  std::error_code error;
  const std::uintmax_t bytes = output ? std::filesystem::file_size(output, error) : 0;
  std::printf("flash at frame %ju\n", error ? std::uintmax_t{0} : bytes / (2 * sizeof(float)));
  std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
  RunOptions options;
  if (!parse(argc, argv, options)) {
    std::fputs("usage: tickwood_room_sounds_run FOLDER SECONDS [--volume V] [--music 0|1] [--sound 0|1] "
               "[--distance D] [--flash MS]...\n",
               stderr);
    return 2;
  }
  engine::configureLogFromEnvironment();
  win32::setDiagnosticSink(logDiagnostic);
  std::filesystem::current_path(options.folder);

  engine::MediaLibrary media;
  audio::RoomSounds sounds;
  const D3DXVECTOR3 clockFace{0.0f, 0.0f, 0.0f};
  sounds.start(nullptr);
  sounds.loadSounds(media, options.settings, clockFace);
  sounds.restartFadeIn();
  engine::Stopwatch sinceLoad;
  std::vector<engine::Stopwatch> thunderQueue;
  std::size_t nextFlash = 0;
  // The camera across from the dial (which faces +Y), looking at it, Z up.
  const engine::CameraPose camera{{0.0f, options.distance, 0.0f}, {0.0f, -1.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
  while (sinceLoad.elapsedMs() < static_cast<std::int64_t>(options.seconds * 1000.0)) {
    sounds.update(camera);
    if (nextFlash < options.flashes.size() && sinceLoad.elapsedMs() >= options.flashes[nextFlash]) {
      thunderQueue.emplace_back();
      ++nextFlash;
      reportFlash();
    }
    for (auto due = thunderQueue.begin(); due != thunderQueue.end();) {
      if (due->elapsedMs() >= 500) {
        sounds.playThunder(0);
        due = thunderQueue.erase(due);
      } else {
        ++due;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(16));
  }
  sounds.shutdown();
  return 0;
}
