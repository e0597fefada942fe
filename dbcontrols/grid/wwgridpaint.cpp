// Painting of the grid base: every cell is drawn here. Title cells (one or
// several lines, aligned, optionally pressed like a button), the indicator
// column with a glyph for the current record and its edit state, data cells
// with the field's display text (optionally word-wrapped), check-box and
// picture cells for the fields whose dataset declares those control types,
// the highlight with its focus rectangle, and the one-pixel 3-D frames.
//
// A data cell is painted with the data link's active record switched to the
// cell's row, so that fields read that row; the active record is put back
// on every way out. The glyphs and the check-box work bitmap are shared by
// all grids and live from the first grid's creation to the last one's end.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/grid/wwdbgrid.h"
#include "dbcontrols/intl/wwintl.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/forms.h"

namespace {

// Text flags of the three alignments (left, right, centre) with word break,
// tab expansion and no prefix processing.
constexpr unsigned kAlignFlags[] = {DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX,
                                    DT_RIGHT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX,
                                    DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX};

// The glyphs, drawn here ('X' black, '.' white).
const char* const kArrow[] = {"X....", "XX...", "XXX..", "XXXX.", "XXXXX", "XXXX.", "XXX..", "XX...", "X...."};
const char* const kEdit[] = {"XX.XX", "..X..", "..X..", "..X..", "..X..", "..X..", "..X..", "..X..", "XX.XX"};
const char* const kInsert[] = {"...X...", "X..X..X", ".X.X.X.", "..XXX..", ".X.X.X.", "X..X..X", "...X..."};

std::unique_ptr<TBitmap> MakeGlyph(const char* const* rows, int count) {
  const int w = static_cast<int>(std::strlen(rows[0]));
  auto b = std::make_unique<TBitmap>(w, count);
  for (int y = 0; y < count; ++y)
    for (int x = 0; x < w; ++x) b->Surface().Row(y)[x] = rows[y][x] == 'X' ? 0xFF000000u : 0xFFFFFFFFu;
  return b;
}

struct SharedBitmaps {
  std::unique_ptr<TBitmap> arrow, edit, insert, work;
};
SharedBitmaps& Shared() {
  static SharedBitmaps s;
  return s;
}
int& GridCount() {
  static int n = 0;
  return n;
}

constexpr TColor kDarkGrey = static_cast<TColor>(0x808080);

// Raster operations of the picture cells' copy modes.
std::uint32_t CopyModeByName(const AnsiString& name) {
  struct M {
    const char* name;
    std::uint32_t rop;
  };
  static const M modes[] = {{"Source Copy", SRCCOPY},          {"Source Paint", SRCPAINT},
                            {"Source And", SRCAND},            {"Source Invert", SRCINVERT},
                            {"Source Erase", SRCERASE},        {"Not Source Copy", NOTSRCCOPY},
                            {"Not Source Erase", NOTSRCERASE}, {"Merge Paint", MERGEPAINT}};
  for (const M& m : modes)
    if (wwEqualText(name, m.name)) return m.rop;
  return SRCCOPY;
}

// A picture scaled to fill the cell along one axis keeps its aspect on the
// other; what lies beyond the cell there is left out. Answers the drawn
// extent across and cuts the source's extent across to what is shown.
int FitAcross(int cellAlong, int cellAcross, int picAlong, int picAcross, int& srcAcross) {
  int drawn = picAcross * cellAlong / std::max(1, picAlong);
  if (drawn > cellAcross) {
    srcAcross = std::max(1, picAcross * cellAcross / std::max(1, drawn));
    drawn = cellAcross;
  }
  return drawn;
}

// Sets the data link's active record until the returned guard ends, which
// puts the one before back.
[[nodiscard]] auto ActiveRecordFor(TwwGridDataLink* link, int record) {
  const int saved = link->ActiveRecord();
  link->SetActiveRecord(record);
  return TScopeExit{[link, saved] { link->SetActiveRecord(saved); }};
}

void Line(TCanvas* c, TColor color, int x0, int y0, int x1, int y1) {
  c->Pen()->SetColor(color);
  c->Pen()->SetWidth(1);
  const TPoint pts[2] = {{x0, y0}, {x1, y1}};
  c->Polyline(pts, 2);
}

}  // namespace

