// The rich-text tool bar: a panel of flat icon buttons (explorer-style
// buttons with the 16x16 pictures of icons.h) and combo boxes for font
// name, size, text and background colour, paragraph style and paragraph
// colour. Five sets choose what is shown; a click on an icon or a choice in
// a combo is reported through the events and carried out on the linked
// rich-text control.
//
// Invariants:
//  - the icon table holds at most 49 entries, in the fixed order of the
//    icon list; entry n (1-based) has the button with Tag 10 + n;
//  - combos carry their kind as Tag (font name 1, size 2, font colour 3,
//    style 4, background colour 5, paragraph colour 6);
//  - buttons and combos are children owned by the bar; rebuilding keeps the
//    buttons of entries that stay, frees the others and the combos no
//    longer chosen, and never runs while it runs already, while the bar is
//    loading or before it has a window.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/stdctrls.h"
#include "richtext/controls/barlinks.h"
#include "widgets/explorerbtn.h"

enum TWpTbIcon { SelNormal, SelBold, SelItalic, SelUnder, SelHyperLink, SelStrikeOut, SelSuper, SelSub, SelLeft,
                 SelHidden, SelRTFCode, SelRight, SelBlock, SelCenter };
enum TWpTbIcon2 { SelExit, SelNew, SelOpen, SelSave, SelClose, SelPrint, SelPrintSetup };
enum TWPTbIcon3 { SelToStart, SelNext, SelPrev, SelToEnd, SelEdit, SelAdd, SelDel, SelCancel, SelPost };
enum TWPTbIcon4 { SelCopy, SelCut, SelPaste, SelSelAll, SelHideSel, SelFind, SelReplace, SelSpellCheck };
enum TWpTbListbox { SelFontName, SelFontSize, SelFontColor, SelBackgroundColor, SelStyle, SelParColor };
// Sets: bit n = enumerator n.
using TwpTbIcons = uint32_t;
using TwpTbIcons2 = uint32_t;
using TwpTbIcons3 = uint32_t;
using TwpTbIcons4 = uint32_t;
using TwpTbListboxen = uint32_t;
template <class E>
constexpr uint32_t WPSet(std::initializer_list<E> members) {
  uint32_t s = 0;
  for (E m : members) s |= 1u << m;
  return s;
}

enum TFontSelChoice { fsPrinterFonts, fsScreenFonts };

// Selection numbers (Typ) of the events.
using TWpSelNr = int;
constexpr TWpSelNr wptFontName = 1, wptFontSize = 2, wptFontColor = 3, wptBackgroundColor = 4, wptStyle = 5,
                   wptIconDown = 6, wptIconUp = 7, wptParColor = 10;

using TWPIconSelectEvent =
    std::function<void(TObject* Sender, TWpSelNr& Typ, const AnsiString& str, int group, int num, int index)>;
using TWPSelectEvent = std::function<void(TObject* Sender, TWpSelNr& Typ, const AnsiString& str, int num)>;

class TWPToolBar;

// The panel under the tool bar: bevels, and moving and sizing by the mouse
// on its free area when switched on.
class TWPCustomToolPanel : public TWPCustomToolCtrl {
  ORV_CLASS(TWPCustomToolPanel, TWPCustomToolCtrl)
  explicit TWPCustomToolPanel(TComponent* owner);

  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel b);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel b);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int w);
  bool Locked() const { return locked_; }
  void SetLocked(bool v) { locked_ = v; }
  TWPCustomToolCtrl* NextToolBar() const { return nextToolBar_; }
  void SetNextToolBar(TWPCustomToolCtrl* bar);
  bool Movable() const { return movable_; }
  void SetMovable(bool v) { movable_ = v; }
  bool Sizable() const { return sizable_; }
  void SetSizable(bool v) { sizable_ = v; }
  // The frame all bevels take together.
  int BevelTotal() const;
  // What the point (client co-ordinates) of the free panel area answers to
  // the hit test: HTCLIENT, the caption (moving) or a sizing border.
  int HitTest(int x, int y) const;
  void Notification(TComponent* c, TOperation op) override;

protected:
  void Paint() override;
  void Resize() override;
  void Dispatch(TMessage& m) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  virtual void ArrangeControls() {}

private:
  TPanelBevel bevelInner_ = bvNone;
  TPanelBevel bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  bool locked_ = false;
  TWPCustomToolCtrl* nextToolBar_ = nullptr;
  bool movable_ = false;
  bool sizable_ = false;
  // Mouse moving or sizing: the hit code and where it began (screen).
  int dragHit_ = 0;
  TPoint dragStart_;
  TRect dragBounds_;
};

// A combo box of the tool bar: reports a choice when its list closes on
// another text (or Enter is pressed on a typed text), not while the list
// is open.
class TWPTBCombo : public TComboBox {
  ORV_CLASS(TWPTBCombo, TComboBox)
  explicit TWPTBCombo(TComponent* owner) : TComboBox(owner) {}
  std::function<void(TWPTBCombo*)> OnChoice;

protected:
  void DropDown() override;
  void CloseUp() override;
  void KeyDown(Word& key, TShiftState shift) override;
  void Click() override {}  // selection changes are reported on closing

private:
  AnsiString openedWith_;
};

