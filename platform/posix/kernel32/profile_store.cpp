#include "profile_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "file_replace.h"
#include "last_error.h"
#include "profile_edit.h"
#include "profile_file.h"
#include "profile_limits.h"
#include "profile_path.h"
#include "profile_query.h"
#include "profile_text.h"
#include "returned_string.h"

namespace pellomar::profile_store {
namespace {

constexpr Bool kTrue = 1;
constexpr Bool kFalse = 0;

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// A section name as written: trimmed, not empty, on one line, no ']'.
std::optional<std::string_view> SectionArgument(const char* section) {
  if (section == nullptr) return std::nullopt;
  const std::string_view name = TrimBlanks(section);
  if (name.empty() || HasLineBreak(name) ||
      name.find(']') != std::string_view::npos)
    return std::nullopt;
  return name;
}

// A key name as written: trimmed, not empty, on one line, no '=', and not
// one that would read back as a header or a comment.
std::optional<std::string_view> KeyArgument(const char* key) {
  const std::string_view name = TrimBlanks(key);
  if (name.empty() || HasLineBreak(name) ||
      name.find('=') != std::string_view::npos || name.front() == '[' ||
      name.front() == ';')
    return std::nullopt;
  return name;
}

// One write under the lock of `target`, the file the profile path leads to:
// read, edit, replace.
Win32Error WriteLocked(const std::string& target, bool through_symlink,
                       std::string_view section, const char* key,
                       const char* value) {
  Expected<ProfileBytes> old = ReadProfile(target);
  const bool exists = old.ok();
  if (!exists &&
      (old.error() != Win32Error::kFileNotFound || through_symlink))
    return old.error();
  if (exists && faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
    return Win32ErrorFromErrno(errno, Win32Error::kAccessDenied);

  RemoveStaleTemporaries(target);

  const std::string_view text = exists ? old->text() : std::string_view();
  Expected<ProfileEdit> edit =
      key == nullptr     ? EditDeleteSection(text, section)
      : value == nullptr ? EditDeleteKey(text, section, TrimBlanks(key))
                         : EditSetValue(text, section, TrimBlanks(key), value);
  if (!edit.ok()) return edit.error();
  if (!edit->changed()) return Win32Error::kSuccess;
  if (edit->size() > kMaxProfileBytes) return Win32Error::kFileTooLarge;
  return ReplaceFile(target, *edit, exists ? &old->status() : nullptr);
}

Win32Error Write(const char* section_argument, const char* key,
                 const char* value) {
  const std::optional<std::string_view> section =
      SectionArgument(section_argument);
  if (!section) return Win32Error::kInvalidParameter;
  if (key != nullptr && !KeyArgument(key)) return Win32Error::kInvalidParameter;
  if (value != nullptr && HasLineBreak(value))
    return Win32Error::kInvalidParameter;

  const Expected<std::string> folder = ProfileFolder();
  if (!folder.ok()) return folder.error();
  const std::string profile_path = *folder + "/" + kProfileFileName;

  const bool deleting = key == nullptr || value == nullptr;
  if (deleting) {
    // Deleting from a profile that is not there changes nothing, and
    // creates nothing either.
    struct stat status {};
    if (lstat(profile_path.c_str(), &status) != 0 && errno == ENOENT)
      return Win32Error::kSuccess;
  } else if (const Win32Error created = CreateFolders(*folder);
             created != Win32Error::kSuccess) {
    return created;
  }

  // Writers that reach one file by different paths (through a symlink and
  // directly) must share one lock, so it lives beside the file written. A
  // link changed while a writer waited for the lock sends it round again.
  for (;;) {
    bool through_symlink = false;
    const Expected<std::string> target =
        ResolveTarget(profile_path, through_symlink);
    if (!target.ok()) return target.error();
    const Expected<ProfileLock> lock =
        ProfileLock::Acquire(*target + kLockSuffix);
    if (!lock.ok()) return lock.error();
    bool still_through_symlink = false;
    const Expected<std::string> locked =
        ResolveTarget(profile_path, still_through_symlink);
    if (!locked.ok()) return locked.error();
    if (*locked == *target)
      return WriteLocked(*target, through_symlink, *section, key, value);
  }
}

struct ReadAnswer {
  Dword count;
  Win32Error error;
};

Dword AsDword(std::size_t count) { return static_cast<Dword>(count); }

ReadAnswer GiveDefault(const char* default_value, char* returned, Dword size,
                       bool list_mode, Win32Error error) {
  const std::string_view fallback =
      TrimTrailingBlanks(default_value != nullptr ? default_value : "");
  const Returned copied = CopyString(fallback, returned, size);
  return {list_mode ? 0 : AsDword(copied.count), error};
}

ReadAnswer Answer(const Returned& returned) {
  return {AsDword(returned.count),
          returned.truncated ? Win32Error::kMoreData : Win32Error::kSuccess};
}

ReadAnswer Read(const char* section, const char* key,
                const char* default_value, char* returned, Dword size) {
  if (size > 0 && returned == nullptr)
    return {0, Win32Error::kInvalidParameter};
  const bool list_mode = section == nullptr || key == nullptr;
  const auto fallback = [&](Win32Error error) {
    return GiveDefault(default_value, returned, size, list_mode, error);
  };

  const Expected<std::string> folder = ProfileFolder();
  if (!folder.ok()) return fallback(folder.error());
  const Expected<ProfileBytes> profile =
      ReadProfile(*folder + "/" + kProfileFileName);
  if (!profile.ok()) return fallback(profile.error());
  const std::string_view text = profile->text();

  NameList names(returned, size);
  const auto add = [&](std::string_view name) { return names.Add(name); };
  if (section == nullptr) {
    ForEachSectionName(text, add);
    if (names.empty()) return fallback(Win32Error::kFileNotFound);
    return Answer(names.Finish());
  }

  const std::optional<SectionSpan> found =
      FindSection(text, TrimBlanks(section));
  if (!found) return fallback(Win32Error::kFileNotFound);
  if (key == nullptr) {
    ForEachKeyName(text, *found, add);
    if (names.empty()) return fallback(Win32Error::kSuccess);
    return Answer(names.Finish());
  }
  const std::optional<KeySpan> value = FindKey(text, *found, TrimBlanks(key));
  if (!value) return fallback(Win32Error::kFileNotFound);
  const std::string_view bytes = text.substr(
      value->parsed.value_begin,
      value->parsed.value_end - value->parsed.value_begin);
  return Answer(CopyString(Unquote(bytes), returned, size));
}

}  // namespace

Bool WriteProfileString(const char* section, const char* key,
                        const char* value) noexcept {
  Win32Error error;
  try {
    error = Write(section, key, value);
  } catch (const std::bad_alloc&) {
    error = Win32Error::kNotEnoughMemory;
  }
  SetLastError(error);
  return error == Win32Error::kSuccess ? kTrue : kFalse;
}

Dword GetProfileString(const char* section, const char* key,
                       const char* default_value, char* returned,
                       Dword size) noexcept {
  ReadAnswer answer{0, Win32Error::kSuccess};
  try {
    answer = Read(section, key, default_value, returned, size);
  } catch (const std::bad_alloc&) {
    answer = {0, Win32Error::kNotEnoughMemory};
  }
  SetLastError(answer.error);
  return answer.count;
}

Dword GetLastErrorCode() noexcept {
  return static_cast<Dword>(LastError());
}

}  // namespace pellomar::profile_store
