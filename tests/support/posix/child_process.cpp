#include "child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "watchdog.h"

extern char** environ;

namespace testing_support {
namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> ChildEnvironment(const Command& command) {
  std::map<std::string, std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const auto eq = text.find('=');
    if (eq != std::string::npos) env[text.substr(0, eq)] = text.substr(eq + 1);
  }
  for (const auto& [name, value] : command.env) {
    if (value.empty())
      env.erase(name);
    else
      env[name] = value;
  }
  std::vector<std::string> list;
  for (const auto& [name, value] : env) list.push_back(name + "=" + value);
  return list;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Forks and executes; the child's stdout goes to `out_fd`, its stderr to
// `err_fd` or, when that is -1, where the test's own goes. The child is
// registered for the watchdog.
pid_t Spawn(const Command& command, int out_fd, int err_fd) {
  std::vector<std::string> argv_texts{command.program.string()};
  argv_texts.insert(argv_texts.end(), command.args.begin(), command.args.end());
  std::vector<std::string> env_texts = ChildEnvironment(command);
  std::vector<char*> argv = Pointers(argv_texts);
  std::vector<char*> envp = Pointers(env_texts);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    const int null_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    dup2(null_fd, 0);
    dup2(out_fd, 1);
    if (err_fd >= 0) dup2(err_fd, 2);
    if (command.run_as) {
      if (setgroups(0, nullptr) != 0 || setgid(command.run_as->second) != 0 ||
          setuid(command.run_as->first) != 0)
        _exit(126);
    }
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  RegisterChild(pid);
  return pid;
}

void MakePipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

// Appends what one read gives; false at end of output.
bool Drain(int fd, std::string& into) {
  char chunk[4096];
  const ssize_t n = read(fd, chunk, sizeof chunk);
  if (n > 0) into.append(chunk, static_cast<std::size_t>(n));
  return n > 0 || (n < 0 && errno == EINTR);
}

void FillOutcome(int status, Outcome& outcome) {
  if (WIFEXITED(status)) outcome.exit_status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
}

}  // namespace

std::filesystem::path BuildFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

Outcome Run(const Command& command, std::chrono::seconds watchdog) {
  int out[2], err[2];
  MakePipe(out);
  MakePipe(err);
  const pid_t pid = Spawn(command, out[1], err[1]);
  close(out[1]);
  close(err[1]);

  Outcome outcome;
  const auto deadline = Clock::now() + watchdog;
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) {
      kill(pid, SIGKILL);
      outcome.err += "[killed by the test's watchdog]";
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].revents == 0) continue;
      std::string& into = i == 0 ? outcome.out : outcome.err;
      if (!Drain(fds[i].fd, into)) (i == 0 ? out_open : err_open) = false;
    }
  }
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  ForgetChild(pid);
  FillOutcome(status, outcome);
  return outcome;
}

BackgroundProcess::BackgroundProcess(const Command& command) {
  int out[2];
  MakePipe(out);
  pid_ = Spawn(command, out[1], -1);
  close(out[1]);
  out_fd_ = out[0];
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    ForgetChild(pid_);
  }
  if (out_fd_ >= 0) close(out_fd_);
}

bool BackgroundProcess::Fill(int timeout_ms) {
  if (eof_) return false;
  pollfd fd{out_fd_, POLLIN, 0};
  const int ready = poll(&fd, 1, timeout_ms);
  if (ready < 0 && errno != EINTR) throw std::runtime_error("poll failed");
  if (ready <= 0) return true;
  if (!Drain(out_fd_, pending_)) eof_ = true;
  return !eof_;
}

std::optional<std::string> BackgroundProcess::TakeLine() {
  const auto newline = pending_.find('\n');
  if (newline == std::string::npos) return std::nullopt;
  std::string line = pending_.substr(0, newline);
  pending_.erase(0, newline + 1);
  return line;
}

std::optional<std::string> BackgroundProcess::ReadLine(
    std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    if (auto line = TakeLine()) return line;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0 || !Fill(static_cast<int>(left.count())))
      return TakeLine();
  }
}

std::vector<std::string> BackgroundProcess::LinesSoFar() {
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

std::vector<std::string> BackgroundProcess::StopAndCollect(int signal) {
  if (pid_ > 0 && signal != 0) kill(pid_, signal);
  // A process that ignores the signal is killed after a generous while.
  const auto deadline = Clock::now() + std::chrono::seconds(30);
  while (Fill(100)) {
    if (pid_ > 0 && Clock::now() > deadline) kill(pid_, SIGKILL);
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

}  // namespace testing_support
