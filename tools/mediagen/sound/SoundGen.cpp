// tickwood-soundgen <sound> <output.ogg>: synthesises one of the room's sounds and writes it
// as Ogg Vorbis. Sounds: music, rain, thunder1 (close), thunder2 (far), thunder3 (rolling),
// ticks. The build runs it once per sound so the two cores share the work. The ticking is
// not encoded as a loop: its loop starts on a strike, and the encoder would smear that
// strike back into the silent end.
#include "tools/mediagen/sound/OggVorbisWriter.h"
#include "tools/mediagen/sound/Synths.h"

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

namespace {

struct Recipe {
  const char* name;
  std::function<tools::sound::Sound()> make;
  tools::sound::VorbisSettings settings;
};

// Serial numbers are fixed so that every build writes the same bytes.
const Recipe kRecipes[] = {
    {"music", tools::sound::makeMusic, {0.35f, 0x7100, "Night Music", true}},
    {"rain", tools::sound::makeRain, {0.3f, 0x7101, "Rain", true}},
    {"thunder1",
     [] { return tools::sound::makeThunder(tools::sound::ThunderKind::Close); },
     {0.3f, 0x7102, "Thunder (close)"}},
    {"thunder2",
     [] { return tools::sound::makeThunder(tools::sound::ThunderKind::Far); },
     {0.3f, 0x7103, "Thunder (far)"}},
    {"thunder3",
     [] { return tools::sound::makeThunder(tools::sound::ThunderKind::Rolling); },
     {0.3f, 0x7104, "Thunder (rolling)"}},
    {"ticks", tools::sound::makeTicks, {1.0f, 0x7105, "Clock Ticks"}},
};

double toDecibels(double value) { return value > 0 ? 20.0 * std::log10(value) : -999.0; }

} // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tickwood-soundgen <music|rain|thunder1|thunder2|thunder3|ticks> <output.ogg>\n");
    return 2;
  }
  const std::string wanted = argv[1];
  for (const Recipe& recipe : kRecipes) {
    if (wanted != recipe.name) continue;
    const tools::sound::Sound sound = recipe.make();
    std::string error;
    if (!tools::sound::writeOggVorbis(argv[2], sound, recipe.settings, error)) {
      std::fprintf(stderr, "tickwood-soundgen: %s\n", error.c_str());
      std::remove(argv[2]);
      return 1;
    }
    std::printf("%s: %.3f s, %s, peak %.1f dBFS, RMS %.1f dBFS\n", argv[2],
                static_cast<double>(sound.frames()) / tools::sound::kSampleRate, sound.stereo() ? "stereo" : "mono",
                toDecibels(tools::sound::peakOf(sound)), toDecibels(tools::sound::rmsOf(sound)));
    return 0;
  }
  std::fprintf(stderr, "tickwood-soundgen: unknown sound '%s'\n", wanted.c_str());
  return 2;
}
