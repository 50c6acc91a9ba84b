// Reaches Form1's private helpers from the tests, and only from them.
#pragma once

#include <string>

#include "main_window.h"

class Form1TestAccess {
 public:
  static std::u16string TakeFirstNulItem(Form1& form, std::u16string& text) {
    return form.TakeFirstNulItem(text);
  }
  static void SplitCommaFields(Form1& form, std::u16string entry,
                               std::u16string& first, std::u16string& second) {
    form.SplitCommaFields(std::move(entry), first, second);
  }
};
