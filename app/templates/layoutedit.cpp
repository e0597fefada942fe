// The template editor (layoutedit.h): its components laid out in code, the
// navigator, the table's events, the placeholder menu and the file import
// and export of the tool bar's open and save icons.
#include "app/templates/layoutedit.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <tuple>

#include "app/base/usertables.h"
#include "app/editors/entryform.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/templates/language.h"
#include "app/templates/layoutlist.h"
#include "app/templates/onsave.h"
#include "app/text/helpers.h"
#include "app/windows/parprops.h"
#include "app/windows/preview.h"
#include "app/windows/seite.h"
#include "app/windows/winparts.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/streams.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/keyboard.h"
#include "resources/editorpictures.h"
#include "resources/pictures.h"
#include "richtext/bars/icons.h"

namespace {

constexpr int kPanelHeight = 33, kHeaderHeight = 62, kRulerHeight = 22, kToolbarHeight = 30;
constexpr int kNavWidth = 26, kButtonWidth = 80, kButtonHeight = 25;
// The navigator's tags.
enum { nbFirst = 1, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel };
// The tool bar's file icons the editor takes over.
constexpr int kFileGroup = 1024, kOpenIcon = 3, kSaveIcon = 4;

const char* const kFileFilter = "Richtext-Dateien|*.rtf|Textdateien|*.txt|Alle Dateien (*.*)|*.*";

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, const char* text, int left, int top) {
  auto* l = new TLabel(owner);
  l->SetName(name);
  l->SetParent(parent);
  l->SetCaption(text);
  l->SetLeft(left);
  l->SetTop(top);
  return l;
}

TwwDBComboBox* TypeCombo(TComponent* owner, TWinControl* parent, const char* name, const char* field,
                         std::initializer_list<const char*> items, TwwDataSource* source) {
  auto* c = new TwwDBComboBox(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetStyle(csDropDownList);
  c->SetMapList(true);
  TStringList list;
  for (const char* i : items) list.Add(i);
  c->SetItems(&list);
  c->SetDropDownCount(static_cast<int>(items.size()));
  c->SetDataSource(source);
  c->SetDataField(field);
  return c;
}

// Whether bytes are plain text: no control characters but tab, line and
// page breaks (a file of another program holds them, a text does not).
bool IsPlainText(const std::string& bytes) {
  return std::none_of(bytes.begin(), bytes.end(), [](char ch) {
    const unsigned char c = static_cast<unsigned char>(ch);
    return c < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f';
  });
}

bool IsRtf(const std::string& bytes) {
  const std::size_t start = bytes.find_first_not_of(" \t\r\n\b");
  return start != std::string::npos && bytes.compare(start, 5, "{\\rtf") == 0;
}

// A file's bytes as this system's text. A file that is valid UTF-8 with
// characters beyond ASCII is UTF-8, the desktop's encoding: letters
// Windows-1252 lacks become their base letter, and a character without any
// form is left out and added to `leftOut`, as a paste leaves it out.
// Anything else is Windows-1252.
std::string FileText(std::string_view bytes, std::u32string& leftOut) {
  if (!IsUtf8BeyondAscii(bytes)) return std::string(bytes);
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);  // the byte-order mark
  return Utf8ToCp1252Lossy(bytes, 0, &leftOut);
}

}  // namespace