const TBitmap* TwwCustomDBGrid::IndicatorGlyph(const char* name) {
  SharedBitmaps& s = Shared();
  if (!s.arrow) {
    s.arrow = MakeGlyph(kArrow, 9);
    s.edit = MakeGlyph(kEdit, 9);
    s.insert = MakeGlyph(kInsert, 7);
    s.work = std::make_unique<TBitmap>(16, 16);
  }
  if (wwEqualText(name, "WWDBEDIT")) return s.edit.get();
  if (wwEqualText(name, "WWDBINSERT")) return s.insert.get();
  if (wwEqualText(name, "WWDBGARROW")) return s.arrow.get();
  return nullptr;
}

void TwwCustomDBGrid::AcquireSharedBitmaps() {
  ++GridCount();
  IndicatorGlyph("WWDBGARROW");
}

void TwwCustomDBGrid::ReleaseSharedBitmaps() {
  if (--GridCount() > 0) return;
  SharedBitmaps& s = Shared();
  s.arrow.reset();
  s.edit.reset();
  s.insert.reset();
  s.work.reset();
}

// ---------------------------------------------------------------- text

void TwwCustomDBGrid::WriteText(TCanvas* canvas, const TRect& rect, int dx, int dy, const AnsiString& text,
                                TAlignment align) {
  // Every colour is pure on the devices of this system, so the text is
  // always drawn opaque in one call.
  const int width = text.empty() ? 0 : canvas->TextWidth(text);
  int left = rect.Left + dx;
  if (align == taRightJustify)
    left = rect.Right - width - 3;
  else if (align == taCenter)
    left = rect.Left + rect.Width() / 2 - width / 2;
  canvas->ExtTextOut(left, rect.Top + dy, ETO_OPAQUE | ETO_CLIPPED, &rect, text.data(),
                     static_cast<int>(text.size()));
}

void TwwCustomDBGrid::WriteWrapped(TCanvas* canvas, const TRect& rect, int dx, TAlignment align,
                                   const AnsiString& text, int dy) {
  // Lines: words end after their run of blanks, a tab ends a word and stays
  // in it, and CR, LF, CR LF or LF CR end a line.
  std::vector<AnsiString> lines;
  AnsiString line;
  const int room = rect.Width() - dx;
  auto fits = [&](const AnsiString& s) {
    std::size_t end = s.find_last_not_of(' ');
    return canvas->TextWidth(end == AnsiString::npos ? AnsiString() : s.substr(0, end + 1)) <= room;
  };
  auto addWord = [&](const AnsiString& word) {
    if (line.empty() || fits(line + word)) {
      line += word;
      return;
    }
    lines.push_back(line);
    // A line that begins at a soft break begins without blanks.
    const std::size_t start = word.find_first_not_of(" \t");
    line = start == AnsiString::npos ? AnsiString() : word.substr(start);
  };
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      lines.push_back(line);
      line.clear();
      const char other = ch == '\r' ? '\n' : '\r';
      i += (i + 1 < n && text[i + 1] == other) ? 2 : 1;
      continue;
    }
    std::size_t j = i;
    while (j < n && text[j] != ' ' && text[j] != '\t' && text[j] != '\r' && text[j] != '\n') ++j;
    if (j < n && text[j] == '\t') {
      ++j;
    } else {
      while (j < n && text[j] == ' ') ++j;
    }
    if (j == i) ++j;  // a lone tab
    addWord(text.substr(i, j - i));
    i = j;
  }
  if (!line.empty() || lines.empty()) lines.push_back(line);

  int top = rect.Top;
  for (std::size_t k = 0; k < lines.size() && top < rect.Bottom; ++k) {
    TRect r{rect.Left, top, rect.Right, rect.Bottom};
    WriteText(canvas, r, dx, k == 0 ? dy : 0, lines[k], align);
    if (k == 0) top += dy;
    top += canvas->TextHeight(lines[0].empty() ? AnsiString("W") : lines[0]);
  }
}

// ---------------------------------------------------------------- hooks

