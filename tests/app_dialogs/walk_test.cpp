// Every menu entry, tool button and dialog button of every window, walked
// headless on the real windows. The list is generated: from the main
// window on, each window's menus (its main menu and popup menus) and its
// buttons (explorer buttons, push buttons, the tool bars' icons, link
// labels) are read from its control tree, and each must have a line in the
// table of what it does, so that a new one cannot be forgotten. Each is
// clicked once: it opens the window it names (checked by caption, then
// walked in turn), shows its message, closes its window with its result, or
// does what it says (checked on the window, the settings or the clipboard).
// In every window F1 gives the German "no help file" message and Escape
// closes every dialog; each window is saved as PNG and then has nothing
// left to paint.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>

#include "app/base/usertables.h"
#include "app/dialogs/params.h"
#include "app/editors/entryform.h"
#include "app/editors/perserf.h"
#include "app/templates/language.h"
#include "app/templates/layoutedit.h"
#include "app/windows/datawin.h"
#include "app/windows/preview.h"
#include "app/windows/saying.h"
#include "app/windows/warner.h"
#include "calendar/packeddate.h"
#include "dbcontrols/edit/wwdbcombo.h"
#include "dbcontrols/grid/wwgrid.h"
#include "dbcontrols/lookup/wwlookupcombo.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/stdctrls.h"
#include "tests/app_main/main_fixture.h"
#include "widgets/explorerbtn.h"
#include "widgets/smallwidgets.h"

namespace {

using maintest::MainWindowTest;

AnsiString L(const char* utf8) {
  AnsiString s;
  Utf8ToCp1252(utf8, s);
  return s;
}
const AnsiString kNoHelp = "Die Hilfedatei \"OrvHilfe.hlp\" wurde nicht gefunden.";

// One thing of a window the user can click.
struct Entry {
  std::string Key;  // window class "." component name (an unnamed one by its menu and caption or its hint)
  TControl* Button = nullptr;
  TMenuItem* Item = nullptr;
  bool Enabled() const { return Button ? Button->Enabled() : Item->Enabled(); }
};

bool Reachable(TControl* c) {
  for (; c; c = c->Parent())
    if (!c->Visible()) return false;
  return true;
}

void CollectButtons(TWinControl* parent, const std::string& window, std::vector<Entry>& out) {
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    const bool button = dynamic_cast<TExplorerButton*>(c) || dynamic_cast<TButton*>(c) || dynamic_cast<TKURL2*>(c);
    if (button && Reachable(c))
      out.push_back({window + "." + (c->Name().empty() ? "icon " + Cp1252ToUtf8(c->Hint()) : c->Name()), c});
    if (auto* w = dynamic_cast<TWinControl*>(c)) CollectButtons(w, window, out);
  }
}

void CollectItems(TMenuItem* item, const std::string& path, std::vector<Entry>& out) {
  for (int i = 0; i < item->Count(); ++i) {
    TMenuItem* m = item->Items(i);
    if (!m->Visible() || m->IsLine()) continue;
    const std::string name = m->Name().empty() ? path + "/" + Cp1252ToUtf8(StripHotkey(m->Caption())) : m->Name();
    if (m->Count() > 0)
      CollectItems(m, path + "/" + Cp1252ToUtf8(StripHotkey(m->Caption())), out);
    else
      out.push_back({name, nullptr, m});
  }
}

// The window's clickable things, generated from its components.
std::vector<Entry> EntriesOf(TCustomForm& f) {
  std::vector<Entry> out;
  const std::string window = f.ClassName();
  CollectButtons(&f, window, out);
  for (int i = 0; i < f.ComponentCount(); ++i)
    if (auto* menu = dynamic_cast<TMenu*>(f.Components(i))) {
      std::vector<Entry> items;
      CollectItems(menu->Items(), menu->Name(), items);
      for (Entry& e : items) out.push_back({window + "." + e.Key, nullptr, e.Item});
    }
  return out;
}

// The visible text of a rich-text control.
std::string TextOf(TWPCustomRtfEdit* e) {
  std::string out;
  for (TWPParagraphRec* p = e->RtfText()->FirstPar; p; p = p->next, out += "\n")
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0; i < l->Length; ++i)
        if (!l->pa || !(l->pa[i].Style & wpsHidden)) out += l->pc[i];
  return out;
}

// The point and link code of the first link shown in a rich-text control
// that `wanted` takes (scrolled to where it shows).
bool FirstLink(TWPCustomRtfEdit* e, TPoint& at, AnsiString& code,
               const std::function<bool(const AnsiString&)>& wanted = {}) {
  TWPRTFTextInput* t = e->RtfText();
  for (TWPParagraphRec* p = t->FirstPar; p; p = p->next)
    for (TWPLineRec* l = p->line; l; l = l->next)
      for (int i = 0, k = 0; l->pa && i < l->Length; i = std::max(k, i + 1)) {
        k = i;
        if ((l->pa[i].Style & (wpsHyperlink | wpsHidden)) != wpsHyperlink) continue;
        while (k < l->Length && (l->pa[k].Style & (wpsHyperlink | wpsHidden)) == wpsHyperlink) ++k;
        for (code.clear(); k < l->Length && (l->pa[k].Style & wpsHidden); ++k) code += l->pc[k];
        if (wanted && !wanted(code)) continue;
        if (l->Top < t->TopOffset || l->Top + l->Height > t->TopOffset + e->ClientHeight())
          e->SetTopOffset(std::max(0, l->Top - e->ClientHeight() / 3));
        at = {t->CursorX(p, l, i) + t->HorzOffset + 2, l->Top - t->TopOffset + l->Height / 2};
        return true;
      }
  code.clear();
  return false;
}

// The document a window's rich-text tool bar works on.
TWPCustomRtfEdit* EditorOf(TCustomForm& f) {
  if (auto* l = dynamic_cast<TfrmLayout*>(&f)) return l->DBWPRichText1;
  if (auto* p = dynamic_cast<TfrmPreview*>(&f)) return p->WPRichText1;
  return nullptr;
}
TDataSet* NavTableOf(TCustomForm& f) {
  if (auto* e = dynamic_cast<TEntryForm*>(&f)) return e->NavTable();
  if (auto* l = dynamic_cast<TfrmLayout*>(&f)) return l->tblLOut;
  return nullptr;
}

