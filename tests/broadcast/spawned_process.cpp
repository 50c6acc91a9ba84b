#include "spawned_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "watchdog.h"

extern char** environ;

namespace broadcast_testing {

SpawnedProcess::SpawnedProcess(const std::filesystem::path& program,
                               const std::vector<std::string>& args) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);

  std::vector<std::string> texts{program.string()};
  texts.insert(texts.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& text : texts) argv.push_back(text.data());
  argv.push_back(nullptr);

  const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (rc != 0) {
    close(out[0]);
    throw std::runtime_error("cannot start " + program.string());
  }
  out_fd_ = out[0];
  RegisterChild(pid_);
}

SpawnedProcess::~SpawnedProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    ForgetChild(pid_);
  }
  if (out_fd_ >= 0) close(out_fd_);
}

bool SpawnedProcess::Fill(int timeout_ms) {
  if (eof_) return false;
  pollfd fd{out_fd_, POLLIN, 0};
  const int ready = poll(&fd, 1, timeout_ms);
  if (ready < 0 && errno != EINTR) throw std::runtime_error("poll failed");
  if (ready <= 0) return true;
  char chunk[4096];
  const ssize_t n = read(out_fd_, chunk, sizeof chunk);
  if (n > 0) pending_.append(chunk, static_cast<std::size_t>(n));
  if (n == 0) eof_ = true;
  return !eof_;
}

std::optional<std::string> SpawnedProcess::TakeLine() {
  const auto newline = pending_.find('\n');
  if (newline == std::string::npos) return std::nullopt;
  std::string line = pending_.substr(0, newline);
  pending_.erase(0, newline + 1);
  return line;
}

std::optional<std::string> SpawnedProcess::ReadLine(
    std::chrono::milliseconds timeout) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (auto line = TakeLine()) return line;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0 || !Fill(static_cast<int>(left.count())))
      return TakeLine();
  }
}

std::vector<std::string> SpawnedProcess::LinesSoFar() {
  // A pipe holds what was written before; draining it needs no waiting.
  std::size_t before;
  do {
    before = pending_.size();
    Fill(0);
  } while (pending_.size() != before);
  std::vector<std::string> lines;
  while (auto line = TakeLine()) lines.push_back(*line);
  return lines;
}

std::vector<std::string> SpawnedProcess::StopAndCollect(int signal) {
  if (pid_ > 0) kill(pid_, signal);
  // A process that ignores the signal is killed after a generous while.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (Fill(100)) {
    if (pid_ > 0 && std::chrono::steady_clock::now() > deadline) kill(pid_, SIGKILL);
  }
  std::vector<std::string> lines;
  while (auto line = TakeLine()) lines.push_back(*line);
  if (!pending_.empty()) lines.push_back(pending_);  // an unfinished last line
  pending_.clear();
  if (pid_ > 0) {
    waitpid(pid_, &wait_status_, 0);
    ForgetChild(pid_);
    pid_ = -1;
  }
  return lines;
}

}  // namespace broadcast_testing