bool TwwCustomDBGrid::HighlightCell(int /*dataCol*/, int dataRow, const AnsiString& /*text*/,
                                    TGridDrawState state) {
  // The one row an empty dataset leaves holds no record: nothing to select.
  if (dataRow >= link_->RecordCount()) return false;
  if (options_ & dgMultiSelect) return IsRowMultiSelected(dataRow);
  return (state & gdSelected) && ((options_ & dgAlwaysShowSelection) || Focused());
}

bool TwwCustomDBGrid::DoCalcCellColors(TField* field, TGridDrawState state, bool highlight, TFont* font,
                                       TBrush* brush) {
  if (OnCalcCellColors) OnCalcCellColors(this, field, state, highlight, font, brush);
  whiteBackground_ = ColorToRGB(brush->Color()) == 0xFFFFFF;
  return whiteBackground_;
}

void TwwCustomDBGrid::DoCalcTitleAttributes(const AnsiString& fieldName, TFont* font, TBrush* brush,
                                            TAlignment& align) {
  if (OnCalcTitleAttributes) OnCalcTitleAttributes(this, fieldName, font, brush, align);
}

AnsiString TwwCustomDBGrid::GetDisplayText(int dataCol) {
  TField* f = GetColField(dataCol);
  return f ? f->DisplayText() : AnsiString();
}

void TwwCustomDBGrid::DrawDataCell(const TRect& rect, TField* field, TGridDrawState state) {
  if (OnDrawDataCell) OnDrawDataCell(this, rect, field, state);
}

bool TwwCustomDBGrid::IsFormActiveControl() const {
  TCustomForm* f = ParentForm();
  return f && f->ActiveControl() == this;
}

void TwwCustomDBGrid::DrawFocusIfActive(const TRect& rect, bool highlight) {
  if (defaultDrawing_ && highlight && !HasState(csDesigning) && !(options_ & dgRowSelect) && IsFormActiveControl()) {
    Canvas()->DrawFocusRect(rect);
    focusDrawn_ = true;
  }
}

// ---------------------------------------------------------------- cells

void TwwCustomDBGrid::DrawCell(int col, int row, TRect rect, TGridDrawState state) {
  TCanvas* c = Canvas();
  focusDrawn_ = false;
  frameDrawn_ = false;
  // The current cell is always part of the selection; the library marks it
  // as focused only.
  if (!(state & gdFixed)) {
    const TGridRect sel = Selection();
    if (col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom) state |= gdSelected;
  }
  c->Brush()->SetStyle(bsSolid);
  if ((state & gdFixed) && row < titleOffset_) {
    c->Font()->Assign(*titleFont_);
    c->Brush()->SetColor(titleColor_);
  } else if (state & gdFixed) {
    c->Font()->Assign(*Font());
    c->Brush()->SetColor(FixedCellColor(col));
  } else {
    c->Font()->Assign(*Font());
    c->Brush()->SetColor(Color());
  }
  if (DrawCustomCell(col, row, rect, state)) return;
  const int dataRow = RawToDataRow(row);
  const int dataCol = RawToDataColumn(col);
  if (dataRow < 0) {
    DrawTitleCell(col, dataCol, rect, state);
  } else if (!link_->Active()) {
    c->FillRect(rect);
  } else if (dataCol >= 0) {
    DrawDataCellAt(col, row, dataCol, dataRow, rect, state);
  } else {
    DrawIndicatorCell(dataRow, rect);
  }
  // Fixed cells stand out as raised, unless a button frame took their place.
  if ((state & gdFixed) && defaultDrawing_ && !frameDrawn_ && (options_ & (dgColLines | dgRowLines))) {
    TRect e = rect;
    c->DrawEdge(e, BDR_RAISEDINNER, BF_RECT);
  }
}

