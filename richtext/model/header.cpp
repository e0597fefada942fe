// Document header: twips/pixel conversions, font table and the shared tab
// slots. See header.h for the invariants.
#include "richtext/model/header.h"

#include <cstdlib>
#include <limits>

char WPDecimalTabChar = '.';

int MulDivChecked(int a, int b, int c) {
  const int64_t p = static_cast<int64_t>(a) * b;
  const int64_t q = c == 0 ? p : p / c;
  if (q > std::numeric_limits<int>::max() || q < std::numeric_limits<int>::min())
    throw EIntOverflow("Integer overflow");
  return static_cast<int>(q);
}

namespace {
const TColor kDefaultColors[16] = {
    RGB(0, 0, 0),     RGB(255, 0, 0),   RGB(0, 128, 0),     RGB(0, 0, 255),
    RGB(255, 255, 0), RGB(255, 0, 255), RGB(128, 0, 128),   RGB(128, 0, 0),
    RGB(0, 255, 0),   RGB(0, 255, 255), RGB(0, 128, 128),   RGB(0, 0, 128),
    RGB(255, 255, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 0)};

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
}  // namespace

TTextHeader::TTextHeader() {
  Clear();
  LastLoadFormat = AutomaticFormat;
}

TTextHeader::~TTextHeader() {
  for (int i = 0; i < kWPTabSlots; ++i) FreeTab(i);
}

void TTextHeader::Clear() {
  for (int i = 1; i < kWPFontCount; ++i) {
    FontNames[i].clear();
    FontFamily[i] = 0;
    FontCharset[i] = 0;
  }
  // Slots are freed too: an order of 0..63 is only sorted when no slot is used.
  for (int i = 0; i < kWPTabSlots; ++i) {
    FreeTab(i);
    TabOrder[i] = i;
  }
  CurrentTabs = 0;
  PageWidth = 12240;
  PageHeight = 15840;
  MarginLeft = 1880;
  MarginRight = 1880;
  MarginTop = 1440;
  MarginBottom = 1440;
  for (int i = 0; i < 16; ++i) Colors[i] = kDefaultColors[i];
  RecalcDefaultTab();
  RecalcPrintSize();
  SetLayoutWidthTwips(PageWidth - MarginLeft - MarginRight);
  DefaultTabKind = tkLeft;
  DecimalChar = WPDecimalTabChar;
  Title.clear();
  Subject.clear();
  Comment.clear();
  FacingPages = false;
  Landscape = false;
}

void TTextHeader::Assign(const TTextHeader* source) {
  Clear();
  if (!source) return;
  for (int i = 0; i < kWPFontCount; ++i) {
    if (source->FontNames[i].empty()) continue;
    FontNames[i] = source->FontNames[i];
    FontFamily[i] = source->FontFamily[i];
    FontCharset[i] = source->FontCharset[i];
  }
  for (int i = 0; i < 16; ++i) Colors[i] = source->Colors[i];
  for (int i = 0; i < kWPTabSlots; ++i) {
    TabTwips[i] = source->TabTwips[i];
    TabPixels[i] = source->TabPixels[i];
    TabKind[i] = source->TabKind[i];
    TabOrder[i] = source->TabOrder[i];
  }
  PageWidth = source->PageWidth;
  PageHeight = source->PageHeight;
  MarginLeft = source->MarginLeft;
  MarginRight = source->MarginRight;
  MarginTop = source->MarginTop;
  MarginBottom = source->MarginBottom;
  Title = source->Title;
  Subject = source->Subject;
  Comment = source->Comment;
  FacingPages = source->FacingPages;
  Landscape = source->Landscape;
}

void TTextHeader::RecalcPrintSize() {
  PrintWidth = MulDiv(PageWidth - MarginLeft - MarginRight, ResX, 1440);
  PrintHeight = MulDiv(PageHeight - MarginTop - MarginBottom, ResY, 1440);
}

void TTextHeader::RecalcDefaultTab() {
  DefaultTabWidth = UnitsInch ? MulDiv(ResX, 100, 300) : MulDiv(ResX, 100, 254);
}

void TTextHeader::SetLayoutWidth(int32_t pixels) {
  RecalcPrintSize();
  LayoutWidth = pixels;
  if (ResX > 0) LayoutWidthTwips = MulDivChecked(pixels, 1440, ResX);
}

void TTextHeader::SetLayoutWidthTwips(int32_t twips) {
  LayoutWidthTwips = twips;
  LayoutWidth = MulDivChecked(twips, ResX, 1440);
}

