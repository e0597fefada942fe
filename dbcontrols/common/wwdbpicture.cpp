// Picture settings that may live in the dataset, and typing under a mask.
#include "dbcontrols/common/wwdbpicture.h"

#include <algorithm>

#include "dbcontrols/common/wwcommon.h"
#include "dbcontrols/datasets/wwfields.h"
#include "dbcontrols/text/wwpicture.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/mask.h"

bool TwwDBPicture::UsesTableMask() const {
  TDataSet* ds = nullptr;
  AnsiString field;
  const TwwPictureHost* host = Host();
  return host && host->PictureMaskField(ds, field);
}

bool TwwDBPicture::TableEntry(AnsiString& mask, bool& autoFill) const {
  TDataSet* ds = nullptr;
  AnsiString field;
  const TwwPictureHost* host = Host();
  if (!host || !host->PictureMaskField(ds, field)) return false;
  bool allowExit = false;
  wwGetFieldPictureMask(ds, field, false, allowExit, autoFill, mask);
  return true;
}

AnsiString TwwDBPicture::PictureMask() const {
  AnsiString mask;
  bool autoFill = true;
  return TableEntry(mask, autoFill) ? mask : pictureMask_;
}

bool TwwDBPicture::AutoFill() const {
  AnsiString mask;
  bool autoFill = true;
  return TableEntry(mask, autoFill) ? autoFill : autoFill_;
}

void TwwDBPicture::SetPictureMask(const AnsiString& v) {
  TDataSet* ds = nullptr;
  AnsiString field;
  const TwwPictureHost* host = Host();
  if (!host || !host->PictureMaskField(ds, field)) {
    pictureMask_ = v;
    return;
  }
  AnsiString tablePicture;
  wwGetTablePicture(ds, field, tablePicture);
  if (!tablePicture.empty()) {
    MessageDlg("Picture mask already defined in Paradox table. ", mtWarning, mbOK, 0);
    return;
  }
  pictureMask_ = v;
  wwUpdatePictureMaskEntry(ds, field, v, false, false, true, allowInvalidExit_, autoFill_);
}

void TwwDBPicture::SetAutoFill(bool v) {
  autoFill_ = v;
  TDataSet* ds = nullptr;
  AnsiString field;
  const TwwPictureHost* host = Host();
  if (host && host->PictureMaskField(ds, field))
    wwUpdatePictureMaskEntry(ds, field, AnsiString(), false, true, false, allowInvalidExit_, v);
}

void TwwDBPicture::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TwwDBPicture*>(source)) {
    SetPictureMask(p->PictureMask());
    SetAutoFill(p->AutoFill());
    return;
  }
  TPersistent::Assign(source);
}

