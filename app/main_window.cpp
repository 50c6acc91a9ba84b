#include "main_window.h"

#include <string>

#include "device_entry.h"
#include "messages.h"
#include "system_functions.h"

using platform::HWND_BROADCAST;
using platform::WM_WININICHANGE;

// No result is examined: a failed write still broadcasts and ends.
void Form1::Load() {
  std::u16string device = kDeviceEntry;
  platform::WriteProfileStringA(u"windows", u"Device", device);
  platform::SendMessageA(HWND_BROADCAST, WM_WININICHANGE, 0, u"windows");
  platform::EndProgram();
}
