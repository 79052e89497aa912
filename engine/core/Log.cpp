#include "engine/core/Log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace engine {
namespace {

struct LogState {
  bool echo = false;
  LogCapture* capture = nullptr;
};

LogState& state() {
  static LogState s;
  return s;
}

} // namespace

void logLine(std::string_view text) {
  std::string line(text);
  if (line.empty() || line.back() != '\n') line.push_back('\n');
  LogState& s = state();
  if (s.capture) s.capture->lines_.push_back(line);
  if (s.echo) {
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
  }
}

void setLogEcho(bool toStderr) { state().echo = toStderr; }
bool logEcho() { return state().echo; }

void configureLogFromEnvironment() {
  const char* value = std::getenv("TICKWOOD_LOG");
  if (value && *value && std::string_view(value) != "0") setLogEcho(true);
}

LogCapture::LogCapture() : previous_(state().capture) { state().capture = this; }
LogCapture::~LogCapture() { state().capture = previous_; }

bool LogCapture::contains(std::string_view line) const {
  return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

} // namespace engine
