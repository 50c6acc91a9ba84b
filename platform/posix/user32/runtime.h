// The window runtime of this process: its windows and the pump that serves
// them, made at first use.
#pragma once

#include "message_pump.h"
#include "process_windows.h"

namespace user32 {

struct Runtime {
  ProcessWindows windows;
  MessagePump pump{windows};
};

Runtime& TheRuntime();

}  // namespace user32