AnsiString DayLabel(TDateTime d) {
  static const char* const months[] = {"Januar", "Februar", "März",      "April",   "Mai",      "Juni",
                                       "Juli",   "August",  "September", "Oktober", "November", "Dezember"};
  int y = 0, m = 0, day = 0;
  DecodeDate(d, y, m, day);
  return IntToStr(day) + ". " + L(months[m - 1]);
}

// What an entry does.
struct Does {
  enum Kind { Opens, Closes, Says, Acts } What;
  AnsiString Text;      // Opens: the caption the window starts with; Says: the message
  int Result = mrNone;  // Closes: the modal result (mrNone: the window is hidden)
  // Acts: clicks (by `click`) and checks what it did.
  std::function<void(TCustomForm&, const std::function<void()>& click)> Act;
  // Brings the window into the state in which the entry can be used.
  std::function<void(TCustomForm&)> Before;
};
Does Opens(const char* caption, std::function<void(TCustomForm&)> before = {}) {
  return {Does::Opens, L(caption), mrNone, {}, std::move(before)};
}
Does Closes(int result) { return {Does::Closes, "", result, {}, {}}; }
Does Says(const AnsiString& text) { return {Does::Says, text, mrNone, {}, {}}; }
Does Acts(std::function<void(TCustomForm&, const std::function<void()>&)> act,
          std::function<void(TCustomForm&)> before = {}) {
  return {Does::Acts, "", mrNone, std::move(act), std::move(before)};
}

class Walker {
 public:
  Walker(TUiTestDriver& driver, std::map<std::string, Does> table) : d_(driver), table_(std::move(table)) {}

  const Does* Find(const std::string& key) const {
    if (auto it = table_.find(key); it != table_.end()) return &it->second;
    const std::string any = "*" + key.substr(key.find('.'));
    if (auto it = table_.find(any); it != table_.end()) return &it->second;
    for (const auto& [prefix, does] : table_)
      if (prefix.back() == '*' && key.rfind(prefix.substr(0, prefix.size() - 1), 0) == 0) return &does;
    return nullptr;
  }

  void Click(const Entry& e) {
    if (e.Button)
      d_.Click(e.Button);
    else
      e.Item->Click();
  }

  // Every entry of the window but those that close it, then F1; the
  // closing ones are returned for their own visits.
  std::vector<std::string> WalkInside(TCustomForm& w) {
    std::vector<std::string> closers;
    // Each data grid's columns fill its width: no empty strip beside the last.
    for (int i = 0; i < w.ComponentCount(); ++i)
      if (auto* g = dynamic_cast<TwwDBGrid*>(w.Components(i)); g && Reachable(g)) {
        int total = 0;
        for (int c = 0; c < g->ColCount(); ++c) total += g->ColWidths(c) + g->GridLineWidth();
        EXPECT_GE(total, g->ClientWidth() - 3) << w.ClassName() << "." << g->Name() << ": columns short of the grid";
      }
    for (const Entry& e : EntriesOf(w)) {
      SCOPED_TRACE(e.Key);
      walked_.push_back(e.Key);
      const Does* does = Find(e.Key);
      if (!does) {
        ADD_FAILURE() << e.Key << " (\"" << Cp1252ToUtf8(e.Button ? e.Button->Caption() : e.Item->Caption())
                      << "\") is not in the table of what each entry does";
        continue;
      }
      if (does->What == Does::Closes) {
        closers.push_back(e.Key);
        continue;
      }
      Use(w, e, *does);
    }
    DropDownsKeepEnterAndEscape(w, &w);
    if (dynamic_cast<TOrvelanForm*>(&w)) {
      const size_t boxes = d_.MessageBoxes().size();
      d_.AnswerNextMessageBox(IDOK);
      d_.PressKey(VK_F1);
      EXPECT_EQ(d_.MessageBoxes().size(), boxes + 1) << w.ClassName() << ": F1 gives no message";
      if (d_.MessageBoxes().size() > boxes) {
        EXPECT_EQ(d_.MessageBoxes().back().Text, kNoHelp) << w.ClassName();
      }
    }
    return closers;
  }

