// The display-settings dialogs (dispdef.h).
#include "app/dialogs/dispdef.h"

#include <algorithm>

#include "app/dialogs/dispsample.h"
#include "app/dialogs/stildef.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr int kOptionsHeight = 126;
constexpr int kElementsWidth = 118;
constexpr int kElementWidth = 106, kElementHeight = 24, kElementStep = 27;
constexpr int kSwitchTop = 38, kSwitchStep = 21;
constexpr int kFontNameLength = 32, kRubricTitleLength = 30;
// Media links "Über den Namen".
constexpr int kMediaByName = 2;

struct DialogInfo {
  AnsiString Caption;
  const char* FormKey;
  int Help;
};
DialogInfo InfoOf(int rubric) {
  switch (rubric) {
    case rbPersonal: return {CP1252("Darstellung: Persönliche Daten").str(), "DARSTELLUNG: PERSOENLICHES", 22};
    case rbBirths: return {CP1252("Darstellung: Geburtstage").str(), "DARSTELLUNG: GEBURTSTAGE", 23};
    case rbDeaths: return {CP1252("Darstellung: Todestage").str(), "DARSTELLUNG: TODESTAGE", 24};
    case rbEvents: return {CP1252("Darstellung: Ereignisse").str(), "DARSTELLUNG: EREIGNISSE", 25};
    case rbNameDays: return {CP1252("Darstellung: Namenstage").str(), "DARSTELLUNG: NAMENSTAGE", 26};
    default: return {CP1252("Darstellung: Feiertage").str(), "DARSTELLUNG: FEIERTAGE", 27};
  }
}

std::vector<AnsiString> ThreeMediaLinks() { return {"Keine", "Mit Symbol", CP1252("Über den Namen").str()}; }

}  // namespace

TfrmDispDef::TfrmDispDef(TComponent* owner, const char* name, int rubric)
    : TfrmSettingsDialog(owner, name, InfoOf(rubric).Caption, InfoOf(rubric).FormKey, InfoOf(rubric).Help, 600, 440,
                         true),
      s_(RubricDisplay[rubric]),
      rubric_(rubric) {
  pnlOptions = MakePanel(this, this, "pnlOptions");
  pnlOptions->SetBounds(0, kToolPanelHeight + 2, ClientWidth(), kOptionsHeight);
  pnlOptions->SetAlign(alTop);
  lblFont = AddLabel(this, pnlOptions, "Schriftart:", 8, 11);
  cmbFont = MakeFontList(this, pnlOptions, "cmbFont", 80, 8, 170);
  lblFont->SetFocusControl(cmbFont);
  lblSize = AddLabel(this, pnlOptions, CP1252("Größe:").str(), 262, 11);
  cmbSize = MakeSizeList(this, pnlOptions, "cmbSize", 306, 8, 56);
  lblSize->SetFocusControl(cmbSize);
  lblShow = AddLabel(this, pnlOptions, "Anzeigen:", 8, kSwitchTop + 2);
  cmbFont->OnChange = [this](TObject*) { FontChange(); };
  cmbSize->OnChange = [this](TObject*) { SizeChange(); };

  pnlElements = MakePanel(this, this, "pnlElements");
  pnlElements->SetBounds(ClientWidth() - kElementsWidth, 0, kElementsWidth, 100);
  pnlElements->SetAlign(alRight);
  pnlSample = MakePanel(this, this, "pnlSample");
  pnlSample->SetBorderWidth(5);
  pnlSample->SetAlign(alClient);
  // The sample shows what the dialog wrote; typing must not change it.
  WPRichText1 = MakePageView(this, pnlSample);
  WPRichText1->SetCaretDisabled(true);
  WPRichText1->SetNoBlockMarking(true);
  WPRichText1->SetOneClickHyperlink(true);
  FirstFocus = cmbFont;
}

