// Building blocks of the smaller windows (winparts.h).
#include "app/windows/winparts.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "dbcontrols/grid/wwgrid.h"
#include "dbcontrols/text/wwstr.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/keyboard.h"

int DateEditWidth = 0, TimeEditWidth = 0;

int DateTimeEditWidth(const TFont& font, const char* sample) {
  // "+ 7" was measured for another edit's frame and margins, and digits are
  // wider than underscores in some fonts.
  char widest = '0';
  for (char d = '1'; d <= '9'; ++d)
    if (font.TextWidth(AnsiString(1, d)) > font.TextWidth(AnsiString(1, widest))) widest = d;
  AnsiString digits = sample;
  for (char& c : digits)
    if (c == '_') c = widest;
  return std::max(font.TextWidth(sample) + 7, TCustomEdit::WidthForText(font, digits));
}

void TEscapeToClose::KeyDown(Word& key) {
  // An Escape that went down over an open drop-down never reaches the
  // window's key preview: it closes the list alone.
  if (key != VK_ESCAPE) return;
  taken_ = true;
  key = 0;
}

void TEscapeToClose::KeyPress(char& key) {
  if (std::exchange(taken_, false) && key == 27) key = 0;
}

void TCreateKeys::Setup(std::initializer_list<TExplorerButton*> tools, TExplorerButton* create) {
  int order = 0;
  for (TExplorerButton* b : tools) {
    b->SetTabStop(true);
    b->SetTabOrder(order++);
  }
  create_ = create;
  create->SetHint(create->Caption() + " (Strg+P)");
  create->SetShowHint(true);
}

void TCreateKeys::KeyDown(Word& key, TShiftState shift) {
  if (key == VK_RETURN) enterDown_ = true;
  CtrlKeyPresses(key, shift, 'P', create_);
}

bool TCreateKeys::KeyUp(Word& key) {
  if (key != VK_RETURN) return false;
  key = 0;
  if (std::exchange(enterDown_, false) && create_->Enabled()) create_->Click();
  return true;
}

void SetWindowLook(TForm* form) {
  form->SetColor(clBtnFace);
  form->Font()->SetName("Arial");
  form->Font()->SetHeight(-13);
  form->SetKeyPreview(true);
}

void MakeDialogButtons(TOrvelanForm* form, TPanel* panel, TExplorerButton*& help, TExplorerButton*& cancel,
                       TExplorerButton*& ok, TNotifyEvent onOk) {
  help = MakeToolButton(form, panel, "pbHilfe", "Hilfe", bpHelp, [form](TObject*) { form->ShowHelp(); });
  cancel = MakeToolButton(form, panel, "pbCancel", "Abbruch", bpCancel,
                          [form](TObject*) { form->SetModalResult(mrCancel); });
  ok = MakeToolButton(form, panel, "pbOk", "Ok", bpOk, std::move(onOk));
}

void DialogEnterEscape(TCustomForm* form, Word& key, TControl* ok, const std::function<void()>& confirm) {
  if (key == VK_RETURN) {
    if (ok->Enabled()) confirm();
    key = 0;
  } else if (key == VK_ESCAPE) {
    form->SetModalResult(mrCancel);
    key = 0;
  }
}

TSizeBar* MakeSizeBar(TComponent* owner, TWinControl* parent, int height) {
  auto* bar = new TSizeBar(owner);
  bar->SetName("SizeBar");
  bar->SetParent(parent);
  bar->SetCaption("");
  bar->SetBounds(0, parent->ClientHeight() - height, parent->ClientWidth(), height);
  bar->SetAlign(alBottom);
  return bar;
}

TWPRichText* MakePageView(TComponent* owner, TWinControl* parent) {
  auto* page = new TWPRichText(owner);
  page->SetName("WPRichText1");
  page->SetParent(parent);
  page->SetAlign(alClient);
  page->Font()->SetName("Arial");
  page->Font()->SetHeight(-13);
  page->SetWordWrap(true);
  page->SetScrollBars(ssVertical);
  page->SetReadOnly(true);
  return page;
}

TPanel* MakePanel(TComponent* owner, TWinControl* parent, const char* name) {
  auto* p = new TPanel(owner);
  p->SetName(name);
  p->SetParent(parent);
  p->SetCaption("");
  p->SetBevelOuter(bvNone);
  return p;
}

TPanel* MakeToolPanel(TComponent* owner, TWinControl* parent, TBevel*& line) {
  TPanel* p = MakePanel(owner, parent, "pnlTop");
  p->SetBounds(0, 0, parent->ClientWidth(), kToolPanelHeight);
  p->SetAlign(alTop);
  line = new TBevel(owner);
  line->SetName("bvlTop");
  line->SetParent(parent);
  line->SetShape(bsTopLine);
  line->SetBounds(0, kToolPanelHeight, parent->ClientWidth(), 2);
  line->SetAlign(alTop);
  return p;
}

int ButtonRowWindowWidth(const TWinControl* panel) {
  int width = 2 * GetSystemMetrics(SM_CXFRAME) + 4 + 4 - 1;
  for (int i = 0; i < panel->ControlCount(); ++i)
    if (const TControl* c = panel->Controls(i); c->Visible()) width += c->Width() + 1;
  return width;
}

int GridRowsHeight(TwwDBGrid* grid, int rows) {
  const int line = grid->GridLineWidth();
  return grid->Height() - grid->ClientHeight() + grid->RowHeights(0) + line +
         rows * (grid->DefaultRowHeight() + line);
}

