// The program's start-up road cut into parts, for the breakdown of the
// whole-process benchmark. Linked like the program; each run does the parts
// up to the one named and returns:
//   pellomar_parts start      the program's runtime loaded, nothing done
//   pellomar_parts write      + WriteProfileStringA of the device entry
//   pellomar_parts broadcast  + SendMessageA to HWND_BROADCAST
// The program itself adds its hidden window and the runtime's end.
#include <string>

#include "messages.h"
#include "system_functions.h"

int main(int argc, char** argv) {
  const std::string part = argc == 2 ? argv[1] : "";
  if (part == "start") return 0;
  if (part != "write" && part != "broadcast") return 2;
  std::u16string device = u"Pellomar,winspool,Ne01:";
  platform::WriteProfileStringA(u"windows", u"Device", device);
  if (part == "write") return 0;
  platform::SendMessageA(platform::HWND_BROADCAST, platform::WM_WININICHANGE, 0,
                         u"windows");
  return 0;
}
