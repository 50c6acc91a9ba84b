// Running the built programs as processes from the tests (Linux).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The folder the test program runs from: the built programs are beside it.
std::filesystem::path BuildFolder();

struct Command {
  std::filesystem::path program;
  std::vector<std::string> args;
  // Set in (or, with an empty value, taken out of) the inherited environment.
  std::map<std::string, std::string> env;
  // Run as this user and group (the tests drop root this way).
  std::optional<std::pair<uid_t, gid_t>> run_as;
};

struct Outcome {
  int exit_status = -1;  // -1 when killed by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

// Runs to the end; a process still running after `watchdog` is killed and
// the test fails.
Outcome Run(const Command& command,
            std::chrono::seconds watchdog = std::chrono::seconds(60));

// A process that runs beside the test, its standard output read line by line.
class BackgroundProcess {
 public:
  explicit BackgroundProcess(const Command& command);
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;
  ~BackgroundProcess();  // kills it if still running

  // The next line without its newline, or nothing at end of output or when
  // `timeout` passes first.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);

  // Sends `signal` and reads the rest of the output; returns its lines.
  std::vector<std::string> StopAndCollect(int signal);

  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1;
  std::string pending_;
  bool eof_ = false;
};

}  // namespace testing_support
