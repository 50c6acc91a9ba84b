// The Windows window runtime: real hidden top-level windows, the load event
// before any display, messages reaching the behaviour, and the loop's end.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ansi_code_page.h"
#include "window.h"

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kStop = WM_APP + 2;
constexpr UINT kThrow = WM_APP + 3;
constexpr UINT kStopFromAnotherThread = WM_APP + 4;

struct Received {
  std::int32_t msg;
  std::uintptr_t wParam;
  std::string text;  // WM_WININICHANGE's lParam, read as ANSI
};

class Recorder : public platform::Window {
 public:
  explicit Recorder(std::u16string caption) : caption_(std::move(caption)) {}

  std::u16string Caption() const override { return caption_; }

  void Load() override {
    ++loads;
    // The window is there to find by its caption, and not on screen.
    const HWND hwnd =
        FindWindowW(nullptr, reinterpret_cast<const wchar_t*>(caption_.c_str()));
    found_at_load = hwnd != nullptr;
    visible_at_load = hwnd != nullptr && IsWindowVisible(hwnd) != FALSE;
    platform::StopMessageLoop();
  }

  std::intptr_t HandleMessage(std::int32_t msg, std::uintptr_t wParam,
                              std::intptr_t lParam) override {
    if (msg == WM_WININICHANGE) {
      received.push_back({msg, wParam, reinterpret_cast<const char*>(lParam)});
    } else if (msg >= static_cast<std::int32_t>(WM_APP)) {
      received.push_back({msg, wParam, {}});
    }
    if (msg == static_cast<std::int32_t>(kStop)) platform::StopMessageLoop();
    if (msg == static_cast<std::int32_t>(kThrow))
      throw std::runtime_error("thrown by the behaviour");
    if (msg == static_cast<std::int32_t>(kStopFromAnotherThread))
      stopper = std::thread([] { platform::StopMessageLoop(); });
    return msg == static_cast<std::int32_t>(kPing) ? 42 : 0;
  }

  std::u16string caption_;
  int loads = 0;
  bool found_at_load = false;
  bool visible_at_load = true;
  std::vector<Received> received;
  std::thread stopper;
};

HWND Handle(const platform::TopLevelWindow& window) {
  return reinterpret_cast<HWND>(window.handle());
}

std::u16string TextOf(HWND hwnd) {
  std::u16string text(256, u'\0');
  const int n = GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()),
                               static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(n));
  return text;
}

TEST(WindowRuntime, TopLevelWindowIsHiddenWithItsCaptionAndGoesWithItsObject) {
  Recorder behaviour(u"Form1 \u00e9\u4e2d");
  HWND hwnd = nullptr;
  {
    platform::TopLevelWindow window(behaviour);
    hwnd = Handle(window);
    ASSERT_TRUE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(GetParent(hwnd), nullptr) << "a top-level window";
    EXPECT_EQ(GetAncestor(hwnd, GA_PARENT), GetDesktopWindow());
    // An ANSI window: the caption goes through the code page like any text.
    EXPECT_EQ(TextOf(hwnd),
              platform::FromAnsi(platform::ToAnsi(u"Form1 \u00e9\u4e2d")));
    EXPECT_EQ(TextOf(hwnd).substr(0, 6), u"Form1 ");
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowRuntime, StartupWindowIsLoadedOnceBeforeAnyDisplay) {
  Recorder form(u"Pellomar load test");
  EXPECT_EQ(platform::RunStartupWindow(form), 0);
  EXPECT_EQ(form.loads, 1);
  EXPECT_TRUE(form.found_at_load);
  EXPECT_FALSE(form.visible_at_load);
  EXPECT_EQ(FindWindowW(nullptr, L"Pellomar load test"), nullptr)
      << "the window goes when the program's run of it ends";
}

TEST(WindowRuntime, PostedAndSentMessagesReachTheBehaviourWithTextInAnsi) {
  Recorder behaviour(u"Pellomar message test");
  platform::TopLevelWindow window(behaviour);
  const HWND hwnd = Handle(window);
  // Sent in the wide form: the window still gets the ANSI text.
  SendMessageW(hwnd, WM_WININICHANGE, 0, reinterpret_cast<LPARAM>(L"windows"));
  EXPECT_EQ(SendMessageW(hwnd, kPing, 7, 0), 42) << "the behaviour's answer";
  PostMessageW(hwnd, kPing, 8, 0);
  PostMessageW(hwnd, kStop, 9, 0);
  platform::RunMessageLoop();

  ASSERT_EQ(behaviour.received.size(), 4u);
  EXPECT_EQ(behaviour.received[0].msg, WM_WININICHANGE);
  EXPECT_EQ(behaviour.received[0].wParam, 0u);
  EXPECT_EQ(behaviour.received[0].text, "windows");
  EXPECT_EQ(behaviour.received[1].wParam, 7u);
  EXPECT_EQ(behaviour.received[2].wParam, 8u);
  EXPECT_EQ(behaviour.received[3].msg, static_cast<std::int32_t>(kStop));
}

TEST(WindowRuntime, StopFromAnotherThreadEndsTheLoop) {
  // How a console control handler (SIGINT) stops it: on a thread of its own.
  Recorder behaviour(u"Pellomar thread test");
  platform::TopLevelWindow window(behaviour);
  PostMessageW(Handle(window), kStopFromAnotherThread, 0, 0);
  platform::RunMessageLoop();
  behaviour.stopper.join();
  EXPECT_EQ(behaviour.received.size(), 1u);
}

TEST(WindowRuntime, StopBeforeTheLoopRunsEndsItAtOnceAndOnlyOnce) {
  Recorder behaviour(u"Pellomar early stop test");
  platform::TopLevelWindow window(behaviour);
  platform::StopMessageLoop();
  platform::RunMessageLoop();
  EXPECT_TRUE(behaviour.received.empty());

  // The request was used up: the next loop runs until it is told again.
  PostMessageW(Handle(window), kPing, 1, 0);
  PostMessageW(Handle(window), kStop, 2, 0);
  platform::RunMessageLoop();
  EXPECT_EQ(behaviour.received.size(), 2u);
}

TEST(WindowRuntime, ErrorInTheBehaviourLeavesTheLoopAsAnError) {
  Recorder behaviour(u"Pellomar error test");
  platform::TopLevelWindow window(behaviour);
  PostMessageW(Handle(window), kThrow, 0, 0);
  PostMessageW(Handle(window), kPing, 0, 0);
  EXPECT_THROW(platform::RunMessageLoop(), std::runtime_error);
  ASSERT_EQ(behaviour.received.size(), 1u) << "nothing ran after the error";

  // The loop can run again, and what waited is delivered.
  PostMessageW(Handle(window), kStop, 0, 0);
  platform::RunMessageLoop();
  EXPECT_EQ(behaviour.received.size(), 3u);
}

TEST(WindowRuntimeDeathTest, EndProgramEndsTheProcessAtOnceWithStatusZero) {
  EXPECT_EXIT(
      {
        platform::EndProgram();
        std::fputs("still running\n", stderr);  // never reached
      },
      testing::ExitedWithCode(0), "^$");
}

}  // namespace
