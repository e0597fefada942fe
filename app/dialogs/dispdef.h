// The display-settings dialogs: for each rubric of the day page, which
// elements appear ("Anzeigen:" check boxes, media links) and how each looks
// (the rubric's font and size, and per element a button that opens the
// text-attribute dialog on its block), with a live sample of the page that
// is rebuilt after every change. Five dialogs serve six rubrics: personal
// entries (TfrmEigeDef), births and deaths (TfrmPersDef in two modes),
// world events (TfrmEreiDef), name days (TfrmNameDef) and holidays
// (TfrmFTagDef).
//
// Invariants: the dialog works on a private copy of the rubric's display
// section; only OK copies it back into RubricDisplay (and the personal
// dialog's rubric title, when its edit is not empty); an element button
// whose element the switches hide is disabled; the sample always shows the
// copy as it stands.
#pragma once

#include <vector>

#include "app/dialogs/dlgframe.h"
#include "app/settings/settings.h"
#include "platform/ui/extctrls.h"
#include "richtext/controls/richtext.h"

// An element button: its caption, the switch that shows the element (-1:
// always shown), and whether media links "Über den Namen" hide it.
struct TDispElement {
  AnsiString Caption;
  int Switch = -1;
  bool HiddenByNameLinks = false;
};

class TfrmDispDef : public TfrmSettingsDialog {
  ORV_CLASS(TfrmDispDef, TfrmSettingsDialog)

 public:
  TPanel* pnlOptions;
  TLabel *lblFont, *lblSize, *lblShow;
  TComboBox *cmbFont, *cmbSize;
  std::vector<TCheckBox*> cbSwitches;   // in the section's switch order
  TRadioGroup* rgMediaLinks = nullptr;  // rubrics with media links only
  TPanel* pnlElements;
  std::vector<TExplorerButton*> pbElements;  // in the section's block order
  TPanel* pnlSample;
  TWPRichText* WPRichText1;

  int Rubric() const { return rubric_; }
  // The private copy as the dialog holds it.
  const DisplaySettings& Settings() const { return s_; }
  // How often the sample was built.
  int SamplesBuilt() const { return samplesBuilt_; }

  // The sample rebuilt from the copy.
  void RefreshSample();
  // The element buttons enabled by the switches and the media links.
  void ApplyEnabling();
  // The text-attribute dialog on an element's block, then the sample.
  void EditElement(int element);

 protected:
  TfrmDispDef(TComponent* owner, const char* name, int rubric);
  // The controls of the section: check boxes and element buttons with their
  // captions, the media links' items (none: no group).
  void BuildControls(const std::vector<AnsiString>& switches, const std::vector<TDispElement>& elements,
                     const std::vector<AnsiString>& mediaLinks);
  // OK: the copy into the settings.
  void pbOkClick() override;
  void DialogShow() override;
  void DialogResize() override;
  TPoint MinimumSize() override;
  // The copy's flags into the controls (the dialog being shown).
  virtual void ShowSettings();
  // After OK copied the section back.
  virtual void StoreExtras() {}
  // Where the dialog's own controls may go in the options panel.
  static constexpr int kExtraLeft = 212;

  DisplaySettings s_;
  std::vector<TDispElement> elements_;

 private:
  void SwitchClick(int index);
  void MediaLinksClick();
  void FontChange();
  void SizeChange();
  int rubric_;
  int samplesBuilt_ = 0;
  bool showing_ = false;
};

class TfrmEigeDef : public TfrmDispDef {
  ORV_CLASS(TfrmEigeDef, TfrmDispDef)

 public:
  explicit TfrmEigeDef(TComponent* owner);
  TLabel* lblTitel;
  TEdit* editTitel;

 protected:
  void ShowSettings() override;
  void StoreExtras() override;
};

// Births (mode 2) or deaths (mode 3): the place and the date controls
// take the captions of the mode.
class TfrmPersDef : public TfrmDispDef {
  ORV_CLASS(TfrmPersDef, TfrmDispDef)

 public:
  TfrmPersDef(TComponent* owner, int mode);
  int Mode() const { return Rubric(); }
};

class TfrmEreiDef : public TfrmDispDef {
  ORV_CLASS(TfrmEreiDef, TfrmDispDef)

 public:
  explicit TfrmEreiDef(TComponent* owner);
};

class TfrmNameDef : public TfrmDispDef {
  ORV_CLASS(TfrmNameDef, TfrmDispDef)

 public:
  explicit TfrmNameDef(TComponent* owner);
};

class TfrmFTagDef : public TfrmDispDef {
  ORV_CLASS(TfrmFTagDef, TfrmDispDef)

 public:
  explicit TfrmFTagDef(TComponent* owner);
};

// Each shows its dialog modally and frees it; the modal result (1 for OK).
int ShowEigeDisp();
int ShowPersDisp(int mode);
int ShowEreiDisp();
int ShowNameDisp();
int ShowFTagDisp();
// The dialog of a rubric (rbPersonal .. rbHolidays).
int ShowRubricDisp(int rubric);
