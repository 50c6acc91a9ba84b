// The frame format between a broadcasting process and the windows of
// another: whatever a peer sends, only well-formed frames are taken.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "message_frame.h"

namespace {

using user32::DecodeMessage;
using user32::DecodeReply;
using user32::EncodeMessage;
using user32::EncodeReply;
using user32::kMaxTextBytes;
using user32::kMessageHeaderSize;
using user32::kWmWinIniChange;
using user32::Message;
using user32::MessageFrameSize;
using Bytes = std::vector<std::byte>;

constexpr std::uint32_t kUserMessage = 0x0400;

Bytes Encoded(const Message& message) {
  auto frame = EncodeMessage(message);
  if (!frame) throw std::logic_error("a valid message did not encode");
  return *frame;
}

void PutU32(Bytes& frame, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    frame[offset + static_cast<std::size_t>(i)] = static_cast<std::byte>(value >> (8 * i));
}

Bytes TextFrame() { return Encoded({kWmWinIniChange, 0, std::string("windows")}); }
Bytes NumberFrame() { return Encoded({kUserMessage, 1, std::int64_t{2}}); }

struct MalformedCase {
  const char* name;
  std::function<Bytes()> make;
  bool header_alone_is_rejected;
};

class MalformedFrame : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedFrame, IsRejected) {
  const Bytes frame = GetParam().make();
  EXPECT_EQ(DecodeMessage(frame), std::nullopt);
  // A reader learns of a bad header before it reads on; the other faults
  // show only in the whole frame.
  EXPECT_EQ(MessageFrameSize(frame).has_value(), !GetParam().header_alone_is_rejected);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, MalformedFrame,
    testing::Values(
        MalformedCase{"Empty", [] { return Bytes{}; }, true},
        MalformedCase{"ShorterThanAHeader",
                      [] { Bytes f = NumberFrame(); f.resize(kMessageHeaderSize - 1); return f; },
                      true},
        MalformedCase{"BadMagic", [] { Bytes f = TextFrame(); f[0] = std::byte{'X'}; return f; }, true},
        MalformedCase{"ReplyMagic", [] { Bytes f = TextFrame(); f[3] = std::byte{'R'}; return f; }, true},
        MalformedCase{"BadVersion", [] { Bytes f = TextFrame(); f[4] = std::byte{2}; return f; }, true},
        MalformedCase{"UnknownKind", [] { Bytes f = NumberFrame(); f[6] = std::byte{2}; return f; }, true},
        MalformedCase{"TextForAMessageThatTakesANumber",
                      [] { Bytes f = TextFrame(); PutU32(f, 8, kUserMessage); return f; }, true},
        // A number where a text's address belongs: the receiver would read
        // through it.
        MalformedCase{"AddressForAMessageThatTakesAText",
                      [] { Bytes f = NumberFrame(); PutU32(f, 8, kWmWinIniChange); return f; },
                      true},
        MalformedCase{"TextLengthOnANumber",
                      [] { Bytes f = NumberFrame(); PutU32(f, 12, 1); f.push_back(std::byte{0}); return f; },
                      true},
        MalformedCase{"TextKindWithZeroLength",
                      [] { Bytes f = TextFrame(); PutU32(f, 12, 0); f.resize(kMessageHeaderSize); return f; },
                      true},
        MalformedCase{"TextKindWithAnAddressToo",
                      [] { Bytes f = TextFrame(); f[24] = std::byte{1}; return f; }, true},
        MalformedCase{"LengthTooLarge",
                      [] {
                        Bytes f = TextFrame();
                        PutU32(f, 12, kMaxTextBytes + 1);
                        f.resize(kMessageHeaderSize + kMaxTextBytes + 1, std::byte{'a'});
                        f.back() = std::byte{0};
                        return f;
                      },
                      true},
        MalformedCase{"HugeLength",
                      [] { Bytes f = TextFrame(); PutU32(f, 12, 0xFFFFFFFF); return f; }, true},
        MalformedCase{"FrameLongerThanItsLength",
                      [] { Bytes f = TextFrame(); f.push_back(std::byte{0}); return f; }, false},
        MalformedCase{"FrameShorterThanItsLength",
                      [] { Bytes f = TextFrame(); f.pop_back(); return f; }, false},
        MalformedCase{"NumberFrameWithTrailingBytes",
                      [] { Bytes f = NumberFrame(); f.push_back(std::byte{0}); return f; }, false},
        MalformedCase{"TextWithoutNul",
                      [] { Bytes f = TextFrame(); f.back() = std::byte{'!'}; return f; }, false},
        MalformedCase{"NulInsideTheText",
                      [] { Bytes f = TextFrame(); f[kMessageHeaderSize + 2] = std::byte{0}; return f; },
                      false}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

struct RoundTripCase {
  const char* name;
  Message message;
};

class WellFormedFrame : public testing::TestWithParam<RoundTripCase> {};

TEST_P(WellFormedFrame, RoundTrips) {
  const auto frame = EncodeMessage(GetParam().message);
  ASSERT_TRUE(frame.has_value());
  EXPECT_EQ(MessageFrameSize(std::span(*frame).first(kMessageHeaderSize)),
            std::optional<std::size_t>(frame->size()));
  EXPECT_EQ(DecodeMessage(*frame), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, WellFormedFrame,
    testing::Values(
        RoundTripCase{"SectionName", {kWmWinIniChange, 0, std::string("windows")}},
        RoundTripCase{"EmptyText", {kWmWinIniChange, 3, std::string()}},
        RoundTripCase{"NullText", {kWmWinIniChange, 0, std::int64_t{0}}},
        RoundTripCase{"BytesOutsideAscii", {kWmWinIniChange, 0, std::string("caf\xe9\x01\xff")}},
        RoundTripCase{"LongestText",
                      {kWmWinIniChange, 0, std::string(kMaxTextBytes - 1, 'x')}},
        RoundTripCase{"NumberAtTheLimits",
                      {kUserMessage, std::numeric_limits<std::uintptr_t>::max(),
                       std::int64_t{std::numeric_limits<std::intptr_t>::min()}}},
        RoundTripCase{"NegativeNumber", {0xC000, 7, std::int64_t{-1}}}),
    [](const auto& test_case) { return std::string(test_case.param.name); });

TEST(MessageEncoding, RefusesWhatTheFormatCannotCarry) {
  EXPECT_EQ(EncodeMessage({kWmWinIniChange, 0, std::string("a\0b", 3)}), std::nullopt);
  EXPECT_EQ(EncodeMessage({kWmWinIniChange, 0, std::string(kMaxTextBytes, 'x')}), std::nullopt);
  EXPECT_EQ(EncodeMessage({kUserMessage, 0, std::string("text")}), std::nullopt);
  EXPECT_EQ(EncodeMessage({kWmWinIniChange, 0, std::int64_t{0x1000}}), std::nullopt);
}

TEST(ReplyFrame, RoundTripsEveryResult) {
  for (const std::int64_t result : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{1} << 40,
                                    std::numeric_limits<std::int64_t>::min(),
                                    std::numeric_limits<std::int64_t>::max()}) {
    const auto frame = EncodeReply(result);
    EXPECT_EQ(DecodeReply(frame), result);
  }
}

TEST(ReplyFrame, RejectsAnythingElse) {
  const auto valid = EncodeReply(5);
  const auto with = [&](std::size_t at, std::byte value) {
    Bytes frame(valid.begin(), valid.end());
    frame[at] = value;
    return frame;
  };
  const std::vector<std::pair<const char*, Bytes>> cases = {
      {"empty", {}},
      {"short", Bytes(valid.begin(), valid.end() - 1)},
      {"long", [&] { Bytes f(valid.begin(), valid.end()); f.push_back(std::byte{0}); return f; }()},
      {"bad magic", with(0, std::byte{'Q'})},
      {"message magic", with(3, std::byte{'M'})},
      {"bad version", with(4, std::byte{9})},
      {"reserved set", with(6, std::byte{1})},
  };
  for (const auto& [name, frame] : cases)
    EXPECT_EQ(DecodeReply(frame), std::nullopt) << name;
}

}  // namespace
