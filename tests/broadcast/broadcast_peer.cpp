// A program for the broadcast tests that both receives and sends: a hidden
// window that prints what it gets (as msgwatch does); on SIGUSR1 it
// broadcasts WM_WININICHANGE with the text "from <pid>" and prints "sent"
// once the call returned; SIGTERM ends it.

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <string>

#include "message_line.h"
#include "messages.h"
#include "system_functions.h"
#include "window.h"

namespace {

std::atomic<bool> send_requested{false};
std::atomic<bool> end_requested{false};

extern "C" void OnSend(int) {
  send_requested.store(true);
  platform::StopMessageLoop();
}

extern "C" void OnEnd(int) {
  end_requested.store(true);
  platform::StopMessageLoop();
}

void PrintLine(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

class Printer : public platform::Window {
 public:
  std::u16string Caption() const override { return u"broadcast_peer"; }
  std::intptr_t HandleMessage(std::int32_t msg, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
    PrintLine(MessageLine(msg, wParam, lParam));
    return 0;
  }
};

}  // namespace

int main() {
  Printer printer;
  platform::TopLevelWindow window(printer);
  std::signal(SIGUSR1, OnSend);
  std::signal(SIGTERM, OnEnd);
  PrintLine("ready");
  while (!end_requested.load()) {
    platform::RunMessageLoop();
    if (send_requested.exchange(false)) {
      const std::string text = "from " + std::to_string(getpid());
      std::u16string wide(text.begin(), text.end());
      platform::SendMessageA(platform::HWND_BROADCAST, platform::WM_WININICHANGE,
                             0, wide);
      PrintLine("sent");
    }
  }
  return 0;
}
