// The shared library as programs load it: by path, binding the three entry
// points by name, and nothing else exported.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

#include "profile_sandbox.h"
#include "system_abi.h"

namespace pellomar::profile_store::testing {
namespace {

struct CloseLibrary {
  void operator()(void* handle) const { dlclose(handle); }
};

struct ClosePipe {
  void operator()(FILE* stream) const { pclose(stream); }
};

class Kernel32 : public ::testing::Test {
 protected:
  void SetUp() override {
    library_.reset(dlopen(KERNEL32_PATH, RTLD_NOW | RTLD_LOCAL));
    ASSERT_NE(library_, nullptr) << dlerror();
  }

  template <typename Fn>
  Fn* Bind(const char* name) {
    return reinterpret_cast<Fn*>(dlsym(library_.get(), name));
  }

  std::unique_ptr<void, CloseLibrary> library_;
};

TEST_F(Kernel32, ExportsExactlyTheProfileFunctions) {
  const std::string command =
      std::string("nm -D --defined-only --format=posix ") + KERNEL32_PATH;
  const std::unique_ptr<FILE, ClosePipe> nm(popen(command.c_str(), "r"));
  ASSERT_NE(nm, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, nm.get()) != nullptr) {
    std::istringstream fields(line);
    std::string name, type;
    fields >> name >> type;
    if (type != "A") exported.insert(name);  // A: the version node
  }
  EXPECT_EQ(exported, (std::set<std::string>{"GetLastError", "GetProfileStringA",
                                             "WriteProfileStringA"}));
}

TEST_F(Kernel32, WritesAndReadsThroughTheExports) {
  ProfileSandbox sandbox;
  auto* write = Bind<platform::abi::WriteProfileStringAFn>("WriteProfileStringA");
  auto* read = Bind<platform::abi::GetProfileStringAFn>("GetProfileStringA");
  auto* last_error = Bind<platform::abi::Dword()>("GetLastError");
  ASSERT_NE(write, nullptr);
  ASSERT_NE(read, nullptr);
  ASSERT_NE(last_error, nullptr);

  EXPECT_EQ(write("windows", "Device", "Pellomar,winspool,Ne01:"), 1);
  char keys[16];
  EXPECT_EQ(read("windows", nullptr, "", keys, sizeof keys), 7u);
  EXPECT_EQ(std::string(keys, 8), std::string("Device\0\0", 8));
  EXPECT_EQ(write("windows", "Device\n[evil]", "x"), 0);
  EXPECT_EQ(last_error(), 87u);
  EXPECT_EQ(sandbox.ProfileBytes(), "[windows]\nDevice=Pellomar,winspool,Ne01:\n");
}

}  // namespace
}  // namespace pellomar::profile_store::testing