  // While a drop-down list is open, Enter and Escape close only the list,
  // never its window.
  void DropDownsKeepEnterAndEscape(TCustomForm& w, TWinControl* parent) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
      auto* c = dynamic_cast<TWinControl*>(parent->Controls(i));
      if (!c) continue;
      DropDownsKeepEnterAndEscape(w, c);
      auto* combo = dynamic_cast<TCustomComboBox*>(c);
      auto* dbCombo = dynamic_cast<TwwDBComboBox*>(c);
      auto* lookup = dynamic_cast<TwwDBCustomLookupCombo*>(c);
      if ((!combo || combo->Style() == csSimple) && !dbCombo && !lookup) continue;
      if (!Reachable(c) || !c->CanFocus()) continue;
      auto open = [&] {
        return combo ? combo->DroppedDown() : dbCombo ? dbCombo->DroppedDown() : lookup->ListVisible();
      };
      SCOPED_TRACE(std::string(w.ClassName()) + "." + c->Name());
      for (Word key : {VK_ESCAPE, VK_RETURN}) {
        c->SetFocus();
        d_.PressKey(VK_DOWN, ssAlt);
        ASSERT_TRUE(open());
        d_.PressKey(key);
        EXPECT_FALSE(open()) << key;
        EXPECT_TRUE(w.Visible() && w.ModalResult() == mrNone) << key;
        w.SetModalResult(mrNone);
      }
    }
  }

  void Use(TCustomForm& w, const Entry& e, const Does& does) {
    auto ready = [&] {
      if (does.Before) does.Before(w);
      EXPECT_TRUE(e.Enabled()) << "disabled";
    };
    if (does.What == Does::Opens) {
      // Each opening (the window's closing entries open it again) starts ready.
      Open(
          [&] {
            ready();
            Click(e);
          },
          does.Text);
      return;
    }
    ready();
    switch (does.What) {
      case Does::Opens:
        break;
      case Does::Says: {
        const size_t boxes = d_.MessageBoxes().size();
        d_.AnswerNextMessageBox(IDOK);
        Click(e);
        ASSERT_EQ(d_.MessageBoxes().size(), boxes + 1);
        EXPECT_EQ(Cp1252ToUtf8(d_.MessageBoxes().back().Text), Cp1252ToUtf8(does.Text));
        break;
      }
      case Does::Acts:
        does.Act(w, [&] { Click(e); });
        break;
      case Does::Closes:
        break;
    }
  }

  // A modal window opened by `open`, checked by its caption, walked on its
  // first visit and closed with Escape; then opened once more for each of
  // its closing entries, which must end it with their result.
  void Open(const std::function<void()>& open, const AnsiString& caption) {
    std::string key;
    std::vector<std::string> closers;
    bool first = false, came = false;
    // A step left over from an opening that brought no window does nothing.
    auto mine = std::make_shared<bool>(true);
    d_.WhenModal([&, mine](TCustomForm& w) {
      if (!*mine) return;
      came = true;
      key = std::string(w.ClassName()) + " " + Cp1252ToUtf8(w.Caption());
      EXPECT_EQ(Cp1252ToUtf8(w.Caption().substr(0, caption.size())), Cp1252ToUtf8(caption)) << w.ClassName();
      first = seen_.insert(key).second;
      // The platform's own dialogs (printing) are only opened and closed.
      if (first && dynamic_cast<TOrvelanForm*>(&w)) {
        shown_.push_back(key);
        d_.Process();
        d_.SavePng(&w, "walk_" + std::to_string(shown_.size()) + "_" + w.ClassName());
        // Shown, it has nothing left to paint: a window that asks for its
        // next paint from its paint keeps a processor busy.
        w.PaintPending();
        w.PaintPending();
        EXPECT_FALSE(w.PaintPendingFor()) << key << " paints itself again after every paint";
        closers = WalkInside(w);
      }
      if (w.ModalResult() != mrNone) return;  // a closing entry of the window's own ran
      d_.PressKey(VK_ESCAPE);
      EXPECT_NE(w.ModalResult(), mrNone) << key << ": Escape does not close it";
      if (w.ModalResult() == mrNone) w.SetModalResult(mrCancel);
    });
    open();
    *mine = false;
    ASSERT_TRUE(came) << "no window came for " << Cp1252ToUtf8(caption);
    for (const std::string& closer : closers) {
      SCOPED_TRACE(closer);
      auto again = std::make_shared<bool>(true);
      d_.WhenModal([&, again](TCustomForm& w) {
        if (!*again) return;
        *again = false;
        for (const Entry& e : EntriesOf(w))
          if (e.Key == closer) {
            const Does* does = Find(closer);
            if (does->Before) does->Before(w);
            const size_t boxes = d_.MessageBoxes().size();
            Click(e);
            EXPECT_EQ(d_.MessageBoxes().size(), boxes) << "a message instead of closing";
            if (does->Result == mrNone)
              EXPECT_NE(w.ModalResult(), mrNone);
            else
              EXPECT_EQ(w.ModalResult(), does->Result);
          }
        if (w.ModalResult() == mrNone) w.SetModalResult(mrCancel);
      });
      open();
      EXPECT_FALSE(*again) << "the window did not open again";
      *again = false;
    }
  }

  TUiTestDriver& d_;
  std::map<std::string, Does> table_;
  std::set<std::string> seen_;
  std::vector<std::string> shown_, walked_;
};

TUiTestDriver* gDriver = nullptr;

// The navigator buttons of an entry window or the template editor, on its
// table: each first brought where it can be used.
Does Nav(int tag) {
  auto before = [tag](TCustomForm& f) {
    TDataSet* t = NavTableOf(f);
    ASSERT_NE(t, nullptr);
    ASSERT_GE(t->RecordCount(), 2) << "the walk needs two records";
    if (tag == ntFirst || tag == ntPrior) t->Last();
    if (tag == ntNext || tag == ntLast) t->First();
    if (tag == ntPost || tag == ntCancel) t->Edit();
  };
  return Acts(
      [tag](TCustomForm& f, const std::function<void()>& click) {
        TDataSet* t = NavTableOf(f);
        const AnsiString from = t->Fields(0)->AsString();
        const int count = t->RecordCount();
        const size_t boxes = gDriver->MessageBoxes().size();
        if (tag == ntDelete) {
          gDriver->AnswerNextMessageBox(IDNO);  // not deleted: the refusal follows
          gDriver->AnswerNextMessageBox(IDOK);
        }
        click();
        if (tag <= ntLast) {
          EXPECT_NE(t->Fields(0)->AsString(), from) << "the record did not change";
        }
        // At the end it went to, its own button and its neighbour are off.
        if (tag == ntFirst || tag == ntLast) {
          for (const char* name : {tag == ntFirst ? "pbFirst" : "pbLast", tag == ntFirst ? "pbPrior" : "pbNext"})
            EXPECT_FALSE(dynamic_cast<TControl*>(f.FindComponent(name))->Enabled()) << name;
        }
        if (tag == ntInsert) {
          EXPECT_EQ(t->State(), dsInsert);
          t->Cancel();
        }
        if (tag == ntPost || tag == ntCancel) {
          EXPECT_EQ(t->State(), dsBrowse);
        }
        if (tag == ntDelete) {
          ASSERT_GE(gDriver->MessageBoxes().size(), boxes + 1);
          EXPECT_NE(gDriver->MessageBoxes()[boxes].Text.find(L("löschen")), AnsiString::npos);
          EXPECT_EQ(t->RecordCount(), count);
        } else {
          EXPECT_EQ(gDriver->MessageBoxes().size(), boxes) << "a message";
        }
      },
      before);
}

