// A program run beside the test, its standard output read line by line.
// Killed and reaped with the object if still running.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace broadcast_testing {

class SpawnedProcess {
 public:
  // Standard input is /dev/null, standard error the test's own; the
  // environment is the test's.
  SpawnedProcess(const std::filesystem::path& program,
                 const std::vector<std::string>& args = {});
  SpawnedProcess(const SpawnedProcess&) = delete;
  SpawnedProcess& operator=(const SpawnedProcess&) = delete;
  ~SpawnedProcess();

  pid_t pid() const { return pid_; }

  // The next whole line, or nothing when `timeout` passes or output ended.
  std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);

  // The whole lines written so far, without waiting for more.
  std::vector<std::string> LinesSoFar();

  // Sends `signal`, reads the output to its end and reaps the process.
  // Returns the lines not read before.
  std::vector<std::string> StopAndCollect(int signal);

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

}  // namespace broadcast_testing
