// Writes that must fail: each returns FALSE with the right last error and
// leaves every file as it was (the lock file aside). Where the profile itself
// is bad, a read gives the default with the reason.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "profile_limits.h"
#include "profile_sandbox.h"

namespace pellomar::profile_store::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr Dword kFileNotFound = 2;
constexpr Dword kPathNotFound = 3;
constexpr Dword kAccessDenied = 5;
constexpr Dword kInvalidData = 13;
constexpr Dword kInvalidParameter = 87;
constexpr Dword kDiskFull = 112;
constexpr Dword kFileTooLarge = 223;
constexpr Dword kCantResolveFilename = 1921;

const std::string kProfile = "[windows]\nDevice=old\n";

// A well-formed profile of exactly `size` bytes.
std::string ProfileOfSize(std::size_t size) {
  std::string text = "[filler]\n";
  const std::string line = "key=" + std::string(90, 'v') + "\n";
  while (text.size() + line.size() <= size) text += line;
  if (text.size() < size) text += std::string(size - text.size() - 1, 'x') + "\n";
  return text;
}

const std::string kLongestValue(kMaxLineBytes, 'x');

enum class RunAs { kCaller, kUnprivileged, kFileSizeLimit };

struct FailureCase {
  const char* name;
  std::function<void(const ProfileSandbox&)> setup;
  const char* section;
  const char* key;
  const char* value;
  Dword error;
  RunAs run = RunAs::kCaller;
  std::optional<Dword> read_error = std::nullopt;  // a read of a bad profile
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

void NormalProfile(const ProfileSandbox& sandbox) {
  sandbox.PutProfile(kProfile);
}

void GiveTreeToUnprivileged(const ProfileSandbox& sandbox) {
  GiveToUnprivileged(sandbox.root());
  GiveToUnprivileged(sandbox.config_folder());
  for (const auto& entry : fs::directory_iterator(sandbox.config_folder()))
    GiveToUnprivileged(entry.path());
}

const FailureCase kFailureCases[] = {
    // Arguments that could break or inject lines.
    {"NullSection", NormalProfile, nullptr, "Device", "v", kInvalidParameter},
    {"NullSectionDelete", NormalProfile, nullptr, nullptr, nullptr,
     kInvalidParameter},
    {"EmptySection", NormalProfile, "", "Device", "v", kInvalidParameter},
    {"BlankSection", NormalProfile, " \t", "Device", "v", kInvalidParameter},
    {"SectionWithBracket", NormalProfile, "win]dows", "Device", "v",
     kInvalidParameter},
    {"SectionWithLineFeed", NormalProfile, "windows\n[evil", "Device", "v",
     kInvalidParameter},
    {"SectionWithCarriageReturn", NormalProfile, "windows\r", "Device", "v",
     kInvalidParameter},
    {"KeyWithLineFeed", NormalProfile, "windows", "Device\nevil=1", "v",
     kInvalidParameter},
    {"KeyWithCarriageReturn", NormalProfile, "windows", "Dev\rice", "v",
     kInvalidParameter},
    {"KeyWithEquals", NormalProfile, "windows", "Device=x", "v",
     kInvalidParameter},
    {"KeyLikeHeader", NormalProfile, "windows", " [evil]", "v",
     kInvalidParameter},
    {"KeyLikeComment", NormalProfile, "windows", ";Device", "v",
     kInvalidParameter},
    {"EmptyKey", NormalProfile, "windows", "", "v", kInvalidParameter},
    {"BlankKey", NormalProfile, "windows", "  ", "v", kInvalidParameter},
    {"InvalidKeyDelete", NormalProfile, "windows", "Device\n", nullptr,
     kInvalidParameter},
    {"ValueWithLineFeed", NormalProfile, "windows", "Device",
     "v\n[evil]\nx=1", kInvalidParameter},
    {"ValueWithCarriageReturn", NormalProfile, "windows", "Device", "v\rx",
     kInvalidParameter},
    {"LineOverLimit", NormalProfile, "windows", "Device",
     kLongestValue.c_str(), kInvalidParameter},

    // What is in place of the profile.
    {"FolderInPlace",
     [](const ProfileSandbox& s) { fs::create_directories(s.profile_path()); },
     "windows", "Device", "v", kAccessDenied, RunAs::kCaller, kAccessDenied},
    {"FifoInPlace",
     [](const ProfileSandbox& s) {
       fs::create_directories(s.config_folder());
       ASSERT_EQ(mkfifo(s.profile_path().c_str(), 0600), 0);
     },
     "windows", "Device", "v", kAccessDenied, RunAs::kCaller, kAccessDenied},
    {"DanglingSymlink",
     [](const ProfileSandbox& s) {
       fs::create_directories(s.config_folder());
       fs::create_symlink(s.root() + "/missing/win.ini", s.profile_path());
     },
     "windows", "Device", "v", kFileNotFound, RunAs::kCaller, kFileNotFound},
    {"SymlinkLoop",
     [](const ProfileSandbox& s) {
       fs::create_directories(s.config_folder());
       fs::create_symlink("win.ini", s.profile_path());
     },
     "windows", "Device", "v", kCantResolveFilename, RunAs::kCaller,
     kCantResolveFilename},
    {"FileInPlaceOfFolder",
     [](const ProfileSandbox& s) {
       PutFile(s.root() + "/file", "");
       setenv("XDG_CONFIG_HOME", (s.root() + "/file/config").c_str(), 1);
     },
     "windows", "Device", "v", kPathNotFound, RunAs::kCaller, kPathNotFound},

    // Malformed or too large profiles.
    {"OverlongLineAmongCrEndedLines",
     [](const ProfileSandbox& s) {
       s.PutProfile("[windows]\rDevice=old\rk=" + kLongestValue + "\r");
     },
     "windows", "Device", "v", kInvalidData, RunAs::kCaller, kInvalidData},
    {"OverlongLine",
     [](const ProfileSandbox& s) {
       s.PutProfile("[windows]\nDevice=old\nk=" + kLongestValue + "\n");
     },
     "windows", "Device", "v", kInvalidData, RunAs::kCaller, kInvalidData},
    {"OversizedProfile",
     [](const ProfileSandbox& s) {
       s.PutProfile("[windows]\nDevice=old\n" + ProfileOfSize(kMaxProfileBytes));
     },
     "windows", "Device", "v", kFileTooLarge, RunAs::kCaller, kFileTooLarge},
    {"ResultOverSizeLimit",
     [](const ProfileSandbox& s) {
       s.PutProfile(ProfileOfSize(kMaxProfileBytes - 4));
     },
     "windows", "Device", "v", kFileTooLarge},

    // The file system says no.
    {"ReadOnlyFile",
     [](const ProfileSandbox& s) {
       NormalProfile(s);
       GiveTreeToUnprivileged(s);
       ASSERT_EQ(chmod(s.profile_path().c_str(), 0444), 0);
     },
     "windows", "Device", "v", kAccessDenied, RunAs::kUnprivileged},
    {"ReadOnlyFolder",
     [](const ProfileSandbox& s) {
       NormalProfile(s);
       GiveTreeToUnprivileged(s);
       ASSERT_EQ(chmod(s.config_folder().c_str(), 0555), 0);
     },
     "windows", "Device", "v", kAccessDenied, RunAs::kUnprivileged},
    {"ReadOnlyFolderWithLockFile",
     [](const ProfileSandbox& s) {
       NormalProfile(s);
       ASSERT_EQ(Write("windows", "load", "").result, 1);
       GiveTreeToUnprivileged(s);
       ASSERT_EQ(chmod(s.config_folder().c_str(), 0555), 0);
     },
     "windows", "Device", "v", kAccessDenied, RunAs::kUnprivileged},
    {"DiskFull",
     [](const ProfileSandbox& s) { s.PutProfile(ProfileOfSize(64 << 10)); },
     "windows", "Device", "v", kDiskFull, RunAs::kFileSizeLimit},
};

// Small contents as they are, large ones by size and hash, so that a failure
// report stays readable.
std::string Summary(const std::string& bytes) {
  if (bytes.size() <= 256) return bytes;
  return std::to_string(bytes.size()) + " bytes, hash " +
         std::to_string(std::hash<std::string>{}(bytes));
}

// Every file and folder under the sandbox with its contents, apart from the
// lock file, which a failed write may leave.
std::map<std::string, std::string> Snapshot(const ProfileSandbox& sandbox) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(sandbox.root())) {
    const std::string path = entry.path().string();
    if (entry.path().filename() == "win.ini.lock") continue;
    if (entry.is_symlink())
      tree[path] = "symlink to " + fs::read_symlink(entry.path()).string();
    else if (entry.is_regular_file())
      tree[path] = Summary(FileBytes(path).value_or("<unreadable>"));
    else
      tree[path] = entry.is_directory() ? "<folder>" : "<special>";
  }
  return tree;
}