TEST_F(MainWindowTest, EveryEntryAndButtonOfEveryWindowDoesWhatItSays) {
  gDriver = &driver;
  TfrmMain* f = Start("[ALLGEMEIN]\r\nRubrik=2\r\n");
  // At a first start, on empty tables, every entry window offers only a
  // new entry.
  for (TMenuItem* item : {f->mnpPersErf, f->mnpEreiErf, f->mnpSelCErf, f->mnpLayout}) {
    driver.WhenModal([&](TCustomForm& w) {
      for (const char* name : {"pbFirst", "pbPrior", "pbNext", "pbLast", "pbDelete", "pbPost", "pbCancel"})
        EXPECT_FALSE(dynamic_cast<TControl*>(w.FindComponent(name))->Enabled()) << w.ClassName() << "." << name;
      EXPECT_TRUE(dynamic_cast<TControl*>(w.FindComponent("pbInsert"))->Enabled()) << w.ClassName();
      driver.PressKey(VK_ESCAPE);
    });
    item->Click();
  }
  CreateDefaultLayouts();
  // Two own persons, two events, two selection codes and the default templates.
  {
    auto t = apptest::OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_ID");
    int id = 0;
    for (auto [type, first, last, day, month, year] : {std::tuple{1, "Anna", "Muster", 3, 1, 1950},
                                                       {1, "Beat", "Beispiel", 17, 2, 1962},
                                                       {2, "", "Umzug nach Bern", 1, 4, 2001},
                                                       {2, "", "Hochzeit", 9, 9, 1999}}) {
      t->Append();
      t->FieldByName("EIGE_ID")->SetAsInteger(++id);
      t->FieldByName("EIGE_TYP")->SetAsInteger(type);
      t->FieldByName("EIGE_VORNAME")->SetAsString(first);
      t->FieldByName("EIGE_NACHNAME")->SetAsString(type == 1 ? last : "");
      t->FieldByName("EIGE_HINWEIS")->SetAsString(type == 1 ? AnsiString(last) + ", " + first : AnsiString(last));
      if (type == 2) t->FieldByName("EIGE_TEXT")->SetAsString(last);
      t->FieldByName("EIGE_DATUM")->SetAsDateTime(EncodeDate(year, month, day));
      t->FieldByName("EIGE_TAG")->SetAsInteger(day);
      t->FieldByName("EIGE_MONAT")->SetAsInteger(month);
      t->FieldByName("EIGE_JAHR")->SetAsInteger(year);
      t->Post();
    }
    auto codes = apptest::OpenTable(kUserAlias, "SELCODE.FFD", "XSELC_ID");
    for (auto [code, name] : {std::pair{"FAM", "Familie"}, {"FRE", "Freunde"}}) {
      codes->Append();
      codes->FieldByName("SELC_ID")->SetAsString(code);
      codes->FieldByName("SELC_NAME")->SetAsString(name);
      codes->Post();
    }
  }
  Application->CreateForm(frmSpruch);
  driver.Advance(200);

  const TDateTime today = Date();
  auto dayShown = [] { return PackedDateToDateTime(CurrentDateKey); };
  // A move of the date by the calendar keys: shown after the debounce.
  auto moves = [&](std::function<TDateTime(TDateTime)> to) {
    return Acts([&, to](TCustomForm&, const std::function<void()>& click) {
      const TDateTime from = dayShown();
      click();
      driver.Advance(400);
      EXPECT_EQ(dayShown(), to(from));
      ShowDay(f, today);
    });
  };
  auto rubric = [&](int r, TExplorerButton* button) {
    return Acts([=](TCustomForm&, const std::function<void()>& click) {
      f->SetRubrik(r == rbEmpty ? rbBirths : rbEmpty);
      click();
      EXPECT_EQ(CurrentRubric, r);
      EXPECT_TRUE(button->Down());
      EXPECT_EQ(f->WPRichText1->Visible(), r != rbEmpty);
    });
  };
  auto saying = Acts([&](TCustomForm&, const std::function<void()>& click) {
    frmSpruch->Hide();
    click();
    ASSERT_TRUE(frmSpruch->Visible());
  });
  auto sayingCategory = [&](int step) {
    return Acts([step](TCustomForm& w, const std::function<void()>& click) {
      auto& s = dynamic_cast<TfrmSpruch&>(w);
      const int to = (s.Category() + step + kSayingCategoryCount) % kSayingCategoryCount;
      click();
      EXPECT_EQ(s.Category(), to);
      EXPECT_EQ(Cp1252ToUtf8(s.Caption()), Cp1252ToUtf8(SayingCaption(to)));
    });
  };
  auto warnerDay = [&](int step) {
    return Acts([&, step](TCustomForm& w, const std::function<void()>& click) {
      auto& t = dynamic_cast<TfrmTermin&>(w);
      click();
      EXPECT_EQ(Cp1252ToUtf8(t.lblDatum->Caption()), Cp1252ToUtf8(DayLabel(dayShown() + step)));
      driver.Click(step > 0 ? t.pbPrev : t.pbNext);
    });
  };
  // The data window's history: a followed link, back, forward.
  auto followLink = [&](TCustomForm& w) {
    auto& dw = dynamic_cast<TfrmDispData&>(w);
    TPoint at;
    AnsiString code;
    ASSERT_TRUE(FirstLink(dw.WPRichText1, at, code));
    driver.Click(dw.WPRichText1, at.X, at.Y);
    ASSERT_EQ(dw.Current(), 2);
  };
  auto history = [&](int step) {
    return Acts(
        [step](TCustomForm& w, const std::function<void()>& click) {
          auto& dw = dynamic_cast<TfrmDispData&>(w);
          const int from = dw.Current();
          click();
          EXPECT_EQ(dw.Current(), from + step);
        },
        [=](TCustomForm& w) {
          auto& dw = dynamic_cast<TfrmDispData&>(w);
          if (dw.Last() < 2) followLink(w);
          if (step > 0 && dw.Current() == dw.Last()) dw.pbPrev->Click();
        });
  };
  // The rich-text tool bars: each icon on the whole text.
  auto onText = [&](std::function<void(TWPCustomRtfEdit*, const std::string&, const std::function<void()>&)> act) {
    return Acts(
        [act](TCustomForm& w, const std::function<void()>& click) {
          TWPCustomRtfEdit* e = EditorOf(w);
          act(e, TextOf(e), click);
          if (auto* l = dynamic_cast<TfrmLayout*>(&w)) l->tblLOut->Cancel();
        },
        [](TCustomForm& w) {
          TWPCustomRtfEdit* e = EditorOf(w);
          ASSERT_NE(e, nullptr);
          if (Trim(TextOf(e)).size() < 3) e->InsertText("Probe");
          e->SelectAll();
        });
  };
  auto styled = [&](uint32_t style) {
    return onText([style](TWPCustomRtfEdit* e, const std::string&, const std::function<void()>& click) {
      click();
      const TWPLineRec* l = e->RtfText()->FirstPar->line;
      ASSERT_TRUE(l->pa);
      EXPECT_EQ(l->pa[0].Style & (wpsBold | wpsItalic | wpsUnderline), style);
    });
  };
  auto fileDialog = [&](bool save) {
    return Acts([&, save](TCustomForm&, const std::function<void()>& click) {
      const size_t before = driver.FileDialogs().size();
      driver.CancelNextFileDialog();
      click();
      ASSERT_EQ(driver.FileDialogs().size(), before + 1);
      EXPECT_EQ(driver.FileDialogs().back().Save, save);
      EXPECT_NE(LowerCase(driver.FileDialogs().back().Filter).find("*.rtf"), AnsiString::npos)
          << driver.FileDialogs().back().Filter;
    });
  };
  std::set<AnsiString> placeholders;
  auto placeholder = Acts([&](TCustomForm& w, const std::function<void()>& click) {
    auto& l = dynamic_cast<TfrmLayout&>(w);
    l.tblLOut->First();
    const std::string before = TextOf(l.DBWPRichText1);
    click();
    const std::string after = TextOf(l.DBWPRichText1);
    ASSERT_GT(after.size(), before.size());
    // What came in: the difference of the texts, one placeholder the expansion knows.
    size_t from = 0;
    while (from < before.size() && before[from] == after[from]) ++from;
    const AnsiString inserted = after.substr(from, after.size() - before.size());
    EXPECT_TRUE(std::any_of(std::begin(kPlaceholders), std::end(kPlaceholders), [&](const TPlaceholder& p) {
      return inserted == p.Text;
    })) << Cp1252ToUtf8(inserted);
    EXPECT_TRUE(placeholders.insert(inserted).second) << "twice: " << Cp1252ToUtf8(inserted);
    l.tblLOut->Cancel();
  });
  auto tabKind = [](TTabKind kind) {
    return Acts([kind](TCustomForm& w, const std::function<void()>& click) {
      click();
      EXPECT_EQ(dynamic_cast<TfrmLayout&>(w).WPRuler1->NewTabKind(), kind);
    });
  };
  // The placeholder button drops its menu down.
  auto dropsMenu = Acts([&](TCustomForm&, const std::function<void()>& click) {
    bool open = false;
    driver.WhenModal([&](TCustomForm&) {
      open = !OpenMenuWindows().empty();
      driver.PressKey(VK_ESCAPE);
    });
    click();
    EXPECT_TRUE(open);
    EXPECT_TRUE(OpenMenuWindows().empty());
  });
  auto link = Acts([&](TCustomForm&, const std::function<void()>& click) {
    const size_t before = driver.OpenedUrls().size();
    click();
    ASSERT_EQ(driver.OpenedUrls().size(), before + 1);
    EXPECT_TRUE(driver.OpenedUrls().back().rfind("https://", 0) == 0 ||
                driver.OpenedUrls().back().rfind("mailto:", 0) == 0);
  });
  auto checkBox = [](const char* caption) {
    return [caption](TCustomForm& w) {
      for (int i = 0; i < w.ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TCheckBox*>(w.Components(i)); c && c->Caption() == L(caption)) c->SetChecked(true);
    };
  };

  std::map<std::string, Does> table = {
      // Every window's help button.
      {"*.pbHilfe", Says(kNoHelp)},
      {"*.pbOk", Closes(mrOk)},
      {"*.pbCancel", Closes(mrCancel)},
      {"*.pbAbbruch", Closes(mrCancel)},
      {"*.pbExit", Closes(mrNone)},
      {"*.pbClose", Closes(mrNone)},
      // The main window.
      {"TfrmMain.pbHelp", Says(kNoHelp)},
      {"TfrmMain.mnpInhalt", Says(kNoHelp)},
      {"TfrmMain.pbInfo", Opens("Info")},
      {"TfrmMain.mnpInfo", Opens("Info")},
      {"TfrmMain.pbTermine", Opens("Termine")},
      {"TfrmMain.mnpTermine", Opens("Termine")},
      {"TfrmMain.pbSpruch", saying},
      {"TfrmMain.mnpSpruch", saying},
      {"TfrmMain.pbLeer", rubric(rbEmpty, f->pbLeer)},
      {"TfrmMain.mnpLeer", rubric(rbEmpty, f->pbLeer)},
      {"TfrmMain.pbEige", rubric(rbPersonal, f->pbEige)},
      {"TfrmMain.mnpEige", rubric(rbPersonal, f->pbEige)},
      {"TfrmMain.pbPGeb", rubric(rbBirths, f->pbPGeb)},
      {"TfrmMain.mnpPGeb", rubric(rbBirths, f->pbPGeb)},
      {"TfrmMain.pbPTod", rubric(rbDeaths, f->pbPTod)},
      {"TfrmMain.mnpPTod", rubric(rbDeaths, f->pbPTod)},
      {"TfrmMain.pbErei", rubric(rbEvents, f->pbErei)},
      {"TfrmMain.mnpErei", rubric(rbEvents, f->pbErei)},
      {"TfrmMain.pbName", rubric(rbNameDays, f->pbName)},
      {"TfrmMain.mnpName", rubric(rbNameDays, f->pbName)},
      {"TfrmMain.pbFTag", rubric(rbHolidays, f->pbFTag)},
      {"TfrmMain.mnpFTag", rubric(rbHolidays, f->pbFTag)},
      {"TfrmMain.mnpTagPlus", moves([](TDateTime d) { return d + 1; })},
      {"TfrmMain.mnpTagMinus", moves([](TDateTime d) { return d - 1; })},
      {"TfrmMain.mnpWochePlus", moves([](TDateTime d) { return d + 7; })},
      {"TfrmMain.mnpWocheMinus", moves([](TDateTime d) { return d - 7; })},
      {"TfrmMain.mnpMonatPlus", moves([](TDateTime d) { return IncMonth(d, 1); })},
      {"TfrmMain.mnpMonatMinus", moves([](TDateTime d) { return IncMonth(d, -1); })},
      {"TfrmMain.mnpJahrPlus", moves([](TDateTime d) { return IncMonth(d, 12); })},
      {"TfrmMain.mnpJahrMinus", moves([](TDateTime d) { return IncMonth(d, -12); })},
      {"TfrmMain.mnpHeute", moves([today](TDateTime) { return today; })},
      {"TfrmMain.mnpDatum", Opens("Datum eingeben")},
      {"TfrmMain.mnpPersErf", Opens("Personen erfassen")},
      {"TfrmMain.mnpEreiErf", Opens("Ereignisse erfassen")},
      {"TfrmMain.mnpSelCErf", Opens("Selektionscodes")},
      {"TfrmMain.mnpPassDef", Opens("Paßwort definieren")},
      {"TfrmMain.mnpDrucken", Opens("Blätter nach Vorlagen drucken")},
      {"TfrmMain.mnpTagebuch", Opens("Tagebuch")},
      {"TfrmMain.mnpGebListe", Opens("Geburtstagsliste")},
      {"TfrmMain.mnpGebUebersicht", Opens("Geburtstagsübersicht")},
      {"TfrmMain.mnpLayout", Opens("Vorlagen")},
      {"TfrmMain.mnpEigeDisp", Opens("Darstellung: Persönliche Daten")},
      {"TfrmMain.mnpPGebDisp", Opens("Darstellung: Geburtstage")},
      {"TfrmMain.mnpPTodDisp", Opens("Darstellung: Todestage")},
      {"TfrmMain.mnpEreiDisp", Opens("Darstellung: Ereignisse")},
      {"TfrmMain.mnpNameDisp", Opens("Darstellung: Namenstage")},
      {"TfrmMain.mnpFTagDisp", Opens("Darstellung: Feiertage")},
      {"TfrmMain.mnpParams", Opens("Parameter")},
      {"TfrmMain.mnpExit", Closes(mrNone)},
      // The warner, the saying window and the data window.
      {"TfrmTermin.pbPrev", warnerDay(-1)},
      {"TfrmTermin.pbNext", warnerDay(+1)},
      {"TfrmSpruch.pbPrint", Opens("Drucken")},
      {"TfrmSpruch.pbCopy", Says("Der Spruch befindet sich jetzt in der Zwischenablage")},
      {"TfrmSpruch.pbPrev", sayingCategory(-1)},
      {"TfrmSpruch.pbNext", sayingCategory(+1)},
      {"TfrmDispData.pbPrint", Opens("Drucken")},
      {"TfrmDispData.pbCopy", Says("Der Text befindet sich jetzt in der Zwischenablage")},
      {"TfrmDispData.pbPrev", history(-1)},
      {"TfrmDispData.pbNext", history(+1)},
      {"TfrmInfo.urlWeb", link},
      {"TfrmInfo.urlMail", link},
      // The entry windows, their lists and the template editor.
      {"*.pbFirst", Nav(ntFirst)},
      {"*.pbPrior", Nav(ntPrior)},
      {"*.pbNext", Nav(ntNext)},
      {"*.pbLast", Nav(ntLast)},
      {"*.pbInsert", Nav(ntInsert)},
      {"*.pbDelete", Nav(ntDelete)},
      {"*.pbPost", Nav(ntPost)},
      {"TfrmPersErf.pbCancel", Nav(ntCancel)},
      {"TfrmEreiErf.pbCancel", Nav(ntCancel)},
      {"TfrmSelCErf.pbCancel", Nav(ntCancel)},
      {"TfrmLayout.pbCancel", Nav(ntCancel)},
      {"TfrmPersErf.pbSuchen", Opens("Erfaßte Personen")},
      {"TfrmEreiErf.pbSuchen", Opens("Erfaßte Ereignisse")},
      {"TfrmListPers.pbErfassen", Opens("Personen erfassen")},
      {"TfrmListErei.pbErfassen", Opens("Ereignisse erfassen")},
      {"TfrmLayout.pbSuchen", Opens("Erfaßte Vorlagen")},
      {"TfrmListLOut.pbErfassen", Opens("Vorlagen")},
      {"TfrmLayout.pbParProps", Opens("Absatz")},
      {"TfrmLayout.pbSeite", Opens("Seite einrichten")},
      {"TfrmLayout.item*", placeholder},
      {"TfrmLayout.pbPlatzhalter", dropsMenu},
      {"TfrmLayout.popupTabs/Links", tabKind(tkLeft)},
      {"TfrmLayout.popupTabs/Rechts", tabKind(tkRight)},
      {"TfrmLayout.popupTabs/Dezimal", tabKind(tkDecimal)},
      {"TfrmLayout.popupTabs/Zentriert", tabKind(tkCenter)},
      {"*.icon Normal", styled(0)},
      {"*.icon Fett (Strg+B)", styled(wpsBold)},
      {"*.icon Kursiv (Strg+I)", styled(wpsItalic)},
      {"*.icon Unterstrichen (Strg+U)", styled(wpsUnderline)},
      {"*.icon Öffnen", fileDialog(false)},
      {"*.icon Speichern", fileDialog(true)},
      {"TfrmPreview.icon Speichern (Strg+S)", fileDialog(true)},
      {"*.icon Alles markieren",
       onText([](TWPCustomRtfEdit* e, const std::string&, const std::function<void()>& click) {
         e->HideSelection();
         click();
         EXPECT_TRUE(e->RtfText()->HasBlock());
       })},
      {"*.icon Kopieren", onText([](TWPCustomRtfEdit*, const std::string& text, const std::function<void()>& click) {
         Clipboard()->SetAsText("");
         click();
         EXPECT_NE(text.find(Trim(Clipboard()->AsText())), std::string::npos);
         EXPECT_FALSE(Trim(Clipboard()->AsText()).empty());
       })},
      {"*.icon Ausschneiden",
       onText([](TWPCustomRtfEdit* e, const std::string& text, const std::function<void()>& click) {
         click();
         EXPECT_LT(Trim(TextOf(e)).size(), Trim(text).size());
         EXPECT_FALSE(Trim(Clipboard()->AsText()).empty());
         e->PasteFromClipboard();
       })},
      {"*.icon Einfügen", onText([](TWPCustomRtfEdit* e, const std::string&, const std::function<void()>& click) {
         Clipboard()->SetAsText("Eingefuegt");
         click();
         EXPECT_NE(TextOf(e).find("Eingefuegt"), std::string::npos);
       })},
      // Printing.
      {"TfrmDrucken.pbDrucken", Opens("Vorschau")},
      {"TfrmDrucken.pbPersList", Opens("Erfaßte Personen")},
      {"TfrmDrucken.pbListLOut", Opens("Erfaßte Vorlagen")},
      {"TfrmDruckEige.pbSetup", Opens("Druckeinstellungen")},
      {"TfrmDruckEige.pbDrucken", Opens("Vorschau")},
      {"TfrmDruSetup.pbSeite", Opens("Seite einrichten")},
      {"TfrmDruSetup.pbTitel", Opens("Schrift")},
      {"TfrmDruSetup.pbUntertitel", Opens("Schrift")},
      {"TfrmDruSetup.pbText", Opens("Schrift")},
      {"TfrmSchrift.pbParProps", Opens("Absatz")},
      {"TfrmPreview.pbParProps", Opens("Absatz")},
      {"TfrmPreview.pbSeite", Opens("Seite einrichten")},
      {"TfrmPreview.icon Drucken (Strg+P)", Opens("Drucken")},
      {"TfrmPreview.icon Druckereinrichtung", Opens("Druckereinrichtung")},
      {"TfrmPreview.icon Schließen", Closes(mrNone)},
      // The settings dialogs.
      {"TfrmParams.pbVorgabe", Opens("Vorgabe übernehmen")},
      {"TfrmLayout.pbPost", Opens("Hinweis",
                                  [&](TCustomForm& w) {
                                    auto& l = dynamic_cast<TfrmLayout&>(w);
                                    driver.Click(l.pbInsert);
                                    driver.Click(l.editLOutTitel);
                                    driver.Type("Eigene Vorlage");
                                  })},
  };
  // Each element button of the display dialogs opens the attribute dialog
  // on its element ("Anzahl Jahre" once its switch is on).
  for (const char* dialog : {"TfrmEigeDef", "TfrmPersDef", "TfrmEreiDef", "TfrmNameDef", "TfrmFTagDef"})
    for (int i = 0; i < 9; ++i)
      table.emplace(std::string(dialog) + ".pbElement" + std::to_string(i),
                    Opens("Darstellung: ", checkBox("Anzahl Jahre")));

  Walker walk(driver, table);
  // The main window's entries, all enabled.
  std::vector<std::string> mainClosers;
  for (const Entry& e : EntriesOf(*f)) EXPECT_TRUE(e.Enabled()) << e.Key << " is disabled";
  mainClosers = walk.WalkInside(*f);
  // The saying window beside it.
  ASSERT_TRUE(frmSpruch->Visible());
  ASSERT_EQ(walk.WalkInside(*frmSpruch), std::vector<std::string>{"TfrmSpruch.pbClose"});
  driver.Click(frmSpruch->pbClose);
  EXPECT_FALSE(frmSpruch->Visible()) << "its close button hid it";
  // The data window, from a person's link on a page of world events (a
  // person whose own page links on, for its history).
  auto linksOn = [&](const AnsiString& code) {
    if (code.substr(0, 2) != "p:") return false;
    auto* w = new TfrmDispData(Application);
    w->SetBounds(0, 0, 600, 480);
    w->ClearHistory();
    w->AddToHistory(dkPerson, LinkNumber(code));
    w->Show();
    driver.Process();
    TPoint p;
    AnsiString c;
    const bool found = FirstLink(w->WPRichText1, p, c);
    delete w;
    return found;
  };
  f->SetRubrik(rbEvents);
  TPoint at;
  AnsiString code;
  for (TDateTime day = EncodeDate(2027, 1, 1); day < EncodeDate(2028, 1, 1) && code.empty(); day += 1) {
    ShowDay(f, day);
    FirstLink(f->WPRichText1, at, code, linksOn);
  }
  ASSERT_FALSE(code.empty()) << "a person's link on a page of 2027";
  walk.Open([&] { driver.Click(f->WPRichText1, at.X, at.Y); }, "");
  // The password prompt, before the personal rubric.
  PendingPassword = "Geheim";
  walk.Open([&] { driver.Click(f->pbEige); }, L("Paßwort eingeben"));
  PendingPassword = "";
  // Every placeholder of the template language came from its menu once.
  EXPECT_EQ(placeholders.size(), static_cast<size_t>(kPlaceholderCount));
  // The window closes by its last two entries.
  ASSERT_EQ(mainClosers, (std::vector<std::string>{"TfrmMain.pbExit", "TfrmMain.mnpExit"}));
  int closed = 0;
  f->OnClose = [&](TObject*, TCloseAction&) { ++closed; };
  driver.Click(f->pbExit);
  f->mnpExit->Click();
  EXPECT_EQ(closed, 2);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);

  // What was walked, for the report of the run.
  std::printf("windows walked: %zu, entries: %zu\n", walk.shown_.size(), walk.walked_.size());
  for (const std::string& w : walk.shown_) std::printf("  %s\n", w.c_str());
  delete frmSpruch;
  frmSpruch = nullptr;
}

