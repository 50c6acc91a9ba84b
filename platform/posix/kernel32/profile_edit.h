// The new text of a profile after one write, as pieces of the old text and
// of the few new bytes, so that a large profile is never copied in memory.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "expected.h"

namespace pellomar::profile_store {

class ProfileEdit {
 public:
  ProfileEdit() = default;
  explicit ProfileEdit(std::string_view original) : original_(original) {}

  // False when the new text equals the old one.
  bool changed() const { return changed_; }
  std::size_t size() const;

  // Calls take(piece) for each piece of the new text, in order.
  template <typename Take>
  void ForEachPiece(Take take) const {
    for (const Piece& piece : pieces_)
      take(std::string_view(piece.inserted ? inserted_ : original_)
               .substr(piece.begin, piece.length));
  }

  std::string Text() const;

  void Keep(std::size_t begin, std::size_t end);
  void Insert(std::string_view bytes);
  void MarkChanged() { changed_ = true; }

 private:
  struct Piece {
    bool inserted;
    std::size_t begin;
    std::size_t length;
  };

  std::string_view original_;
  std::string inserted_;
  std::vector<Piece> pieces_;
  bool changed_ = false;
};

// Sets `key` of `section` to `value`. Names are trimmed and valid; fails with
// ERROR_INVALID_PARAMETER when a written line would be over the line limit.
Expected<ProfileEdit> EditSetValue(std::string_view text,
                                   std::string_view section,
                                   std::string_view key,
                                   std::string_view value);

// Removes every key line named `key` from the section.
ProfileEdit EditDeleteKey(std::string_view text, std::string_view section,
                          std::string_view key);

// Removes every section named `section` with all its lines.
ProfileEdit EditDeleteSection(std::string_view text,
                              std::string_view section);

}  // namespace pellomar::profile_store
