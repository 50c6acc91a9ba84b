#include "fuzz_input.h"

#include <cstdio>
#include <cstdlib>

namespace pellomar::fuzz {

std::string_view FuzzInput::TakeLine() {
  const std::size_t lf = rest_.find('\n');
  const std::string_view line = rest_.substr(0, lf);
  rest_.remove_prefix(lf == std::string_view::npos ? rest_.size() : lf + 1);
  return line;
}

std::optional<std::string> FuzzInput::TakeArgument() {
  const std::string_view line = TakeLine();
  if (line == "(null)") return std::nullopt;
  return std::string(line.substr(0, line.find('\0')));
}

std::size_t ParseSize(std::string_view text, std::size_t cap) {
  std::size_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    value = value * 10 + static_cast<std::size_t>(c - '0');
    if (value >= cap) return cap;
  }
  return value;
}

namespace {

void (*cleanup_on_violation)() = nullptr;

}  // namespace

void SetCleanupOnViolation(void (*cleanup)()) { cleanup_on_violation = cleanup; }

void Violated(const char* what) {
  std::fprintf(stderr, "invariant violated: %s\n", what);
  if (cleanup_on_violation != nullptr) cleanup_on_violation();
  std::abort();
}

}  // namespace pellomar::fuzz
