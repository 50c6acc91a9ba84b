#include "watchdog.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <set>

namespace testing_support {
namespace {

std::mutex children_mutex;
std::set<pid_t> children;

}  // namespace

void RegisterChild(pid_t pid) {
  std::lock_guard lock(children_mutex);
  children.insert(pid);
}

void ForgetChild(pid_t pid) {
  std::lock_guard lock(children_mutex);
  children.erase(pid);
}

Watchdog::Watchdog(std::string what, std::chrono::seconds limit)
    : thread_([this, what = std::move(what), limit] {
        std::unique_lock lock(mutex_);
        if (done_changed_.wait_for(lock, limit, [this] { return done_; })) return;
        std::fprintf(stderr, "watchdog: %s did not return within %lld s\n",
                     what.c_str(), static_cast<long long>(limit.count()));
        {
          std::lock_guard children_lock(children_mutex);
          for (const pid_t child : children) kill(child, SIGKILL);
        }
        std::abort();
      }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  done_changed_.notify_all();
  thread_.join();
}

}  // namespace testing_support