void TTextHeader::SetResolution(int32_t resX, int32_t resY) {
  ResX = resX;
  ResY = resY;
  RecalcPixels();
  SetLayoutWidthTwips(LayoutWidthTwips);
}

void TTextHeader::RecalcPixels() {
  for (int i = 0; i < kWPTabSlots; ++i) TabPixels[i] = MulDiv(TabTwips[i], ResX, 1440);
  RecalcPrintSize();
  RecalcDefaultTab();
}

int32_t TTextHeader::RoundToGrid(int32_t twips) const {
  if (ResX < 1) return twips;
  // The ruler's snapping: a value from 73 twips below a grid line up to 70
  // above it (inch grid; 71 and 69 for centimetres) goes to that line, so 71
  // snaps up to 144. The remainder is taken with the divisor's sign, so
  // negative values (hanging indents) snap the same way.
  const int32_t grid = UnitsInch ? 144 : 141;
  const int32_t v = twips + (UnitsInch ? 73 : 71);
  const int32_t r = ((v % grid) + grid) % grid;
  return v - r;
}

int TTextHeader::FontIndex(std::string_view name) {
  if (name.size() > 31) name = name.substr(0, 31);
  for (int i = 0; i < kWPFontCount; ++i) {
    AnsiString& entry = FontNames[i];
    if (entry.empty()) {
      entry.assign(name);
      return i;
    }
    if (entry.size() != name.size()) continue;
    bool same = true;
    for (size_t k = 0; k < name.size() && same; ++k) same = AsciiLower(entry[k]) == AsciiLower(name[k]);
    if (same) return i;
  }
  return kWPFontCount;
}

int TTextHeader::FindTabOnce(int32_t position, int kind, const TWPTabSet* set) const {
  for (int i = 0; i < kWPTabSlots; ++i) {
    if (TabTwips[i] == 0 || TabTwips[i] != position) continue;
    if (kind != tkAll && TabKind[i] != kind) continue;
    if (set && !((*set >> i) & 1)) continue;
    return i;
  }
  return -1;
}

int TTextHeader::FindTab(int32_t position, int kind, TWPTabSet set) const {
  int slot = FindTabOnce(position, kind, &set);
  if (slot < 0) slot = FindTabOnce(RoundToGrid(position), kind, &set);
  return slot;
}

int TTextHeader::FindTabAnySet(int kind, int32_t& position) const {
  int slot = FindTabOnce(position, kind, nullptr);
  if (slot < 0) {
    position = RoundToGrid(position);
    slot = FindTabOnce(position, kind, nullptr);
  }
  return slot;
}

int TTextHeader::FreeSlot() const {
  for (int i = 0; i < kWPTabSlots; ++i)
    if (TabTwips[i] == 0) return i;
  return -1;
}

TWPTabSet TTextHeader::AddTab(int kind, int32_t position) {
  if (position <= 0) return CurrentTabs;
  const int32_t asked = position;
  int slot = FindTabAnySet(kind, position);
  // A position below half a grid step rounds to 0, which marks a free
  // slot: such a stop keeps its own position.
  if (position <= 0) position = asked;
  if (slot >= 0) {
    CurrentTabs |= TWPTabSet(1) << slot;
    return CurrentTabs;
  }
  slot = FreeSlot();
  if (slot < 0) {
    if (OnTabOverflow) OnTabOverflow();
    slot = FreeSlot();
  }
  if (slot < 0) {
    CurrentTabs = 0;
    return CurrentTabs;
  }
  TabTwips[slot] = position;
  TabPixels[slot] = MulDiv(position, ResX, 1440);
  TabKind[slot] = kind == tkAll ? DefaultTabKind : static_cast<TTabKind>(kind & 3);
  CurrentTabs |= TWPTabSet(1) << slot;
  RebuildTabOrder();
  return CurrentTabs;
}

TWPTabSet TTextHeader::AllTabs() {
  for (int i = 0; i < kWPTabSlots; ++i)
    if (TabTwips[i] != 0) CurrentTabs |= TWPTabSet(1) << i;
  return CurrentTabs;
}