struct TWPIconEntry {
  AnsiString Name;  // bitmap name
  int Index = 0;    // ordinal in its set
  int Group = 0;
  int Number = 0;
  TExplorerButton* Button = nullptr;
};

class TWPToolBar : public TWPCustomToolPanel {
  ORV_CLASS(TWPToolBar, TWPCustomToolPanel)
  explicit TWPToolBar(TComponent* owner);
  ~TWPToolBar() override;

  // ===== sets and options =========================================================
  TwpTbListboxen sel_ListBoxes() const { return listBoxes_; }
  void Setsel_ListBoxes(TwpTbListboxen s);
  TwpTbIcons sel_StatusIcons() const { return statusIcons_; }
  void Setsel_StatusIcons(TwpTbIcons s);
  TwpTbIcons2 sel_ActionIcons() const { return actionIcons_; }
  void Setsel_ActionIcons(TwpTbIcons2 s);
  TwpTbIcons3 sel_DatabaseIcons() const { return databaseIcons_; }
  void Setsel_DatabaseIcons(TwpTbIcons3 s);
  TwpTbIcons4 sel_EditIcons() const { return editIcons_; }
  void Setsel_EditIcons(TwpTbIcons4 s);
  int FontSizeFrom() const { return fontSizeFrom_; }
  void SetFontSizeFrom(int v) { fontSizeFrom_ = v; }
  int FontSizeTo() const { return fontSizeTo_; }
  void SetFontSizeTo(int v) { fontSizeTo_ = v; }
  int WidthBetweenGroups() const { return widthBetweenGroups_; }
  void SetWidthBetweenGroups(int v);
  TFontSelChoice FontChoice() const { return fontChoice_; }
  void SetFontChoice(TFontSelChoice c);
  bool ShowFont() const { return showFont_; }
  void SetShowFont(bool v);
  TComponent* UpdateObject() const { return updateObject_; }
  void SetUpdateObject(TComponent* c) { updateObject_ = c; }
  const AnsiString& UpdateObjectName() const { return updateObjectName_; }
  void SetUpdateObjectName(const AnsiString& s) { updateObjectName_ = s; }
  // Hint texts by bitmap name ("WPI_BOLD=Fett"); filled with the defaults
  // when read while empty.
  TStrings* Hints();
  void SetHints(const TStrings* hints);

  TWPIconSelectEvent OnIconSelection;
  TWPSelectEvent OnSelection;
  TNotifyEvent OnChange;

  // ===== building ===================================================================
  void BuildIcons();
  // Makes a control a child of the bar and arranges the children again.
  void AddControl(TControl* control);
  void ArrangeControls() override;
  int IconCount() const { return static_cast<int>(icons_.size()); }
  const TWPIconEntry& Icon(int i) const { return icons_.at(static_cast<size_t>(i)); }
  // The button of an icon, or nil when the bar does not show it.
  TExplorerButton* ButtonOf(int group, int number) const;
  TWPTBCombo* Combo(TWPComboKind kind) const;
  // Adds an icon entry (at most 49); False when the table is full.
  bool AddIcon(const AnsiString& name, int index, int group, int number);

  // ===== what the control shows on the bar ================================================
  bool Busy() const override { return busy_; }
  void SetButtonDown(int group, int number, bool down) override;
  void SetButtonEnabled(int group, int number, bool enabled) override;
  void ShowComboValue(TWPComboKind kind, const AnsiString& text) override;
  void ShowParagraphAlignment(int setModeNumber) override;

  // The click handler of every child (by its Tag).
  void ChildClicked(TObject* sender);

protected:
  void CreateWnd() override;
  void Loaded() override;
  void Dispatch(TMessage& m) override;

private:
  void Rebuild();
  void HandleClick(TObject* sender);
  void BuildCombos();
  TWPTBCombo* MakeCombo(TWPComboKind kind, int order);
  void FillFonts(TWPTBCombo* combo);
  void DrawColorItem(TWPTBCombo* combo, int index, TRect rect, TOwnerDrawState state);
  void DrawFontItem(TWPTBCombo* combo, int index, TRect rect, TOwnerDrawState state);
  void ApplySelection(TWpSelNr typ, const AnsiString& str, int num, int group);
  AnsiString HintOf(const AnsiString& name);
  TWPCustomRtfEdit* Target() const;

  TwpTbListboxen listBoxes_ = 0;
  TwpTbIcons statusIcons_ = 0;
  TwpTbIcons2 actionIcons_ = 0;
  TwpTbIcons3 databaseIcons_ = 0;
  TwpTbIcons4 editIcons_ = 0;
  int fontSizeFrom_ = 8;
  int fontSizeTo_ = 24;
  int widthBetweenGroups_ = 4;
  TFontSelChoice fontChoice_ = fsPrinterFonts;
  bool showFont_ = false;
  TComponent* updateObject_ = nullptr;
  AnsiString updateObjectName_;
  std::unique_ptr<TStringList> hints_;
  std::vector<TWPIconEntry> icons_;
  TWPTBCombo* combos_[7] = {};
  bool building_ = false;
  bool busy_ = false;
  int rowHeight_ = 22;
};
