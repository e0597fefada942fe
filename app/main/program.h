// The program block: one instance per display, the settings and the data,
// the automatic start, the user's tables, the main window and the message
// loop, and the settings written back at the end. Also the small notice
// of an automatic start on a day on which the program already ran.
//
// Invariants: a second start posts WM_ORVELAN_FRONT to the running
// instance and ends without touching the settings file; every start that
// got its settings writes them back, the autostart notice included, or,
// when the file cannot be written, leaves it untouched and says so.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/timers.h"

// The autostart notice: says for 2000 ms (or until the user closes it)
// that the program already ran today and this automatic start is skipped.
class TfrmAutoSkip : public TForm {
  ORV_CLASS(TfrmAutoSkip, TForm)

 public:
  explicit TfrmAutoSkip(TComponent* owner);
  TPanel* Panel1;
  TLabel* Label1;
  TLabel* Label2;
  TTimer* Timer1;

 private:
  void FormShow(TObject* sender);
  void Timer1Timer(TObject* sender);
};

// Shows the notice modally and frees it.
void ShowAutoSkip();

// Whether the arguments (without the program's name) mark an automatic
// start: the first one is "/a" in any letter case.
bool IsAutoStart(const std::vector<std::string>& args);

// Runs the program block; the process's exit code (0, or 1 when the data
// could not be set up or the main window not opened, which the user was
// told).
int RunProgram(const std::vector<std::string>& args);