TfrmLayout::TfrmLayout(TComponent* owner) : TOrvelanForm(owner) {
  SetFormName("frmLayout");
  SetCaption("Vorlagen");
  SetClientSize(640, 520);
  Font()->SetName("Arial");
  Font()->SetHeight(-13);
  SetShowHint(true);
  SetKeyPreview(true);

  tblLOut = MakeLayoutTable(this);
  tblLOut->OnNewRecord = [this](TDataSet* d) { tblLOutNewRecord(d); };
  // A new template's empty document has the engine's page; templates are
  // written for A4, whatever the locale (the margins stay). Set in the
  // engine, it changes nothing the user would be asked to save.
  tblLOut->AfterInsert = [this](TDataSet*) {
    DBWPRichText1->RtfText()->SetPage(kWPUnchanged, kWPUnchanged, kWPUnchanged, kWPUnchanged, kA4Width, kA4Height);
    WPRuler1->Invalidate();
  };
  tblLOut->BeforePost = [this](TDataSet* d) { tblLOutBeforePost(d); };
  tblLOut->AfterPost = [this](TDataSet* d) { tblLOutAfterPost(d); };
  tblLOut->BeforeDelete = [this](TDataSet* d) { tblLOutBeforeDelete(d); };
  tblLOutTest = new TwwTable(this);
  tblLOutTest->SetName("tblLOutTest");
  tblLOutTest->SetDatabaseName(kUserAlias);
  tblLOutTest->SetTableName("LAYOUT.FFD");
  tblLOutTest->SetIndexName("XLOUT_ID");
  dsLOut = new TwwDataSource(this);
  dsLOut->SetName("dsLOut");
  dsLOut->SetDataSet(tblLOut);
  dsLOut->OnDataChange = [this](TObject* s, TField* f) { dsLOutDataChange(s, f); };
  dsLOut->OnStateChange = [this](TObject* s) { dsLOutStateChange(s); };

  BuildButtons();
  BuildHeader();
  BuildEditor();
  BuildPlaceholderMenu();

  OpenDialog = new TOpenDialog(this);
  OpenDialog->SetName("OpenDialog");
  SaveDialog = new TSaveDialog(this);
  SaveDialog->SetName("SaveDialog");
  for (TOpenDialog* d : {OpenDialog, static_cast<TOpenDialog*>(SaveDialog)}) {
    d->SetDefaultExt("RTF");
    d->SetFilter(kFileFilter);
  }
  SaveDialog->SetOptions(SaveDialog->Options() | ofOverwritePrompt);

  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject*) {
    ReadPosition();
    FitToolbar();
    TabThroughToolBar(WPToolbar1);
    editLOutTitel->SetFocus();
  };
  OnResize = [this](TObject*) {
    PlaceRightButtons();
    FitToolbar();
  };
  OnHide = [this](TObject*) { WritePosition(); };
  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    escape_.KeyDown(key);
    // Einfg and Strg+S as on the entry windows' tool bars.
    TExplorerButton* const navs[] = {pbFirst, pbPrior, pbNext, pbLast, pbInsert, pbDelete, pbPost, pbCancel};
    const int tag = RecordKey(key, shift, ActiveControl());
    if (tag == 0 || !navs[tag - 1]->Enabled()) return;
    key = 0;
    navClick(navs[tag - 1]);
  };
  OnKeyPress = [this](TObject*, char& key) { escape_.KeyPress(key); };
  OnKeyUp = [this](TObject* s, Word& key, TShiftState shift) { FormKeyUp(s, key, shift); };
}

TfrmLayout::~TfrmLayout() { BeforeDestruction(); }

void TfrmLayout::BuildButtons() {
  pnlButtons = new TPanel(this);
  pnlButtons->SetName("pnlButtons");
  pnlButtons->SetParent(this);
  pnlButtons->SetCaption("");
  pnlButtons->SetBounds(0, 0, ClientWidth(), kPanelHeight);
  pnlButtons->SetAlign(alTop);
  struct Nav {
    TExplorerButton** Button;
    const char* Name;
    const char* Icon;
    const char* Hint;
  };
  const Nav navs[] = {{&pbFirst, "pbFirst", "WPI_TOSTART", "Erste Vorlage"},
                      {&pbPrior, "pbPrior", "WPI_PREV", "Vorherige Vorlage"},
                      {&pbNext, "pbNext", "WPI_NEXT", "N\xE4" "chste Vorlage"},
                      {&pbLast, "pbLast", "WPI_TOEND", "Letzte Vorlage"},
                      {&pbInsert, "pbInsert", "WPI_ADD", "Neue Vorlage (Einfg)"},
                      {&pbDelete, "pbDelete", "WPI_DEL", "Vorlage l\xF6schen"},
                      {&pbPost, "pbPost", "WPI_POST", "Vorlage speichern (Strg+S)"},
                      {&pbCancel, "pbCancel", "WPI_CANCEL", "\xC4nderungen verwerfen"}};
  int left = 4, tag = nbFirst;
  for (const Nav& n : navs) {
    auto* b = new TExplorerButton(this);
    b->SetName(n.Name);
    b->SetParent(pnlButtons);
    b->SetTag(tag++);
    b->SetBitmap(WPIconBitmap(n.Icon).get());
    // In colour, so that an enabled button never looks like a disabled one.
    b->SetOptions(b->Options() & ~EBOpt(boMonoDisplay));
    b->SetHint(n.Hint);
    b->SetBounds(left, 4, kNavWidth, kButtonHeight);
    b->SetTabStop(true);
    b->OnClick = [this](TObject* s) { navClick(s); };
    left += kNavWidth + (tag == nbInsert ? 8 : 0);
    *n.Button = b;
  }
  // Flat buttons with their pictures, as in the entry windows.
  auto button = [this](const char* name, const AnsiString& caption, std::unique_ptr<TBitmap> picture, int left) {
    TExplorerButton* b = MakeFlatButton(this, pnlButtons, name, caption);
    b->SetBitmap(picture.get());
    b->SetBounds(left, 4, kButtonWidth, kButtonHeight);
    b->SetTabStop(true);
    return b;
  };
  pbSuchen = button("pbSuchen", "Suchen", EditorPicture(epSearch), left + 12);
  pbSuchen->OnClick = [this](TObject* s) { pbSuchenClick(s); };
  pbHilfe = button("pbHilfe", "Hilfe", ToolPicture(tpHelp), 0);
  pbHilfe->OnClick = [this](TObject*) { ShowHelp(); };
  pbExit = button("pbExit", CP1252("Schließen").str(), ToolPicture(tpClose), 0);
  pbExit->OnClick = [this](TObject*) { Close(); };
  PlaceRightButtons();
}

