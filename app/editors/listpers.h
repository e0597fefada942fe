// The person list TfrmListPers ("Erfaßte Personen"): the user's persons by
// last name, first name and number; typing a last name into "Gehe zu"
// moves to the first person whose last name is at or after it. With
// "Erfassen" the person editor opens on the current person.
#pragma once

#include "app/editors/entrylist.h"

class TfrmListPers : public TEntryList {
  ORV_CLASS(TfrmListPers, TEntryList)

 public:
  TfrmListPers(TComponent* owner, bool showErfassen);

  TExplorerButton* pbErfassen;
  TEdit* editGoto;

  void SearchTyped() override;
  void PositionOnPerson(int id);

 protected:
  TPoint MinimumSize() override;
};

// Creates the list on the person `personId`, shows it modally (with the
// "Erfassen" button only when asked) and frees it; true on Ok, and then
// `personId` is the chosen person's number; otherwise it stays.
bool ShowListPers(int& personId, bool showErfassen);
