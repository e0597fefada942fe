// The status bars: panel definitions, layout, painting, the gauge that
// follows the engine's progress, the size grip and presses on panels.
#include "richtext/bars/statusbar.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "richtext/controls/rtfedit.h"
#include "richtext/model/progress.h"

namespace {

// The bar that receives the engine's progress (one at a time).
TWPStatusBarBasic* gProgressBar = nullptr;

const char* const kKindNames[] = {"stGauge",  "stHelp",  "stIndex", "stOutline", "stStatus",   "stInsert",
                                  "stCaps",   "stNum",   "stXPos",  "stYPos",    "stDate",     "stTime",
                                  "stPage",   "stLine",  "stChanged", "stFont",  "stStyle",    "stUnit",
                                  "stTxtFmt", "stName",  "stFileName", "stPathName", "stString"};

uint8_t KindOf(const AnsiString& keyword) {
  for (int i = 0; i < 23; ++i)
    if (keyword == kKindNames[i]) return static_cast<uint8_t>(i);
  return stString;
}

void Line(TCanvas& c, TColor color, int x1, int y1, int x2, int y2) {
  c.Pen()->SetColor(color);
  c.MoveTo(x1, y1);
  c.LineTo(x2, y2);
}

}  // namespace

TWPStatusBarBasic::TWPStatusBarBasic(TComponent* owner)
    : TWPCustomStatusBar(owner), strings_(std::make_unique<TStringList>()) {
  strings_->OnChange = [this](TObject*) { BuildPanels(); };
  SetBounds(0, 0, 200, 22);
  SetAlign(alBottom);
  SetColor(clBtnFace);
}

TWPStatusBarBasic::~TWPStatusBarBasic() {
  // Whatever switched it on: a freed bar never receives progress.
  InstallProgress(false);
  strings_->OnChange = nullptr;
}

void TWPStatusBarBasic::InstallProgress(bool on) {
  if (on) {
    gProgressBar = this;
    WPProgressEvent = [](int percent) {
      if (gProgressBar && gProgressBar->useGaugeForWP_) gProgressBar->SetGaugeValue(percent);
    };
  } else if (gProgressBar == this) {
    gProgressBar = nullptr;
    WPProgressEvent = nullptr;
    WPProgressReset();
  }
}

bool TWPStatusBarBasic::ReceivesProgress() const { return gProgressBar == this && WPProgressEvent != nullptr; }

// --- properties ---------------------------------------------------------------------------------

void TWPStatusBarBasic::SetStrings(const TStrings* lines) { strings_->Assign(lines); }

void TWPStatusBarBasic::SetShowGauge(bool v) {
  if (v && gaugeWidth_ < 1) gaugeWidth_ = 100;
  showGauge_ = v;
  // A hidden gauge receives no progress, whatever it is used for.
  InstallProgress(v);
  BuildPanels();
}

void TWPStatusBarBasic::SetUseGaugeForWP(bool v) {
  useGaugeForWP_ = v;
  InstallProgress(v || showGauge_);
}

void TWPStatusBarBasic::SetShowSizer(bool v) {
  showSizer_ = v && Height() >= 12;
  LayoutPanels();
  Invalidate();
}

void TWPStatusBarBasic::SetGaugeValue(int percent) {
  percent = std::clamp(percent, 0, 100);
  if (percent == gaugeValue_) return;
  gaugeValue_ = percent;
  if (!showGauge_ || !Visible()) return;
  for (int i = 0; i < PanelCount(); ++i)
    if (panels_[static_cast<size_t>(i)].Kind == stGauge && panels_[static_cast<size_t>(i)].Value == -1) RepaintPanel(i);
}

void TWPStatusBarBasic::SetGaugeWidth(int pixels) {
  gaugeWidth_ = std::max(4, std::min(pixels, Width() - 4));
  if (!showGauge_) return;
  Remeasure();
  LayoutPanels();
  Invalidate();
}

void TWPStatusBarBasic::SetTextPlacement(int v) {
  placement_ = std::clamp(v, 0, 2);
  Invalidate();
}

// --- panels ------------------------------------------------------------------------------------------

int TWPStatusBarBasic::TextWidthOf(const AnsiString& s) {
  TCanvas* c = Canvas();
  c->SetFont(*Font());
  return c->TextWidth(s);
}

