// pellomar as its users see it: the profile it leaves, the broadcast it
// sends, and that it says nothing.

#include <regex>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace {

using namespace std::string_literals;

struct ProfileCase {
  const char* name;
  std::optional<std::string> before;  // no file at all when empty
  std::string after;
};

void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }

class ProfileAfterRun : public ProgramTest,
                        public testing::WithParamInterface<ProfileCase> {};

TEST_P(ProfileAfterRun, HoldsTheDeviceEntry) {
  if (GetParam().before) WriteFile(profile(), *GetParam().before);
  RunPellomar();
  EXPECT_EQ(ReadFile(profile()), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileAfterRun,
    testing::Values(
        ProfileCase{"AnotherPrinterIsOverwritten",
                    "[windows]\nDevice=HP LaserJet,winspool,LPT1:\n",
                    "[windows]\n" + kDeviceLine + "\n"},
        ProfileCase{"NoFile", std::nullopt, "[windows]\n" + kDeviceLine + "\n"},
        ProfileCase{"NoWindowsSection", "[fonts]\nArial=arial.ttf\n",
                    "[fonts]\nArial=arial.ttf\n[windows]\n" + kDeviceLine + "\n"},
        ProfileCase{"NoDeviceKey", "[windows]\nload=\nrun=\n[ports]\nLPT1:=\n",
                    "[windows]\nload=\nrun=\n" + kDeviceLine + "\n[ports]\nLPT1:=\n"},
        ProfileCase{"EmptyFile", "", "[windows]\n" + kDeviceLine + "\n"},
        // Lines ended by a CR alone, as old editors write them.
        ProfileCase{"CrOnlyLines",
                    "; by hand\r[fonts]\rArial=arial.ttf\r\r[windows]\r"
                    "Device=HP,winspool,LPT1:\rload=\r",
                    "; by hand\r[fonts]\rArial=arial.ttf\r\r[windows]\r" +
                        kDeviceLine + "\rload=\r"},
        ProfileCase{"CrOnlyLinesNoWindowsSection",
                    "[fonts]\rArial=arial.ttf\r",
                    "[fonts]\rArial=arial.ttf\r[windows]\r" + kDeviceLine + "\r"},
        // NUL bytes: a file written with its buffer's size, NULs on a line of
        // their own before the first section, one inside a value.
        ProfileCase{"NulBytes",
                    "\0\0\r\n[windows]\r\nDevice=HP,winspool,LPT1:\r\n"
                    "run=a\0b\r\n\0"s,
                    "\0\0\r\n[windows]\r\n"s + kDeviceLine +
                        "\r\nrun=a\0b\r\n\0"s},
        ProfileCase{"NulBytesNoDeviceKey",
                    "[windows]\r\nload=\r\n\0"s,
                    "[windows]\r\nload=\r\n" + kDeviceLine + "\r\n\0"s}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST_F(ProgramTest, MissingProfileFolderIsCreated) {
  fs::remove_all(config_);
  RunPellomar();
  EXPECT_EQ(ReadFile(profile()), "[windows]\n" + kDeviceLine + "\n");
}

TEST_F(ProgramTest, EveryByteOutsideTheDeviceLineStaysAsItWas) {
  // CRLF lines, comments, odd spacing and case, bytes that are not UTF-8,
  // keys without values, a Device key in another section, no final newline.
  const std::string head =
      "; written by hand \xe9\xe8\r\n"
      "\r\n"
      "[fonts]\r\n"
      "Device=not this one\r\n"
      "Caf\xe9 Sans = cafe.ttf \r\n"
      "  [ Windows ]   \r\n"
      "load=\r\n"
      "; the printer\r\n";
  const std::string old_line = "\t device   =  HP,winspool,LPT1:  \r\n";
  const std::string tail =
      "run=  \xff\xfe odd\r\n"
      "device=second one is not touched\r\n"
      "\r\n"
      "[ports]\r\n"
      "LPT1:=\r\n"
      "COM1:=9600,n,8,1";
  WriteFile(profile(), head + old_line + tail);

  RunPellomar();

  const std::string after = ReadFile(profile()).value_or("");
  ASSERT_GE(after.size(), head.size() + tail.size());
  EXPECT_EQ(after.substr(0, head.size()), head);
  EXPECT_EQ(after.substr(after.size() - tail.size()), tail);
  const std::string new_line =
      after.substr(head.size(), after.size() - head.size() - tail.size());
  std::smatch line;
  ASSERT_TRUE(std::regex_match(
      new_line, line,
      std::regex(R"([ \t]*device[ \t]*=[ \t]*([^\r\n]*)\r\n)", std::regex::icase)))
      << "the Device line became: " << new_line;
  EXPECT_EQ(line[1].str(), kDeviceEntry);
}

TEST_F(ProgramTest, KeepsTheProfilesPermissions) {
  WriteFile(profile(), "[windows]\nDevice=Other,winspool,LPT1:\n");
  fs::permissions(profile(), fs::perms::owner_read | fs::perms::owner_write |
                                 fs::perms::group_read);
  RunPellomar();
  EXPECT_EQ(fs::status(profile()).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProgramTest, TwoRunsLeaveTheStateOfOneAndBroadcastTwice) {
  WriteFile(profile(), "[windows]\nDevice=Other,winspool,LPT1:\n");
  auto watcher = StartWatcher();
  RunPellomar();
  const auto once = ReadFile(profile());
  RunPellomar();
  EXPECT_EQ(ReadFile(profile()), once);
  EXPECT_EQ(watcher->StopAndCollect(SIGTERM),
            std::vector<std::string>(2, kBroadcastLine));
}

TEST_F(ProgramTest, EveryWatcherHearsTheBroadcastOnce) {
  auto first = StartWatcher();
  auto second = StartWatcher();
  RunPellomar();
  // The run returned: each watcher has handled the message by now.
  EXPECT_EQ(first->StopAndCollect(SIGTERM), std::vector<std::string>{kBroadcastLine});
  EXPECT_EQ(second->StopAndCollect(SIGINT), std::vector<std::string>{kBroadcastLine});
}

TEST_F(ProgramTest, ArgumentsChangeNothing) {
  RunPellomar();
  const auto without_arguments = ReadFile(profile());
  ASSERT_TRUE(without_arguments);

  const std::vector<std::vector<std::string>> argument_lists = {
      {"--help"}, {"/?"}, {"-v", "--version"}, {"Other,winspool,LPT1:"},
      {"", " ", "\t"}, {std::string(100000, 'x')}, {"[windows]", "Device=x"}};
  auto watcher = StartWatcher();
  for (const auto& args : argument_lists) {
    fs::remove(profile());
    RunPellomar(args);
    EXPECT_EQ(ReadFile(profile()), without_arguments) << "with " << args.size()
                                                      << " argument(s)";
  }
  EXPECT_EQ(watcher->StopAndCollect(SIGTERM),
            std::vector<std::string>(argument_lists.size(), kBroadcastLine));
}

class FailedWrite : public ProgramTest {
 protected:
  // root passes over permission bits: the program then runs as nobody.
  // nobody may not reach the build folder (a checkout in root's home is
  // 0700), so the programs and their libraries run from copies in the
  // test's own folder, which nobody can enter.
  void DropRootIfNeeded() {
    if (geteuid() != 0) return;
    constexpr uid_t kNobody = 65534;
    constexpr gid_t kNogroup = 65534;
    run_as_ = {kNobody, kNogroup};
    fs::permissions(root_, fs::perms::owner_all | fs::perms::others_exec);
    const fs::path copies = root_ / "programs";
    fs::create_directory(copies);
    for (const char* file : {"pellomar", "msgwatch", "libkernel32.so", "libuser32.so"})
      fs::copy_file(programs_ / file, copies / file);
    fs::permissions(copies, fs::perms::owner_all | fs::perms::others_read |
                                fs::perms::others_exec);
    programs_ = copies;
    if (chown(runtime_.c_str(), kNobody, kNogroup) != 0)
      FAIL() << "cannot hand the runtime folder to nobody";
  }
};

TEST_F(FailedWrite, ReadOnlyFolderStillBroadcastsAndChangesNothing) {
  DropRootIfNeeded();
  const std::string before = "[windows]\nDevice=Other,winspool,LPT1:\n";
  WriteFile(profile(), before);
  fs::permissions(profile(), fs::perms::owner_read | fs::perms::group_read |
                                 fs::perms::others_read);
  fs::permissions(config_, fs::perms::owner_read | fs::perms::owner_exec |
                               fs::perms::others_read | fs::perms::others_exec);
  auto watcher = StartWatcher();
  RunPellomar();
  EXPECT_EQ(ReadFile(profile()), before);
  EXPECT_EQ(watcher->StopAndCollect(SIGTERM), std::vector<std::string>{kBroadcastLine});
}

TEST_F(FailedWrite, ProfileThatIsAFolderStillBroadcasts) {
  fs::create_directories(profile() / "inside");
  auto watcher = StartWatcher();
  RunPellomar();
  EXPECT_TRUE(fs::is_directory(profile() / "inside"));
  EXPECT_EQ(watcher->StopAndCollect(SIGTERM), std::vector<std::string>{kBroadcastLine});
}

}  // namespace