namespace {

// The whole text replaced, the caret set; the edit's change notification
// follows as for typing.
void PutText(TCustomEdit* edit, const AnsiString& text, int caret) {
  edit->SelectAll();
  edit->SetSelText(text);
  edit->SetSelStart(std::clamp(caret, 0, static_cast<int>(edit->Text().size())));
}

// The text that a typed `key` makes under the mask, where the typed part
// ends in it, and how the mask takes it.
struct TPictureTyping {
  AnsiString Filled;
  int TypedEnd = 0;
  TwwPicResult Result = pmComplete;
  bool TooLong = false;  // left to the edit's own limit
  bool InMiddle = false;
  int Most = -1;
};

TPictureTyping PictureTyping(const TCustomEdit* edit, const AnsiString& mask, bool autoFill, bool limitAtEndOnly,
                             char key) {
  TPictureTyping t;
  const AnsiString text = edit->Text();
  const int selStart = std::clamp(edit->SelStart(), 0, static_cast<int>(text.size()));
  const int selEnd = std::clamp(selStart + edit->SelLength(), selStart, static_cast<int>(text.size()));
  const AnsiString after = text.substr(static_cast<std::size_t>(selEnd));
  t.InMiddle = !after.empty();
  t.Filled = text.substr(0, static_cast<std::size_t>(selStart)) + key + after;
  if (edit->MaxLength() > 0 && static_cast<int>(t.Filled.size()) > edit->MaxLength() &&
      (!limitAtEndOnly || after.empty())) {
    t.TooLong = true;
    return t;
  }
  TwwPictureValidator validator(mask, autoFill);
  t.Result = validator.MatchText(t.Filled, autoFill);
  if (t.Result == pmError && autoFill && after.empty() && key != ' ') {
    // Literals the mask wants before the character come with it: a blank in
    // their place stands for the first, auto-fill appends the rest.
    const AnsiString before = text.substr(0, static_cast<std::size_t>(selStart));
    AnsiString probe = before + ' ';
    if (validator.MatchText(probe, true) == pmIncomplete) {
      AnsiString retry = probe + key;
      const TwwPicResult second = validator.MatchText(retry, true);
      if (second == pmComplete || second == pmIncomplete) {
        t.Filled = retry;
        t.Result = second;
      }
    }
  }
  // Where the typed character stands in the (possibly rewritten) text.
  t.TypedEnd = std::max(1, static_cast<int>(t.Filled.size()) - static_cast<int>(after.size()));
  t.Most = validator.MaxTextLength();
  return t;
}

// In the middle of the text a key that breaks the mask passes, so that a
// text may be mended on the way, but never beyond what the mask holds.
bool Refused(const TPictureTyping& t) {
  return !t.TooLong && t.Result == pmError &&
         !(t.InMiddle && (t.Most < 0 || static_cast<int>(t.Filled.size()) <= t.Most));
}

}  // namespace

bool wwPictureRefusesKey(const TCustomEdit* edit, const AnsiString& mask, bool autoFill, bool limitAtEndOnly, char key) {
  return Refused(PictureTyping(edit, mask, autoFill, limitAtEndOnly, key));
}

TwwPictureKey wwPictureKeyPress(TCustomEdit* edit, const AnsiString& mask, bool autoFill, bool limitAtEndOnly,
                                char& key) {
  const TPictureTyping t = PictureTyping(edit, mask, autoFill, limitAtEndOnly, key);
  if (t.TooLong) return TwwPictureKey::Passed;
  switch (t.Result) {
    case pmComplete:
      if (edit->BorderStyle() == bsNone) {
        AnsiString rest = t.Filled;
        rest.erase(static_cast<std::size_t>(t.TypedEnd - 1), 1);
        PutText(edit, rest, t.TypedEnd - 1);
        key = t.Filled[static_cast<std::size_t>(t.TypedEnd - 1)];
        return TwwPictureKey::Passed;
      }
      [[fallthrough]];
    case pmIncomplete:
      PutText(edit, t.Filled, t.TypedEnd);
      key = 0;
      return TwwPictureKey::Typed;
    case pmError:
      if (!Refused(t)) return TwwPictureKey::Passed;
      MessageBeep(0);
      key = 0;
      return TwwPictureKey::Refused;
    default:
      // A mask that cannot be read checks nothing while typing.
      return TwwPictureKey::Passed;
  }
}

bool wwPictureOwnLiteral(const TCustomMaskEdit* edit, const TwwDBPicture* picture, bool inUse, char c) {
  if (!inUse || edit->IsMasked()) return false;
  const AnsiString text = edit->Text();
  const int caret = edit->SelStart();
  if (!picture->AutoFill() || edit->SelLength() > 0 || caret != static_cast<int>(text.size()) || caret == 0 ||
      text.back() != c)
    return false;
  TwwPictureValidator validator(picture->PictureMask(), true);
  AnsiString again = text + c;
  if (validator.MatchText(again, true) != pmError) return false;
  AnsiString shorter = text.substr(0, text.size() - 1);
  const TwwPicResult r = validator.MatchText(shorter, true);
  return (r == pmComplete || r == pmIncomplete) && shorter == text;
}
