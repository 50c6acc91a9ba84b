// A profile that answers key-list calls as Windows XP and Wine do: a list
// cut by the buffer ends with one NUL at nSize - 2, and the buffer's last
// byte is left as it was. Linked into a test program in place of the
// platform's late binding, so that the program's own GetProfileStringA
// reaches it.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// The key names (ANSI bytes) of every section, from now on.
void AnswerKeyListWith(std::vector<std::string> names);

}  // namespace testing_support
