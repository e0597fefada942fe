// Message dialogs, file dialogs, find and replace, print dialogs, shell open
// and repaint suppression.
#include "platform/ui/dialogs.h"

#include <algorithm>

#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"
#include "platform/ui/ctlutil.h"

namespace {

AnsiString L(const char* utf8) { return Utf8ToCp1252OrThrow(utf8); }

// ------------------------------------------------------------ message form

// The dialog's icon, drawn in the classic shapes and colours.
class TDialogIcon : public TGraphicControl {
 public:
  TDialogIcon(TComponent* owner, TMsgDlgType type) : TGraphicControl(owner), type_(type) {
    width_ = 32;
    height_ = 32;
  }

 protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Pen()->SetColor(clBlack);
    c->Font()->SetName("Times New Roman");
    c->Font()->SetHeight(-24);
    c->Font()->SetStyle(TFontStyles{fsBold});
    c->Brush()->SetStyle(bsSolid);
    TRect box{0, 0, 32, 32};
    switch (type_) {
      case mtWarning: {
        c->Brush()->SetColor(clYellow);
        TPoint tri[3] = {{16, 1}, {31, 29}, {1, 29}};
        c->Polygon(tri, 3);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clBlack);
        TRect r{0, 6, 32, 30};
        c->DrawText("!", r, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
        break;
      }
      case mtError: {
        c->Brush()->SetColor(clRed);
        c->Ellipse(1, 1, 31, 31);
        c->Pen()->SetColor(clWhite);
        c->Pen()->SetWidth(3);
        c->MoveTo(10, 10);
        c->LineTo(22, 22);
        c->MoveTo(22, 10);
        c->LineTo(10, 22);
        c->Pen()->SetWidth(1);
        break;
      }
      case mtInformation: case mtConfirmation: {
        c->Brush()->SetColor(clWhite);
        c->Ellipse(1, 1, 31, 31);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(clBlue);
        c->DrawText(type_ == mtInformation ? "i" : "?", box, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
        break;
      }
      default: break;
    }
  }

