// The paragraph dialog (parprops.h).
#include "app/windows/parprops.h"

#include "platform/rtl/cp1252.h"

TfrmParProps::TfrmParProps(TComponent* owner)
    : TfrmMeasureDialog(owner, "frmParProps", "Absatz", "ABSATZDEFINITIONEN", 49) {
  const int top = kToolPanelHeight + 44;
  grpEinzug = MakeGroup("grpEinzug", " Einzug ", top, {{1, CP1252("Hängend:").str()}, {2, "Links:"}, {3, "Rechts:"}});
  grpAbstand = MakeGroup("grpAbstand", " Abstand ", top + GroupHeight(3) + 8,
                         {{4, "Vor:"}, {5, CP1252("Zeilenhöhe:").str()}, {6, "Nach:"}});
  SetClientSize(ClientWidth(), grpAbstand->Top() + grpAbstand->Height() + 10);
  PlaceButtons();
  OnShow = [this](TObject*) {
    ReadPosition();
    SetActiveControl(Edits[1]);
    ShowValues();
  };
}

void TfrmParProps::SetRecord(const ParagraphSettings& p) {
  const int32_t v[] = {p.Hanging, p.IndentLeft, p.IndentRight, p.SpaceBefore, p.LineSpacing, p.SpaceAfter};
  for (int i = 1; i <= 6; ++i) SetValue(i, v[i - 1]);
}

ParagraphSettings TfrmParProps::Record() const {
  ParagraphSettings p;
  p.Hanging = Value(1);
  p.IndentLeft = Value(2);
  p.IndentRight = Value(3);
  p.SpaceBefore = Value(4);
  p.LineSpacing = Value(5);
  p.SpaceAfter = Value(6);
  return p;
}

bool ShowParProps(ParagraphSettings& record) {
  TfrmParProps* f = nullptr;
  Application->CreateForm(f);
  f->SetRecord(record);
  ParagraphSettings edited;
  const bool ok = ShowModalAndFree(f, [&] { edited = f->Record(); }) == mrOk;
  if (ok) record = edited;
  return ok;
}
