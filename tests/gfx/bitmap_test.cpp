// Bitmaps and pictures: BMP round trips at every bit depth, PNG, masks,
// metafiles, icons, resources, and refusal of bad files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "gfx_test_util.h"
#include "platform/gfx/bitmap.h"
#include "platform/rtl/cp1252.h"

namespace {

// A picture using `colours` in a pattern that exercises row padding (odd width).
TBitmap Pattern(int w, int h, const std::vector<TColor>& colours) {
  TBitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.Surface().Row(y)[x] = ColorToPixel(colours[(x * 7 + y * 3) % colours.size()]);
  return b;
}

bool SamePixels(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if ((a.Surface().Row(y)[x] & 0xFFFFFF) != (b.Surface().Row(y)[x] & 0xFFFFFF)) return false;
  return true;
}

void Put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
}

}  // namespace

TEST(Bitmaps, BmpRoundTripAtEveryDepth) {
  const std::vector<TColor> two{clBlack, clWhite};
  const std::vector<TColor> sixteen{clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                                    clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite};
  std::vector<TColor> many;
  for (int i = 0; i < 200; ++i) many.push_back(RGB(i, 255 - i, (i * 37) & 0xFF));
  std::vector<TColor> full;
  for (int i = 0; i < 1000; ++i) full.push_back(RGB(i & 0xFF, (i * 7) & 0xFF, (i * 13) & 0xFF));
  struct Case {
    TPixelFormat fmt;
    const std::vector<TColor>* colours;
    int bits;
  } cases[] = {{pf1bit, &two, 1}, {pf4bit, &sixteen, 4}, {pf8bit, &many, 8}, {pf24bit, &full, 24}, {pf32bit, &full, 32}};
  for (const auto& k : cases) {
    TBitmap b = Pattern(13, 7, *k.colours);
    b.SetPixelFormat(k.fmt);
    auto bytes = b.SaveToBytes();
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], k.bits);  // bits per pixel in the header
    TBitmap back;
    back.LoadFromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(back.PixelFormat(), k.fmt) << k.bits;
    EXPECT_TRUE(SamePixels(b, back)) << k.bits;
    if (k.bits <= 8) {
      EXPECT_LE(back.Palette().size(), 1u << k.bits);
      // Saved again it keeps its palette and so its bytes.
      EXPECT_EQ(back.SaveToBytes(), bytes) << k.bits;
    }
  }
  // A top-down file (negative height) reads the right way up.
  TBitmap b = Pattern(3, 2, full);
  b.SetPixelFormat(pf24bit);
  auto bytes = b.SaveToBytes();
  Put32(bytes, 22, static_cast<std::uint32_t>(-2));
  std::vector<std::uint8_t> flipped = bytes;
  const std::size_t stride = 12;
  std::copy(bytes.begin() + 54, bytes.begin() + 54 + stride, flipped.begin() + 54 + stride);
  std::copy(bytes.begin() + 54 + stride, bytes.begin() + 54 + 2 * stride, flipped.begin() + 54);
  TBitmap td;
  td.LoadFromBytes(flipped.data(), flipped.size());
  EXPECT_TRUE(SamePixels(b, td));
}

TEST(Bitmaps, RunLengthCodedEightBitImage) {
  // 4 x 2: row 0 (bottom) = 3 x index 1, then index 0; row 1 = absolute 0,1,0,1.
  std::vector<std::uint8_t> f(14 + 40 + 8, 0);
  f[0] = 'B';
  f[1] = 'M';
  Put32(f, 10, 14 + 40 + 8);
  Put32(f, 14, 40);
  Put32(f, 18, 4);
  Put32(f, 22, 2);
  f[26] = 1;
  f[28] = 8;
  Put32(f, 30, 1);  // run-length coded, 8 bits
  Put32(f, 46, 2);  // two palette entries
  f[54 + 2] = 255;  // entry 0 red
  f[58 + 0] = 255;  // entry 1 blue
  const std::uint8_t rle[] = {3, 1, 1, 0, 0, 0, 0, 4, 0, 1, 0, 1, 0, 1};
  f.insert(f.end(), std::begin(rle), std::end(rle));
  TBitmap b;
  b.LoadFromBytes(f.data(), f.size());
  ASSERT_EQ(b.Width(), 4);
  EXPECT_EQ(PixelToColor(b.Surface().Row(1)[0]), clBlue);
  EXPECT_EQ(PixelToColor(b.Surface().Row(1)[3]), clRed);
  EXPECT_EQ(PixelToColor(b.Surface().Row(0)[1]), clBlue);
  EXPECT_EQ(PixelToColor(b.Surface().Row(0)[2]), clRed);
  // The same few bytes claiming 4000 x 4000 pixels are refused.
  auto big = f;
  Put32(big, 18, 4000);
  Put32(big, 22, 4000);
  TBitmap r;
  EXPECT_THROW(r.LoadFromBytes(big.data(), big.size()), EInvalidGraphic);
}

