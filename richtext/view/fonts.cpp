// Font selection of the text engine: how a character attribute record is
// drawn (font request, text and background colour, hand-drawn underline,
// raised and lowered runs), through the special-style sets (insert point,
// hyperlink, automatic text, protected, bookmark) that override the record.
// A font number outside the table selects font 0; nothing here raises.
#include <algorithm>

#include "platform/rtl/sysutils.h"
#include "richtext/view/paint.h"

namespace {

// Applies a three-state override to a flag.
void Override(bool& flag, TThreeState s) {
  if (s == tsTRUE) flag = true;
  else if (s == tsFALSE) flag = false;
}

}  // namespace

TWPRunStyle TWPRTFTextPaint::RunStyle(const TWPAttrRecord& attr) const {
  TWPRunStyle s;
  // The special class decides which set applies, in this order.
  const TCharacterAttr* set = nullptr;
  auto* self = const_cast<TWPRTFTextPaint*>(this);
  if (attr.Style & wpsInsertPoint) set = &self->InsertPointAttr();
  else if (attr.Style & wpsHyperlink) set = &self->HyperlinkTextAttr();
  else if (attr.Style & wpsAutomatic) set = &self->AutomaticTextAttr();
  else if (attr.Style & wpsProtected) set = &self->ProtectedTextAttr();
  else if (attr.Style & wpsBookmark) set = &self->BookmarkTextAttr();

  const int textNo = attr.Colors & 0x0F;
  const int backNo = attr.Colors >> 4;
  s.TextColor = Header->Colors[textNo];
  if (backNo) s.BrushColor = Header->Colors[backNo];
  else s.BrushColor = (viewOptions_ & wpvWhiteEmptyLines) ? clWhite : BackgroundColor;
  if (set && set->UseTextColor()) s.TextColor = set->TextColor();
  if (set && set->UseBackgroundColor()) s.BrushColor = set->BackgroundColor();

  const AnsiString& name = Header->FontName(attr.Font);
  s.Font.Name = name.empty() ? AnsiString("Arial") : name;
  bool bold = attr.Style & wpsBold, italic = attr.Style & wpsItalic, strike = attr.Style & wpsStrikeOut;
  bool underline = attr.Style & wpsUnderline;
  bool raised = attr.Style & (wpsSuperScript | wpsFootnote), lowered = attr.Style & wpsSubScript;
  if (set) {
    Override(bold, set->Bold());
    Override(italic, set->Italic());
    Override(strike, set->StrikeOut());
    Override(underline, set->Underline());
    Override(raised, set->SuperScript());
    Override(lowered, set->SubScript());
  }
  if (raised && lowered) lowered = false;
  int size = attr.Size ? attr.Size : 10;
  if ((raised || lowered) && size > 1) size = MulDiv(size, 2, 3);
  if (fontScale_ != 100) size = std::max(1, MulDiv(size, fontScale_, 100));
  s.Points = size;
  s.Font.Height = -MulDiv(size, ResY(), 72);
  if (s.Font.Height == 0) s.Font.Height = -1;
  if (bold) s.Font.Style.Include(fsBold);
  if (italic) s.Font.Style.Include(fsItalic);
  if (strike) s.Font.Style.Include(fsStrikeOut);
  s.Font.Charset = Header->FontCharset[WPValidFont(attr.Font)];
  s.Underline = underline;
  s.Raised = raised;
  s.Lowered = lowered;
  s.Italic = italic;
  s.Misspelled = attr.Style & wpsMisspelled;
  if (s.Misspelled) s.LineColor = RGB(255, 0, 0);
  else if (set && set->UseUnderlineColor()) s.LineColor = set->UnderlineColor();
  else s.LineColor = s.TextColor;
  return s;
}

const TWPFontMetrics& TWPRTFTextPaint::SelectAttrFont(const TWPAttrRecord& attr) {
  const TWPRunStyle s = RunStyle(attr);
  if (!memo_.Valid || !(memo_.Run.Font == s.Font)) {
    memo_.Metrics = &MetricsSource().Measure(s.Font);
    memo_.Run = s;
    memo_.Valid = true;
    const TWPFontMetrics& m = *memo_.Metrics;
    for (int c = 0; c < 256; ++c) CharWidths[c] = m.Widths[c];
    CharWidths[256] = m.Widths[32];
    // An italic apostrophe leans into its neighbour; it gets room.
    if (s.Font.Style.Contains(fsItalic)) CharWidths[39] = MulDiv(CharWidths[39], 5, 4);
    FontHeight = std::max(1, m.Height);
    FontAscent = std::max(1, m.Ascent);
    DefaultLineHeight = FontHeight;
    DefaultAscent = FontAscent;
  }
  return *memo_.Metrics;
}

const TWPFontMetrics& TWPRTFTextPaint::TwipsMetrics(const TWPAttrRecord& attr) const {
  // The same record in the same font of the table and the same scale has
  // the same font, until the next layout pass forgets it.
  TwipsMemo& t = twipsMemo_;
  if (t.Valid && attr.Font == t.Key.Font && attr.Size == t.Key.Size && attr.Style == t.Key.Style &&
      t.Scale == fontScale_ && Header->FontName(attr.Font) == t.Name)
    return t.Metrics;
  const TWPRunStyle s = RunStyle(attr);
  TFontRequest r = s.Font;
  r.Height = -MulDiv(s.Points, 1440, 72);
  if (!t.Valid || !(t.Font == r)) {
    t.Metrics = MetricsSource().Measure(r);
    if (s.Italic) t.Metrics.Widths[39] = MulDiv(t.Metrics.Widths[39], 5, 4);
    t.Font = r;
  }
  t.Key = attr;
  t.Scale = fontScale_;
  t.Name = Header->FontName(attr.Font);
  t.Valid = true;
  return t.Metrics;
}

int TWPRTFTextPaint::TextTwips(const TWPAttrRecord& attr, const AnsiString& text) const {
  const TWPFontMetrics& m = TwipsMetrics(attr);
  int w = 0;
  for (char c : text) w += m.Widths[static_cast<unsigned char>(c)];
  return w;
}

TWPRunStyle TWPRTFTextPaint::SetCanvasFont(const TWPAttrRecord& attr) {
  const TWPRunStyle s = RunStyle(attr);
  if (!canvas_) return s;
  TFont* f = canvas_->Font();
  f->SetName(s.Font.Name);
  f->SetHeight(s.Font.Height);
  f->SetStyle(s.Font.Style);
  f->SetCharset(s.Font.Charset);
  f->SetColor(s.TextColor);
  return s;
}
