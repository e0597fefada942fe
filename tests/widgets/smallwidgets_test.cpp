// Size bar, shadow label and link label (with a fake and a scripted opener).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/gfx/device.h"
#include "platform/rtl/scopeexit.h"
#include "tests/widgets/widget_test_util.h"
#include "widgets/smallwidgets.h"

namespace {

namespace fs = std::filesystem;

TEST(SizeBar, DesignDefaultsAndGripPicture) {
  TUiTestDriver drv;
  TForm* form = MakeWidgetForm(200, 80);
  form->SetColor(clBtnFace);
  auto* bar = new TSizeBar(form);
  bar->SetParent(form);
  bar->SetDesignDefaults();
  EXPECT_EQ(bar->Align(), alBottom);
  EXPECT_EQ(bar->Height(), 9);
  EXPECT_EQ(bar->BevelOuter(), bvNone);
  EXPECT_EQ(bar->Alignment(), taLeftJustify);
  bar->SetHeight(16);
  form->Show();
  EXPECT_EQ(bar->Top(), 80 - 16);
  EXPECT_EQ(bar->Width(), 200);
  drv.SavePng(bar, "sizebar");
  const int r = bar->Width(), b = bar->Height();
  // Grey diagonal at d = 2: the pixel (r - 1, b - 1); white at d = 4: (r - 1, b - 3).
  EXPECT_EQ(drv.PixelAt(bar, r - 1, b - 1), clGray);
  EXPECT_EQ(drv.PixelAt(bar, r - 1, b - 3), clWhite);
  EXPECT_EQ(drv.PixelAt(bar, r - 2, b - 2), clWhite);  // d = 4 passes (r-2, b-2)
  EXPECT_EQ(drv.PixelAt(bar, r - 7, b - 1), clGray);   // d = 8 starts at (r-7, b-1)
  EXPECT_EQ(drv.PixelAt(bar, r - 12, b - 1), ColorToRGB(clBtnFace));
  const TRect before = form->BoundsRect();
  drv.Drag(form, {r - 3, bar->Top() + b - 3}, {r + 37, bar->Top() + b + 17});
  EXPECT_EQ(form->BoundsRect(), Bounds(before.Left, before.Top, before.Width() + 40, before.Height() + 20))
      << "the grip sizes the window as the frame's corner does";
  EXPECT_EQ(GetStrProp(bar, "BorderWidth"), "");  // an integer property
  EXPECT_TRUE(SetOrdProp(bar, "BorderWidth", 2));
  EXPECT_EQ(bar->PanelBorderWidth(), 2);
}

TEST(ShadowLabel, ShadowOffsetsAndDisabledText) {
  TUiTestDriver drv;
  TForm* form = MakeWidgetForm(240, 120);
  form->SetColor(clWhite);
  auto* l = new TShadowLabel(form);
  l->SetParent(form);
  l->SetAutoSize(false);
  l->SetBounds(20, 20, 200, 60);
  TFont f(*l->Font());
  f.SetHeight(-40);
  f.SetStyle({fsBold});
  f.SetColor(clBlack);
  l->SetFont(f);
  l->SetColor(clWhite);
  l->SetCaption("Kalender");
  l->SetAlignment(taCenter);
  l->SetSLSLShadowColor(clRed);
  l->SetSLSLTextStyle(tsUpperLeft);
  l->SetSLSLShadowSize(3);
  EXPECT_EQ(l->ShadowOffset(), (TPoint{-3, -3}));
  form->Show();
  drv.SavePng(l, "shadow_label_upper_left");
  // Find the text's leftmost black column and the shadow's leftmost red one.
  auto leftmost = [&](TColor col) {
    for (int x = 0; x < 200; ++x)
      for (int y = 0; y < 60; ++y)
        if (drv.PixelAt(l, x, y) == col) return x;
    return -1;
  };
  auto topmost = [&](TColor col) {
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 200; ++x)
        if (drv.PixelAt(l, x, y) == col) return y;
    return -1;
  };
  int tx = leftmost(clBlack), sx = leftmost(clRed), ty = topmost(clBlack), sy = topmost(clRed);
  ASSERT_GE(tx, 0);
  ASSERT_GE(sx, 0);
  EXPECT_EQ(tx - sx, 3);
  EXPECT_EQ(ty - sy, 3);
  l->SetSLSLTextStyle(tsLowerRight);
  EXPECT_EQ(leftmost(clRed) - leftmost(clBlack), 3);
  l->SetSLSLShadowSize(20);  // limited to 8
  EXPECT_EQ(l->SLSLShadowSize(), 8);
  // Disabled: grey text over the shadow, no black left.
  l->SetSLSLShadowSize(2);
  l->SetEnabled(false);
  drv.SavePng(l, "shadow_label_disabled");
  EXPECT_EQ(leftmost(clBlack), -1);
  EXPECT_GE(leftmost(ColorToRGB(clGrayText)), 0);
  EXPECT_GE(leftmost(clRed), 0);
}

