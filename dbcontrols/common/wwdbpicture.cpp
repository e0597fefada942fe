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

}  // namespace

TwwPictureKey wwPictureKeyPress(TCustomEdit* edit, const AnsiString& mask, bool autoFill, bool limitAtEndOnly,
                                char& key) {
  const AnsiString text = edit->Text();
  const int selStart = std::clamp(edit->SelStart(), 0, static_cast<int>(text.size()));
  const int selEnd = std::clamp(selStart + edit->SelLength(), selStart, static_cast<int>(text.size()));
  const AnsiString after = text.substr(static_cast<std::size_t>(selEnd));
  AnsiString filled = text.substr(0, static_cast<std::size_t>(selStart)) + key + after;
  if (edit->MaxLength() > 0 && static_cast<int>(filled.size()) > edit->MaxLength() &&
      (!limitAtEndOnly || after.empty()))
    return TwwPictureKey::Passed;
  TwwPictureValidator validator(mask, autoFill);
  TwwPicResult result = validator.MatchText(filled, autoFill);
  if (result == pmError && autoFill && after.empty() && key != ' ') {
    // Literals the mask wants before the character come with it: a blank in
    // their place stands for the first, auto-fill appends the rest.
    const AnsiString before = text.substr(0, static_cast<std::size_t>(selStart));
    AnsiString probe = before + ' ';
    if (validator.MatchText(probe, true) == pmIncomplete) {
      AnsiString retry = probe + key;
      const TwwPicResult second = validator.MatchText(retry, true);
      if (second == pmComplete || second == pmIncomplete) {
        filled = retry;
        result = second;
      }
    }
  }
  // Where the typed character stands in the (possibly rewritten) text.
  const int typedEnd = std::max(1, static_cast<int>(filled.size()) - static_cast<int>(after.size()));
  switch (result) {
    case pmComplete:
      if (edit->BorderStyle() == bsNone) {
        AnsiString rest = filled;
        rest.erase(static_cast<std::size_t>(typedEnd - 1), 1);
        PutText(edit, rest, typedEnd - 1);
        key = filled[static_cast<std::size_t>(typedEnd - 1)];
        return TwwPictureKey::Passed;
      }
      [[fallthrough]];
    case pmIncomplete:
      PutText(edit, filled, typedEnd);
      key = 0;
      return TwwPictureKey::Typed;
    case pmError: {
      // In the middle of the text the key passes, so that a text may be
      // mended on the way, but never beyond what the mask holds.
      const int most = validator.MaxTextLength();
      if (!after.empty() && (most < 0 || static_cast<int>(filled.size()) <= most)) return TwwPictureKey::Passed;
      MessageBeep(0);
      key = 0;
      return TwwPictureKey::Refused;
    }
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
