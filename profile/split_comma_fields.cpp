#include <string>

#include "main_window.h"

void Form1::SplitCommaFields(std::u16string entry, std::u16string& first,
                             std::u16string& second) {
  first.clear();
  second.clear();
  const auto p = entry.find(u',');
  if (p == std::u16string::npos) return;
  first = entry.substr(0, p);
  const auto q = entry.find(u',', p + 1);
  if (q == std::u16string::npos) return;
  second = entry.substr(p + 1, q - p - 1);
}
