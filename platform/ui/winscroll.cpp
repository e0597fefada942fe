// The standard scroll bars of a windowed control: their state
// (SetScrollInfo and friends), their place in the non-client area, their
// mouse handling with arrow repeat and thumb tracking, and the painting of
// the non-client area (border, client edge, bars).
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/forms.h"
#include "platform/ui/timers.h"
#include "platform/ui/ui_internal.h"

int TWinControl::SetScrollInfo(int bar, const TScrollInfo& info, bool redraw) {
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  Bar& b = bar == SB_VERT ? vbar_ : hbar_;
  if (info.fMask & SIF_RANGE) {
    b.min = info.nMin;
    b.max = std::max(info.nMin, info.nMax);
  }
  if (info.fMask & SIF_PAGE) b.page = std::min<unsigned>(info.nPage, static_cast<unsigned>(b.max - b.min + 1));
  if (info.fMask & SIF_POS) b.pos = info.nPos;
  int top = b.max - std::max<int>(static_cast<int>(b.page) - 1, 0);
  b.pos = std::clamp(b.pos, b.min, std::max(b.min, top));
  bool disableNoScroll = (info.fMask & SIF_DISABLENOSCROLL) != 0;
  if (info.fMask & (SIF_RANGE | SIF_PAGE)) {
    bool scrollable = b.max > b.min && (b.page == 0 || static_cast<int>(b.page) <= b.max - b.min);
    bool show = scrollable || (disableNoScroll && b.visible);
    if (show != b.visible) {
      b.visible = show;
      UpdateScrollBarVisibility(bar);
    }
  }
  if (redraw) Invalidate();
  return b.pos;
}

bool TWinControl::GetScrollInfo(int bar, TScrollInfo& info) const {
  if (bar != SB_HORZ && bar != SB_VERT) return false;
  const Bar& b = bar == SB_VERT ? vbar_ : hbar_;
  if (info.fMask & SIF_RANGE) {
    info.nMin = b.min;
    info.nMax = b.max;
  }
  if (info.fMask & SIF_PAGE) info.nPage = b.page;
  if (info.fMask & SIF_POS) info.nPos = b.pos;
  if (info.fMask & SIF_TRACKPOS) info.nTrackPos = barTracking_ == bar ? barTrackOffset_ : b.pos;
  return true;
}

int TWinControl::SetScrollPos(int bar, int pos, bool redraw) {
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  Bar& b = bar == SB_VERT ? vbar_ : hbar_;
  int old = b.pos;
  TScrollInfo si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(bar, si, redraw);
  return old;
}

int TWinControl::GetScrollPos(int bar) const {
  if (bar != SB_HORZ && bar != SB_VERT) return 0;
  return (bar == SB_VERT ? vbar_ : hbar_).pos;
}

bool TWinControl::SetScrollRange(int bar, int minPos, int maxPos, bool redraw) {
  TScrollInfo si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  SetScrollInfo(bar, si, redraw);
  return true;
}

bool TWinControl::GetScrollRange(int bar, int& minPos, int& maxPos) const {
  if (bar != SB_HORZ && bar != SB_VERT) return false;
  const Bar& b = bar == SB_VERT ? vbar_ : hbar_;
  minPos = b.min;
  maxPos = b.max;
  return true;
}

bool TWinControl::ShowScrollBar(int bar, bool show) {
  for (int b : {SB_HORZ, SB_VERT}) {
    if (bar != b && bar != SB_BOTH) continue;
    Bar& s = b == SB_VERT ? vbar_ : hbar_;
    if (s.visible == show) continue;
    s.visible = show;
    UpdateScrollBarVisibility(b);
  }
  return true;
}

void TWinControl::UpdateScrollBarVisibility(int) {
  // Showing or hiding a bar changes the client area, as the platform reports.
  if (handle_) SendSize();
  Invalidate();
}

