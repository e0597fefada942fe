// BMP reading and writing. Reading checks every size against the bytes at
// hand before allocating, so a short or lying file raises EInvalidGraphic and
// never makes a huge allocation. Supported: 1, 4, 8 bits with palettes
// (uncompressed or run-length coded), 16, 24 and 32 bits (plain or with bit
// fields), the old core header and the info headers up to version 5.
#include <algorithm>
#include <cstring>

#include "platform/gfx/bitmap.h"
#include "platform/rtl/cp1252.h"

namespace bmpcodec {
namespace {

[[noreturn]] void Bad(const std::string& why) { throw EInvalidGraphic(CP1252("Ungültiges Bitmap: ").str() + why); }

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t I32(const std::uint8_t* p) { return static_cast<std::int32_t>(U32(p)); }

// Scales a masked channel to 8 bits.
std::uint32_t Channel(std::uint32_t v, std::uint32_t mask) {
  if (!mask) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  std::uint32_t m = mask >> shift;
  int bits = 0;
  while ((m >> bits) & 1) ++bits;
  std::uint32_t c = (v & mask) >> shift;
  if (bits >= 8) return c >> (bits - 8);
  return (c * 255 + (m / 2)) / m;
}

void PutLe16(std::vector<std::uint8_t>& o, std::uint32_t v) {
  o.push_back(v & 0xFF);
  o.push_back((v >> 8) & 0xFF);
}
void PutLe32(std::vector<std::uint8_t>& o, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) o.push_back((v >> (8 * i)) & 0xFF);
}

// Run-length coded indexes (4 or 8 bits) into an index image, bottom-up rows.
void DecodeRle(const std::uint8_t* p, std::size_t n, int bpp, int w, int h, std::vector<std::uint8_t>& idx) {
  int x = 0, y = 0;
  std::size_t i = 0;
  auto put = [&](int v) {
    if (x < w && y < h) idx[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(v);
    ++x;
  };
  while (i + 1 < n) {
    int count = p[i], val = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(bpp == 8 ? val : (k & 1 ? val & 0x0F : val >> 4));
    } else if (val == 0) {
      x = 0;
      ++y;
    } else if (val == 1) {
      return;
    } else if (val == 2) {
      if (i + 1 >= n) Bad(CP1252("Lauflängen-Daten abgeschnitten").str());
      x += p[i];
      y += p[i + 1];
      i += 2;
    } else {
      std::size_t bytes = bpp == 8 ? val : (val + 1) / 2;
      if (i + bytes > n) Bad(CP1252("Lauflängen-Daten abgeschnitten").str());
      for (int k = 0; k < val; ++k) put(bpp == 8 ? p[i + k] : (k & 1 ? p[i + k / 2] & 0x0F : p[i + k / 2] >> 4));
      i += (bytes + 1) & ~std::size_t(1);
    }
    if (y >= h) return;
  }
}

}  // namespace

