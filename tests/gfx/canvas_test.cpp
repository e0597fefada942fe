#include <gtest/gtest.h>

#include "platform/gfx/bitmap.h"
#include "platform/qt/qt_host.h"

TEST(Smoke, Draw) {
  qthost::EnsureGuiApplication();
  TBitmap b(200, 60);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect({0, 0, 200, 60});
  c->Font()->SetName("Arial");
  c->Font()->SetSize(10);
  c->TextOut(5, 5, "Hallo Welt \xE4\xF6\xFC");
  c->Pen()->SetColor(clRed);
  c->MoveTo(0, 40);
  c->LineTo(199, 40);
  b.SaveToPng(std::string(GFX_TEST_BINARY_DIR) + "/smoke.png");
}
