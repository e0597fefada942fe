// Test fixture of the print templates: a program directory with the
// reference data and default templates the build made, the settings loaded
// and the user's tables created, one own person entry in "EIGENES", and a
// sheet (a rich-text control on a form not yet shown, as the print window
// fills its preview) with helpers that read its paragraphs back.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/base/userdb.h"
#include "app/base/usertables.h"
#include "app/templates/expansion.h"
#include "app/text/helpers.h"
#include "platform/gfx/device.h"
#include "platform/ui/menus.h"
#include "richtext/controls/richtext.h"
#include "tests/app/app_fixture.h"

namespace tpltest {

// One paragraph of a sheet: its characters with their records.
struct Par {
  std::string Text;
  std::vector<TWPAttrRecord> Attrs;
  int32_t LeftIndent = 0;
};

inline std::vector<Par> Paragraphs(TWPCustomRtfEdit* e) {
  std::vector<Par> out;
  for (TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next) {
    Par par;
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i) {
        par.Text += l->pc[i];
        par.Attrs.push_back(l->pa ? l->pa[i] : e->RtfText()->WritingAttr);
      }
    par.LeftIndent = p->LeftIndent;
    out.push_back(std::move(par));
  }
  return out;
}

// The look of a character as the sheet keeps it (layout caches left out).
inline bool SameLook(const TWPAttrRecord& a, const TWPAttrRecord& b) {
  return a.Font == b.Font && a.Size == b.Size && a.Style == b.Style && a.Colors == b.Colors;
}

struct TEntryData {
  AnsiString FirstName, Surname, Place = "Bern", PlacePrep = "in", Time = "07:45:00";
  int Sex = 1;
  TDateTime Birth = EncodeDate(1943, 2, 22);
};

// A window as the screen shows it, the open menu windows drawn over it.
inline void SaveScreen(TCustomForm* form, const std::string& name) {
  std::vector<TCustomForm*> windows{form};
  for (TCustomForm* m : OpenMenuWindows()) windows.push_back(m);
  TSurface out;
  const TPoint o = form->ClientOrigin();
  out.Resize(form->Surface()->Width(), form->Surface()->Height());
  for (TCustomForm* w : windows) {
    w->PaintPending();
    const TSurface& s = *w->Surface();
    const int ox = w == form ? 0 : w->Left() - o.X, oy = w == form ? 0 : w->Top() - o.Y;
    for (int y = 0; y < s.Height(); ++y)
      for (int x = 0; x < s.Width(); ++x)
        if (ox + x < out.Width() && oy + y < out.Height()) out.Row(oy + y)[ox + x] = s.Row(y)[x];
  }
  const std::vector<std::uint8_t> png = GfxPlatform()->EncodePng(out);
  std::ofstream(TUiTestDriver::ArtifactDir() + "/" + name + ".png", std::ios::binary)
      .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

// A text loaded from RTF bytes (a template's field, an archive record).
inline void LoadRtf(const AnsiString& bytes, TWPRTFTextIo& text) {
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  ms.SetPosition(0);
  text.LoadFromStream(&ms);
}

class TemplateTest : public apptest::ProgramDirTest {
 protected:
  void SetUp() override {
    ProgramDirTest::SetUp();
    CopyReferenceData();
    CopyDefaultTemplates();
    InitColorTable();
    LoadSettings();
    CreateUserDatabase();
    entry = apptest::OpenTable("OrvUser", "EIGENES.FFD", "XEIGE_ID");
    FixStringFields(entry.get());
    form = new TForm(Application);
    form->SetClientSize(640, 720);
    sheet = new TWPRichText(form);
    sheet->SetParent(form);
    sheet->SetAlign(alClient);
    sheet->SetWordWrap(true);
  }
  void TearDown() override {
    delete form;
    entry.reset();
    ProgramDirTest::TearDown();
  }

  // A new own person entry, the current record of `entry`.
  void AddEntry(const TEntryData& d) {
    entry->Append();
    entry->FieldByName("EIGE_ID")->SetAsInteger(++lastId);
    entry->FieldByName("EIGE_TYP")->SetAsInteger(etPerson);
    entry->FieldByName("EIGE_VORNAME")->SetAsString(d.FirstName);
    entry->FieldByName("EIGE_NACHNAME")->SetAsString(d.Surname);
    entry->FieldByName("EIGE_GESCH")->SetAsInteger(d.Sex);
    entry->FieldByName("EIGE_ORT")->SetAsString(d.Place);
    entry->FieldByName("EIGE_ORTPR")->SetAsString(d.PlacePrep);
    entry->FieldByName("EIGE_DATUM")->SetAsDateTime(d.Birth);
    if (!d.Time.empty()) entry->FieldByName("EIGE_ZEIT")->SetAsDateTime(StrToTime(d.Time));
    entry->Post();
  }

  // Runs the expansion on the sheet's text.
  void Expand(const TTemplateDates& dates) { Expand(sheet, dates); }
  void Expand(TWPCustomRtfEdit* into, const TTemplateDates& dates) { ExpandTemplate(into, entry.get(), dates); }

  std::unique_ptr<TwwTable> entry;
  TForm* form = nullptr;
  TWPRichText* sheet = nullptr;
  int lastId = 0;
};

}  // namespace tpltest