int GridColumnsWidth(TwwDBGrid* grid) {
  const int bar = GetSystemMetrics(SM_CXVSCROLL), frame = grid->Width() - grid->ClientWidth();
  // The last column gets what is left of the client but 3 pixels.
  int width = (frame < bar ? frame + bar : frame) + 3;
  const int last = grid->ColCount() - 1;
  for (int c = 0; c < last; ++c) width += grid->ColWidths(c) + grid->GridLineWidth();
  // The last one as wide as its entry in Selected makes it: field, width in
  // characters and title apart by tabs.
  const int entry = last - grid->IndicatorOffset();
  if (entry < 0 || entry >= grid->Selected()->Count()) return width;
  const AnsiString& columns = grid->Selected()->Strings(entry);
  int pos = 1;
  wwStrGetToken(columns, "\t", pos);
  const int chars = pos > 0 ? StrToIntDef(wwStrGetToken(columns, "\t", pos), 0) : 0;
  const AnsiString title = pos > 0 ? wwStrGetToken(columns, "\t", pos) : AnsiString();
  return width + std::max(grid->ColumnWidthForText(AnsiString(static_cast<std::size_t>(std::max(chars, 0)), '0')),
                          grid->ColumnWidthForText(title));
}

TExplorerButton* MakeToolButton(TComponent* owner, TPanel* panel, const char* name, const AnsiString& caption,
                                TButtonPicture picture, TNotifyEvent onClick) {
  auto* b = new TExplorerButton(owner);
  b->SetName(name);
  b->SetParent(panel);
  b->SetParentFont(false);
  b->Font()->SetName("Arial");
  b->Font()->SetHeight(-11);
  b->SetCaption(caption);
  b->SetBounds(0, (kToolPanelHeight - kToolButtonHeight) / 2, kToolButtonWidth, kToolButtonHeight);
  b->SetLayout(blBitmapTop);
  b->SetBitmap(ButtonPicture(picture).get());
  b->SetEnabled(static_cast<bool>(onClick));
  b->OnClick = std::move(onClick);
  return b;
}

bool CtrlKeyPresses(Word& key, TShiftState shift, char letter, TExplorerButton* button) {
  if (key != letter || KeyModifiers(shift) != ssCtrl || !button->Enabled()) return false;
  key = 0;
  button->Click();
  return true;
}

void HintPrintAndCopyKeys(TExplorerButton* print, TExplorerButton* copy) {
  print->SetHint("Drucken (Strg+P)");
  copy->SetHint("Kopieren (Strg+C)");
  for (TExplorerButton* b : {print, copy}) b->SetShowHint(true);
}

bool ArrowOnToolButton(const TCustomForm* form, TMessage& m) {
  if (m.Msg != CM_DIALOGKEY || (m.WParam != VK_LEFT && m.WParam != VK_RIGHT) ||
      !dynamic_cast<TExplorerButton*>(form->ActiveControl()))
    return false;
  m.Result = 0;
  return true;
}

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, const AnsiString& caption, int left,
                  int top) {
  auto* l = new TLabel(owner);
  l->SetName(name);
  l->SetParent(parent);
  l->SetCaption(caption);
  l->SetLeft(left);
  l->SetTop(top);
  return l;
}

void SetGermanHints(TWPToolBar* bar) {
  const std::pair<const char*, AnsiString> hints[] = {
      {"Normal", "Normal"},
      {"Bold", "Fett (Strg+B)"},
      {"Italic", "Kursiv (Strg+I)"},
      {"Under", "Unterstrichen (Strg+U)"},
      {"Open", CP1252("Öffnen").str()},
      {"Save", "Speichern"},
      {"SelAll", "Alles markieren"},
      {"Cut", "Ausschneiden"},
      {"Copy", "Kopieren"},
      {"Paste", CP1252("Einfügen").str()},
      {"Exit", CP1252("Schließen").str()},
      {"Print", "Drucken"},
      {"PrintSetup", "Druckereinrichtung"}};
  TStringList list;
  for (const auto& [name, hint] : hints) list.Add(AnsiString("WPI_") + name + "=" + hint);
  bar->SetHints(&list);
}

void HintTabKeys(TWPCustomRtfEdit* text) {
  text->SetHint(CP1252("Tab: Tabulator (am Absatzanfang Einzug); Strg+Tab: nächstes Feld, Umschalt+Tab: voriges")
                    .str());
  text->SetShowHint(true);
}

void TabThroughToolBar(TWPToolBar* bar) {
  // Tab follows the bar's arrangement: combos, icons, then the buttons a
  // window added, which were made before the bar built its own.
  std::vector<TWinControl*> order;
  for (int kind = 1; kind <= 6; ++kind)
    if (TWPTBCombo* c = bar->Combo(static_cast<TWPComboKind>(kind))) order.push_back(c);
  for (int i = 0; i < bar->IconCount(); ++i)
    if (TExplorerButton* b = bar->Icon(i).Button) {
      b->SetTabStop(true);
      order.push_back(b);
    }
  for (int i = 0; i < bar->ControlCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(bar->Controls(i));
    if (c && std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
  }
  for (size_t i = 0; i < order.size(); ++i) order[i]->SetTabOrder(static_cast<int>(i));
}

THourGlass::THourGlass() { Screen->SetCursor(crHourGlass); }
THourGlass::~THourGlass() { Screen->SetCursor(crDefault); }

int ShowModalAndFree(TCustomForm* form, const std::function<void()>& beforeFree) {
  std::unique_ptr<TCustomForm> owned(form);
  TScopeExit detach{[form] {
    if (Application) Application->RemoveComponent(form);
  }};
  const int result = form->ShowModal();
  if (beforeFree) beforeFree();
  return result;
}
