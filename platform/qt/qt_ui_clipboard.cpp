// The system clipboard through the toolkit, shell open, printer list.
#include "platform/qt/qt_ui_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPrinterInfo>
#include <QProcess>
#include <QStringList>

#include "platform/qt/qt_host.h"

namespace qtui {

void ClipboardSet(const std::vector<std::pair<std::string, std::string>>& data, const ClipImage* image) {
  qthost::EnsureGuiApplication();
  auto* mime = new QMimeData;
  for (const auto& [type, bytes] : data) {
    if (type == "text/plain")
      mime->setText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    else
      mime->setData(QString::fromStdString(type), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  }
  if (image && image->width > 0 && image->height > 0) {
    QImage img(image->width, image->height, QImage::Format_ARGB32);
    for (int y = 0; y < image->height; ++y)
      std::copy_n(image->argb.data() + static_cast<std::size_t>(y) * image->width, image->width,
                  reinterpret_cast<std::uint32_t*>(img.scanLine(y)));
    mime->setImageData(img);
  }
  QGuiApplication::clipboard()->setMimeData(mime);
}

void ClipboardClear() {
  qthost::EnsureGuiApplication();
  QGuiApplication::clipboard()->clear();
}

bool ClipboardHas(const std::string& type) {
  qthost::EnsureGuiApplication();
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return false;
  if (type == "text/plain") return m->hasText();
  return m->hasFormat(QString::fromStdString(type));
}

bool ClipboardHasImage() {
  qthost::EnsureGuiApplication();
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  return m && m->hasImage();
}

std::string ClipboardGet(const std::string& type) {
  qthost::EnsureGuiApplication();
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return {};
  if (type == "text/plain") return m->text().toUtf8().toStdString();
  QByteArray b = m->data(QString::fromStdString(type));
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

bool ClipboardGetImage(ClipImage& out) {
  qthost::EnsureGuiApplication();
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m || !m->hasImage()) return false;
  QImage img = qvariant_cast<QImage>(m->imageData()).convertToFormat(QImage::Format_ARGB32);
  if (img.isNull()) return false;
  out.width = img.width();
  out.height = img.height();
  out.argb.resize(static_cast<std::size_t>(out.width) * out.height);
  for (int y = 0; y < out.height; ++y)
    std::copy_n(reinterpret_cast<const std::uint32_t*>(img.constScanLine(y)), out.width,
                out.argb.data() + static_cast<std::size_t>(y) * out.width);
  return true;
}

bool OpenUrl(const std::string& url) {
  // The argument vector goes to the desktop's opener as it stands: no shell
  // ever sees the address.
  return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{QString::fromUtf8(url.c_str())});
}

std::vector<std::string> PrinterNames() {
  qthost::EnsureGuiApplication();
  std::vector<std::string> out;
  for (const QString& n : QPrinterInfo::availablePrinterNames()) out.push_back(n.toUtf8().toStdString());
  return out;
}

std::string DefaultPrinterName() {
  qthost::EnsureGuiApplication();
  return QPrinterInfo::defaultPrinterName().toUtf8().toStdString();
}

}  // namespace qtui
