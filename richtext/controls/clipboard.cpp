// Clipboard, change check and edit state of the edit control: the check
// every edit asks first (read-only, not editable, the text-height limit),
// the change notification after it, the height-limit snapshot that takes a
// change back, the edit-state report, copy, cut and paste in the registered
// format "Rich Text Format" and as plain text, and replacing the whole text
// by plain text.
// Invariants: a refused change leaves text, cursor and selection as they
// were; copying never changes the text; a paste replaces the selection only
// when the change check allowed it; a paste leaves the page (size, margins)
// as it was.
#include <algorithm>
#include <array>

#include "platform/rtl/cp1252.h"
#include "platform/rtl/scopeexit.h"
#include "platform/rtl/sysutils.h"
#include "platform/ui/clipbrd.h"
#include "platform/ui/windowhost.h"
#include "richtext/controls/rtfedit.h"

namespace {

// What a table cell takes from a paste.
constexpr size_t kCellPasteLimit = 255;

unsigned RtfFormat() { return RegisterClipboardFormat("Rich Text Format"); }

// Puts the text's load and save formats and its shadow switch back when the
// returned guard ends.
[[nodiscard]] auto KeepFormat(TWPRTFTextIo& t) {
  return TScopeExit{[&t, save = t.SaveFormat, load = t.LoadFormat, noShadow = t.NoShadow] {
    t.SaveFormat = save;
    t.LoadFormat = load;
    t.NoShadow = noShadow;
  }};
}

}  // namespace

// --- change check and notification ---------------------------------------------------------

bool TWPCustomRtfEdit::ChangeCheck() {
  if (scrolling_) EndScrolling();
  if (ReadOnly() || !editable_) return false;
  if (!deleteKey_ && snapshot_) {
    // A text that already fills the control takes nothing more.
    if (engine_->TotalHeight > engine_->VisibleHeight && layoutReady_) return false;
    TakeSnapshot();
  }
  if (deleteKey_) {
    snapshotValid_ = false;
    deleteKey_ = false;
  }
  modified_ = true;
  return true;
}

void TWPCustomRtfEdit::Change() {
  TextHeightCheck();
  if (OnChange) OnChange(this);
}

void TWPCustomRtfEdit::TakeSnapshot() {
  snapshot_->Assign(engine_.get());
  snapshotAttr_ = engine_->WritingAttr;
  snapshotCursor_ = CursorPosition();
  snapshotValid_ = true;
}

void TWPCustomRtfEdit::TextHeightCheck() {
  if (!snapshot_ || !snapshotValid_) return;
  snapshotValid_ = false;
  if (!layoutReady_ || engine_->TotalHeight <= engine_->VisibleHeight) return;
  // The change made the text taller than the control: it is taken back
  // without showing the intermediate state.
  AttachCanvas();
  TWPRTFTextInput& e = *engine_;
  {
    const bool quiet = e.Quiet;
    e.Quiet = true;
    TScopeExit restore{[&e, quiet] { e.Quiet = quiet; }};
    e.HideSelection();
    e.ClearBlock();
    e.Assign(snapshot_.get());
    e.FormatText();
    e.MoveCursorToPosition(snapshotCursor_, 0);
    e.WritingAttr = snapshotAttr_;
  }
  e.PaintAll();
  e.ScrollToCursor();
  MessageBeep(0);
}

// --- edit state ---------------------------------------------------------------------------------

void TWPCustomRtfEdit::DoEditState(bool clipboardNotEmpty) {
  if (EditStateEvent) EditStateEvent(this, engine_->HasBlock(), clipboardNotEmpty);
}

void TWPCustomRtfEdit::ReportEditState() {
  bool has = false;
  if (HasWindowHost()) has = Clipboard()->HasFormat(CF_TEXT) || Clipboard()->HasFormat(RtfFormat());
  DoEditState(has);
}

// --- copy, cut, paste -------------------------------------------------------------------------

std::string TWPCustomRtfEdit::SaveSelection(TWPLoadFormat format) {
  auto keep = KeepFormat(*engine_);
  engine_->SaveFormat = format;
  if (engine_->ProtectMode & ProtectBit(ppDontCopyProtectedAttribute)) engine_->NoShadow = true;
  TMemoryStream s;
  engine_->SaveSelectionToStream(&s);
  std::string out(s.Memory(), static_cast<size_t>(s.Size()));
  // Up to the first NUL, as a clipboard text ends there.
  if (const size_t nul = out.find('\0'); nul != std::string::npos) out.resize(nul);
  return out;
}

