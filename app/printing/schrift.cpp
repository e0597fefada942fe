// The font dialog (schrift.h).
#include "app/printing/schrift.h"

#include <algorithm>

#include "app/windows/parprops.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "resources/pictures.h"

namespace {

constexpr int kFontNameLength = 32;

}  // namespace

TfrmSchrift::TfrmSchrift(TComponent* owner)
    : TfrmSettingsDialog(owner, "frmSchrift", "Schrift", "SCHRIFTDEFINITIONEN", 91, 330, 180, false) {
  pbParProps = MakeToolButton(this, pnlTop, "pbParProps", "Absatz", bpHelp, [this](TObject*) { pbParPropsClick(); });
  pbParProps->SetBitmap(PreviewPicture(ppParagraph).get());
  pbParProps->SetLeft(pbHilfe->Left() + pbHilfe->Width() + 1);
  pbParProps->SetTabStop(true);
  const int top = kToolPanelHeight + 12;
  lblFonts = AddLabel(this, this, "&Schriftart:", 12, top + 3);
  cmbFonts = MakeFontList(this, this, "cmbFonts", 100, top, 216);
  lblFonts->SetFocusControl(cmbFonts);
  lblSize = AddLabel(this, this, CP1252("&Größe:").str(), 12, top + 31);
  cmbSize = MakeSizeList(this, this, "cmbSize", 100, top + 28, 60);
  lblSize->SetFocusControl(cmbSize);
  lblColor = AddLabel(this, this, "&Text Farbe:", 12, top + 59);
  cmbTextColor = MakeColourList(this, this, "cmbTextColor", 100, top + 56, 100);
  lblColor->SetFocusControl(cmbTextColor);
  cbBold = AddCheckBox(this, this, "cbBold", "&Fett", 12, top + 90, 80);
  cbItalic = AddCheckBox(this, this, "cbItalic", "&Kursiv", 100, top + 90, 80);
  cbUnderline = AddCheckBox(this, this, "cbUnderline", "&Unterstrichen", 190, top + 90, 120);
  FirstFocus = cmbFonts;
}

void TfrmSchrift::SetStyle(const TextStyleSettings& style) {
  style_ = style;
  SelectItem(cmbFonts, style.Font.FontName);
  SelectItem(cmbSize, IntToStr(style.Font.Size));
  cmbTextColor->SetItemIndex(ColourListIndex(style.Attr.TextColour));
  cbBold->SetChecked(style.Attr.Styles & tsBold);
  cbItalic->SetChecked(style.Attr.Styles & tsItalic);
  cbUnderline->SetChecked(style.Attr.Styles & tsUnderline);
}

const TextStyleSettings& TfrmSchrift::Style() {
  // A list without a selection keeps the stored value.
  if (cmbFonts->ItemIndex() >= 0)
    style_.Font.FontName = cmbFonts->Items()->Strings(cmbFonts->ItemIndex()).substr(0, kFontNameLength);
  if (cmbSize->ItemIndex() >= 0)
    style_.Font.Size =
        static_cast<uint8_t>(std::clamp(StrToIntDef(cmbSize->Items()->Strings(cmbSize->ItemIndex()), 10), 0, 255));
  if (cmbTextColor->ItemIndex() >= 0) style_.Attr.TextColour = static_cast<uint8_t>(cmbTextColor->ItemIndex());
  auto bit = [this](uint32_t b, bool on) {
    style_.Attr.Styles = on ? style_.Attr.Styles | b : style_.Attr.Styles & ~b;
  };
  bit(tsBold, cbBold->Checked());
  bit(tsItalic, cbItalic->Checked());
  bit(tsUnderline, cbUnderline->Checked());
  return style_;
}

void TfrmSchrift::pbParPropsClick() { ShowParProps(style_.Para); }

bool ShowSchrift(TextStyleSettings& style) {
  auto* f = new TfrmSchrift(Application);
  f->SetStyle(style);
  TextStyleSettings copy = style;
  const int result = ShowModalAndFree(f, [&] { copy = f->Style(); });
  if (result != mrOk) return false;
  style = copy;
  return true;
}
