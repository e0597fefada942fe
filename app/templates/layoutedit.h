// TfrmLayout: the template editor ("Vorlagen"). A formatted-text editor
// bound to the text of the current template of "LAYOUT", with the
// template's title, source-date type and output-date type, a navigator over
// the templates in title order, a menu that inserts every placeholder of the
// template language, and import and export of the text as files.
//
// Invariants:
//  - new templates are numbered from 1000 on, after the highest number
//    there is; numbers below 1000 are the default templates';
//  - a template is saved only with a title; a delete happens only after
//    the user confirmed it;
//  - a file is imported only when it is RTF the reader takes, or plain
//    text; otherwise the template and the table stay as they were;
//  - closing the window settles an unsaved template: saved or thrown away,
//    as the user answers.
#pragma once

#include "app/base/orvform.h"
#include "app/editors/entryform.h"
#include "dbcontrols/datasets/wwtable.h"
#include "dbcontrols/edit/wwdbcombo.h"
#include "platform/db/dbctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/menus.h"
#include "richtext/bars/ruler.h"
#include "richtext/bars/toolbar.h"
#include "richtext/controls/dbrichtext.h"
#include "widgets/explorerbtn.h"

class TfrmLayout : public TOrvelanForm {
  ORV_CLASS(TfrmLayout, TOrvelanForm)

 public:
  explicit TfrmLayout(TComponent* owner);
  ~TfrmLayout() override;

  // Makes the template of that number the current one (titles stay the order).
  void LocateLayout(int number);
  // The text of the file into the current template (RTF or plain text);
  // raises EInvalidData, naming the file, for anything else.
  void ImportFile(const AnsiString& fileName);
  // The current template's text into a file.
  void ExportFile(const AnsiString& fileName);

  TwwTable* tblLOut;
  TwwTable* tblLOutTest;
  TwwDataSource* dsLOut;
  TPanel* pnlButtons;
  TExplorerButton *pbFirst, *pbPrior, *pbNext, *pbLast, *pbInsert, *pbDelete, *pbPost, *pbCancel;
  TExplorerButton *pbSuchen, *pbHilfe, *pbExit;
  TPanel* pnlHeader;
  TLabel *lblLOutTitel, *lblLOutQuellTyp, *lblLOutAusgTyp;
  TDBEdit* editLOutTitel;
  TwwDBComboBox *cmbLOutQuellTyp, *cmbLOutAusgTyp;
  TWPToolBar* WPToolbar1;
  TExplorerButton *pbParProps, *pbSeite, *pbPlatzhalter;
  TWPRuler* WPRuler1;
  TPopupMenu* popupTabs;
  TDBWPRichText* DBWPRichText1;
  TPopupMenu* popPlatzhalter;
  TOpenDialog* OpenDialog;
  TSaveDialog* SaveDialog;

 private:
  void BuildButtons();
  void BuildHeader();
  void BuildEditor();
  void BuildPlaceholderMenu();
  void FormCreate(TObject* sender);
  void FitToolbar();
  // "Hilfe" and "Schließen" at the window's right edge.
  void PlaceRightButtons();
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormKeyUp(TObject* sender, Word& key, TShiftState shift);
  void navClick(TObject* sender);
  void pbSuchenClick(TObject* sender);
  void pbPlatzhalterClick(TObject* sender);
  void popPlatzhalterClick(TObject* sender);
  void pbParPropsClick(TObject* sender);
  void pbSeiteClick(TObject* sender);
  void popTabClick(TObject* sender);
  void WPToolbar1IconSelection(TObject* sender, TWpSelNr& typ, const AnsiString& str, int group, int num, int index);
  void cmbLOutQuellTypCloseUp(TObject* sender, bool accept);
  void dsLOutDataChange(TObject* sender, TField* field);
  void dsLOutStateChange(TObject* sender);
  void tblLOutNewRecord(TDataSet* dataSet);
  void tblLOutBeforePost(TDataSet* dataSet);
  void tblLOutAfterPost(TDataSet* dataSet);
  void tblLOutBeforeDelete(TDataSet* dataSet);
  void ShowOutputType(bool visible);
  TPoint MinimumSize() override;

  TEscapeToClose escape_;
};

// Shows the editor on a template (none chosen for 0 or less) modally; on
// return `number` is that of the editor's current template (0 when none).
void ShowLayout(int& number);