void TfrmLayout::PlaceRightButtons() {
  // "Schließen" stays 4 pixels from the right edge, "Hilfe" 1 pixel left of it.
  pbExit->SetLeft(ClientWidth() - 4 - pbExit->Width());
  pbHilfe->SetLeft(pbExit->Left() - 1 - pbHilfe->Width());
}

void TfrmLayout::BuildHeader() {
  pnlHeader = new TPanel(this);
  pnlHeader->SetName("pnlHeader");
  pnlHeader->SetParent(this);
  pnlHeader->SetCaption("");
  pnlHeader->SetBevelOuter(bvNone);
  pnlHeader->SetBounds(0, kPanelHeight, ClientWidth(), kHeaderHeight);
  pnlHeader->SetAlign(alTop);
  lblLOutTitel = MakeLabel(this, pnlHeader, "lblLOutTitel", "Titel:", 8, 9);
  editLOutTitel = new TDBEdit(this);
  editLOutTitel->SetName("editLOutTitel");
  editLOutTitel->SetParent(pnlHeader);
  editLOutTitel->SetBounds(124, 6, 420, 22);
  editLOutTitel->SetDataSource(dsLOut);
  editLOutTitel->SetDataField("LOUT_TITEL");
  lblLOutTitel->SetFocusControl(editLOutTitel);
  lblLOutQuellTyp = MakeLabel(this, pnlHeader, "lblLOutQuellTyp", "Quelldatum ist:", 8, 37);
  cmbLOutQuellTyp = TypeCombo(this, pnlHeader, "cmbLOutQuellTyp", "LOUT_QUELLTYP",
                              {"Geburtsdatum\t0", "Beliebiges Datum\t1", "Bedeutungslos\t9"}, dsLOut);
  cmbLOutQuellTyp->SetBounds(124, 34, 150, 22);
  cmbLOutQuellTyp->OnCloseUp = [this](TObject* s, bool accept) { cmbLOutQuellTypCloseUp(s, accept); };
  lblLOutAusgTyp = MakeLabel(this, pnlHeader, "lblLOutAusgTyp", "Ausgabedatum ist:", 290, 37);
  cmbLOutAusgTyp = TypeCombo(this, pnlHeader, "cmbLOutAusgTyp", "LOUT_AUSGTYP",
                             {"Geburtsdatum + x Jahre\t0", "Geburtsdatum + x Tage\t1", "Quelldatum + x Jahre\t2",
                              "Quelldatum + x Tage\t3", "Beliebiges Datum\t4"},
                             dsLOut);
  cmbLOutAusgTyp->SetBounds(404, 34, 190, 22);
}

