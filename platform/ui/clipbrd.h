// The clipboard object: text (Windows-1252 here, UTF-8 on the system
// clipboard), registered formats such as "Rich Text Format" (exchanged with
// other programs as RTF bytes) and bitmaps.
// Invariants: between Open and Close every Set adds to one clipboard
// content, published at Close; outside Open a Set replaces the content.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/exceptions.h"

constexpr unsigned CF_TEXT = 1, CF_BITMAP = 2;

// Number of a named format (the same name gives the same number).
unsigned RegisterClipboardFormat(const AnsiString& name);

class TClipboard {
 public:
  void Open();
  void Close();
  void Clear();
  bool HasFormat(unsigned format) const;
  AnsiString AsText() const;
  // The text as the system can store it: letters outside Windows-1252 as
  // their base letter, each character with no form at all left out and
  // named in `leftOut`; false when the clipboard holds no text.
  bool TextToStore(AnsiString& text, std::u32string& leftOut) const;
  void SetAsText(const AnsiString& s);
  // Raw bytes of a registered format.
  void SetBuffer(unsigned format, const std::string& bytes);
  std::string GetBuffer(unsigned format) const;
  void Assign(const TBitmap& bmp);
  // False when the clipboard holds no picture.
  bool GetBitmap(TBitmap& out) const;

 private:
  void Publish();
  int openCount_ = 0;
  std::map<unsigned, std::string> pending_;
  const TBitmap* pendingBitmap_ = nullptr;
  TBitmap bitmapCopy_;
  bool hasPendingBitmap_ = false;
};

TClipboard* Clipboard();

class TControl;
// Shows a notice about a text taken in (characters left out, or what a field
// refused) in a box captioned as `control`'s window, the program's when it
// has none; nothing for an empty notice.
void ShowPasteNotice(const TControl* control, const AnsiString& notice);
// Shows, as ShowPasteNotice does, the German notice that names the
// characters left out of a text taken in, pasted or read from a file the
// user opened (`opened`): each once, at most six, as the user sees it where
// the box's font can draw it, else by its number; nothing when none was.
void ShowLeftOutNotice(const TControl* control, std::u32string_view leftOut, bool opened = false);
// Likewise the notice that says how many colours of a text taken in took
// the nearest of the text's 16; nothing when none did.
void ShowColorsChangedNotice(const TControl* control, int changed, bool opened = false);
