// The base window: placement and single integers kept in the window's
// section of the settings file. Each routine opens the file afresh, so two
// windows never overwrite each other's keys with stale copies.
#include "app/base/orvform.h"

#include <algorithm>

#include "app/settings/settings.h"
#include "dbcontrols/grid/wwgrid.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/mask.h"

AnsiString GridColumnKey(const AnsiString& gridName, int column) { return gridName + " Col. " + IntToStr(column); }

TOrvelanForm::TOrvelanForm(TComponent* owner) : TForm(owner) {}

void TOrvelanForm::SetFormKey(const AnsiString& key) { formKey_ = key.substr(0, 31); }

void TOrvelanForm::ReadPosition() {
  auto ini = OpenSettingsFile();
  // A window stored maximised is shown maximised; its stored normal
  // placement is where it returns when the user un-maximises it.
  if (WindowState() == wsMaximized) SetWindowState(wsNormal);
  const int screenW = Screen->Width(), screenH = Screen->Height();
  // Without a stored placement the window is centred. A stored edge off
  // the screen comes back to it below anyway: bound here, the sums that
  // follow stay far from the integer range's ends.
  int left = std::clamp(ini->ReadInteger(formKey_, "Links", (screenW - Width()) / 2), -screenW, screenW);
  int top = std::clamp(ini->ReadInteger(formKey_, "Oben", (screenH - Height()) / 2), -screenH, screenH);
  int width = Width(), height = Height();
  if (BorderStyle() == bsSizeable) {
    width = ini->ReadInteger(formKey_, "Breite", width);
    height = ini->ReadInteger(formKey_, "Hoehe", height);
  }
  // A damaged or edited file must not make a window the screen cannot
  // hold (nor one without area): its back buffer alone would exhaust
  // the memory at every start.
  if (width <= 0) width = Width();
  if (height <= 0) height = Height();
  width = std::min(width, std::max(screenW, Width()));
  height = std::min(height, std::max(screenH, Height()));
  // Nor one smaller than the window allows: its controls would lie on
  // top of each other, and the size would be written back at every end.
  TPoint minSize, maxSize;
  TrackSizeLimits(minSize, maxSize);
  width = std::max(width, minSize.X);
  height = std::max(height, minSize.Y);
  if (left + width > screenW) left = screenW - width;
  if (top + height > screenH) top = screenH - height;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  SetBounds(left, top, width, height);
  if (ini->ReadBool(formKey_, "Maximiert", false)) SetWindowState(wsMaximized);
  ReadGridWidths(*ini);
}

void TOrvelanForm::WritePosition() {
  // A settings file that cannot be written is told once, not at every
  // window that closes.
  try {
    auto ini = OpenSettingsFile();
    ini->BeginUpdate();
    ini->WriteBool(formKey_, "Maximiert", WindowState() == wsMaximized);
    // A minimised or maximised window keeps its last normal placement.
    if (WindowState() == wsNormal) {
      ini->WriteInteger(formKey_, "Links", Left());
      ini->WriteInteger(formKey_, "Oben", Top());
      if (BorderStyle() == bsSizeable) {
        ini->WriteInteger(formKey_, "Breite", Width());
        ini->WriteInteger(formKey_, "Hoehe", Height());
      }
    }
    WriteGridWidths(*ini);
    ini->EndUpdate();
  } catch (const EIniFileException& e) {
    TellSettingsUnwritable(e.ErrorCode());
  }
}

int TOrvelanForm::ReadIntegerParam(const AnsiString& key, int def) {
  return OpenSettingsFile()->ReadInteger(formKey_, key, def);
}

void TOrvelanForm::WriteIntegerParam(const AnsiString& key, int value) {
  try {
    OpenSettingsFile()->WriteInteger(formKey_, key, value);
  } catch (const EIniFileException& e) {
    TellSettingsUnwritable(e.ErrorCode());
  }
}

void TOrvelanForm::OptimizeGrids() {
  if (Active()) StretchGridColumns();
}

void TOrvelanForm::SetFormName(const AnsiString& name) {
  AnsiString unique = name;
  for (int n = 1; Owner() && Owner()->FindComponent(unique) && Owner()->FindComponent(unique) != this; ++n)
    unique = name + "_" + IntToStr(n);
  SetName(unique);
}

