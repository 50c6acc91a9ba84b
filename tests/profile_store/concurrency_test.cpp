// Several processes writing at once lose no update, and readers beside them
// always see a whole profile.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "profile_sandbox.h"

namespace pellomar::profile_store::testing {
namespace {

constexpr int kWriters = 8;
constexpr int kWritesEach = 250;

std::string KeyOf(int writer) { return "writer" + std::to_string(writer); }
std::string ValueOf(int writer, int round) {
  return std::to_string(writer) + "-" + std::to_string(round);
}

// A writer's life: every write succeeds and reads back at once, and the
// section that nobody writes is always there.
int WriterMain(int writer) {
  const std::string key = KeyOf(writer);
  for (int round = 0; round < kWritesEach; ++round) {
    const std::string value = ValueOf(writer, round);
    if (WriteProfileString("race", key.c_str(), value.c_str()) != 1) return 1;
    char read_back[32];
    GetProfileString("race", key.c_str(), "", read_back, sizeof read_back);
    if (value != read_back) return 2;
    char kept[32];
    GetProfileString("keep", "untouched", "", kept, sizeof kept);
    if (std::string(kept) != "yes") return 3;
  }
  return 0;
}

// Runs every writer in a process of its own, all at once, each after
// `prepare` has set up its process, and checks that each one succeeded.
void RunWritersAtOnce(const std::function<void(int writer)>& prepare) {
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      prepare(writer);
      _exit(WriterMain(writer));
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "writer failed with status " << status;
  }
}

TEST(Concurrency, ParallelWritersLoseNoUpdate) {
  ProfileSandbox sandbox;
  sandbox.PutProfile("; shared by everyone\r\n[keep]\r\nuntouched=yes\r\n");

  RunWritersAtOnce([](int) {});

  std::string expected =
      "; shared by everyone\r\n[keep]\r\nuntouched=yes\r\n[race]\r\n";
  const std::string profile = sandbox.ProfileBytes().value_or("");
  for (int writer = 0; writer < kWriters; ++writer) {
    const std::string line =
        KeyOf(writer) + "=" + ValueOf(writer, kWritesEach - 1) + "\r\n";
    EXPECT_NE(profile.find(line), std::string::npos) << line;
    expected += line;
  }
  // Each key once, in the order the writers first got the lock.
  EXPECT_EQ(profile.size(), expected.size());
  char keys[512];
  const Dword count = GetProfileString("race", nullptr, "", keys, sizeof keys);
  EXPECT_EQ(GetLastErrorCode(), 0u);
  std::set<std::string> names;
  for (const char* name = keys; *name != '\0'; name += std::strlen(name) + 1)
    names.insert(name);
  std::set<std::string> all_keys;
  std::size_t list_size = 0;
  for (int writer = 0; writer < kWriters; ++writer) {
    all_keys.insert(KeyOf(writer));
    list_size += KeyOf(writer).size() + 1;
  }
  EXPECT_EQ(names, all_keys);
  EXPECT_EQ(count, list_size);
  EXPECT_EQ(ProfileSandbox::Entries(sandbox.config_folder()),
            (std::set<std::string>{"win.ini", "win.ini.lock"}));
}

// Writers that reach one file through a symlink and directly share one lock:
// none of their updates is lost.
TEST(Concurrency, WritersThroughASymlinkAndDirectlyLoseNoUpdate) {
  ProfileSandbox linked;
  const std::string real_folder = linked.root() + "/dotfiles";
  ASSERT_EQ(mkdir(real_folder.c_str(), 0700), 0);
  PutFile(real_folder + "/win.ini", "[keep]\nuntouched=yes\n");
  ASSERT_EQ(mkdir(linked.config_folder().c_str(), 0700), 0);
  ASSERT_EQ(symlink((real_folder + "/win.ini").c_str(),
                    linked.profile_path().c_str()),
            0);

  RunWritersAtOnce([&](int writer) {
    // Half the writers name the dotfiles folder itself.
    if (writer % 2 == 1) setenv("XDG_CONFIG_HOME", real_folder.c_str(), 1);
  });

  const std::string profile = FileBytes(real_folder + "/win.ini").value_or("");
  for (int writer = 0; writer < kWriters; ++writer) {
    const std::string line =
        KeyOf(writer) + "=" + ValueOf(writer, kWritesEach - 1) + "\n";
    EXPECT_NE(profile.find(line), std::string::npos) << line;
  }
  struct stat status {};
  ASSERT_EQ(lstat(linked.profile_path().c_str(), &status), 0);
  EXPECT_TRUE(S_ISLNK(status.st_mode)) << "the link must stay a link";
}

}  // namespace
}  // namespace pellomar::profile_store::testing