void TfrmLayout::BuildEditor() {
  WPToolbar1 = new TWPToolBar(this);
  WPToolbar1->SetName("WPToolbar1");
  SetGermanHints(WPToolbar1);
  WPToolbar1->SetParent(this);
  WPToolbar1->SetBounds(0, kPanelHeight + kHeaderHeight, ClientWidth(), kToolbarHeight);
  WPToolbar1->SetAlign(alTop);
  WPToolbar1->SetFontChoice(fsPrinterFonts);
  WPToolbar1->Setsel_ListBoxes(WPSet({SelFontName, SelFontSize, SelFontColor}));
  WPToolbar1->Setsel_ActionIcons(WPSet({SelOpen, SelSave}));
  WPToolbar1->Setsel_EditIcons(WPSet({SelCopy, SelCut, SelPaste, SelSelAll}));
  WPToolbar1->Setsel_StatusIcons(WPSet({SelNormal, SelBold, SelItalic, SelUnder}));
  WPToolbar1->OnIconSelection = [this](TObject* s, TWpSelNr& typ, const AnsiString& str, int group, int num,
                                       int index) { WPToolbar1IconSelection(s, typ, str, group, num, index); };
  auto toolButton = [this](const char* name, const char* caption, const AnsiString& hint) {
    auto* b = new TExplorerButton(this);
    b->SetName(name);
    b->SetCaption(caption);
    b->SetHint(hint);
    b->SetBounds(0, 2, 76, kToolbarHeight - 6);
    b->SetTabStop(true);
    return b;
  };
  pbParProps = toolButton("pbParProps", "Absatz", CP1252("Einzüge und Abstände des Absatzes").str());
  pbSeite = toolButton("pbSeite", "Seite", CP1252("Papierformat und Ränder").str());
  pbPlatzhalter = toolButton("pbPlatzhalter", "Platzhalter", CP1252("Einen Platzhalter einfügen").str());
  pbPlatzhalter->OnClick = [this](TObject* s) { pbPlatzhalterClick(s); };
  pbParProps->OnClick = [this](TObject* s) { pbParPropsClick(s); };
  pbSeite->OnClick = [this](TObject* s) { pbSeiteClick(s); };

  WPRuler1 = new TWPRuler(this);
  WPRuler1->SetName("WPRuler1");
  WPRuler1->SetParent(this);
  WPRuler1->SetBounds(0, kPanelHeight + kHeaderHeight + kToolbarHeight, ClientWidth(), kRulerHeight);
  WPRuler1->SetAlign(alTop);
  WPRuler1->SetNewTabKind(tkLeft);
  popupTabs = new TPopupMenu(this);
  popupTabs->SetName("popupTabs");
  int tag = 0;
  for (const char* caption : {"Links", "Rechts", "Dezimal", "Zentriert"}) {
    auto* item = new TMenuItem(this);
    item->SetCaption(caption);
    item->SetTag(tag++);
    item->SetChecked(item->Tag() == 0);
    item->OnClick = [this](TObject* s) { popTabClick(s); };
    popupTabs->Items()->Add(item);
  }
  WPRuler1->SetPopupMenu(popupTabs);

  DBWPRichText1 = new TDBWPRichText(this);
  DBWPRichText1->SetName("DBWPRichText1");
  DBWPRichText1->SetParent(this);
  DBWPRichText1->SetAlign(alClient);
  // A new template's text starts in the look of the default templates' text.
  DBWPRichText1->Font()->SetName("Times New Roman");
  DBWPRichText1->Font()->SetSize(11);
  DBWPRichText1->SetWordWrap(true);
  DBWPRichText1->SetScrollBars(ssVertical);
  DBWPRichText1->SetDataSource(dsLOut);
  DBWPRichText1->SetDataField("LOUT_TEXT");
  DBWPRichText1->SetWPToolBar(WPToolbar1);
  DBWPRichText1->SetWPRuler(WPRuler1);
  HintTabKeys(DBWPRichText1);
}

void TfrmLayout::BuildPlaceholderMenu() {
  popPlatzhalter = new TPopupMenu(this);
  popPlatzhalter->SetName("popPlatzhalter");
  std::vector<TMenuItem*> made;
  for (const TPlaceholderMenuItem& i : PlaceholderMenu()) {
    auto* item = new TMenuItem(this);
    item->SetName(i.Name);
    item->SetCaption(i.Caption);
    if (i.Placeholder) {
      item->SetTag(PlaceholderMenuTag(i.Name));
      item->OnClick = [this](TObject* s) { popPlatzhalterClick(s); };
    }
    (i.Parent < 0 ? popPlatzhalter->Items() : made[static_cast<std::size_t>(i.Parent)])->Add(item);
    made.push_back(item);
  }
}