void TwwCustomDBGrid::DrawTitleCell(int col, int dataCol, const TRect& rect, TGridDrawState /*state*/) {
  TCanvas* c = Canvas();
  if (dataCol < 0 || dataCol >= link_->FieldCount()) {
    c->FillRect(rect);
    return;
  }
  TAlignment align = titleAlignment_;
  if (dataCol == 0 && (options_ & dgIndicator) && indicatorButton_ && indicatorButton_->Visible())
    indicatorButton_->Invalidate();
  TField* field = link_->GetFields(dataCol);
  AnsiString title = field ? field->DisplayLabel() : AnsiString();
  if (!useTFields_ && field) {
    for (int i = 0; i < selected_->Count(); ++i) {
      const AnsiString entry = selected_->Strings(i);
      if (!wwEqualText(entry.substr(0, entry.find('\t')), field->FieldName())) continue;
      int pos = 1;
      wwStrGetToken(entry, "\t", pos);
      if (pos > 0) wwStrGetToken(entry, "\t", pos);
      title = pos > 0 ? wwStrGetToken(entry, "\t", pos) : AnsiString();
      break;
    }
  }
  DoCalcTitleAttributes(field ? field->FieldName() : AnsiString(), c->Font(), c->Brush(), align);
  const bool pressed = titleButtons_ && pressedCol_ >= 0 && col == pressedCol_ && pressedRow_ < titleOffset_;
  DrawTitleText(rect, title, align, pressed ? 1 : 0);
  if (titleButtons_) {
    frameDrawn_ = true;
    DrawTitleButtonFrame(rect, pressed);
  }
}

void TwwCustomDBGrid::DrawTitleText(const TRect& rect, const AnsiString& title, TAlignment align, int p) {
  TCanvas* c = Canvas();
  const int n = titleLines_ == 1 ? 1 : wwStrCountChar(title, '~') + 1;
  const int th = c->TextHeight("W");
  const int top = static_cast<int>(std::lround(RowHeights(0) * 0.5 - th * n * 0.5));
  if (title.empty()) {
    WriteText(c, rect, 3 + p, top + p, title, align);
    return;
  }
  TRect r = rect;
  int pos = 1;
  bool first = true;
  while (pos > 0 && pos <= static_cast<int>(title.size())) {
    const AnsiString line = titleLines_ > 1 ? wwStrGetToken(title, "~", pos) : title;
    if (titleLines_ <= 1) pos = -1;
    WriteText(c, r, 3 + p, first ? top + p : 1 + p, line, align);
    if (r.Top == 0)
      r.Top = th + top;
    else
      r.Top += th;
    first = false;
    if (r.Top >= r.Bottom) break;
  }
}

// Raised: light left and top, shadow and a black outer line right and
// bottom. Pressed: dark grey and black left and top, light right and bottom.
void TwwCustomDBGrid::DrawTitleButtonFrame(const TRect& rect, bool pressed) {
  TCanvas* c = Canvas();
  const TColor saved = c->Pen()->Color();
  const int l = rect.Left, t = rect.Top, r = rect.Right - 1, b = rect.Bottom - 1;
  if (!pressed) {
    Line(c, clBtnHighlight, l, b, l, t);
    Line(c, clBtnHighlight, l, t, r, t);
    Line(c, clBtnShadow, r - 1, t + 1, r - 1, b - 1);
    Line(c, clBtnShadow, l + 1, b - 1, r, b - 1);
    Line(c, clBlack, r, t, r, b + 1);
    Line(c, clBlack, l, b, r, b);
  } else {
    Line(c, kDarkGrey, l, b, l, t);
    Line(c, kDarkGrey, l, t, r, t);
    Line(c, clBlack, l + 1, b - 1, l + 1, t + 1);
    Line(c, clBlack, l + 1, t + 1, r - 1, t + 1);
    Line(c, clBtnHighlight, r, t, r, b + 1);
    Line(c, clBtnHighlight, l, b, r, b);
  }
  c->Pen()->SetColor(saved);
}

void TwwCustomDBGrid::DrawDataCellAt(int /*col*/, int /*row*/, int dataCol, int dataRow, const TRect& rect,
                                     TGridDrawState state) {
  TCanvas* c = Canvas();
  auto record = ActiveRecordFor(link_.get(), dataRow);
  paintDataRow_ = dataRow;
  paintDataCol_ = dataCol;
  TField* field = GetColField(dataCol);
  const AnsiString text = field ? GetDisplayText(dataCol) : AnsiString();
  const bool highlight = HighlightCell(dataCol, dataRow, text, state);
  if (highlight) {
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  }
  DoCalcCellColors(field, state, highlight, c->Font(), c->Brush());
  const TAlignment align = field ? field->Alignment() : taLeftJustify;
  if (defaultDrawing_) {
    if (options_ & dgWordWrap)
      WriteWrapped(c, rect, 3, align, text, 2);
    else
      WriteText(c, rect, 3, 2, text, align);
  }
  DrawDataCell(rect, field, state);
  DrawFocusIfActive(rect, highlight);
}

