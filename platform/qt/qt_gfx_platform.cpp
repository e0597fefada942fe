// The toolkit's graphics platform: fonts, surfaces, image coding and print
// jobs (PDF files through the PDF writer, real printers through the print
// system). Installed by qthost::InstallGraphics().
#include <QBuffer>
#include <QGuiApplication>
#include <QImageReader>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>

#include "platform/gfx/bitmap.h"
#include "platform/qt/qt_gfx_device.h"
#include "platform/qt/qt_gfx_fonts.h"
#include "platform/qt/qt_host.h"
#include "platform/rtl/cp1252.h"
#include "platform/rtl/files.h"
#include "platform/rtl/inifiles.h"
#include "platform/rtl/sysutils.h"

namespace qtgfx {
namespace {

QString ToQ(const std::string& cp1252) { return QString::fromStdString(Cp1252ToUtf8(cp1252)); }

// The sheet a document asks for (twips, upright), else A4.
QPageSize PaperOf(const TPrintJobSettings& s) {
  if (!s.HasPaperSize()) return QPageSize(QPageSize::A4);
  return QPageSize(QSizeF(s.PaperWidth / 20.0, s.PaperHeight / 20.0), QPageSize::Point);
}

TDeviceCaps PageCaps(const QPageLayout& layout, int res, bool pdf) {
  TDeviceCaps c;
  c.Technology = DT_RASPRINTER;
  c.LogPixelsX = c.LogPixelsY = res;
  c.BitsPixel = 24;
  QRect full = layout.fullRectPixels(res);
  QRect paint = layout.paintRectPixels(res);
  c.PhysicalWidth = full.width();
  c.PhysicalHeight = full.height();
  if (pdf) {
    c.HorzRes = c.PhysicalWidth;
    c.VertRes = c.PhysicalHeight;
  } else {
    c.PhysicalOffsetX = paint.left();
    c.PhysicalOffsetY = paint.top();
    c.HorzRes = paint.width();
    c.VertRes = paint.height();
  }
  return c;
}

// The document is made in memory and replaces the file only when it is
// whole: a full disk or a missing right leaves the file there before as it
// was, and the user is told.
class PdfJob : public TPrintJob {
public:
  explicit PdfJob(const TPrintJobSettings& s) : fileName_(s.FileName), writer_(&buffer_) {
    buffer_.open(QIODevice::WriteOnly);
    writer_.setResolution(s.Resolution);
    writer_.setPageSize(PaperOf(s));
    writer_.setPageOrientation(s.Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer_.setTitle(ToQ(s.Title));
    writer_.setCreator(QStringLiteral("Orvelan"));
    if (!painter_.begin(&writer_))
      throw EFCreateError("Die PDF-Datei \"" + ShownFileName(s.FileName) + "\" kann nicht angelegt werden: " +
                          SysErrorMessage(EIO));
    device_ = std::make_unique<QtPageDevice>(painter_, PageCaps(writer_.pageLayout(), s.Resolution, true));
  }
  ~PdfJob() override {
    if (painter_.isActive()) painter_.end();
  }
  TDrawDevice& Device() override { return *device_; }
  void NewPage() override { writer_.newPage(); }
  void Finish() override {
    painter_.end();
    const QByteArray& pdf = buffer_.data();
    if (const int err = ReplaceFileWhole(fileName_, std::string_view(pdf.constData(), static_cast<size_t>(pdf.size()))))
      throw EWriteError("Die PDF-Datei \"" + ShownFileName(fileName_) + "\" kann nicht geschrieben werden: " +
                        SysErrorMessage(err));
  }
  void Cancel() override { painter_.end(); }

private:
  std::string fileName_;
  QBuffer buffer_;
  QPdfWriter writer_;
  QPainter painter_;
  std::unique_ptr<QtPageDevice> device_;
};

class PrinterJob : public TPrintJob {
public:
  explicit PrinterJob(const TPrintJobSettings& s) : printer_(QPrinter::HighResolution) {
    printer_.setPrinterName(ToQ(s.PrinterName));
    printer_.setResolution(s.Resolution);
    if (s.HasPaperSize()) printer_.setPageSize(PaperOf(s));
    printer_.setPageOrientation(s.Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer_.setDocName(ToQ(s.Title));
    printer_.setCopyCount(s.Copies);
    if (!painter_.begin(&printer_)) throw EInOutError("Drucker nicht bereit: " + s.PrinterName);
    device_ = std::make_unique<QtPageDevice>(painter_, PageCaps(printer_.pageLayout(), printer_.resolution(), false));
  }
  ~PrinterJob() override {
    if (painter_.isActive()) painter_.end();
  }
  TDrawDevice& Device() override { return *device_; }
  void NewPage() override { printer_.newPage(); }
  void Finish() override { painter_.end(); }
  void Cancel() override {
    printer_.abort();
    if (painter_.isActive()) painter_.end();
  }

private:
  QPrinter printer_;
  QPainter painter_;
  std::unique_ptr<QtPageDevice> device_;
};

class Platform : public TGfxPlatform {
public:
  TFontEngine& Fonts() override { return QtFontEngine(); }

