// Single instance over abstract Unix-domain sockets.
#include "platform/ui/singleinstance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/ui/windowhost.h"

namespace {

constexpr int kConnectSeconds = 1;

// The abstract name holds the user id so that two users do not meet, and
// the window host's scope (its display) so that two desktops do not.
socklen_t MakeAddress(const AnsiString& className, sockaddr_un& addr) {
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  const std::string scope = HasWindowHost() ? WindowHost().InstanceScope() : std::string();
  std::string name = "orvelan-instance-" + std::to_string(getuid()) + "-" + scope + "-" + className;
  if (name.size() > sizeof addr.sun_path - 2) name.resize(sizeof addr.sun_path - 2);
  std::memcpy(addr.sun_path + 1, name.data(), name.size());  // sun_path[0] = 0: abstract
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

int Connect(const AnsiString& className) {
  sockaddr_un addr;
  socklen_t len = MakeAddress(className, addr);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  // A hung instance accepts nothing: once its queue is full a plain connect
  // would wait for ever, and so would every later start.
  const timeval limit{kConnectSeconds, 0};
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

TInstanceRegistration::~TInstanceRegistration() { Unregister(); }

bool TInstanceRegistration::Register(const AnsiString& className) {
  Unregister();
  sockaddr_un addr;
  socklen_t len = MakeAddress(className, addr);
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd, 8) != 0) {
    close(fd);
    return false;
  }
  fd_ = fd;
  if (HasWindowHost() && WindowHost().WatchDescriptor(fd_, true)) host_ = &WindowHost();
  return true;
}

void TInstanceRegistration::Unregister() {
  // The host forgets the socket before it is closed (its number may be
  // reused at once); a host replaced meanwhile never knew it.
  if (host_ && HasWindowHost() && &WindowHost() == host_) host_->WatchDescriptor(fd_, false);
  host_ = nullptr;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

int TInstanceRegistration::Poll(const std::function<void(unsigned)>& deliver) {
  if (fd_ < 0) return 0;
  int delivered = 0;
  for (;;) {
    int c = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (c < 0) break;
    // The sender writes 4 bytes and closes; wait briefly for them so a slow
    // sender is not lost, but never hang on a silent peer.
    unsigned char buf[4];
    std::size_t got = 0;
    while (got < sizeof buf) {
      pollfd p{c, POLLIN, 0};
      if (poll(&p, 1, 200) <= 0) break;
      ssize_t n = read(c, buf + got, sizeof buf - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    if (got == sizeof buf) {
      // The answer tells the sender that a live instance took the message:
      // the listen queue takes a connection even from a hung one.
      const unsigned char ack = 1;
      (void)!send(c, &ack, 1, MSG_NOSIGNAL | MSG_DONTWAIT);
      close(c);
      unsigned msg = buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<unsigned>(buf[3]) << 24);
      ++delivered;
      if (deliver) deliver(msg);
    } else {
      close(c);
    }
  }
  return delivered;
}

bool FindInstanceWindow(const AnsiString& className) {
  int fd = Connect(className);
  if (fd < 0) return false;
  close(fd);
  return true;
}

bool PostToInstance(const AnsiString& className, unsigned msg) {
  int fd = Connect(className);
  if (fd < 0) return false;
  unsigned char buf[4] = {static_cast<unsigned char>(msg), static_cast<unsigned char>(msg >> 8),
                          static_cast<unsigned char>(msg >> 16), static_cast<unsigned char>(msg >> 24)};
  bool ok = write(fd, buf, sizeof buf) == static_cast<ssize_t>(sizeof buf);
  // Handed over only when the instance answers within the same limit.
  if (ok) {
    const timeval limit{kConnectSeconds, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    unsigned char ack = 0;
    ok = read(fd, &ack, 1) == 1;
  }
  close(fd);
  return ok;
}
