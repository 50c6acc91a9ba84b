// The bytes that carry one message to a window of another process, and the
// bytes of its reply. Pure functions over bytes: nothing here touches a
// socket, so every rule of the format can be checked on its own.
//
// Message frame, integers little-endian:
//   offset  size  field
//        0     4  magic "PLWM"
//        4     2  version (1)
//        6     2  lParam kind: 0 = number, 1 = text
//        8     4  message number
//       12     4  text length in bytes with its final NUL; 0 for a number
//       16     8  wParam
//       24     8  lParam as a number; 0 when it is a text
//       32     n  the text: n bytes, the last one NUL and no NUL before it
// Reply frame:
//        0     4  magic "PLWR"
//        4     2  version (1)
//        6     2  reserved (0)
//        8     8  the window procedure's result
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace user32 {

inline constexpr std::size_t kMessageHeaderSize = 32;
inline constexpr std::size_t kReplySize = 16;
// The longest text carried to another process, with its NUL. Setting texts
// are section names; the bound keeps a peer from making a receiver allocate
// at will.
inline constexpr std::uint32_t kMaxTextBytes = 32 * 1024;

inline constexpr std::uint32_t kWmWinIniChange = 0x001A;  // = WM_SETTINGCHANGE

// Whether lParam of `message` is the address of a NUL-terminated text.
bool CarriesText(std::uint32_t message);

struct Message {
  std::uint32_t number = 0;
  std::uint64_t wParam = 0;
  // A number, or the text (without its NUL) that lParam points to.
  std::variant<std::int64_t, std::string> lParam = std::int64_t{0};

  bool operator==(const Message&) const = default;
};

// The frame of `message`, or nothing when the format cannot carry it: a text
// too long or holding a NUL, a text for a message that takes a number, or a
// non-null number for a message that takes a text.
std::optional<std::vector<std::byte>> EncodeMessage(const Message& message);

// Checks the first kMessageHeaderSize bytes of a frame and returns the size
// of the whole frame, or nothing when the header is not valid. Lets a reader
// know how much to read before it has it all.
std::optional<std::size_t> MessageFrameSize(std::span<const std::byte> header);

// The message of exactly one whole frame, or nothing for anything else.
std::optional<Message> DecodeMessage(std::span<const std::byte> frame);

std::array<std::byte, kReplySize> EncodeReply(std::int64_t result);

// The result of exactly one reply frame, or nothing for anything else.
std::optional<std::int64_t> DecodeReply(std::span<const std::byte> frame);

}  // namespace user32