 private:
  TMsgDlgType type_;
};

struct ButtonInfo {
  unsigned bit;
  const char* caption;
  TModalResult result;
};
constexpr ButtonInfo kButtons[] = {
    {mbYes, "&Ja", mrYes},           {mbNo, "&Nein", mrNo},           {mbOK, "OK", mrOk},
    {mbCancel, "Abbruch", mrCancel}, {mbAbort, "&Abbrechen", mrAbort}, {mbRetry, "&Wiederholen", mrRetry},
    {mbIgnore, "&Ignorieren", mrIgnore}, {mbAll, "&Alle", mrAll},     {mbHelp, "&Hilfe", mrNone}};

const char* TitleOf(TMsgDlgType t) {
  switch (t) {
    case mtWarning: return "Warnung";
    case mtError: return "Fehler";
    case mtInformation: return "Information";
    case mtConfirmation: return "Bestätigen";  // utf8: L() converts
    default: return "";
  }
}

int gHelpContext = 0;

unsigned FlagsOf(TMsgDlgType type, TMsgDlgButtons b) {
  unsigned f = MB_OK;
  TMsgDlgButtons core = b & ~mbHelp;
  if (core == (mbOK | mbCancel)) f = MB_OKCANCEL;
  else if (core == (mbYes | mbNo)) f = MB_YESNO;
  else if (core == (mbYes | mbNo | mbCancel)) f = MB_YESNOCANCEL;
  else if (core == (mbAbort | mbRetry | mbIgnore)) f = MB_ABORTRETRYIGNORE;
  else if (core == (mbRetry | mbCancel)) f = MB_RETRYCANCEL;
  switch (type) {
    case mtWarning: f |= MB_ICONWARNING; break;
    case mtError: f |= MB_ICONERROR; break;
    case mtInformation: f |= MB_ICONINFORMATION; break;
    case mtConfirmation: f |= MB_ICONQUESTION; break;
    default: break;
  }
  if (b & mbHelp) f |= MB_HELP;
  return f;
}

// The message as the box shows it, so that the box fits the screen: a word
// wider than the text's width (a long path, say) is broken where the line
// runs out, after a path delimiter when one is near; a word that would
// take more than four lines keeps its start and end around "…"; a text
// still higher than `maxHeight` ends with "…" where it reaches it.
AnsiString FitMessage(const AnsiString& msg, TCanvas& c, int width, int maxHeight) {
  constexpr int kWordLines = 4;
  const AnsiString ellipsis = "\x85";
  auto charWidth = [&c](char ch) { return c.TextWidth(AnsiString(1, ch)); };
  // The longest start of `s` (from its end when `fromEnd`) within `room` pixels.
  auto within = [&](std::string_view s, int room, bool fromEnd) {
    size_t n = 0;
    for (int x = 0; n < s.size(); ++n) {
      x += charWidth(fromEnd ? s[s.size() - 1 - n] : s[n]);
      if (x > room) break;
    }
    return n;
  };
  AnsiString out;
  size_t i = 0;
  while (i < msg.size()) {
    size_t end = i;
    while (end < msg.size() && msg[end] != ' ' && msg[end] != '\r' && msg[end] != '\n') ++end;
    AnsiString word = msg.substr(i, end - i);
    if (c.TextWidth(word) > width) {
      const int half = kWordLines * width / 2 - c.TextWidth(ellipsis);
      if (c.TextWidth(word) > kWordLines * width) {
        const size_t head = within(word, half, false), tail = within(word, half, true);
        word = word.substr(0, head) + ellipsis + word.substr(word.size() - tail);
      }
      AnsiString broken;
      for (std::string_view rest = word; !rest.empty();) {
        size_t n = std::max<size_t>(1, within(rest, width, false));
        const size_t slash = rest.substr(0, n).rfind(PathDelim);
        if (n < rest.size() && slash != std::string_view::npos && slash + 1 > n / 2) n = slash + 1;
        if (!broken.empty()) broken += '\r';
        broken += rest.substr(0, n);
        rest.remove_prefix(n);
      }
      word = broken;
    }
    out += word;
    if (end < msg.size()) out += msg[end];
    i = end + 1;
  }
  auto height = [&](const AnsiString& t) {
    TRect r{0, 0, width, 0};
    c.DrawText(t, r, DT_WORDBREAK | DT_CALCRECT | DT_EXPANDTABS);
    return r.Height();
  };
  if (height(out) <= maxHeight) return out;
  // The longest start that fits, found by halving.
  size_t lo = 0, hi = out.size();
  while (lo < hi) {
    const size_t mid = (lo + hi + 1) / 2;
    if (height(out.substr(0, mid) + ellipsis) <= maxHeight)
      lo = mid;
    else
      hi = mid - 1;
  }
  return out.substr(0, lo) + ellipsis;
}

// A message with characters beyond the code page, broken into lines at its
// blanks within a width: the code page's characters are drawn as every
// text is, the others by the font engine with the toolkit's fallbacks.
class TShownText : public TGraphicControl {
 public:
  TShownText(TComponent* owner, const TFont& font, std::u32string_view text) : TGraphicControl(owner) {
    Font()->Assign(font);
    for (std::size_t i = 0; i <= text.size();) {
      const std::size_t end = std::min(text.find(U' ', i), text.size());
      words_.emplace_back(text.substr(i, end - i));
      i = end + 1;
    }
  }
  // Lays the words out within `wrap` pixels; false when a character beyond
  // the code page cannot be drawn here.
  bool Wrap(int wrap) {
    lines_.assign(1, {});
    int widest = 0;
    for (const std::u32string& word : words_) {
      std::u32string line = lines_.back().empty() ? word : lines_.back() + U' ' + word;
      if (!lines_.back().empty() && Run(nullptr, 0, line) > wrap) {
        lines_.emplace_back();
        line = word;
      }
      lines_.back() = line;
      const int width = Run(nullptr, 0, line);
      if (width < 0) return false;
      widest = std::max(widest, width);
    }
    SetBounds(Left(), Top(), widest + 2, static_cast<int>(lines_.size()) * LineHeight());
    return true;
  }

 protected:
  void Paint() override {
    Canvas()->Font()->Assign(*Font());
    Canvas()->Brush()->SetStyle(bsClear);
    for (std::size_t i = 0; i < lines_.size(); ++i) Run(Canvas(), static_cast<int>(i) * LineHeight(), lines_[i]);
  }

