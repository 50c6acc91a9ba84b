/* The floor of the whole-process benchmark: floor_replace and nothing else
 * in a C program, so no C++ runtime, no dynamic loading, no window and no
 * broadcast.
 *
 *   pellomar_floor PROFILE VALUE
 */
#include <stdio.h>

#include "floor_replace.h"

int main(int argc, char **argv) {
  if (argc != 3) {
    fputs("usage: pellomar_floor PROFILE VALUE\n", stderr);
    return 2;
  }
  return floor_replace(argv[1], argv[2]);
}
