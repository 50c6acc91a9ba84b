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

// A process that runs beside the test, its standard output read line by
// line; standard input is /dev/null, standard error the test's own.
class BackgroundProcess {
 public:
  explicit BackgroundProcess(const Command& command);
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;
  ~BackgroundProcess();  // kills it if still running

  // The next line without its newline, or nothing at end of output or when
  // `timeout` passes first.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);

  // The whole lines written so far, without waiting for more.
  std::vector<std::string> LinesSoFar();

  // Sends `signal` (0 sends none), reads the output to its end and reaps
  // the process; one that ignores the signal is killed after a generous
  // while. Returns the lines not read before.
  std::vector<std::string> StopAndCollect(int signal);

  pid_t pid() const { return pid_; }

  // Wait status of the reaped process (after StopAndCollect).
  int wait_status() const { return wait_status_; }

 private:
  // Reads what there is within `timeout_ms`; false at end of output.
  bool Fill(int timeout_ms);
  std::optional<std::string> TakeLine();

  pid_t pid_ = -1;
  int out_fd_ = -1;
  std::string pending_;
  bool eof_ = false;
  int wait_status_ = -1;
};

}  // namespace testing_support
