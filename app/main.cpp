// Start-up: the window runtime creates Form1 hidden and raises its load event.
// The command line is never read.

#include "main_window.h"
#include "window.h"

int main() {
  Form1 form;
  return platform::RunStartupWindow(form);
}
