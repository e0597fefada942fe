// TPrinter (see printer.h).
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"

#include <algorithm>
#include <filesystem>

namespace {

// Measures like the printer and draws nothing: the canvas of a printer that
// is not printing.
class TInfoDevice : public TDrawDevice {
public:
  explicit TInfoDevice(const TDeviceCaps& caps) : caps_(caps) {}
  TDeviceCaps Caps() const override { return caps_; }
  void SetClip(const TRect*, int) override {}
  void Polyline(const TPoint*, int, const TPenSpec&) override {}
  void Polygon(const TPoint*, int, const TPenSpec&, const TBrushSpec&) override {}
  void Ellipse(const TRect&, const TPenSpec&, const TBrushSpec&) override {}
  void FillRect(const TRect&, const TBrushSpec&, std::uint32_t) override {}
  void TextRun(const TTextRun&) override {}
  void Blit(const TRect&, const TSurface&, const TRect&, std::uint32_t, const TBrushSpec&, std::uint32_t) override {}
  TColor GetPixel(int, int) override { return clNone; }
  void SetPixel(int, int, TColor) override {}
  void Scroll(int, int, const TRect&) override {}

private:
  TDeviceCaps caps_;
};

// The sheet (A4 unless a size is given) at 600 dpi when no platform can tell.
TDeviceCaps DefaultCaps(const TPrintJobSettings& s) {
  TDeviceCaps c;
  c.Technology = DT_RASPRINTER;
  c.LogPixelsX = c.LogPixelsY = 600;
  c.BitsPixel = 24;
  const bool sized = s.HasPaperSize();
  c.PhysicalWidth = c.HorzRes = sized ? MulDiv(s.PaperWidth, 600, 1440) : 4961;
  c.PhysicalHeight = c.VertRes = sized ? MulDiv(s.PaperHeight, 600, 1440) : 7016;
  if (s.Orientation == poLandscape) {
    std::swap(c.PhysicalWidth, c.PhysicalHeight);
    std::swap(c.HorzRes, c.VertRes);
  }
  return c;
}

}  // namespace

TPrinter::TPrinter() {
  fileName_ = FromSysFileName((std::filesystem::temp_directory_path() / "Orvelan.pdf").string());
}

TPrinter::~TPrinter() {
  if (job_) job_->Cancel();
}

const std::vector<std::string>& TPrinter::Printers() {
  if (!listed_) {
    printers_ = {kPdfPrinterName};
    if (TGfxPlatform* p = GfxPlatform())
      for (const auto& info : p->Printers()) printers_.push_back(info.Name);
    listed_ = true;
  }
  return printers_;
}

void TPrinter::CheckNotPrinting(const char* what) const {
  if (job_) throw EPrinter(CP1252("Während des Druckens nicht möglich: ").str() + what);
}

void TPrinter::SetPrinterIndex(int index) {
  CheckNotPrinting("Drucker wechseln");
  if (index == -1) index = 0;
  if (index < 0 || index >= static_cast<int>(Printers().size())) throw EPrinter(CP1252("Drucker-Index außerhalb des Bereichs").str());
  index_ = index;
  info_.reset();
}

void TPrinter::SetOutputFileName(const std::string& path) {
  CheckNotPrinting("Ausgabedatei wechseln");
  fileName_ = path;
}

void TPrinter::SetOrientation(TPrinterOrientation o) {
  CheckNotPrinting("Ausrichtung wechseln");
  orientation_ = o;
  info_.reset();
}

void TPrinter::SetPaperSize(int widthTwips, int heightTwips) {
  CheckNotPrinting(CP1252("Papiergröße wechseln").str().c_str());
  paperWidth_ = std::max(widthTwips, 0);
  paperHeight_ = std::max(heightTwips, 0);
  info_.reset();
}

void TPrinter::SetCopies(int n) { copies_ = n < 1 ? 1 : n; }

TPrintJobSettings TPrinter::Settings() const {
  TPrintJobSettings s;
  if (index_ > 0 && index_ < static_cast<int>(printers_.size())) s.PrinterName = printers_[index_];
  s.FileName = fileName_;
  s.Title = title_;
  s.Orientation = orientation_;
  s.PaperWidth = paperWidth_;
  s.PaperHeight = paperHeight_;
  s.Copies = copies_;
  return s;
}

TDeviceCaps TPrinter::Caps() {
  if (job_) return job_->Device().Caps();
  Printers();
  if (TGfxPlatform* p = GfxPlatform()) return p->PrinterCaps(Settings());
  return DefaultCaps(Settings());
}

TCanvas* TPrinter::Canvas() {
  if (!job_ && !info_) {
    info_ = std::make_unique<TInfoDevice>(Caps());
    canvas_.SetDevice(info_.get());
  }
  return &canvas_;
}

int TPrinter::PageWidth() { return Caps().HorzRes; }
int TPrinter::PageHeight() { return Caps().VertRes; }

void TPrinter::BeginDoc() {
  CheckNotPrinting("Druck beginnen");
  TGfxPlatform* p = GfxPlatform();
  if (!p) throw EPrinter(CP1252("Kein Drucksystem verfügbar").str());
  Printers();
  job_ = p->StartPrintJob(Settings());
  aborted_ = false;
  page_ = 1;
  canvas_.SetDevice(&job_->Device());
  // Every document gets a fresh device context: what the last printout left
  // in the canvas (a rich text's baseline alignment with the current
  // position, its clip) must not shape this one.
  canvas_.ResetDeviceState();
}

void TPrinter::NewPage() {
  if (!job_) throw EPrinter("Der Drucker druckt gerade nicht");
  job_->NewPage();
  ++page_;
  // Every page starts without a clip, as a fresh device context would.
  canvas_.SelectClipRect(nullptr);
  canvas_.MoveTo(0, 0);
}

void TPrinter::EndDoc() {
  if (!job_) throw EPrinter("Der Drucker druckt gerade nicht");
  auto job = std::move(job_);
  info_.reset();
  canvas_.SetDevice(nullptr);
  job->Finish();
  page_ = 0;
}

void TPrinter::Abort() {
  if (!job_) throw EPrinter("Der Drucker druckt gerade nicht");
  auto job = std::move(job_);
  info_.reset();
  canvas_.SetDevice(nullptr);
  job->Cancel();
  aborted_ = true;
  page_ = 0;
}

TPrinter* Printer() {
  static TPrinter printer;
  return &printer;
}