// ---- the window's events -------------------------------------------------------------

void TfrmLayout::FormCreate(TObject*) {
  SetFormKey("VORLAGEN ERFASSEN");
  SetHelpContext(36);
  for (TControl* c : {static_cast<TControl*>(pbParProps), static_cast<TControl*>(pbSeite),
                      static_cast<TControl*>(pbPlatzhalter)})
    WPToolbar1->AddControl(c);
  OpenDialog->SetInitialDir(UserDataDir);
  SaveDialog->SetInitialDir(UserDataDir);
  OpenTableOrExplain(tblLOut);
  // An empty table reports no change of record: the navigator is set here,
  // so that it offers nothing to move to or delete.
  dsLOutDataChange(nullptr, nullptr);
  dsLOutStateChange(nullptr);
}

// The tool bar as high as the rows its icons and buttons take at its width.
void TfrmLayout::FitToolbar() {
  if (!WPToolbar1->HandleAllocated()) return;
  WPToolbar1->ArrangeControls();
  int bottom = 0;
  for (int i = 0; i < WPToolbar1->ControlCount(); ++i)
    if (WPToolbar1->Controls(i)->Visible())
      bottom = std::max(bottom, WPToolbar1->Controls(i)->Top() + WPToolbar1->Controls(i)->Height());
  if (bottom > 0 && WPToolbar1->Height() != bottom + 3) WPToolbar1->SetHeight(bottom + 3);
}

void TfrmLayout::FormCloseQuery(TObject*, bool& canClose) {
  const TDataSetState s = tblLOut->State();
  if (s != dsEdit && s != dsInsert) return;
  // A refused save (no title) raises: the window stays open with the message.
  switch (ConfirmSaveOnClose()) {
    case TSaveAnswer::Save: tblLOut->Post(); break;
    case TSaveAnswer::Discard: tblLOut->Cancel(); break;
    case TSaveAnswer::Stay: canClose = false; break;
  }
}

void TfrmLayout::FormKeyUp(TObject*, Word& key, TShiftState) {
  if (key == VK_ESCAPE) Close();
}

// As wide as the header and the buttons, as high as the bars and the
// header with 100 pixels of text.
TPoint TfrmLayout::MinimumSize() {
  const int header = std::max(cmbLOutAusgTyp->Left() + cmbLOutAusgTyp->Width(),
                              editLOutTitel->Left() + editLOutTitel->Width());
  const int buttons = pbSuchen->Left() + 3 * (kButtonWidth + 4);
  return {2 * GetSystemMetrics(SM_CXFRAME) + std::max(header, buttons) + 8,
          GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME) + pnlButtons->Height() +
              pnlHeader->Height() + WPToolbar1->Height() + WPRuler1->Height() + 100};
}

void TfrmLayout::navClick(TObject* sender) {
  switch (static_cast<TComponent*>(sender)->Tag()) {
    case nbFirst: tblLOut->First(); break;
    case nbPrior: tblLOut->Prior(); break;
    case nbNext: tblLOut->Next(); break;
    case nbLast: tblLOut->Last(); break;
    case nbInsert: tblLOut->Insert(); break;
    case nbDelete: tblLOut->Delete(); break;
    case nbPost: tblLOut->Post(); break;
    case nbCancel: tblLOut->Cancel(); break;
    default: break;
  }
}

void TfrmLayout::pbSuchenClick(TObject*) {
  int number = tblLOut->IsEmpty() ? 0 : tblLOut->FieldByName("LOUT_ID")->AsInteger();
  if (ShowListLOut(number, false)) LocateLayout(number);
}

void TfrmLayout::LocateLayout(int number) {
  tblLOut->SetIndexName("XLOUT_ID");
  const bool found = tblLOut->FindKey({number});
  const AnsiString title = found ? tblLOut->FieldByName("LOUT_TITEL")->AsString() : AnsiString();
  tblLOut->SetIndexName("XLOUT_TITEL");
  if (found) tblLOut->FindKey({title, number});
}