 private:
  int LineHeight() const { return Font()->Data().Metric.tmHeight; }
  // Draws `s` on `c` at the line's top `y` (measures it when `c` is null);
  // its width, -1 when a character cannot be drawn.
  int Run(TCanvas* c, int y, std::u32string_view s) {
    const TFontData& fd = Font()->Data();
    int x = 0;
    for (std::size_t i = 0; i < s.size();) {
      AnsiString plain;
      unsigned char b = 0;
      for (; i < s.size() && UnicodeToCp1252(s[i], b); ++i) plain += static_cast<char>(b);
      if (c) c->TextOut(x, y, plain);
      x += fd.TextWidth(plain.data(), plain.size());
      std::size_t end = i;
      while (end < s.size() && !UnicodeToCp1252(s[end], b)) ++end;
      if (end == i) continue;
      TSurface wide;
      if (!FontEngine().DrawUnicode(Font()->Request(), s.substr(i, end - i), fd.Metric.tmAscent, fd.Metric.tmHeight,
                                    ColorToRGB(Font()->Color()), ColorToRGB(clBtnFace), ScreenScale(), wide))
        return -1;
      const TRect extent = wide.Extent();
      if (c) c->DrawSurface({x, y, x + extent.Width(), y + extent.Height()}, wide, extent, SRCCOPY);
      x += extent.Width();
      i = end;
    }
    return x;
  }

  std::vector<std::u32string> words_, lines_;
};

}  // namespace

TForm* CreateMessageDialog(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons,
                           std::u32string_view shown) {
  auto* f = new TForm(Application);
  f->SetBorderStyle(bsDialog);
  f->SetPosition(poScreenCenter);
  f->SetCaption(L(TitleOf(type)));
  if (type == mtCustom && Application) f->SetCaption(Application->Title());
  f->SetColor(clBtnFace);
  int x = 12;
  if (type != mtCustom) {
    auto* icon = new TDialogIcon(f, type);
    icon->SetParent(f);
    icon->SetBounds(12, 12, 32, 32);
    x = 56;
  }
  // The text, wrapped at a third of the screen at most; the box leaves
  // room on the screen for its caption, frame and buttons.
  const int wrap = std::max(120, (Screen ? Screen->Width() : 1024) / 3);
  const AnsiString text =
      FitMessage(msg, ctlutil::Measure(*f->Font()), wrap, std::max(64, (Screen ? Screen->Height() : 768) - 140));
  TRect tr{0, 0, wrap, 0};
  TCanvas& measure = ctlutil::Measure(*f->Font());
  const unsigned calc = DT_WORDBREAK | DT_CALCRECT | DT_EXPANDTABS;
  const int height = measure.DrawText(text, tr, calc);
  // Lines broken by words keep the width they were broken at: the box takes
  // the narrowest width that keeps as many lines, so it is as wide as its
  // text needs, whatever the screen's width.
  int narrowest = 0;
  for (int widest = tr.Width(); narrowest < widest;) {
    const int w = (narrowest + widest) / 2;
    TRect t{0, 0, w, 0};
    if (measure.DrawText(text, t, calc) == height && t.Width() <= w)
      widest = w;
    else
      narrowest = w + 1;
  }
  tr.Right = tr.Left + narrowest;
  auto* wide = shown.empty() ? nullptr : new TShownText(f, *f->Font(), shown);
  if (wide && wide->Wrap(wrap)) {
    wide->SetParent(f);
    tr = {0, 0, wide->Width() - 2, wide->Height()};
    wide->SetBounds(x, 12 + std::max(0, (32 - tr.Height()) / 2), wide->Width(), wide->Height());
    wide->SetName("Message");
  } else {
    delete wide;
    auto* label = new TLabel(f);
    label->SetParent(f);
    label->SetAutoSize(false);
    label->SetWordWrap(true);
    label->SetShowAccelChar(false);
    label->SetBounds(x, 12 + std::max(0, (32 - tr.Height()) / 2), tr.Width() + 2, tr.Height());
    label->SetCaption(text);
    label->SetName("Message");
  }
  std::vector<TButton*> btns;
  bool hasCancel = buttons & mbCancel, hasNo = buttons & mbNo;
  for (const ButtonInfo& bi : kButtons) {
    if (!(buttons & bi.bit)) continue;
    auto* b = new TButton(f);
    b->SetParent(f);
    b->SetCaption(L(bi.caption));
    b->SetModalResult(bi.result);
    if (bi.bit == mbOK || bi.bit == mbYes) b->SetDefault(true);
    if (bi.bit == mbCancel || (bi.bit == mbNo && !hasCancel) || (bi.bit == mbOK && !hasCancel && !hasNo)) b->SetCancel(true);
    if (bi.bit == mbHelp) {
      int ctx = gHelpContext;
      b->OnClick = [ctx](TObject*) { Application->HelpContext(ctx); };
    }
    btns.push_back(b);
  }
  int bw = 75, bh = 25, gap = 8;
  int rowW = static_cast<int>(btns.size()) * bw + std::max(0, static_cast<int>(btns.size()) - 1) * gap;
  int cw = std::max(x + tr.Width() + 12, rowW + 24);
  int top = 12 + std::max(32, tr.Height()) + 14;
  int bx = (cw - rowW) / 2;
  for (TButton* b : btns) {
    b->SetBounds(bx, top, bw, bh);
    bx += bw + gap;
  }
  f->SetClientSize(cw, top + bh + 12);
  if (Screen) f->SetBounds((Screen->Width() - f->Width()) / 2, (Screen->Height() - f->Height()) / 2, f->Width(), f->Height());
  for (TButton* b : btns)
    if (b->Default()) f->SetActiveControl(b);
  return f;
}

