// The incremental-search edit: a plain edit bound to a data source that
// moves the source's dataset to the first record whose search field begins
// with the typed text, a short moment after the last key, and can complete
// the typed text with the value found.
//
// Invariants:
// - The search runs once per pause in typing: every key that changes the
//   text restarts the one timer, whose tick searches once and stops it.
// - A text equal to the text of the last search starts no search.
// - The timer waits 333 ms, or half of it (166 ms) on an open table of a
//   database that is not SQL-based.
// - Without ShowMatchText the edit's text is the user's alone; with it the
//   found value is put in with the part beyond the typed text selected.
#pragma once

#include <memory>

#include "dbcontrols/datasets/wwtable.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/timers.h"

using TwwAfterSearchEvent = std::function<void(TObject* Sender, bool MatchFound)>;

class TwwIncrementalSearch : public TCustomEdit {
  ORV_CLASS_PUBLISHED(TwwIncrementalSearch, TCustomEdit)

 public:
  explicit TwwIncrementalSearch(TComponent* owner);
  ~TwwIncrementalSearch() override;
  void Notification(TComponent* c, TOperation op) override;

  // Only sources of the family: the getter answers null for any other.
  TwwDataSource* DataSource() const;
  void SetDataSource(TwwDataSource* v);
  const AnsiString& SearchField() const { return searchField_; }
  void SetSearchField(const AnsiString& v) { searchField_ = v; }
  bool ShowMatchText() const { return showMatchText_; }
  void SetShowMatchText(bool v) { showMatchText_ = v; }
  TwwAfterSearchEvent OnAfterSearch;

  // Runs a search still waiting for its pause at once: a window that
  // takes the found record (Enter, Ok) takes the one typed for.
  void SearchNow();
  // The waiting search (tests and the owner's form look at it).
  TTimer* SearchTimer() const { return timer_.get(); }
  const AnsiString& LastSearchedText() const { return lastSearched_; }

 protected:
  void KeyUp(Word& key, TShiftState shift) override;

 private:
  void TimerTick();
  void Search();
  TDataLink dataLink_;
  int interval_ = 333;
  std::unique_ptr<TTimer> timer_;
  bool showMatchText_ = false;
  AnsiString lastSearched_;
  AnsiString searchField_;
};
