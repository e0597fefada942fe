// A lookup combo in a real window under a virtual X server (run by the
// real-window lookup test): Alt+Down typed through the toolkit's key events
// opens the drop-down over the form and over another window lying below it;
// the screen then shows the list's own picture where the list lies, the form
// stays the active window with the combo focused, typing goes on into the
// combo and searches the list, and Enter takes the profession found.
// Arguments: the folder holding BERUF.FFD, the PNG to save the screen to.
// Exits 0 when every step did what it should.
#include <cstdio>
#include <string>

#include "dbcontrols/lookup/wwlookupcombo.h"
#include "platform/db/dbtables.h"
#include "platform/gfx/device.h"
#include "platform/qt/qt_window_host.h"
#include "platform/ui/forms.h"
#include "platform/ui/timers.h"
#include "tests/xcb_ui.h"

namespace {

// Toolkit key codes (the toolkit's own numbering).
constexpr int kKeyReturn = 0x01000004, kKeyDown = 0x01000015, kKeyAlt = 0x01000023;

void Key(THostWindow* w, int key, const char* text) {
  qtwin::InjectKey(w, key, 0, text, true);
  qtwin::InjectKey(w, key, 0, "", false);
}

// Share of the pixels of the screen rectangle that show the window's own
// picture at its place.
double ShownShare(TCustomForm* window) {
  const TPoint o = window->ClientOrigin();
  const TSurface& own = *window->Surface();
  THostImage screen;
  if (!qtwin::GrabScreen(o.X, o.Y, own.Width(), own.Height(), screen) || screen.Width != own.Width()) return 0;
  int same = 0;
  for (int y = 0; y < own.Height(); ++y)
    for (int x = 0; x < own.Width(); ++x)
      same += (own.Row(y)[x] & 0xFFFFFF) == (screen.Argb[static_cast<std::size_t>(y * screen.Width + x)] & 0xFFFFFF);
  return static_cast<double>(same) / (own.Width() * own.Height());
}

bool SaveScreen(const TRect& r, const std::string& path) {
  THostImage shot;
  if (!qtwin::GrabScreen(r.Left, r.Top, r.Width(), r.Height(), shot)) return false;
  TSurface s;
  s.Resize(shot.Width, shot.Height);
  for (int y = 0; y < shot.Height; ++y)
    for (int x = 0; x < shot.Width; ++x) s.Row(y)[x] = shot.Argb[static_cast<std::size_t>(y * shot.Width + x)];
  const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(s);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (!StartXcbUi()) return 2;
  Session->AddStandardAlias("Orvelan", argv[1]);
  TwwTable professions(nullptr);
  professions.SetDatabaseName("Orvelan");
  professions.SetTableName("BERUF.FFD");
  professions.SetIndexName("XPKBERU");
  professions.Open();

  // The other window: below the form, where the list will hang down.
  auto* cover = new TForm(Application);
  cover->SetCaption("Hinweis");
  cover->SetBounds(40, 150, 420, 260);
  cover->SetColor(clYellow);
  cover->Show();

  auto* f = new TForm(Application);
  f->SetCaption("Beruf");
  f->SetBounds(60, 60, 320, 90);
  auto* combo = new TwwDBLookupCombo(f);
  combo->SetParent(f);
  combo->SetBounds(8, 8, 240, 21);
  combo->SetLookupTable(&professions);
  combo->SetLookupField("BERU_ID");
  TStringList columns;
  columns.Add("BERU_ID\t5\tNr.");
  columns.Add("BERU_NAMEM\t18\tBeruf");
  combo->SetSelected(&columns);
  combo->SetOptions(loColLines | loRowLines | loTitles);

  auto* t = new TTimer(f);
  t->SetInterval(200);
  int ticks = 0;
  bool opened = false, onTop = false, active = false, searched = false, taken = false;
  double share = 0;
  t->OnTimer = [&](TObject*) {
    ++ticks;
    THostWindow* w = f->HostWindow();
    if (!w || !qtwin::IsExposed(w)) return;
    if (ticks == 2) {
      combo->SetFocus();
      qtwin::InjectKey(w, kKeyAlt, 0, "", true);
      Key(w, kKeyDown, "");
      qtwin::InjectKey(w, kKeyAlt, 0, "", false);
    } else if (ticks == 4) {
      TCustomForm* list = combo->DropWindow();
      opened = combo->ListVisible() && list && list->HostWindow() && qtwin::IsExposed(list->HostWindow());
      if (opened) {
        list->PaintPending();
        share = ShownShare(list);
        onTop = share > 0.98;
      }
      active = qtwin::IsActive(w) && Screen->ActiveForm() == f && combo->Focused();
      if (argc > 2 && list) SaveScreen(UnionRect(f->BoundsRect(), list->BoundsRect()), argv[2]);
      // The profession numbered 12, typed into the open list.
      Key(w, '1', "1");
      Key(w, '2', "2");
    } else if (ticks == 6) {
      searched = professions.FieldByName("BERU_ID")->AsInteger() == 12 && combo->ListVisible();
      Key(w, kKeyReturn, "\r");
    } else if (ticks == 7) {
      taken = !combo->ListVisible() && combo->Value() == "12" && qtwin::IsActive(w) && combo->Focused();
      f->SetModalResult(mrOk);
    }
    if (ticks > 40) f->SetModalResult(mrAbort);
  };
  const int result = f->ShowModal();
  std::fprintf(stderr, "result %d after %d ticks: opened %d, on top %d (%.3f), active %d, searched %d, taken %d\n",
               result, ticks, opened, onTop, share, active, searched, taken);
  const bool ok = result == mrOk && opened && onTop && active && searched && taken;
  professions.Close();
  ShutdownUi();
  return ok ? 0 : 1;
}