void TWPStatusBarBasic::BuildPanels() {
  panels_.clear();
  int made = 0;
  for (int i = 0; i < strings_->Count() && made < kWPMaxPanels - 1; ++i) {
    const AnsiString line = strings_->Strings(i);
    if (line.empty()) continue;
    TWPStatusPanel p;
    size_t k = 0;
    if (k < line.size() && line[k] == '@') {
      p.Style = wpsfFrame;
      ++k;
    }
    if (k < line.size() && line[k] == '$') {
      p.Style |= wpsfLower;
      ++k;
      if (k < line.size() && line[k] == '%') {
        p.Style |= wpsfGrey;
        ++k;
      }
    }
    int width = 0;
    while (k < line.size() && std::isdigit(static_cast<unsigned char>(line[k])) && width < 100000) {
      width = width * 10 + (line[k] - '0');
      ++k;
    }
    AnsiString keyword = line.substr(k);
    const size_t eq = keyword.find('=');
    if (eq != AnsiString::npos) {
      p.Text = keyword.substr(eq + 1);
      keyword.resize(eq);
      p.Kind = KindOf(keyword);
    } else {
      // Without "=" the line as written is both the text and what names
      // the kind, so prefixed lines are plain texts.
      p.Text = line;
      p.Kind = KindOf(line);
    }
    if (width == 0) width = TextWidthOf(p.Text);
    if (width < 10) width = 30;
    p.Width = width;
    p.Value = i;
    panels_.push_back(p);
    ++made;
  }
  if (showGauge_) {
    TWPStatusPanel g;
    g.Text = "Gauge";
    g.Value = -1;
    g.Kind = stGauge;
    g.Width = gaugeWidth_;
    panels_.push_back(g);
  }
  if (made > 0) {
    if (OnUpdate) OnUpdate(this);
    if (AttachedControl()) AttachedControl()->RefreshStatus();
  }
  LayoutPanels();
  Invalidate();
}

void TWPStatusBarBasic::Remeasure() {
  for (TWPStatusPanel& p : panels_) p.Width = p.Value == -1 ? gaugeWidth_ : TextWidthOf(p.Text);
}

void TWPStatusBarBasic::LayoutPanels() {
  if (panels_.empty()) return;
  const int w = Width();
  int total = 0;
  for (const TWPStatusPanel& p : panels_) total += p.Width + 2;
  if (total > 0 && total >= w - 4) {
    int x = 2;
    for (TWPStatusPanel& p : panels_) {
      p.Left = x;
      p.ActWidth = static_cast<int>(std::lround(static_cast<double>(p.Width) * (w - 4) / total));
      x += p.ActWidth + 2;
    }
    TWPStatusPanel& last = panels_.back();
    last.ActWidth = std::max(0, w - 2 - last.Left);
    return;
  }
  int x = 2;
  for (TWPStatusPanel& p : panels_) {
    p.Left = x;
    p.ActWidth = p.Width;
    x += p.Width + 2;
  }
  TWPStatusPanel& last = panels_.back();
  if (last.Kind == stGauge && last.Value == -1) last.Left = w - gaugeWidth_ - 2;
}

bool TWPStatusBarBasic::SetPanelText(const AnsiString& text, int kind) {
  for (int i = 0; i < PanelCount(); ++i) {
    TWPStatusPanel& p = panels_[static_cast<size_t>(i)];
    if (p.Kind != kind) continue;
    p.Text = text;
    if (Visible()) RepaintPanel(i);
    return true;
  }
  return false;
}

void TWPStatusBarBasic::RepaintPanel(int index) {
  const TWPStatusPanel& p = panels_[static_cast<size_t>(index)];
  InvalidateRect({p.Left - 1, 0, p.Left + p.ActWidth + 1, Height()});
}

void TWPStatusBarBasic::UpdateStatus() {
  if (OnUpdate) OnUpdate(this);
  if (AttachedControl()) AttachedControl()->RefreshStatus();
  Update();
}

void TWPStatusBarBasic::Resize() {
  TWPCustomStatusBar::Resize();
  if (showSizer_ && Height() < 12) showSizer_ = false;
  LayoutPanels();
  Invalidate();
}

void TWPStatusBarBasic::Dispatch(TMessage& m) {
  TWPCustomStatusBar::Dispatch(m);
  if (m.Msg == CM_FONTCHANGED) BuildPanels();
}

