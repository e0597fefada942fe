// Picture objects of the text: natural sizes, the placeable-metafile header
// and the checks that a picture's data covers its declared layout.
#include "richtext/io/objects.h"

#include <algorithm>
#include <cstring>

#include "platform/gfx/bitmap.h"

#include "platform/rtl/sysutils.h"

namespace {

int32_t Le32(const std::string& d, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(d[at + i]);
  return static_cast<int32_t>(v);
}
int32_t Le16(const std::string& d, size_t at) {
  return static_cast<uint8_t>(d[at]) | (static_cast<uint8_t>(d[at + 1]) << 8);
}

}  // namespace

int32_t TWPPictureObject::NaturalWidthTwips() const {
  if (GoalWidth > 0) return GoalWidth;
  return PixWidth > 0 ? MulDiv(PixWidth, 1440, 96) : 0;
}

int32_t TWPPictureObject::NaturalHeightTwips() const {
  if (GoalHeight > 0) return GoalHeight;
  return PixHeight > 0 ? MulDiv(PixHeight, 1440, 96) : 0;
}

std::string TWPPictureObject::PlaceableMetafile() const {
  if (Kind != pkMetafile || Data.size() <= 21) return Data;
  // 22-byte header: key, handle, bounding box, units per inch, reserved,
  // checksum = XOR of the ten 16-bit words before it.
  uint16_t w[11] = {};
  w[0] = 0xCDD7;
  w[1] = 0x9AC6;
  w[2] = 0;  // handle
  w[3] = 0;  // left
  w[4] = 0;  // top
  // The box in twips from the display size, else in pixels.
  const bool twips = GoalWidth > 0 && GoalHeight > 0;
  w[5] = static_cast<uint16_t>(std::clamp(twips ? GoalWidth : PixWidth, 0, 32767));
  w[6] = static_cast<uint16_t>(std::clamp(twips ? GoalHeight : PixHeight, 0, 32767));
  w[7] = twips ? 1440 : 96;
  w[8] = 0;
  w[9] = 0;
  uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= w[i];
  w[10] = sum;
  std::string out(22, '\0');
  for (int i = 0; i < 11; ++i) {
    out[2 * i] = static_cast<char>(w[i] & 0xFF);
    out[2 * i + 1] = static_cast<char>(w[i] >> 8);
  }
  return out + Data;
}

bool DDBSizeOk(size_t size, int32_t width, int32_t height, int32_t bits, int32_t planes, int32_t widthBytes) {
  if (width <= 0 || height == 0 || bits <= 0 || bits > 32 || planes <= 0 || planes > 4 || widthBytes <= 0) return false;
  const int64_t h = height < 0 ? -static_cast<int64_t>(height) : height;
  if (static_cast<int64_t>(widthBytes) * 8 < static_cast<int64_t>(width) * bits) return false;
  return static_cast<int64_t>(widthBytes) * h * planes <= static_cast<int64_t>(size);
}

bool DIBSizeOk(const std::string& d) {
  if (d.size() < 40) return false;
  const int32_t hdr = Le32(d, 0);
  if (hdr < 40 || static_cast<size_t>(hdr) > d.size()) return false;
  const int32_t w = Le32(d, 4), h = Le32(d, 8), bits = Le16(d, 14);
  const int32_t compression = Le32(d, 16);
  int64_t colours = Le32(d, 32);
  if (w <= 0 || h == 0 || w > 100000 || h > 100000 || h < -100000) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (colours < 0 || colours > 256) return false;
  if (colours == 0 && bits <= 8) colours = int64_t{1} << bits;
  int64_t need = hdr + colours * 4;
  if (compression == 3) need += 12;  // bit-field masks
  if (compression == 0 || compression == 3) {
    const int64_t stride = ((static_cast<int64_t>(w) * bits + 31) / 32) * 4;
    need += stride * (h < 0 ? -static_cast<int64_t>(h) : h);
  }
  return need <= static_cast<int64_t>(d.size());
}

namespace {

void Put32(std::string& d, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + i] = static_cast<char>(v >> (8 * i));
}

std::unique_ptr<TGraphic> BitmapFromDib(const std::string& dib) {
  // A file header in front, with the offset of the bits after the palette.
  const int32_t hdr = Le32(dib, 0);
  const int32_t bits = Le16(dib, 14);
  int64_t colours = Le32(dib, 32);
  if (colours == 0 && bits <= 8) colours = int64_t{1} << bits;
  const int64_t masks = Le32(dib, 16) == 3 ? 12 : 0;
  std::string file(14, '\0');
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<uint32_t>(14 + dib.size()));
  Put32(file, 10, static_cast<uint32_t>(14 + hdr + masks + colours * 4));
  file += dib;
  auto bmp = std::make_unique<TBitmap>();
  try {
    bmp->LoadFromBytes(reinterpret_cast<const uint8_t*>(file.data()), file.size());
  } catch (const Exception&) {
    return nullptr;
  }
  return bmp;
}

}  // namespace

std::unique_ptr<TGraphic> TWPPictureObject::MakeGraphic() const {
  switch (Kind) {
    case pkDIB:
      return DIBSizeOk(Data) ? BitmapFromDib(Data) : nullptr;
    case pkDDB: {
      if (!DDBSizeOk(Data.size(), PixWidth, PixHeight, BitsPerPixel, Planes, WidthBytes) || Planes != 1) return nullptr;
      if (BitsPerPixel != 1 && BitsPerPixel != 24 && BitsPerPixel != 32) return nullptr;
      if (static_cast<int64_t>(PixWidth) * (PixHeight < 0 ? -PixHeight : PixHeight) > kMaxImagePixels) return nullptr;
      const int w = PixWidth, h = PixHeight < 0 ? -PixHeight : PixHeight;
      auto bmp = std::make_unique<TBitmap>(w, h);
      TSurface& sf = bmp->Surface();
      for (int y = 0; y < h; ++y) {
        const unsigned char* row = reinterpret_cast<const unsigned char*>(Data.data()) + static_cast<size_t>(y) * WidthBytes;
        for (int x = 0; x < w; ++x) {
          uint32_t argb = 0;
          if (BitsPerPixel == 1) {
            argb = (row[x >> 3] >> (7 - (x & 7)) & 1) ? 0xFFFFFFFFu : 0xFF000000u;
          } else {
            const unsigned char* px = row + x * (BitsPerPixel / 8);
            argb = 0xFF000000u | (uint32_t{px[2]} << 16) | (uint32_t{px[1]} << 8) | px[0];
          }
          sf.Bits()[static_cast<size_t>(y) * w + x] = argb;
        }
      }
      return bmp;
    }
    case pkMetafile: {
      auto wmf = std::make_unique<TMetafile>();
      const std::string bytes = PlaceableMetafile();
      try {
        wmf->LoadFromBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
      } catch (const Exception&) {
        return nullptr;
      }
      if (wmf->Width() <= 0 || wmf->Height() <= 0) wmf->SetSize(PixWidth, PixHeight);
      return wmf;
    }
    default:
      return nullptr;
  }
}
