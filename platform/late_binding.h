// Binding of a system function by library name and function name at its
// first call, in place of the executable's import table.
#pragma once

namespace platform {

// The address of `function` in `library`, loading the library on first use.
// A missing library or function is a broken install: the program says so on
// stderr, naming both, and exits with a non-zero status. Never returns null.
void* ResolveFunction(const char* library, const char* function);

// A function resolved at its first call and kept.
template <typename Fn>
class LateBound {
 public:
  constexpr LateBound(const char* library, const char* function)
      : library_(library), function_(function) {}

  Fn* get() {
    if (address_ == nullptr)
      address_ = reinterpret_cast<Fn*>(ResolveFunction(library_, function_));
    return address_;
  }

 private:
  const char* library_;
  const char* function_;
  Fn* address_ = nullptr;
};

}  // namespace platform
