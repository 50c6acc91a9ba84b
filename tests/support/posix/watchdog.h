// Ends a test that hangs: if the watched call has not returned within the
// limit, the processes the test started are killed and the test program
// aborts with a message. Only whether a call returns is asserted this way,
// never how fast.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace testing_support {

class Watchdog {
 public:
  Watchdog(std::string what, std::chrono::seconds limit = std::chrono::seconds(60));
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;
  ~Watchdog();

 private:
  std::mutex mutex_;
  std::condition_variable done_changed_;
  bool done_ = false;
  std::thread thread_;
};

// The processes a test started, killed by a watchdog that fires.
void RegisterChild(pid_t pid);
void ForgetChild(pid_t pid);

}  // namespace testing_support
