// TfrmConvDlg: the small window shown, not modally, while the user's older
// data is read into the new tables; it counts the lines read.
#pragma once

#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

class TfrmConvDlg : public TForm {
  ORV_CLASS(TfrmConvDlg, TForm)

 public:
  explicit TfrmConvDlg(TComponent* owner);
  // Shows the number of lines read so far.
  void ShowCount(int lines);

  TPanel* Panel1;
  TLabel* Label1;
  TLabel* Label2;
  TLabel* Label3;
  TLabel* lblZaehler;
};