TRect TWinControl::ScrollBarRect(int bar) const {
  int bw = BorderWidth();
  TRect c = ClientRect();
  if (bar == SB_VERT) {
    if (!vbar_.visible) return {};
    return Bounds(bw + c.Width(), bw, GetSystemMetrics(SM_CXVSCROLL), c.Height());
  }
  if (!hbar_.visible) return {};
  return Bounds(bw, bw + c.Height(), c.Width(), GetSystemMetrics(SM_CYHSCROLL));
}

namespace {
struct BarGeometry {
  int trackStart, trackLen, thumbStart, thumbLen;
};
BarGeometry Geometry(int length, int min, int max, unsigned page, int pos) {
  int arrow = 16;
  if (length < 2 * arrow) arrow = length / 2;
  BarGeometry g{arrow, std::max(0, length - 2 * arrow), arrow, 0};
  int range = max - min + 1;
  int thumb = page > 0 ? std::max(8, static_cast<int>(static_cast<long long>(g.trackLen) * page / std::max(1, range)))
                       : 16;
  if (thumb > g.trackLen) thumb = 0;  // no room: no thumb
  g.thumbLen = thumb;
  int span = max - min - std::max<int>(static_cast<int>(page) - 1, 0);
  if (span > 0 && thumb > 0)
    g.thumbStart = arrow + static_cast<int>(static_cast<long long>(pos - min) * (g.trackLen - thumb) / span);
  return g;
}
}  // namespace

bool TWinControl::ScrollBarMouse(TMessage& m) {
  // Mouse messages with WParam -1 are non-client clicks routed by the form.
  int x = LoWord(m.LParam), y = HiWord(m.LParam);
  int bw = BorderWidth();
  TPoint wp{x + bw, y + bw};  // window co-ordinates
  auto send = [this](int bar, int code, int pos) {
    Perform(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MakeLong(code, pos), 0);
  };
  if (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK) {
    for (int bar : {SB_VERT, SB_HORZ}) {
      TRect r = ScrollBarRect(bar);
      if (r.IsEmpty() || !PtInRect(r, wp)) continue;
      const Bar& b = bar == SB_VERT ? vbar_ : hbar_;
      int len = bar == SB_VERT ? r.Height() : r.Width();
      int at = bar == SB_VERT ? wp.Y - r.Top : wp.X - r.Left;
      BarGeometry g = Geometry(len, b.min, b.max, b.page, b.pos);
      int code;
      if (at < g.trackStart) code = SB_LINEUP;
      else if (at >= g.trackStart + g.trackLen) code = SB_LINEDOWN;
      else if (g.thumbLen > 0 && at >= g.thumbStart && at < g.thumbStart + g.thumbLen) code = SB_THUMBTRACK;
      else code = at < g.thumbStart ? SB_PAGEUP : SB_PAGEDOWN;
      barTracking_ = bar;
      barTrackCode_ = code;
      barTrackOffset_ = b.pos;
      SetCaptureControl(this);
      if (code == SB_THUMBTRACK) {
        barTrackOffset_ = b.pos;
        barGrab_ = at - g.thumbStart;  // where the thumb was grabbed
        return true;
      }
      send(bar, code, 0);
      // Auto-repeat while held: first after 400 ms, then every 100 ms.
      HWND h = Handle();
      auto ticks = std::make_shared<int>(0);
      auto id = std::make_shared<int>(0);
      *id = barTimer_ = Timers().SetTimer(0, 100, [h, ticks, id, bar, code] {
        TWinControl* self = FindControl(h);
        if (!self || self->barTracking_ != bar) {
          Timers().KillTimer(*id);  // the window went away while the button was held
          return;
        }
        if (++*ticks < 4) return;
        self->Perform(bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MakeLong(code, 0), 0);
      });
      return true;
    }
    return false;
  }
  if (barTracking_ < 0) return false;
  int bar = barTracking_;
  const Bar& b = bar == SB_VERT ? vbar_ : hbar_;
  if (m.Msg == WM_MOUSEMOVE) {
    if (barTrackCode_ == SB_THUMBTRACK) {
      TRect r = ScrollBarRect(bar);
      int len = bar == SB_VERT ? r.Height() : r.Width();
      int at = bar == SB_VERT ? wp.Y - r.Top : wp.X - r.Left;
      BarGeometry g = Geometry(len, b.min, b.max, b.page, b.pos);
      int span = b.max - b.min - std::max<int>(static_cast<int>(b.page) - 1, 0);
      int room = g.trackLen - g.thumbLen;
      int start = std::clamp(at - barGrab_ - g.trackStart, 0, std::max(0, room));
      int pos = room > 0 ? b.min + static_cast<int>(static_cast<long long>(start) * span / room) : b.min;
      if (pos != barTrackOffset_) {
        barTrackOffset_ = pos;
        send(bar, SB_THUMBTRACK, pos);
      }
    }
    return true;
  }
  if (m.Msg == WM_LBUTTONUP) {
    if (barTrackCode_ == SB_THUMBTRACK)
      send(bar, SB_THUMBPOSITION, barTrackOffset_);
    else if (barTimer_)
      Timers().KillTimer(barTimer_);
    barTimer_ = 0;
    barTracking_ = -1;
    if (GetCaptureControl() == this) SetCaptureControl(nullptr);
    send(bar, SB_ENDSCROLL, 0);
    return true;
  }
  return false;
}

