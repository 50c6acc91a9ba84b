// The window folder is private to the user: made so, and refused otherwise.

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "broadcast_fixture.h"
#include "fake_peer.h"

namespace broadcast_testing {
namespace {

using testing::ElementsAre;
using testing::IsEmpty;

TEST_F(BroadcastTest, FoldersAreMadePrivateAndEndpointsNamedByProcess) {
  auto watcher = StartWatcher();
  for (const fs::path& folder : {runtime_dir() / "pellomar", windows_folder()}) {
    struct stat status {};
    ASSERT_EQ(lstat(folder.c_str(), &status), 0) << folder;
    EXPECT_TRUE(S_ISDIR(status.st_mode)) << folder;
    EXPECT_EQ(status.st_mode & 0777, 0700u) << folder;
  }
  const auto names = EndpointsOf(watcher->pid());
  ASSERT_EQ(names.size(), 1u);
  // "<pid>.<serial>.<16 hex digits>"
  const std::string prefix = std::to_string(watcher->pid()) + ".1.";
  ASSERT_TRUE(names[0].starts_with(prefix)) << names[0];
  const std::string nonce = names[0].substr(prefix.size());
  EXPECT_EQ(nonce.size(), 16u) << names[0];
  EXPECT_EQ(nonce.find_first_not_of("0123456789abcdef"), std::string::npos) << names[0];
  EXPECT_TRUE(fs::is_socket(windows_folder() / names[0]));
}

struct FolderCase {
  const char* name;
  std::function<void(const fs::path& runtime_dir)> prepare;
  bool used;
};

class PreparedFolder : public BroadcastTest, public testing::WithParamInterface<FolderCase> {};

TEST_P(PreparedFolder, IsUsedOnlyWhenPrivate) {
  if (GetParam().name == std::string("OwnedByAnotherUser") && geteuid() != 0)
    GTEST_SKIP() << "only root can give a folder away";
  GetParam().prepare(runtime_dir());
  // A peer that would take the message if the folder were used.
  FakePeer planted(windows_folder(), FakeAnswer::kValidReply);
  auto watcher = StartWatcher();  // its window exists, reachable or not

  BroadcastWindowsChange();

  if (GetParam().used) {
    EXPECT_EQ(planted.connections(), 1);
    EXPECT_EQ(EndpointsOf(watcher->pid()).size(), 1u);
    EXPECT_THAT(watcher->LinesSoFar(), ElementsAre(kWindowsLine));
  } else {
    EXPECT_EQ(planted.connections(), 0);
    EXPECT_THAT(EndpointsOf(watcher->pid()), IsEmpty());
    EXPECT_THAT(watcher->LinesSoFar(), IsEmpty());
  }
}

void MakePrivate(const fs::path& folder) { ASSERT_EQ(mkdir(folder.c_str(), 0700), 0) << folder; }

INSTANTIATE_TEST_SUITE_P(
    Folders, PreparedFolder,
    testing::Values(
        FolderCase{"AlreadyPrivate",
                   [](const fs::path& dir) {
                     MakePrivate(dir / "pellomar");
                     MakePrivate(dir / "pellomar" / "windows");
                   },
                   true},
        FolderCase{"WindowsFolderOpenToOthers",
                   [](const fs::path& dir) {
                     MakePrivate(dir / "pellomar");
                     MakePrivate(dir / "pellomar" / "windows");
                     chmod((dir / "pellomar" / "windows").c_str(), 0755);
                   },
                   false},
        FolderCase{"ParentOpenToOthers",
                   [](const fs::path& dir) {
                     MakePrivate(dir / "pellomar");
                     MakePrivate(dir / "pellomar" / "windows");
                     chmod((dir / "pellomar").c_str(), 0711);
                   },
                   false},
        FolderCase{"WindowsFolderIsALink",
                   [](const fs::path& dir) {
                     MakePrivate(dir / "pellomar");
                     MakePrivate(dir / "elsewhere");
                     fs::create_directory_symlink(dir / "elsewhere", dir / "pellomar" / "windows");
                   },
                   false},
        FolderCase{"OwnedByAnotherUser",
                   [](const fs::path& dir) {
                     MakePrivate(dir / "pellomar");
                     MakePrivate(dir / "pellomar" / "windows");
                     ASSERT_EQ(chown((dir / "pellomar" / "windows").c_str(), 65534, 65534), 0);
                   },
                   false}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

}  // namespace
}  // namespace broadcast_testing
