// TDBWPRichText: the complete rich-text editor bound to one field of a
// dataset. It shows the field of the current record (a BLOB field as rich
// text, any other field as its text), puts the dataset into edit state when
// the user starts to change the text, keeps cursor, scroll position and
// selection across that switch, and writes the text back (as RTF into a
// BLOB field) when the record is posted. Its tool bar's dataset icons move
// through the records and edit, post or cancel them.
//
// Invariants:
//  - loaded is True exactly while the current record's content is in the
//    control; while it is not, every key and clipboard edit is refused;
//  - the engine accepts input only while the control is not read-only, the
//    link is editing and the content is loaded;
//  - ReadOnly is the data link's flag: the control and its link never
//    disagree about it.
#pragma once

#include <string>

#include "platform/db/db.h"
#include "richtext/controls/richtext.h"

class TDBWPRichText : public TWPRichText {
  ORV_CLASS(TDBWPRichText, TWPRichText)
  explicit TDBWPRichText(TComponent* owner);
  ~TDBWPRichText() override;

  TDataSource* DataSource() const { return dataLink_.DataSource(); }
  void SetDataSource(TDataSource* ds);
  const AnsiString& DataField() const { return dataLink_.FieldName(); }
  void SetDataField(const AnsiString& name) { dataLink_.SetFieldName(name); }
  TField* Field() const { return dataLink_.Field(); }
  TFieldDataLink* DataLink() { return &dataLink_; }
  bool AutoDisplay() const { return autoDisplay_; }
  void SetAutoDisplay(bool v);
  bool Loaded() const { return loaded_; }

  void SetReadOnly(bool v) override;
  bool GetReadOnly() const override;
  bool ChangeCheck() override;
  bool ToolBarCommand(int group, int number) override;
  void Notification(TComponent* c, TOperation op) override;

  // Loads the field's content (a BLOB field only, when not loaded yet).
  void LoadFromField();
  // The data link's events.
  void DataChange();
  void EditingChange();
  void UpdateData();
  // Enables the tool bar's dataset icons by the dataset's state.
  void RefreshDataButtons();

protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoEnter() override;
  void DoExit() override;

private:
  void SetFocusedFlag(bool v);
  // Shows a text without touching the record (no change check).
  void ShowPlain(const AnsiString& text);
  // Puts the record into edit state for the first change (see ChangeCheck).
  bool StartEdit();
  // The view and the cursor, kept while the text is read anew: taken
  // before, and given to the text read (laid out first).
  struct Place {
    int Top = 0, Left = 0, Position = 0, A3 = 0, A4 = 0;
  };
  Place CurrentPlace();
  void ShowAt(const Place& place);

  TFieldDataLink dataLink_;
  bool autoDisplay_ = true;
  bool focused_ = false;
  bool loaded_ = false;
  bool showing_ = false;
  // The text as UpdateData last wrote it into the field: read back (the
  // record saved), it is shown where the user was.
  std::string written_;
};
