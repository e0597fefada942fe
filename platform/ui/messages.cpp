// The posted-message queue.
#include "platform/ui/messages.h"

#include <algorithm>

TMessageQueue& MessageQueue() {
  static TMessageQueue q;
  return q;
}

void TMessageQueue::Post(HWND wnd, unsigned msg, WPARAM wparam, LPARAM lparam) {
  queue_.push_back({wnd, {msg, wparam, lparam, 0}});
}

bool TMessageQueue::Peek(TQueuedMessage& out, HWND wnd, unsigned first, unsigned last, bool remove) {
  for (auto it = queue_.begin(); it != queue_.end(); ++it) {
    if (wnd != 0 && it->Wnd != wnd) continue;
    if ((first != 0 || last != 0) && (it->Message.Msg < first || it->Message.Msg > last)) continue;
    out = *it;
    if (remove) queue_.erase(it);
    return true;
  }
  return false;
}

void TMessageQueue::RemoveFor(HWND wnd) {
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(), [wnd](const TQueuedMessage& m) { return m.Wnd == wnd; }),
               queue_.end());
}
