// Window messages: the numbered messages that controls exchange, the record
// that carries them, and the process-wide message queue.
// Invariants: a message is addressed by window handle, never by pointer, so a
// message to a freed control is dropped instead of touching freed memory; the
// queue is FIFO per thread of the user interface (there is only one).
#pragma once

#include <cstdint>
#include <deque>

// Wide enough for a pointer, as the messages that carry records need.
using WPARAM = std::intptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HWND = std::uint32_t;  // 0 is no window

struct TMessage {
  unsigned Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// Signed 16-bit halves, as mouse positions are packed (negative outside).
constexpr int LoWord(std::intptr_t v) { return static_cast<std::int16_t>(v & 0xFFFF); }
constexpr int HiWord(std::intptr_t v) { return static_cast<std::int16_t>((v >> 16) & 0xFFFF); }
constexpr std::int32_t MakeLong(int lo, int hi) {
  return static_cast<std::int32_t>((static_cast<std::uint32_t>(hi & 0xFFFF) << 16) | (lo & 0xFFFF));
}

// System messages.
constexpr unsigned WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
                   WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
                   WM_ENABLE = 0x000A, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E,
                   WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014,
                   WM_SHOWWINDOW = 0x0018, WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020,
                   WM_GETMINMAXINFO = 0x0024, WM_SETFONT = 0x0030, WM_GETFONT = 0x0031, WM_HELP = 0x0053,
                   WM_NCHITTEST = 0x0084,
                   WM_GETDLGCODE = 0x0087, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
                   WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_COMMAND = 0x0111,
                   WM_TIMER = 0x0113, WM_HSCROLL = 0x0114, WM_VSCROLL = 0x0115, WM_MOUSEMOVE = 0x0200,
                   WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203,
                   WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206,
                   WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209,
                   WM_MOUSEWHEEL = 0x020A, WM_CAPTURECHANGED = 0x0215, WM_CUT = 0x0300, WM_COPY = 0x0301,
                   WM_PASTE = 0x0302, WM_CLEAR = 0x0303, WM_UNDO = 0x0304, WM_USER = 0x0400;
constexpr unsigned WM_KEYFIRST = WM_KEYDOWN, WM_KEYLAST = 0x0108;
constexpr unsigned WM_MOUSEFIRST = WM_MOUSEMOVE, WM_MOUSELAST = WM_MOUSEWHEEL;

// Edit-control messages.
constexpr unsigned EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_GETRECT = 0x00B2, EM_SETRECT = 0x00B3,
                   EM_SETRECTNP = 0x00B4, EM_SCROLL = 0x00B5, EM_LINESCROLL = 0x00B6, EM_SCROLLCARET = 0x00B7,
                   EM_GETMODIFY = 0x00B8, EM_SETMODIFY = 0x00B9, EM_GETLINECOUNT = 0x00BA,
                   EM_LINEINDEX = 0x00BB, EM_LINELENGTH = 0x00C1, EM_REPLACESEL = 0x00C2, EM_GETLINE = 0x00C4,
                   EM_LIMITTEXT = 0x00C5, EM_CANUNDO = 0x00C6, EM_UNDO = 0x00C7, EM_LINEFROMCHAR = 0x00C9,
                   EM_GETFIRSTVISIBLELINE = 0x00CE, EM_SETREADONLY = 0x00CF, EM_SETMARGINS = 0x00D3,
                   EM_POSFROMCHAR = 0x00D6, EM_CHARFROMPOS = 0x00D7;
constexpr int EN_CHANGE = 0x0300, EN_MAXTEXT = 0x0501;

// List-box messages.
constexpr unsigned LB_ADDSTRING = 0x0180, LB_INSERTSTRING = 0x0181, LB_DELETESTRING = 0x0182,
                   LB_RESETCONTENT = 0x0184, LB_SETCURSEL = 0x0186, LB_GETCURSEL = 0x0188, LB_GETTEXT = 0x0189,
                   LB_GETTEXTLEN = 0x018A, LB_GETCOUNT = 0x018B, LB_SELECTSTRING = 0x018C,
                   LB_GETTOPINDEX = 0x018E, LB_FINDSTRING = 0x018F, LB_SETTOPINDEX = 0x0197,
                   LB_GETITEMHEIGHT = 0x01A1, LB_FINDSTRINGEXACT = 0x01A2;
constexpr int LB_ERR = -1;

// The class library's own notifications.
constexpr unsigned CM_BASE = 0xB000;
constexpr unsigned CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_CANCELMODE = CM_BASE + 4,
                   CM_DIALOGKEY = CM_BASE + 5, CM_DIALOGCHAR = CM_BASE + 6, CM_FOCUSCHANGED = CM_BASE + 7,
                   CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
                   CM_VISIBLECHANGED = CM_BASE + 11, CM_ENABLEDCHANGED = CM_BASE + 12,
                   CM_COLORCHANGED = CM_BASE + 13, CM_FONTCHANGED = CM_BASE + 14, CM_CURSORCHANGED = CM_BASE + 15,
                   CM_TEXTCHANGED = CM_BASE + 18, CM_MOUSEENTER = CM_BASE + 19, CM_MOUSELEAVE = CM_BASE + 20,
                   CM_SHOWINGCHANGED = CM_BASE + 25, CM_ENTER = CM_BASE + 26, CM_EXIT = CM_BASE + 27,
                   CM_WANTSPECIALKEY = CM_BASE + 30, CM_RELEASE = CM_BASE + 33, CM_SHOWHINTCHANGED = CM_BASE + 34,
                   CM_TABSTOPCHANGED = CM_BASE + 40, CM_GETDATALINK = CM_BASE + 45, CM_CHILDKEY = CM_BASE + 46;
// Notifications reflected back to the control that caused them.
constexpr unsigned CN_BASE = 0xBC00;
constexpr unsigned CN_COMMAND = CN_BASE + WM_COMMAND, CN_KEYDOWN = CN_BASE + WM_KEYDOWN,
                   CN_KEYUP = CN_BASE + WM_KEYUP, CN_CHAR = CN_BASE + WM_CHAR,
                   CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN, CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// WM_GETDLGCODE answers.
constexpr int DLGC_WANTARROWS = 0x0001, DLGC_WANTTAB = 0x0002, DLGC_WANTALLKEYS = 0x0004,
              DLGC_WANTMESSAGE = 0x0004, DLGC_HASSETSEL = 0x0008, DLGC_DEFPUSHBUTTON = 0x0010,
              DLGC_UNDEFPUSHBUTTON = 0x0020, DLGC_RADIOBUTTON = 0x0040, DLGC_WANTCHARS = 0x0080,
              DLGC_STATIC = 0x0100, DLGC_BUTTON = 0x2000;

// Scroll-bar request codes (low word of WM_HSCROLL/WM_VSCROLL) and bar ids.
constexpr int SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2,
              SB_PAGELEFT = 2, SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5,
              SB_TOP = 6, SB_LEFT = 6, SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;

// Mouse-message key flags (WParam of mouse messages).
constexpr int MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
              MK_MBUTTON = 0x0010;

// WM_SIZE kinds.
constexpr int SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;

// WM_ACTIVATE states.
constexpr int WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;

// WM_SETCURSOR hit-test code for the client area.
constexpr int HTCLIENT = 1;

// Key data (LParam of key messages): bit 29 is the Alt state, bit 30 the
// previous key state, bit 31 the transition (set on release).
constexpr std::int32_t KF_ALTDOWN_BIT = 1 << 29;

struct TPointLong {
  std::int32_t x = 0, y = 0;
};
// WM_GETMINMAXINFO record; LParam of the message points to it.
struct TMinMaxInfo {
  TPointLong ptReserved, ptMaxSize, ptMaxPosition, ptMinTrackSize, ptMaxTrackSize;
};

// Window-style bits read by controls that test their creation parameters.
constexpr std::uint32_t WS_OVERLAPPED = 0x00000000, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000,
                        WS_MINIMIZE = 0x20000000, WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000,
                        WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000, WS_MAXIMIZE = 0x01000000,
                        WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_DLGFRAME = 0x00400000,
                        WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000, WS_SYSMENU = 0x00080000,
                        WS_THICKFRAME = 0x00040000, WS_TABSTOP = 0x00010000, WS_MINIMIZEBOX = 0x00020000,
                        WS_MAXIMIZEBOX = 0x00010000;
constexpr std::uint32_t WS_EX_DLGMODALFRAME = 0x00000001, WS_EX_TOPMOST = 0x00000008,
                        WS_EX_TRANSPARENT = 0x00000020, WS_EX_TOOLWINDOW = 0x00000080,
                        WS_EX_WINDOWEDGE = 0x00000100, WS_EX_CLIENTEDGE = 0x00000200;
constexpr std::uint32_t CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_SAVEBITS = 0x0800;
constexpr std::uint32_t ES_LEFT = 0x0000, ES_CENTER = 0x0001, ES_RIGHT = 0x0002, ES_MULTILINE = 0x0004,
                        ES_UPPERCASE = 0x0008, ES_LOWERCASE = 0x0010, ES_PASSWORD = 0x0020,
                        ES_AUTOVSCROLL = 0x0040, ES_AUTOHSCROLL = 0x0080, ES_NOHIDESEL = 0x0100,
                        ES_READONLY = 0x0800, ES_WANTRETURN = 0x1000;

// A queued message. Addressed by handle so that freeing the target makes the
// message fall through harmlessly.
struct TQueuedMessage {
  HWND Wnd = 0;
  TMessage Message;
};

// The single user-interface message queue (posted messages only; sent
// messages are plain calls).
class TMessageQueue {
 public:
  void Post(HWND wnd, unsigned msg, WPARAM wparam, LPARAM lparam);
  // PM_REMOVE semantics when remove is true. Filters by window (0 = any) and
  // by message range (both 0 = any).
  bool Peek(TQueuedMessage& out, HWND wnd, unsigned first, unsigned last, bool remove);
  bool Empty() const { return queue_.empty(); }
  std::size_t Size() const { return queue_.size(); }
  // Drops every message addressed to a window that is being destroyed.
  void RemoveFor(HWND wnd);
  void Clear() { queue_.clear(); }

 private:
  std::deque<TQueuedMessage> queue_;
};

TMessageQueue& MessageQueue();

constexpr unsigned PM_NOREMOVE = 0, PM_REMOVE = 1;
