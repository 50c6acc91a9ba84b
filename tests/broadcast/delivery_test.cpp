// A broadcast reaches every top-level window of the user once, and returns
// only after each has handled it.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "broadcast_fixture.h"
#include "fake_peer.h"
#include "messages.h"
#include "watchdog.h"
#include "window.h"

namespace broadcast_testing {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

struct DeliveryCase {
  const char* name;
  std::uint32_t msg;
  std::uintptr_t wParam;
  std::optional<std::string> text;  // lParam is this text's address
  std::intptr_t number;             // lParam without a text
  std::string line;                 // what msgwatch prints
};

class Delivery : public BroadcastTest, public testing::WithParamInterface<DeliveryCase> {};

TEST_P(Delivery, EachReceiverHandledItOnceWhenTheCallReturns) {
  const DeliveryCase& c = GetParam();
  auto watchers = StartWatchers(3);

  const std::intptr_t lParam =
      c.text ? reinterpret_cast<std::intptr_t>(c.text->c_str()) : c.number;
  EXPECT_EQ(BroadcastRaw(c.msg, c.wParam, lParam), 0);

  // Each printed its line before answering: the lines are there already.
  for (auto& watcher : watchers) EXPECT_THAT(watcher->LinesSoFar(), ElementsAre(c.line));
  for (auto& watcher : watchers) {
    EXPECT_THAT(watcher->StopAndCollect(SIGTERM), IsEmpty());
    EXPECT_TRUE(WIFEXITED(watcher->wait_status()) && WEXITSTATUS(watcher->wait_status()) == 0);
  }
  EXPECT_THAT(Endpoints(), IsEmpty()) << "a watcher that ended left its endpoint";
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Delivery,
    testing::Values(
        DeliveryCase{"WinIniChange", 0x1A, 0, "windows", 0, kWindowsLine},
        DeliveryCase{"OtherSectionAndWparam", 0x1A, 42, "intl", 0,
                     R"(WM_WININICHANGE wParam=42 lParam="intl")"},
        DeliveryCase{"NullText", 0x1A, 1, std::nullopt, 0, "WM_WININICHANGE wParam=1 lParam=0"},
        DeliveryCase{"TextBytesGoAsTheyAre", 0x1A, 0, "caf\xe9 \"x\"", 0,
                     R"(WM_WININICHANGE wParam=0 lParam="caf\xE9 \"x\"")"},
        DeliveryCase{"NumberMessage", 0x0400, 9, std::nullopt, -12345,
                     "msg=0x0400 wParam=9 lParam=-12345"}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(BroadcastTest, SixtyFourReceiversEachGetItOnce) {
  auto watchers = StartWatchers(64);
  ASSERT_EQ(Endpoints().size(), 64u);
  BroadcastWindowsChange();
  for (auto& watcher : watchers) EXPECT_THAT(watcher->LinesSoFar(), ElementsAre(kWindowsLine));
  for (auto& watcher : watchers) EXPECT_THAT(watcher->StopAndCollect(SIGINT), IsEmpty());
}

TEST_F(BroadcastTest, WatcherEndsByItselfAfterItsCount) {
  auto watcher = StartWatcher({"--count", "2"});
  BroadcastWindowsChange();
  BroadcastRaw(0x0400, 1, 2);
  // No signal: the watcher must have ended on its own for the output to end.
  EXPECT_THAT(watcher->StopAndCollect(0), ElementsAre(kWindowsLine, "msg=0x0400 wParam=1 lParam=2"));
  EXPECT_TRUE(WIFEXITED(watcher->wait_status()) && WEXITSTATUS(watcher->wait_status()) == 0);
  EXPECT_THAT(Endpoints(), IsEmpty());
}

// A window of the test process itself, recording what reaches it.
class RecordingWindow : public platform::Window {
 public:
  struct Received {
    std::int32_t msg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::string text;
  };

  std::u16string Caption() const override { return u"recorder"; }
  std::intptr_t HandleMessage(std::int32_t msg, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
    received.push_back({msg, wParam, lParam,
                        msg == 0x1A && lParam != 0 ? reinterpret_cast<const char*>(lParam) : ""});
    if (on_message) on_message(msg);
    return result;
  }

  std::vector<Received> received;
  std::function<void(std::int32_t)> on_message;
  std::intptr_t result = 0;
};

TEST_F(BroadcastTest, WindowOfTheSendingProcessGetsItsOwnCopyDirectly) {
  auto watcher = StartWatcher();
  RecordingWindow own;
  platform::TopLevelWindow window(own);
  ASSERT_EQ(EndpointsOf(getpid()).size(), 1u);

  const std::string text = "windows";
  BroadcastRaw(0x1A, 0, reinterpret_cast<std::intptr_t>(text.c_str()));

  ASSERT_EQ(own.received.size(), 1u);
  EXPECT_EQ(own.received[0].msg, 0x1A);
  EXPECT_EQ(own.received[0].text, "windows");
  EXPECT_NE(own.received[0].lParam, reinterpret_cast<std::intptr_t>(text.c_str()))
      << "the receiver must get a copy of the text, not the sender's";
  EXPECT_THAT(watcher->LinesSoFar(), ElementsAre(kWindowsLine));
}

TEST_F(BroadcastTest, WindowProcedureMayBroadcastInTurn) {
  auto watcher = StartWatcher();
  RecordingWindow own;
  own.on_message = [](std::int32_t msg) {
    if (msg == 0x1A) BroadcastRaw(0x0400, 3, 4);
  };
  platform::TopLevelWindow window(own);

  BroadcastWindowsChange();

  ASSERT_EQ(own.received.size(), 2u);
  EXPECT_EQ(own.received[0].msg, 0x1A);
  EXPECT_EQ(own.received[1].msg, 0x0400);
  EXPECT_THAT(watcher->StopAndCollect(SIGTERM),
              UnorderedElementsAre(kWindowsLine, "msg=0x0400 wParam=3 lParam=4"));
}

TEST_F(BroadcastTest, SendToOneWindowOfThisProcessReturnsItsResult) {
  RecordingWindow own;
  own.result = 1234;
  platform::TopLevelWindow window(own);

  EXPECT_EQ(SendRaw(window.handle(), 0x0400, 5, 6), 1234);
  ASSERT_EQ(own.received.size(), 1u);
  EXPECT_EQ(own.received[0].wParam, 5u);
  EXPECT_EQ(own.received[0].lParam, 6);
  // A handle that is no window of this process reaches nothing.
  EXPECT_EQ(SendRaw(window.handle() + 1, 0x0400, 5, 6), 0);
  EXPECT_EQ(own.received.size(), 1u);
}

TEST_F(BroadcastTest, DestroyedWindowIsNoLongerReached) {
  RecordingWindow own;
  {
    platform::TopLevelWindow window(own);
    EXPECT_EQ(EndpointsOf(getpid()).size(), 1u);
  }
  EXPECT_THAT(EndpointsOf(getpid()), IsEmpty());
  BroadcastWindowsChange();
  EXPECT_THAT(own.received, IsEmpty());
}

TEST_F(BroadcastTest, StopBeforeTheLoopEndsTheNextLoopAtOnce) {
  RecordingWindow own;
  platform::TopLevelWindow window(own);
  platform::StopMessageLoop();
  testing_support::Watchdog watchdog("RunMessageLoop after StopMessageLoop");
  platform::RunMessageLoop();
}

TEST_F(BroadcastTest, ProgramBroadcastsAndEndsWithoutLeavingItsWindowBehind) {
  auto watcher = StartWatcher();
  BackgroundProcess program(BuiltProgram("pellomar"));
  const auto output = program.StopAndCollect(0);  // no signal: it ends by itself

  EXPECT_THAT(output, IsEmpty());
  EXPECT_TRUE(WIFEXITED(program.wait_status()) && WEXITSTATUS(program.wait_status()) == 0);
  EXPECT_THAT(watcher->LinesSoFar(), ElementsAre(kWindowsLine));
  EXPECT_EQ(Endpoints(), EndpointsOf(watcher->pid())) << "the program's window is still listed";
  EXPECT_EQ(Endpoints().size(), 1u);
}

// Runs the broadcast_peer helper: a window that broadcasts on SIGUSR1.
class PeerProcess {
 public:
  PeerProcess() : process_(BuiltProgram("broadcast_peer")), pid_(process_.pid()) {
    EXPECT_EQ(process_.ReadLine(std::chrono::seconds(30)), "ready");
  }
  // The line of this peer's broadcast, as printed by whoever receives it.
  std::string line() const {
    return R"(WM_WININICHANGE wParam=0 lParam="from )" + std::to_string(pid_) + "\"";
  }
  void StartBroadcast() { kill(pid_, SIGUSR1); }
  // Reads until "sent"; the lines before it are kept for Collect().
  bool WaitUntilSent() {
    while (auto next = process_.ReadLine(std::chrono::seconds(60))) {
      if (*next == "sent") return true;
      seen_.push_back(*next);
    }
    return false;
  }
  std::vector<std::string> Collect() {
    for (auto& rest : process_.StopAndCollect(SIGTERM)) seen_.push_back(rest);
    return seen_;
  }

 private:
  BackgroundProcess process_;
  pid_t pid_;
  std::vector<std::string> seen_;
};

TEST_F(BroadcastTest, ProcessWaitingForAReplyServesTheOtherBroadcast) {
  MakeWindowsFolder();
  // The gate holds first's broadcast until second's has finished. second's
  // goes to first meanwhile: it ends only if first serves it while waiting.
  std::promise<void> second_sent;
  std::shared_future<void> gate_open = second_sent.get_future().share();
  std::atomic<int> gated{0};
  std::atomic<bool> gate_timed_out{false};
  FakePeer gate(windows_folder(), FakeAnswer::kValidReply, [&] {
    if (gated++ == 0 &&
        gate_open.wait_for(std::chrono::seconds(60)) == std::future_status::timeout)
      gate_timed_out = true;
  });
  auto watcher = StartWatcher();
  PeerProcess first;
  PeerProcess second;

  first.StartBroadcast();
  for (int i = 0; i < 6000 && gate.connections() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_EQ(gate.connections(), 1) << "first's broadcast never reached the gate";

  second.StartBroadcast();
  EXPECT_TRUE(second.WaitUntilSent()) << "second's broadcast did not finish";
  second_sent.set_value();
  EXPECT_TRUE(first.WaitUntilSent()) << "first's broadcast did not finish";
  EXPECT_FALSE(gate_timed_out) << "second's broadcast finished only once the gate gave up";

  // Each got the other's once, and its own once (directly).
  EXPECT_THAT(first.Collect(), UnorderedElementsAre(first.line(), second.line()));
  EXPECT_THAT(second.Collect(), UnorderedElementsAre(first.line(), second.line()));
  EXPECT_THAT(watcher->StopAndCollect(SIGTERM), UnorderedElementsAre(first.line(), second.line()));
  EXPECT_EQ(gate.connections(), 2);
}

TEST_F(BroadcastTest, TwoProcessesBroadcastingAtOnceBothFinish) {
  constexpr int kRounds = 10;
  auto watcher = StartWatcher();
  PeerProcess first;
  PeerProcess second;
  for (int round = 0; round < kRounds; ++round) {
    first.StartBroadcast();
    second.StartBroadcast();
    ASSERT_TRUE(first.WaitUntilSent()) << "round " << round;
    ASSERT_TRUE(second.WaitUntilSent()) << "round " << round;
  }
  const std::vector<std::string> both = [&] {
    std::vector<std::string> lines;
    for (int round = 0; round < kRounds; ++round) {
      lines.push_back(first.line());
      lines.push_back(second.line());
    }
    return lines;
  }();
  EXPECT_THAT(first.Collect(), testing::UnorderedElementsAreArray(both));
  EXPECT_THAT(second.Collect(), testing::UnorderedElementsAreArray(both));
  EXPECT_THAT(watcher->StopAndCollect(SIGTERM), testing::UnorderedElementsAreArray(both));
}

}  // namespace
}  // namespace broadcast_testing
