// Surfaces, device capabilities, the platform registry and the built-in
// fixed-width font engine that serves until a toolkit is installed.
#include "platform/gfx/device.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "platform/rtl/cp1252.h"

void TSurface::Resize(int w, int h, std::uint32_t fill) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == width_ && h == height_) return;
  std::vector<std::uint32_t> next(static_cast<std::size_t>(w) * h, fill);
  const int cw = std::min(w, width_), ch = std::min(h, height_);
  for (int y = 0; y < ch; ++y)
    std::copy(pixels_.begin() + static_cast<std::size_t>(y) * width_,
              pixels_.begin() + static_cast<std::size_t>(y) * width_ + cw, next.begin() + static_cast<std::size_t>(y) * w);
  pixels_.swap(next);
  width_ = w;
  height_ = h;
  ++generation_;
}

void TSurface::Fill(std::uint32_t px) { std::fill(pixels_.begin(), pixels_.end(), px); }

namespace {

int gScreenScale = 1;

// The finer drawings, found by the picture's size and a hash of its colours
// and then compared pixel by pixel; sizes nothing was registered for are
// passed by without hashing.
struct FinerEntry {
  std::vector<std::uint32_t> Colours;  // the picture's, alpha left out
  std::shared_ptr<const TSurface> Finer;
};
struct FinerRegistry {
  std::mutex Mutex;
  std::set<std::pair<int, int>> Sizes;
  std::multimap<std::uint64_t, FinerEntry> Entries;
};
FinerRegistry& Finers() {
  static FinerRegistry r;
  return r;
}

std::vector<std::uint32_t> ColoursOf(const TSurface& s) {
  std::vector<std::uint32_t> c(s.Bits(), s.Bits() + static_cast<std::size_t>(s.Width()) * s.Height());
  for (std::uint32_t& p : c) p &= 0xFFFFFFu;
  return c;
}

std::uint64_t FinerKey(const std::vector<std::uint32_t>& colours, int w, int h, int scale) {
  std::uint64_t k = 1469598103934665603ull;  // FNV-1a
  auto mix = [&k](std::uint64_t v) {
    k ^= v;
    k *= 1099511628211ull;
  };
  mix(static_cast<std::uint64_t>(w));
  mix(static_cast<std::uint64_t>(h));
  mix(static_cast<std::uint64_t>(scale));
  for (std::uint32_t c : colours) mix(c);
  return k;
}

}  // namespace

int ScreenScale() { return gScreenScale; }
void SetScreenScale(int scale) { gScreenScale = std::max(1, scale); }

void AddFinerPicture(const TSurface& picture, std::shared_ptr<const TSurface> finer) {
  if (!finer || picture.Empty() || finer->Scale() < 2) return;
  std::vector<std::uint32_t> colours = ColoursOf(picture);
  const std::uint64_t key = FinerKey(colours, picture.Width(), picture.Height(), finer->Scale());
  FinerRegistry& r = Finers();
  std::lock_guard<std::mutex> lock(r.Mutex);
  auto [from, to] = r.Entries.equal_range(key);
  for (auto it = from; it != to; ++it)
    if (it->second.Colours == colours) return;  // the same picture has one already
  r.Sizes.insert({picture.Width(), picture.Height()});
  r.Entries.emplace(key, FinerEntry{std::move(colours), std::move(finer)});
}

std::shared_ptr<const TSurface> FinerPicture(const TSurface& picture, int scale) {
  FinerRegistry& r = Finers();
  {
    std::lock_guard<std::mutex> lock(r.Mutex);
    if (!r.Sizes.count({picture.Width(), picture.Height()})) return nullptr;
  }
  const std::vector<std::uint32_t> colours = ColoursOf(picture);
  const std::uint64_t key = FinerKey(colours, picture.Width(), picture.Height(), scale);
  std::lock_guard<std::mutex> lock(r.Mutex);
  auto [from, to] = r.Entries.equal_range(key);
  for (auto it = from; it != to; ++it)
    if (it->second.Colours == colours) return it->second.Finer;
  return nullptr;
}

int TDeviceCaps::Get(int index) const {
  switch (index) {
    case TECHNOLOGY: return Technology;
    case HORZSIZE: return LogPixelsX ? MulDiv(HorzRes, 254, LogPixelsX * 10) : 0;
    case VERTSIZE: return LogPixelsY ? MulDiv(VertRes, 254, LogPixelsY * 10) : 0;
    case HORZRES: return HorzRes;
    case VERTRES: return VertRes;
    case BITSPIXEL: return BitsPixel;
    case PLANES: return Planes;
    case NUMCOLORS: return BitsPixel > 8 ? -1 : 1 << BitsPixel;
    case LOGPIXELSX: return LogPixelsX;
    case LOGPIXELSY: return LogPixelsY;
    case PHYSICALWIDTH: return PhysicalWidth;
    case PHYSICALHEIGHT: return PhysicalHeight;
    case PHYSICALOFFSETX: return PhysicalOffsetX;
    case PHYSICALOFFSETY: return PhysicalOffsetY;
    default: return 0;
  }
}

namespace {

// A fixed-width stand-in: every character is half the em wide. Layout code
// can be tested on it without any toolkit.
class TFixedFontEngine : public TFontEngine {
public:
  std::shared_ptr<const TFontData> Realize(const TFontRequest& req) override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [r, d] : cache_)
      if (r == req) return d;
    auto d = std::make_shared<TFontData>();
    d->Request = req;
    d->Family = "Fixed";
    int h = req.Height == 0 ? -11 : req.Height;
    int em = h < 0 ? -h : std::max(1, h * 4 / 5);
    auto& m = d->Metric;
    m.tmAscent = std::max(1, em);
    m.tmDescent = std::max(1, em / 4);
    m.tmHeight = m.tmAscent + m.tmDescent;
    m.tmInternalLeading = m.tmHeight - em;
    m.tmAveCharWidth = m.tmMaxCharWidth = std::max(1, em / 2);
    m.tmWeight = req.Style.Contains(fsBold) ? 700 : 400;
    m.tmItalic = req.Style.Contains(fsItalic);
    m.tmUnderlined = req.Style.Contains(fsUnderline);
    m.tmStruckOut = req.Style.Contains(fsStrikeOut);
    m.tmPitchAndFamily = 0x30;  // fixed pitch, modern family
    for (int c = 0; c < 256; ++c) {
      d->Widths[c] = m.tmAveCharWidth;
      d->Unicode[c] = c < 32 ? U' ' : Cp1252ToUnicode(static_cast<unsigned char>(c));
    }
    d->UnderlineOffset = std::max(1, m.tmDescent / 2);
    d->StrikeOutOffset = std::max(1, m.tmAscent / 3);
    cache_.emplace_back(req, d);
    return d;
  }
  std::vector<std::string> Families() override { return {"Fixed"}; }

private:
  std::mutex mutex_;
  std::vector<std::pair<TFontRequest, std::shared_ptr<const TFontData>>> cache_;
};

TGfxPlatform* gPlatform = nullptr;

}  // namespace

void SetGfxPlatform(TGfxPlatform* platform) { gPlatform = platform; }
TGfxPlatform* GfxPlatform() { return gPlatform; }

TFontEngine& FontEngine() {
  if (gPlatform) return gPlatform->Fonts();
  static TFixedFontEngine fixed;
  return fixed;
}
