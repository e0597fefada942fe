// The program block and the autostart notice.
#include "app/main/program.h"

#include <chrono>
#include <thread>

#include "app/base/userdb.h"
#include "app/main/mainwin.h"
#include "app/settings/datasetup.h"
#include "app/settings/settings.h"
#include "app/text/helpers.h"
#include "app/windows/saying.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/datetime.h"
#include "platform/rtl/files.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/singleinstance.h"

TfrmAutoSkip::TfrmAutoSkip(TComponent* owner) : TForm(owner) {
  SetName("frmAutoSkip");
  SetBorderStyle(bsDialog);
  SetCaption("Orvelan");
  SetClientSize(332, 64);
  SetColor(clBtnFace);
  SetPosition(poScreenCenter);
  Font()->SetName("Arial");
  Font()->SetHeight(-13);

  Panel1 = new TPanel(this);
  Panel1->SetName("Panel1");
  Panel1->SetParent(this);
  Panel1->SetCaption("");
  Panel1->SetBounds(6, 6, 320, 52);
  Panel1->SetBevelOuter(bvRaised);
  Panel1->SetBevelInner(bvLowered);
  auto label = [&](const char* name, const AnsiString& text, int top, bool bold) {
    auto* l = new TLabel(this);
    l->SetName(name);
    l->SetParent(Panel1);
    l->SetAutoSize(false);
    l->SetAlignment(taCenter);
    l->SetBounds(4, top, 312, 18);
    if (bold) l->Font()->SetStyle({fsBold});
    l->SetCaption(text);
    return l;
  };
  // Plain words for what happens: the start is skipped, not an error.
  Label1 = label("Label1", "Orvelan wurde heute schon gestartet.", 8, true);
  Label2 = label("Label2", CP1252("Dieser automatische Start wird übersprungen.").str(), 26, false);

  Timer1 = new TTimer(this);
  Timer1->SetName("Timer1");
  Timer1->SetEnabled(false);
  Timer1->SetInterval(2000);
  Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
}

void TfrmAutoSkip::FormShow(TObject*) { Timer1->SetEnabled(true); }

void TfrmAutoSkip::Timer1Timer(TObject*) {
  Timer1->SetEnabled(false);
  Close();
}

void ShowAutoSkip() {
  TfrmAutoSkip* f = nullptr;
  Application->CreateForm(f);
  TScopeExit release{[f] {
    Application->RemoveComponent(f);
    delete f;
  }};
  f->ShowModal();
}

namespace {

// The main window's placement and the settings, at the end of every start
// that got its settings. A file that cannot be written stays exactly as it
// was; the user is told once why, and the program still ends normally.
void StoreSettingsAtEnd() {
  // Closing the main window ends the loop but leaves it shown; hidden
  // now it stores its placement, as it would when freed.
  if (frmMain && frmMain->Visible()) frmMain->Hide();
  try {
    SaveSettings();
  } catch (const EIniFileException& e) {
    TellSettingsUnwritable(e.ErrorCode());
  }
}

}  // namespace

bool IsAutoStart(const std::vector<std::string>& args) { return !args.empty() && LowerCase(args[0]) == "/a"; }

int RunProgram(const std::vector<std::string>& args) {
  InitColorTable();
  InitUi();  // the application object
  // The name is claimed before anything is read: a second start while this
  // one is still starting (or waits on a message) hands over instead of
  // running beside it on the same files. The main window's own claim of
  // the name then fails harmlessly; messages reach it from here.
  if (!Application->RegisterInstance(kMainWindowClass)) {
    // Another instance on this display: bring it to the front and end. One
    // that takes no message is hung or busy; say so instead of waiting.
    // (A start that claimed the name this very moment may not listen yet.)
    bool handedOver = PostToInstance(kMainWindowClass, WM_ORVELAN_FRONT);
    if (!handedOver) {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      handedOver = PostToInstance(kMainWindowClass, WM_ORVELAN_FRONT);
    }
    if (!handedOver)
      Application->MessageBox(CP1252("Orvelan läuft bereits, reagiert aber gerade nicht.\r\rBitte warten Sie einen "
                                     "Augenblick, oder beenden Sie das laufende Orvelan und starten Sie es neu.")
                                  .str(),
                              "Orvelan", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  Application->OnInstanceMessage = [](unsigned msg) {
    if (frmMain && frmMain->HandleAllocated()) PostMessage(frmMain->Handle(), msg, 0, 0);
  };
  Application->Initialize();
  // A desktop's shut-down ends the run as Datei > Beenden does.
  Application->SetEndOnTerminationSignals(true);
  TScopeExit signals{[] { Application->SetEndOnTerminationSignals(false); }};
  if (!LoadSettingsOrExplain()) return 1;
  ExplainSettingsFile();
  if (IsAutoStart(args) && Trunc(Date()) == Trunc(LastStart)) {
    ShowAutoSkip();
  } else {
    LastStart = Trunc(Date());
    CreateUserDatabase();
    CreateDefaultLayouts();
    ExplainLeftOutData();
    Application->SetTitle("Orvelan");
    try {
      Application->CreateForm(frmMain);
      if (PartAvailable(dpSayings)) Application->CreateForm(frmSpruch);
    } catch (const Exception& e) {
      // The reference tables were checked with the settings: a table that
      // still cannot be opened is one of the user's own, which is left
      // exactly as it is.
      Application->MessageBox(CP1252("Das Hauptfenster kann nicht geöffnet werden:\r").str() + e.Message() +
                                  CP1252("\r\rIhre eigenen Daten im Verzeichnis \"").str() +
                                  ShownFileName(UserDataDir) +
                                  CP1252("\" bleiben unverändert. Orvelan wird beendet.").str(),
                              "Orvelan", MB_OK | MB_ICONERROR);
      StoreSettingsAtEnd();
      return 1;
    }
    Application->Run();
  }
  StoreSettingsAtEnd();
  return 0;
}
