// Document header and character attribute sets of the text model.
//
// TTextHeader holds what all paragraphs of a document share: page size and
// margins in twips, the resolution that turns twips into pixels, the layout
// width, the 16 colours, the 99-entry font table and the 64 document-wide tab
// slots that paragraphs select with a 64-bit set; it also carries the
// document information (title, subject, comment) and the two page flags.
// Invariants between calls:
//  - sizes are kept in twips; every pixel value is derived from them with
//    MulDiv(twips, resolution, 1440) and recomputed when either changes;
//  - a tab slot is free exactly when its twips position is 0, and the tab
//    order lists all 64 slots by ascending position with free slots last;
//  - the used part of the font table ends at the first empty name.
// TCharacterAttr describes how the characters of one special style class
// (insert point, automatic text, hyperlink, protected, bookmark) are drawn.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/gfx/color.h"
#include "platform/rtl/components.h"
#include "platform/rtl/exceptions.h"
#include "platform/rtl/sysutils.h"
#include "richtext/model/records.h"

// a * b / c truncated, raising EIntOverflow when the result leaves 32 bits;
// with c == 0 the plain product.
int MulDivChecked(int a, int b, int c);

enum TTabKind : uint8_t { tkLeft = 0, tkRight = 1, tkCenter = 2, tkDecimal = 3, tkAll = 4 };
enum TWPLoadFormat : uint8_t { AutomaticFormat = 0, LastFormat = 1, FormatRTF = 2, FormatANSI = 3 };

// Character that decimal tabs align on, copied into every header on Clear.
extern char WPDecimalTabChar;

constexpr int kWPTabSlots = 64;
constexpr int kWPNoTab = 0xFFFFFF;  // position of a free slot in the order

class TTextHeader : public TObject {
  ORV_CLASS(TTextHeader, TObject)
  TTextHeader();
  ~TTextHeader() override;

  int32_t LayoutWidth = 0;       // pixels
  int32_t LayoutWidthTwips = 0;
  TColor Colors[16] = {};
  int32_t ResX = 0;  // pixels per inch; below 1: not yet known
  int32_t ResY = 0;
  std::function<void()> OnTabOverflow;  // all 64 slots are in use
  bool KeepAttributes = true;           // lines carry attribute arrays
  AnsiString FontNames[kWPFontCount];   // at most 31 characters each
  int32_t FontFamily[kWPFontCount] = {};
  int32_t FontCharset[kWPFontCount] = {};
  int32_t TabTwips[kWPTabSlots] = {};
  int32_t TabPixels[kWPTabSlots] = {};
  TTabKind TabKind[kWPTabSlots] = {};
  int32_t TabOrder[kWPTabSlots] = {};
  TWPTabSet CurrentTabs = 0;  // result register of the tab operations
  char DecimalChar = '.';
  int32_t PageWidth = 12240, PageHeight = 15840;
  int32_t MarginLeft = 1880, MarginRight = 1880, MarginTop = 1440, MarginBottom = 1440;
  bool UnitsInch = true;  // grid 144 twips; else centimetres, grid 141 twips
  int32_t PrintWidth = 0;   // pixels
  int32_t PrintHeight = 0;  // pixels
  int32_t DefaultTabWidth = 0;  // pixels
  // The distance of the default tab stops in twips: a third of an inch, or
  // a centimetre (DefaultTabWidth is it in pixels).
  int32_t DefaultTabTwips() const { return UnitsInch ? 480 : 567; }
  TWPLoadFormat LastLoadFormat = AutomaticFormat;
  TTabKind DefaultTabKind = tkLeft;
  // Ruler values of the current paragraph (twips).
  int32_t RulerLeftIndent = 0, RulerFirstIndent = 0, RulerRightIndent = 0;
  // Document information; part of the document like the page, so emptied
  // by Clear and copied by Assign.
  AnsiString Title, Subject, Comment;
  bool FacingPages = false;
  bool Landscape = false;

