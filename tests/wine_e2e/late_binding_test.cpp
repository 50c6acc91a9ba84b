// System functions bound by name from the system's own libraries; a missing
// library or function is a broken install.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "late_binding.h"

namespace {

void* Untyped(FARPROC address) {
  void* untyped = nullptr;
  std::memcpy(&untyped, &address, sizeof untyped);
  return untyped;
}

TEST(LateBinding, FindsTheSystemsOwnFunctions) {
  for (const auto& [library, function] :
       {std::pair{"kernel32", "WriteProfileStringA"},
        std::pair{"kernel32", "GetProfileStringA"},
        std::pair{"user32", "SendMessageA"}}) {
    EXPECT_EQ(platform::ResolveFunction(library, function),
              Untyped(GetProcAddress(LoadLibraryA(library), function)))
        << library << "!" << function;
  }
}

TEST(LateBindingDeathTest, MissingFunctionIsABrokenInstallNamingBoth) {
  EXPECT_EXIT(platform::ResolveFunction("kernel32", "PellomarNoSuchFunction"),
              testing::ExitedWithCode(127),
              "broken install: cannot bind PellomarNoSuchFunction from library "
              "kernel32");
}

TEST(LateBindingDeathTest, MissingLibraryIsABrokenInstallNamingBoth) {
  EXPECT_EXIT(platform::ResolveFunction("pellomar_no_such_library", "SendMessageA"),
              testing::ExitedWithCode(127),
              "broken install: cannot bind SendMessageA from library "
              "pellomar_no_such_library");
}

}  // namespace
