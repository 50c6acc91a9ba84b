#include "ansi_argument.h"

#include "ansi_code_page.h"

namespace platform {

AnsiArgument::AnsiArgument(const char16_t* constant)
    : bytes_(ToAnsi(constant)) {}

AnsiArgument::AnsiArgument(std::u16string& variable)
    : bytes_(ToAnsi(variable)), variable_(&variable) {}

AnsiArgument::AnsiArgument(std::nullptr_t) : is_null_(true) {}

void AnsiArgument::WriteBack() {
  if (variable_ != nullptr) *variable_ = FromAnsi(bytes_);
}

}  // namespace platform