// Painting -----------------------------------------------------------------

namespace {
using ctlutil::FillSolid;

void PaintBar(TCanvas& c, const TRect& r, bool vertical, int min, int max, unsigned page, int pos) {
  int len = vertical ? r.Height() : r.Width();
  BarGeometry g = Geometry(len, min, max, page, pos);
  ctlutil::FillScrollTrack(c, r);
  auto part = [&](int start, int size) {
    return vertical ? Bounds(r.Left, r.Top + start, r.Width(), size) : Bounds(r.Left + start, r.Top, size, r.Height());
  };
  bool enabled = max > min;
  TRect a1 = part(0, g.trackStart), a2 = part(g.trackStart + g.trackLen, g.trackStart);
  unsigned dis = enabled ? 0u : static_cast<unsigned>(DFCS_INACTIVE);
  c.DrawFrameControl(a1, DFC_SCROLL, (vertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | dis);
  c.DrawFrameControl(a2, DFC_SCROLL, (vertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) | dis);
  if (enabled && g.thumbLen > 0) {
    TRect t = part(g.thumbStart, g.thumbLen);
    FillSolid(c, t, clBtnFace);
    c.DrawEdge(t, EDGE_RAISED, BF_RECT);
  }
}
}  // namespace

void TWinControl::PaintNonClient(const TPaintContext& ctx) {
  int bw = BorderWidth();
  bool bars = vbar_.visible || hbar_.visible;
  if (bw == 0 && !bars) return;
  TCanvas c(ctx.Device);
  c.SetViewport(ctx.Origin, &ctx.Clip);
  TRect r = Bounds(0, 0, width_, height_);
  if (params_.Style & WS_BORDER) {
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clWindowFrame);
    c.FrameRect(r);
    InflateRect(r, -1, -1);
  }
  if (params_.ExStyle & WS_EX_CLIENTEDGE) c.DrawEdge(r, EDGE_SUNKEN, BF_RECT);
  if (vbar_.visible) PaintBar(c, ScrollBarRect(SB_VERT), true, vbar_.min, vbar_.max, vbar_.page, vbar_.pos);
  if (hbar_.visible) PaintBar(c, ScrollBarRect(SB_HORZ), false, hbar_.min, hbar_.max, hbar_.page, hbar_.pos);
  if (vbar_.visible && hbar_.visible) {
    TRect v = ScrollBarRect(SB_VERT), h = ScrollBarRect(SB_HORZ);
    FillSolid(c, {v.Left, h.Top, v.Right, h.Bottom}, clBtnFace);
  }
}