void TwwCustomDBGrid::DrawIndicatorCell(int dataRow, const TRect& rect) {
  Canvas()->FillRect(rect);
  if (dataRow != link_->ActiveRecord()) return;
  DrawIndicatorGlyph(rect);
  selRow_ = titleOffset_ + dataRow;
}

void TwwCustomDBGrid::DrawIndicatorGlyph(const TRect& rect) {
  TCanvas* c = Canvas();
  TDataSet* ds = link_->DataSet();
  const char* name = "WWDBGARROW";
  if (ds && ds->State() == dsEdit) name = "WWDBEDIT";
  if (ds && ds->State() == dsInsert) name = "WWDBINSERT";
  const TBitmap* glyph = IndicatorGlyph(name);
  if (!glyph) return;
  const int x = (rect.Right - glyph->Width()) / 2 + 1;
  const int y = (rect.Top + rect.Bottom - glyph->Height()) / 2;
  const TRect src{0, 0, glyph->Width(), glyph->Height()};
  const TRect dest{x, y, x + glyph->Width(), y + glyph->Height()};
  if (indicatorColor_ == icYellow) {
    // White becomes the cell's colour, black becomes yellow.
    TSurface copy;
    copy.Resize(glyph->Width(), glyph->Height());
    const std::uint32_t back = ColorToPixel(ColorToRGB(c->Brush()->Color()));
    const std::uint32_t yellow = ColorToPixel(ColorToRGB(clYellow));
    for (int yy = 0; yy < glyph->Height(); ++yy)
      for (int xx = 0; xx < glyph->Width(); ++xx)
        copy.Row(yy)[xx] = (glyph->Surface().Row(yy)[xx] & 0xFFFFFFu) == 0 ? yellow : back;
    c->DrawSurface(dest, copy, src, SRCCOPY);
  } else {
    c->DrawSurface(dest, glyph->Surface(), src, SRCAND);
  }
  c->SetCopyMode(SRCCOPY);
}

// ---------------------------------------------------------------- custom cells

void TwwCustomDBGrid::PaintCellBackground(int col, int row, const TRect& rect, TGridDrawState state) {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(!(state & gdFixed) ? Color() : row < titleOffset_ ? titleColor_ : FixedCellColor(col));
  const int dataRow = RawToDataRow(row), dataCol = RawToDataColumn(col);
  paintDataRow_ = dataRow;
  paintDataCol_ = dataCol;
  TField* field = GetColField(dataCol);
  const bool highlight = HighlightCell(dataCol, dataRow, AnsiString(), state);
  if (highlight) {
    c->Brush()->SetColor(clHighlight);
    c->Font()->SetColor(clHighlightText);
  }
  DoCalcCellColors(field, state, highlight, c->Font(), c->Brush());
  c->ExtTextOut(rect.Left, rect.Top, ETO_OPAQUE | ETO_CLIPPED, &rect, "", 0);
  DrawFocusIfActive(rect, highlight);
}

bool TwwCustomDBGrid::DrawCustomCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (!IsWwDataCell(col, row)) return false;
  const int dataCol = RawToDataColumn(col);
  TField* field = GetColField(dataCol);
  AnsiString type, params;
  wwGetFieldControlType(link_->DataSet(), field->FieldName(), type, params);
  const bool picture = wwEqualText(type, "Bitmap");
  const bool check = wwEqualText(type, "CheckBox");
  if (!picture && !check) return false;

  const int dataRow = RawToDataRow(row);
  auto record = ActiveRecordFor(link_.get(), dataRow);

  if (picture) {
    DrawPictureCell(field, params, col, row, rect, state);
    return true;
  }
  AnsiString checkedValue, uncheckedValue;
  GetCheckBoxValues(field, checkedValue, uncheckedValue);
  AnsiString value = field->DisplayText();
  if (field->Calculated() && wwEqualText(field->FieldName(), "selected"))
    value = IsRowMultiSelected(dataRow) ? checkedValue : uncheckedValue;
  PaintCellBackground(col, row, rect, state);
  DrawCheckBox(Canvas(), rect, wwEqualText(value, checkedValue));
  Draw3DFrame(col, row, rect, state);
  return true;
}

