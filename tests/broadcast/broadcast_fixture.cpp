#include "broadcast_fixture.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "late_binding.h"
#include "messages.h"
#include "system_abi.h"
#include "system_functions.h"
#include "watchdog.h"

namespace broadcast_testing {

using testing_support::Watchdog;

Command BuiltProgram(const std::string& name, std::vector<std::string> args) {
  Command command;
  command.program = testing_support::BuildFolder() / name;
  command.args = std::move(args);
  return command;
}

BroadcastTest::BroadcastTest() {
  std::string pattern = (fs::temp_directory_path() / "pellomar-broadcast-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  runtime_dir_ = pattern;
  const std::pair<const char*, fs::path> environment[] = {
      {"XDG_RUNTIME_DIR", runtime_dir_}, {"XDG_CONFIG_HOME", runtime_dir_ / "config"}};
  for (const auto& [name, value] : environment) {
    const char* saved = std::getenv(name);
    saved_environment_[name] = saved != nullptr ? std::optional<std::string>(saved) : std::nullopt;
    setenv(name, value.c_str(), 1);
  }
}

BroadcastTest::~BroadcastTest() {
  for (const auto& [name, saved] : saved_environment_) {
    if (saved)
      setenv(name.c_str(), saved->c_str(), 1);
    else
      unsetenv(name.c_str());
  }
  std::error_code ignored;
  fs::permissions(runtime_dir_ / "pellomar", fs::perms::owner_all, ignored);
  fs::remove_all(runtime_dir_, ignored);
}

fs::path BroadcastTest::MakeWindowsFolder() const {
  mkdir((runtime_dir_ / "pellomar").c_str(), 0700);
  mkdir(windows_folder().c_str(), 0700);
  return windows_folder();
}

std::unique_ptr<BackgroundProcess> BroadcastTest::StartWatcher(
    const std::vector<std::string>& args) {
  auto watcher = std::make_unique<BackgroundProcess>(BuiltProgram("msgwatch", args));
  EXPECT_EQ(watcher->ReadLine(std::chrono::seconds(30)), "ready");
  return watcher;
}

std::vector<std::unique_ptr<BackgroundProcess>> BroadcastTest::StartWatchers(int count) {
  std::vector<std::unique_ptr<BackgroundProcess>> watchers;
  // Started all at once, then waited for: start-up overlaps.
  for (int i = 0; i < count; ++i)
    watchers.push_back(std::make_unique<BackgroundProcess>(BuiltProgram("msgwatch")));
  for (auto& watcher : watchers)
    EXPECT_EQ(watcher->ReadLine(std::chrono::seconds(30)), "ready");
  return watchers;
}

std::vector<std::string> BroadcastTest::Endpoints() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(windows_folder(), error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> BroadcastTest::EndpointsOf(pid_t pid) const {
  std::vector<std::string> names = Endpoints();
  const std::string prefix = std::to_string(pid) + ".";
  std::erase_if(names, [&](const std::string& name) { return !name.starts_with(prefix); });
  return names;
}

std::intptr_t SendRaw(std::intptr_t hWnd, std::uint32_t msg, std::uintptr_t wParam,
                      std::intptr_t lParam) {
  static auto* send = reinterpret_cast<platform::abi::SendMessageAFn*>(
      platform::ResolveFunction("user32", "SendMessageA"));
  Watchdog watchdog("SendMessageA");
  return send(reinterpret_cast<platform::abi::Hwnd>(hWnd), msg, wParam, lParam);
}

std::intptr_t BroadcastRaw(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam) {
  return SendRaw(platform::HWND_BROADCAST, msg, wParam, lParam);
}

void BroadcastWindowsChange() {
  Watchdog watchdog("the broadcast");
  platform::SendMessageA(platform::HWND_BROADCAST, platform::WM_WININICHANGE, 0, u"windows");
}

}  // namespace broadcast_testing
