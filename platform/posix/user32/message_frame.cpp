#include "message_frame.h"

#include <algorithm>
#include <limits>

namespace user32 {
namespace {

constexpr std::array<std::byte, 4> kMessageMagic{std::byte{'P'}, std::byte{'L'},
                                                 std::byte{'W'}, std::byte{'M'}};
constexpr std::array<std::byte, 4> kReplyMagic{std::byte{'P'}, std::byte{'L'},
                                               std::byte{'W'}, std::byte{'R'}};
constexpr std::uint16_t kVersion = 1;
constexpr std::uint16_t kNumberKind = 0;
constexpr std::uint16_t kTextKind = 1;

template <typename T>
void Put(std::span<std::byte> out, std::size_t offset, T value) {
  using Unsigned = std::make_unsigned_t<T>;
  auto bits = static_cast<Unsigned>(value);
  for (std::size_t i = 0; i < sizeof(T); ++i) {
    out[offset + i] = static_cast<std::byte>(bits & 0xFFu);
    bits = static_cast<Unsigned>(bits >> 8);
  }
}

template <typename T>
T Get(std::span<const std::byte> in, std::size_t offset) {
  using Unsigned = std::make_unsigned_t<T>;
  Unsigned bits = 0;
  for (std::size_t i = sizeof(T); i-- > 0;)
    bits = static_cast<Unsigned>((bits << 8) |
                                 std::to_integer<Unsigned>(in[offset + i]));
  return static_cast<T>(bits);
}

bool HasMagic(std::span<const std::byte> in,
              const std::array<std::byte, 4>& magic) {
  return std::equal(magic.begin(), magic.end(), in.begin());
}

// The fields of a message header that are valid on their own.
struct Header {
  std::uint16_t kind;
  std::uint32_t number;
  std::uint32_t text_length;
  std::uint64_t wParam;
  std::int64_t lParam;
};

std::optional<Header> DecodeHeader(std::span<const std::byte> in) {
  if (in.size() < kMessageHeaderSize || !HasMagic(in, kMessageMagic))
    return std::nullopt;
  if (Get<std::uint16_t>(in, 4) != kVersion) return std::nullopt;
  const Header header{Get<std::uint16_t>(in, 6), Get<std::uint32_t>(in, 8),
                      Get<std::uint32_t>(in, 12), Get<std::uint64_t>(in, 16),
                      Get<std::int64_t>(in, 24)};
  // Both words must fit this machine's WPARAM and LPARAM.
  if (header.wParam > std::numeric_limits<std::uintptr_t>::max() ||
      header.lParam > std::numeric_limits<std::intptr_t>::max() ||
      header.lParam < std::numeric_limits<std::intptr_t>::min())
    return std::nullopt;
  switch (header.kind) {
    case kNumberKind:
      // A message that takes a text may come with a null one, never with an
      // address: the receiver would read through it.
      if (header.text_length != 0) return std::nullopt;
      if (CarriesText(header.number) && header.lParam != 0) return std::nullopt;
      return header;
    case kTextKind:
      if (!CarriesText(header.number) || header.lParam != 0) return std::nullopt;
      if (header.text_length == 0 || header.text_length > kMaxTextBytes)
        return std::nullopt;
      return header;
    default:
      return std::nullopt;
  }
}

}  // namespace

bool CarriesText(std::uint32_t message) { return message == kWmWinIniChange; }

std::optional<std::vector<std::byte>> EncodeMessage(const Message& message) {
  const auto* text = std::get_if<std::string>(&message.lParam);
  if (CarriesText(message.number) != (text != nullptr)) {
    // Only the null text may go as a number.
    if (text != nullptr || std::get<std::int64_t>(message.lParam) != 0)
      return std::nullopt;
  }
  std::size_t text_length = 0;
  if (text != nullptr) {
    if (text->find('\0') != std::string::npos) return std::nullopt;
    if (text->size() >= kMaxTextBytes) return std::nullopt;
    text_length = text->size() + 1;
  }
  if (message.wParam > std::numeric_limits<std::uintptr_t>::max())
    return std::nullopt;

  std::vector<std::byte> frame(kMessageHeaderSize + text_length);
  std::copy(kMessageMagic.begin(), kMessageMagic.end(), frame.begin());
  Put<std::uint16_t>(frame, 4, kVersion);
  Put<std::uint16_t>(frame, 6, text != nullptr ? kTextKind : kNumberKind);
  Put<std::uint32_t>(frame, 8, message.number);
  Put<std::uint32_t>(frame, 12, static_cast<std::uint32_t>(text_length));
  Put<std::uint64_t>(frame, 16, message.wParam);
  if (text != nullptr) {
    Put<std::int64_t>(frame, 24, 0);
    std::transform(text->begin(), text->end(),
                   frame.begin() + kMessageHeaderSize,
                   [](char c) { return static_cast<std::byte>(c); });
    frame.back() = std::byte{0};
  } else {
    Put<std::int64_t>(frame, 24, std::get<std::int64_t>(message.lParam));
  }
  return frame;
}

std::optional<std::size_t> MessageFrameSize(std::span<const std::byte> header) {
  const auto decoded = DecodeHeader(header);
  if (!decoded) return std::nullopt;
  return kMessageHeaderSize + decoded->text_length;
}

std::optional<Message> DecodeMessage(std::span<const std::byte> frame) {
  const auto header = DecodeHeader(frame);
  if (!header || frame.size() != kMessageHeaderSize + header->text_length)
    return std::nullopt;
  Message message;
  message.number = header->number;
  message.wParam = header->wParam;
  if (header->kind == kTextKind) {
    const auto text = frame.subspan(kMessageHeaderSize);
    if (text.back() != std::byte{0}) return std::nullopt;
    const auto body = text.first(text.size() - 1);
    if (std::find(body.begin(), body.end(), std::byte{0}) != body.end())
      return std::nullopt;
    std::string bytes(body.size(), '\0');
    std::transform(body.begin(), body.end(), bytes.begin(),
                   [](std::byte b) { return static_cast<char>(b); });
    message.lParam = std::move(bytes);
  } else {
    message.lParam = header->lParam;
  }
  return message;
}

std::array<std::byte, kReplySize> EncodeReply(std::int64_t result) {
  std::array<std::byte, kReplySize> frame{};
  std::copy(kReplyMagic.begin(), kReplyMagic.end(), frame.begin());
  Put<std::uint16_t>(frame, 4, kVersion);
  Put<std::uint16_t>(frame, 6, 0);
  Put<std::int64_t>(frame, 8, result);
  return frame;
}

std::optional<std::int64_t> DecodeReply(std::span<const std::byte> frame) {
  if (frame.size() != kReplySize || !HasMagic(frame, kReplyMagic))
    return std::nullopt;
  if (Get<std::uint16_t>(frame, 4) != kVersion ||
      Get<std::uint16_t>(frame, 6) != 0)
    return std::nullopt;
  return Get<std::int64_t>(frame, 8);
}

}  // namespace user32
