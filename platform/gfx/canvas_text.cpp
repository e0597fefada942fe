// DrawText, DrawEdge and DrawFrameControl of TCanvas: the formatted-text and
// 3-D frame calls, built on the canvas's own primitives.
#include <algorithm>

#include "platform/gfx/canvas.h"

namespace {

struct TLine {
  std::string Text;
  int Accel = -1;  // index of the character to underline
};

// Removes "&" prefixes: "&&" stands for "&", "&x" underlines x.
TLine StripPrefix(const std::string& s, bool noPrefix) {
  TLine l;
  if (noPrefix) {
    l.Text = s;
    return l;
  }
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '&' && i + 1 < s.size()) {
      ++i;
      if (s[i] != '&' && l.Accel < 0) l.Accel = static_cast<int>(l.Text.size());
    } else if (s[i] == '&') {
      continue;
    }
    l.Text.push_back(s[i]);
  }
  return l;
}

}  // namespace

int TCanvas::DrawText(const std::string& text, TRect& r, unsigned fmt) {
  Realize();
  const TFontData& fd = font_.Data();
  const int lineH = fd.Metric.tmHeight + ((fmt & DT_EXTERNALLEADING) ? fd.Metric.tmExternalLeading : 0);
  const int tabW = 8 * fd.Metric.tmAveCharWidth;
  const bool single = fmt & DT_SINGLELINE;
  const int maxW = r.Width();

  auto advances = [&](const std::string& s, std::vector<int>& adv) {
    adv.resize(s.size());
    int x = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      int w = fd.Widths[static_cast<unsigned char>(s[i])];
      if (s[i] == '\t' && (fmt & DT_EXPANDTABS) && tabW > 0) w = tabW - x % tabW;
      adv[i] = w;
      x += w;
    }
    return x;
  };
  std::vector<int> adv;

  // Paragraphs, then word-broken lines.
  std::vector<std::string> paras;
  if (single) {
    paras.push_back(text);
  } else {
    std::string cur;
    for (std::size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '\r' || c == '\n') {
        paras.push_back(cur);
        cur.clear();
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      } else {
        cur.push_back(c);
      }
    }
    paras.push_back(cur);
  }
  std::vector<TLine> lines;
  for (const std::string& p : paras) {
    TLine whole = StripPrefix(p, fmt & DT_NOPREFIX);
    if (!(fmt & DT_WORDBREAK) || single) {
      lines.push_back(whole);
      continue;
    }
    // Break at the last blank that keeps the line within the width; a word
    // longer than the width stands alone.
    const std::string& s = whole.Text;
    std::size_t start = 0;
    do {
      std::size_t end = start, lastBreak = std::string::npos;
      int x = 0;
      while (end < s.size()) {
        int w = fd.Widths[static_cast<unsigned char>(s[end])];
        if (s[end] == ' ' && end > start) lastBreak = end;
        if (x + w > maxW && end > start) break;
        x += w;
        ++end;
      }
      std::size_t cut = end, next = end;
      if (end < s.size() && lastBreak != std::string::npos) {
        cut = lastBreak;
        next = lastBreak + 1;
      } else if (end < s.size() && lastBreak == std::string::npos) {
        // No blank: the word runs on to the next blank or the end.
        while (cut < s.size() && s[cut] != ' ') ++cut;
        next = cut < s.size() ? cut + 1 : cut;
      }
      TLine l;
      l.Text = s.substr(start, cut - start);
      if (whole.Accel >= static_cast<int>(start) && whole.Accel < static_cast<int>(cut))
        l.Accel = whole.Accel - static_cast<int>(start);
      lines.push_back(l);
      start = next;
    } while (start < s.size());
  }

  if (fmt & DT_END_ELLIPSIS) {
    int dots = 3 * fd.Widths[static_cast<unsigned char>('.')];
    for (TLine& l : lines) {
      if (advances(l.Text, adv) <= maxW) continue;
      std::size_t keep = l.Text.size();
      while (keep > 0 && advances(l.Text.substr(0, keep), adv) + dots > maxW) --keep;
      l.Text = l.Text.substr(0, keep) + "...";
      if (l.Accel >= static_cast<int>(keep)) l.Accel = -1;
    }
  }

  int widest = 0;
  for (const TLine& l : lines) widest = std::max(widest, advances(l.Text, adv));
  const int total = lineH * static_cast<int>(lines.size());
  if (fmt & DT_CALCRECT) {
    // One line, or lines broken only where the text breaks them: the width
    // of the text. Word-broken lines keep the given width unless a word is
    // wider.
    if (single || !(fmt & DT_WORDBREAK) || lines.size() <= 1 || widest > maxW) r.Right = r.Left + widest;
    r.Bottom = r.Top + total;
    return total;
  }

  RequireDevice();
  int y = r.Top;
  if (single) {
    if (fmt & DT_VCENTER)
      y = r.Top + (r.Height() - lineH) / 2;
    else if (fmt & DT_BOTTOM)
      y = r.Bottom - lineH;
  }
  const unsigned oldAlign = SetTextAlign(TA_TOP | TA_LEFT);
  const TRect* clipRect = (fmt & DT_NOCLIP) ? nullptr : &r;
  for (const TLine& l : lines) {
    int w = advances(l.Text, adv);
    int x = r.Left;
    if (fmt & DT_CENTER)
      x = r.Left + (r.Width() - w) / 2;
    else if (fmt & DT_RIGHT)
      x = r.Right - w;
    ExtTextOut(x, y, clipRect ? unsigned(ETO_CLIPPED) : 0u, clipRect, l.Text.data(), static_cast<int>(l.Text.size()), adv.data());
    if (l.Accel >= 0 && !(fmt & DT_HIDEPREFIX)) {
      int ax = x;
      for (int i = 0; i < l.Accel; ++i) ax += adv[i];
      TRect u{ax, y + fd.Metric.tmAscent + fd.UnderlineOffset, ax + adv[l.Accel],
              y + fd.Metric.tmAscent + fd.UnderlineOffset + fd.UnderlineThickness};
      TRect dr = ToDevice(r);
      ApplyClip(clipRect ? &dr : nullptr);
      SolidFill(ToDevice(u), textColor_);
    }
    y += lineH;
  }
  SetTextAlign(oldAlign);
  return total;
}

