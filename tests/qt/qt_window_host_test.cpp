// The toolkit's window host: key translation, toolkit events through the
// real input path of a form's window, the offscreen platform's answers to
// boxes and dialogs, and the desktop clipboard behind TClipboard.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/gfx/bitmap.h"
#include "platform/qt/qt_host.h"
#include "platform/qt/qt_window_host.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/keyboard.h"
#include "platform/ui/stdctrls.h"
#include "tests/ui/ui_test_util.h"

namespace {

// Forms on the toolkit host itself (no test driver): the test program's
// main installed it.
class ToolkitHost : public ::testing::Test {
 protected:
  void SetUp() override {
    qthost::InstallWindowHost();
    InitUi();
    keyboard::ResetAll();
  }
  void TearDown() override {
    ShutdownUi();
    keyboard::ResetAll();
  }
};

// Toolkit key numbers (the toolkit's published key values).
constexpr int kKeyA = 0x41, kKeyExclam = 0x21, kKeySsharp = 0xdf, kKeyAdiaeresis = 0xc4, kKeyQuestion = 0x3f,
              kKeyF1 = 0x01000030, kKeyEscape = 0x01000000, kKeyBacktab = 0x01000002, kKeyDeadAcute = 0x01001251,
              kKeyMinus = 0x2d, kKey5 = 0x35;

TEST(ToolkitKeys, ToolkitKeysBecomeWindowsVirtualKeys) {
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyA, 0, false), 'A');
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyF1, 0, false), VK_F1);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyEscape, 0, false), VK_ESCAPE);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyBacktab, 0, false), VK_TAB);
  // Shifted digits keep their key.
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyExclam, 0, false), '1');
  // German OEM keys without a scan code, by their character...
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeySsharp, 0, false), 219);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyQuestion, 0, false), 219);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyDeadAcute, 0, false), 221);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyAdiaeresis, 0, false), VK_OEM_7);
  // ...and by physical position when the key code is known: the two keys
  // right of "0" are 219 and 221 whatever the layout produced.
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKeyMinus, 20, false), 219);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(0x3d, 21, false), 221);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(0x5b, 34, false), VK_OEM_1);
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(0x25, 14, false), '5');  // "%" on the "5" key
  // Keypad digits.
  EXPECT_EQ(qtwin::ToolkitKeyToVirtualKey(kKey5, 0, true), VK_NUMPAD0 + 5);
}

TEST(ToolkitDialogs, AFilterNamesItsPatternsOnce) {
  EXPECT_EQ(qtwin::ToolkitFilter("PDF-Dateien (*.pdf)|*.pdf"), "PDF-Dateien (*.pdf)");
  EXPECT_EQ(qtwin::ToolkitFilter("Vorlagen|*.rtf;*.txt|Alle Dateien|*.*"), "Vorlagen (*.rtf *.txt);;Alle Dateien (*.*)");
}

TEST_F(ToolkitHost, ToolkitEventsTakeTheRealInputPath) {
  Log log;
  TForm* f = MakeForm();
  auto* c = new TRecorder(f, f, "c", &log, DLGC_WANTCHARS);
  c->SetBounds(10, 10, 60, 30);
  int clicks = 0;
  c->OnClick = [&](TObject*) { ++clicks; };
  f->Show();
  THostWindow* w = f->HostWindow();
  ASSERT_NE(w, nullptr);
  log.clear();
  // The key right of "0" by its X11 key code, typing ß.
  qtwin::InjectKey(w, kKeyMinus, 20, "\u00df", true);
  qtwin::InjectKey(w, kKeyMinus, 20, "", false);
  Log expected = {"c:WM_KEYDOWN:219", "c:WM_CHAR:223", "c:WM_KEYUP"};
  EXPECT_EQ(log, expected);
  log.clear();
  // Shift held through its own key events.
  qtwin::InjectKey(w, 0x01000020, 50, "", true);
  EXPECT_LT(GetKeyState(VK_SHIFT), 0);
  qtwin::InjectKey(w, kKeyAdiaeresis, 48, "\u00c4", true);
  qtwin::InjectKey(w, kKeyAdiaeresis, 48, "", false);
  qtwin::InjectKey(w, 0x01000020, 50, "", false);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
  EXPECT_NE(std::find(log.begin(), log.end(), "c:WM_CHAR:196"), log.end());
  // A click through the toolkit, at form client pixels.
  qtwin::InjectMouse(w, THostInput::MouseMove, 0, 20, 20);
  qtwin::InjectMouse(w, THostInput::MouseDown, 0, 20, 20);
  qtwin::InjectMouse(w, THostInput::MouseUp, 0, 20, 20);
  EXPECT_EQ(clicks, 1);
  EXPECT_GE(GetKeyState(VK_LBUTTON), 0);
  // Leaving the window with Shift held does not leave it held.
  qtwin::InjectKey(w, 0x01000020, 50, "", true);
  THostInput off;
  off.kind = THostInput::Deactivated;
  f->HostInput(off);
  EXPECT_GE(GetKeyState(VK_SHIFT), 0);
}

