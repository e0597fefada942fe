// International strings of the data-aware controls (see wwintl.h).
#include "dbcontrols/intl/wwintl.h"

#include "platform/rtl/cp1252.h"

namespace {
TwwIntl* gGlobalIntl = nullptr;
}  // namespace

#define WW_INTL_PUBLISH_TEXT(Name, Default) PublishString<Self>(ci, #Name, &Self::Name, &Self::Set##Name);
#define WW_INTL_COPY_TEXT(Name, Default) Name##_ = from->Name##_;

#define WW_INTL_HOLDER_BODY(Class, TEXTS)                          \
  void Class::PublishProperties(TClassInfo& ci) {                  \
    using Self = Class;                                            \
    TEXTS(WW_INTL_PUBLISH_TEXT)                                    \
  }                                                                \
  void Class::Assign(const TPersistent* source) {                  \
    if (const auto* from = dynamic_cast<const Class*>(source)) {   \
      TEXTS(WW_INTL_COPY_TEXT)                                     \
      return;                                                      \
    }                                                              \
    TPersistent::Assign(source);                                   \
  }

WW_INTL_HOLDER_BODY(TwwSearchDialogIntl, WW_SEARCH_DIALOG_TEXTS)
WW_INTL_HOLDER_BODY(TwwLocateDialogIntl, WW_LOCATE_DIALOG_TEXTS)
WW_INTL_HOLDER_BODY(TwwFilterDialogIntl, WW_FILTER_DIALOG_TEXTS)
WW_INTL_HOLDER_BODY(TwwRichEditMenuLabels, WW_MENU_LABEL_TEXTS)
WW_INTL_HOLDER_BODY(TwwRichEditPopupMenuLabels, WW_POPUP_MENU_LABEL_TEXTS)
WW_INTL_HOLDER_BODY(TwwRichEditParagraphDlg, WW_PARAGRAPH_DIALOG_TEXTS)
WW_INTL_HOLDER_BODY(TwwRichEditTabDlg, WW_TAB_DIALOG_TEXTS)
WW_INTL_HOLDER_BODY(TwwUserMessagesIntl, WW_USER_MESSAGE_TEXTS)

// ---------------------------------------------------------------- rich edit

TwwDBRichEditIntl::TwwDBRichEditIntl()
    : menuLabels_(std::make_unique<TwwRichEditMenuLabels>()),
      popupMenuLabels_(std::make_unique<TwwRichEditPopupMenuLabels>()),
      paragraphDialog_(std::make_unique<TwwRichEditParagraphDlg>()),
      tabDialog_(std::make_unique<TwwRichEditTabDlg>()) {}

TwwDBRichEditIntl::~TwwDBRichEditIntl() = default;

void TwwDBRichEditIntl::PublishProperties(TClassInfo& ci) {
  using Self = TwwDBRichEditIntl;
  WW_RICH_EDIT_TEXTS(WW_INTL_PUBLISH_TEXT)
  PublishObject<Self, TwwRichEditMenuLabels>(ci, "MenuLabels", &Self::MenuLabels,
                                             [](Self* s, TwwRichEditMenuLabels* v) { s->menuLabels_->Assign(v); });
  PublishObject<Self, TwwRichEditPopupMenuLabels>(
      ci, "PopupMenuLabels", &Self::PopupMenuLabels,
      [](Self* s, TwwRichEditPopupMenuLabels* v) { s->popupMenuLabels_->Assign(v); });
  PublishObject<Self, TwwRichEditParagraphDlg>(
      ci, "ParagraphDialog", &Self::ParagraphDialog,
      [](Self* s, TwwRichEditParagraphDlg* v) { s->paragraphDialog_->Assign(v); });
  PublishObject<Self, TwwRichEditTabDlg>(ci, "TabDialog", &Self::TabDialog,
                                         [](Self* s, TwwRichEditTabDlg* v) { s->tabDialog_->Assign(v); });
}

void TwwDBRichEditIntl::Assign(const TPersistent* source) {
  if (const auto* from = dynamic_cast<const TwwDBRichEditIntl*>(source)) {
    WW_RICH_EDIT_TEXTS(WW_INTL_COPY_TEXT)
    menuLabels_->Assign(from->menuLabels_.get());
    popupMenuLabels_->Assign(from->popupMenuLabels_.get());
    paragraphDialog_->Assign(from->paragraphDialog_.get());
    tabDialog_->Assign(from->tabDialog_.get());
    return;
  }
  TPersistent::Assign(source);
}

// ---------------------------------------------------------------- TwwIntl

TwwIntl::TwwIntl(TComponent* owner)
    : TComponent(owner),
      searchDialog_(std::make_unique<TwwSearchDialogIntl>()),
      locateDialog_(std::make_unique<TwwLocateDialogIntl>()),
      filterDialog_(std::make_unique<TwwFilterDialogIntl>()),
      richEdit_(std::make_unique<TwwDBRichEditIntl>()),
      userMessages_(std::make_unique<TwwUserMessagesIntl>()) {}

