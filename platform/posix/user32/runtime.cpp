#include "runtime.h"

namespace user32 {

Runtime& TheRuntime() {
  static Runtime runtime;
  return runtime;
}

}  // namespace user32
