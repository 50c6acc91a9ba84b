// The limits of the system profile store and the rules it follows where the
// Windows profile functions leave the choice open. This comment is the one
// place that states them; the README copies it.
//
// Where the profile lives
// - The file win.ini in $XDG_CONFIG_HOME; when that is unset, empty or not an
//   absolute path, in $HOME/.config; when HOME is unset or empty, in the
//   .config folder of the passwd entry's home. No home at all:
//   ERROR_PATH_NOT_FOUND.
// - Missing folders are created (with parents, mode 0700) by a write that
//   changes something. A new profile gets mode 0600.
//
// Format
// - Bytes, no code-set conversion. Lines end with CRLF, LF or a CR alone,
//   as on Windows, so a file of CR-ended lines (old editors write them)
//   reads as one of CRLF lines and keeps its CRs when written.
// - NUL bytes are bytes of their lines. A line of blanks and NULs only (the
//   padding of a file written with its buffer's size) is a blank line. A
//   value is read up to its first NUL; a key or section name holding a NUL
//   is never listed (in a NUL-separated list it would read as two names or
//   as the list's end) and no caller's name matches it.
// - Blanks are spaces and tabs. A line whose first non-blank byte is '[' is a
//   section header; the name runs to the first ']' (or to the line's end when
//   there is none), blanks trimmed, and what follows the ']' is ignored. A
//   line starting with ';' is a comment. A line holding '=' is a key line:
//   name before the first '=', value after it, blanks trimmed. A line with an
//   empty key name or without '=' is kept but is not a key. Lines before the
//   first header belong to no section.
// - Names match regardless of ASCII case; other bytes compare exactly.
// - The first header of a name is that section; later headers of the same
//   name are shadowed: kept, listed among the section names, but never read
//   or written. Within a section the first key line of a name wins the same
//   way, and every key line is listed, duplicates included.
// - A section runs from its header to the next header: comments and blank
//   lines just above a header belong to the section before it.
// - A header with an empty name ("[]") names no section and is not listed:
//   in a NUL-separated list it would read as the list's end.
//
// Writes
// - A value replaces the old one in place: the bytes up to the value (key
//   name, '=', blanks) and the line ending stay, the value and its trailing
//   blanks are replaced. The value is written as given (reads trim it).
// - Names given by the caller are trimmed of blanks, and written trimmed.
// - A new key goes right after the section's last line that is neither blank
//   nor a comment (the header when there is none), so blank lines and
//   comments that separate it from the next section stay below it. A new
//   section goes at the end of the file, without a blank line before it.
// - New lines take the ending of the file's first line (LF for a file with
//   none). A last line without an ending gets one before anything is
//   appended, and every line the store writes ends with a line ending. A CR
//   that ends the file is taken as a CRLF whose LF is missing (and gets it)
//   unless the file's first line ends in a CR alone. In a file that mixes
//   endings, a new CR-ended line that would stand right before an empty
//   LF-ended line ends in CRLF instead (the two would read as one line), and
//   a deletion that brings a CR-ended line and such an empty line together
//   leaves them one CRLF-ended line: that empty line goes.
// - A null value deletes every key line of that name in the section; a null
//   key deletes every header of that name and all their lines.
// - A write that changes nothing (same value, deleting what is not there)
//   succeeds without replacing the file; deleting from a profile that does
//   not exist creates nothing.
// - Invalid arguments (ERROR_INVALID_PARAMETER): null section name; a name
//   that is empty after trimming; a CR or LF in any name or value; ']' in a
//   section name; '=' in a key name or one starting with '[' or ';'; a
//   written line longer than the line limit.
// - The profile may be a symlink to a regular file: the target is replaced
//   atomically in its own folder. A dangling symlink fails with
//   ERROR_FILE_NOT_FOUND and creates nothing; a symlink loop fails with
//   ERROR_CANT_RESOLVE_FILENAME. A folder or any other non-regular file in
//   place of the profile fails with ERROR_ACCESS_DENIED, as does a profile
//   the caller may not write (checked with the effective ids, so root may).
// - Mode is kept; owner and group are kept when running as root (otherwise
//   the group is kept where the caller may set it). Extended attributes,
//   ACLs and hard links to the old file are not carried over.
// - Disk full, quota or file-size limit: ERROR_DISK_FULL; other write errors:
//   ERROR_WRITE_FAULT. A write that fails changes nothing and leaves no
//   temporary behind; only the lock file may stay, if it got that far.
// - Concurrency: an exclusive flock on a lock file beside the file written
//   (win.ini.lock, or <target>.lock beside a symlink's target, so that
//   writers through the link and through the target share it; created 0644
//   less umask and never removed). Under the lock
//   the current file is read, the new one is written to a temporary
//   .<name>.XXXXXX in the target's folder, given the old mode (and owner),
//   fsynced and renamed over the target, then the folder is fsynced.
//   Temporaries of that pattern left by a killed writer are removed under
//   the lock. A failing folder fsync after the rename does not fail the
//   write: the new file is already in place.
//
// Reads
// - No lock: a reader sees the old or the new file.
// - The last error is ERROR_SUCCESS after a complete answer, ERROR_MORE_DATA
//   when it was cut to fit, ERROR_FILE_NOT_FOUND when the default was given
//   because the profile, the section or the key is missing (an existing but
//   empty section gives the default with ERROR_SUCCESS), and the reason of
//   the failure when the profile could not be read (the default is given).
// - The default loses its trailing blanks. In list mode (null key name) the
//   default is copied as one string and the call returns 0.
// - A list (key names, section names) that does not fit with a byte to
//   spare is cut: the last name that does not fit is cut short, the buffer
//   ends in two NULs and the call returns nSize - 2. A list that takes
//   exactly nSize bytes with its final NUL counts as cut as well, as on
//   Windows.
//
// Malformed or too large profiles
// - A line longer than kMaxLineBytes makes the whole profile malformed:
//   ERROR_INVALID_DATA. A profile larger than
//   kMaxProfileBytes: ERROR_FILE_TOO_LARGE, and so is a write whose result
//   would be larger. Such a profile is never changed; reads give the
//   default.
#pragma once

#include <cstddef>

namespace pellomar::profile_store {

// The largest profile read or written, in bytes.
inline constexpr std::size_t kMaxProfileBytes = std::size_t{32} << 20;

// The longest line, in bytes, not counting its LF or CRLF ending.
inline constexpr std::size_t kMaxLineBytes = std::size_t{64} << 10;

// File names, in the profile's folder and in the target's folder.
inline constexpr const char* kProfileFileName = "win.ini";
inline constexpr const char* kLockSuffix = ".lock";
// A temporary is "." + target name + "." + six characters from mkstemp.
inline constexpr std::size_t kTemporaryRandomChars = 6;

// Modes of what the store creates (before the umask).
inline constexpr unsigned kNewFolderMode = 0700;
inline constexpr unsigned kNewProfileMode = 0600;
inline constexpr unsigned kLockFileMode = 0644;

}  // namespace pellomar::profile_store
