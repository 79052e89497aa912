// Runs the real executable for end-to-end tests: its own environment, its output in files,
// waiting with a time limit, signals. A process still running when its object goes is
// killed, so no test leaves one behind.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"

extern char** environ;

namespace e2e {

class Process {
public:
  // `environment`: variables to set; a value of nullopt removes the variable.
  Process(const std::vector<std::string>& arguments,
          const std::map<std::string, std::optional<std::string>>& environment, const testsupport::TempDir& folder)
      : out_(folder.file("stdout-" + std::to_string(++counter()))),
        err_(folder.file("stderr-" + std::to_string(counter()))) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      const std::string entry = *e;
      const std::string name = entry.substr(0, entry.find('='));
      if (!environment.count(name)) env.push_back(entry);
    }
    for (const auto& [name, value] : environment)
      if (value) env.push_back(name + "=" + *value);
    std::vector<char*> argv;
    for (const std::string& a : arguments)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env)
      envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    started_ = std::chrono::steady_clock::now();
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
  }

  ~Process() {
    if (running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return pid_ > 0; }
  // Whether the process is still alive; an ended one is reaped here, so asking is enough to
  // notice that it ended.
  bool running() {
    if (pid_ <= 0 || status_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
    status_ = status;
    ended_ = std::chrono::steady_clock::now();
    return false;
  }

  // The exit code, or nullopt if the process did not end within `limit` (or was killed).
  std::optional<int> wait(std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (running()) {
      if (std::chrono::steady_clock::now() > until) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (!status_ || !WIFEXITED(*status_)) return std::nullopt;
    return WEXITSTATUS(*status_);
  }

  void signal(int number) {
    if (running()) kill(pid_, number);
  }

  // Processor time used so far (user and system), in clock ticks.
  long cpuTicks() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Fields 14 and 15 (utime, stime) come after the command name in parentheses.
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
      if (i == 14) utime = std::stol(field);
      if (i == 15) stime = std::stol(field);
    }
    return utime + stime;
  }

  bool killedBySignal() const { return status_ && WIFSIGNALED(*status_); }
  std::chrono::steady_clock::time_point endedAt() const { return ended_; }
  std::chrono::milliseconds runTime() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(ended_ - started_);
  }

  std::string out() const { return testsupport::TempDir::read(out_); }
  std::string err() const { return testsupport::TempDir::read(err_); }

  // Waits until the standard error holds `text` (the log is on stderr with TICKWOOD_LOG=1).
  bool waitForError(const std::string& text, std::chrono::milliseconds limit) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
      if (err().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

private:
  static int& counter() {
    static int n = 0;
    return n;
  }

  std::filesystem::path out_;
  std::filesystem::path err_;
  pid_t pid_ = -1;
  std::optional<int> status_;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point ended_;
};

} // namespace e2e