TEST(Bitmaps, BadFilesRaiseClearErrorsWithoutHugeAllocations) {
  StartGraphics();
  TBitmap good = Pattern(16, 16, {clRed, clBlue, clLime});
  good.SetPixelFormat(pf24bit);
  auto bytes = good.SaveToBytes();
  // Truncated anywhere: an error, never a crash.
  for (std::size_t n : {std::size_t(0), std::size_t(1), std::size_t(13), std::size_t(30), std::size_t(54),
                        bytes.size() / 2, bytes.size() - 1}) {
    TBitmap b;
    EXPECT_THROW(b.LoadFromBytes(bytes.data(), n), EInvalidGraphic) << n;
  }
  // Lying about its size: a header that claims 60000 x 60000.
  auto liar = bytes;
  Put32(liar, 18, 60000);
  Put32(liar, 22, 60000);
  TBitmap b;
  try {
    b.LoadFromBytes(liar.data(), liar.size());
    FAIL() << "accepted a lying header";
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find("Bitmap"), std::string::npos);
  }
  // Claims a modest size that the data cannot fill.
  auto shortData = bytes;
  Put32(shortData, 18, 1000);
  EXPECT_THROW(b.LoadFromBytes(shortData.data(), shortData.size()), EInvalidGraphic);
  // Unknown depth, unknown format.
  auto depth = bytes;
  depth[28] = 7;
  EXPECT_THROW(b.LoadFromBytes(depth.data(), depth.size()), EInvalidGraphic);
  const std::uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_THROW(b.LoadFromBytes(junk, sizeof junk), EInvalidGraphic);
  EXPECT_TRUE(b.Empty());  // failed loads leave the bitmap as it was

  // PNG: truncated, and lying in its header.
  auto png = GfxPlatform()->EncodePng(good.Surface());
  TBitmap p;
  p.LoadFromBytes(png.data(), png.size());
  EXPECT_TRUE(SamePixels(good, p));
  for (std::size_t n : {std::size_t(8), std::size_t(20), png.size() / 2, png.size() - 3}) {
    TBitmap t;
    EXPECT_THROW(t.LoadFromBytes(png.data(), n), EInvalidGraphic) << n;
  }
  auto pngLiar = png;
  for (int i = 0; i < 4; ++i) pngLiar[16 + i] = pngLiar[20 + i] = (i == 1 ? 0xFF : 0);  // 65280 x 65280
  EXPECT_THROW(p.LoadFromBytes(pngLiar.data(), pngLiar.size()), EInvalidGraphic);
  // Sides whose product does not fit in 64 bits are refused for their size.
  const std::uint8_t huge[2][4] = {{0xFF, 0x00, 0x00, 0x09}, {0x95, 0x00, 0xFF, 0x05}};
  for (int i = 0; i < 4; ++i) {
    pngLiar[16 + i] = huge[0][i];
    pngLiar[20 + i] = huge[1][i];
  }
  try {
    p.LoadFromBytes(pngLiar.data(), pngLiar.size());
    FAIL() << "accepted a 4278190089 x 2499805189 image";
  } catch (const EInvalidGraphic& e) {
    EXPECT_NE(std::string(e.what()).find(CP1252("Größe").str()), std::string::npos) << e.what();
  }
}

