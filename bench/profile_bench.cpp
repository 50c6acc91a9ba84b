// The profile functions of the kernel32 stand-in on profiles of 1 KB, 100 KB
// and 10 MB, in bytes of profile per second: WriteProfileStringA of the
// device entry (read, edit, write, fsync, rename, fsync the folder) and
// GetProfileStringA listing a section's keys (read, check, scan), both
// through the shared library as the program calls them; the floor's
// minimal replace of the same value; the in-memory parts alone; and the
// program's conversion of a text to the ANSI code page. The section used is the last one, so that the whole profile
// is scanned.
//
// The profiles live in a folder made under $PELLOMAR_BENCH_DIR (default
// /tmp): point it at the disk whose fsync is to be measured.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "ansi_code_page.h"
#include "floor_replace.h"
#include "profile_edit.h"
#include "profile_query.h"
#include "profile_validation.h"
#include "returned_string.h"
#include "system_abi.h"

namespace {

namespace abi = platform::abi;
namespace store = pellomar::profile_store;

constexpr abi::Dword kKeyListSize = 8102;  // what the program's helper gives

// A profile of about `bytes`: sections of ten keys, then [windows] last.
std::string MakeProfile(std::size_t bytes) {
  std::string text;
  for (int section = 0; text.size() + 200 < bytes; ++section) {
    text += "[section" + std::to_string(section) + "]\n";
    for (int key = 0; key < 10 && text.size() + 200 < bytes; ++key)
      text += "key" + std::to_string(key) + "=a value of some length\n";
    text += "\n";
  }
  text += "[windows]\nload=\nrun=\nDevice=Other,winspool,LPT1:\n";
  while (text.size() < bytes) text += ";\n";
  return text;
}

class Kernel32 {
 public:
  Kernel32() : handle_(dlopen(KERNEL32_PATH, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) throw std::runtime_error(dlerror());
    write = Bind<abi::WriteProfileStringAFn>("WriteProfileStringA");
    get = Bind<abi::GetProfileStringAFn>("GetProfileStringA");
  }

  abi::WriteProfileStringAFn* write;
  abi::GetProfileStringAFn* get;

 private:
  template <typename Fn>
  Fn* Bind(const char* name) {
    void* address = dlsym(handle_, name);
    if (address == nullptr) throw std::runtime_error(name);
    return reinterpret_cast<Fn*>(address);
  }

  void* handle_;  // kept loaded for the whole run
};

Kernel32& Library() {
  static Kernel32 library;
  return library;
}

// XDG_CONFIG_HOME for the whole run, holding a profile of the size asked for.
class ProfileFolder {
 public:
  ProfileFolder() {
    const char* base = std::getenv("PELLOMAR_BENCH_DIR");
    std::string path = std::string(base != nullptr ? base : "/tmp") + "/profile-bench.XXXXXX";
    if (mkdtemp(path.data()) == nullptr) throw std::runtime_error("mkdtemp " + path);
    path_ = path;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
  }
  ~ProfileFolder() { std::filesystem::remove_all(path_); }

  std::string ProfilePath() const { return path_ / "win.ini"; }

  void Put(const std::string& text) const {
    std::ofstream(ProfilePath(), std::ios::binary | std::ios::trunc) << text;
  }

 private:
  std::filesystem::path path_;
};

ProfileFolder& Folder() {
  static ProfileFolder folder;
  return folder;
}

void SetBytes(benchmark::State& state, std::size_t profile_bytes) {
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(profile_bytes));
}

void BM_WriteProfileStringA(benchmark::State& state) {
  const std::string profile = MakeProfile(static_cast<std::size_t>(state.range(0)));
  Folder().Put(profile);
  // Two values in turn: a write of the value already there changes nothing
  // and replaces no file.
  const char* const values[] = {"Pellomar,winspool,Ne01:", "Other,winspool,LPT1:"};
  std::size_t turn = 0;
  for (auto _ : state) {
    if (Library().write("windows", "Device", values[turn ^= 1]) == 0)
      state.SkipWithError("WriteProfileStringA failed");
  }
  SetBytes(state, profile.size());
}

// The same change by the floor's minimal durable replace, for comparison.
void BM_FloorReplace(benchmark::State& state) {
  const std::string profile = MakeProfile(static_cast<std::size_t>(state.range(0)));
  Folder().Put(profile);
  const std::string path = Folder().ProfilePath();
  const char* const values[] = {"Pellomar,winspool,Ne01:", "Other,winspool,LPT1:"};
  std::size_t turn = 0;
  for (auto _ : state) {
    if (floor_replace(path.c_str(), values[turn ^= 1]) != 0)
      state.SkipWithError("floor_replace failed");
  }
  SetBytes(state, profile.size());
}

void BM_GetProfileStringA_KeyList(benchmark::State& state) {
  const std::string profile = MakeProfile(static_cast<std::size_t>(state.range(0)));
  Folder().Put(profile);
  std::string buffer(kKeyListSize, ' ');
  for (auto _ : state) {
    const abi::Dword count =
        Library().get("windows", nullptr, "", buffer.data(), kKeyListSize);
    if (count != std::string_view("load\0run\0Device\0", 16).size())
      state.SkipWithError("unexpected key list");
    benchmark::DoNotOptimize(buffer.data());
  }
  SetBytes(state, profile.size());
}

// The edit of a write without the file: find the section and the key, and
// lay out the new text as pieces.
void BM_EditSetValue_InMemory(benchmark::State& state) {
  const std::string profile = MakeProfile(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    auto edit = store::EditSetValue(profile, "windows", "Device", "Pellomar,winspool,Ne01:");
    benchmark::DoNotOptimize(edit->size());
  }
  SetBytes(state, profile.size());
}

// What a key list does after reading the file: check the whole profile,
// find the section and list its keys.
void BM_KeyList_InMemory(benchmark::State& state) {
  const std::string profile = MakeProfile(static_cast<std::size_t>(state.range(0)));
  std::string buffer(kKeyListSize, ' ');
  for (auto _ : state) {
    if (store::ValidateProfile(profile) != store::Win32Error::kSuccess)
      state.SkipWithError("invalid profile");
    store::NameList names(buffer.data(), buffer.size());
    const auto section = store::FindSection(profile, "windows");
    store::ForEachKeyName(profile, *section,
                          [&](std::string_view name) { return names.Add(name); });
    benchmark::DoNotOptimize(names.Finish());
  }
  SetBytes(state, profile.size());
}

// One text to the ANSI code page, as the program hands each argument to a
// system function (it converts five per run).
void BM_ToAnsi(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::ToAnsi(u"Pellomar,winspool,Ne01:"));
}

void ProfileSizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(1 << 10)->Arg(100 << 10)->Arg(10 << 20);
}

BENCHMARK(BM_WriteProfileStringA)->Apply(ProfileSizes)->UseRealTime();
BENCHMARK(BM_FloorReplace)->Apply(ProfileSizes)->UseRealTime();
BENCHMARK(BM_GetProfileStringA_KeyList)->Apply(ProfileSizes)->UseRealTime();
BENCHMARK(BM_EditSetValue_InMemory)->Apply(ProfileSizes);
BENCHMARK(BM_KeyList_InMemory)->Apply(ProfileSizes);
BENCHMARK(BM_ToAnsi);

}  // namespace

BENCHMARK_MAIN();