TDecoded Decode(const std::uint8_t* data, std::size_t size, bool withFileHeader, bool icon) {
  std::size_t base = 0, bitsOffset = 0;
  if (withFileHeader) {
    if (size < 14 || data[0] != 'B' || data[1] != 'M') Bad("keine BMP-Datei");
    bitsOffset = U32(data + 10);
    base = 14;
  }
  if (size < base + 12) Bad("Kopf abgeschnitten");
  const std::uint8_t* h = data + base;
  std::uint32_t hsize = U32(h);
  if (hsize != 12 && (hsize < 40 || hsize > 124)) Bad("unbekannter Kopf");
  if (size < base + hsize) Bad("Kopf abgeschnitten");
  long long w, ht;
  int bpp;
  std::uint32_t compression = 0, clrUsed = 0;
  std::uint32_t masks[4] = {0, 0, 0, 0};
  if (hsize == 12) {
    w = U16(h + 4);
    ht = static_cast<std::int16_t>(U16(h + 6));
    bpp = static_cast<int>(U16(h + 10));
  } else {
    w = I32(h + 4);
    ht = I32(h + 8);
    bpp = static_cast<int>(U16(h + 14));
    compression = U32(h + 16);
    clrUsed = U32(h + 32);
    if (hsize >= 52) {
      masks[0] = U32(h + 40);
      masks[1] = U32(h + 44);
      masks[2] = U32(h + 48);
    }
    if (hsize >= 56) masks[3] = U32(h + 52);
  }
  bool topDown = ht < 0;
  if (topDown) ht = -ht;
  if (icon) ht /= 2;
  if (w <= 0 || ht <= 0) Bad(CP1252("Breite oder Höhe ist null").str());
  if (w * ht > kMaxImagePixels) Bad(CP1252("Bild zu groß").str());
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Bad(CP1252("Farbtiefe nicht unterstützt").str());
  std::size_t pos = base + hsize;
  if (compression == 3 && hsize == 40) {  // bit fields follow the header
    if (size < pos + 12) Bad("Farbmasken abgeschnitten");
    masks[0] = U32(data + pos);
    masks[1] = U32(data + pos + 4);
    masks[2] = U32(data + pos + 8);
    pos += 12;
  }
  if (compression != 0 && compression != 3 && !(compression == 1 && bpp == 8) && !(compression == 2 && bpp == 4))
    Bad(CP1252("Kompression nicht unterstützt").str());
  TDecoded out;
  if (bpp <= 8) {
    std::size_t entries = clrUsed ? clrUsed : (1u << bpp);
    if (entries > 256) Bad(CP1252("Palette zu groß").str());
    std::size_t esz = hsize == 12 ? 3 : 4;
    if (size < pos + entries * esz) Bad("Palette abgeschnitten");
    for (std::size_t i = 0; i < entries; ++i) {
      const std::uint8_t* e = data + pos + i * esz;
      out.Palette.push_back(RGB(e[2], e[1], e[0]));
    }
    pos += entries * esz;
  }
  if (withFileHeader && bitsOffset >= pos && bitsOffset <= size) pos = bitsOffset;
  const int W = static_cast<int>(w), H = static_cast<int>(ht);
  const std::size_t stride = ((static_cast<std::size_t>(W) * bpp + 31) / 32) * 4;
  out.Format = bpp == 1 ? pf1bit : bpp == 4 ? pf4bit : bpp == 8 ? pf8bit : bpp == 16 ? pf16bit
             : bpp == 24 ? pf24bit : pf32bit;
  auto pal = [&](unsigned i) -> std::uint32_t {
    return i < out.Palette.size() ? ColorToPixel(out.Palette[i]) : 0xFF000000u;
  };
  if (compression == 1 || compression == 2) {
    // Two bytes give at most 255 pixels or the rest of a row, so the data
    // bounds the picture before anything is allocated.
    const long long bytes = static_cast<long long>(size - std::min(size, pos));
    if (w * ht > (bytes / 2 + 1) * std::max<long long>(255, w)) Bad(CP1252("Lauflängen-Daten zu kurz für die Größe").str());
    std::vector<std::uint8_t> idx(static_cast<std::size_t>(W) * H, 0);
    DecodeRle(data + pos, size - pos, bpp, W, H, idx);
    out.Pixels.Resize(W, H);
    for (int y = 0; y < H; ++y) {
      std::uint32_t* row = out.Pixels.Row(topDown ? y : H - 1 - y);
      for (int x = 0; x < W; ++x) row[x] = pal(idx[static_cast<std::size_t>(y) * W + x]);
    }
    return out;
  }
  if (size < pos || (size - pos) / stride < static_cast<std::size_t>(H)) Bad("Bilddaten abgeschnitten");
  if (bpp == 16 && compression == 0) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }
  if (bpp == 32 && compression == 0) {
    masks[0] = 0xFF0000;
    masks[1] = 0xFF00;
    masks[2] = 0xFF;
  }
  out.Pixels.Resize(W, H);
  for (int y = 0; y < H; ++y) {
    const std::uint8_t* src = data + pos + static_cast<std::size_t>(y) * stride;
    std::uint32_t* row = out.Pixels.Row(topDown ? y : H - 1 - y);
    for (int x = 0; x < W; ++x) {
      switch (bpp) {
        case 1: row[x] = pal((src[x >> 3] >> (7 - (x & 7))) & 1); break;
        case 4: row[x] = pal((x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4); break;
        case 8: row[x] = pal(src[x]); break;
        case 16: {
          std::uint32_t v = U16(src + 2 * x);
          row[x] = 0xFF000000u | (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
          break;
        }
        case 24: row[x] = 0xFF000000u | (src[3 * x + 2] << 16) | (src[3 * x + 1] << 8) | src[3 * x]; break;
        case 32: {
          std::uint32_t v = U32(src + 4 * x);
          row[x] = 0xFF000000u | (Channel(v, masks[0]) << 16) | (Channel(v, masks[1]) << 8) | Channel(v, masks[2]);
          break;
        }
      }
    }
  }
  if (icon) {
    // The AND mask follows the colour bits: 1 bit per pixel, bottom-up.
    std::size_t mpos = pos + stride * H, mstride = ((static_cast<std::size_t>(W) + 31) / 32) * 4;
    out.AndMask.assign(static_cast<std::size_t>(W) * H, false);
    if (size >= mpos && (size - mpos) / mstride >= static_cast<std::size_t>(H)) {
      for (int y = 0; y < H; ++y) {
        const std::uint8_t* m = data + mpos + static_cast<std::size_t>(y) * mstride;
        int ry = topDown ? y : H - 1 - y;
        for (int x = 0; x < W; ++x) out.AndMask[static_cast<std::size_t>(ry) * W + x] = (m[x >> 3] >> (7 - (x & 7))) & 1;
      }
    }
  }
  return out;
}

std::vector<std::uint8_t> Encode(const TSurface& px, TPixelFormat format, const std::vector<TColor>& paletteIn) {
  int bpp = format == pf1bit ? 1 : format == pf4bit ? 4 : format == pf8bit ? 8 : format == pf32bit ? 32 : 24;
  const int W = px.Width(), H = px.Height();
  std::vector<TColor> palette;
  if (bpp <= 8) {
    const std::size_t cap = 1u << bpp;
    palette = paletteIn;
    if (palette.size() > cap) palette.resize(cap);
    if (palette.empty()) {
      // The image's own colours when they fit, else the nearest of a cube.
      std::vector<TColor> seen;
      for (int y = 0; y < H && seen.size() <= cap; ++y)
        for (int x = 0; x < W && seen.size() <= cap; ++x) {
          TColor c = PixelToColor(px.Row(y)[x]);
          if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
        }
      if (seen.size() <= cap) {
        palette = seen;
      } else if (bpp == 1) {
        palette = {clBlack, clWhite};
      } else if (bpp == 4) {
        palette = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                   clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
      } else {
        for (int r = 0; r < 6; ++r)
          for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) palette.push_back(RGB(r * 51, g * 51, b * 51));
      }
    }
    if (palette.empty()) palette.push_back(clBlack);
  }
  auto nearest = [&](std::uint32_t p) {
    TColor c = PixelToColor(p);
    int best = 0;
    long bestD = -1;
    for (std::size_t i = 0; i < palette.size(); ++i) {
      long dr = GetRValue(c) - GetRValue(palette[i]), dg = GetGValue(c) - GetGValue(palette[i]),
           db = GetBValue(c) - GetBValue(palette[i]);
      long d = dr * dr + dg * dg + db * db;
      if (bestD < 0 || d < bestD) {
        bestD = d;
        best = static_cast<int>(i);
        if (d == 0) break;
      }
    }
    return best;
  };
  const std::size_t stride = ((static_cast<std::size_t>(W) * bpp + 31) / 32) * 4;
  const std::size_t palBytes = palette.size() * 4;
  const std::size_t offBits = 14 + 40 + palBytes;
  std::vector<std::uint8_t> o;
  o.reserve(offBits + stride * H);
  o.push_back('B');
  o.push_back('M');
  PutLe32(o, static_cast<std::uint32_t>(offBits + stride * H));
  PutLe32(o, 0);
  PutLe32(o, static_cast<std::uint32_t>(offBits));
  PutLe32(o, 40);
  PutLe32(o, static_cast<std::uint32_t>(W));
  PutLe32(o, static_cast<std::uint32_t>(H));
  PutLe16(o, 1);
  PutLe16(o, static_cast<std::uint32_t>(bpp));
  PutLe32(o, 0);
  PutLe32(o, static_cast<std::uint32_t>(stride * H));
  PutLe32(o, 3780);  // 96 dpi in pixels per metre
  PutLe32(o, 3780);
  PutLe32(o, static_cast<std::uint32_t>(palette.size()));
  PutLe32(o, 0);
  for (TColor c : palette) {
    o.push_back(static_cast<std::uint8_t>(GetBValue(c)));
    o.push_back(static_cast<std::uint8_t>(GetGValue(c)));
    o.push_back(static_cast<std::uint8_t>(GetRValue(c)));
    o.push_back(0);
  }
  std::vector<std::uint8_t> row(stride);
  // Index cache: most images repeat few colours.
  std::uint32_t lastPx = 0;
  int lastIdx = -1;
  for (int y = H - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), 0);
    const std::uint32_t* src = px.Row(y);
    for (int x = 0; x < W; ++x) {
      std::uint32_t p = src[x];
      if (bpp <= 8) {
        int i = (p == lastPx && lastIdx >= 0) ? lastIdx : nearest(p);
        lastPx = p;
        lastIdx = i;
        if (bpp == 1) row[x >> 3] |= static_cast<std::uint8_t>((i & 1) << (7 - (x & 7)));
        else if (bpp == 4) row[x >> 1] |= static_cast<std::uint8_t>((x & 1) ? (i & 0x0F) : (i << 4));
        else row[x] = static_cast<std::uint8_t>(i);
      } else if (bpp == 24) {
        row[3 * x] = p & 0xFF;
        row[3 * x + 1] = (p >> 8) & 0xFF;
        row[3 * x + 2] = (p >> 16) & 0xFF;
      } else {
        row[4 * x] = p & 0xFF;
        row[4 * x + 1] = (p >> 8) & 0xFF;
        row[4 * x + 2] = (p >> 16) & 0xFF;
        row[4 * x + 3] = 0;
      }
    }
    o.insert(o.end(), row.begin(), row.end());
  }
  return o;
}

}  // namespace bmpcodec
