// On Windows the profile is win.ini in the Windows folder. Wine keeps the
// files it has read and takes a file for the same one while its write time
// is unchanged: every file put here gets a write time of its own.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "profile_file.h"

namespace differential {
namespace {

void SetWriteTime(const std::string& path, unsigned serial) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  // 2001-01-01 plus one minute per file put.
  ULARGE_INTEGER when;
  when.QuadPart = 126227808000000000ULL + serial * 600000000ULL;
  FILETIME time{when.LowPart, when.HighPart};
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

}  // namespace

ProfileFile::ProfileFile() {
  char folder[MAX_PATH] = {};
  const UINT n = GetWindowsDirectoryA(folder, MAX_PATH);
  path_ = std::string(folder, n) + "\\win.ini";
  saved_ = Bytes();
}

ProfileFile::~ProfileFile() { Put(saved_); }

void ProfileFile::Put(const std::optional<std::string>& bytes) {
  ++puts_;
  DeleteFileA(path_.c_str());
  if (!bytes) return;
  std::ofstream(path_, std::ios::binary) << *bytes;
  SetWriteTime(path_, puts_);
}

std::optional<std::string> ProfileFile::Bytes() const {
  std::ifstream in(path_, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string{std::istreambuf_iterator<char>(in), {}};
}

}  // namespace differential
