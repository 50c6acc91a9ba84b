#include "window.h"

namespace platform {

// The same road on every platform: the window exists, hidden, before its load
// event runs; a load handler that ends the program never comes back here.
int RunStartupWindow(Window& startup) {
  TopLevelWindow window(startup);
  startup.Load();
  RunMessageLoop();
  return 0;
}

}  // namespace platform