// Below the placeholder button, at its left edge.
void TfrmLayout::pbPlatzhalterClick(TObject*) {
  const TPoint at = pbPlatzhalter->ClientToScreen({0, pbPlatzhalter->Height()});
  popPlatzhalter->Popup(at.X, at.Y);
}

// The paragraph dialog on the cursor's paragraph (or the selected ones).
void TfrmLayout::pbParPropsClick(TObject*) {
  if (EditParagraphs(DBWPRichText1)) WPRuler1->Invalidate();
}

// The page of the template; every sheet made from it takes it over.
void TfrmLayout::pbSeiteClick(TObject*) {
  PageSettings page;
  ReadPageRecord(DBWPRichText1, page);
  const PageSettings held = page;
  if (!ShowPageSetupDialog(page)) return;
  // Only a changed page edits the template: OK on the page it has changes nothing.
  const auto six = [](const PageSettings& p) {
    return std::tuple(p.PaperWidth, p.PaperHeight, p.MarginTop, p.MarginBottom, p.MarginLeft, p.MarginRight);
  };
  if (six(page) == six(held)) return;
  ApplyPageRecord(DBWPRichText1, page);
  WPRuler1->Invalidate();
}

void TfrmLayout::popPlatzhalterClick(TObject* sender) {
  if (const char* p = PlaceholderOfTag(static_cast<TComponent*>(sender)->Tag())) DBWPRichText1->InsertText(p);
}

void TfrmLayout::popTabClick(TObject* sender) {
  auto* chosen = static_cast<TMenuItem*>(sender);
  for (int i = 0; i < popupTabs->Items()->Count(); ++i) popupTabs->Items()->Items(i)->SetChecked(false);
  static const TTabKind kinds[] = {tkLeft, tkRight, tkDecimal, tkCenter};
  WPRuler1->SetNewTabKind(kinds[std::clamp(chosen->Tag(), 0, 3)]);
  chosen->SetChecked(true);
}

void TfrmLayout::WPToolbar1IconSelection(TObject*, TWpSelNr& typ, const AnsiString&, int group, int num, int) {
  if (group != kFileGroup || (num != kOpenIcon && num != kSaveIcon)) return;
  typ = 0;  // handled here, not by the tool bar
  if (num == kOpenIcon) {
    if (OpenDialog->Execute()) ImportFile(OpenDialog->FileName());
  } else if (SaveDialog->Execute()) {
    ExportFile(SaveDialog->FileName());
  }
}

void TfrmLayout::ImportFile(const AnsiString& fileName) {
  const AnsiString shown = ShownFileName(fileName);
  TMemoryStream file;
  try {
    file.LoadFromFile(fileName);
  } catch (const Exception& e) {
    throw EInvalidData(e.Message());  // names the file and why
  }
  std::u32string leftOut;
  const std::string data = FileText(std::string_view(static_cast<const char*>(file.Memory()), file.Size()), leftOut);
  const bool rtf = IsRtf(data);
  if (!rtf && !IsPlainText(data))
    throw EInvalidData("Die Datei \"" + shown + "\" ist weder eine RTF- noch eine Textdatei; sie wird nicht geladen.");
  TWPRTFTextIo text;
  TMemoryStream stream;
  stream.WriteBuffer(data.data(), static_cast<int>(data.size()));
  stream.SetPosition(0);
  bool read = true;
  try {
    text.LoadFromStream(&stream);
  } catch (const std::exception&) {
    read = false;
  }
  if (!read || text.LastResult != 0)
    throw EInvalidData("Die Datei \"" + shown + "\" enth\xE4lt fehlerhaftes RTF; sie wird nicht geladen.");
  // Once the editor's change check has put the template into edit state,
  // its text is cleared, taking the editor's font, and the file is loaded
  // into it.
  if (!DBWPRichText1->ChangeCheck()) return;
  // The template's page stays unless the file names its own: clearing puts
  // the engine's page in, so the template's goes back before the file is
  // read, which replaces each page value the file holds.
  PageSettings page;
  ReadPageRecord(DBWPRichText1, page);
  DBWPRichText1->ClearDocument();
  TWPRTFTextInput* engine = DBWPRichText1->RtfText();
  engine->SetPage(page.MarginLeft, page.MarginRight, page.MarginTop, page.MarginBottom, page.PaperWidth,
                  page.PaperHeight);
  const TWPLoadFormat format = engine->LoadFormat;
  engine->LoadFormat = rtf ? FormatRTF : FormatANSI;
  stream.SetPosition(0);
  DBWPRichText1->LoadFromStream(&stream);
  engine->LoadFormat = format;
  DBWPRichText1->Change();
  leftOut += text.LastLeftOut;
  ShowLeftOutNotice(this, leftOut, true);
  ShowColorsChangedNotice(this, text.LastColorsChanged, true);
}