int RunMessageDialog(const AnsiString& text, const AnsiString& caption, unsigned flags,
                     std::u32string_view shown) {
  TMsgDlgButtons b = mbOK;
  switch (flags & 0xF) {
    case MB_OKCANCEL: b = mbOK | mbCancel; break;
    case MB_ABORTRETRYIGNORE: b = mbAbort | mbRetry | mbIgnore; break;
    case MB_YESNOCANCEL: b = mbYes | mbNo | mbCancel; break;
    case MB_YESNO: b = mbYes | mbNo; break;
    case MB_RETRYCANCEL: b = mbRetry | mbCancel; break;
    default: break;
  }
  if (flags & MB_HELP) b |= mbHelp;
  TMsgDlgType t = mtCustom;
  switch (flags & 0xF0) {
    case MB_ICONERROR: t = mtError; break;
    case MB_ICONQUESTION: t = mtConfirmation; break;
    case MB_ICONWARNING: t = mtWarning; break;
    case MB_ICONINFORMATION: t = mtInformation; break;
    default: break;
  }
  std::unique_ptr<TForm> f(CreateMessageDialog(text, t, b, shown));
  if (!caption.empty()) f->SetCaption(caption);
  // The second or third button is the default when the flags say so.
  int defIndex = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : -1;
  if (defIndex >= 0) {
    int k = 0;
    for (int i = 0; i < f->ControlCount(); ++i)
      if (auto* btn = dynamic_cast<TButton*>(f->Controls(i))) {
        btn->SetDefault(k == defIndex);
        if (k == defIndex) f->SetActiveControl(btn);
        ++k;
      }
  }
  int r = f->ShowModal();
  return r == mrNone ? IDCANCEL : r;
}

int MessageDlg(const AnsiString& msg, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext) {
  if (!Application) InitUi();
  const int saved = gHelpContext;
  gHelpContext = helpContext;
  TScopeExit restoreHelp{[saved] { gHelpContext = saved; }};
  AnsiString caption = type == mtCustom ? Application->Title() : L(TitleOf(type));
  return Application->MessageBox(msg, caption, FlagsOf(type, buttons));
}

void ShowMessage(const AnsiString& msg) { MessageDlg(msg, mtCustom, mbOK, 0); }

// ------------------------------------------------------------ file dialogs