void TWPCustomRtfEdit::CopyToClipboard() {
  copyAllowed_ = true;
  if (OnBeforeCopyEvent) OnBeforeCopyEvent(this, copyAllowed_);
  if (!copyAllowed_ || !engine_->HasBlock()) return;
  const std::string rtf = SaveSelection(FormatRTF);
  const std::string text = SaveSelection(FormatANSI);
  TClipboard* clip = Clipboard();
  clip->Open();
  // Closing hands the data to the system's clipboard, which may fail: it
  // stays out of a destructor.
  try {
    clip->Clear();
    if (!rtf.empty()) clip->SetBuffer(RtfFormat(), rtf);
    if (!text.empty()) clip->SetBuffer(CF_TEXT, text);
  } catch (...) {
    clip->Close();
    throw;
  }
  clip->Close();
  ReportEditState();
}

void TWPCustomRtfEdit::CutToClipboard() {
  if (!engine_->HasBlock()) return;
  CopyToClipboard();
  if (!copyAllowed_) return;
  AttachCanvas();
  if (!ReadOnly() && ChangeCheck()) {
    engine_->DeleteBlock();
    Change();
  }
  engine_->ScrollToCursor();
  Invalidate();
}

void TWPCustomRtfEdit::DeleteSelection() {
  if (!engine_->HasBlock() || !ChangeCheck()) return;
  AttachCanvas();
  engine_->DeleteBlock();
  engine_->ScrollToCursor();
  Change();
}

void TWPCustomRtfEdit::HideSelection() {
  AttachCanvas();
  engine_->HideSelection();
}

void TWPCustomRtfEdit::PasteFromClipboard() {
  // A paste is an edit like typing: a refused change leaves the text as it was.
  if (ReadOnly() || !ChangeCheck()) return;
  AttachCanvas();
  TClipboard* clip = Clipboard();
  const bool inCell = engine_->CursorPar && (engine_->CursorPar->Flags & wppTableCell);
  std::string bytes;
  bool rtf = false;
  if (!inCell && clip->HasFormat(RtfFormat())) {
    bytes = clip->GetBuffer(RtfFormat());
    rtf = true;
  }
  // Plain text as the text can store it: letters folded, what has no form
  // left out and named once the paste is done.
  std::u32string leftOut;
  if (bytes.empty() && clip->TextToStore(bytes, leftOut)) rtf = false;
  if (const size_t nul = bytes.find('\0'); nul != std::string::npos) bytes.resize(nul);
  bool pasted = false;
  size_t noRoom = 0;
  if (!bytes.empty()) {
    noRoom = PasteText(bytes, rtf, inCell);
    // RTF of another program names characters by number; what the text
    // cannot store is left out there and named with the rest.
    if (rtf) leftOut += engine_->LastLeftOut;
    pasted = true;
  } else if (clip->HasFormat(CF_BITMAP)) {
    TBitmap bmp;
    if (clip->GetBitmap(bmp) && !bmp.Empty()) {
      TPicture picture;
      picture.SetGraphic(&bmp);
      try {
        InsertGraphic(&picture, 0, 0);  // fires Change itself
      } catch (const Exception&) {
        // A picture the text cannot take is left on the clipboard.
      }
    }
  }
  engine_->ScrollToCursor();
  Invalidate();
  if (pasted) Change();
  ShowLeftOutNotice(this, leftOut);
  if (rtf && pasted) ShowColorsChangedNotice(this, engine_->LastColorsChanged);
  if (noRoom > 0)
    ShowPasteNotice(this, CP1252("In eine Tabellenzelle lassen sich höchstens ").str() +
                              std::to_string(kCellPasteLimit) + CP1252(" Zeichen auf einmal einfügen; ").str() +
                              std::to_string(noRoom) +
                              CP1252(" Zeichen des eingefügten Textes wurden weggelassen.").str());
}

