// TPrinter (see printer.h).
#include "platform/gfx/printer.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"

#include <algorithm>
#include <filesystem>
#include <functional>

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

// Draws on the job's page and keeps each page's drawing, so that the pages
// can be drawn again: the copies of a document written to a PDF file, which
// has no print system to make them. Copies are whole documents one after
// the other, as a printer collates them.
class TCopyingDevice : public TDrawDevice {
public:
  explicit TCopyingDevice(TDrawDevice& target) : target_(&target) { NewPage(); }
  void NewPage() { pages_.push_back({[clip = clip_](TDrawDevice& d) { clip.Apply(d); }}); }
  // The kept pages again, each on a new page of the job.
  void DrawCopies(TPrintJob& job, int copies) {
    for (int c = 1; c < copies; ++c)
      for (const auto& page : pages_) {
        job.NewPage();
        for (const auto& op : page) op(job.Device());
      }
  }

  TDeviceCaps Caps() const override { return target_->Caps(); }
  void SetClip(const TRect* rects, int n) override {
    clip_.Null = rects == nullptr;
    clip_.Rects.assign(rects, rects ? rects + n : rects);
    Do([clip = clip_](TDrawDevice& d) { clip.Apply(d); });
  }
  void Polyline(const TPoint* pts, int n, const TPenSpec& pen) override {
    Do([p = std::vector<TPoint>(pts, pts + n), pen](TDrawDevice& d) { d.Polyline(p.data(), static_cast<int>(p.size()), pen); });
  }
  void Polygon(const TPoint* pts, int n, const TPenSpec& pen, const TBrushSpec& brush) override {
    Do([p = std::vector<TPoint>(pts, pts + n), pen, b = Kept(brush)](TDrawDevice& d) {
      d.Polygon(p.data(), static_cast<int>(p.size()), pen, b.Spec());
    });
  }
  void Ellipse(const TRect& box, const TPenSpec& pen, const TBrushSpec& brush) override {
    Do([box, pen, b = Kept(brush)](TDrawDevice& d) { d.Ellipse(box, pen, b.Spec()); });
  }
  void FillRect(const TRect& r, const TBrushSpec& brush, std::uint32_t rop) override {
    Do([r, b = Kept(brush), rop](TDrawDevice& d) { d.FillRect(r, b.Spec(), rop); });
  }
  void TextRun(const TTextRun& run) override {
    // The font as the engine keeps it, alive for as long as the pages are.
    std::shared_ptr<const TFontData> font;
    if (TGfxPlatform* p = GfxPlatform()) font = p->Fonts().Realize(run.Font->Request);
    Do([run, font, text = std::string(run.Text, run.Length),
        adv = std::vector<int>(run.Advances, run.Advances + run.Length)](TDrawDevice& d) {
      TTextRun again = run;
      again.Text = text.data();
      again.Advances = adv.data();
      if (font) again.Font = font.get();
      d.TextRun(again);
    });
  }
  void Blit(const TRect& dst, const TSurface& src, const TRect& srcRect, std::uint32_t rop, const TBrushSpec& brush,
            std::uint32_t transparent) override {
    Do([dst, s = std::make_shared<const TSurface>(src), srcRect, rop, b = Kept(brush), transparent](TDrawDevice& d) {
      d.Blit(dst, *s, srcRect, rop, b.Spec(), transparent);
    });
  }
  TColor GetPixel(int x, int y) override { return target_->GetPixel(x, y); }
  void SetPixel(int x, int y, TColor rgb) override {
    Do([x, y, rgb](TDrawDevice& d) { d.SetPixel(x, y, rgb); });
  }
  void Scroll(int dx, int dy, const TRect& area) override {
    Do([dx, dy, area](TDrawDevice& d) { d.Scroll(dx, dy, area); });
  }
  void Flush() override { target_->Flush(); }

private:
  using Op = std::function<void(TDrawDevice&)>;
  struct Clip {
    bool Null = true;
    std::vector<TRect> Rects;
    void Apply(TDrawDevice& d) const { d.SetClip(Null ? nullptr : Rects.data(), static_cast<int>(Rects.size())); }
  };
  // A brush with its own copy of its pattern.
  struct Brush {
    TBrushSpec Base;
    std::shared_ptr<const TSurface> Pattern;
    TBrushSpec Spec() const {
      TBrushSpec b = Base;
      b.Pattern = Pattern.get();
      return b;
    }
  };
  static Brush Kept(const TBrushSpec& b) {
    return {b, b.Pattern ? std::make_shared<const TSurface>(*b.Pattern) : nullptr};
  }
  void Do(Op op) {
    op(*target_);
    pages_.back().push_back(std::move(op));
  }
  TDrawDevice* target_;
  Clip clip_;
  std::vector<std::vector<Op>> pages_;
};

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
  const TPrintJobSettings settings = Settings();
  job_ = p->StartPrintJob(settings);
  aborted_ = false;
  page_ = 1;
  copying_.reset();
  if (settings.PrinterName.empty() && copies_ > 1) copying_ = std::make_unique<TCopyingDevice>(job_->Device());
  canvas_.SetDevice(copying_ ? static_cast<TDrawDevice*>(copying_.get()) : &job_->Device());
  // Every document gets a fresh device context: what the last printout left
  // in the canvas (a rich text's baseline alignment with the current
  // position, its clip) must not shape this one.
  canvas_.ResetDeviceState();
}

void TPrinter::NewPage() {
  if (!job_) throw EPrinter("Der Drucker druckt gerade nicht");
  job_->NewPage();
  if (copying_) copying_->NewPage();
  ++page_;
  // Every page starts without a clip, as a fresh device context would.
  canvas_.SelectClipRect(nullptr);
  canvas_.MoveTo(0, 0);
}

void TPrinter::EndDoc() {
  if (!job_) throw EPrinter("Der Drucker druckt gerade nicht");
  auto job = std::move(job_);
  auto copying = std::move(copying_);
  info_.reset();
  canvas_.SetDevice(nullptr);
  try {
    if (copying) copying->DrawCopies(*job, copies_);
  } catch (...) {
    job->Cancel();
    throw;
  }
  job->Finish();
  page_ = 0;
}

void TPrinter::Abort() {
  if (!job_) throw EPrinter("Der Drucker druckt gerade nicht");
  auto job = std::move(job_);
  copying_.reset();
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