void TOrvelanForm::Dispatch(TMessage& m) {
  // Also while the window is being shown: its stored size is checked then.
  if (m.Msg == WM_GETMINMAXINFO && Visible()) {
    const TPoint min = MinimumSize();
    if (min.X > 0 || min.Y > 0) {
      auto* mmi = reinterpret_cast<TMinMaxInfo*>(m.LParam);
      if (min.X > 0) mmi->ptMinTrackSize.x = min.X;
      if (min.Y > 0) mmi->ptMinTrackSize.y = min.Y;
      m.Result = 0;
      return;
    }
  }
  if (m.Msg == WM_HELP) {
    ShowHelp();
    m.Result = 1;
    return;
  }
  if (m.Msg == WM_COMMAND && HiWord(static_cast<std::intptr_t>(m.WParam)) == EN_MAXTEXT) {
    if (auto* edit = dynamic_cast<TCustomEdit*>(FindControl(static_cast<HWND>(m.LParam)))) {
      TellFieldRoom(edit->MaxLength());
      m.Result = 1;
      return;
    }
  }
  TForm::Dispatch(m);
}

void TOrvelanForm::KeyPress(char& key) {
  auto* edit = dynamic_cast<TCustomEdit*>(ActiveControl());
  auto* masked = dynamic_cast<TCustomMaskEdit*>(edit);
  // A masked field always holds its whole mask and is typed over.
  const bool plain = edit && !(masked && masked->IsMasked()) && !edit->ReadOnly();
  const bool full = plain && edit->MaxLength() > 0 &&
                    static_cast<int>(edit->Text().size()) - edit->SelLength() >= edit->MaxLength();
  // Blanks around a typed line go before it is fitted, as around a pasted
  // one: a blank at its start or beyond its room is not taken.
  if (plain && key == ' ' && !edit->TakesLines() && (edit->SelStart() == 0 || full)) {
    key = 0;
    return;
  }
  if (full && static_cast<unsigned char>(key) >= ' ') {
    // Refused with a beep, as every refused key is: a message box here
    // would take the keys typed next (Tab, the next field's text).
    key = 0;
    MessageBeep(0);
    return;
  }
  TForm::KeyPress(key);
}

void TOrvelanForm::TellFieldRoom(int maxLength) {
  Application->MessageBox(
      Format(CP1252("In dieses Feld passen höchstens %d Zeichen; weitere Zeichen werden nicht angenommen.").str(),
             maxLength),
      Caption(), MB_OK | MB_ICONWARNING);
}

void TOrvelanForm::ShowHelp() { Application->HelpContext(helpContext_); }

namespace {

// The widest column a stored width may give (pixels).
constexpr int kMaxColumnWidth = 32767;

// Calls f for every data grid the window owns, in component order.
template <class F>
void ForEachGrid(const TComponent* owner, F f) {
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (auto* grid = dynamic_cast<TwwDBGrid*>(owner->Components(i))) f(grid);
}

}  // namespace

void TOrvelanForm::ReadGridWidths(TIniFile& ini) {
  ForEachGrid(this, [&](TwwDBGrid* grid) {
    for (int n = 0; n < grid->GetColCount(); ++n) {
      // A width no screen shows keeps the column's own.
      const int width = ini.ReadInteger(formKey_, GridColumnKey(grid->Name(), n), grid->ColWidths(n));
      grid->SetColWidths(n, width >= 0 && width <= kMaxColumnWidth ? width : grid->ColWidths(n));
    }
  });
}

void TOrvelanForm::WriteGridWidths(TIniFile& ini) {
  ForEachGrid(this, [&](TwwDBGrid* grid) {
    for (int n = 0; n < grid->GetColCount(); ++n)
      ini.WriteInteger(formKey_, GridColumnKey(grid->Name(), n), grid->ColWidths(n));
  });
}

void TOrvelanForm::StretchGridColumns() {
  ForEachGrid(this, [](TwwDBGrid* grid) { grid->StretchLastColumn(); });
}
