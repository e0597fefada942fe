// TGraphic, TBitmap, TMetafile, TIcon, TPicture (see bitmap.h).
#include "platform/gfx/bitmap.h"
#include "platform/rtl/cp1252.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/gfx/raster.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw EFOpenError(CP1252("Datei kann nicht geöffnet werden: ").str() + path);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  if (!f) throw EFCreateError("Datei kann nicht angelegt werden: " + path);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw EWriteError("Fehler beim Schreiben: " + path);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::uint32_t BE32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Walks the chunks of a PNG so that a truncated file or absurd dimensions are
// refused before the decoder allocates anything.
void CheckPng(const std::uint8_t* d, std::size_t n) {
  static const std::uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n < 8 || !std::equal(sig, sig + 8, d)) throw EInvalidGraphic(CP1252("Ungültiges PNG-Bild: keine PNG-Datei").str());
  std::size_t pos = 8;
  bool first = true, end = false;
  while (pos + 8 <= n) {
    std::uint32_t len = BE32(d + pos);
    const std::uint8_t* type = d + pos + 4;
    if (len > n - pos - 8 || n - pos - 8 - len < 4) throw EInvalidGraphic(CP1252("Ungültiges PNG-Bild: abgeschnitten").str());
    if (first) {
      if (std::string(reinterpret_cast<const char*>(type), 4) != "IHDR" || len < 13)
        throw EInvalidGraphic(CP1252("Ungültiges PNG-Bild: Kopf fehlt").str());
      // Both sides may be near 2^32: compare by division, never by a product
      // that could overflow.
      const long long w = BE32(d + pos + 8), h = BE32(d + pos + 12);
      if (w <= 0 || h <= 0 || w > kMaxImagePixels / h) throw EInvalidGraphic(CP1252("Ungültiges PNG-Bild: Größe").str());
      first = false;
    }
    if (std::string(reinterpret_cast<const char*>(type), 4) == "IEND") {
      end = true;
      break;
    }
    pos += 12 + len;
  }
  if (!end) throw EInvalidGraphic(CP1252("Ungültiges PNG-Bild: abgeschnitten").str());
}

std::string ResourceDir() {
  if (const char* e = std::getenv("ORV_RESOURCE_DIR")) return e;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    for (fs::path p = exe.parent_path(); !p.empty() && p != p.root_path(); p = p.parent_path())
      if (fs::is_directory(p / "resources", ec)) return (p / "resources").string();
  }
  if (const char* s = std::getenv("ORV_SOURCE_DIR")) return (fs::path(s) / "resources").string();
  return "resources";
}

}  // namespace

std::string FindResourceFile(const std::string& name, const std::vector<std::string>& extensions) {
  std::error_code ec;
  fs::path dir = ResourceDir();
  if (!fs::is_directory(dir, ec)) return {};
  std::string want = Lower(name);
  for (const auto& ext : extensions) {
    std::string file = want + Lower(ext);
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      if (it->is_regular_file(ec) && Lower(it->path().filename().string()) == file) return it->path().string();
    }
  }
  return {};
}

// ------------------------------------------------------------------ TGraphic

void TGraphic::LoadFromFile(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  LoadFromBytes(bytes.data(), bytes.size());
}

void TGraphic::SaveToFile(const std::string& path) const { WriteFileBytes(path, SaveToBytes()); }

namespace {
std::vector<std::uint8_t> ReadStreamBytes(TStream& s, std::int64_t count) {
  if (count < 0 || count > (std::int64_t(1) << 30)) throw EInvalidGraphic(CP1252("Bilddaten zu groß").str());
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
  if (count) s.ReadBuffer(bytes.data(), static_cast<int>(count));
  return bytes;
}
}  // namespace

void TGraphic::LoadFromStream(TStream& stream) {
  auto bytes = ReadStreamBytes(stream, stream.Size() - stream.Position());
  LoadFromBytes(bytes.data(), bytes.size());
}

void TGraphic::SaveToStream(TStream& stream) const {
  auto bytes = SaveToBytes();
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TGraphic::SetTransparent(bool t) {
  if (t == transparent_) return;
  transparent_ = t;
  Changed();
}

// ------------------------------------------------------------------ TBitmap

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int w, int h) { SetSize(w, h); }
TBitmap::TBitmap(const TBitmap& other) : TGraphic() { Assign(other); }
TBitmap& TBitmap::operator=(const TBitmap& other) {
  Assign(other);
  return *this;
}
TBitmap::~TBitmap() = default;

