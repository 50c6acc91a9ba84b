// The frames a window's process reads from another: any bytes go to the
// message and the reply decoders. A frame that decodes encodes back to the
// same bytes, so no two frames mean the same message, and its header alone
// already told the reader how long it is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "fuzz_input.h"
#include "message_frame.h"

using pellomar::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> frame(reinterpret_cast<const std::byte*>(data), size);

  if (const auto message = user32::DecodeMessage(frame)) {
    const auto encoded = user32::EncodeMessage(*message);
    Require(encoded.has_value(), "a decoded message that does not encode");
    Require(std::ranges::equal(*encoded, frame), "a message that encodes to other bytes");
    Require(user32::MessageFrameSize(frame.first(user32::kMessageHeaderSize)) == size,
            "a header that announced another size");
  }
  if (size >= user32::kMessageHeaderSize) {
    // A reader trusts the size from the header to allocate and read: it is
    // bounded whatever the header says.
    if (const auto announced = user32::MessageFrameSize(frame.first(user32::kMessageHeaderSize)))
      Require(*announced <= user32::kMessageHeaderSize + user32::kMaxTextBytes,
              "a header that announced an unbounded size");
  }

  if (const auto result = user32::DecodeReply(frame)) {
    const auto encoded = user32::EncodeReply(*result);
    Require(std::ranges::equal(encoded, frame), "a reply that encodes to other bytes");
  }
  return 0;
}
