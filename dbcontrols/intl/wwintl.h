// International strings: every caption, hint and message the data-aware
// controls and their dialogs show, in one replaceable component. One global
// instance exists for the whole run and is the one the controls read. An
// application puts its own instance on a window, sets its texts and sets
// Connected; the instance then copies its texts into the global one (nothing
// is copied back when it goes). The defaults are English; wwSetGermanTexts
// gives an instance the German user messages and cancel caption that this
// program shows.
//
// Invariants: the string holders are owned by their TwwIntl and live as long
// as it; wwGlobalIntl() never answers a freed instance (freeing the global
// one makes the next call create a fresh one with the defaults).
#pragma once

#include <memory>

#include "platform/gfx/device.h"
#include "platform/rtl/components.h"

// A published text property with its default: Name() / SetName(v).
#define WW_INTL_DECLARE_TEXT(Name, Default)                 \
 public:                                                    \
  const AnsiString& Name() const { return Name##_; }        \
  void Set##Name(const AnsiString& v) { Name##_ = v; }      \
                                                            \
 private:                                                   \
  AnsiString Name##_ = Default;

#define WW_SEARCH_DIALOG_TEXTS(X)                                          \
  X(SearchCharLabel, "&Search Characters")                                 \
  X(SearchCharShortLabel, "&Search Char")                                  \
  X(SearchByLabel, "Search &By")                                           \
  X(StatusRecLabel, "Rec #")                                               \
  X(StatusOfLabel, "of")                                                   \
  X(SearchCharHint, "Enter characters for incremental search")             \
  X(SearchByHint, "Incremental searching and sorting order")

#define WW_LOCATE_DIALOG_TEXTS(X)                                                  \
  X(FieldValueLabel, "Field &Value")                                               \
  X(SearchTypeLabel, "&Search Type")                                               \
  X(CaseSensitiveLabel, "&Case-sensitive")                                         \
  X(MatchExactLabel, "&Exact Match")                                               \
  X(MatchStartLabel, "&Partial Match at Beginning")                                \
  X(MatchAnyLabel, "Partial Match &Anywhere")                                      \
  X(FieldsLabel, "&Fields")                                                        \
  X(BtnFirst, "Fi&rst")                                                            \
  X(BtnNext, "&Next")                                                              \
  X(BtnCancel, "Cancel")                                                           \
  X(FieldValueHint, "Enter field's search value")                                  \
  X(CaseSensitiveHint, "Searching is case-sensitive")                              \
  X(MatchExactHint, "Match occurs only if there is an exact match")                \
  X(MatchStartHint, "Match occurs if the start of the field's value matches")      \
  X(MatchAnyHint, "Match occurs if any part of the field matches")                 \
  X(BtnFirstHint, "Find first match")                                              \
  X(BtnNextHint, "Find next match from current record")                            \
  X(FieldNameHint, "Select the field to search on")

#define WW_FILTER_DIALOG_TEXTS(X)                                                          \
  X(BtnViewSummary, "View Su&mmary")                                                       \
  X(BtnViewSummaryHint, "View summary of current search criteria")                         \
  X(BtnNewSearch, "&New Search")                                                           \
  X(BtnNewSearchHint, "Start a new search")                                                \
  X(FieldOrderLabel, "Field Order")                                                        \
  X(FieldOrderHint, "Sort field list alphabetically or in their natural logical order")    \
  X(AlphabeticLabel, "Alpha&betic")                                                        \
  X(LogicalLabel, "&Logical")                                                              \
  X(AllFieldsLabel, "&All")                                                                \
  X(SearchedFieldsLabel, "&Searched")                                                      \
  X(StartingRangeLabel, "&Starting Range")                                                 \
  X(EndingRangeLabel, "En&ding Range")                                                     \
  X(StartingRangeHint, "Enter starting range for field")                                   \
  X(EndingRangeHint, "Enter ending range for field")                                       \
  X(BtnClearMin, "&Clear")                                                                 \
  X(BtnClearMax, "Cl&ear")                                                                 \
  X(BtnClearFilterValue, "&Clear")                                                         \
  X(BtnClearMinHint, "Clear starting range for field")                                     \
  X(BtnClearMaxHint, "Clear ending range for field")                                       \
  X(BtnClearFilterValueHint, "Clear the current field's search value")                     \
  X(ByValueLabel, "By &Value")                                                             \
  X(ByRangeLabel, "By &Range")                                                             \
  X(FieldValueLabel, "Field &Value")                                                       \
  X(FieldValueHint, "Enter field's search value")                                          \
  X(SearchTypeLabel, "Search Type")                                                        \
  X(SearchTypeHint, "Specify how the Field Value should be compared")                      \
  X(MatchExactLabel, "&Exact Match")                                                       \
  X(MatchStartLabel, "&Partial Match at Beginning")                                        \
  X(MatchAnyLabel, "Partial Match Any&where")                                              \
  X(CaseSensitiveLabel, "Case Sensi&tive")                                                 \
  X(CaseSensitiveHint, "Searching is case-sensitive")                                      \
  X(NonMatchingLabel, "N&on-matching records")                                             \
  X(NonMatchingHint, "Show records that do not match the field value criteria")            \
  X(SummaryFieldLabel, "Field")                                                            \
  X(SummarySearchLabel, "Search Type")                                                     \
  X(SummaryValueLabel, "Value")                                                            \
  X(FieldsLabel, "&Fields")                                                                \
  X(ValueRangeTabHint, "Search fields by value or by range")                               \
  X(AllSearchedTabHint, "Show all fields or only currently searched fields")               \
  X(ViewSummaryNotText, "NOT")

#define WW_RICH_EDIT_TEXTS(X)                                                                  \
  X(FontNameComboHint, "Font | Changes the font of the selection")                             \
  X(FontSizeComboHint, "Font Size | Changes the font size of the selection")                   \
  X(NewButtonHint, "New | Creates a new document")                                             \
  X(LoadButtonHint, "Load | Load from file")                                                   \
  X(SaveAsButtonHint, "Save As | Save to file")                                                \
  X(PrintButtonHint, "Print | Prints the active document")                                     \
  X(FindButtonHint, "Find | Finds the specified text")                                         \
  X(CutButtonHint, "Cut | Cuts the selection and puts it on the Clipboard")                    \
  X(CopyButtonHint, "Copy | Copies the selection and puts it on the Clipboard")                \
  X(UndoButtonHint, "Undo | Reverses the last action")                                         \
  X(PasteButtonHint, "Paste | Inserts Clipboard contents")                                     \
  X(BoldButtonHint, "Bold | Makes the selection bold (toggle)")                                \
  X(UnderlineButtonHint, "Underline | Formats the selection with a continuous underline (toggle)") \
  X(ItalicButtonHint, "Italic | Makes the selection italic (toggle)")                          \
  X(LeftButtonHint, "Align Left | Left-justifies paragraph (toggle)")                          \
  X(CenterButtonHint, "Center | Center-justifies paragraph (toggle)")                          \
  X(RightButtonHint, "Align Right | Right-justifies paragraph (toggle)")                        \
  X(BulletButtonHint, "Bullets | Inserts a bullet on this line (toggle)")                      \
  X(SaveExitHint, "Save And Exit | Saves changes and exits editor")                            \
  X(PageSetupHint, "Page Setup | Changes page layout settings")                                \
  X(ExitHint, "Exit")                                                                          \
  X(ClearHint, "Erases the Selection")                                                         \
  X(SelectAllHint, "Selects all of the text")                                                  \
  X(FindNextHint, "Repeats the last find")                                                     \
  X(ReplaceHint, "Replaces specific text with different text")                                 \
  X(ToolbarHint, "Shows or hides the toolbar")                                                 \
  X(FormatBarHint, "Shows or hides the format bar")                                            \
  X(ViewStatusBarHint, "Shows or hides the status bar")                                        \
  X(OptionsHint, "Sets options")                                                               \
  X(FontHint, "Selects font for current selection")                                            \
  X(ParagraphHint, "Formats current or selected paragraph(s)")                                 \
  X(TabsHint, "Sets tabs")                                                                     \
  X(CAPLockCaption, "CAP")                                                                     \
  X(NUMLockCaption, "NUM")

#define WW_MENU_LABEL_TEXTS(X)                    \
  X(FileCaption, "&File")                         \
  X(LoadCaption, "&Load")                         \
  X(SaveAsCaption, "Save &As")                    \
  X(SaveExitCaption, "&Save and Exit")            \
  X(PrintCaption, "&Print")                       \
  X(PageSetupCaption, "Page Set&up")              \
  X(ExitCaption, "E&xit")                         \
  X(EditCaption, "&Edit")                         \
  X(UndoCaption, "&Undo")                         \
  X(CutCaption, "Cu&t")                           \
  X(CopyCaption, "&Copy")                         \
  X(PasteCaption, "&Paste")                       \
  X(ClearCaption, "Cle&ar")                       \
  X(SelectallCaption, "Select A&ll")              \
  X(FindCaption, "&Find")                         \
  X(FindNextCaption, "Find &Next")                \
  X(ReplaceCaption, "R&eplace")                   \
  X(ViewCaption, "&View")                         \
  X(ToolbarCaption, "&Toolbar")                   \
  X(FormatBarCaption, "&Format Bar")              \
  X(ViewStatusBarCaption, "&Status Bar")          \
  X(OptionsCaption, "&Options")                   \
  X(FormatCaption, "F&ormat")                     \
  X(FontCaption, "&Font")                         \
  X(BulletStyleCaption, "&Bullet Style")          \
  X(ParagraphCaption, "&Paragraph")               \
  X(TabsCaption, "&Tabs")                         \
  X(HelpCaption, "Help")

#define WW_POPUP_MENU_LABEL_TEXTS(X)           \
  X(EditCaption, "&Edit")                      \
  X(CutCaption, "Cu&t")                        \
  X(CopyCaption, "&Copy")                      \
  X(PasteCaption, "&Paste")                    \
  X(FontCaption, "&Font")                      \
  X(BulletStyleCaption, "&Bullet Style")       \
  X(BoldCaption, "B&old")                      \
  X(ItalicCaption, "&Italic")                  \
  X(UnderlineCaption, "&Underline")            \
  X(ParagraphCaption, "P&aragraph")            \
  X(TabsCaption, "&Tabs")                      \
  X(FindCaption, "Fin&d")                      \
  X(ReplaceCaption, "&Replace")

#define WW_PARAGRAPH_DIALOG_TEXTS(X)                                  \
  X(ParagraphDlgCaption, "Paragraph")                                 \
  X(IndentationGroupBoxCaption, "Indentation")                        \
  X(LeftEditHint, "Left Indentation")                                 \
  X(RightEditHint, "Right Indentation")                               \
  X(FirstLineEditHint, "First Line of Paragraph Indentation")         \
  X(AlignmentHint, "Changes Alignment of Paragraph")                  \
  X(LeftEditCaption, "Left:")                                         \
  X(RightEditCaption, "Right:")                                       \
  X(FirstLineEditCaption, "First line:")                              \
  X(AlignmentCaption, "Alignment")                                    \
  X(AlignLeft, "Left")                                                \
  X(AlignRight, "Right")                                              \
  X(AlignCenter, "Center")

#define WW_TAB_DIALOG_TEXTS(X)                                   \
  X(TabDlgCaption, "Tab")                                        \
  X(TabGroupBoxCaption, "&Tab Stop Position")                    \
  X(SetTabButtonCaption, "Set")                                  \
  X(ClearTabButtonCaption, "Clear")                              \
  X(ClearAllButtonCaption, "Clear All")                          \
  X(TabPositionEditHint, "Tab Position Edit Box")                \
  X(ListBoxHint, "List of tabs and their positions")             \
  X(SetButtonHint, "Set a new tab position")                     \
  X(ClearButtonHint, "Clear the selected tab position")          \
  X(ClearAllButtonHint, "Clear all the tabs")

#define WW_USER_MESSAGE_TEXTS(X)                                                        \
  X(wwDBGridDiscardChanges, "Discard changes to this record?")                          \
  X(PictureValidateError, "Invalid characters. Field : ")                               \
  X(LocateNoMatches, "No matches found")                                                \
  X(LocateNoMoreMatches, "No more matches found")                                       \
  X(MemoChangesWarning, "Changes have been made!  Are you sure you wish to cancel?")    \
  X(RichEditExitWarning, "Changes have been made!  Do you wish to save your changes?")  \
  X(RichEditClearWarning, "Clear entire text?")                                         \
  X(FilterDlgNoCriteria, "You have not selected any search criteria")                   \
  X(RecordViewExitWarning, "Changes have been made!  Do you wish to save your changes?")

// A holder of plain texts; Assign copies every text of a holder of its class.
#define WW_INTL_HOLDER(Class, TEXTS)                         \
  class Class : public TPersistent {                         \
    ORV_CLASS_PUBLISHED(Class, TPersistent)                  \
    Class() = default;                                       \
    void Assign(const TPersistent* source) override;         \
    TEXTS(WW_INTL_DECLARE_TEXT)                              \
  };

WW_INTL_HOLDER(TwwSearchDialogIntl, WW_SEARCH_DIALOG_TEXTS)
WW_INTL_HOLDER(TwwLocateDialogIntl, WW_LOCATE_DIALOG_TEXTS)
WW_INTL_HOLDER(TwwFilterDialogIntl, WW_FILTER_DIALOG_TEXTS)
WW_INTL_HOLDER(TwwRichEditMenuLabels, WW_MENU_LABEL_TEXTS)
WW_INTL_HOLDER(TwwRichEditPopupMenuLabels, WW_POPUP_MENU_LABEL_TEXTS)
WW_INTL_HOLDER(TwwRichEditParagraphDlg, WW_PARAGRAPH_DIALOG_TEXTS)
WW_INTL_HOLDER(TwwRichEditTabDlg, WW_TAB_DIALOG_TEXTS)
WW_INTL_HOLDER(TwwUserMessagesIntl, WW_USER_MESSAGE_TEXTS)

// The rich-edit texts and the four holders of its menus and dialogs.
class TwwDBRichEditIntl : public TPersistent {
  ORV_CLASS_PUBLISHED(TwwDBRichEditIntl, TPersistent)
  TwwDBRichEditIntl();
  ~TwwDBRichEditIntl() override;
  // Copies the texts and those of the four holders.
  void Assign(const TPersistent* source) override;
  TwwRichEditMenuLabels* MenuLabels() const { return menuLabels_.get(); }
  TwwRichEditPopupMenuLabels* PopupMenuLabels() const { return popupMenuLabels_.get(); }
  TwwRichEditParagraphDlg* ParagraphDialog() const { return paragraphDialog_.get(); }
  TwwRichEditTabDlg* TabDialog() const { return tabDialog_.get(); }
  WW_RICH_EDIT_TEXTS(WW_INTL_DECLARE_TEXT)

 private:
  std::unique_ptr<TwwRichEditMenuLabels> menuLabels_;
  std::unique_ptr<TwwRichEditPopupMenuLabels> popupMenuLabels_;
  std::unique_ptr<TwwRichEditParagraphDlg> paragraphDialog_;
  std::unique_ptr<TwwRichEditTabDlg> tabDialog_;
};

enum TwwCheckBoxInGridStyle { cbStyleAuto, cbStyleCheckmark, cbStyleXmark };

class TwwIntl : public TComponent {
  ORV_CLASS_PUBLISHED(TwwIntl, TComponent)
  explicit TwwIntl(TComponent* owner);
  ~TwwIntl() override;

  TwwSearchDialogIntl* SearchDialog() const { return searchDialog_.get(); }
  TwwLocateDialogIntl* LocateDialog() const { return locateDialog_.get(); }
  TwwFilterDialogIntl* FilterDialog() const { return filterDialog_.get(); }
  TwwDBRichEditIntl* RichEdit() const { return richEdit_.get(); }
  TwwUserMessagesIntl* UserMessages() const { return userMessages_.get(); }
  // Object properties take a copy of the texts given.
  void SetSearchDialog(TwwSearchDialogIntl* v) { searchDialog_->Assign(v); }
  void SetLocateDialog(TwwLocateDialogIntl* v) { locateDialog_->Assign(v); }
  void SetFilterDialog(TwwFilterDialogIntl* v) { filterDialog_->Assign(v); }
  void SetRichEdit(TwwDBRichEditIntl* v) { richEdit_->Assign(v); }
  void SetUserMessages(TwwUserMessagesIntl* v) { userMessages_->Assign(v); }

  bool OKCancelBitmapped() const { return okCancelBitmapped_; }
  void SetOKCancelBitmapped(bool v) { okCancelBitmapped_ = v; }
  const AnsiString& BtnOKCaption() const { return btnOKCaption_; }
  void SetBtnOKCaption(const AnsiString& v) { btnOKCaption_ = v; }
  const AnsiString& BtnCancelCaption() const { return btnCancelCaption_; }
  void SetBtnCancelCaption(const AnsiString& v) { btnCancelCaption_ = v; }
  TFontStyles DialogFontStyle() const { return dialogFontStyle_; }
  void SetDialogFontStyle(TFontStyles v) { dialogFontStyle_ = v; }
  TwwCheckBoxInGridStyle CheckBoxInGridStyle() const { return checkBoxInGridStyle_; }
  // While connected (and not the global instance) the global one follows.
  void SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle v);
  // Always "3.02B"; assignments are ignored so that a stored value cannot
  // change it.
  AnsiString ControlsVersion() const { return "3.02B"; }
  void SetControlsVersion(const AnsiString&) {}

  // Not published: whether cancelling a table's narrowed range on a SQL
  // database reopens the table with its field layout kept (the table
  // dataset's cancel-range operation). Set at creation, copied by Connect.
  bool SyncFieldsOnCancelRange() const { return syncFieldsOnCancelRange_; }
  void SetSyncFieldsOnCancelRange(bool v) { syncFieldsOnCancelRange_ = v; }

  bool Connected() const { return connected_; }
  // Setting it copies the texts into the global instance at once (after
  // loading, when set while the layout loads).
  void SetConnected(bool v);
  // Copies every text and setting into the global instance (nothing when
  // this is the global instance).
  void Connect();

 protected:
  void Loaded() override;

 private:
  std::unique_ptr<TwwSearchDialogIntl> searchDialog_;
  std::unique_ptr<TwwLocateDialogIntl> locateDialog_;
  std::unique_ptr<TwwFilterDialogIntl> filterDialog_;
  std::unique_ptr<TwwDBRichEditIntl> richEdit_;
  std::unique_ptr<TwwUserMessagesIntl> userMessages_;
  bool okCancelBitmapped_ = true;
  bool connected_ = false;
  bool syncFieldsOnCancelRange_ = true;
  AnsiString btnOKCaption_ = "&OK";
  AnsiString btnCancelCaption_ = "Cancel";
  TwwCheckBoxInGridStyle checkBoxInGridStyle_ = cbStyleAuto;
  TFontStyles dialogFontStyle_;
};

// The instance the controls read; made on first use.
TwwIntl* wwGlobalIntl();

// The German user messages and the cancel caption "Abbruch" that this
// program's main window gives its instance; the other texts stay English.
void wwSetGermanTexts(TwwIntl* intl);
