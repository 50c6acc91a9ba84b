// msgwatch: a hidden top-level window that prints each message it receives,
// one line each, for watching broadcasts by hand and in tests.
//
//   msgwatch [--count N]
//
// Prints "ready" once it can receive, then a line per message (see
// message_line.h). Ends on SIGINT or SIGTERM, or after N messages.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "message_line.h"
#include "window.h"

namespace {

class Watcher : public platform::Window {
 public:
  explicit Watcher(long limit) : limit_(limit) {}

  std::u16string Caption() const override { return u"msgwatch"; }

  std::intptr_t HandleMessage(std::int32_t msg, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
    const std::string line = MessageLine(msg, wParam, lParam) + "\n";
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
    if (limit_ > 0 && ++seen_ == limit_) platform::StopMessageLoop();
    return 0;
  }

 private:
  long limit_;  // 0: no limit
  long seen_ = 0;
};

extern "C" void OnStopSignal(int) { platform::StopMessageLoop(); }

// The N of --count N, 0 without it, -1 for anything else.
long ParseCount(int argc, char** argv) {
  if (argc == 1) return 0;
  if (argc != 3 || std::strcmp(argv[1], "--count") != 0) return -1;
  char* end = nullptr;
  const long count = std::strtol(argv[2], &end, 10);
  return (*argv[2] != '\0' && *end == '\0' && count > 0) ? count : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const long count = ParseCount(argc, argv);
  if (count < 0) {
    std::fputs("usage: msgwatch [--count N]\n", stderr);
    return 2;
  }
  Watcher watcher(count);
  platform::TopLevelWindow window(watcher);
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  std::puts("ready");
  std::fflush(stdout);
  platform::RunMessageLoop();
  return 0;
}
