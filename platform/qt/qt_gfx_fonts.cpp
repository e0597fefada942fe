// Font matching and Windows-rule metrics (see qt_gfx_fonts.h).
//
// Metrics at em size ppem (character height; for a positive cell height h,
// ppem = h * unitsPerEm / (winAscent + winDescent)), scale = ppem/unitsPerEm:
//   ascent  = round(winAscent * scale), descent = round(winDescent * scale)
//   height  = ascent + descent, internal leading = height - ppem
//   external leading = max(0, round((lineGap - ((winAscent + winDescent) -
//                      (hheaAscender - hheaDescender))) * scale))
//   average width = round(xAvgCharWidth * scale), maximum = round(advanceWidthMax * scale)
//   advance of a glyph = its advance as drawn (hinted at small sizes), rounded
// Control characters are as wide as a blank; there is no kerning and one glyph
// per byte.
#include "platform/qt/qt_gfx_fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QTextLayout>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/rtl/cp1252.h"

namespace qtgfx {
namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

int U16(const QByteArray& t, int off) {
  if (off + 2 > t.size()) return 0;
  return (static_cast<unsigned char>(t[off]) << 8) | static_cast<unsigned char>(t[off + 1]);
}
int I16(const QByteArray& t, int off) { return static_cast<std::int16_t>(U16(t, off)); }

// Unicode equivalents of the symbol font's characters that the system uses.
char32_t SymbolChar(unsigned char c) {
  if (c >= 94 && c <= 105) return U'\u2648' + (c - 94);  // zodiac signs
  switch (c) {
    case 0x6C: return U'\u25CF';  // bullet
    case 0x6D: return U'\u274D';
    case 0x6E: return U'\u25A0';
    case 0x6F: return U'\u25A1';
    case 0x71: return U'\u2751';
    case 0x75: return U'\u25C6';
    case 0x76: return U'\u2756';
    case 0x77: return U'\u2B25';
    case 0x9F: return U'\u2022';
    case 0xA1: return U'\u25CB';
    case 0xA7: return U'\u25AA';
    case 0xA8: return U'\u25FB';
    case 0xAB: return U'\u2605';
    case 0xD8: return U'\u27A2';
    case 0xE0: return U'\u2192';
    case 0xFB: return U'\u2717';
    case 0xFC: return U'\u2713';
    case 0xFD: return U'\u2612';
    case 0xFE: return U'\u2611';
    case 0x4A: return U'\u263A';
    case 0x4C: return U'\u2639';
    case 0x4E: return U'\u2620';
    case 0x52: return U'\u263C';
    case 0x54: return U'\u2744';
    case 0x58: return U'\u2720';
    case 0x59: return U'\u2721';
    case 0x5A: return U'\u262A';
    case 0x5B: return U'\u262F';
    case 0x5D: return U'\u2638';
    case 0x28: return U'\u260E';
    case 0x22: return U'\u2702';
    case 0x41: return U'\u270C';
    default: return 0;
  }
}

// The files a mapped family is drawn from, whatever else is installed: a
// newer release of a family under the same name has other widths and
// heights, and metrics are part of every layout. A family whose files are
// missing is taken from the system's font matching instead.
struct PinnedFamily {
  const char* family;
  const char* files[4];  // regular, bold, italic, bold italic
};
const PinnedFamily kPinned[] = {
    {"Liberation Sans",
     {"/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSans-Italic.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSans-BoldItalic.ttf"}},
    {"Liberation Sans Narrow",
     {"/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Regular.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Bold.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-Italic.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSansNarrow-BoldItalic.ttf"}},
    {"Liberation Serif",
     {"/usr/share/fonts/truetype/liberation/LiberationSerif-Regular.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSerif-Bold.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSerif-Italic.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationSerif-BoldItalic.ttf"}},
    {"Liberation Mono",
     {"/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationMono-Bold.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationMono-Italic.ttf",
      "/usr/share/fonts/truetype/liberation/LiberationMono-BoldItalic.ttf"}},
    {"P052",
     {"/usr/share/fonts/opentype/urw-base35/P052-Roman.otf", "/usr/share/fonts/opentype/urw-base35/P052-Bold.otf",
      "/usr/share/fonts/opentype/urw-base35/P052-Italic.otf",
      "/usr/share/fonts/opentype/urw-base35/P052-BoldItalic.otf"}},
    {"DejaVu Sans",
     {"/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
      "/usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf",
      "/usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf"}},
};

// The pinned file of a family and style ("" when it has none or it is missing).
std::string PinnedFile(const std::string& family, bool bold, bool italic) {
  for (const PinnedFamily& p : kPinned) {
    if (Lower(family) != Lower(p.family)) continue;
    const char* f = p.files[(bold ? 1 : 0) + (italic ? 2 : 0)];
    std::error_code ec;
    return std::filesystem::is_regular_file(f, ec) ? f : "";
  }
  return {};
}

// Registers every pinned file with the toolkit's font database. A file of
// the same family, foundry and style replaces the one the system's font
// matching listed, so the toolkit then draws from the pinned file.
bool RegisterPinnedFiles() {
  for (const PinnedFamily& p : kPinned)
    for (const char* f : p.files) {
      std::error_code ec;
      if (std::filesystem::is_regular_file(f, ec)) QFontDatabase::addApplicationFont(QString::fromUtf8(f));
    }
  return true;
}

// Installed family names as the toolkit lists them ("P052 [urw]"), and
// their plain form ("P052").
const std::vector<QString>& InstalledFamilies() {
  static const std::vector<QString> v = [] {
    std::vector<QString> out;
    for (const QString& f : QFontDatabase::families()) out.push_back(f);
    return out;
  }();
  return v;
}

QString PlainFamily(const QString& f) {
  qsizetype i = f.indexOf(QStringLiteral(" ["));
  return i < 0 ? f : f.left(i);
}

// The plain family first, then each foundry's variant of it.
std::vector<QString> FaceNames(const std::string& family) {
  QString plain = QString::fromStdString(Cp1252ToUtf8(family));
  std::vector<QString> out{plain};
  for (const QString& f : InstalledFamilies())
    if (f != plain && PlainFamily(f).compare(plain, Qt::CaseInsensitive) == 0) out.push_back(f);
  return out;
}

// The installed families once each, in their plain form.
const std::vector<std::string>& PlainFamilies() {
  static const std::vector<std::string> v = [] {
    std::vector<std::string> out;
    for (const QString& f : InstalledFamilies()) {
      std::string p = PlainFamily(f).toStdString();
      if (std::find(out.begin(), out.end(), p) == out.end()) out.push_back(p);
    }
    return out;
  }();
  return v;
}

// The installed family of that name in any letter case ("" when none is).
std::string InstalledFamily(const std::string& family) {
  for (const std::string& f : PlainFamilies())
    if (Lower(f) == Lower(family)) return f;
  return {};
}

// The Windows names the program's texts, settings and documents use, and the
// metric-compatible family that draws each; font lists offer a name as long
// as its family is installed, so a stored name is found there.
struct WindowsFont {
  const char* Name;
  const char* Family;
};
const WindowsFont kWindowsFonts[] = {
    {"Arial", "Liberation Sans"},           {"Arial Narrow", "Liberation Sans Narrow"},
    {"Helvetica", "Liberation Sans"},       {"MS Sans Serif", "Liberation Sans"},
    {"MS Shell Dlg", "Liberation Sans"},    {"MS Shell Dlg 2", "Liberation Sans"},
    {"System", "Liberation Sans"},          {"Small Fonts", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"}, {"Times", "Liberation Serif"},
    {"MS Serif", "Liberation Serif"},       {"Courier New", "Liberation Mono"},
    {"Courier", "Liberation Mono"},         {"Book Antiqua", "P052"},
    {"Palatino Linotype", "P052"},
};
// The symbol fonts draw their characters from Unicode equivalents in the
// first of these families that is installed.
const char* const kSymbolNames[] = {"Wingdings", "Webdings"};
const char* const kSymbolFamilies[] = {"DejaVu Sans", "Liberation Sans"};

// Text up to this many pixels (12 points on a 96-dpi screen) is hinted fully.
constexpr int kFullHintingPixels = 16;

class Engine : public TFontEngine {
public:
  std::shared_ptr<const TFontData> Realize(const TFontRequest& req) override {
    auto key = std::make_tuple(req.Name, req.Height, req.Style.Bits(), req.Charset, static_cast<int>(req.Pitch));
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    auto d = Make(req);
    cache_.emplace(key, d);
    return d;
  }

  std::vector<std::string> Families() override {
    std::vector<std::string> out;
    auto add = [&out](const std::string& name) {
      if (std::find(out.begin(), out.end(), name) == out.end()) out.push_back(name);
    };
    for (const std::string& f : PlainFamilies()) {
      AnsiString a;
      if (Utf8ToCp1252(f, a)) add(a);
    }
    for (const WindowsFont& w : kWindowsFonts)
      if (!InstalledFamily(w.Family).empty()) add(w.Name);
    const bool symbols = std::any_of(std::begin(kSymbolFamilies), std::end(kSymbolFamilies),
                                     [](const char* f) { return !InstalledFamily(f).empty(); });
    if (symbols)
      for (const char* n : kSymbolNames) add(n);
    return out;
  }

  bool Draws(const TFontRequest& req, char32_t u) override {
    // Laid out as the toolkit draws it: a glyph of 0 is the missing-glyph box.
    QTextLayout layout(QString::fromUcs4(&u, 1), FallbackFont(req, 1));
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    bool any = false;
    for (const QGlyphRun& run : runs)
      for (quint32 glyph : run.glyphIndexes()) {
        if (glyph == 0) return false;
        any = true;
      }
    return any;
  }

  bool DrawUnicode(const TFontRequest& req, std::u32string_view text, int baseline, int height, TColor color,
                   TColor background, int scale, TSurface& out) override {
    const QString s = QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
    const QFont font = FallbackFont(req, scale);
    out.SetScale(scale);
    out.Resize(std::max(1, QFontMetrics(font).horizontalAdvance(s)), std::max(1, height * scale));
    out.Fill(0xFF000000u | (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background));
    QImage image(reinterpret_cast<uchar*>(out.Bits()), out.Width(), out.Height(), out.Width() * 4,
                 QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(QColor(GetRValue(color), GetGValue(color), GetBValue(color)));
    painter.drawText(QPointF(0, baseline * scale), s);
    return true;
  }

private:
  // The request's family as the toolkit's text engine uses it, falling back
  // on other installed fonts for characters it lacks.
  QFont FallbackFont(const TFontRequest& req, int scale) {
    QFont font(QString::fromStdString(Cp1252ToUtf8(Realize(req)->Family)));
    font.setPixelSize(std::max(1, std::abs(req.Height == 0 ? 11 : req.Height) * scale));
    font.setBold(req.Style.Contains(fsBold));
    font.setItalic(req.Style.Contains(fsItalic));
    return font;
  }

  std::shared_ptr<const TFontData> Make(const TFontRequest& req) {
    auto d = std::make_shared<QtFontData>();
    d->Request = req;
    bool symbol = false;
    d->Family = MatchFamily(req.Name, symbol);
    d->Symbol = symbol;
    // A family may come in several foundries' files; metrics need one that
    // carries the tables (an OpenType or TrueType file, not a Type 1 one).
    // A pinned family's files were registered over any other release.
    static const bool registered = RegisterPinnedFiles();
    (void)registered;
    d->File = PinnedFile(d->Family, req.Style.Contains(fsBold), req.Style.Contains(fsItalic));
    QRawFont raw;
    for (const QString& candidate : FaceNames(d->Family)) {
      QFont qf(candidate);
      qf.setPixelSize(std::max(1, std::abs(req.Height == 0 ? 11 : req.Height)));
      qf.setBold(req.Style.Contains(fsBold));
      qf.setItalic(req.Style.Contains(fsItalic));
      qf.setStyleStrategy(QFont::NoFontMerging);
      qf.setKerning(false);
      // Small text is hinted fully, stems on whole pixels, as the desktops
      // of the time showed interface text; larger text keeps its shapes.
      if (std::abs(req.Height == 0 ? 11 : req.Height) <= kFullHintingPixels)
        qf.setHintingPreference(QFont::PreferFullHinting);
      raw = QRawFont::fromFont(qf);
      if (!raw.fontTable("OS/2").isEmpty() && !raw.fontTable("hhea").isEmpty()) break;
    }
    const QByteArray head = raw.fontTable("head"), hhea = raw.fontTable("hhea"), os2 = raw.fontTable("OS/2"),
                     post = raw.fontTable("post");
    int upem = U16(head, 18);
    if (upem <= 0) upem = 2048;
    int winAsc = U16(os2, 74), winDesc = U16(os2, 76);
    int hAsc = I16(hhea, 4), hDesc = I16(hhea, 6), lineGap = I16(hhea, 8), advMax = U16(hhea, 10);
    if (winAsc + winDesc <= 0) {
      winAsc = hAsc;
      winDesc = -hDesc;
    }
    if (winAsc + winDesc <= 0) {
      winAsc = upem * 9 / 10;
      winDesc = upem / 5;
    }
    int h = req.Height == 0 ? -11 : req.Height;
    double ppem = h < 0 ? -h : static_cast<double>(h) * upem / (winAsc + winDesc);
    double scale = ppem / upem;
    raw.setPixelSize(ppem);
    d->Raw = raw;
    auto& m = d->Metric;
    m.tmAscent = static_cast<int>(std::lround(winAsc * scale));
    m.tmDescent = static_cast<int>(std::lround(winDesc * scale));
    if (h > 0) m.tmDescent = h - m.tmAscent;
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = std::max(0, m.tmHeight - static_cast<int>(std::lround(ppem)));
    m.tmExternalLeading =
        std::max(0, static_cast<int>(std::lround((lineGap - ((winAsc + winDesc) - (hAsc - hDesc))) * scale)));
    m.tmAveCharWidth = std::max(1, static_cast<int>(std::lround(I16(os2, 2) * scale)));
    m.tmMaxCharWidth = std::max(1, static_cast<int>(std::lround(advMax * scale)));
    m.tmWeight = req.Style.Contains(fsBold) ? 700 : 400;
    m.tmItalic = req.Style.Contains(fsItalic);
    m.tmUnderlined = req.Style.Contains(fsUnderline);
    m.tmStruckOut = req.Style.Contains(fsStrikeOut);
    m.tmCharSet = static_cast<unsigned char>(symbol ? SYMBOL_CHARSET : ANSI_CHARSET);
    bool fixed = (post.size() >= 16 && (U16(post, 12) | U16(post, 14)) != 0);
    std::string fam = Lower(d->Family);
    unsigned char family = fam.find("serif") != std::string::npos && fam.find("sans") == std::string::npos ? 0x10
                           : fixed ? 0x30 : 0x20;
    // Low bit set means variable pitch (sic); 6 = vector, TrueType.
    m.tmPitchAndFamily = static_cast<unsigned char>(family | 6 | (fixed ? 0 : 1));
    if (post.size() >= 12) {
      int upos = I16(post, 8), uthick = I16(post, 10);
      d->UnderlineOffset = std::max(1, static_cast<int>(std::lround(-upos * scale)));
      d->UnderlineThickness = std::max(1, static_cast<int>(std::lround(uthick * scale)));
    }
    if (os2.size() >= 30) d->StrikeOutOffset = std::max(1, static_cast<int>(std::lround(I16(os2, 28) * scale)));

    // Code points and glyphs of the 256 bytes.
    for (int c = 0; c < 256; ++c) {
      char32_t u = c < 32 ? U' ' : symbol ? SymbolChar(static_cast<unsigned char>(c)) : Cp1252ToUnicode(static_cast<unsigned char>(c));
      if (symbol && c == 32) u = U' ';
      d->Unicode[c] = u;
    }
    // Every code point used lies in the basic plane: one QChar per byte.
    QChar chars[256];
    int n = 256;
    for (int c = 0; c < 256; ++c) chars[c] = QChar(static_cast<char16_t>(d->Unicode[c] ? d->Unicode[c] : U' '));
    std::vector<quint32> glyphs(static_cast<std::size_t>(n));
    int ng = n;
    raw.glyphIndexesForChars(chars, n, glyphs.data(), &ng);
    for (int c = 0; c < 256; ++c) d->Glyphs[c] = glyphs[static_cast<std::size_t>(c)];

    // The advances of the very glyphs that are drawn: a hinted glyph is
    // drawn at its hinted shape, and only its hinted advance keeps the gaps
    // between letters as the hinting made them (the font's table of device
    // widths was made by another rasteriser and leaves letters standing apart).
    std::vector<QPointF> advances(static_cast<std::size_t>(n));
    raw.advancesForGlyphIndexes(glyphs.data(), advances.data(), n);
    for (int c = 0; c < 256; ++c) {
      d->Advances[c] = std::max(0.0, advances[static_cast<std::size_t>(c)].x());
      d->Widths[c] = static_cast<int>(std::lround(d->Advances[c]));
    }
    for (int c = 0; c < 32; ++c) {
      d->Advances[c] = d->Advances[32];
      d->Widths[c] = d->Widths[32];
    }
    // Blanks and unmapped symbol characters draw nothing.
    for (int c = 0; c < 256; ++c)
      if (d->Unicode[c] == 0 || d->Unicode[c] == U' ') d->Glyphs[c] = 0;
    return d;
  }

  std::mutex mutex_;
  std::map<std::tuple<std::string, int, int, int, int>, std::shared_ptr<const TFontData>> cache_;
};

}  // namespace

std::string MatchFamily(const std::string& requested, bool& symbol) {
  std::string name = Lower(Cp1252ToUtf8(requested));
  symbol = name.find("wingdings") != std::string::npos || name == "webdings";
  if (symbol) {
    for (const char* f : kSymbolFamilies)
      if (auto got = InstalledFamily(f); !got.empty()) return got;
  } else {
    const WindowsFont* mapped = nullptr;
    for (const WindowsFont& w : kWindowsFonts)
      if (name == Lower(w.Name)) mapped = &w;
    if (mapped) {
      if (auto got = InstalledFamily(mapped->Family); !got.empty()) return got;
    } else if (auto got = InstalledFamily(name); !got.empty()) {
      AnsiString a;
      if (Utf8ToCp1252(got, a)) return a;
    }
  }
  if (auto got = InstalledFamily("Liberation Sans"); !got.empty()) return got;
  if (!PlainFamilies().empty()) return PlainFamilies().front();
  return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family().toStdString();
}

TFontEngine& QtFontEngine() {
  static Engine engine;
  return engine;
}

}  // namespace qtgfx
