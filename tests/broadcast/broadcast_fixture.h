// Each broadcast test in a window folder of its own (a temporary
// XDG_RUNTIME_DIR), with msgwatch processes to receive.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"

namespace broadcast_testing {

namespace fs = std::filesystem;
using testing_support::BackgroundProcess;
using testing_support::Command;

inline const std::string kWindowsLine = R"(WM_WININICHANGE wParam=0 lParam="windows")";

// A program built beside the test program, run with `args` in the test's
// environment.
Command BuiltProgram(const std::string& name, std::vector<std::string> args = {});

// The test's own XDG_RUNTIME_DIR (and XDG_CONFIG_HOME, for the program's
// profile), handed to every process it starts.
class BroadcastTest : public testing::Test {
 protected:
  BroadcastTest();
  ~BroadcastTest() override;

  const fs::path& runtime_dir() const { return runtime_dir_; }
  fs::path windows_folder() const { return runtime_dir_ / "pellomar" / "windows"; }
  // Creates the window folder as the runtime would, for planting endpoints.
  fs::path MakeWindowsFolder() const;

  // Starts msgwatch (with `args`) and waits until it can receive.
  std::unique_ptr<BackgroundProcess> StartWatcher(const std::vector<std::string>& args = {});
  std::vector<std::unique_ptr<BackgroundProcess>> StartWatchers(int count);

  // Endpoint names in the window folder, all or those of one process.
  std::vector<std::string> Endpoints() const;
  std::vector<std::string> EndpointsOf(pid_t pid) const;

 private:
  fs::path runtime_dir_;
  std::map<std::string, std::optional<std::string>> saved_environment_;
};

// Sends through the real SendMessageA of libuser32.so, bound by name as the
// program does it, under a watchdog.
std::intptr_t SendRaw(std::intptr_t hWnd, std::uint32_t msg, std::uintptr_t wParam,
                      std::intptr_t lParam);
std::intptr_t BroadcastRaw(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam);
// Broadcasts WM_WININICHANGE with "windows", as the program does.
void BroadcastWindowsChange();

}  // namespace broadcast_testing