struct LinkFixture : ::testing::Test {
  TUiTestDriver drv;
  TForm* form = MakeWidgetForm(300, 60);
  std::vector<AnsiString> opened;
  void SetUp() override { SetShellOpenHook([this](const AnsiString& t) { opened.push_back(t); }); }
  void TearDown() override { ResetShellOpenHook(); }
};

TEST_F(LinkFixture, ClickHandsTheTargetToTheOpener) {
  auto* k = new TKURL2(form);
  k->SetParent(form);
  k->SetLeft(10);
  k->SetTop(10);
  EXPECT_EQ(k->Height(), 13);
  EXPECT_TRUE(k->Label()->Font()->Style().Contains(fsUnderline));
  EXPECT_EQ(k->Label()->Font()->Color(), clBlue);
  k->SetURLorEMAIL("http://www.example.org/kalender");
  int narrow = k->Width();
  EXPECT_EQ(narrow, k->Label()->Width());
  k->SetURLorEMAIL("http://www.example.org/ein/viel/laengerer/pfad");
  EXPECT_GT(k->Width(), narrow);
  EXPECT_EQ(k->Width(), k->Label()->Width());
  SetScreenScale(2);  // where the p's descender reaches below the underline
  TScopeExit back{[] { SetScreenScale(1); }};
  form->Show();
  EXPECT_EQ(drv.PixelAt(k, k->Width() - 1, 0), ColorToRGB(form->Color())) << "on the window's face";
  EXPECT_GT(CountBluish(drv, k, {0, k->Height() - 1, k->Width(), k->Height()}), 0) << "the descenders";
  drv.Click(k->Label());
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "http://www.example.org/ein/viel/laengerer/pfad");
  // E-mail: "mailto:" plus the text, whatever it holds.
  k->SetChoose(ltEMAIL);
  k->SetURLorEMAIL("kein at zeichen; rm -rf /");
  drv.Click(k->Label());
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], "mailto:kein at zeichen; rm -rf /");
}

// The default opener: a scripted stand-in on PATH records its arguments, one
// per line; a target with shell characters arrives as one argument. Without
// an opener on PATH nothing happens.
TEST(LinkOpener, DefaultOpenerPassesOneArgumentOrNothing) {
  fs::path dir = fs::temp_directory_path() / ("orv_opener_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::path out = dir / "args.txt";
  {
    std::ofstream s(dir / "xdg-open");
    // Shell built-ins only: PATH holds nothing but this folder.
    s << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" << out.string() << "\"\n: > \""
      << out.string() << ".done\"\n";
  }
  fs::permissions(dir / "xdg-open", fs::perms::owner_all);
  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", dir.string().c_str(), 1);
  bool ok = DefaultShellOpen("mailto:a@b.de; touch " + (dir / "pwned").string() + " $(id)");
  // The opener runs beside the test: a loaded machine may take seconds.
  for (int i = 0; i < 3000 && !fs::exists(out.string() + ".done"); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  fs::path empty = dir / "empty";
  fs::create_directories(empty);
  ::setenv("PATH", empty.string().c_str(), 1);
  bool missing = DefaultShellOpen("http://www.example.org/");
  ::setenv("PATH", oldPath.c_str(), 1);
  EXPECT_TRUE(ok);
  EXPECT_FALSE(missing);
  std::ifstream in(out);
  std::string line, all;
  int lines = 0;
  while (std::getline(in, line)) {
    all = line;
    ++lines;
  }
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(all, "mailto:a@b.de; touch " + (dir / "pwned").string() + " $(id)");
  EXPECT_FALSE(fs::exists(dir / "pwned"));
  fs::remove_all(dir);
}

}  // namespace