// By keys: Einfg makes a record and Strg+S saves it (not in a grid or a
// text, which keep Einfg); Shift+Tab (Ctrl+Shift+Tab out of a text) reaches
// the tool bars, whose focused button shows it and takes Space and Enter;
// the preview prints on Strg+P and saves on Strg+S.
TEST_F(MainWindowTest, EveryCommandOfTheEditorsAndThePreviewIsReachedByKeys) {
  TfrmMain* f = Start();
  int id = 0, number = 0, menus = 0;
  driver.WhenModal([&](TCustomForm& form) {
    auto& f = dynamic_cast<TfrmPersErf&>(form);
    for (const char* name : {"Anna", "Beat"}) {
      driver.PressKey(VK_INSERT);
      driver.Type(name);
      f.editEigeDatum->SetFocus();
      driver.Type("05031990");
      driver.PressKey('S', ssCtrl);
    }
    f.gridEiSe->SetFocus();
    driver.PressKey(VK_INSERT);
    EXPECT_EQ(f.tblEiSe->State(), dsInsert) << "the grid's own new row";
    f.tblEiSe->Cancel();
    f.editEigeVorname->SetFocus();
    for (int i = 0; i < 40 && f.ActiveControl() != f.pbFirst; ++i) driver.PressKey(VK_TAB, ssShift);
    int dots = 0;
    for (int x = 3; x < 23; ++x) dots += driver.PixelAt(f.pbFirst, x, 2) != ColorToRGB(clBtnFace);
    EXPECT_GT(dots, 5) << "the focused button's focus rectangle";
    driver.PressKey(VK_SPACE);
    EXPECT_EQ(f.editEigeVorname->Text(), "Anna");
    EXPECT_TRUE(f.pbNext->Focused()) << "handed on by the first button, out of use now";
    driver.PressKey(VK_ESCAPE);
  });
  ShowPersErf(id);
  EXPECT_EQ(apptest::OpenTable(kUserAlias, "EIGENES.FFD", "XEIGE_ID")->RecordCount(), 2);
  driver.WhenModal([&](TCustomForm& active) {
    auto& f = dynamic_cast<TfrmLayout&>(active);
    driver.PressKey(VK_INSERT);
    driver.Type("Brief");
    driver.WhenModal([&](TCustomForm&) { driver.PressKey(VK_ESCAPE); });  // the notice
    driver.PressKey('S', ssCtrl);
    f.DBWPRichText1->SetFocus();
    driver.PressKey(VK_INSERT);
    EXPECT_FALSE(f.DBWPRichText1->Inserting()) << "the text's own overwriting";
    driver.PressKey(VK_TAB, ssCtrl | ssShift);
    driver.WhenModal([&](TCustomForm&) {
      menus = static_cast<int>(OpenMenuWindows().size());
      CloseMenus();
    });
    driver.PressKey(VK_RETURN);
    driver.PressKey(VK_ESCAPE);
  });
  ShowLayout(number);
  EXPECT_EQ(number, 1000);
  EXPECT_EQ(menus, 1) << "the placeholders' menu from the bar's last button";
  std::vector<std::string> dialogs;
  auto cancel = [&](TCustomForm& dlg) {
    dialogs.push_back(dlg.Caption());
    dlg.SetModalResult(mrCancel);
  };
  driver.WhenModal([&](TCustomForm&) {
    driver.WhenModal(cancel);
    driver.PressKey('P', ssCtrl);
    driver.CancelNextFileDialog();
    driver.PressKey('S', ssCtrl);
    driver.PressKey(VK_ESCAPE);
  });
  RunPreview(PageSettings{}, nullptr);
  ASSERT_EQ(driver.FileDialogs().size(), 1u);
  EXPECT_TRUE(driver.FileDialogs()[0].Save);
  driver.WhenModal([&](TCustomForm& active) {
    dynamic_cast<TfrmParams&>(active).cmbLaenge->SetFocus();
    driver.WhenModal(cancel);  // the place picker, not the end of the dialog
    driver.PressKey(VK_TAB);
    driver.PressKey(VK_RETURN);
    driver.PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(ShowParams(), mrCancel);
  EXPECT_EQ(dialogs, (std::vector<std::string>{"Drucken", L("Vorgabe übernehmen")}));
  // The other windows open on their field, Shift+Tab reaches each command that F1, Enter and Escape do not,
  // and Enter on a button or link, the warner's arrow, Strg+P and Strg+C keep the focus and the window.
  const size_t boxes = driver.MessageBoxes().size();
  auto reaches = [&](const char* first, std::set<std::string> commands, Word key) {
    return [=, this, &cancel](TCustomForm& w) mutable {
      EXPECT_EQ(w.ActiveControl() ? w.ActiveControl()->Name() : "-", first) << w.ClassName();
      for (int i = 0; i < 20 && !commands.empty(); ++i, commands.erase(w.ActiveControl()->Name()))
        driver.PressKey(VK_TAB, ssShift);
      EXPECT_TRUE(commands.empty()) << w.ClassName() << " misses " << *commands.begin();
      TWinControl* focused = w.ActiveControl();
      if (key == 'P') {
        driver.AnswerNextMessageBox(IDOK);
        driver.PressKey('C', ssCtrl);
        driver.WhenModal(cancel);
      }
      if (key) driver.PressKey(key, key == 'P' ? TShiftState{ssCtrl} : 0);
      EXPECT_TRUE(focused->Focused() && w.ModalResult() == mrNone) << w.ClassName();
      driver.PressKey(VK_ESCAPE);
    };
  };
  driver.WhenModal(reaches("", {"pbSetup"}, VK_RETURN));  // the list's first option
  driver.WhenModal(reaches("editTitel", {"pbSeite", "pbText", "pbTitel"}, VK_RETURN));
  driver.WhenModal(reaches("cmbFonts", {"pbParProps"}, 0));
  f->mnpTagebuch->Click();
  driver.WhenModal(reaches("cmbFont", {"pbElement0", "pbElement4"}, 0));
  f->mnpEigeDisp->Click();
  driver.WhenModal(reaches("gridTerm", {"pbClose", "pbNext", "pbHilfe"}, VK_RIGHT));
  f->mnpTermine->Click();
  driver.WhenModal(reaches("pbExit", {"urlMail", "urlWeb"}, VK_RETURN));
  f->mnpInfo->Click();
  driver.WhenModal(reaches("WPRichText1", {"pbClose", "pbCopy", "pbHilfe"}, 'P'));
  ShowDispData(dkPerson, 1);
  Application->CreateForm(frmSpruch);
  f->pbSpruch->Click();
  frmSpruch->memoSpruch->SetSelLength(5);  // the text's own Strg+C
  driver.PressKey('C', ssCtrl);
  EXPECT_EQ(Clipboard()->AsText(), frmSpruch->memoSpruch->Text().substr(0, 5));
  reaches("memoSpruch", {"pbClose", "pbNext", "pbPrint", "pbHilfe"}, 'P')(*frmSpruch);
  EXPECT_EQ(driver.MessageBoxes().size(), boxes + 2) << "the copies' notices";
  EXPECT_EQ(dialogs.size(), 4u) << "the printers'";
  EXPECT_EQ(driver.UnexpectedMessageBoxes(), 0);
  delete frmSpruch;
  frmSpruch = nullptr;
}

}  // namespace
