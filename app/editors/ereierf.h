// The event editor TfrmEreiErf ("Ereignisse erfassen") and the event list
// TfrmListErei ("Erfaßte Ereignisse"): the user's own events, entries of
// type 2 in "EIGENES", in date order. The editor is the person editor's
// twin without names, place, time and sex: the date and the warner block
// at the left, the text (required) over the codes grid at the right. Its
// list text is the event's text, cut to its field. The list's "Gehe zu"
// takes a date and moves to the first event on or after it once ten
// characters are typed.
#pragma once

#include "app/editors/entryeditor.h"
#include "app/editors/entrylist.h"

class TfrmEreiErf : public TEntryEditor {
  ORV_CLASS(TfrmEreiErf, TEntryEditor)

 public:
  explicit TfrmEreiErf(TComponent* owner);

  TPanel *pnlLeft, *pnlRight;
  TLabel* lblDatum;

  void PositionOnEvent(int id);

 protected:
  void CheckEntry() override;
  AnsiString HintText() override;
  TWinControl* FirstEdit() const override { return editEigeDatum; }
  AnsiString DeleteQuestion() const override;
  AnsiString DeleteRefused() const override;
  TPoint MinimumSize() override;
};

class TfrmListErei : public TEntryList {
  ORV_CLASS(TfrmListErei, TEntryList)

 public:
  explicit TfrmListErei(TComponent* owner);

  TwwDBEdit* editGoto;

  void SearchTyped() override;
  void PositionOnEvent(int id);

 protected:
  TPoint MinimumSize() override;
};

// Creates, shows modally and frees the event editor.
void ShowEreiErf();
// Creates the event list on the event `eventId`, shows it modally and
// frees it; true on Ok, and then `eventId` is the chosen event's number.
bool ShowListErei(int& eventId);
// Makes the event of number `id` current in a table of own entries: by
// number, then in date order restricted to events.
void PositionOnEvent(TwwTable* table, int id);
