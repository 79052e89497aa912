#include "tools/mediagen/sound/MusicScore.h"

#include <cstdlib>
#include <sstream>

namespace tools::sound {

const std::vector<Chord>& progression() {
  // i - VI7 - III - VII - i - iv - V sus4 - V: a slow minor cadence that leans home.
  static const std::vector<Chord> chords{
      {45, {57, 60, 64, 69}, {57, 64, 69, 72, 76}}, // A minor
      {41, {53, 57, 60, 64}, {53, 60, 65, 69, 72}}, // F major seventh
      {48, {55, 60, 64, 67}, {55, 60, 64, 67, 72}}, // C major
      {43, {55, 59, 62, 67}, {55, 62, 67, 71, 74}}, // G major
      {45, {57, 60, 64, 69}, {57, 64, 69, 72, 76}}, // A minor
      {50, {53, 57, 62, 65}, {50, 57, 62, 65, 69}}, // D minor
      {40, {52, 57, 59, 64}, {52, 59, 64, 69, 71}}, // E suspended fourth
      {40, {52, 56, 59, 64}, {52, 59, 64, 68, 71}}, // E major
  };
  return chords;
}

const std::vector<Section>& sections() {
  static const std::vector<Section> list{
      {1.0f, 0.8f, 0.55f, 0.0f, 0, 0, false}, // pad and a soft harp: the room breathing
      {1.0f, 1.0f, 0.0f, 0.9f, 0, 0, false},  // the theme on the music box
      {0.9f, 1.0f, 0.75f, 1.0f, 1, 0, false}, // the answer, with the harp
      {0.8f, 0.7f, 0.0f, 0.7f, 0, 12, false}, // the theme again, an octave up, softly
      {0.9f, 0.9f, 0.8f, 0.85f, 1, 0, false}, // the answer once more
      {1.0f, 0.7f, 0.0f, 0.6f, 0, 0, true},   // only long notes, fading into the start
  };
  return list;
}

namespace {

// Bars separated by '|', notes as name/beats, '-' for a rest.
constexpr const char* kPhrases[2] = {
    "E5/2 D5/1 C5/1 | C5/3 A4/1 | G4/2 C5/1 E5/1 | D5/4 | E5/2 G5/1 E5/1 | F5/2 E5/1 D5/1 |"
    " E5/1 D5/1 B4/2 | G#4/2 B4/2",
    "A5/2 G5/1 E5/1 | F5/2 E5/1 C5/1 | E5/3 G4/1 | B4/2 D5/2 | C5/2 B4/1 A4/1 | D5/2 F5/1 A5/1 |"
    " A5/1 G5/1 E5/1 D5/1 | B4/2 -/2",
};

} // namespace

int midiFromName(const std::string& name) {
  static constexpr int kSteps[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
  if (name.size() < 2 || name[0] < 'A' || name[0] > 'G') return -1;
  int semitone = kSteps[name[0] - 'A'];
  std::size_t at = 1;
  if (name[at] == '#') {
    ++semitone;
    ++at;
  } else if (name[at] == 'b') {
    --semitone;
    ++at;
  }
  if (at + 1 != name.size() || name[at] < '0' || name[at] > '9') return -1;
  return (name[at] - '0' + 1) * 12 + semitone;
}

std::vector<Note> melodyPhrase(int index) {
  std::vector<Note> notes;
  std::istringstream text(kPhrases[index == 0 ? 0 : 1]);
  std::string token;
  double beat = 0.0;
  while (text >> token) {
    if (token == "|") continue;
    const std::size_t slash = token.find('/');
    const double beats = std::atof(token.c_str() + slash + 1);
    const int midi = midiFromName(token.substr(0, slash));
    // Notes on the bar's first beat sing out a little more.
    const bool downbeat = static_cast<int>(beat) % kBeatsPerBar == 0;
    if (midi >= 0) notes.push_back({beat, beats, midi, downbeat ? 0.85f : 0.7f});
    beat += beats;
  }
  return notes;
}

} // namespace tools::sound
