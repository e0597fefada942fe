// Clipboard formats and their MIME types on the system clipboard.
#include "platform/ui/clipbrd.h"

#include <algorithm>

#include "platform/qt/qt_ui_clipboard.h"
#include "platform/rtl/cp1252.h"

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
// Characters outside Windows-1252 become '?', as the platform converts.
AnsiString FromUtf8Lossy(std::string_view u) {
  AnsiString out;
  while (!u.empty()) {
    AnsiString part;
    std::size_t bad = 0;
    if (Utf8ToCp1252(u, part, &bad)) return out + part;
    out += part;
    out += '?';
    std::size_t n = 1;
    unsigned char lead = static_cast<unsigned char>(u[bad]);
    if (lead >= 0xF0) n = 4; else if (lead >= 0xE0) n = 3; else if (lead >= 0xC0) n = 2;
    u.remove_prefix(std::min(u.size(), bad + n));
  }
  return out;
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
  if (openCount_ == 0) qtui::ClipboardClear();
}

void TClipboard::Publish() {
  std::vector<std::pair<std::string, std::string>> data;
  for (const auto& [fmt, bytes] : pending_) {
    std::string mime = MimeOf(fmt);
    if (mime.empty()) continue;
    data.push_back({mime, fmt == CF_TEXT ? Cp1252ToUtf8(bytes) : bytes});
    // Programs name RTF either way.
    if (mime == "text/rtf") data.push_back({"application/rtf", bytes});
  }
  qtui::ClipImage img;
  if (hasPendingBitmap_) {
    const TSurface& s = bitmapCopy_.Surface();
    img.width = s.Width();
    img.height = s.Height();
    img.argb.assign(s.Bits(), s.Bits() + static_cast<std::size_t>(s.Width()) * s.Height());
    for (auto& px : img.argb) px |= 0xFF000000u;
  }
  qtui::ClipboardSet(data, hasPendingBitmap_ ? &img : nullptr);
}

bool TClipboard::HasFormat(unsigned format) const {
  if (format == CF_BITMAP) return qtui::ClipboardHasImage();
  std::string mime = MimeOf(format);
  if (mime == "text/rtf" && qtui::ClipboardHas("application/rtf")) return true;
  return !mime.empty() && qtui::ClipboardHas(mime);
}

AnsiString TClipboard::AsText() const {
  return FromUtf8Lossy(qtui::ClipboardGet("text/plain"));
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
  if (mime == "text/rtf" && !qtui::ClipboardHas(mime)) return qtui::ClipboardGet("application/rtf");
  return qtui::ClipboardGet(mime);
}

void TClipboard::Assign(const TBitmap& bmp) {
  Open();
  bitmapCopy_.Assign(bmp);
  hasPendingBitmap_ = true;
  Close();
}

bool TClipboard::GetBitmap(TBitmap& out) const {
  qtui::ClipImage img;
  if (!qtui::ClipboardGetImage(img)) return false;
  out.SetSize(img.width, img.height);
  std::copy(img.argb.begin(), img.argb.end(), out.Surface().Bits());
  return true;
}
