// Clipboard formats and their MIME types on the system clipboard.
#include "platform/ui/clipbrd.h"

#include <algorithm>
#include <cstdio>

#include "platform/gfx/font.h"
#include "platform/rtl/cp1252.h"
#include "platform/ui/forms.h"
#include "platform/ui/windowhost.h"

namespace {
std::map<std::string, unsigned>& Registered() {
  static std::map<std::string, unsigned> m;
  return m;
}
// Registered formats are numbered from 0xC000 as on the platform.
std::string MimeOf(unsigned format) {
  if (format == CF_TEXT) return "text/plain";
  for (const auto& [name, id] : Registered())
    if (id == format) return name == "Rich Text Format" ? "text/rtf" : "application/x-orv-" + name;
  return {};
}
// Plain text crosses to the desktop's programs with its line ends, LF; the
// program's own texts keep CR LF.
std::string DesktopLineEnds(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') continue;
    out += s[i] == '\r' ? '\n' : s[i];
  }
  return out;
}
bool HostHas(const std::string& mime) {
  std::string ignored;
  return WindowHost().ClipboardData(mime, ignored);
}
std::string HostGet(const std::string& mime) {
  std::string bytes;
  WindowHost().ClipboardData(mime, bytes);
  return bytes;
}
}  // namespace

unsigned RegisterClipboardFormat(const AnsiString& name) {
  auto& m = Registered();
  auto it = m.find(name);
  if (it != m.end()) return it->second;
  unsigned id = 0xC000 + static_cast<unsigned>(m.size());
  m[name] = id;
  return id;
}

TClipboard* Clipboard() {
  static TClipboard c;
  return &c;
}

void TClipboard::Open() {
  if (openCount_++ == 0) {
    pending_.clear();
    hasPendingBitmap_ = false;
  }
}

void TClipboard::Close() {
  if (openCount_ == 0) return;
  if (--openCount_ == 0) Publish();
}

void TClipboard::Clear() {
  pending_.clear();
  hasPendingBitmap_ = false;
  if (openCount_ == 0) WindowHost().SetClipboard({}, nullptr);
}

void TClipboard::Publish() {
  std::vector<std::pair<std::string, std::string>> data;
  for (const auto& [fmt, bytes] : pending_) {
    std::string mime = MimeOf(fmt);
    if (mime.empty()) continue;
    data.push_back({mime, fmt == CF_TEXT ? Cp1252ToUtf8(DesktopLineEnds(bytes)) : bytes});
    // Programs name RTF either way.
    if (mime == "text/rtf") data.push_back({"application/rtf", bytes});
  }
  THostImage img;
  if (hasPendingBitmap_) {
    const TSurface& s = bitmapCopy_.Surface();
    img.Width = s.Width();
    img.Height = s.Height();
    img.Argb.assign(s.Bits(), s.Bits() + static_cast<std::size_t>(s.Width()) * s.Height());
    for (auto& px : img.Argb) px |= 0xFF000000u;
  }
  WindowHost().SetClipboard(data, hasPendingBitmap_ ? &img : nullptr);
}

bool TClipboard::HasFormat(unsigned format) const {
  if (format == CF_BITMAP) {
    THostImage img;
    return WindowHost().ClipboardImage(img);
  }
  std::string mime = MimeOf(format);
  if (mime == "text/rtf" && HostHas("application/rtf")) return true;
  return !mime.empty() && HostHas(mime);
}

AnsiString TClipboard::AsText() const { return Utf8ToCp1252Lossy(HostGet("text/plain"), '?'); }

bool TClipboard::TextToStore(AnsiString& text, std::u32string& leftOut) const {
  leftOut.clear();
  if (!HasFormat(CF_TEXT)) return false;
  text = Utf8ToCp1252Lossy(HostGet("text/plain"), 0, &leftOut);
  return true;
}

void TClipboard::SetAsText(const AnsiString& s) { SetBuffer(CF_TEXT, s); }

void TClipboard::SetBuffer(unsigned format, const std::string& bytes) {
  Open();
  pending_[format] = bytes;
  Close();
}

std::string TClipboard::GetBuffer(unsigned format) const {
  if (format == CF_TEXT) return AsText();
  std::string mime = MimeOf(format);
  if (mime.empty()) return {};
  if (mime == "text/rtf" && !HostHas(mime)) return HostGet("application/rtf");
  return HostGet(mime);
}

void TClipboard::Assign(const TBitmap& bmp) {
  Open();
  bitmapCopy_.Assign(bmp);
  hasPendingBitmap_ = true;
  Close();
}

bool TClipboard::GetBitmap(TBitmap& out) const {
  THostImage img;
  if (!WindowHost().ClipboardImage(img)) return false;
  out.SetSize(img.Width, img.Height);
  std::copy(img.Argb.begin(), img.Argb.end(), out.Surface().Bits());
  return true;
}

namespace {

void ShowNotice(const TControl* control, TMessageBoxRequest request) {
  const TCustomForm* form = control ? GetParentForm(control) : nullptr;
  request.Caption = form ? form->Caption() : Application->Title();
  request.Flags = MB_OK | MB_ICONINFORMATION;
  Application->MessageBox(request);
}

}  // namespace

void ShowPasteNotice(const TControl* control, const AnsiString& notice) {
  if (!notice.empty()) ShowNotice(control, {notice, {}, 0, {}});
}

void ShowLeftOutNotice(const TControl* control, std::u32string_view leftOut, bool opened) {
  if (leftOut.empty()) return;
  auto widen = [](const AnsiString& s) {
    std::u32string w;
    for (char c : s) w += Cp1252ToUnicode(static_cast<unsigned char>(c));
    return w;
  };
  // The text names each by its number; the box shows it as itself where
  // its font, or a fallback font, draws it.
  const TFont boxFont;
  AnsiString named;
  std::u32string shown, seen;
  bool drawn = false;
  for (char32_t u : leftOut) {
    if (seen.find(u) != std::u32string::npos) continue;
    if (!seen.empty()) {
      named += ", ";
      shown += U", ";
    }
    if (seen.size() == 6) {
      named += "...";
      shown += U"...";
      break;
    }
    seen += u;
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(u));
    named += code;
    const bool draws = FontEngine().Draws(boxFont.Request(), u);
    shown += draws ? std::u32string(1, u) : widen(code);
    drawn = drawn || draws;
  }
  const AnsiString start = CP1252("Einige Zeichen ").str() +
                           (opened ? CP1252("der geöffneten Datei").str() : CP1252("des eingefügten Textes").str()) +
                           " kann das Programm nicht speichern (";
  const AnsiString end = "); sie wurden weggelassen.";
  ShowNotice(control, {start + named + end, {}, 0, drawn ? widen(start) + shown + widen(end) : std::u32string()});
}

void ShowColorsChangedNotice(const TControl* control, int changed, bool opened) {
  if (changed <= 0) return;
  const bool one = changed == 1;
  ShowPasteNotice(control, std::to_string(changed) + (one ? " Farbe " : " Farben ") +
                               (opened ? CP1252("der geöffneten Datei").str() : CP1252("des eingefügten Textes").str()) +
                               CP1252(" kann das Programm nicht speichern (ein Text hat höchstens 16 Farben); ").str() +
                               (one ? CP1252("sie wurde durch die nächstliegende ersetzt.").str()
                                    : CP1252("sie wurden durch die nächstliegenden ersetzt.").str()));
}
