// Mutated image files: every reader either loads a picture or raises
// EInvalidGraphic; nothing crashes or allocates wildly. Runs 30 seconds in CI
// and 3 at a developer's desk; GFX_FUZZ_SECONDS sets another duration.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <random>

#include "gfx_test_util.h"
#include "platform/gfx/bitmap.h"

namespace {

std::vector<std::vector<std::uint8_t>> Seeds() {
  std::vector<std::vector<std::uint8_t>> out;
  TBitmap b(9, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x) b.Surface().Row(y)[x] = ColorToPixel(RGB(x * 20, y * 40, (x * y) & 0xFF));
  for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
    TBitmap c(b);
    c.SetPixelFormat(f);
    out.push_back(c.SaveToBytes());
  }
  out.push_back(GfxPlatform()->EncodePng(b.Surface()));
  // An icon holding the 24-bit bitmap's DIB with its height doubled.
  auto dib = out[3];
  dib.erase(dib.begin(), dib.begin() + 14);
  dib[8] = 10;
  dib.insert(dib.end(), 4 * 5, 0);
  std::vector<std::uint8_t> ico = {0, 0, 1, 0, 1, 0, 9, 5, 0, 0, 1, 0, 24, 0};
  std::uint32_t n = static_cast<std::uint32_t>(dib.size());
  for (int i = 0; i < 4; ++i) ico.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  ico.insert(ico.end(), {22, 0, 0, 0});
  ico.insert(ico.end(), dib.begin(), dib.end());
  out.push_back(ico);
  std::vector<std::uint8_t> wmf(40, 0);
  wmf[0] = 0xD7; wmf[1] = 0xCD; wmf[2] = 0xC6; wmf[3] = 0x9A; wmf[10] = 100; wmf[14] = 100;
  out.push_back(wmf);
  return out;
}

}  // namespace

TEST(DecoderFuzz, MutatedFilesLoadOrRaise) {
  StartGraphics();
  const char* ci = std::getenv("CI");
  double seconds = ci && std::string(ci) == "true" ? 30 : 3;
  if (const char* e = std::getenv("GFX_FUZZ_SECONDS")) seconds = std::atof(e);
  const auto seeds = Seeds();
  std::mt19937 rng(12345);
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  long runs = 0, loaded = 0;
  while (std::chrono::steady_clock::now() < end) {
    const auto& seed = seeds[rng() % seeds.size()];
    auto data = seed;
    int edits = 1 + static_cast<int>(rng() % 8);
    for (int k = 0; k < edits && !data.empty(); ++k) {
      std::size_t at = rng() % data.size();
      switch (rng() % 4) {
        case 0: data[at] = static_cast<std::uint8_t>(rng()); break;
        case 1: data[at] ^= static_cast<std::uint8_t>(1u << (rng() % 8)); break;
        case 2: data.resize(at); break;
        default: data[at] = (rng() & 1) ? 0xFF : 0x00; break;
      }
    }
    for (int kind = 0; kind < 3; ++kind) {
      try {
        if (kind == 0) {
          TBitmap b;
          b.LoadFromBytes(data.data(), data.size());
          EXPECT_LE(static_cast<long long>(b.Width()) * b.Height(), kMaxImagePixels);
        } else if (kind == 1) {
          TIcon i;
          i.LoadFromBytes(data.data(), data.size());
        } else {
          TMetafile m;
          m.LoadFromBytes(data.data(), data.size());
        }
        ++loaded;
      } catch (const EInvalidGraphic&) {
      }
    }
    ++runs;
  }
  EXPECT_GT(runs, 50);
  EXPECT_GT(loaded, 0);
}
