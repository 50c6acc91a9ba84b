#include <string>

#include "main_window.h"

std::u16string Form1::TakeFirstNulItem(std::u16string& text) {
  const auto p = text.find(u'\0');
  if (p == std::u16string::npos) return {};
  std::u16string item = text.substr(0, p);
  text.erase(0, p + 1);
  return item;
}