TwwIntl::~TwwIntl() {
  if (gGlobalIntl == this) gGlobalIntl = nullptr;
}

void TwwIntl::PublishProperties(TClassInfo& ci) {
  using Self = TwwIntl;
  PublishObject<Self, TwwSearchDialogIntl>(ci, "SearchDialog", &Self::SearchDialog, &Self::SetSearchDialog);
  PublishObject<Self, TwwLocateDialogIntl>(ci, "LocateDialog", &Self::LocateDialog, &Self::SetLocateDialog);
  PublishObject<Self, TwwFilterDialogIntl>(ci, "FilterDialog", &Self::FilterDialog, &Self::SetFilterDialog);
  PublishObject<Self, TwwDBRichEditIntl>(ci, "RichEdit", &Self::RichEdit, &Self::SetRichEdit);
  PublishObject<Self, TwwUserMessagesIntl>(ci, "UserMessages", &Self::UserMessages, &Self::SetUserMessages);
  PublishBool<Self>(ci, "OKCancelBitmapped", &Self::OKCancelBitmapped, &Self::SetOKCancelBitmapped);
  PublishBool<Self>(ci, "Connected", &Self::Connected, &Self::SetConnected);
  PublishString<Self>(ci, "BtnOKCaption", &Self::BtnOKCaption, &Self::SetBtnOKCaption);
  PublishString<Self>(ci, "BtnCancelCaption", &Self::BtnCancelCaption, &Self::SetBtnCancelCaption);
  PublishInteger<Self>(ci, "CheckBoxInGridStyle", &Self::CheckBoxInGridStyle, &Self::SetCheckBoxInGridStyle);
  PublishString<Self>(ci, "ControlsVersion", &Self::ControlsVersion, &Self::SetControlsVersion);
  TPropInfo style;
  style.Name = "DialogFontStyle";
  style.Kind = TTypeKind::tkSet;
  style.GetOrd = [](const TObject* o) { return static_cast<int64_t>(static_cast<const Self*>(o)->dialogFontStyle_.Bits()); };
  style.SetOrd = [](TObject* o, int64_t bits) {
    TFontStyles s;
    for (TFontStyle f : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
      if (bits & (int64_t{1} << f)) s.Include(f);
    static_cast<Self*>(o)->dialogFontStyle_ = s;
  };
  ci.AddProp(std::move(style));
}

void TwwIntl::SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle v) {
  checkBoxInGridStyle_ = v;
  if (connected_ && this != gGlobalIntl) wwGlobalIntl()->SetCheckBoxInGridStyle(v);
}

void TwwIntl::SetConnected(bool v) {
  connected_ = v;
  if (v && !HasState(csLoading)) Connect();
}

void TwwIntl::Loaded() {
  TComponent::Loaded();
  if (connected_) Connect();
}

void TwwIntl::Connect() {
  TwwIntl* global = wwGlobalIntl();
  if (global == this) return;
  global->filterDialog_->Assign(filterDialog_.get());
  global->richEdit_->Assign(richEdit_.get());
  global->searchDialog_->Assign(searchDialog_.get());
  global->locateDialog_->Assign(locateDialog_.get());
  global->okCancelBitmapped_ = okCancelBitmapped_;
  global->userMessages_->Assign(userMessages_.get());
  global->btnOKCaption_ = btnOKCaption_;
  global->btnCancelCaption_ = btnCancelCaption_;
  global->SetCheckBoxInGridStyle(checkBoxInGridStyle_);
  global->dialogFontStyle_ = dialogFontStyle_;
  global->syncFieldsOnCancelRange_ = syncFieldsOnCancelRange_;
}

TwwIntl* wwGlobalIntl() {
  if (!gGlobalIntl) gGlobalIntl = new TwwIntl(nullptr);
  return gGlobalIntl;
}

void wwSetGermanTexts(TwwIntl* intl) {
  TwwUserMessagesIntl* m = intl->UserMessages();
  m->SetwwDBGridDiscardChanges(CP1252("Wollen Sie die Änderungen verwerfen?"));
  // The field's name follows the message, as in the English text.
  m->SetPictureValidateError(CP1252("Ungültige(s) Zeichen im Feld: "));
  m->SetLocateNoMatches(CP1252("Keine Übereinstimmungen gefunden"));
  m->SetLocateNoMoreMatches(CP1252("Keine weiteren Übereinstimmungen gefunden"));
  m->SetMemoChangesWarning(CP1252("Sie haben Änderungen vorgenommen. Sind Sie sicher, daß Sie abbrechen wollen?"));
  m->SetRichEditExitWarning(CP1252("Wollen Sie die Änderungen speichern?"));
  m->SetRichEditClearWarning(CP1252("Ganzen Text löschen?"));
  m->SetFilterDlgNoCriteria("Sie haben keine Suchkriterien vorgegeben");
  m->SetRecordViewExitWarning(CP1252("Wollen Sie die Änderungen speichern?"));
  intl->SetBtnCancelCaption("Abbruch");
}