TEST(Bitmaps, StreamsHoldABitmapFollowedByOtherData) {
  TBitmap b = Pattern(6, 3, {clRed, clLime, clBlue});
  b.SetPixelFormat(pf24bit);
  TMemoryStream s;
  b.SaveToStream(s);
  const std::int64_t bmpSize = s.Size();
  const char tail[] = "Rest";
  s.WriteBuffer(tail, 4);
  s.SetPosition(0);
  TBitmap back;
  back.LoadFromStream(s);
  EXPECT_TRUE(SamePixels(b, back));
  EXPECT_EQ(s.Position(), bmpSize);  // the data after the bitmap stays unread
  char rest[4];
  s.ReadBuffer(rest, 4);
  EXPECT_EQ(std::string(rest, 4), "Rest");
  // A stream cut short is a bad picture.
  TMemoryStream cut;
  auto bytes = b.SaveToBytes();
  cut.WriteBuffer(bytes.data(), 40);
  cut.SetPosition(0);
  EXPECT_THROW(back.LoadFromStream(cut), EInvalidGraphic);
}

TEST(Bitmaps, MasksMonochromeAndAssign) {
  TBitmap b(4, 1);
  const TColor row[4] = {clFuchsia, clNavy, clWhite, clYellow};
  for (int x = 0; x < 4; ++x) b.Surface().Row(0)[x] = ColorToPixel(row[x]);
  auto mask = b.CreateMask(clFuchsia);
  EXPECT_TRUE(mask->Monochrome());
  EXPECT_EQ(PixelToColor(mask->Surface().Row(0)[0]), clWhite);
  EXPECT_EQ(PixelToColor(mask->Surface().Row(0)[1]), clBlack);
  TBitmap m;
  m.Assign(b);
  EXPECT_TRUE(SamePixels(m, b));
  m.SetMonochrome(true);
  // Light colours become white, dark ones black.
  EXPECT_EQ(PixelToColor(m.Surface().Row(0)[1]), clBlack);
  EXPECT_EQ(PixelToColor(m.Surface().Row(0)[2]), clWhite);
  EXPECT_EQ(PixelToColor(m.Surface().Row(0)[3]), clWhite);
  EXPECT_EQ(b.TransparentColor(), clFuchsia);  // bottom-left pixel by default
  // Assign across the persistent interface and a failing one.
  TBitmap viaBase;
  viaBase.Assign(static_cast<const TPersistent*>(&b));
  EXPECT_TRUE(SamePixels(viaBase, b));
  TFont font;
  EXPECT_THROW(viaBase.Assign(static_cast<const TPersistent*>(&font)), EConvertError);
}