void TwwCustomDBGrid::DrawCheckBox(TCanvas* canvas, const TRect& rect, bool checked) {
  constexpr int kBox = 13;
  TBitmap* work = Shared().work.get();
  if (work->Width() < kBox || work->Height() < kBox) work->SetSize(kBox, kBox);
  TCanvas* w = work->Canvas();
  const TRect box{0, 0, kBox, kBox};
  w->Brush()->SetStyle(bsSolid);
  w->Brush()->SetColor(clWindow);
  w->FillRect(box);
  TwwCheckBoxInGridStyle style = wwGlobalIntl()->CheckBoxInGridStyle();
  if (style == cbStyleXmark) {
    w->Brush()->SetColor(clBlack);
    w->FrameRect(box);
    if (checked)
      for (int i = 2; i < kBox - 2; ++i) {
        w->SetPixels(i, i, clBlack);
        w->SetPixels(kBox - 1 - i, i, clBlack);
      }
  } else {
    // Sunken: dark grey and black above and left, white and light grey below
    // and right; a check mark of three-pixel strokes.
    Line(w, kDarkGrey, 0, kBox - 1, 0, 0);
    Line(w, kDarkGrey, 0, 0, kBox, 0);
    Line(w, clBlack, 1, kBox - 2, 1, 1);
    Line(w, clBlack, 1, 1, kBox - 1, 1);
    Line(w, clWhite, kBox - 1, 0, kBox - 1, kBox);
    Line(w, clWhite, 0, kBox - 1, kBox, kBox - 1);
    Line(w, clBtnFace, kBox - 2, 1, kBox - 2, kBox - 1);
    Line(w, clBtnFace, 1, kBox - 2, kBox - 1, kBox - 2);
    if (checked) {
      static const int mark[][2] = {{3, 5}, {4, 6}, {5, 7}, {6, 6}, {7, 5}, {8, 4}, {9, 3}};
      for (const auto& m : mark)
        for (int d = 0; d < 3; ++d) w->SetPixels(m[0], m[1] + d, clBlack);
    }
  }
  const int x = rect.Left + (rect.Width() - kBox) / 2;
  const int y = rect.Top + (rect.Height() - kBox) / 2;
  canvas->DrawSurface({x, y, x + kBox, y + kBox}, work->Surface(), box, SRCCOPY);
}

