// Pictures: TGraphic (the common base), TBitmap (a raster image with a
// canvas; BMP of 1/4/8/24/32 bits with palettes, PNG read), TMetafile (kept
// as bytes, drawn as a framed placeholder), TIcon and TPicture (a holder that
// picks the kind by file extension). Images are read defensively: a
// truncated file or one that lies about its size raises EInvalidGraphic
// before anything large is allocated.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/canvas.h"
#include "platform/gfx/device.h"
#include "platform/rtl/streams.h"

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

// Largest image accepted from a file (pixels).
constexpr long long kMaxImagePixels = 1LL << 24;

class TGraphic : public TPersistent {
  ORV_CLASS(TGraphic, TPersistent)
  ~TGraphic() override = default;
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void Draw(TCanvas& canvas, const TRect& r) = 0;
  virtual void LoadFromBytes(const std::uint8_t* data, std::size_t size) = 0;
  virtual std::vector<std::uint8_t> SaveToBytes() const = 0;
  virtual std::unique_ptr<TGraphic> Clone() const = 0;
  virtual void LoadFromFile(const std::string& path);
  virtual void SaveToFile(const std::string& path) const;
  // From the stream's position: a bitmap reads as many bytes as its file
  // header says (the rest of the stream stays unread), other kinds read to
  // the end. Saving writes the file form at the position.
  virtual void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool t);
  TNotifyEvent OnChange;

protected:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  bool transparent_ = false;
};

class TBitmap : public TGraphic {
  ORV_CLASS(TBitmap, TGraphic)
  TBitmap();
  TBitmap(int w, int h);
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  ~TBitmap() override;

  bool Empty() const override { return surface_.Empty(); }
  int Width() const override { return surface_.Width(); }
  int Height() const override { return surface_.Height(); }
  void SetWidth(int w) { SetSize(w, surface_.Height()); }
  void SetHeight(int h) { SetSize(surface_.Width(), h); }
  void SetSize(int w, int h);

  // The canvas that draws on this bitmap (created on first use).
  TCanvas* Canvas();
  TSurface& Surface() { return surface_; }
  const TSurface& Surface() const { return surface_; }

  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat f);
  bool Monochrome() const { return format_ == pf1bit; }
  // Monochrome: every pixel becomes black or white (white where it is light).
  void SetMonochrome(bool mono);
  // Palette of the file it was read from (RGB colours); used when saving at
  // 1, 4 or 8 bits.
  const std::vector<TColor>& Palette() const { return palette_; }
  void SetPalette(const std::vector<TColor>& p) { palette_ = p; }

  // tmAuto: the bottom-left pixel is transparent; tmFixed: TransparentColor.
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode m) { transparentMode_ = m; }
  TColor TransparentColor() const;
  void SetTransparentColor(TColor c);

  // A monochrome mask: white where the pixel has colour `transparent`, black
  // elsewhere.
  std::unique_ptr<TBitmap> CreateMask(TColor transparent) const;

  void Assign(const TBitmap& source);
  void Assign(const TGraphic& source);
  void Assign(const TPersistent* source) override;
  // The bitmap keeps only its memory image anyway: handle release is a no-op.
  void Dormant() {}
  void FreeImage() {}
  void ReleaseHandle() {}

  // BMP (any bit depth) or PNG, recognised by content.
  void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;
  void LoadFromStream(TStream& stream) override;
  // BMP at the bitmap's pixel format (24 bits for pfDevice).
  std::vector<std::uint8_t> SaveToBytes() const override;
  void SaveToPng(const std::string& path) const;
  // Loads resources/<name>.bmp (or .png), the name's letter case ignored.
  void LoadFromResourceName(const std::string& name);
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TBitmap>(*this); }

  // Copies the bitmap into r on the canvas with the canvas's CopyMode, or
  // leaving out the transparent colour when Transparent is set.
  void Draw(TCanvas& canvas, const TRect& r) override;

private:
  TSurface surface_;
  TPixelFormat format_ = pfDevice;
  std::vector<TColor> palette_;
  TTransparentMode transparentMode_ = tmAuto;
  TColor transparentColor_ = clDefault;
  std::unique_ptr<TDrawDevice> device_;
  std::unique_ptr<TCanvas> canvas_;
};

