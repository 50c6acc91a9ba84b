// The C++ runtime's own terminate handler names the type of the exception
// that ended the program, and for that links in the symbol demangler: 47 KiB
// of Pellomar.exe. This one replaces it: it says what the exception
// says, if it is a std::exception, and ends the process the same way, with
// abort().
//
// The linker takes it from here only if it is asked for before the C++
// runtime is searched: platform/win32/CMakeLists.txt names it with
// --undefined.

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
  const std::exception_ptr current = std::current_exception();
  if (current == nullptr) {
    std::fputs("terminate called without an active exception\n", stderr);
  } else {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& error) {
      std::fputs("terminate called after throwing an exception: ", stderr);
      std::fputs(error.what(), stderr);
      std::fputs("\n", stderr);
    } catch (...) {
      std::fputs("terminate called after throwing an exception\n", stderr);
    }
  }
  std::abort();
}

}  // namespace __gnu_cxx
