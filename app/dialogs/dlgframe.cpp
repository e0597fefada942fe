// The settings dialogs' frame and shared parts (dlgframe.h).
#include "app/dialogs/dlgframe.h"

#include "app/text/helpers.h"
#include "platform/rtl/sysutils.h"

namespace {

constexpr int kSizeBarHeight = 18;
const char* const kFontSizes[] = {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36"};

void DrawColourItem(TComboBox* list, int index, TRect rect, TOwnerDrawState state) {
  TCanvas& c = *list->Canvas();
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor((state & odSelected) && !(state & odComboBoxEdit) ? clHighlight : clWindow);
  c.FillRect(rect);
  if (index < 0) return;
  c.Brush()->SetColor(ColorOf(index));
  c.Pen()->SetColor(clBlack);
  c.Rectangle(rect.Left + 2, rect.Top + 1, rect.Right - 2, rect.Bottom - 1);
}

TComboBox* MakeList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
                    TComboBoxStyle style) {
  auto* c = new TComboBox(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetStyle(style);
  c->SetBounds(left, top, width, 21);
  return c;
}

}  // namespace

TfrmSettingsDialog::TfrmSettingsDialog(TComponent* owner, const char* name, const AnsiString& caption,
                                       const AnsiString& formKey, int helpContext, int clientWidth, int clientHeight,
                                       bool sizeable)
    : TOrvelanForm(owner) {
  SetFormName(name);
  SetCaption(caption);
  SetBorderStyle(sizeable ? bsSizeable : bsDialog);
  SetWindowLook(this);
  SetClientSize(clientWidth, clientHeight);
  SetFormKey(formKey);
  SetHelpContext(helpContext);

  pnlTop = MakeToolPanel(this, this, bvlTop);
  MakeDialogButtons(this, pnlTop, pbHilfe, pbCancel, pbOk, [this](TObject*) { pbOkClick(); });
  if (sizeable) {
    SizeBar = MakeSizeBar(this, this, kSizeBarHeight);
    SizeBar->SetBevelInner(bvNone);
    SizeBar->SetBevelOuter(bvRaised);
  }
  PlaceButtons();

  OnKeyDown = [this](TObject*, Word& key, TShiftState) { FormKeyDown(key); };
  OnShow = [this](TObject*) {
    ReadPosition();
    DialogShow();
    if (FirstFocus && FirstFocus->CanFocus()) FirstFocus->SetFocus();
  };
  OnHide = [this](TObject*) { WritePosition(); };
  OnResize = [this](TObject*) {
    PlaceButtons();
    DialogResize();
  };
}

void TfrmSettingsDialog::PlaceButtons() {
  pbHilfe->SetLeft(4);
  pbOk->SetLeft(pnlTop->Width() - pbOk->Width() - 4);
  pbCancel->SetLeft(pbOk->Left() - 1 - pbCancel->Width());
}

void TfrmSettingsDialog::pbOkClick() { SetModalResult(mrOk); }

void TfrmSettingsDialog::FormKeyDown(Word& key) {
  DialogEnterEscape(this, key, pbOk, [this] { pbOkClick(); });
}

TLabel* AddLabel(TComponent* owner, TWinControl* parent, const AnsiString& caption, int left, int top) {
  auto* l = new TLabel(owner);
  l->SetParent(parent);
  l->SetCaption(caption);
  l->SetLeft(left);
  l->SetTop(top);
  return l;
}

TCheckBox* AddCheckBox(TComponent* owner, TWinControl* parent, const char* name, const AnsiString& caption, int left,
                       int top, int width) {
  auto* c = new TCheckBox(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetCaption(caption);
  c->SetBounds(left, top, width, 19);
  return c;
}

TComboBox* MakeColourList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width) {
  TComboBox* c = MakeList(owner, parent, name, left, top, width, csOwnerDrawFixed);
  for (int i = 0; i < 16; ++i) c->Items()->Add(IntToStr(i));
  c->SetDropDownCount(16);
  c->OnDrawItem = [c](TWinControl*, int index, TRect rect, TOwnerDrawState state) {
    DrawColourItem(c, index, rect, state);
  };
  return c;
}

int ColourListIndex(int colourNumber) { return colourNumber >= 0 && colourNumber <= 15 ? colourNumber : -1; }

TComboBox* MakeFontList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width) {
  TComboBox* c = MakeList(owner, parent, name, left, top, width, csDropDownList);
  c->SetSorted(true);
  c->Items()->Assign(Screen->Fonts());
  c->SetDropDownCount(16);
  return c;
}

TComboBox* MakeSizeList(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width) {
  TComboBox* c = MakeList(owner, parent, name, left, top, width, csDropDownList);
  for (const char* s : kFontSizes) c->Items()->Add(s);
  c->SetDropDownCount(14);
  return c;
}

void SelectItem(TComboBox* list, const AnsiString& text) { list->SetItemIndex(list->Items()->IndexOf(text)); }
