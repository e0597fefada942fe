// Cross-process single instance: a running program registers its window
// class name; a second process finds it by that name and posts it a message
// number. Built on a local (abstract-namespace) socket per user, display
// (the window host's scope) and name, so a crashed instance leaves nothing
// behind and programs on two displays never meet.
// Invariants: at most one live registration per user and class name; a
// received message number is delivered only from the message loop, which
// the knock wakes through the window host (no polling while idle).
#pragma once

#include <functional>

#include "platform/rtl/exceptions.h"

class TWindowHost;

class TInstanceRegistration {
 public:
  TInstanceRegistration() = default;
  ~TInstanceRegistration();
  TInstanceRegistration(const TInstanceRegistration&) = delete;
  TInstanceRegistration& operator=(const TInstanceRegistration&) = delete;

  // Claims the class name; false when another live process holds it.
  bool Register(const AnsiString& className);
  void Unregister();
  bool Registered() const { return fd_ >= 0; }
  // Accepts pending connections and hands each message number received to
  // `deliver`; returns how many were delivered. Never blocks.
  int Poll(const std::function<void(unsigned)>& deliver);
  int Fd() const { return fd_; }
  // Whether a knock wakes the window host's wait (it watches the socket);
  // otherwise the message loop must poll now and then.
  bool WakesHost() const { return host_ != nullptr; }

 private:
  int fd_ = -1;
  TWindowHost* host_ = nullptr;  // the host watching fd_, if any
};

// Whether a process has registered the class name (FindWindow by class).
// Neither call waits more than a second for a process that has stopped
// taking connections (a hung one): that one counts as not found.
bool FindInstanceWindow(const AnsiString& className);
// Posts a message number to the process that registered the class name;
// false when there is none or it does not answer within a second that it
// took the message.
bool PostToInstance(const AnsiString& className, unsigned msg);