void TBitmap::SetSize(int w, int h) {
  if (w == Width() && h == Height()) return;
  surface_.Resize(w, h, 0xFFFFFFFFu);
  Changed();
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    if (TGfxPlatform* p = GfxPlatform())
      device_ = p->CreateRasterDevice(surface_, 96);
    else
      device_ = std::make_unique<TRasterDevice>(surface_, 96);
    canvas_ = std::make_unique<TCanvas>(device_.get());
  }
  return canvas_.get();
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
  if (f == pf1bit) {
    SetMonochrome(true);
    return;
  }
  format_ = f;
}

void TBitmap::SetMonochrome(bool mono) {
  if (!mono) {
    if (format_ == pf1bit) format_ = pfDevice;
    return;
  }
  for (int y = 0; y < Height(); ++y) {
    std::uint32_t* row = surface_.Row(y);
    for (int x = 0; x < Width(); ++x) {
      std::uint32_t p = row[x];
      int lum = static_cast<int>(((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11);
      row[x] = lum >= 128 * 100 ? 0xFFFFFFFFu : 0xFF000000u;
    }
  }
  format_ = pf1bit;
  palette_ = {clBlack, clWhite};
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  if (Empty()) return clDefault;
  return PixelToColor(surface_.Row(Height() - 1)[0]);
}

void TBitmap::SetTransparentColor(TColor c) {
  transparentColor_ = c;
  transparentMode_ = c == clDefault ? tmAuto : tmFixed;
  Changed();
}

std::unique_ptr<TBitmap> TBitmap::CreateMask(TColor transparent) const {
  auto m = std::make_unique<TBitmap>(Width(), Height());
  const std::uint32_t t = ColorToPixel(ColorToRGB(transparent));
  for (int y = 0; y < Height(); ++y) {
    const std::uint32_t* s = surface_.Row(y);
    std::uint32_t* d = m->surface_.Row(y);
    for (int x = 0; x < Width(); ++x) d[x] = ((s[x] ^ t) & 0xFFFFFF) == 0 ? 0xFFFFFFFFu : 0xFF000000u;
  }
  m->format_ = pf1bit;
  m->palette_ = {clBlack, clWhite};
  return m;
}

void TBitmap::Assign(const TBitmap& source) {
  if (&source == this) return;
  surface_.Resize(source.Width(), source.Height());
  std::copy(source.surface_.Bits(), source.surface_.Bits() + static_cast<std::size_t>(Width()) * Height(),
            surface_.Bits());
  format_ = source.format_;
  palette_ = source.palette_;
  transparent_ = source.transparent_;
  transparentMode_ = source.transparentMode_;
  transparentColor_ = source.transparentColor_;
  Changed();
}

void TBitmap::Assign(const TGraphic& source) {
  if (auto* b = dynamic_cast<const TBitmap*>(&source)) {
    Assign(*b);
    return;
  }
  if (auto* i = dynamic_cast<const TIcon*>(&source)) {
    Assign(i->Image());
    return;
  }
  // Anything else is rendered onto a white bitmap of its size.
  SetSize(source.Width(), source.Height());
  surface_.Fill(0xFFFFFFFFu);
  const_cast<TGraphic&>(source).Draw(*Canvas(), {0, 0, Width(), Height()});
}

void TBitmap::Assign(const TPersistent* source) {
  if (auto* g = dynamic_cast<const TGraphic*>(source))
    Assign(*g);
  else if (auto* p = dynamic_cast<const TPicture*>(source); p && p->Graphic())
    Assign(*p->Graphic());
  else
    TPersistent::Assign(source);
}

void TBitmap::LoadFromBytes(const std::uint8_t* data, std::size_t size) {
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') {
    auto d = bmpcodec::Decode(data, size, true);
    surface_.Resize(d.Pixels.Width(), d.Pixels.Height());
    std::copy(d.Pixels.Bits(), d.Pixels.Bits() + static_cast<std::size_t>(Width()) * Height(), surface_.Bits());
    format_ = d.Format;
    palette_ = d.Palette;
  } else if (size >= 8 && data[0] == 0x89 && data[1] == 'P') {
    CheckPng(data, size);
    TGfxPlatform* p = GfxPlatform();
    if (!p) throw EInvalidGraphic("PNG-Bilder brauchen die Grafikplattform");
    TSurface s;
    p->DecodeImage(data, size, s);
    surface_.Resize(s.Width(), s.Height());
    std::copy(s.Bits(), s.Bits() + static_cast<std::size_t>(Width()) * Height(), surface_.Bits());
    format_ = pf32bit;
    palette_.clear();
  } else {
    throw EInvalidGraphic("Unbekanntes Bildformat");
  }
  Changed();
}

void TBitmap::LoadFromStream(TStream& stream) {
  const std::int64_t start = stream.Position(), rest = stream.Size() - start;
  std::int64_t count = rest;
  std::uint8_t head[6];
  if (rest >= 6 && stream.Read(head, 6) == 6 && head[0] == 'B' && head[1] == 'M') {
    std::int64_t fileSize = head[2] | (head[3] << 8) | (head[4] << 16) | (static_cast<std::int64_t>(head[5]) << 24);
    if (fileSize >= 14 && fileSize <= rest) count = fileSize;
  }
  stream.SetPosition(start);
  auto bytes = ReadStreamBytes(stream, count);
  LoadFromBytes(bytes.data(), bytes.size());
}

std::vector<std::uint8_t> TBitmap::SaveToBytes() const { return bmpcodec::Encode(surface_, format_, palette_); }

void TBitmap::SaveToPng(const std::string& path) const {
  TGfxPlatform* p = GfxPlatform();
  if (!p) throw EInvalidOperation("PNG output needs the graphics platform");
  WriteFileBytes(path, p->EncodePng(surface_));
}

void TBitmap::LoadFromResourceName(const std::string& name) {
  std::string path = FindResourceFile(name, {".bmp", ".png"});
  if (path.empty()) throw EInvalidGraphic("Ressource nicht gefunden: " + name);
  LoadFromFile(path);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) {
  if (Empty()) return;
  std::uint32_t transparent = 0;
  if (transparent_) transparent = ColorToPixel(ColorToRGB(TransparentColor()));
  canvas.DrawSurface(r, surface_, surface_.Bounds(), transparent ? SRCCOPY : canvas.CopyMode(), transparent);
}

// ------------------------------------------------------------------ TMetafile

void TMetafile::LoadFromBytes(const std::uint8_t* d, std::size_t n) {
  auto u16 = [&](std::size_t i) { return static_cast<int>(d[i] | (d[i + 1] << 8)); };
  auto i16 = [&](std::size_t i) { return static_cast<int>(static_cast<std::int16_t>(u16(i))); };
  auto i32 = [&](std::size_t i) {
    return static_cast<int>(static_cast<std::int32_t>(d[i] | (d[i + 1] << 8) | (d[i + 2] << 16) |
                                                      (static_cast<std::uint32_t>(d[i + 3]) << 24)));
  };
  if (n >= 22 && d[0] == 0xD7 && d[1] == 0xCD && d[2] == 0xC6 && d[3] == 0x9A) {
    // Placeable metafile: bounding box in units of `inch` per inch.
    int inch = u16(14);
    if (inch <= 0) throw EInvalidGraphic(CP1252("Ungültige Metadatei").str());
    width_ = MulDiv(i16(10) - i16(6), 96, inch);
    height_ = MulDiv(i16(12) - i16(8), 96, inch);
    enhanced_ = false;
  } else if (n >= 88 && i32(0) == 1 && d[40] == ' ' && d[41] == 'E' && d[42] == 'M' && d[43] == 'F') {
    // Enhanced metafile: frame in 0.01 mm.
    width_ = MulDiv(i32(32) - i32(24), 96, 2540);
    height_ = MulDiv(i32(36) - i32(28), 96, 2540);
    enhanced_ = true;
  } else {
    throw EInvalidGraphic(CP1252("Ungültige Metadatei").str());
  }
  data_.assign(d, d + n);
  Changed();
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) {
  // A white box framed in grey with its diagonals marks the picture's place.
  TBrush oldBrush(*canvas.Brush());
  TPen oldPen(*canvas.Pen());
  canvas.Brush()->SetColor(clWhite);
  canvas.Pen()->SetColor(clGray);
  canvas.Pen()->SetWidth(1);
  canvas.Pen()->SetStyle(psSolid);
  canvas.Rectangle(r);
  canvas.MoveTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 1, r.Bottom - 1);
  canvas.MoveTo(r.Right - 1, r.Top);
  canvas.LineTo(r.Left, r.Bottom - 1);
  canvas.SetBrush(oldBrush);
  canvas.SetPen(oldPen);
}

