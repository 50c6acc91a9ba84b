#include "endpoint.h"

#include <errno.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace user32 {
namespace {

bool MakeAddress(const std::string& path, sockaddr_un& address) {
  address = {};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

UniqueFd NewSocket() {
  return UniqueFd(socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
}

}  // namespace

UniqueFd ListenAt(const std::string& path) {
  // Bound under a name that no one looks for and renamed once it listens:
  // a sender that met the socket between bind and listen would be refused
  // and take it for the endpoint of an ended process.
  const std::string unpublished = path + "~";
  sockaddr_un address;
  if (!MakeAddress(unpublished, address)) return UniqueFd();
  UniqueFd listener = NewSocket();
  if (!listener.valid()) return listener;
  if (bind(listener.get(), reinterpret_cast<const sockaddr*>(&address),
           sizeof address) != 0) {
    const int error = errno;
    listener.reset();
    errno = error;
    return listener;
  }
  if (listen(listener.get(), SOMAXCONN) != 0 ||
      rename(unpublished.c_str(), path.c_str()) != 0) {
    const int error = errno;
    unlink(unpublished.c_str());
    listener.reset();
    errno = error;
  }
  return listener;
}

ConnectOutcome ConnectTo(const std::string& path, UniqueFd& socket) {
  sockaddr_un address;
  if (!MakeAddress(path, address)) return ConnectOutcome::kFailed;
  socket = NewSocket();
  if (!socket.valid()) return ConnectOutcome::kFailed;
  int rc;
  do {
    rc = connect(socket.get(), reinterpret_cast<const sockaddr*>(&address),
                 sizeof address);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) return ConnectOutcome::kConnected;
  const int error = errno;
  socket.reset();
  switch (error) {
    case ECONNREFUSED:
    case ENOENT:
      return ConnectOutcome::kGone;
    case EAGAIN:
      return ConnectOutcome::kBusy;
    default:
      return ConnectOutcome::kFailed;
  }
}

UniqueFd AcceptFrom(int listener) {
  for (;;) {
    const int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0 || errno != EINTR) return UniqueFd(fd);
  }
}

bool PeerIsThisUser(int socket) {
  ucred credentials{};
  socklen_t size = sizeof credentials;
  return getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
         credentials.uid == geteuid();
}

}  // namespace user32