// A dead key goes down as its key; its accent waits for the next character,
// a second dead key types it alone, a key that types nothing drops it.
TEST_F(ToolkitHost, ADeadKeyGoesDownAndComposesOnlyWithTheNextCharacter) {
  TForm* f = MakeForm();
  auto* edit = new TEdit(f);
  edit->SetParent(f);
  edit->SetBounds(10, 10, 200, 21);
  std::vector<int> down;
  f->SetKeyPreview(true);
  f->OnKeyDown = [&](TObject*, Word& key, TShiftState) { down.push_back(key); };
  f->Show();
  edit->SetFocus();
  // Letters, "D" the dead acute, "C" the dead circumflex, "B" Backspace, "L" Left.
  auto type = [&](const std::string& keys) {
    edit->SetText("");
    for (char k : keys) {
      int key = k - 'a' + kKeyA, sc = 0;
      std::string text(1, k);
      if (k == 'D') key = kKeyDeadAcute, sc = 21, text = "";
      if (k == 'C') key = 0x01001252, sc = 49, text = "";
      if (k == 'B') key = 0x01000003, sc = 22, text = "\b";
      if (k == 'L') key = 0x01000012, sc = 113, text = "";
      qtwin::InjectKey(f->HostWindow(), key, sc, text, true);
      qtwin::InjectKey(f->HostWindow(), key, sc, "", false);
    }
    return Cp1252ToUtf8(edit->Text());
  };
  EXPECT_EQ(type("aDe"), "a\u00e9");
  EXPECT_EQ(down, (std::vector<int>{'A', 221, 'E'}));
  EXPECT_EQ(type("abDBe"), "ae");
  EXPECT_EQ(type("xDDe"), "x\u00b4e");
  EXPECT_EQ(type("yCLo"), "oy");
  EXPECT_EQ(type("DCe"), "\u00b4\u00ea");
}

TEST_F(ToolkitHost, OffscreenBoxesTakeTheirDefaultAndDialogsCancel) {
  // Nobody can see a box on the offscreen platform: its default button answers.
  EXPECT_EQ(Application->MessageBox("Weiter?", "Titel", MB_YESNO), IDYES);
  EXPECT_EQ(Application->MessageBox("Weiter?", "Titel", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(Application->MessageBox("Weiter?", "Titel", MB_RETRYCANCEL | MB_DEFBUTTON2), IDCANCEL);
  TFileDialogRequest req;
  req.Title = CP1252("Öffnen").str();
  AnsiString name = CP1252("unverändert").str();
  EXPECT_FALSE(Application->ExecuteFileDialog(req, name));
  EXPECT_EQ(name, CP1252("unverändert").str());
  EXPECT_EQ(Screen->Width(), 800);  // the offscreen screen
  EXPECT_EQ(Screen->Height(), 800);
}

TEST_F(ToolkitHost, ClipboardTravelsThroughTheToolkit) {
  const unsigned rtf = RegisterClipboardFormat("Rich Text Format");
  const std::string doc = "{\\rtf1\\ansi {\\b fett} und \\'e4}";
  Clipboard()->Open();
  Clipboard()->SetBuffer(rtf, doc);
  Clipboard()->SetAsText(CP1252("fett und ä").str());
  Clipboard()->Close();
  EXPECT_EQ(Clipboard()->AsText(), CP1252("fett und ä").str());
  EXPECT_EQ(Clipboard()->GetBuffer(rtf), doc);
  // Other programs see the text as Unicode and the RTF under both names.
  std::string bytes;
  ASSERT_TRUE(WindowHost().ClipboardData("text/plain", bytes));
  EXPECT_EQ(bytes, "fett und \xC3\xA4");
  ASSERT_TRUE(WindowHost().ClipboardData("application/rtf", bytes));
  EXPECT_EQ(bytes, doc);
  TBitmap bmp(3, 2);
  bmp.Canvas()->Brush()->SetColor(clBlue);
  bmp.Canvas()->FillRect({0, 0, 3, 2});
  Clipboard()->Assign(bmp);
  EXPECT_FALSE(Clipboard()->HasFormat(rtf));
  TBitmap back;
  ASSERT_TRUE(Clipboard()->GetBitmap(back));
  EXPECT_EQ(back.Width(), 3);
  EXPECT_EQ(back.Canvas()->Pixels(2, 1), clBlue);
}

}  // namespace