// ------------------------------------------------------------------ frames

bool TCanvas::DrawEdge(TRect& r, unsigned edge, unsigned flags) {
  RequireDevice();
  ApplyClip();
  TRect d = ToDevice(r);
  auto line = [&](const TRect& x, TColor c) { SolidFill(x, ColorToRGB(c)); };
  auto ring = [&](TColor topLeft, TColor bottomRight) {
    if (d.IsEmpty()) return;
    if (flags & BF_MONO) topLeft = bottomRight = clWindowFrame;
    if (flags & BF_LEFT) line({d.Left, d.Top, d.Left + 1, d.Bottom}, topLeft);
    if (flags & BF_TOP) line({d.Left, d.Top, d.Right, d.Top + 1}, topLeft);
    if (flags & BF_RIGHT) line({d.Right - 1, d.Top, d.Right, d.Bottom}, bottomRight);
    if (flags & BF_BOTTOM) line({d.Left, d.Bottom - 1, d.Right, d.Bottom}, bottomRight);
    if (flags & BF_LEFT) ++d.Left;
    if (flags & BF_TOP) ++d.Top;
    if (flags & BF_RIGHT) --d.Right;
    if (flags & BF_BOTTOM) --d.Bottom;
  };
  // Outer ring, then inner ring, in the colours of the classic scheme.
  if (flags & BF_FLAT) {
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) ring(clBtnShadow, clBtnShadow);
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) ring(clBtnFace, clBtnFace);
  } else {
    if (edge & BDR_RAISEDOUTER) ring(cl3DLight, cl3DDkShadow);
    else if (edge & BDR_SUNKENOUTER) ring(clBtnShadow, clBtnHighlight);
    if (edge & BDR_RAISEDINNER) ring(clBtnHighlight, clBtnShadow);
    else if (edge & BDR_SUNKENINNER) ring(cl3DDkShadow, cl3DLight);
  }
  if (flags & BF_MIDDLE) line(d, clBtnFace);
  if (flags & BF_ADJUST) {
    r = d;
    OffsetRect(r, -origin_.X, -origin_.Y);
  }
  return true;
}

