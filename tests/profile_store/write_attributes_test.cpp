// What a write keeps besides the bytes: mode, owner, the symlink that the
// profile may be, and the file itself when nothing changes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "profile_sandbox.h"

namespace pellomar::profile_store::testing {
namespace {

namespace fs = std::filesystem;

struct stat StatusOf(const std::string& path) {
  struct stat status {};
  EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
  return status;
}

class WriteAttributes : public ::testing::Test {
 protected:
  ProfileSandbox sandbox_;
};

TEST_F(WriteAttributes, KeepsTheModeOfTheOldFile) {
  sandbox_.PutProfile("[a]\nx=1\n");
  ASSERT_EQ(chmod(sandbox_.profile_path().c_str(), 0640), 0);

  ASSERT_EQ(Write("a", "x", "2").result, 1);

  EXPECT_EQ(StatusOf(sandbox_.profile_path()).st_mode & 07777, 0640u);
  EXPECT_EQ(sandbox_.ProfileBytes(), "[a]\nx=2\n");
}

TEST_F(WriteAttributes, KeepsOwnerAndGroupWhenRunAsRoot) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give the file away";
  sandbox_.PutProfile("[a]\nx=1\n");
  ASSERT_EQ(chown(sandbox_.profile_path().c_str(), 4321, 8765), 0);

  ASSERT_EQ(Write("a", "x", "2").result, 1);

  const struct stat status = StatusOf(sandbox_.profile_path());
  EXPECT_EQ(status.st_uid, 4321u);
  EXPECT_EQ(status.st_gid, 8765u);
}

TEST_F(WriteAttributes, CreatesMissingFoldersAndPrivateProfile) {
  const std::string nested = sandbox_.root() + "/deep/er/config";
  setenv("XDG_CONFIG_HOME", nested.c_str(), 1);

  ASSERT_EQ(Write("windows", "Device", "v").result, 1);

  EXPECT_EQ(FileBytes(nested + "/win.ini"), "[windows]\nDevice=v\n");
  EXPECT_EQ(StatusOf(nested + "/win.ini").st_mode & 07777, 0600u);
  EXPECT_EQ(StatusOf(sandbox_.root() + "/deep").st_mode & 07777, 0700u);
  EXPECT_EQ(StatusOf(nested).st_mode & 07777, 0700u);
}

TEST_F(WriteAttributes, UsesHomeConfigWithoutXdgConfigHome) {
  const char* old_home = std::getenv("HOME");
  const std::string saved_home = old_home != nullptr ? old_home : "";
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", sandbox_.root().c_str(), 1);

  const WriteOutcome outcome = Write("windows", "Device", "v");

  if (old_home != nullptr) setenv("HOME", saved_home.c_str(), 1);
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(FileBytes(sandbox_.root() + "/.config/win.ini"),
            "[windows]\nDevice=v\n");
}

TEST_F(WriteAttributes, ReplacesSymlinkTargetInItsOwnFolder) {
  const std::string dotfiles = sandbox_.root() + "/dotfiles";
  fs::create_directories(dotfiles);
  fs::create_directories(sandbox_.config_folder());
  PutFile(dotfiles + "/win.ini", "[a]\nx=1\n");
  ASSERT_EQ(chmod((dotfiles + "/win.ini").c_str(), 0604), 0);
  ASSERT_EQ(symlink("../dotfiles/win.ini", sandbox_.profile_path().c_str()), 0);

  ASSERT_EQ(Write("a", "x", "2").result, 1);

  EXPECT_TRUE(S_ISLNK(StatusOf(sandbox_.profile_path()).st_mode));
  EXPECT_EQ(FileBytes(dotfiles + "/win.ini"), "[a]\nx=2\n");
  EXPECT_EQ(StatusOf(dotfiles + "/win.ini").st_mode & 07777, 0604u);
  // No temporary left; the lock lives beside the file written.
  EXPECT_EQ(ProfileSandbox::Entries(dotfiles),
            (std::set<std::string>{"win.ini", "win.ini.lock"}));
  char value[16];
  EXPECT_EQ(GetProfileString("a", "x", "", value, sizeof value), 1u);
  EXPECT_STREQ(value, "2");
}

TEST_F(WriteAttributes, WriteThatChangesNothingKeepsTheFile) {
  sandbox_.PutProfile("[a]\nx=1\n");
  const ino_t before = StatusOf(sandbox_.profile_path()).st_ino;

  ASSERT_EQ(Write("a", "x", "1").result, 1);
  ASSERT_EQ(Write("a", "y", nullptr).result, 1);
  ASSERT_EQ(Write("b", nullptr, nullptr).result, 1);

  EXPECT_EQ(StatusOf(sandbox_.profile_path()).st_ino, before);
  ASSERT_EQ(Write("a", "x", "2").result, 1);
  EXPECT_NE(StatusOf(sandbox_.profile_path()).st_ino, before);
}

TEST_F(WriteAttributes, RemovesTemporariesOfAKilledWriter) {
  sandbox_.PutProfile("[a]\nx=1\n");
  const std::string stale = sandbox_.config_folder() + "/.win.ini.Ab12Z9";
  const std::string unrelated = sandbox_.config_folder() + "/.win.ini.keep";
  PutFile(stale, "half a profile");
  PutFile(unrelated, "not ours");

  ASSERT_EQ(Write("a", "x", "2").result, 1);

  EXPECT_EQ(ProfileSandbox::Entries(sandbox_.config_folder()),
            (std::set<std::string>{".win.ini.keep", "win.ini", "win.ini.lock"}));
}

}  // namespace
}  // namespace pellomar::profile_store::testing