bool TOpenDialog::DoExecute(bool save) {
  if (!Application) InitUi();
  TFileDialogRequest req;
  req.Save = save;
  req.Title = title_;
  req.Filter = filter_;
  req.InitialDir = initialDir_;
  req.FileName = fileName_;
  req.DefaultExt = defaultExt_;
  AnsiString name = fileName_;
  for (;;) {
    if (!Application->ExecuteFileDialog(req, name)) return false;
    // The default extension goes to a name that has none.
    std::size_t slash = name.find_last_of('/');
    std::size_t dot = name.find_last_of('.');
    if (!defaultExt_.empty() && (dot == AnsiString::npos || (slash != AnsiString::npos && dot < slash)))
      name += "." + (defaultExt_[0] == '.' ? defaultExt_.substr(1) : defaultExt_);
    // Asked here, about the name that will be written (the toolkit's dialog
    // asks before any extension is added); "Nein" chooses again.
    const AnsiString question =
        "Die Datei \"" + ShownFileName(name) + "\" ist bereits vorhanden.\rSoll sie ersetzt werden?";
    if (!save || !FileExists(name) ||
        Application->MessageBox(question, title_.empty() ? "Speichern unter" : title_,
                                MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
      break;
    req.InitialDir = ExtractFileDir(name);
    req.FileName = ExtractFileName(name);
  }
  fileName_ = name;
  return true;
}

bool TOpenDialog::Execute() { return DoExecute(false); }
bool TSaveDialog::Execute() { return DoExecute(true); }

// ------------------------------------------------------- find and replace

TFindDialog::TFindDialog(TComponent* owner) : TComponent(owner) {}

TFindDialog::~TFindDialog() { CloseDialog(); }

void TFindDialog::SetFindText(const AnsiString& s) {
  findText_ = s;
  if (findEdit_) findEdit_->SetText(s);
}

namespace {
TButton* AddButton(TForm* f, const char* caption, int x, int y) {
  auto* b = new TButton(f);
  b->SetParent(f);
  b->SetCaption(L(caption));
  b->SetBounds(x, y, 90, 23);
  return b;
}
TLabel* AddLabel(TForm* f, const char* caption, int x, int y, TWinControl* focus) {
  auto* l = new TLabel(f);
  l->SetParent(f);
  l->SetCaption(L(caption));
  l->SetLeft(x);
  l->SetTop(y);
  l->SetFocusControl(focus);
  return l;
}
}  // namespace

void TFindDialog::BuildForm() {
  form_ = new TForm(Application);
  form_->SetBorderStyle(bsDialog);
  form_->SetFormStyle(fsStayOnTop);
  form_->SetCaption("Suchen");
  form_->SetColor(clBtnFace);
  form_->SetClientSize(370, 100);
  findEdit_ = new TEdit(form_);
  findEdit_->SetParent(form_);
  findEdit_->SetBounds(88, 10, 172, 21);
  AddLabel(form_, "Suchen &nach:", 8, 14, findEdit_);
  wholeWord_ = new TCheckBox(form_);
  wholeWord_->SetParent(form_);
  wholeWord_->SetCaption(L("Nur ganzes &Wort"));
  wholeWord_->SetBounds(8, 44, 130, 17);
  matchCase_ = new TCheckBox(form_);
  matchCase_->SetParent(form_);
  matchCase_->SetCaption(L("Groß-/&Kleinschreibung"));  // utf8: L() converts
  matchCase_->SetBounds(8, 68, 150, 17);
  direction_ = new TRadioGroup(form_);
  direction_->SetParent(form_);
  direction_->SetCaption("Richtung");
  // Wide enough for "Nach unten" beside its radio button.
  direction_->SetBounds(160, 40, 100, 52);
  direction_->Items()->Add("N&ach oben");
  direction_->Items()->Add("Nach &unten");
  findNext_ = AddButton(form_, "&Weitersuchen", 270, 8);
  findNext_->SetDefault(true);
  findNext_->OnClick = [this](TObject*) { DoFind(); };
  cancel_ = AddButton(form_, "Abbrechen", 270, 36);
  cancel_->SetCancel(true);
  cancel_->OnClick = [this](TObject*) { CloseDialog(); };
  findEdit_->OnChange = [this](TObject*) { findNext_->SetEnabled(!findEdit_->Text().empty()); };
}

void TFindDialog::ReadForm() {
  if (!form_) return;
  findText_ = findEdit_->Text();
  options_ &= ~(frWholeWord | frMatchCase | frDown | frFindNext | frReplace | frReplaceAll);
  if (wholeWord_->Checked()) options_ |= frWholeWord;
  if (matchCase_->Checked()) options_ |= frMatchCase;
  if (direction_->ItemIndex() == 1) options_ |= frDown;
}

void TFindDialog::DoFind() {
  ReadForm();
  options_ |= frFindNext;
  if (OnFind) OnFind(this);
}

bool TFindDialog::Execute() {
  if (!Application) InitUi();
  if (form_) {
    form_->BringToFront();
    return true;
  }
  BuildForm();
  findEdit_->SetText(findText_);
  findNext_->SetEnabled(!findText_.empty());
  wholeWord_->SetChecked(options_ & frWholeWord);
  matchCase_->SetChecked(options_ & frMatchCase);
  direction_->SetItemIndex(options_ & frDown ? 1 : 0);
  wholeWord_->SetVisible(!(options_ & frHideWholeWord));
  matchCase_->SetVisible(!(options_ & frHideMatchCase));
  direction_->SetVisible(!(options_ & frHideUpDown));
  wholeWord_->SetEnabled(!(options_ & frDisableWholeWord));
  matchCase_->SetEnabled(!(options_ & frDisableMatchCase));
  direction_->SetEnabled(!(options_ & frDisableUpDown));
  form_->OnClose = [this](TObject*, TCloseAction& a) {
    a = caHide;
    ReadForm();
    if (OnClose) OnClose(this);
  };
  if (pos_.X >= 0)
    form_->SetBounds(pos_.X, pos_.Y, form_->Width(), form_->Height());
  else if (Screen)
    form_->SetBounds((Screen->Width() - form_->Width()) / 2, (Screen->Height() - form_->Height()) / 3, form_->Width(),
                     form_->Height());
  form_->Show();
  findEdit_->SetFocus();
  findEdit_->SelectAll();
  if (OnShow) OnShow(this);
  return true;
}

void TFindDialog::CloseDialog() {
  if (!form_) return;
  ReadForm();
  TForm* f = form_;
  form_ = nullptr;
  findEdit_ = nullptr;
  pos_ = {f->Left(), f->Top()};
  f->Hide();
  f->Release();
}

void TReplaceDialog::SetReplaceText(const AnsiString& s) {
  replaceText_ = s;
  if (replaceEdit_) replaceEdit_->SetText(s);
}

void TReplaceDialog::BuildForm() {
  TFindDialog::BuildForm();
  form_->SetCaption("Ersetzen");
  form_->SetClientSize(370, 130);
  replaceEdit_ = new TEdit(form_);
  replaceEdit_->SetParent(form_);
  replaceEdit_->SetBounds(88, 38, 172, 21);
  replaceEdit_->SetText(replaceText_);
  replaceEdit_->SetTabOrder(1);
  TLabel* replaceLabel = AddLabel(form_, "Ersetzen &durch:", 8, 42, replaceEdit_);
  // Both edits in one column after the longer label, with the gap the
  // search label has in the find dialog; they keep their right edge.
  for (int i = 0; i < form_->ComponentCount(); ++i) {
    auto* l = dynamic_cast<TLabel*>(form_->Components(i));
    if (!l || l->FocusControl() != findEdit_) continue;
    const int gap = findEdit_->Left() - (l->Left() + l->Width());
    const int column = std::max(findEdit_->Left(), replaceLabel->Left() + replaceLabel->Width() + gap);
    const int editRight = findEdit_->Left() + findEdit_->Width();
    for (TEdit* e : {findEdit_, replaceEdit_}) e->SetBounds(column, e->Top(), editRight - column, e->Height());
  }
  wholeWord_->SetTop(72);
  matchCase_->SetTop(96);
  direction_->SetVisible(false);
  options_ |= frHideUpDown | frDown;
  TButton* rep = AddButton(form_, "&Ersetzen", 270, 36);
  rep->OnClick = [this](TObject*) { DoReplace(false); };
  TButton* all = AddButton(form_, "&Alle ersetzen", 270, 64);
  all->OnClick = [this](TObject*) { DoReplace(true); };
  cancel_->SetTop(92);
}

void TReplaceDialog::ReadForm() {
  TFindDialog::ReadForm();
  if (form_ && replaceEdit_) replaceText_ = replaceEdit_->Text();
  options_ |= frDown;
}

void TReplaceDialog::DoReplace(bool all) {
  ReadForm();
  options_ |= all ? frReplaceAll : frReplace;
  if (OnReplace) OnReplace(this);
}

// ------------------------------------------------------------- printing

bool TPrintDialog::RunForm(bool setup) {
  if (!Application) InitUi();
  TPrinter* pr = Printer();
  std::unique_ptr<TForm> f(new TForm(Application));
  form_ = f.get();
  TScopeExit clearForm{[this] { form_ = nullptr; }};
  f->SetBorderStyle(bsDialog);
  f->SetCaption(setup ? L("Druckereinrichtung") : "Drucken");
  f->SetColor(clBtnFace);
  f->SetClientSize(360, setup ? 150 : 130);
  auto* grp = new TGroupBox(f.get());
  grp->SetParent(f.get());
  grp->SetCaption("Drucker");
  grp->SetBounds(8, 6, 344, 56);
  auto* names = new TComboBox(f.get());
  names->SetName("cmbPrinter");
  names->SetParent(grp);
  names->SetStyle(csDropDownList);
  names->SetBounds(60, 22, 270, 21);
  TLabel* nameLabel = AddLabel(f.get(), "&Name:", 10, 26, names);
  nameLabel->SetParent(grp);
  for (const std::string& n : pr->Printers()) names->Items()->Add(n == kPdfPrinterName ? L("PDF-Datei") : n);
  names->SetItemIndex(std::max(0, pr->PrinterIndex()));
  TEdit* copies = nullptr;
  TRadioGroup* orient = nullptr;
  if (setup) {
    orient = new TRadioGroup(f.get());
    orient->SetName("rgOrientation");
    orient->SetParent(f.get());
    orient->SetCaption("Ausrichtung");
    orient->SetBounds(8, 68, 160, 70);
    orient->Items()->Add("&Hochformat");
    orient->Items()->Add("&Querformat");
    orient->SetItemIndex(pr->Orientation() == poLandscape ? 1 : 0);
  } else {
    copies = new TEdit(f.get());
    copies->SetName("edCopies");
    copies->SetParent(f.get());
    copies->SetBounds(110, 72, 50, 21);
    copies->SetText(std::to_string(std::max(1, copies_)));
    AddLabel(f.get(), "&Anzahl Exemplare:", 8, 76, copies);
  }
  // The buttons end where the group box does: the same margin on both sides.
  const int right = grp->Left() + grp->Width(), buttonTop = setup ? 116 : 100;
  TButton* ok = AddButton(f.get(), "OK", right - 2 * 90 - 4, buttonTop);
  ok->SetModalResult(mrOk);
  ok->SetDefault(true);
  TButton* cancel = AddButton(f.get(), "Abbrechen", right - 90, buttonTop);
  cancel->SetModalResult(mrCancel);
  cancel->SetCancel(true);
  if (Screen) f->SetBounds((Screen->Width() - f->Width()) / 2, (Screen->Height() - f->Height()) / 2, f->Width(), f->Height());
  if (f->ShowModal() != mrOk) return false;
  int idx = names->ItemIndex();
  if (idx < 0) return false;
  // The PDF printer writes a file: ask for its name.
  if (pr->Printers()[static_cast<std::size_t>(idx)] == kPdfPrinterName && !setup) {
    TSaveDialog sd(nullptr);
    sd.SetFilter(L("PDF-Dateien (*.pdf)|*.pdf"));
    sd.SetDefaultExt("pdf");
    // Its name only: the dialog opens in the user's folders, not in the
    // temporary one the printer starts with.
    sd.SetFileName(ExtractFileName(pr->OutputFileName()));
    if (!sd.Execute()) return false;
    pr->SetOutputFileName(sd.FileName());
  }
  pr->SetPrinterIndex(idx);
  if (orient) pr->SetOrientation(orient->ItemIndex() == 1 ? poLandscape : poPortrait);
  if (copies) {
    int n = 1;
    try {
      n = std::stoi(copies->Text());
    } catch (...) {
      n = 1;
    }
    copies_ = std::clamp(n, 1, 999);
    pr->SetCopies(copies_);
  }
  return true;
}

bool TPrintDialog::Execute() { return RunForm(false); }
bool TPrinterSetupDialog::Execute() { return RunForm(true); }

// ------------------------------------------------------------- platform

bool ShellOpen(const AnsiString& url) {
  AnsiString lower;
  for (char c : url) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const char* const kSchemes[] = {"http://", "https://", "ftp://", "mailto:", "file:"};
  bool ok = std::any_of(std::begin(kSchemes), std::end(kSchemes),
                        [&](const char* s) { return lower.rfind(s, 0) == 0; });
  // A bare "www." address is a web address, as the desktop shell takes it.
  if (!ok && lower.rfind("www.", 0) == 0) return WindowHost().OpenUrl("http://" + url);
  if (!ok) return false;
  return WindowHost().OpenUrl(url);
}

namespace {
HWND gLocked = 0;
}

bool LockWindowUpdate(HWND wnd) {
  if (wnd && gLocked && gLocked != wnd) return false;
  HWND old = gLocked;
  gLocked = wnd;
  if (!wnd && old)
    if (TWinControl* c = FindControl(old)) c->Invalidate();
  return true;
}

HWND LockedWindow() {
  if (gLocked && !FindControl(gLocked)) gLocked = 0;
  return gLocked;
}

void StopSound() {}
