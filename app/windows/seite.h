// The page dialog "Seite einrichten": paper width and height (group
// " Papierformat ", with the formats "A4 Hoch", "A4Quer" and
// "Benutzerdefiniert") and the four margins (group " Ränder "), in twips.
// Width and height can be typed only for "Benutzerdefiniert"; choosing an
// A4 format sets them.
#pragma once

#include "app/settings/settings.h"
#include "app/windows/measuredlg.h"

// The paper of A4 in twips.
constexpr int32_t kA4Width = 11906, kA4Height = 16838;
// The entries of "Papierformat".
enum { pfA4Portrait = 0, pfA4Landscape = 1, pfOwn = 2 };

class TfrmSeite : public TfrmMeasureDialog {
  ORV_CLASS(TfrmSeite, TfrmMeasureDialog)

 public:
  explicit TfrmSeite(TComponent* owner);
  TGroupBox *grpFormat, *grpRaender;
  TLabel* lblFormat;
  TComboBox* cmbFormat;

  // The page part of a page block into the array (1 width, 2 height,
  // 3 top, 4 bottom, 5 left, 6 right) and back; the rest of `page` stays.
  void SetRecord(const PageSettings& page);
  void GetRecord(PageSettings& page) const;
  // The format's width and height; editable only for "Benutzerdefiniert".
  void cmbFormatChange();

 private:
  void FormShow();
  int format_ = -1;  // the format whose size the edits show
};

// Shows the dialog on a copy of the page part of the block; on OK the
// block takes the six values and the result is true.
bool ShowPageSetupDialog(PageSettings& page);