bool TwwCustomDBGrid::DrawPictureCell(TField* field, const AnsiString& params, int col, int row, const TRect& rect,
                                      TGridDrawState state) {
  TCanvas* c = Canvas();
  TDataSet* ds = link_->DataSet();
  int pos = 1;
  const AnsiString copyName = wwStrGetToken(params, ";", pos);
  const AnsiString stretchName = pos > 0 ? wwStrGetToken(params, ";", pos) : AnsiString();

  TBitmap picture;
  bool have = false;
  // The row being inserted has no stored picture yet.
  const bool insertingRow = ds->State() == dsInsert && link_->ActiveRecord() == RawToDataRow(row);
  if (!insertingRow) {
    try {
      TwwMemoStream stream(ds, field, ds->ActiveBuffer());
      std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max<int64_t>(0, stream.Size())));
      if (!bytes.empty()) stream.Read(bytes.data(), static_cast<int>(bytes.size()));
      std::size_t skip = 0;
      // A stored picture may carry an 8-byte header: 1, 256, length.
      if (bytes.size() >= 8) {
        const unsigned w0 = bytes[0] | (bytes[1] << 8), w1 = bytes[2] | (bytes[3] << 8);
        const std::uint32_t len = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (static_cast<std::uint32_t>(bytes[7]) << 24);
        if (w0 == 1 && w1 == 256 && len == bytes.size() - 8) skip = 8;
      }
      if (bytes.size() > skip) {
        picture.LoadFromBytes(bytes.data() + skip, bytes.size() - skip);
        have = picture.Width() > 0 && picture.Height() > 0;
      }
    } catch (const Exception&) {
      have = false;  // an unreadable picture leaves the plain background
    }
  }
  PaintCellBackground(col, row, rect, state);
  const bool highlight = ColorToRGB(c->Brush()->Color()) == ColorToRGB(clHighlight);
  if (have) {
    const std::uint32_t rop = CopyModeByName(copyName.empty() ? AnsiString("Source Copy") : copyName);
    const int cw = rect.Width(), ch = rect.Height(), pw = picture.Width(), ph = picture.Height();
    TRect dest, src{0, 0, pw, ph};
    if (wwEqualText(stretchName, "Stretch To Fit")) {
      dest = rect;
    } else if (wwEqualText(stretchName, "Fit Height")) {
      const int w = FitAcross(ch, cw, ph, pw, src.Right);
      dest = {rect.Left, rect.Top, rect.Left + w, rect.Top + ch};
    } else if (wwEqualText(stretchName, "Fit Width")) {
      const int h = FitAcross(cw, ch, pw, ph, src.Bottom);
      dest = {rect.Left, rect.Top, rect.Left + cw, rect.Top + h};
    } else {  // "Original Size": the part that fits, one pixel in
      const int w = std::min(pw, cw - 1), h = std::min(ph, ch - 1);
      dest = {rect.Left + 1, rect.Top + 1, rect.Left + 1 + w, rect.Top + 1 + h};
      src = {0, 0, w, h};
    }
    if (dest.Width() > 2 && dest.Height() > 2) {
      c->SetCopyMode(rop);
      c->DrawSurface(dest, picture.Surface(), src, rop);
      c->SetCopyMode(SRCCOPY);
    }
  }
  if (highlight) {
    c->Brush()->SetColor(clHighlight);
    c->FrameRect(rect);
    frameDrawn_ = true;
  }
  Draw3DFrame(col, row, rect, state);
  return have;
}

void TwwCustomDBGrid::Draw3DFrame(int col, int row, const TRect& rect, TGridDrawState state) {
  if (frameDrawn_) return;
  TCanvas* c = Canvas();
  const bool dataCell = col >= indicatorOffset_ && row >= titleOffset_;
  const bool fixed = (state & gdFixed) != 0;
  if (dataCell && ColorToRGB(Color()) == 0xFFFFFF && whiteBackground_) return;
  if (dataCell && ColorToRGB(c->Brush()->Color()) == ColorToRGB(clHighlight)) return;
  // Controls here always have the 3-D look, so every cell may get a frame.
  frameDrawn_ = true;
  const TColor saved = c->Pen()->Color();
  const int L = rect.Left, T = rect.Top, R = rect.Right, B = rect.Bottom;
  const bool colLines = options_ & dgColLines, rowLines = options_ & dgRowLines;
  if (colLines && !rowLines) {
    Line(c, clBtnHighlight, L, B, L, T - 1);
    if (col >= indicatorOffset_) Line(c, clBtnShadow, R, B, R, T - 1);
  } else if (colLines && rowLines) {
    if (whiteBackground_ || !focusDrawn_)
      Line(c, clBtnHighlight, L, B, L, T);
    else
      Line(c, fixed ? clBlack : clBtnShadow, R, B, R, T);
  }
  if (ColorToRGB(Color()) == 0xFFFFFF && row < titleOffset_ && !rowLines) Line(c, clBlack, L, B - 1, R, B - 1);
  if (!rowLines && col < indicatorOffset_ && row == titleOffset_ && indicatorButton_) {
    Line(c, clBtnHighlight, L, T, R, T);
    Line(c, clBtnShadow, L, T - 1, R, T - 1);
  } else if (rowLines) {
    if (whiteBackground_ || !focusDrawn_)
      Line(c, clBtnHighlight, L, T, R, T);
    else
      Line(c, fixed ? clBlack : clBtnShadow, L, B, R, B);
  } else if (row < titleOffset_) {
    Line(c, clBtnHighlight, L, T, R, T);
  }
  c->Pen()->SetColor(saved);
}
