#include "ansi_code_page.h"
#include "scratch_profile.h"

namespace testing_support {

bool AnsiCodePageIsMultiByte() {
  // U+00E9 takes two bytes in every multi-byte code page that has it.
  return platform::ToAnsi(u"\u00e9").size() > 1 ||
         platform::ToAnsi(u"\u4e2d").size() > 1;
}

}  // namespace testing_support
