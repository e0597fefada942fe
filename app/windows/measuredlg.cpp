// The common part of the paragraph and the page dialog (measuredlg.h).
#include "app/windows/measuredlg.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"

namespace {

// Centimetres per twip and twips per centimetre, as the dialogs have always
// used them (566.929, not 1440 / 2.54).
constexpr double kCmPerTwip = 0.0017638893053627527;
constexpr double kTwipsPerCm = 566.929;

constexpr int kClientWidth = 320;
constexpr int kRowHeight = 26, kGroupTop = 20;
constexpr int kLabelLeft = 12, kEditLeft = 110, kEditWidth = 80, kUnitLeft = 196;

const char* const kUnitNames[] = {"cm", "inch", "twips"};

}  // namespace

AnsiString TwipsToUnitText(int32_t twips, int unit) {
  switch (unit) {
    case muCm: return FloatToStrFixed(twips * kCmPerTwip, 2);
    case muInch: return FloatToStrFixed(twips / 1440.0, 2);
    default: return IntToStr(twips);
  }
}

bool UnitTextToTwips(const AnsiString& text, int unit, int32_t& twips) {
  if (Trim(text).empty()) {
    twips = 0;
    return true;
  }
  double v = 0;
  if (!TryStrToFloat(text, v) || !std::isfinite(v)) return false;
  if (unit == muCm)
    v *= kTwipsPerCm;
  else if (unit == muInch)
    v *= 1440;
  // The nearest whole number, halves to the even one.
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const double r = std::nearbyint(v);
  std::fesetround(saved);
  if (r < std::numeric_limits<int32_t>::min() || r > std::numeric_limits<int32_t>::max()) return false;
  twips = static_cast<int32_t>(r);
  return true;
}

TfrmMeasureDialog::TfrmMeasureDialog(TComponent* owner, const char* name, const AnsiString& caption,
                                     const AnsiString& formKey, int helpContext)
    : TOrvelanForm(owner) {
  SetFormName(name);
  SetCaption(caption);
  SetBorderStyle(bsDialog);
  SetWindowLook(this);
  SetClientSize(kClientWidth, 200);
  SetFormKey(formKey);
  SetHelpContext(helpContext);

  pnlTop = MakeToolPanel(this, this, bvlTop);
  MakeDialogButtons(this, pnlTop, pbHilfe, pbCancel, pbOk, [this](TObject*) { pbOkClick(); });

  lblUnits = MakeLabel(this, this, "lblUnits", CP1252("Maße:").str(), kLabelLeft, kToolPanelHeight + 16);
  cmbUnits = new TComboBox(this);
  cmbUnits->SetName("cmbUnits");
  cmbUnits->SetParent(this);
  cmbUnits->SetStyle(csDropDownList);
  cmbUnits->SetBounds(kEditLeft, kToolPanelHeight + 12, kEditWidth, 21);
  for (const char* u : kUnitNames) cmbUnits->Items()->Add(u);
  // The unit is not stored: every dialog starts in centimetres.
  cmbUnits->SetItemIndex(muCm);
  cmbUnits->OnChange = [this](TObject*) { cmbUnitsChange(); };
  OnKeyDown = [this](TObject* s, Word& key, TShiftState shift) { FormKeyDown(s, key, shift); };
  OnShow = [this](TObject*) { ReadPosition(); };
  OnHide = [this](TObject*) { WritePosition(); };
}

int TfrmMeasureDialog::GroupHeight(int rows) { return kGroupTop + rows * kRowHeight + 6; }
int TfrmMeasureDialog::RowTop(int row) { return kGroupTop + row * kRowHeight; }
int TfrmMeasureDialog::EditLeft() { return kEditLeft - 8; }
int TfrmMeasureDialog::EditWidth() { return kEditWidth; }

TGroupBox* TfrmMeasureDialog::MakeGroup(const char* name, const AnsiString& caption, int top,
                                        const std::vector<std::pair<int, AnsiString>>& rows, int freeRows) {
  auto* g = new TGroupBox(this);
  g->SetName(name);
  g->SetParent(this);
  g->SetCaption(caption);
  g->SetBounds(8, top, kClientWidth - 16, GroupHeight(static_cast<int>(rows.size()) + freeRows));
  int y = RowTop(freeRows);
  for (const auto& [index, text] : rows) {
    const AnsiString n = IntToStr(index);
    auto* e = new TEdit(this);
    e->SetName(("Edit" + n).c_str());
    e->SetParent(g);
    e->SetBounds(kEditLeft - 8, y, kEditWidth, 21);
    e->SetTag(index);
    e->OnChange = [this, e](TObject*) { EditChange(e); };
    Edits[index - 1] = e;
    EditLabels[index - 1] = MakeLabel(this, g, ("lblEdit" + n).c_str(), text, kLabelLeft - 8, y + 3);
    TLabel* unit = MakeLabel(this, g, ("lblUnit" + n).c_str(), "cm", kUnitLeft - 8, y + 3);
    unit->SetTag(1);
    y += kRowHeight;
  }
  return g;
}

void TfrmMeasureDialog::PlaceButtons() {
  pbHilfe->SetLeft(4);
  pbOk->SetLeft(pnlTop->Width() - pbOk->Width() - 4);
  pbCancel->SetLeft(pbOk->Left() - 1 - pbCancel->Width());
}

void TfrmMeasureDialog::ShowValues() {
  showing_ = true;
  TScopeExit shown{[this] { showing_ = false; }};
  const int unit = Unit();
  for (TEdit* e : Edits)
    if (e) {
      e->SetText(TwipsToUnitText(values_[e->Tag()], unit));
      invalid_[e->Tag()] = false;
    }
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* l = dynamic_cast<TLabel*>(Components(i)); l && l->Tag() == 1) l->SetCaption(kUnitNames[unit]);
}

void TfrmMeasureDialog::EditChange(TEdit* edit) {
  if (showing_) return;
  int32_t twips = 0;
  const bool ok = UnitTextToTwips(edit->Text(), Unit(), twips);
  if (ok) values_[edit->Tag()] = twips;
  invalid_[edit->Tag()] = !ok;
}

void TfrmMeasureDialog::cmbUnitsChange() { ShowValues(); }

void TfrmMeasureDialog::pbOkClick() {
  for (TEdit* e : Edits) {
    if (!e || !invalid_[e->Tag()]) continue;
    AnsiString field = EditLabels[e->Tag() - 1]->Caption();
    if (!field.empty() && field.back() == ':') field.pop_back();
    Application->MessageBox(CP1252("Die Eingabe \"").str() + e->Text() + "\" bei \"" + field +
                                CP1252("\" ist keine Zahl.\r\rBitte geben Sie eine Zahl ein, zum Beispiel ").str() +
                                TwipsToUnitText(values_[e->Tag()], Unit()) + ".",
                            Caption(), MB_OK | MB_ICONWARNING);
    if (e->CanFocus()) e->SetFocus();
    return;
  }
  SetModalResult(mrOk);
}

void TfrmMeasureDialog::FormKeyDown(TObject*, Word& key, TShiftState) {
  DialogEnterEscape(this, key, pbOk, [this] { pbOkClick(); });
}
