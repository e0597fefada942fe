// A small demo form: a tool-bar panel with buttons, a custom-painted
// control in the client area and an OK/Cancel panel at the bottom.
#pragma once

#include "platform/rtl/cp1252.h"
#include "platform/ui/stdctrls.h"

class TDemoPaintBox : public TCustomControl {
 public:
  explicit TDemoPaintBox(TComponent* owner) : TCustomControl(owner) { SetColor(clWhite); }
  int paints = 0;

 protected:
  void Paint() override {
    ++paints;
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(RGB(0xFF, 0xF0, 0xC0));
    c->FillRect(Rect(10, 10, r.Right - 10, r.Bottom - 10));
    c->Pen()->SetColor(clNavy);
    c->Pen()->SetWidth(2);
    c->MoveTo(10, r.Bottom - 10);
    c->LineTo(r.Right - 10, 10);
    c->Brush()->SetColor(clRed);
    c->Ellipse(r.Right / 2 - 20, r.Bottom / 2 - 20, r.Right / 2 + 20, r.Bottom / 2 + 20);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(clBlack);
    c->TextOut(16, 14, CP1252("Orvelan: Grüße").str());
  }
};

struct TDemoForm {
  TForm* form;
  TPanel* toolbar;
  TPanel* bottom;
  TButton* b1;
  TButton* b2;
  TButton* ok;
  TButton* cancel;
  TDemoPaintBox* paint;

  explicit TDemoForm(TComponent* owner) {
    form = new TForm(owner);
    form->SetCaption("Demo");
    form->SetClientSize(320, 220);
    toolbar = new TPanel(form);
    toolbar->SetParent(form);
    toolbar->SetHeight(34);
    toolbar->SetAlign(alTop);
    b1 = MakeButton(toolbar, CP1252("&Zurück").str(), 4, 4);
    b2 = MakeButton(toolbar, "&Vor", 84, 4);
    bottom = new TPanel(form);
    bottom->SetParent(form);
    bottom->SetHeight(36);
    bottom->SetAlign(alBottom);
    ok = MakeButton(bottom, "OK", 160, 5);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    cancel = MakeButton(bottom, "Abbruch", 240, 5);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    paint = new TDemoPaintBox(form);
    paint->SetParent(form);
    paint->SetAlign(alClient);
  }

 private:
  TButton* MakeButton(TWinControl* parent, const AnsiString& caption, int x, int y) {
    auto* b = new TButton(form);
    b->SetParent(parent);
    b->SetCaption(caption);
    b->SetBounds(x, y, 75, 25);
    return b;
  }
};