// ------------------------------------------------------------------ TIcon

void TIcon::LoadFromBytes(const std::uint8_t* d, std::size_t n) {
  if (n < 6 || d[0] != 0 || d[1] != 0 || (d[2] != 1 && d[2] != 2) || d[3] != 0)
    throw EInvalidGraphic(CP1252("Ungültiges Symbol").str());
  int count = d[4] | (d[5] << 8);
  if (count <= 0 || n < 6 + static_cast<std::size_t>(count) * 16) throw EInvalidGraphic(CP1252("Ungültiges Symbol").str());
  // The largest image, deeper colours winning ties.
  int best = -1;
  long long bestScore = -1;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = d + 6 + i * 16;
    int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256, bpp = e[6] | (e[7] << 8);
    long long score = static_cast<long long>(w) * h * 64 + bpp;
    if (score > bestScore) {
      bestScore = score;
      best = i;
    }
  }
  const std::uint8_t* e = d + 6 + best * 16;
  std::size_t size = e[8] | (e[9] << 8) | (e[10] << 16) | (static_cast<std::size_t>(e[11]) << 24);
  std::size_t off = e[12] | (e[13] << 8) | (e[14] << 16) | (static_cast<std::size_t>(e[15]) << 24);
  if (off > n || size > n - off) throw EInvalidGraphic(CP1252("Ungültiges Symbol: abgeschnitten").str());
  if (size >= 8 && d[off] == 0x89 && d[off + 1] == 'P') {
    image_.LoadFromBytes(d + off, size);
    mask_.assign(static_cast<std::size_t>(image_.Width()) * image_.Height(), false);
  } else {
    auto dec = bmpcodec::Decode(d + off, size, false, true);
    image_.SetSize(dec.Pixels.Width(), dec.Pixels.Height());
    std::copy(dec.Pixels.Bits(), dec.Pixels.Bits() + static_cast<std::size_t>(image_.Width()) * image_.Height(),
              image_.Surface().Bits());
    mask_ = dec.AndMask;
  }
  data_.assign(d, d + n);
  Changed();
}

