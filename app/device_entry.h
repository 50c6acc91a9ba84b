// The printer this build makes the default: name, driver, port.
#pragma once

inline constexpr char16_t kDeviceEntry[] = u"Pellomar,winspool,Ne01:";