TEST(Pictures, LoadByExtensionMetafilesIconsAndResources) {
  StartGraphics();
  namespace fs = std::filesystem;
  fs::path dir = fs::path(OutPath("gfx_pictures"));
  fs::create_directories(dir);
  TBitmap b = Pattern(5, 5, {clRed, clGreen});
  b.SaveToFile((dir / "bild.bmp").string());
  b.SaveToPng((dir / "Mond.PNG").string());
  TPicture pic;
  int changes = 0;
  pic.OnChange = [&](TObject*) { ++changes; };
  pic.LoadFromFile((dir / "bild.bmp").string());
  EXPECT_EQ(pic.Width(), 5);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(SamePixels(*pic.Bitmap(), b));
  TPicture copy;
  copy.Assign(pic);
  EXPECT_TRUE(SamePixels(*copy.Bitmap(), b));
  // Changes of the held bitmap are the picture's changes.
  pic.Bitmap()->SetSize(7, 7);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(copy.Width(), 5);  // the copy is its own
  EXPECT_THROW(pic.LoadFromFile((dir / "bild.xyz").string()), EInvalidGraphic);
  EXPECT_THROW(pic.LoadFromFile((dir / "fehlt.bmp").string()), EFOpenError);

  // A placeable metafile of 2 x 1 inches keeps its bytes and size.
  std::vector<std::uint8_t> wmf(40, 0);
  wmf[0] = 0xD7; wmf[1] = 0xCD; wmf[2] = 0xC6; wmf[3] = 0x9A;
  wmf[10] = 0xD0; wmf[11] = 0x07;  // right 2000
  wmf[12] = 0xE8; wmf[13] = 0x03;  // bottom 1000
  wmf[14] = 0xE8; wmf[15] = 0x03;  // 1000 units per inch
  std::ofstream((dir / "bild.wmf").string(), std::ios::binary).write(reinterpret_cast<const char*>(wmf.data()), 40);
  pic.LoadFromFile((dir / "bild.wmf").string());
  ASSERT_NE(dynamic_cast<TMetafile*>(pic.Graphic()), nullptr);
  EXPECT_EQ(pic.Width(), 192);
  EXPECT_EQ(pic.Height(), 96);
  EXPECT_EQ(pic.Graphic()->SaveToBytes(), wmf);
  TBitmap canvasBmp(20, 10);
  canvasBmp.Canvas()->StretchDraw({0, 0, 20, 10}, *pic.Graphic());
  EXPECT_EQ(canvasBmp.Canvas()->Pixels(0, 0), clGray);  // the frame
  EXPECT_EQ(canvasBmp.Canvas()->Pixels(10, 2), clWhite);
  std::vector<std::uint8_t> notWmf(40, 1);
  TMetafile mf;
  EXPECT_THROW(mf.LoadFromBytes(notWmf.data(), notWmf.size()), EInvalidGraphic);

  // An icon: 2 x 2, 24 bits, left column transparent through the mask.
  std::vector<std::uint8_t> ico = {0, 0, 1, 0, 1, 0, 2, 2, 0, 0, 1, 0, 24, 0};
  std::vector<std::uint8_t> dib(40, 0);
  Put32(dib, 0, 40);
  Put32(dib, 4, 2);
  Put32(dib, 8, 4);
  dib[12] = 1;
  dib[14] = 24;
  const std::uint8_t px[] = {0, 0, 255, 0, 0, 255, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0};  // red, padded rows
  dib.insert(dib.end(), std::begin(px), std::end(px));
  const std::uint8_t andMask[] = {0x80, 0, 0, 0, 0x80, 0, 0, 0};
  dib.insert(dib.end(), std::begin(andMask), std::end(andMask));
  ico.resize(6 + 16);
  Put32(ico, 14, static_cast<std::uint32_t>(dib.size()));
  Put32(ico, 18, 22);
  ico.insert(ico.end(), dib.begin(), dib.end());
  TIcon icon;
  icon.LoadFromBytes(ico.data(), ico.size());
  EXPECT_EQ(icon.Width(), 2);
  EXPECT_EQ(icon.Height(), 2);
  TBitmap target(2, 2);
  target.Canvas()->Brush()->SetColor(clBlue);
  target.Canvas()->FillRect({0, 0, 2, 2});
  target.Canvas()->Draw(0, 0, icon);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clBlue);
  EXPECT_EQ(target.Canvas()->Pixels(1, 0), clRed);
  auto cut = ico;
  cut.resize(30);
  EXPECT_THROW(icon.LoadFromBytes(cut.data(), cut.size()), EInvalidGraphic);

  // Resources by name, letter case ignored.
  setenv("ORV_RESOURCE_DIR", dir.string().c_str(), 1);
  TBitmap res;
  res.LoadFromResourceName("MOND");
  EXPECT_TRUE(SamePixels(res, b));
  EXPECT_THROW(res.LoadFromResourceName("gibtsnicht"), EInvalidGraphic);
  unsetenv("ORV_RESOURCE_DIR");
}

TEST(Bitmaps, CharacterRowPicturesEnlargeEveryPixelAndRefuseRaggedRows) {
  auto colourOf = [](char c) -> TColor { return c == 'r' ? clRed : c == 'b' ? clBlue : clWhite; };
  auto b = BitmapFromCharRows({"rb.", "..b"}, colourOf, 2);
  ASSERT_EQ(b->Width(), 6);
  ASSERT_EQ(b->Height(), 4);
  // Each character is a 2x2 square at its place.
  for (int dy = 0; dy < 2; ++dy)
    for (int dx = 0; dx < 2; ++dx) {
      EXPECT_EQ(PixelToColor(b->Surface().Row(dy)[dx]), clRed);
      EXPECT_EQ(PixelToColor(b->Surface().Row(dy)[2 + dx]), clBlue);
      EXPECT_EQ(PixelToColor(b->Surface().Row(2 + dy)[2 + dx]), clWhite);
      EXPECT_EQ(PixelToColor(b->Surface().Row(2 + dy)[4 + dx]), clBlue);
    }
  EXPECT_THROW(BitmapFromCharRows({"rb.", "rb"}, colourOf), EInvalidOperation);
  EXPECT_THROW(BitmapFromCharRows({"rb"}, colourOf, 0), EInvalidOperation);
}