// Windows metafiles are not rendered: the bytes and the picture size are kept
// (so they can be stored again) and a framed placeholder is drawn.
class TMetafile : public TGraphic {
  ORV_CLASS(TMetafile, TGraphic)
  TMetafile() = default;
  TMetafile(const TMetafile& o) : TGraphic(), data_(o.data_), width_(o.width_), height_(o.height_), enhanced_(o.enhanced_) {}
  bool Empty() const override { return data_.empty(); }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetSize(int w, int h) {
    width_ = w;
    height_ = h;
  }
  void Draw(TCanvas& canvas, const TRect& r) override;
  void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;
  std::vector<std::uint8_t> SaveToBytes() const override { return data_; }
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TMetafile>(*this); }
  bool Enhanced() const { return enhanced_; }

private:
  std::vector<std::uint8_t> data_;
  int width_ = 0;
  int height_ = 0;
  bool enhanced_ = false;
};

// An icon: the largest image of an .ico file, drawn with its mask.
class TIcon : public TGraphic {
  ORV_CLASS(TIcon, TGraphic)
  TIcon() = default;
  TIcon(const TIcon& o) : TGraphic(), data_(o.data_), image_(o.image_), mask_(o.mask_) {}
  bool Empty() const override { return image_.Empty(); }
  int Width() const override { return image_.Width(); }
  int Height() const override { return image_.Height(); }
  void Draw(TCanvas& canvas, const TRect& r) override;
  void LoadFromBytes(const std::uint8_t* data, std::size_t size) override;
  std::vector<std::uint8_t> SaveToBytes() const override { return data_; }
  std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<TIcon>(*this); }
  const TBitmap& Image() const { return image_; }

private:
  std::vector<std::uint8_t> data_;
  TBitmap image_;
  std::vector<bool> mask_;  // true = transparent
};

class TPicture : public TPersistent {
  ORV_CLASS(TPicture, TPersistent)
  TPicture() = default;
  TPicture(const TPicture& other);
  TPicture& operator=(const TPicture& other);
  TGraphic* Graphic() const { return graphic_.get(); }
  // Takes a copy of g (nullptr empties the picture).
  void SetGraphic(const TGraphic* g);
  // The picture as a bitmap; an empty bitmap is created when it holds none.
  TBitmap* Bitmap();
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  // By extension: .bmp/.png/.dib bitmap, .wmf/.emf metafile, .ico icon;
  // another extension raises EInvalidGraphic.
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;
  void Assign(const TPicture& source);
  void Assign(const TPersistent* source) override;
  TNotifyEvent OnChange;

private:
  void Changed() {
    if (OnChange) OnChange(this);
  }
  // Installs graphic_ and passes its own changes on as the picture's.
  void Adopt(std::unique_ptr<TGraphic> g);
  std::unique_ptr<TGraphic> graphic_;
};

// A picture drawn as rows of characters, one character a pixel, each turned
// into its colour by `colourOf`; every pixel becomes a scale x scale square,
// so an enlarged picture stays sharp. A row of another width than the first
// raises, so a mistyped picture is found when it is first made. On a screen
// of scale 2 or 4 a picture at scale 1 also gets its finer drawing (see
// AddFinerPicture), its diagonal steps rounded.
std::unique_ptr<TBitmap> BitmapFromCharRows(const std::vector<std::string>& rows, TColor (*colourOf)(char),
                                            int scale = 1);
// The same character rows seen in a mirror (left and right swapped).
std::vector<std::string> MirroredRows(std::vector<std::string> rows);

// The predefined system bitmaps (LoadBitmap with an OBM_ number).
enum : int { OBM_COMBO = 32738 };
// Fills `b` with system bitmap `id`; false for a number it does not know.
bool LoadSystemBitmap(TBitmap& b, int id);

// BMP coding, shared with icons.
namespace bmpcodec {
struct TDecoded {
  TSurface Pixels;
  TPixelFormat Format = pf24bit;
  std::vector<TColor> Palette;
  std::vector<bool> AndMask;  // icons only (true = transparent)
};
// `withFileHeader`: starts with "BM"; otherwise a bare DIB (as in icons,
// where `iconHeight` says that the DIB height holds image and mask).
TDecoded Decode(const std::uint8_t* data, std::size_t size, bool withFileHeader, bool icon = false);
std::vector<std::uint8_t> Encode(const TSurface& px, TPixelFormat format, const std::vector<TColor>& palette);
}  // namespace bmpcodec

// Finds a file under the resource directory, ignoring letter case; empty when
// none. The directory is $ORV_RESOURCE_DIR, else the program's resources/,
// else the source tree's.
std::string FindResourceFile(const std::string& name, const std::vector<std::string>& extensions);
