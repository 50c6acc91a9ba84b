// Fuzz inputs as text: a few header lines (names, a value, a size), then the
// bytes of the profile. Seed files stay readable and editable by hand.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellomar::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  // The next line without its LF; the rest of the input when there is no LF.
  std::string_view TakeLine();

  // The next line as a C string argument: cut at its first NUL, as a caller
  // handing it over would cut it. The line "(null)" stands for a null
  // pointer.
  std::optional<std::string> TakeArgument();

  // Whatever is left after the lines taken.
  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// The decimal number at the start of `text` (digits only), capped at `cap`;
// 0 when there is none.
std::size_t ParseSize(std::string_view text, std::size_t cap);

// Reports a broken invariant and ends the run, so that libFuzzer keeps the
// input that broke it.
[[noreturn]] void Violated(const char* what);

// What Violated runs before it ends the run (one function; the last one set).
void SetCleanupOnViolation(void (*cleanup)());

inline void Require(bool holds, const char* what) {
  if (!holds) Violated(what);
}

}  // namespace pellomar::fuzz