  std::unique_ptr<TDrawDevice> CreateRasterDevice(TSurface& surface, int ppi) override {
    return std::make_unique<QtRasterDevice>(surface, ppi);
  }

  void DecodeImage(const std::uint8_t* data, std::size_t size, TSurface& out) override {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buf(&bytes);
    buf.open(QIODevice::ReadOnly);
    QImageReader reader(&buf);
    QSize sz = reader.size();
    if (sz.isValid() && static_cast<long long>(sz.width()) * sz.height() > kMaxImagePixels)
      throw EInvalidGraphic(CP1252("Bild zu groß").str());
    QImage img = reader.read();
    if (img.isNull()) throw EInvalidGraphic("Bild kann nicht gelesen werden: " + reader.errorString().toStdString());
    // Translucent pixels are laid on white.
    QImage rgb(img.size(), QImage::Format_RGB32);
    rgb.fill(Qt::white);
    {
      QPainter p(&rgb);
      p.drawImage(0, 0, img);
    }
    out.Resize(rgb.width(), rgb.height());
    for (int y = 0; y < rgb.height(); ++y)
      std::memcpy(out.Row(y), rgb.constScanLine(y), sizeof(std::uint32_t) * rgb.width());
  }

  std::vector<std::uint8_t> EncodePng(const TSurface& s) override {
    QImage img(reinterpret_cast<const uchar*>(s.Bits()), s.Width(), s.Height(), s.Width() * 4, QImage::Format_RGB32);
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    if (!img.save(&buf, "PNG")) throw EWriteError("PNG kann nicht geschrieben werden");
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
  }

  std::vector<TPrinterInfo> Printers() override {
    std::vector<TPrinterInfo> out;
    for (const QString& n : QPrinterInfo::availablePrinterNames()) {
      AnsiString a;
      if (Utf8ToCp1252(n.toStdString(), a)) out.push_back({a, false});
    }
    return out;
  }

  std::unique_ptr<TPrintJob> StartPrintJob(const TPrintJobSettings& s) override {
    if (s.PrinterName.empty()) return std::make_unique<PdfJob>(s);
    return std::make_unique<PrinterJob>(s);
  }

  TDeviceCaps PrinterCaps(const TPrintJobSettings& s) override {
    QPageLayout layout(PaperOf(s),
                       s.Orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0));
    if (s.PrinterName.empty()) return PageCaps(layout, s.Resolution, true);
    QPrinterInfo info = QPrinterInfo::printerInfo(ToQ(s.PrinterName));
    if (!info.isNull()) {
      QPrinter p(info, QPrinter::HighResolution);
      p.setResolution(s.Resolution);
      if (s.HasPaperSize()) p.setPageSize(layout.pageSize());
      p.setPageOrientation(layout.orientation());
      return PageCaps(p.pageLayout(), s.Resolution, false);
    }
    return PageCaps(layout, s.Resolution, true);
  }
};

}  // namespace
}  // namespace qtgfx

namespace qthost {

void InstallGraphics() {
  EnsureGuiApplication();
  static qtgfx::Platform platform;
  SetGfxPlatform(&platform);
  // The screen's scale, taken once (a fraction rounded up: the window's
  // pixels are then made a little smaller, never enlarged).
  static const bool scaled = [] {
    if (QScreen* screen = QGuiApplication::primaryScreen())
      SetScreenScale(static_cast<int>(std::ceil(screen->devicePixelRatio() - 1e-6)));
    return true;
  }();
  (void)scaled;
}

}  // namespace qthost
