// Runs pellomar, and msgwatch beside it, in a profile folder and a window
// runtime folder of the test's own.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "device_entry_text.h"

namespace fs = std::filesystem;
using testing_support::BackgroundProcess;
using testing_support::Command;
using testing_support::Outcome;

inline const std::string kBroadcastLine =
    R"(WM_WININICHANGE wParam=0 lParam="windows")";
inline const std::string kDeviceLine = "Device=" + kDeviceEntry;

inline fs::path MakeTempFolder(const char* what) {
  std::string pattern = (fs::temp_directory_path() / what).string() + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

inline std::optional<std::string> ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string{std::istreambuf_iterator<char>(in), {}};
}

inline void WriteFile(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

class ProgramTest : public testing::Test {
 protected:
  ProgramTest()
      : root_(MakeTempFolder("pellomar-e2e")),
        config_(root_ / "config"),
        runtime_(root_ / "runtime") {
    fs::create_directories(config_);
    fs::create_directories(runtime_);
    fs::permissions(runtime_, fs::perms::owner_all);
  }
  ~ProgramTest() override {
    std::error_code ignored;
    fs::permissions(root_, fs::perms::owner_all, ignored);
    fs::remove_all(root_, ignored);
  }

  fs::path profile() const { return config_ / "win.ini"; }

  Command ProgramCommand(const fs::path& program,
                         std::vector<std::string> args = {}) const {
    // A UTF-8 locale: the ANSI code page the program writes the entry in
    // is then the UTF-8 the expected entry is given in.
    return Command{program, std::move(args),
                   {{"XDG_CONFIG_HOME", config_.string()},
                    {"XDG_RUNTIME_DIR", runtime_.string()},
                    {"LC_ALL", "C.UTF-8"}},
                   run_as_};
  }

  // Runs pellomar and checks what holds for every run: it prints nothing
  // and ends of its own accord.
  Outcome RunPellomar(std::vector<std::string> args = {}) {
    Outcome outcome = testing_support::Run(
        ProgramCommand(programs_ / "pellomar", std::move(args)));
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.signal, 0);
    EXPECT_EQ(outcome.exit_status, 0);
    return outcome;
  }

  // Starts msgwatch and waits until it can receive.
  std::unique_ptr<BackgroundProcess> StartWatcher() {
    auto watcher = std::make_unique<BackgroundProcess>(
        ProgramCommand(programs_ / "msgwatch"));
    EXPECT_EQ(watcher->ReadLine(std::chrono::seconds(30)), "ready");
    return watcher;
  }

  // Where the programs run from, with the stand-in libraries beside them.
  fs::path programs_ = testing_support::BuildFolder();
  fs::path root_;
  fs::path config_;
  fs::path runtime_;
  std::optional<std::pair<uid_t, gid_t>> run_as_;
};