void TWPStatusBarBasic::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWPCustomStatusBar::MouseDown(button, shift, x, y);
  if (!OnSelection) return;
  for (int i = 0; i < PanelCount(); ++i) {
    const TWPStatusPanel& p = panels_[static_cast<size_t>(i)];
    if (x >= p.Left && x < p.Left + p.ActWidth && y >= rowTop_ && y <= rowBottom_) {
      OnSelection(this, p.Kind, p.Text, i);
      return;
    }
  }
}

// --- painting ------------------------------------------------------------------------------------------

void TWPStatusBarBasic::ComputeRow(TCanvas& c) {
  c.SetFont(*Font());
  const int th = c.TextHeight("Ag");
  int top = placement_ == 0 ? 3 : placement_ == 2 ? Height() - th - 2 : (Height() - th) / 2;
  top = std::max(top, 3);
  rowTop_ = top;
  rowBottom_ = top + th;
}

void TWPStatusBarBasic::Paint() {
  TCanvas& c = *Canvas();
  ComputeRow(c);
  PaintBar(c);
  AfterPaint(c);
}

void TWPStatusBarBasic::PaintBar(TCanvas& c) {
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(Color());
  c.FillRect(ClientRect());
  const int w = Width();
  Line(c, clBtnShadow, 0, 0, w, 0);
  Line(c, clBtnHighlight, 0, 1, w, 1);
  Line(c, clBtnFace, 0, 2, w, 2);
  for (int i = 0; i < PanelCount(); ++i) PaintPanel(c, i);
  PaintSizer(c);
}

void TWPStatusBarBasic::PaintPanelText(TCanvas& c, const TWPStatusPanel& p, const TRect& r) {
  TColor text = clBlack, back = clBtnFace;
  if (p.Style & wpsfGrey) text = clBtnShadow;
  if (p.Style & wpsfColorText) text = p.Color;
  if (p.Style & wpsfColorBack) back = p.Color;
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(back);
  c.FillRect(r);
  c.SetFont(*Font());
  c.Font()->SetColor(text);
  c.SetBkMode(TRANSPARENT);
  const int th = c.TextHeight("Ag");
  const int y = r.Top + std::max(0, (r.Height() - th) / 2) + ((p.Style & wpsfLower) ? 1 : 0);
  c.TextRect(r, r.Left + 2, y, p.Text);
}

void TWPStatusBarBasic::PaintPanel(TCanvas& c, int index) {
  const TWPStatusPanel& p = panels_[static_cast<size_t>(index)];
  const TRect r{p.Left, rowTop_, p.Left + p.ActWidth, rowBottom_};
  uint8_t style = p.Style;
  if (p.Kind == stGauge && p.Value == -1) {
    PaintGauge(c, r);
    style = wpsfLower;
  } else {
    PaintPanelText(c, p, r);
  }
  // One-pixel frame around the panel.
  const int l = r.Left - 1, t = r.Top - 1, rr = r.Right, b = r.Bottom;
  TColor lt, rb;
  if ((style & wpsfFrame) && (style & wpsfLower)) {
    lt = clBtnShadow;
    rb = clWhite;
  } else if (style & wpsfFrame) {
    lt = clWhite;
    rb = clBtnShadow;
  } else {
    lt = clBtnShadow;
    rb = (style & wpsfLower) ? clWhite : clBtnShadow;
  }
  Line(c, lt, l, b, l, t);
  Line(c, lt, l, t, rr, t);
  Line(c, rb, rr, t, rr, b);
  Line(c, rb, rr, b, l - 1, b);
}

void TWPStatusBarBasic::PaintGauge(TCanvas& c, const TRect& r) {
  const int filled = static_cast<int>(std::lround(r.Width() * 0.01 * gaugeValue_));
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(r);
  if (filled > 0) {
    c.Brush()->SetColor(clNavy);
    c.FillRect({r.Left, r.Top, r.Left + std::min(filled, r.Width()), r.Bottom});
  }
  for (int x = r.Left + 4; x < r.Right; x += 4) Line(c, clBtnFace, x, r.Top, x, r.Bottom);
}

