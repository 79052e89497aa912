// The night piece as data: an eight-bar progression in A minor played six times, each
// time with a different arrangement of pad, bass, harp and music box. Whole bars make the
// loop; the last section thins out into the first.
#pragma once

#include <cmath>
#include <string>
#include <vector>

namespace tools::sound {

constexpr double kBeatsPerMinute = 64.0;
constexpr int kBeatsPerBar = 4;
constexpr int kBarsPerSection = 8;

struct Chord {
  int bass;              // MIDI note of the bass
  std::vector<int> pad;  // MIDI notes of the sustained pad
  std::vector<int> harp; // MIDI notes the harp arpeggiates, low to high
};

struct Note {
  double beat;  // from the start of the piece
  double beats; // length
  int midi;
  float velocity; // 0 ... 1
};

struct Section {
  float pad, bass, harp, melody; // levels of the four voices, 0 = silent
  int melodyPhrase;              // 0 or 1
  int melodyTranspose;           // semitones
  bool sparseMelody;             // only the first note of every bar
};

const std::vector<Chord>& progression();
const std::vector<Section>& sections();

// The melody phrase `index` (0 or 1) as notes counted from beat 0 of its section.
std::vector<Note> melodyPhrase(int index);

// Parses "E5" or "G#4" into a MIDI note number; -1 for a rest ("-") or bad text.
int midiFromName(const std::string& name);

inline double midiToHz(double midi) { return 440.0 * std::exp2((midi - 69.0) / 12.0); }

} // namespace tools::sound