size_t TWPCustomRtfEdit::PasteText(const std::string& bytes, bool rtf, bool inCell) {
  TWPRTFTextInput& e = *engine_;
  // The selection gives way to what is pasted.
  if (e.HasBlock()) e.DeleteBlock();
  e.HideSelection();
  e.ClearBlock();
  if (inCell) {
    auto trimEnd = [](std::string s) {
      while (!s.empty() && static_cast<unsigned char>(s.back()) < 33) s.pop_back();
      return s;
    };
    std::string s = trimEnd(bytes.substr(0, std::min(bytes.size(), kCellPasteLimit)));
    // A cell takes one paragraph: line ends become blanks.
    for (char& c : s)
      if (c == '\r' || c == '\n') c = ' ';
    e.InputString(s);
    return bytes.size() > kCellPasteLimit ? trimEnd(bytes.substr(kCellPasteLimit)).size() : 0;
  }
  // Each pasted paragraph is offered to OnBeforePasteEvent; a refused one
  // does not arrive (the first one, which joins the cursor's paragraph,
  // arrives empty).
  e.OnBeforeInsert = [this, &e](TWPParagraphRec* chain) {
    if (!OnBeforePasteEvent || !chain) return;
    for (TWPParagraphRec* p = chain; p;) {
      TWPParagraphRec* next = p->next;
      bool doIt = true;
      OnBeforePasteEvent(this, doIt, p);
      if (!doIt) {
        if (p == chain) {
          for (TWPLineRec* l = p->line; l; l = l->next) {
            l->Length = 0;
            l->pc[0] = 0;
          }
        } else {
          p->prev->next = p->next;
          if (p->next) p->next->prev = p->prev;
          p->next = p->prev = nullptr;
          e.FreeParagraphChain(p);
        }
      }
      p = next;
    }
  };
  auto keep = KeepFormat(e);
  TScopeExit noFilter{[&e] { e.OnBeforeInsert = nullptr; }};
  TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  s.SetPosition(0);
  e.LoadFormat = rtf ? FormatRTF : FormatANSI;
  // A paste brings text and its formatting, never the page of the document
  // it came from: an empty text reads it as a loaded document, page included.
  TTextHeader& h = *e.Header;
  auto pageOf = [&h] {
    return std::array{h.MarginLeft, h.MarginRight, h.MarginTop, h.MarginBottom, h.PageWidth, h.PageHeight,
                      int32_t{h.Landscape}, int32_t{h.FacingPages}};
  };
  const auto page = pageOf();
  e.LoadFromStream(&s);
  if (pageOf() != page) {
    h.Landscape = page[6];
    h.FacingPages = page[7];
    e.SetPage(page[0], page[1], page[2], page[3], page[4], page[5]);
  }
  return 0;
}

// --- whole text ------------------------------------------------------------------------------------

void TWPCustomRtfEdit::ClearText() {
  AttachCanvas();
  engine_->Clear();
  TakeFontAsWritingAttr(false);
  // The empty line keeps the font too: the cursor takes its first record
  // when it moves there, and so does a document without text loaded into it.
  if (TWPLineRec* l = engine_->FirstPar->line; l->pa) engine_->SetCharAttr(l, 0, engine_->WritingAttr);
  engine_->FormatText();
  engine_->PaintAll();
  engine_->UpdateCaret();
  UpdateVScroll();
}

void TWPCustomRtfEdit::SetPlainText(const char* text) {
  if (!text || !*text) {
    ClearText();
    return;
  }
  auto keep = KeepFormat(*engine_);
  engine_->LoadFormat = FormatANSI;
  ClearText();
  TMemoryStream s;
  s.WriteBuffer(text, static_cast<int>(std::char_traits<char>::length(text)));
  s.SetPosition(0);
  engine_->LoadFromStream(&s);
  Change();
  Invalidate();
}

int TWPCustomRtfEdit::ColorNumber(TColor c) const {
  // The header's colour of that value, else the nearest one.
  const TColor rgb = ColorToRGB(c);
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 16; ++i) {
    const TColor h = ColorToRGB(Header()->Colors[i]);
    const long dr = static_cast<long>(GetRValue(h)) - GetRValue(rgb), dg = static_cast<long>(GetGValue(h)) - GetGValue(rgb),
               db = static_cast<long>(GetBValue(h)) - GetBValue(rgb);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
    }
  }
  return best;
}

void TWPCustomRtfEdit::TakeFontAsWritingAttr(bool onlyChanged) {
  const TFont* f = Font();
  TWPAttrRecord& w = engine_->WritingAttr;
  const TWPAttrRecord before = w;
  const int font = Header()->FontIndex(std::string_view(f->Name()).substr(0, 31));
  const int size = std::clamp(f->Size(), 1, 255);
  const int color = ColorNumber(f->Color());
  uint32_t style = 0;
  if (f->Style().Contains(fsBold)) style |= wpsBold;
  if (f->Style().Contains(fsItalic)) style |= wpsItalic;
  if (f->Style().Contains(fsUnderline)) style |= wpsUnderline;
  if (f->Style().Contains(fsStrikeOut)) style |= wpsStrikeOut;
  constexpr uint32_t kFontStyles = wpsBold | wpsItalic | wpsUnderline | wpsStrikeOut;
  if (!onlyChanged || w.Font != WPValidFont(font)) w.Font = WPValidFont(font);
  if (!onlyChanged || w.Size != size) w.Size = static_cast<uint8_t>(size);
  if (!onlyChanged || (w.Colors & 0x0F) != color) w.Colors = static_cast<uint8_t>((w.Colors & 0xF0) | color);
  if (!onlyChanged || (w.Style & kFontStyles) != style) w.Style = (w.Style & ~kFontStyles) | style;
  if (!(w == before) && engine_->AttrListener) engine_->AttrListener->AttributeChanged();
}
