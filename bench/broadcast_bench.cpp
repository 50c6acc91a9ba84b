// SendMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, "windows") through the
// user32 stand-in to 1, 16 and 64 receivers: msgwatch processes, started
// before the timing and kept for the whole run, in a runtime folder of
// their own (made inside $XDG_RUNTIME_DIR, else /tmp). per_receiver is the
// time of one broadcast divided by the receivers it reached; the median over
// the repetitions is the figure. BM_RoundTripFloor is what one such delivery
// costs at the least on this machine, for comparison.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "system_abi.h"

extern char** environ;

namespace {

namespace abi = platform::abi;

constexpr abi::Uint kWmWinIniChange = 0x001A;
const auto kBroadcast = reinterpret_cast<abi::Hwnd>(std::uintptr_t{0xFFFF});

// msgwatch windows in a private XDG_RUNTIME_DIR, as many as asked for.
class Receivers {
 public:
  Receivers() {
    // Inside the runtime folder given, or /tmp; short, for socket addresses;
    // new, so that only our receivers listen there.
    const char* given = std::getenv("XDG_RUNTIME_DIR");
    std::string path = std::string(given != nullptr && given[0] == '/' ? given : "/tmp") +
                       "/bcast.XXXXXX";
    if (mkdtemp(path.data()) == nullptr) throw std::runtime_error("mkdtemp");
    runtime_ = path;
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
  }
  Receivers(const Receivers&) = delete;
  Receivers& operator=(const Receivers&) = delete;
  ~Receivers() {
    Resize(0);
    std::filesystem::remove_all(runtime_);
  }

  void Resize(std::size_t count) {
    while (pids_.size() < count) pids_.push_back(Spawn());
    while (pids_.size() > count) {
      kill(pids_.back(), SIGTERM);
      waitpid(pids_.back(), nullptr, 0);
      pids_.pop_back();
    }
    WaitForEndpoints(count);
  }

 private:
  static pid_t Spawn() {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(MSGWATCH_PATH), nullptr};
    pid_t pid = -1;
    const int error = posix_spawn(&pid, MSGWATCH_PATH, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) throw std::runtime_error("cannot start msgwatch");
    return pid;
  }

  // Each window publishes one endpoint once it listens.
  void WaitForEndpoints(std::size_t count) const {
    const auto folder = runtime_ / "pellomar" / "windows";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
      std::size_t listening = 0;
      std::error_code error;
      for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (!entry.path().filename().string().ends_with("~")) ++listening;
      if (listening == count) return;
      if (std::chrono::steady_clock::now() > deadline)
        throw std::runtime_error("receivers did not come up");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  std::filesystem::path runtime_;
  std::vector<pid_t> pids_;
};

Receivers& TheReceivers() {
  static Receivers receivers;
  return receivers;
}

abi::SendMessageAFn* SendMessageA() {
  static abi::SendMessageAFn* const send = [] {
    void* library = dlopen(USER32_PATH, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) throw std::runtime_error(dlerror());
    void* address = dlsym(library, "SendMessageA");
    if (address == nullptr) throw std::runtime_error("no SendMessageA");
    return reinterpret_cast<abi::SendMessageAFn*>(address);
  }();
  return send;
}

void BM_Broadcast(benchmark::State& state) {
  const auto receivers = static_cast<std::size_t>(state.range(0));
  TheReceivers().Resize(receivers);
  static const char kSection[] = "windows";
  for (auto _ : state)
    SendMessageA()(kBroadcast, kWmWinIniChange, 0, reinterpret_cast<abi::Lparam>(kSection));
  state.counters["receivers"] = static_cast<double>(receivers);
  state.counters["per_receiver"] = benchmark::Counter(
      static_cast<double>(receivers),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The floor of one delivery: a fresh Unix-domain connection to a process
// that reads a frame of the same size (a "windows" message, 40 bytes) and
// answers 16 bytes, with plain blocking calls and nothing else.
class RoundTripPeer {
 public:
  explicit RoundTripPeer(const std::string& path) : path_(path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0 || bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, SOMAXCONN) != 0)
      throw std::runtime_error("cannot listen at " + path);
    address_ = address;
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) Serve(listener);
    close(listener);
  }
  RoundTripPeer(const RoundTripPeer&) = delete;
  RoundTripPeer& operator=(const RoundTripPeer&) = delete;
  ~RoundTripPeer() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    unlink(path_.c_str());
  }

  bool RoundTrip() const {
    std::array<char, 40> frame{};
    std::array<char, 16> reply{};
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool done =
        fd >= 0 && connect(fd, reinterpret_cast<const sockaddr*>(&address_), sizeof address_) == 0 &&
        write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size()) &&
        read(fd, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size());
    if (fd >= 0) close(fd);
    return done;
  }

 private:
  [[noreturn]] static void Serve(int listener) {
    std::array<char, 40> frame{};
    const std::array<char, 16> reply{};
    for (;;) {
      const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      std::size_t got = 0;
      for (ssize_t n; got < frame.size() && (n = read(fd, frame.data() + got, frame.size() - got)) > 0;)
        got += static_cast<std::size_t>(n);
      if (got == frame.size()) {
        [[maybe_unused]] const ssize_t sent = write(fd, reply.data(), reply.size());
      }
      close(fd);
    }
  }

  std::string path_;
  sockaddr_un address_{};
  pid_t pid_ = -1;
};

void BM_RoundTripFloor(benchmark::State& state) {
  TheReceivers().Resize(0);
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const RoundTripPeer peer(std::string(runtime) + "/floor.sock");
  for (auto _ : state)
    if (!peer.RoundTrip()) state.SkipWithError("round trip failed");
}

BENCHMARK(BM_Broadcast)
    ->Arg(1)->Arg(16)->Arg(64)
    ->UseRealTime()
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RoundTripFloor)
    ->UseRealTime()
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TheReceivers().Resize(0);
  return 0;
}
