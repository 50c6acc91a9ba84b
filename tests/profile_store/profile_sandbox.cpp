#include "profile_sandbox.h"

#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pellomar::profile_store::testing {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

std::string TemporaryBase() {
  const char* tmpdir = std::getenv("TMPDIR");
  return (tmpdir != nullptr && *tmpdir == '/') ? tmpdir : "/tmp";
}

// Read-only folders left by a test must not stop the clean-up.
void MakeRemovable(const std::string& root) {
  std::error_code ignored;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(
           root, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                      ignored);
  }
}

}  // namespace

ProfileSandbox::ProfileSandbox() {
  std::string pattern = TemporaryBase() + "/pellomar-store-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr)
    throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
  config_folder_ = root_ + "/config";
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) saved_config_home_ = old;
  setenv("XDG_CONFIG_HOME", config_folder_.c_str(), 1);
}

ProfileSandbox::~ProfileSandbox() {
  if (saved_config_home_)
    setenv("XDG_CONFIG_HOME", saved_config_home_->c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
  MakeRemovable(root_);
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

void ProfileSandbox::PutProfile(std::string_view bytes) const {
  fs::create_directories(config_folder_);
  PutFile(profile_path(), bytes);
}

std::optional<std::string> ProfileSandbox::ProfileBytes() const {
  return FileBytes(profile_path());
}

std::set<std::string> ProfileSandbox::Entries(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored))
    names.insert(entry.path().filename().string());
  return names;
}

void PutFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

std::optional<std::string> FileBytes(const std::string& path) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

uid_t UnprivilegedUid() { return geteuid() == 0 ? kNobody : geteuid(); }
gid_t UnprivilegedGid() { return geteuid() == 0 ? kNobody : getegid(); }

void GiveToUnprivileged(const std::string& path) {
  if (geteuid() != 0) return;
  if (lchown(path.c_str(), UnprivilegedUid(), UnprivilegedGid()) != 0)
    throw std::runtime_error("cannot chown " + path);
}

WriteOutcome Write(const char* section, const char* key, const char* value) {
  WriteOutcome outcome;
  outcome.result = WriteProfileString(section, key, value);
  outcome.error = GetLastErrorCode();
  return outcome;
}

std::optional<WriteOutcome> WriteInChild(
    const std::function<bool()>& restrict,
    const std::function<WriteOutcome()>& call) {
  int channel[2];
  if (pipe(channel) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    close(channel[0]);
    if (!restrict()) _exit(2);
    const WriteOutcome outcome = call();
    const bool sent =
        write(channel[1], &outcome, sizeof outcome) == sizeof outcome;
    _exit(sent ? 0 : 3);
  }
  close(channel[1]);
  WriteOutcome outcome;
  const ssize_t received = read(channel[0], &outcome, sizeof outcome);
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 2) return std::nullopt;
  if (received != sizeof outcome || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0)
    throw std::runtime_error("the writing child failed");
  return outcome;
}

bool DropPrivileges() {
  if (geteuid() != 0) return true;
  return setgroups(0, nullptr) == 0 && setgid(UnprivilegedGid()) == 0 &&
         setuid(UnprivilegedUid()) == 0;
}

bool LimitFileSize(std::size_t bytes) {
  // Past the limit write() fails with EFBIG instead of killing us.
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  return setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

}  // namespace pellomar::profile_store::testing
