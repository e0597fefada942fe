// Dialogs and the platform services: message dialogs answered by the
// driver's script and as our own forms, file dialogs, find and replace
// events, print dialogs, the clipboard with text and RTF, repaint
// suppression and the address check of shell open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/ctlutil.h"
#include "platform/ui/dialogs.h"
#include "tests/ui/ui_test_util.h"

namespace {

TButton* FindButton(TCustomForm* f, const AnsiString& caption) {
  for (int i = 0; i < f->ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(f->Components(i)); b && b->Caption() == caption) return b;
  return nullptr;
}

TEST(MessageDialogs, AnsweredByTheScript) {
  TUiTestDriver d;
  d.AnswerNextMessageBox(IDNO);
  EXPECT_EQ(MessageDlg(CP1252("Datensatz löschen?").str(), mtConfirmation, mbYes | mbNo, 0), mrNo);
  ASSERT_EQ(d.MessageBoxes().size(), 1u);
  const TMessageBoxRequest& r = d.MessageBoxes()[0];
  EXPECT_EQ(r.Caption, CP1252("Bestätigen").str());
  EXPECT_EQ(r.Flags & 0xF, MB_YESNO);
  EXPECT_EQ(r.Flags & 0xF0, MB_ICONQUESTION);
  d.AnswerNextMessageBox(IDCANCEL);
  EXPECT_EQ(MessageDlg("Fehler", mtError, mbOKCancel | mbHelp, 12), mrCancel);
  EXPECT_EQ(d.MessageBoxes()[1].Flags & (0xF0 | MB_HELP), MB_ICONERROR | MB_HELP);
  EXPECT_EQ(d.UnexpectedMessageBoxes(), 0);
}

TEST(MessageDialogs, OwnFormsWithGermanButtons) {
  TUiTestDriver d;
  TForm* f = CreateMessageDialog(CP1252("Die Datei wurde geändert. Speichern?").str(), mtWarning, mbYesNoCancel);
  ASSERT_NE(FindButton(f, "&Ja"), nullptr);
  ASSERT_NE(FindButton(f, "&Nein"), nullptr);
  TButton* cancel = FindButton(f, "Abbruch");
  ASSERT_NE(cancel, nullptr);
  EXPECT_TRUE(FindButton(f, "&Ja")->Default());
  EXPECT_TRUE(cancel->Cancel());
  EXPECT_EQ(f->Caption(), "Warnung");
  d.WhenModal([&](TCustomForm& active) {
    EXPECT_EQ(&active, f);
    d.SavePng(f, "message_dialog");
    d.PressKey(VK_ESCAPE);
  });
  EXPECT_EQ(f->ShowModal(), mrCancel);
  d.WhenModal([&](TCustomForm&) { d.PressKey(VK_RETURN); });
  EXPECT_EQ(f->ShowModal(), mrYes);
  d.WhenModal([&](TCustomForm&) { d.PressKey('N', ssAlt); });
  EXPECT_EQ(f->ShowModal(), mrNo);
  delete f;
  // A box request shown as our form: the flags choose buttons and default.
  d.WhenModal([&](TCustomForm& active) {
    TButton* ok = FindButton(&active, "OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(ok->Default());  // MB_DEFBUTTON2: the second button
    d.PressKey(VK_RETURN);
  });
  EXPECT_EQ(RunMessageDialog("Weiter?", "Titel", MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONINFORMATION), IDCANCEL);
  // Two lines: the box is as wide as the icon, the longer line and the margin, not as the text may wrap.
  const std::unique_ptr<TForm> two(CreateMessageDialog("Nicht gespeichert.\rSpeichern?", mtWarning, mbOK));
  EXPECT_EQ(two->ClientWidth(), 56 + ctlutil::TextWidth(*two->Font(), "Nicht gespeichert.") + 12);
  // Characters beyond the code page are shown as themselves where a font draws them.
  const std::u32string shown = U"Weggelassen: \u03A9 \u00E9 \U0001F600.";
  const std::unique_ptr<TForm> wide(CreateMessageDialog("Weggelassen: U+03A9 U+1F600.", mtInformation, mbOK, shown));
  const bool drawn = FontEngine().Draws(wide->Font()->Request(), U'\u03A9');
  EXPECT_EQ(dynamic_cast<TLabel*>(wide->FindComponent("Message")) == nullptr, drawn);
  d.WhenModal([&](TCustomForm& box) {
    d.SavePng(&box, "message_beyond_the_code_page");
    d.PressKey(VK_RETURN);
  });
  EXPECT_EQ(wide->ShowModal(), mrOk);
}

// A message naming a path of 6 000 characters: the box fits the screen,
// its button on it; the path is shortened and broken, its start and end kept.
TEST(MessageDialogs, ALongPathFitsTheScreen) {
  TUiTestDriver d;
  std::string path = "/daten";
  while (path.size() < 6000) path += "/Verzeichnis" + std::to_string(path.size());
  std::unique_ptr<TForm> f(CreateMessageDialog("Die Datei \"" + path + "/EIGENES.FFD\" fehlt.", mtWarning, mbOK));
  EXPECT_GE(f->Left(), 0);
  EXPECT_GE(f->Top(), 0);
  EXPECT_LE(f->Left() + f->Width(), Screen->Width());
  EXPECT_LE(f->Top() + f->Height(), Screen->Height());
  const auto* text = static_cast<TLabel*>(f->FindComponent("Message"));
  EXPECT_EQ(text->Caption().rfind("Die Datei \"/daten/Verzeichnis", 0), 0u) << text->Caption();
  EXPECT_NE(text->Caption().find("\x85"), std::string::npos);
  EXPECT_NE(text->Caption().find("EIGENES.FFD\" fehlt."), std::string::npos);
  d.WhenModal([&](TCustomForm& box) {
    d.SavePng(&box, "message_long_path");
    d.PressKey(VK_RETURN);
  });
  EXPECT_EQ(f->ShowModal(), mrOk);
}

TEST(FileDialogs, DefaultExtensionAndRequest) {
  TUiTestDriver d;
  TSaveDialog sd(nullptr);
  sd.SetFilter("Text|*.txt|Alle|*.*");
  sd.SetDefaultExt("rtf");
  sd.SetInitialDir("/tmp");
  sd.SetTitle("Speichern unter");
  d.AnswerNextFileDialog("/tmp/brief");
  ASSERT_TRUE(sd.Execute());
  EXPECT_EQ(sd.FileName(), "/tmp/brief.rtf");
  ASSERT_EQ(d.FileDialogs().size(), 1u);
  EXPECT_TRUE(d.FileDialogs()[0].Save);
  EXPECT_EQ(d.FileDialogs()[0].InitialDir, "/tmp");
  d.AnswerNextFileDialog("/tmp/v1.0/brief.txt");
  ASSERT_TRUE(sd.Execute());
  EXPECT_EQ(sd.FileName(), "/tmp/v1.0/brief.txt");
  // A file of the name written (its extension added) is replaced only after "Ja".
  const std::string dup = "/tmp/dup" + std::to_string(getpid());
  std::ofstream(dup + ".rtf") << "alt";
  for (int answer : {IDNO, IDYES}) {
    d.AnswerNextFileDialog(dup);
    d.AnswerNextMessageBox(answer);
    EXPECT_EQ(sd.Execute(), answer == IDYES);
  }
  std::filesystem::remove(dup + ".rtf");
  EXPECT_EQ(d.MessageBoxes().at(1).Text, "Die Datei \"" + dup + ".rtf\" ist bereits vorhanden.\rSoll sie ersetzt werden?");
  TOpenDialog od(nullptr);
  d.CancelNextFileDialog();
  od.SetFileName("alt");
  EXPECT_FALSE(od.Execute());
  EXPECT_EQ(od.FileName(), "alt");
  EXPECT_FALSE(d.FileDialogs()[5].Save);
}

TEST(FindDialogs, EventsSeeTextAndOptions) {
  TUiTestDriver d;
  TForm* main = MakeForm();
  main->Show();
  TReplaceDialog rd(nullptr);
  std::vector<std::string> log;
  auto note = [&](const char* what) {
    std::string s = what;
    s += ":" + rd.FindText() + ">" + rd.ReplaceText();
    if (rd.Options() & frMatchCase) s += " case";
    if (rd.Options() & frWholeWord) s += " word";
    if (rd.Options() & frReplaceAll) s += " all";
    else if (rd.Options() & frReplace) s += " one";
    else if (rd.Options() & frFindNext) s += " next";
    log.push_back(s);
  };
  rd.OnFind = [&](TObject*) { note("find"); };
  rd.OnReplace = [&](TObject*) { note("replace"); };
  rd.SetFindText("alt");
  ASSERT_TRUE(rd.Execute());
  ASSERT_NE(rd.Form(), nullptr);
  EXPECT_TRUE(rd.Form()->Showing());
  d.Type("Mai");  // the find text is selected: typing replaces it
  d.PressKey(VK_TAB);
  d.Type("Juni");
  d.PressKey('K', ssAlt);  // match case
  d.PressKey(VK_RETURN);   // the default button finds the next
  d.Click(FindButton(rd.Form(), "&Ersetzen"));
  d.Click(FindButton(rd.Form(), "&Alle ersetzen"));
  EXPECT_EQ(log, (std::vector<std::string>{"find:Mai>Juni case next", "replace:Mai>Juni case one",
                                           "replace:Mai>Juni case all"}));
  EXPECT_TRUE(rd.Options() & frDown);
  d.SavePng(rd.Form(), "replace_dialog");
  d.Click(FindButton(rd.Form(), "Abbrechen"));
  EXPECT_EQ(rd.Form(), nullptr);
  d.Process();
  // Shown again, it keeps what was entered.
  rd.Execute();
  EXPECT_TRUE(FindButton(rd.Form(), "&Weitersuchen")->Enabled());
  rd.CloseDialog();
  EXPECT_EQ(rd.FindText(), "Mai");
}

TEST(PrintDialogs, ChooseThePdfPrinterAndItsFile) {
  TUiTestDriver d;
  TPrintDialog pd(nullptr);
  d.AnswerNextFileDialog("/tmp/ausdruck");
  d.WhenModal([&](TCustomForm& f) {
    auto* copies = dynamic_cast<TEdit*>(f.FindComponent("edCopies"));
    ASSERT_NE(copies, nullptr);
    copies->SetText("3");
    d.SavePng(&f, "print_dialog");
    d.PressKey(VK_RETURN);
  });
  ASSERT_TRUE(pd.Execute());
  EXPECT_EQ(pd.Copies(), 3);
  EXPECT_EQ(Printer()->PrinterIndex(), 0);
  EXPECT_EQ(Printer()->OutputFileName(), "/tmp/ausdruck.pdf");
  TPrinterSetupDialog ps(nullptr);
  d.WhenModal([&](TCustomForm& f) {
    auto* rg = dynamic_cast<TRadioGroup*>(f.FindComponent("rgOrientation"));
    ASSERT_NE(rg, nullptr);
    rg->SetItemIndex(1);
    d.PressKey(VK_RETURN);
  });
  ASSERT_TRUE(ps.Execute());
  EXPECT_EQ(Printer()->Orientation(), poLandscape);
  d.WhenModal([&](TCustomForm&) { d.PressKey(VK_ESCAPE); });
  EXPECT_FALSE(ps.Execute());
  Printer()->SetOrientation(poPortrait);
}

TEST(Clipboard, TextAndRtfRoundTrip) {
  TUiTestDriver d;
  Clipboard()->SetAsText(CP1252("Grüße € – “zitiert”").str());
  EXPECT_TRUE(Clipboard()->HasFormat(CF_TEXT));
  EXPECT_EQ(Clipboard()->AsText(), CP1252("Grüße € – “zitiert”").str());
  unsigned rtf = RegisterClipboardFormat("Rich Text Format");
  EXPECT_EQ(RegisterClipboardFormat("Rich Text Format"), rtf);
  EXPECT_GE(rtf, 0xC000u);
  const std::string doc = "{\\rtf1\\ansi {\\b fett} und \\'e4}";
  Clipboard()->Open();
  Clipboard()->Clear();
  Clipboard()->SetBuffer(rtf, doc);
  Clipboard()->SetAsText(CP1252("fett und ä").str());
  Clipboard()->Close();
  EXPECT_TRUE(Clipboard()->HasFormat(rtf));
  EXPECT_EQ(Clipboard()->GetBuffer(rtf), doc);
  EXPECT_EQ(Clipboard()->AsText(), CP1252("fett und ä").str());
  // RTF that another program put there under its other name is found too.
  WindowHost().SetClipboard({{"application/rtf", doc}}, nullptr);
  EXPECT_TRUE(Clipboard()->HasFormat(rtf));
  EXPECT_EQ(Clipboard()->GetBuffer(rtf), doc);
  // A new text alone replaces the RTF.
  Clipboard()->SetAsText("nur Text");
  EXPECT_FALSE(Clipboard()->HasFormat(rtf));
  TBitmap bmp(4, 3);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect({0, 0, 4, 3});
  Clipboard()->Assign(bmp);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TBitmap back;
  ASSERT_TRUE(Clipboard()->GetBitmap(back));
  EXPECT_EQ(back.Width(), 4);
  EXPECT_EQ(back.Canvas()->Pixels(2, 1), clRed);
}

TEST(Platform, LockWindowUpdateHoldsBackPainting) {
  TUiTestDriver d;
  TForm* f = MakeForm();
  auto* p = new TPanel(f);
  p->SetParent(f);
  p->SetBounds(0, 0, 100, 50);
  p->SetBevelOuter(bvNone);
  f->Show();
  d.Process();
  ASSERT_TRUE(LockWindowUpdate(p->Handle()));
  EXPECT_FALSE(LockWindowUpdate(f->Handle()));  // one window at a time
  p->SetColor(clRed);
  d.Process();
  EXPECT_NE(d.PixelAt(p, 10, 10), clRed);
  LockWindowUpdate(0);
  d.Process();
  EXPECT_EQ(d.PixelAt(p, 10, 10), clRed);
  // Only addresses of the known kinds are handed on.
  EXPECT_FALSE(ShellOpen("javascript:alert(1)"));
  EXPECT_FALSE(ShellOpen("-rf /"));
  EXPECT_FALSE(ShellOpen(""));
}

// The opener gets the address as one argument: a bare "www." address as
// http, anything of an unknown kind never.
TEST(Platform, ShellOpenHandsKnownAddressesToTheOpener) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("orv_shellopen_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path out = dir / "args.txt";
  {
    std::ofstream s(dir / "xdg-open");
    s << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> \"" << out.string() << "\"\n";
  }
  fs::permissions(dir / "xdg-open", fs::perms::owner_all);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", (dir.string() + ":" + oldPath).c_str(), 1);
  const bool www = ShellOpen("www.example.org");
  const bool unknown = ShellOpen("/bin/sh -c id");
  ::setenv("PATH", oldPath.c_str(), 1);
  EXPECT_TRUE(www);
  EXPECT_FALSE(unknown);
  std::string line;
  for (int i = 0; i < 3000 && line.empty(); ++i) {  // seconds on a loaded machine
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::getline(in, line);
  }
  EXPECT_EQ(line, "http://www.example.org");
  fs::remove_all(dir);
}

}  // namespace