void TfrmDispDef::BuildControls(const std::vector<AnsiString>& switches, const std::vector<TDispElement>& elements,
                                const std::vector<AnsiString>& mediaLinks) {
  for (size_t i = 0; i < switches.size(); ++i) {
    const AnsiString n = "cbSwitch" + IntToStr(static_cast<int>(i));
    TCheckBox* c =
        AddCheckBox(this, pnlOptions, n.c_str(), switches[i], 80, kSwitchTop + static_cast<int>(i) * kSwitchStep, 124);
    c->OnClick = [this, i](TObject*) { SwitchClick(static_cast<int>(i)); };
    cbSwitches.push_back(c);
  }
  if (!mediaLinks.empty()) {
    rgMediaLinks = new TRadioGroup(this);
    rgMediaLinks->SetName("rgMediaLinks");
    rgMediaLinks->SetParent(pnlOptions);
    rgMediaLinks->SetCaption(" Media Links ");
    rgMediaLinks->SetBounds(kExtraLeft, 32, 150, 88);
    for (const AnsiString& m : mediaLinks) rgMediaLinks->Items()->Add(m);
    rgMediaLinks->OnClick = [this](TObject*) { MediaLinksClick(); };
  }
  elements_ = elements;
  for (size_t i = 0; i < elements.size(); ++i) {
    auto* b = new TExplorerButton(this);
    b->SetName(("pbElement" + IntToStr(static_cast<int>(i))).c_str());
    b->SetParent(pnlElements);
    b->SetCaption(elements[i].Caption);
    b->SetBounds(6, 4 + static_cast<int>(i) * kElementStep, kElementWidth, kElementHeight);
    b->SetTabStop(true);
    b->OnClick = [this, i](TObject*) { EditElement(static_cast<int>(i)); };
    pbElements.push_back(b);
  }
}

void TfrmDispDef::DialogShow() {
  ShowSettings();
  ApplyEnabling();
  RefreshSample();
}

void TfrmDispDef::ShowSettings() {
  showing_ = true;
  SelectItem(cmbFont, s_.Font.FontName);
  SelectItem(cmbSize, IntToStr(s_.Font.Size));
  for (size_t i = 0; i < cbSwitches.size(); ++i) cbSwitches[i]->SetChecked(s_.Switches[i]);
  if (rgMediaLinks) rgMediaLinks->SetItemIndex(s_.MediaLinks);
  showing_ = false;
}

void TfrmDispDef::ApplyEnabling() {
  for (size_t i = 0; i < pbElements.size(); ++i) {
    const TDispElement& e = elements_[i];
    bool on = e.Switch < 0 || s_.Switches[e.Switch];
    if (e.HiddenByNameLinks && s_.MediaLinks == kMediaByName) on = false;
    pbElements[i]->SetEnabled(on);
  }
}

void TfrmDispDef::RefreshSample() {
  ++samplesBuilt_;
  BuildDisplaySample(WPRichText1, rubric_, s_);
}

void TfrmDispDef::SwitchClick(int index) {
  if (showing_) return;
  s_.Switches[index] = cbSwitches[static_cast<size_t>(index)]->Checked();
  ApplyEnabling();
  RefreshSample();
}

void TfrmDispDef::MediaLinksClick() {
  if (showing_ || rgMediaLinks->ItemIndex() < 0) return;
  s_.MediaLinks = rgMediaLinks->ItemIndex();
  ApplyEnabling();
  RefreshSample();
}

void TfrmDispDef::FontChange() {
  if (showing_ || cmbFont->ItemIndex() < 0) return;
  s_.Font.FontName = cmbFont->Items()->Strings(cmbFont->ItemIndex()).substr(0, kFontNameLength);
  RefreshSample();
}

void TfrmDispDef::SizeChange() {
  if (showing_ || cmbSize->ItemIndex() < 0) return;
  s_.Font.Size =
      static_cast<uint8_t>(std::clamp(StrToIntDef(cmbSize->Items()->Strings(cmbSize->ItemIndex()), 10), 0, 255));
  RefreshSample();
}

void TfrmDispDef::EditElement(int element) {
  const bool hyperlink = DisplayLayoutOf(rubric_).AttrNames[element] == std::string_view("Hyperlink");
  ShowTextAttrDialog(s_.Attr[element], hyperlink, Caption(), pbElements[static_cast<size_t>(element)]->Caption());
  RefreshSample();
}

void TfrmDispDef::pbOkClick() {
  RubricDisplay[rubric_] = s_;
  StoreExtras();
  SetModalResult(mrOk);
}

void TfrmDispDef::DialogResize() {
  if (Showing()) RefreshSample();
}

TPoint TfrmDispDef::MinimumSize() {
  const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
  int buttons = 0;
  if (!pbElements.empty()) buttons = pbElements.back()->Top() + pbElements.back()->Height() + 4;
  return {cmbSize->Left() + cmbSize->Width() + 4 + 2 * frameX,
          GetSystemMetrics(SM_CYCAPTION) + 2 * frameY + pnlTop->Height() + bvlTop->Height() + pnlOptions->Height() +
              buttons + (SizeBar ? SizeBar->Height() : 0)};
}

// ---- the five dialogs ----------------------------------------------------------------