void TfrmLayout::ExportFile(const AnsiString& fileName) {
  try {
    DBWPRichText1->SaveToFile(fileName);
  } catch (const Exception& e) {
    throw EInvalidData(e.Message());  // names the file and why
  } catch (const std::exception&) {
    throw EInvalidData("Die Datei \"" + ShownFileName(fileName) + "\" kann nicht geschrieben werden.");
  }
}

void TfrmLayout::cmbLOutQuellTypCloseUp(TObject*, bool) { ShowOutputType(cmbLOutQuellTyp->GetItemIndex() < 2); }

void TfrmLayout::ShowOutputType(bool visible) {
  lblLOutAusgTyp->SetVisible(visible);
  cmbLOutAusgTyp->SetVisible(visible);
}

void TfrmLayout::dsLOutDataChange(TObject*, TField*) {
  const bool active = tblLOut->Active();
  for (TExplorerButton* b : {pbFirst, pbPrior}) b->SetEnabled(active && !tblLOut->Bof());
  for (TExplorerButton* b : {pbNext, pbLast}) b->SetEnabled(active && !tblLOut->Eof());
  pbDelete->SetEnabled(active && tblLOut->CanModify() && !tblLOut->IsEmpty());
  ShowOutputType(!active || tblLOut->FieldByName("LOUT_QUELLTYP")->AsInteger() < 9);
}

void TfrmLayout::dsLOutStateChange(TObject*) {
  const bool editing = tblLOut->State() == dsEdit || tblLOut->State() == dsInsert;
  pbPost->SetEnabled(editing);
  pbCancel->SetEnabled(editing);
  pbInsert->SetEnabled(!editing);
}

// ---- the table's events ------------------------------------------------------------------

void TfrmLayout::tblLOutNewRecord(TDataSet* d) {
  OpenTableOrExplain(tblLOutTest);
  tblLOutTest->Last();
  const int highest = tblLOutTest->IsEmpty() ? 0 : tblLOutTest->FieldByName("LOUT_ID")->AsInteger();
  tblLOutTest->Close();
  d->FieldByName("LOUT_ID")->SetAsInteger(std::max(highest + 1, 1000));
  d->FieldByName("LOUT_QUELLTYP")->SetAsInteger(0);
  d->FieldByName("LOUT_AUSGTYP")->SetAsInteger(otBirthPlusYears);
  if (editLOutTitel->CanFocus()) editLOutTitel->SetFocus();
}

void TfrmLayout::tblLOutBeforePost(TDataSet* d) {
  if (Trim(d->FieldByName("LOUT_TITEL")->AsString()).empty())
    throw EInvalidData("Geben Sie bitte der Vorlage im Feld \"Titel\" einen Namen");
}

void TfrmLayout::tblLOutAfterPost(TDataSet* d) {
  if (d->FieldByName("LOUT_ID")->AsInteger() >= 1000 && TemplateNotice) ShowOnSave();
}

void TfrmLayout::tblLOutBeforeDelete(TDataSet*) {
  if (MessageDlg(CP1252("Vorlage löschen?").str(), mtConfirmation, mbYes | mbNo, 0) != mrYes)
    throw EInvalidData(CP1252("Vorlage wird nicht gelöscht").str());
}

void ShowLayout(int& number) {
  TfrmLayout* f = nullptr;
  Application->CreateForm(f);
  if (number > 0) f->LocateLayout(number);
  f->ShowModal();
  number = f->tblLOut->IsEmpty() ? 0 : f->tblLOut->FieldByName("LOUT_ID")->AsInteger();
  delete f;
}