std::optional<WriteOutcome> RunWrite(const FailureCase& c) {
  const auto call = [&] { return Write(c.section, c.key, c.value); };
  switch (c.run) {
    case RunAs::kCaller:
      return call();
    case RunAs::kUnprivileged:
      return WriteInChild(DropPrivileges, call);
    case RunAs::kFileSizeLimit:
      return WriteInChild([] { return LimitFileSize(16 << 10); }, call);
  }
  return std::nullopt;
}

class FailureCases : public ::testing::TestWithParam<FailureCase> {
 protected:
  ProfileSandbox sandbox_;
};

TEST_P(FailureCases, FailsAndChangesNothing) {
  const FailureCase& c = GetParam();
  c.setup(sandbox_);
  if (HasFatalFailure()) return;
  const auto before = Snapshot(sandbox_);

  const std::optional<WriteOutcome> outcome = RunWrite(c);

  if (!outcome) GTEST_SKIP() << "could not drop privileges or set a limit";
  EXPECT_EQ(outcome->result, 0);
  EXPECT_EQ(outcome->error, c.error);
  EXPECT_EQ(Snapshot(sandbox_), before);

  // Where the profile itself is bad, a read says why and gives the default.
  if (!c.read_error) return;
  char value[16];
  EXPECT_EQ(GetProfileString("windows", "Device", "dflt", value, sizeof value),
            4u);
  EXPECT_STREQ(value, "dflt");
  EXPECT_EQ(GetLastErrorCode(), *c.read_error);
  EXPECT_EQ(GetProfileString(nullptr, nullptr, "", value, sizeof value), 0u);
  EXPECT_EQ(GetLastErrorCode(), *c.read_error);
}

INSTANTIATE_TEST_SUITE_P(
    ProfileStore, FailureCases, ::testing::ValuesIn(kFailureCases),
    CaseName());

TEST(ProfileLimits, AreInclusive) {
  ProfileSandbox sandbox;
  const std::string longest_line = "k=" + std::string(kMaxLineBytes - 2, 'x');
  std::string profile = "[windows]\n" + longest_line + "\n";
  profile += ProfileOfSize(kMaxProfileBytes - profile.size());
  ASSERT_EQ(profile.size(), kMaxProfileBytes);
  sandbox.PutProfile(profile);
  std::string value(kMaxLineBytes, '\0');

  EXPECT_EQ(GetProfileString("windows", "k", "", value.data(),
                             static_cast<Dword>(value.size())),
            kMaxLineBytes - 2);
  EXPECT_EQ(GetLastErrorCode(), 0u);
  EXPECT_EQ(Write("windows", "k", "y").result, 1);
  EXPECT_EQ(Write("windows", "k", longest_line.c_str() + 2).result, 1);
}

}  // namespace
}  // namespace pellomar::profile_store::testing