void TTextHeader::RebuildTabOrder() {
  for (int i = 0; i < kWPTabSlots; ++i) TabOrder[i] = i;
  auto key = [this](int slot) {
    if (slot < 0 || slot >= kWPTabSlots || TabTwips[slot] == 0) return kWPNoTab;
    return static_cast<int>(TabTwips[slot]);
  };
  bool swapped = true;
  while (swapped) {
    swapped = false;
    for (int i = 0; i + 1 < kWPTabSlots; ++i) {
      if (key(TabOrder[i]) > key(TabOrder[i + 1])) {
        std::swap(TabOrder[i], TabOrder[i + 1]);
        swapped = true;
      }
    }
  }
}

int32_t TTextHeader::TabAtOrder(int n) const {
  if (n < 0) return 0;
  if (n >= kWPTabSlots) return kWPNoTab;
  const int slot = TabOrder[n];
  if (slot < 0 || slot >= kWPTabSlots || TabTwips[slot] == 0) return kWPNoTab;
  return TabTwips[slot];
}

void TTextHeader::FreeTab(int slot) {
  if (slot < 0 || slot >= kWPTabSlots) return;
  TabTwips[slot] = 0;
  TabPixels[slot] = 0;
  TabKind[slot] = tkLeft;
}

// --- TCharacterAttr -------------------------------------------------------

void TCharacterAttr::SetUseUnderlineColor(bool v) {
  if (useUnderlineColor_ == v) return;
  useUnderlineColor_ = v;
  if (underline_ == tsTRUE) Notify(false);
}

void TCharacterAttr::SetUnderlineColor(TColor v) {
  if (underlineColor_ == v && useUnderlineColor_) return;
  underlineColor_ = v;
  useUnderlineColor_ = true;
  Notify(false);
}

void TCharacterAttr::SetTextColor(TColor v) {
  if (textColor_ == v && useTextColor_) return;
  textColor_ = v;
  useTextColor_ = true;
  Notify(false);
}

void TCharacterAttr::SetBackgroundColor(TColor v) {
  if (backgroundColor_ == v && useBackgroundColor_) return;
  backgroundColor_ = v;
  useBackgroundColor_ = true;
  Notify(false);
}

void TCharacterAttr::PublishProperties(TClassInfo& ci) {
  using C = TCharacterAttr;
  PublishInteger<C>(ci, "Bold", &C::Bold, &C::SetBold);
  PublishInteger<C>(ci, "Italic", &C::Italic, &C::SetItalic);
  PublishInteger<C>(ci, "Underline", &C::Underline, &C::SetUnderline);
  PublishInteger<C>(ci, "StrikeOut", &C::StrikeOut, &C::SetStrikeOut);
  PublishInteger<C>(ci, "SuperScript", &C::SuperScript, &C::SetSuperScript);
  PublishInteger<C>(ci, "SubScript", &C::SubScript, &C::SetSubScript);
  PublishBool<C>(ci, "Hidden", &C::Hidden, &C::SetHidden);
  PublishBool<C>(ci, "UseUnderlineColor", &C::UseUnderlineColor, &C::SetUseUnderlineColor);
  PublishBool<C>(ci, "UseTextColor", &C::UseTextColor, &C::SetUseTextColor);
  PublishBool<C>(ci, "UseBackgroundColor", &C::UseBackgroundColor, &C::SetUseBackgroundColor);
  PublishInteger<C>(ci, "UnderlineColor", &C::UnderlineColor, &C::SetUnderlineColor);
  PublishInteger<C>(ci, "TextColor", &C::TextColor, &C::SetTextColor);
  PublishInteger<C>(ci, "BackgroundColor", &C::BackgroundColor, &C::SetBackgroundColor);
}

void TCharacterAttr::Assign(const TPersistent* source) {
  const auto* src = dynamic_cast<const TCharacterAttr*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  const TCharacterAttr& s = *src;
  SetBold(s.bold_);
  SetItalic(s.italic_);
  SetUnderline(s.underline_);
  SetStrikeOut(s.strikeOut_);
  SetSuperScript(s.superScript_);
  SetSubScript(s.subScript_);
  SetHidden(s.hidden_);
  // Colours first: their setters switch the Use flags on, which the source
  // may have off.
  if (s.useUnderlineColor_) SetUnderlineColor(s.underlineColor_);
  else underlineColor_ = s.underlineColor_;
  if (s.useTextColor_) SetTextColor(s.textColor_);
  else textColor_ = s.textColor_;
  if (s.useBackgroundColor_) SetBackgroundColor(s.backgroundColor_);
  else backgroundColor_ = s.backgroundColor_;
  SetUseUnderlineColor(s.useUnderlineColor_);
  SetUseTextColor(s.useTextColor_);
  SetUseBackgroundColor(s.useBackgroundColor_);
}