bool TCanvas::DrawFrameControl(const TRect& rIn, unsigned kind, unsigned state) {
  RequireDevice();
  TRect r = rIn;
  const bool pushed = state & DFCS_PUSHED, inactive = state & DFCS_INACTIVE, flat = state & DFCS_FLAT;
  auto face = [&] {
    if (flat)
      DrawEdge(r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE | BF_ADJUST);
    else if (pushed)
      DrawEdge(r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
    else
      DrawEdge(r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  };
  // A filled triangle pointing `dir` (0 up, 1 down, 2 left, 3 right) centred in r.
  auto arrow = [&](int dir, TColor c) {
    // Seven pixels wide in a 16-pixel box, as the system draws it.
    int size = std::max(3, (std::min(r.Width(), r.Height()) - 2) / 2);
    if (size % 2 == 0) --size;
    int h = (size + 1) / 2;
    int cx = r.Left + r.Width() / 2 + (pushed ? 1 : 0), cy = r.Top + r.Height() / 2 + (pushed ? 1 : 0);
    ApplyClip();
    for (int i = 0; i < h; ++i) {
      int len = size - 2 * i;
      if (len <= 0) break;
      TRect seg;
      switch (dir) {
        case 0: seg = {cx - len / 2, cy - h / 2 + (h - 1 - i), cx - len / 2 + len, cy - h / 2 + (h - i)}; break;
        case 1: seg = {cx - len / 2, cy - h / 2 + i, cx - len / 2 + len, cy - h / 2 + i + 1}; break;
        case 2: seg = {cx - h / 2 + (h - 1 - i), cy - len / 2, cx - h / 2 + (h - i), cy - len / 2 + len}; break;
        default: seg = {cx - h / 2 + i, cy - len / 2, cx - h / 2 + i + 1, cy - len / 2 + len}; break;
      }
      SolidFill(ToDevice(seg), ColorToRGB(c));
    }
  };
  if (kind == DFC_BUTTON) {
    unsigned type = state & 0xFF;
    if (type == DFCS_BUTTONPUSH) {
      face();
      return true;
    }
    // Check box (square) or radio button (round).
    int s = std::min({r.Width(), r.Height(), 13});
    TRect box = Bounds(r.Left + (r.Width() - s) / 2, r.Top + (r.Height() - s) / 2, s, s);
    if (type == DFCS_BUTTONRADIO) {
      TBrush oldB(brush_);
      TPen oldP(pen_);
      pen_.SetColor(clBtnShadow);
      brush_.SetColor(inactive || pushed ? clBtnFace : clWindow);
      Ellipse(box);
      if (state & DFCS_CHECKED) {
        pen_.SetColor(clWindowText);
        brush_.SetColor(clWindowText);
        TRect dot = box;
        InflateRect(dot, -s / 3, -s / 3);
        Ellipse(dot);
      }
      brush_.Assign(oldB);
      pen_.Assign(oldP);
      return true;
    }
    TRect b = box;
    if (flat)
      DrawEdge(b, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_ADJUST);
    else
      DrawEdge(b, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    ApplyClip();
    SolidFill(ToDevice(b), ColorToRGB(inactive || pushed ? clBtnFace : clWindow));
    if (state & DFCS_CHECKED) {
      // A check mark of three-pixel-high strokes.
      TColor c = ColorToRGB(inactive ? clGrayText : clWindowText);
      int x0 = b.Left + 1, yb = b.Top + b.Height() / 2;
      for (int i = 0; i < 7 && x0 + i < b.Right - 1; ++i) {
        int y = i < 3 ? yb - 1 + i : yb + 1 - (i - 2);
        SolidFill(ToDevice({x0 + i, y, x0 + i + 1, y + 3}), c);
      }
    }
    return true;
  }
  if (kind == DFC_SCROLL) {
    face();
    unsigned type = state & 0xFF;
    int dir = type == DFCS_SCROLLUP ? 0 : type == DFCS_SCROLLLEFT ? 2 : type == DFCS_SCROLLRIGHT ? 3 : 1;
    if (inactive) {
      TRect save = r;
      OffsetRect(r, 1, 1);
      arrow(dir, clBtnHighlight);
      r = save;
      arrow(dir, clBtnShadow);
    } else {
      arrow(dir, clBtnText);
    }
    return true;
  }
  if (kind == DFC_CAPTION || kind == DFC_MENU) {
    face();
    return true;
  }
  return false;
}
