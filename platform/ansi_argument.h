// One text argument of a system function: the copy in the ANSI code page that
// the call sees, and, for a text that came from a variable, the way back.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

class AnsiArgument {
 public:
  // A constant: the call gets a converted copy; nothing comes back.
  AnsiArgument(const char16_t* constant);  // NOLINT(google-explicit-constructor)
  // A variable: after the call it receives its copy converted back.
  AnsiArgument(std::u16string& variable);  // NOLINT(google-explicit-constructor)
  // The null pointer (no text at all).
  AnsiArgument(std::nullptr_t);  // NOLINT(google-explicit-constructor)

  AnsiArgument(const AnsiArgument&) = delete;
  AnsiArgument& operator=(const AnsiArgument&) = delete;

  // What the call is handed: null for the null argument.
  const char* in() const { return is_null_ ? nullptr : bytes_.c_str(); }
  // The same, writable, for a buffer the call fills.
  char* out() { return is_null_ ? nullptr : bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }

  // Hands the (possibly changed) copy back to the variable it came from.
  void WriteBack();

 private:
  std::string bytes_;
  std::u16string* variable_ = nullptr;
  bool is_null_ = false;
};

}  // namespace platform
