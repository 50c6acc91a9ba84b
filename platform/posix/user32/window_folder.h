// The per-user folder that holds one endpoint (a listening Unix-domain
// socket) per top-level window:
//   $XDG_RUNTIME_DIR/pellomar/windows/   when XDG_RUNTIME_DIR is an absolute path
//   /tmp/pellomar-<uid>/windows/         otherwise
// Both levels below the base are created 0700. A folder that is not a real
// directory owned by this user, or that others may enter, is refused: anyone
// who can put an endpoint there can make this user's programs act on
// messages.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace user32 {

// The folder's path (no trailing slash), created if missing; nothing when it
// cannot be created or is refused. Read from the environment on every call.
std::optional<std::string> WindowFolder();

// Endpoint names: "<pid>.<serial>.<nonce>", the serial counting this
// process's windows from 1 and the nonce (16 hex digits) drawn once per
// process, so that a new process that reuses a pid never meets the stale
// endpoints of the old one.
std::string EndpointName(pid_t pid, std::uint64_t serial, std::uint64_t nonce);
bool IsEndpointName(std::string_view name);

// The endpoint names in `folder`, in no particular order; other entries are
// left alone.
std::vector<std::string> ListEndpoints(const std::string& folder);

}  // namespace user32
