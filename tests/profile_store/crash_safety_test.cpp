// A writer killed at any moment leaves the old profile or the new one, never
// a mix, and the next write cleans up after it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <thread>

#include "profile_sandbox.h"

namespace pellomar::profile_store::testing {
namespace {

constexpr int kKills = 200;
constexpr std::size_t kFillerBytes = 2 << 20;

// The section that is written sits in front of megabytes of other keys, so
// that each write takes a while.
std::string Filler() {
  std::string filler = "[filler]\n";
  for (int i = 0; filler.size() < kFillerBytes; ++i)
    filler += "key" + std::to_string(i) + "=some value that takes up room\n";
  return filler;
}

std::string StateSection(std::uint32_t counter) {
  return "[state]\ncounter=" + std::to_string(counter) + "\n";
}

// Whether `profile` is exactly the one that holds `counter`.
bool HoldsCounter(std::string_view profile, std::uint32_t counter,
                  std::string_view filler) {
  const std::string state = StateSection(counter);
  return profile.size() == state.size() + filler.size() &&
         profile.starts_with(state) && profile.ends_with(filler);
}

bool WriteCounter(std::uint32_t counter) {
  return WriteProfileString("state", "counter",
                            std::to_string(counter).c_str()) == 1;
}

// Writes counter values from `first` on, reporting each one done.
[[noreturn]] void CounterWriter(std::uint32_t first, int report) {
  for (std::uint32_t counter = first;; ++counter) {
    if (!WriteCounter(counter)) _exit(1);
    if (write(report, &counter, sizeof counter) != sizeof counter) _exit(2);
  }
}

TEST(CrashSafety, KilledWriterLeavesOldOrNewProfile) {
  ProfileSandbox sandbox;
  const std::string filler = Filler();
  sandbox.PutProfile(StateSection(0) + filler);
  const std::set<std::string> clean_folder{"win.ini", "win.ini.lock"};

  // Kill times spread over about two writes.
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(WriteCounter(1));
  const auto write_time = std::chrono::steady_clock::now() - started;
  const auto longest_wait =
      std::chrono::duration_cast<std::chrono::microseconds>(write_time * 2);
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<std::int64_t> wait_us(0, longest_wait.count());

  std::uint32_t last_done = 1;
  int temporaries_left = 0;
  for (int kill_count = 0; kill_count < kKills; ++kill_count) {
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      close(report[0]);
      CounterWriter(last_done + 1, report[1]);
    }
    close(report[1]);
    std::this_thread::sleep_for(std::chrono::microseconds(wait_us(random)));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer failed with status " << status;
    std::uint32_t done = 0;
    while (read(report[0], &done, sizeof done) == sizeof done) last_done = done;
    close(report[0]);

    // The write under way when the kill came either happened or did not.
    const std::string profile = sandbox.ProfileBytes().value_or("<missing>");
    const bool old_profile = HoldsCounter(profile, last_done, filler);
    const bool new_profile = HoldsCounter(profile, last_done + 1, filler);
    ASSERT_TRUE(old_profile || new_profile)
        << "after kill " << kill_count << ", " << profile.size() << " bytes";
    if (new_profile) ++last_done;
    if (ProfileSandbox::Entries(sandbox.config_folder()) != clean_folder)
      ++temporaries_left;

    ++last_done;
    ASSERT_TRUE(WriteCounter(last_done));
    ASSERT_TRUE(HoldsCounter(sandbox.ProfileBytes().value_or(""), last_done,
                             filler));
    ASSERT_EQ(ProfileSandbox::Entries(sandbox.config_folder()), clean_folder);
  }
  // Otherwise no kill came in the middle of a write and nothing was shown.
  EXPECT_GT(temporaries_left, 0);
}

}  // namespace
}  // namespace pellomar::profile_store::testing
