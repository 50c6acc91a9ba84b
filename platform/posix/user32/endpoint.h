// Window endpoints as sockets: listening at one, reaching one, and the
// connections between them. Every socket is non-blocking and close-on-exec.
#pragma once

#include <string>

#include "unique_fd.h"

namespace user32 {

using pellomar::posix::UniqueFd;

// A socket listening at `path`; invalid (errno set) when it cannot be made,
// ENAMETOOLONG when the path does not fit a socket address.
UniqueFd ListenAt(const std::string& path);

enum class ConnectOutcome {
  kConnected,
  kGone,    // nobody listens there: the window's process has ended
  kBusy,    // the listener's queue is full for now
  kFailed,  // anything else
};
ConnectOutcome ConnectTo(const std::string& path, UniqueFd& socket);

// The next waiting connection of `listener`; invalid when there is none.
UniqueFd AcceptFrom(int listener);

// Whether the process at the other end of `socket` runs as this user.
bool PeerIsThisUser(int socket);

}  // namespace user32
