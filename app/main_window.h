// Form1: the program's one window and its start-up object. Its load handler
// makes the built-in printer the default printer and ends the program; it also
// carries the profile helpers.
#pragma once

#include <cstdint>
#include <string>

#include "list_control.h"
#include "window.h"

class Form1TestAccess;

class Form1 : public platform::Window {
 public:
  std::u16string Caption() const override { return u"Form1"; }

  // The load handler: writes the device entry and broadcasts the change.
  void Load() override;

  // Adds the key names of profile section `lpSectionName` to `lst`, in the
  // order the profile delivers them, and returns the list's item count.
  // `lpSectionName` receives its text converted to ANSI and back. An error
  // of the list control leaves at once; items added before it stay.
  std::int32_t ProfileLoadWinIniList(platform::ListControl& lst,
                                     std::u16string& lpSectionName);

 private:
  // Cuts the item before the first NUL off the front of `text` and returns it;
  // with no NUL, returns the empty text and leaves `text` as it was.
  std::u16string TakeFirstNulItem(std::u16string& text);

  // The first two comma-separated fields of `entry`; a field that is not
  // closed by a comma is not returned.
  void SplitCommaFields(std::u16string entry, std::u16string& first,
                        std::u16string& second);

  friend class Form1TestAccess;
};