void TWPStatusBarBasic::PaintSizer(TCanvas& c) {
  if (!showSizer_) return;
  const int w = Width(), h = Height();
  c.Brush()->SetColor(clBtnFace);
  c.FillRect({w - 15, h - 15, w, h});
  for (int d = 3; d < 15; d += 4) {
    Line(c, clBtnShadow, w - d, h - 1, w - 1, h - d);
    Line(c, clBtnShadow, w - d - 1, h - 1, w - 1, h - d - 1);
    Line(c, clWhite, w - d - 2, h - 1, w - 1, h - d - 2);
  }
}

// --- the alternative bar -------------------------------------------------------------------------------

void TWPAltStatusBar::LayoutPanels() {
  if (panels_.empty()) return;
  const int w = Width();
  const int margin = !ShowSizer() ? 2 : Height() < 16 ? 16 : 20;
  int sum = 0;
  for (TWPStatusPanel& p : panels_) {
    p.ActWidth = p.Width;
    sum += p.Width;
  }
  if (sum > 0 && sum >= w - margin)
    for (TWPStatusPanel& p : panels_) p.ActWidth = static_cast<int>(static_cast<int64_t>(p.ActWidth) * (w - margin - 2) / sum);
  int x = 0;
  for (TWPStatusPanel& p : panels_) {
    p.Left = x;
    x += p.ActWidth + 1;
  }
  TWPStatusPanel& last = panels_.back();
  last.ActWidth = std::max(0, w - last.Left - margin);
}

void TWPAltStatusBar::PaintBar(TCanvas& c) {
  c.SetFont(*Font());
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(Color());
  c.FillRect(ClientRect());
  // The painting area runs over the whole height.
  rowTop_ = 0;
  rowBottom_ = Height() - 1;
  for (int i = 0; i < PanelCount(); ++i) PaintPanel(c, i);
  PaintSizer(c);
}

void TWPAltStatusBar::PaintPanel(TCanvas& c, int index) {
  const TWPStatusPanel& p = panels_[static_cast<size_t>(index)];
  const TRect r{p.Left, rowTop_, p.Left + p.ActWidth, rowBottom_};
  if (p.Kind == stGauge && p.Value == -1) {
    PaintGauge(c, r);
    return;
  }
  // A flat panel: a thin sunken frame round its text.
  PaintPanelText(c, p, {r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1});
  Line(c, clBtnShadow, r.Left, r.Bottom - 1, r.Left, r.Top);
  Line(c, clBtnShadow, r.Left, r.Top, r.Right - 1, r.Top);
  Line(c, clBtnHighlight, r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
  Line(c, clBtnHighlight, r.Right - 1, r.Bottom - 1, r.Left, r.Bottom - 1);
}

void TWPAltStatusBar::PaintGauge(TCanvas& c, const TRect& outer) {
  // Only the last panel carries the gauge.
  if (panels_.empty() || !(panels_.back().Kind == stGauge && panels_.back().Value == -1)) return;
  const TRect r{outer.Left + 1, outer.Top + 1, outer.Right - 1, outer.Bottom - 1};
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(r);
  Line(c, clBtnShadow, outer.Left, outer.Bottom - 1, outer.Left, outer.Top);
  Line(c, clBtnShadow, outer.Left, outer.Top, outer.Right - 1, outer.Top);
  Line(c, clBtnHighlight, outer.Right - 1, outer.Top, outer.Right - 1, outer.Bottom - 1);
  Line(c, clBtnHighlight, outer.Right - 1, outer.Bottom - 1, outer.Left, outer.Bottom - 1);
  if (GaugeValue() > 0) {
    const int right = std::min(r.Left + r.Width() * GaugeValue() / 100, r.Right - 1);
    c.Brush()->SetColor(clHighlight);
    c.FillRect({r.Left, r.Top, right, r.Bottom});
  }
  for (int x = r.Left + 4; x < r.Right; x += 4) Line(c, clBtnFace, x, r.Top + 1, x, r.Bottom - 1);
}

void TWPAltStatusBar::PaintSizer(TCanvas& c) {
  if (!ShowSizer()) return;
  const int w = Width(), h = Height();
  const int size = h <= 15 ? 11 : 15;
  for (int d = 2; d < size; d += 3) {
    Line(c, clBtnHighlight, w - d - 1, h - 1, w - 1, h - d - 1);
    Line(c, clBtnShadow, w - d, h - 1, w - 1, h - d);
  }
}