  void Clear();
  void Assign(const TTextHeader* source);
  void SetLayoutWidth(int32_t pixels);
  void SetLayoutWidthTwips(int32_t twips);
  // Stores the resolution and recomputes every pixel value.
  void SetResolution(int32_t resX, int32_t resY);
  void RecalcPixels();
  int32_t RoundToGrid(int32_t twips) const;
  // Number of the font (0..98), entering it at the first empty entry; 99
  // when the table is full and the name is not in it.
  int FontIndex(std::string_view name);
  // Name of a font number; numbers of 99 and above name font 0.
  const AnsiString& FontName(int font) const { return FontNames[WPValidFont(font)]; }

  int FindTab(int32_t position, int kind, TWPTabSet set) const;
  int FindTabAnySet(int kind, int32_t& position) const;
  TWPTabSet AddTab(int kind, int32_t position);
  TWPTabSet AllTabs();
  void RebuildTabOrder();
  int32_t TabAtOrder(int n) const;
  void FreeTab(int slot);

private:
  void RecalcPrintSize();
  void RecalcDefaultTab();
  int FindTabOnce(int32_t position, int kind, const TWPTabSet* set) const;
  int FreeSlot() const;
};

enum TThreeState : uint8_t { tsIgnore = 0, tsTRUE = 1, tsFALSE = 2 };

class TCharacterAttr : public TPersistent {
  ORV_CLASS_PUBLISHED(TCharacterAttr, TPersistent)
  explicit TCharacterAttr(uint32_t styleMask = 0) : mask_(styleMask) {}

  // Called with the style mask and whether the change needs new layout,
  // only when a value really changed.
  std::function<void(uint32_t mask, bool relayout)> OnChange;

  TThreeState Bold() const { return bold_; }
  void SetBold(TThreeState v) { SetState(bold_, v, true); }
  TThreeState Italic() const { return italic_; }
  void SetItalic(TThreeState v) { SetState(italic_, v, true); }
  TThreeState Underline() const { return underline_; }
  void SetUnderline(TThreeState v) { SetState(underline_, v, false); }
  TThreeState StrikeOut() const { return strikeOut_; }
  void SetStrikeOut(TThreeState v) { SetState(strikeOut_, v, false); }
  TThreeState SuperScript() const { return superScript_; }
  void SetSuperScript(TThreeState v) { SetState(superScript_, v, true); }
  TThreeState SubScript() const { return subScript_; }
  void SetSubScript(TThreeState v) { SetState(subScript_, v, true); }
  bool Hidden() const { return hidden_; }
  void SetHidden(bool v) { SetState(hidden_, v, true); }
  bool UseUnderlineColor() const { return useUnderlineColor_; }
  void SetUseUnderlineColor(bool v);
  bool UseTextColor() const { return useTextColor_; }
  void SetUseTextColor(bool v) { SetState(useTextColor_, v, false); }
  bool UseBackgroundColor() const { return useBackgroundColor_; }
  void SetUseBackgroundColor(bool v) { SetState(useBackgroundColor_, v, false); }
  TColor UnderlineColor() const { return underlineColor_; }
  void SetUnderlineColor(TColor v);
  TColor TextColor() const { return textColor_; }
  void SetTextColor(TColor v);
  TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor v);

  uint32_t StyleMask() const { return mask_; }
  // From another set: copies the published values through the setters, so
  // that the change callback reports what really changed; mask and callback
  // stay. Anything else is left to the inherited Assign.
  void Assign(const TPersistent* source) override;

private:
  template <class T>
  void SetState(T& field, T v, bool relayout) {
    if (field == v) return;
    field = v;
    Notify(relayout);
  }
  void Notify(bool relayout) {
    if (OnChange) OnChange(mask_, relayout);
  }

  TThreeState bold_ = tsIgnore, italic_ = tsIgnore, underline_ = tsIgnore, strikeOut_ = tsIgnore,
              superScript_ = tsIgnore, subScript_ = tsIgnore;
  bool hidden_ = false, useUnderlineColor_ = false, useTextColor_ = false, useBackgroundColor_ = false;
  TColor underlineColor_ = 0, textColor_ = 0, backgroundColor_ = 0;
  uint32_t mask_;
};
