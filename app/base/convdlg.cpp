// The conversion progress window: three lines of text and the line counter
// on a raised panel, centred on the screen.
#include "app/base/convdlg.h"

#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"

TfrmConvDlg::TfrmConvDlg(TComponent* owner) : TForm(owner) {
  SetName("frmConvDlg");
  SetBorderStyle(bsDialog);
  SetCaption("Orvelan");
  SetClientSize(300, 116);
  SetColor(clBtnFace);
  Font()->SetName("Arial");
  Font()->SetSize(10);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetCaption("");
  Panel1->SetBounds(6, 6, 288, 104);
  Panel1->SetBevelOuter(bvRaised);
  Panel1->SetBevelInner(bvLowered);

  auto label = [&](const char* name, const AnsiString& text, int top, bool bold) {
    auto* l = new TLabel(this);
    l->SetName(name);
    l->SetParent(Panel1);
    l->SetAutoSize(false);
    l->SetAlignment(taCenter);
    l->SetBounds(8, top, 272, 18);
    if (bold) l->Font()->SetStyle({fsBold});
    l->SetCaption(text);
    return l;
  };
  Label1 = label("Label1", CP1252("Ihre persönlichen Orvelan-Daten werden").str(), 10, false);
  Label2 = label("Label2", CP1252("in das neue Format übertragen.").str(), 28, false);
  Label3 = label("Label3", "Bitte warten...", 52, false);
  lblZaehler = label("lblZaehler", "0", 76, true);

  if (Screen) SetBounds((Screen->Width() - Width()) / 2, (Screen->Height() - Height()) / 2, Width(), Height());
}

void TfrmConvDlg::ShowCount(int lines) { lblZaehler->SetCaption(IntToStr(lines)); }