TfrmEigeDef::TfrmEigeDef(TComponent* owner) : TfrmDispDef(owner, "frmEigeDef", rbPersonal) {
  BuildControls({"Geburtsort", "Geburtszeit", "Anzahl Jahre", CP1252("Jubiläum").str()},
                {{"Jahreszahl"}, {"Anzahl Jahre", dpYears}, {CP1252("Jubiläum").str(), dpJubilee}, {"Name"}, {"Text"}},
                {});
  lblTitel = AddLabel(this, pnlOptions, "Rubriktitel:", kExtraLeft, kSwitchTop + 2);
  editTitel = new TEdit(this);
  editTitel->SetName("editTitel");
  editTitel->SetParent(pnlOptions);
  editTitel->SetBounds(kExtraLeft, kSwitchTop + 20, 150, 21);
  editTitel->SetMaxLength(40);
  lblTitel->SetFocusControl(editTitel);
}

void TfrmEigeDef::ShowSettings() {
  TfrmDispDef::ShowSettings();
  editTitel->SetText(s_.RubricTitle);
}

void TfrmEigeDef::StoreExtras() {
  // An emptied title keeps the one before.
  const AnsiString title = editTitel->Text();
  if (!title.empty()) RubricDisplay[rbPersonal].RubricTitle = title.substr(0, kRubricTitleLength);
}

TfrmPersDef::TfrmPersDef(TComponent* owner, int mode)
    : TfrmDispDef(owner, "frmPersDef", mode == rbDeaths ? rbDeaths : rbBirths) {
  const bool births = Rubric() == rbBirths;
  const AnsiString place = births ? "Geburtsort" : "Todesort";
  const AnsiString date = births ? "Todesdatum" : "Geburtsdatum";
  BuildControls({place, date, "Anzahl Jahre", CP1252("Jubiläum").str()},
                {{"Jahreszahl"},
                 {"Anzahl Jahre", dbYears},
                 {CP1252("Jubiläum").str(), dbJubilee},
                 {"Name", -1, true},
                 {place, dbPlace},
                 {"Beruf"},
                 {date, dbOtherDate},
                 {"Text"},
                 {"Hyperlinks"}},
                ThreeMediaLinks());
}

TfrmEreiDef::TfrmEreiDef(TComponent* owner) : TfrmDispDef(owner, "frmEreiDef", rbEvents) {
  BuildControls(
      {"Anzahl Jahre", CP1252("Jubiläum").str()},
      {{"Jahreszahl"}, {"Anzahl Jahre", deYears}, {CP1252("Jubiläum").str(), deJubilee}, {"Text"}, {"Hyperlinks"}},
      {"Keine", "Mit Symbol"});
}

TfrmNameDef::TfrmNameDef(TComponent* owner) : TfrmDispDef(owner, "frmNameDef", rbNameDays) {
  BuildControls({"Namensformen", "Lebensdaten", "Patron(in) von"},
                {{"Namensformen", dnNameForms},
                 {"Name", -1, true},
                 {"Beruf"},
                 {"Lebensdaten", dnLifeDates},
                 {"Patron(in) von", dnPatronOf},
                 {"Text"},
                 {"Hyperlinks"}},
                ThreeMediaLinks());
}

TfrmFTagDef::TfrmFTagDef(TComponent* owner) : TfrmDispDef(owner, "frmFTagDef", rbHolidays) {
  BuildControls({"Anmerkungen"}, {{"Land"}, {"Anmerkungen", dhNotes}, {"Text"}, {"Hyperlinks"}}, {});
}

int ShowRubricDisp(int rubric) {
  TfrmDispDef* f = nullptr;
  switch (rubric) {
    case rbPersonal: f = new TfrmEigeDef(Application); break;
    case rbBirths:
    case rbDeaths: f = new TfrmPersDef(Application, rubric); break;
    case rbEvents: f = new TfrmEreiDef(Application); break;
    case rbNameDays: f = new TfrmNameDef(Application); break;
    case rbHolidays: f = new TfrmFTagDef(Application); break;
    default: return mrCancel;
  }
  const int result = ShowModalAndFree(f);
  if (result == mrOk) StoreSettings();
  return result;
}

int ShowEigeDisp() { return ShowRubricDisp(rbPersonal); }
int ShowPersDisp(int mode) { return ShowRubricDisp(mode == rbDeaths ? rbDeaths : rbBirths); }
int ShowEreiDisp() { return ShowRubricDisp(rbEvents); }
int ShowNameDisp() { return ShowRubricDisp(rbNameDays); }
int ShowFTagDisp() { return ShowRubricDisp(rbHolidays); }
