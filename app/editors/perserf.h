// The person editor TfrmPersErf ("Personen erfassen"): the user's own
// people, entries of type 1 in "EIGENES", one at a time in the order of
// last name, first name and number. Beside the shared entry editor it has
// the names, the birthplace with its preposition, the time of birth and
// the sex with its picture; the codes grid lies above the free text,
// divided by a splitter whose position the window keeps.
//
// Invariants: the preposition combo offers the five common prepositions
// and every one stored with a person, each once; exactly one of the two
// pictures shows, the man's for the value "0" of the sex.
#pragma once

#include "app/editors/entryeditor.h"
#include "dbcontrols/edit/wwdbcombo.h"

class TfrmPersErf : public TEntryEditor {
  ORV_CLASS(TfrmPersErf, TEntryEditor)

 public:
  explicit TfrmPersErf(TComponent* owner);

  TPanel *pnlFields, *pnlClient;
  TLabel *lblVorname, *lblNachname, *lblOrt, *lblDatum, *lblZeit;
  TwwDBEdit *editEigeVorname, *editEigeNachname, *editEigeOrt, *editEigeZeit;
  TwwDBComboBox* cmbEigeOrtPr;
  TDBRadioGroup* rgEigeGesch;
  TImage *imgMann, *imgFrau;
  TAdvSplitter* Splitter;

  // The person passed in; the current person's number once the window closed.
  int PersonId = 0;
  // Makes the person of that number current (see the list's routine).
  void PositionOnPerson(int id);

 protected:
  void CheckEntry() override;
  void PrepareEntry() override;
  AnsiString HintText() override;
  void NewEntryFields() override;
  TWinControl* FirstEdit() const override { return editEigeVorname; }
  AnsiString DeleteQuestion() const override;
  AnsiString DeleteRefused() const override;
  void EntryDataChanged() override;
  void CheckTypedTexts() override;
  TPoint MinimumSize() override;

 private:
  TLabel* FieldLabel(const char* name, const AnsiString& caption, int left, int top);
  TwwDBEdit* FieldEdit(const char* name, const char* field, int left, int top, int width);
  // Adds a preposition to the combo's items (trimmed, not empty, once).
  void AddPreposition(const AnsiString& preposition);
  void UpdateSexPicture();
  void SearchClick();
  void FormShow();
};

// Creates the person editor on the person `personId` (0: none in
// particular), shows it modally and frees it; `personId` becomes the
// number of the person current when it closed.
void ShowPersErf(int& personId);

// Makes the person of number `id` current in a table of own entries: by
// number first, then in the name order restricted to persons. When no entry
// has the number, the table stays where the failed search left it.
void PositionOnPerson(TwwTable* table, int id);
