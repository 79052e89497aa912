// The engine log: a sink that takes one line of text at a time. Lines go nowhere unless
// the user asks for them on stderr (TICKWOOD_LOG=1 or the program's --log option); tests
// capture them to check the exact texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace engine {

// Records one line; a line that does not end in "\n" gets one.
void logLine(std::string_view text);

// Echo every line to stderr from now on (or stop).
void setLogEcho(bool toStderr);
bool logEcho();
// Turns the echo on when TICKWOOD_LOG is set to a non-empty value other than "0".
void configureLogFromEnvironment();

// Collects the lines logged while it exists (captures nest; the innermost one collects).
class LogCapture {
public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  const std::vector<std::string>& lines() const { return lines_; }
  bool contains(std::string_view line) const;
  void clear() { lines_.clear(); }

private:
  friend void logLine(std::string_view text);
  std::vector<std::string> lines_;
  LogCapture* previous_;
};

} // namespace engine
