// Receivers that died, die meanwhile or misbehave never stop a broadcast,
// never crash the sender and never get a message twice.

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "broadcast_fixture.h"
#include "fake_peer.h"
#include "message_frame.h"

namespace broadcast_testing {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;
using Bytes = std::vector<std::byte>;

const user32::Message kWindowsMessage{user32::kWmWinIniChange, 0, std::string("windows")};

TEST_F(BroadcastTest, EndedReceiverIsSkippedAndItsEndpointRemoved) {
  auto live = StartWatcher();
  auto dead = StartWatcher();
  const pid_t dead_pid = dead->pid();
  dead->StopAndCollect(SIGKILL);
  ASSERT_EQ(EndpointsOf(dead_pid).size(), 1u) << "a killed process leaves its endpoint";

  BroadcastWindowsChange();  // returns at all: the dead one was not waited for

  EXPECT_THAT(EndpointsOf(dead_pid), IsEmpty());
  EXPECT_EQ(EndpointsOf(live->pid()).size(), 1u);
  EXPECT_THAT(live->LinesSoFar(), ElementsAre(kWindowsLine));
}

TEST_F(BroadcastTest, ReceiversKilledDuringTheBroadcastDoNotStopIt) {
  MakeWindowsFolder();
  constexpr int kWatchers = 24;
  auto watchers = StartWatchers(kWatchers);
  // Three peers, wherever the broadcast meets them, each kill four watchers
  // when the message reaches them; half of the watchers survive.
  std::vector<std::unique_ptr<FakePeer>> killers;
  std::set<int> killed;
  for (int k = 0; k < 3; ++k) {
    std::vector<pid_t> victims;
    for (int i = k * 8; i < k * 8 + 4; ++i) {
      victims.push_back(watchers[static_cast<std::size_t>(i)]->pid());
      killed.insert(i);
    }
    killers.push_back(std::make_unique<FakePeer>(windows_folder(), FakeAnswer::kValidReply, [victims] {
      for (const pid_t victim : victims) kill(victim, SIGKILL);
    }));
  }

  BroadcastWindowsChange();

  for (const auto& killer : killers) EXPECT_EQ(killer->connections(), 1);
  std::vector<std::string> expected_endpoints;
  for (int i = 0; i < kWatchers; ++i) {
    auto& watcher = *watchers[static_cast<std::size_t>(i)];
    if (killed.count(i) != 0) {
      // Reached before it was killed, or not at all: never twice.
      const auto lines = watcher.StopAndCollect(SIGKILL);
      EXPECT_LE(lines.size(), 1u);
      if (!lines.empty()) {
        EXPECT_EQ(lines[0], kWindowsLine);
      }
    } else {
      EXPECT_THAT(watcher.LinesSoFar(), ElementsAre(kWindowsLine)) << "watcher " << i;
      for (auto& name : EndpointsOf(watcher.pid())) expected_endpoints.push_back(name);
    }
  }

  // The next broadcast finds every endpoint left by the killed ones.
  BroadcastWindowsChange();
  for (const auto& killer : killers)
    expected_endpoints.push_back(killer->endpoint().filename().string());
  std::sort(expected_endpoints.begin(), expected_endpoints.end());
  EXPECT_EQ(Endpoints(), expected_endpoints);
  for (int i = 0; i < kWatchers; ++i) {
    if (killed.count(i) == 0) {
      EXPECT_THAT(watchers[static_cast<std::size_t>(i)]->LinesSoFar(), ElementsAre(kWindowsLine));
    }
  }
}

class MisbehavingPeer : public BroadcastTest, public testing::WithParamInterface<FakeAnswer> {};

TEST_P(MisbehavingPeer, IsPassedOverOnceAndTheOthersStillGetIt) {
  MakeWindowsFolder();
  auto first = StartWatcher();
  FakePeer peer(windows_folder(), GetParam());
  auto second = StartWatcher();

  BroadcastWindowsChange();

  EXPECT_THAT(first->LinesSoFar(), ElementsAre(kWindowsLine));
  EXPECT_THAT(second->LinesSoFar(), ElementsAre(kWindowsLine));
  EXPECT_EQ(peer.connections(), 1) << "the peer was tried again";
  if (GetParam() != FakeAnswer::kCloseUnread) {
    EXPECT_THAT(peer.messages(), ElementsAre(kWindowsMessage));
  }
  // Alive, so not forgotten: the next broadcast tries it again.
  EXPECT_TRUE(fs::exists(peer.endpoint()));
  BroadcastWindowsChange();
  EXPECT_EQ(peer.connections(), 2);
  EXPECT_THAT(first->LinesSoFar(), ElementsAre(kWindowsLine));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, MisbehavingPeer,
    testing::Values(FakeAnswer::kValidReply, FakeAnswer::kGarbageReply,
                    FakeAnswer::kHangUpBeforeReply, FakeAnswer::kHangUpMidReply,
                    FakeAnswer::kHugeLengthReply, FakeAnswer::kCloseUnread),
    [](const auto& test_case) {
      switch (test_case.param) {
        case FakeAnswer::kValidReply: return "ValidReply";
        case FakeAnswer::kGarbageReply: return "GarbageReply";
        case FakeAnswer::kHangUpBeforeReply: return "HangUpBeforeReply";
        case FakeAnswer::kHangUpMidReply: return "HangUpMidReply";
        case FakeAnswer::kHugeLengthReply: return "HugeLengthReply";
        case FakeAnswer::kCloseUnread: return "CloseUnread";
      }
      return "Unknown";
    });

Bytes Frame(const user32::Message& message) { return *user32::EncodeMessage(message); }

void PutU32(Bytes& frame, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) frame[offset + i] = static_cast<std::byte>(value >> (8 * i));
}