void TIcon::Draw(TCanvas& canvas, const TRect& r) {
  if (Empty()) return;
  // Transparent pixels are marked with a colour the image does not use.
  TSurface s = image_.Surface();
  std::uint32_t key = 0xFF010203u;
  for (std::size_t i = 0; i < mask_.size(); ++i)
    if (mask_[i]) s.Bits()[i] = key;
  canvas.DrawSurface(r, s, s.Bounds(), SRCCOPY, key);
}

// ------------------------------------------------------------------ TPicture

TPicture::TPicture(const TPicture& other) : TPersistent() { Assign(other); }
TPicture& TPicture::operator=(const TPicture& other) {
  Assign(other);
  return *this;
}

void TPicture::Adopt(std::unique_ptr<TGraphic> g) {
  graphic_ = std::move(g);
  if (graphic_) graphic_->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

void TPicture::SetGraphic(const TGraphic* g) { Adopt(g ? g->Clone() : nullptr); }

TBitmap* TPicture::Bitmap() {
  if (auto* b = dynamic_cast<TBitmap*>(graphic_.get())) return b;
  auto b = std::make_unique<TBitmap>();
  if (graphic_) b->Assign(*graphic_);
  Adopt(std::move(b));
  return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::LoadFromFile(const std::string& path) {
  std::string ext = Lower(fs::path(path).extension().string());
  std::unique_ptr<TGraphic> g;
  if (ext == ".bmp" || ext == ".dib" || ext == ".png")
    g = std::make_unique<TBitmap>();
  else if (ext == ".wmf" || ext == ".emf")
    g = std::make_unique<TMetafile>();
  else if (ext == ".ico")
    g = std::make_unique<TIcon>();
  else
    throw EInvalidGraphic("Unbekannte Bilddatei-Endung: " + ext);
  g->LoadFromFile(path);
  Adopt(std::move(g));
}

void TPicture::SaveToFile(const std::string& path) const {
  if (graphic_) graphic_->SaveToFile(path);
}

void TPicture::Assign(const TPersistent* source) {
  if (auto* p = dynamic_cast<const TPicture*>(source))
    Assign(*p);
  else if (auto* g = dynamic_cast<const TGraphic*>(source))
    SetGraphic(g);
  else if (!source)
    SetGraphic(nullptr);
  else
    TPersistent::Assign(source);
}

void TPicture::Assign(const TPicture& source) {
  if (&source == this) return;
  Adopt(source.graphic_ ? source.graphic_->Clone() : nullptr);
}

std::vector<std::string> MirroredRows(std::vector<std::string> rows) {
  for (std::string& r : rows) std::reverse(r.begin(), r.end());
  return rows;
}

namespace {

// A picture drawn pixel by pixel at twice its size with its diagonal steps
// rounded: each quarter of a pixel takes the colour its two outer
// neighbours share, unless the picture runs on along them (so lines and
// corners stay square).
TSurface Doubled(const TSurface& s) {
  TSurface d;
  d.Resize(s.Width() * 2, s.Height() * 2);
  const int w = s.Width(), h = s.Height();
  auto at = [&](int x, int y) { return s.Row(std::clamp(y, 0, h - 1))[std::clamp(x, 0, w - 1)]; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = at(x, y), up = at(x, y - 1), right = at(x + 1, y), left = at(x - 1, y),
                          down = at(x, y + 1);
      d.Row(2 * y)[2 * x] = left == up && left != down && up != right ? up : p;
      d.Row(2 * y)[2 * x + 1] = up == right && up != left && right != down ? right : p;
      d.Row(2 * y + 1)[2 * x] = down == left && down != right && left != up ? left : p;
      d.Row(2 * y + 1)[2 * x + 1] = right == down && right != up && down != left ? down : p;
    }
  return d;
}

}  // namespace

std::unique_ptr<TBitmap> BitmapFromCharRows(const std::vector<std::string>& rows, TColor (*colourOf)(char),
                                            int scale) {
  const int h = static_cast<int>(rows.size());
  const int w = h ? static_cast<int>(rows[0].size()) : 0;
  if (scale < 1) throw EInvalidOperation(CP1252("Bildvergrößerung unter 1").str());
  auto b = std::make_unique<TBitmap>(w * scale, h * scale);
  for (int y = 0; y < h; ++y) {
    const std::string& row = rows[static_cast<size_t>(y)];
    if (static_cast<int>(row.size()) != w) throw EInvalidOperation("Bildzeile falscher Breite");
    for (int x = 0; x < w; ++x) {
      const std::uint32_t px = ColorToPixel(ColorToRGB(colourOf(row[static_cast<size_t>(x)])));
      for (int dy = 0; dy < scale; ++dy)
        std::fill_n(b->Surface().Row(y * scale + dy) + x * scale, scale, px);
    }
  }
  // Its finer drawing for a screen scaled by a power of two.
  const int k = ScreenScale();
  if (scale == 1 && k > 1 && (k & (k - 1)) == 0 && !FinerPicture(b->Surface(), k)) {
    auto finer = std::make_shared<TSurface>(b->Surface());
    for (int f = 1; f < k; f *= 2) *finer = Doubled(*finer);
    finer->SetScale(k);
    AddFinerPicture(b->Surface(), finer);
  }
  return b;
}

bool LoadSystemBitmap(TBitmap& b, int id) {
  if (id != OBM_COMBO) return false;
  // The combo-box arrow: a black downward triangle, 7 pixels wide and 4
  // high, on the button face.
  b.SetSize(7, 4);
  b.Surface().Fill(ColorToPixel(ColorToRGB(clBtnFace)));
  for (int y = 0; y < 4; ++y)
    for (int x = y; x < 7 - y; ++x) b.Surface().Row(y)[x] = 0xFF000000u;
  return true;
}
