// The picture settings of an edit control of the data-aware controls (the
// masked edits and the grid's in-place editor): the picture mask the text
// must match, whether the mask's literals are filled in while typing, and
// whether the focus may leave a text that breaks the mask. The settings
// belong to their control and live as long as it; they never check text
// themselves (TwwPictureValidator does, see dbcontrols/text/wwpicture.h).
#pragma once

#include <functional>

#include "platform/rtl/components.h"

// Told whether the text of an edit passes its picture mask.
using TwwValidateEvent = std::function<void(TObject* Sender, bool PassesPictureTest)>;

class TwwDBPicture : public TPersistent {
  ORV_CLASS(TwwDBPicture, TPersistent)
  explicit TwwDBPicture(TComponent* owner) : owner_(owner) {}

  TComponent* Owner() const { return owner_; }
  const AnsiString& PictureMask() const { return pictureMask_; }
  void SetPictureMask(const AnsiString& v) { pictureMask_ = v; }
  bool AutoFill() const { return autoFill_; }
  void SetAutoFill(bool v) { autoFill_ = v; }
  bool AllowInvalidExit() const { return allowInvalidExit_; }
  void SetAllowInvalidExit(bool v) { allowInvalidExit_ = v; }

  // From another picture: the mask and the auto-fill flag.
  void Assign(const TPersistent* source) override {
    if (auto* p = dynamic_cast<const TwwDBPicture*>(source)) {
      SetPictureMask(p->PictureMask());
      SetAutoFill(p->AutoFill());
      return;
    }
    TPersistent::Assign(source);
  }

 private:
  TComponent* owner_;
  AnsiString pictureMask_;
  bool autoFill_ = true;
  bool allowInvalidExit_ = false;
};
