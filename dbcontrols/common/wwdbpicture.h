// The picture settings of an edit control of the data-aware controls (the
// masked edits and the grid's in-place editor): the picture mask the text
// must match, whether the mask's literals are filled in while typing, and
// whether the focus may leave a text that breaks the mask; and the one rule
// by which these edits take a typed character under a picture mask.
//
// Invariants: the settings belong to their control and live as long as it.
// When the control is bound to a field of a dataset of the family (it
// answers TwwPictureHost), mask and auto-fill flag live in the dataset's
// PictureMasks entry of that field, so every control on that field sees the
// same picture; otherwise the settings keep their own values. The settings
// never check text themselves (TwwPictureValidator does, see
// dbcontrols/text/wwpicture.h).
#pragma once

#include <functional>

#include "platform/rtl/components.h"

class TCustomEdit;
class TCustomMaskEdit;
class TDataSet;

// Told whether the text of an edit passes its picture mask.
using TwwValidateEvent = std::function<void(TObject* Sender, bool PassesPictureTest)>;

// A control whose picture may be kept in its dataset's PictureMasks list.
class TwwPictureHost {
 public:
  // The dataset and field whose entry holds the picture; false while the
  // control keeps a picture of its own.
  virtual bool PictureMaskField(TDataSet*& dataSet, AnsiString& fieldName) const = 0;

 protected:
  ~TwwPictureHost() = default;
};

class TwwDBPicture : public TPersistent {
  ORV_CLASS(TwwDBPicture, TPersistent)
  explicit TwwDBPicture(TComponent* owner) : owner_(owner) {}

  TComponent* Owner() const { return owner_; }
  // Whether mask and auto-fill flag are the dataset's PictureMasks entry.
  bool UsesTableMask() const;
  AnsiString PictureMask() const;
  // A table that defines its own picture for the field keeps it: a warning
  // says so and nothing changes.
  void SetPictureMask(const AnsiString& v);
  bool AutoFill() const;
  void SetAutoFill(bool v);
  bool AllowInvalidExit() const { return allowInvalidExit_; }
  void SetAllowInvalidExit(bool v) { allowInvalidExit_ = v; }

  // From another picture: the mask and the auto-fill flag.
  void Assign(const TPersistent* source) override;

 private:
  const TwwPictureHost* Host() const { return dynamic_cast<const TwwPictureHost*>(owner_); }
  // The host's PictureMasks entry; False while the picture is the control's own.
  bool TableEntry(AnsiString& mask, bool& autoFill) const;
  TComponent* owner_;
  AnsiString pictureMask_;
  bool autoFill_ = true;
  bool allowInvalidExit_ = false;
};

// What became of a typed character under a picture mask.
enum class TwwPictureKey {
  Passed,   // the key goes on to be typed (perhaps replaced by the mask's character)
  Typed,    // the mask put the text in itself; the key is consumed
  Refused,  // it breaks the mask at the end of the text: beep, key consumed
};

// Applies a typed character `key` (32 and up) to the edit's text, the
// selection replaced by it, under `mask`: a complete match on a borderless
// edit leaves the key to type the mask's last character; a complete match
// with a border, or an incomplete one, puts in the text with the literals
// that follow filled in (with auto-fill) and sets the caret behind the
// typed part; a character that breaks the mask is refused with a beep at
// the end of the text and let through in the middle of it. A text that would
// outgrow the edit's MaxLength is left to the edit's own limit (only with
// the caret at the end when `limitAtEndOnly`).
TwwPictureKey wwPictureKeyPress(TCustomEdit* edit, const AnsiString& mask, bool autoFill, bool limitAtEndOnly,
                                char& key);
// Whether wwPictureKeyPress would refuse `key`, asked before anything
// changes (neither the text nor the record).
bool wwPictureRefusesKey(const TCustomEdit* edit, const AnsiString& mask, bool autoFill, bool limitAtEndOnly, char key);
// The one rule by which the edits that type under a picture (the data-aware
// edit and the grid's editor) take a pasted `c` as their own: with their
// picture in use (`inUse`) and no edit mask, the picture itself put `c`
// just before the caret at the end of the text (an auto-filled literal) and
// would refuse it typed again there.
bool wwPictureOwnLiteral(const TCustomMaskEdit* edit, const TwwDBPicture* picture, bool inUse, char c);
