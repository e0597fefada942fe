// Helpers for the windowing tests: a control that logs the messages it gets.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/ui/stdctrls.h"
#include "platform/ui/testdriver.h"

using Log = std::vector<std::string>;

// Waits for a child process (a second start) while the driver's loop runs,
// so that this process answers its hand-over; its wait status.
inline int WaitAnswering(pid_t child, TUiTestDriver& d) {
  int status = -1;
  while (waitpid(child, &status, WNOHANG) == 0) {
    d.Process();
    usleep(2000);
  }
  return status;
}

inline std::string MsgName(unsigned m) {
  switch (m) {
    case WM_SETFOCUS: return "WM_SETFOCUS";
    case WM_KILLFOCUS: return "WM_KILLFOCUS";
    case CM_ENTER: return "CM_ENTER";
    case CM_EXIT: return "CM_EXIT";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_VSCROLL: return "WM_VSCROLL";
    case WM_HSCROLL: return "WM_HSCROLL";
    case WM_SIZE: return "WM_SIZE";
    case WM_TIMER: return "WM_TIMER";
    case CM_MOUSEENTER: return "CM_MOUSEENTER";
    case CM_MOUSELEAVE: return "CM_MOUSELEAVE";
    case CM_ACTIVATE: return "CM_ACTIVATE";
    case CM_DEACTIVATE: return "CM_DEACTIVATE";
    default: return "";
  }
}

// Logs focus, key, mouse and scroll messages as "name:MSG[:wparam]".
class TRecorder : public TCustomControl {
 public:
  TRecorder(TComponent* owner, TWinControl* parent, const std::string& name, Log* log, int dlgCode = 0)
      : TCustomControl(owner), log_(log), dlgCode_(dlgCode) {
    SetName(name);
    SetParent(parent);
    SetTabStop(true);
    SetBounds(0, 0, 50, 20);
  }
  void Dispatch(TMessage& m) override {
    // WM_SETFOCUS is logged after the inherited handling, which runs the
    // exit and enter notifications first.
    if (m.Msg == WM_SETFOCUS) {
      TCustomControl::Dispatch(m);
      if (log_) log_->push_back(Name() + ":WM_SETFOCUS");
      return;
    }
    std::string n = MsgName(m.Msg);
    if (!n.empty() && m.Msg != WM_MOUSEMOVE && m.Msg != WM_SIZE) {
      std::string e = Name() + ":" + n;
      if (m.Msg == WM_CHAR || m.Msg == WM_KEYDOWN || m.Msg == WM_SYSCHAR || m.Msg == WM_VSCROLL ||
          m.Msg == WM_HSCROLL)
        e += ":" + std::to_string(m.Msg == WM_VSCROLL || m.Msg == WM_HSCROLL ? LoWord(m.WParam) : m.WParam);
      if (log_) log_->push_back(e);
    }
    if (m.Msg == WM_MOUSEMOVE) moves.push_back({LoWord(m.LParam), HiWord(m.LParam)});
    if (m.Msg == WM_SIZE) sizes.push_back({LoWord(m.LParam), HiWord(m.LParam)});
    if (m.Msg == WM_GETDLGCODE) {
      m.Result = dlgCode_;
      return;
    }
    TCustomControl::Dispatch(m);
  }
  void SetStyleBits(std::uint32_t style, std::uint32_t ex) {
    style_ = style;
    ex_ = ex;
    if (HandleAllocated()) RecreateWnd();
  }
  std::vector<TPoint> moves;
  std::vector<TPoint> sizes;

 protected:
  void CreateParams(TCreateParams& p) override {
    TCustomControl::CreateParams(p);
    p.Style |= style_;
    p.ExStyle |= ex_;
  }

 private:
  Log* log_;
  int dlgCode_;
  std::uint32_t style_ = 0, ex_ = 0;
};

// A shown form of a given client size.
inline TForm* MakeForm(int w = 300, int h = 200) {
  auto* f = new TForm(Application);
  f->SetClientSize(w, h);
  return f;
}