struct RawSendCase {
  const char* name;
  Bytes bytes;
  std::optional<std::string> line;  // printed when the frame is taken
};

class RawBytesToAWindow : public BroadcastTest, public testing::WithParamInterface<RawSendCase> {};

TEST_P(RawBytesToAWindow, OnlyAWholeValidFrameIsTakenAndAnswered) {
  auto watcher = StartWatcher();
  const auto endpoints = EndpointsOf(watcher->pid());
  ASSERT_EQ(endpoints.size(), 1u);

  const auto answer = SendRawBytes(windows_folder() / endpoints[0], GetParam().bytes);

  ASSERT_TRUE(answer.has_value());
  if (GetParam().line) {
    const auto reply = user32::EncodeReply(0);
    EXPECT_EQ(*answer, Bytes(reply.begin(), reply.end()));
    EXPECT_EQ(watcher->ReadLine(std::chrono::seconds(30)), GetParam().line);
  } else {
    EXPECT_THAT(*answer, IsEmpty()) << "a rejected frame gets no reply";
  }
  // The window lives on and takes the next broadcast once.
  BroadcastWindowsChange();
  EXPECT_THAT(watcher->LinesSoFar(), ElementsAre(kWindowsLine));
}

INSTANTIATE_TEST_SUITE_P(
    Frames, RawBytesToAWindow,
    testing::Values(
        RawSendCase{"ValidFrame", Frame({0x0400, 1, std::int64_t{2}}), "msg=0x0400 wParam=1 lParam=2"},
        RawSendCase{"Nothing", {}, std::nullopt},
        RawSendCase{"HalfAHeader", [] { Bytes f = Frame(kWindowsMessage); f.resize(10); return f; }(),
                    std::nullopt},
        RawSendCase{"HeaderWithoutItsText",
                    [] { Bytes f = Frame(kWindowsMessage); f.resize(user32::kMessageHeaderSize); return f; }(),
                    std::nullopt},
        RawSendCase{"BadMagic", [] { Bytes f = Frame(kWindowsMessage); f[1] = std::byte{'?'}; return f; }(),
                    std::nullopt},
        RawSendCase{"HugeLength",
                    [] { Bytes f = Frame(kWindowsMessage); PutU32(f, 12, 0xFFFFFFF0); return f; }(),
                    std::nullopt},
        RawSendCase{"TextWithoutNul",
                    [] { Bytes f = Frame(kWindowsMessage); f.back() = std::byte{'x'}; return f; }(),
                    std::nullopt},
        // The receiver would read a text at this number.
        RawSendCase{"AddressForATextMessage",
                    [] {
                      Bytes f = Frame({0x0400, 0, std::int64_t{0x1000}});
                      PutU32(f, 8, user32::kWmWinIniChange);
                      return f;
                    }(),
                    std::nullopt}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

}  // namespace
}  // namespace broadcast_testing
