// The system clipboard through the toolkit, and the desktop's opener.
#include "platform/qt/qt_ui_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QStringList>

#include "platform/qt/qt_host.h"

namespace qtui {

void ClipboardSet(const std::vector<std::pair<std::string, std::string>>& data, const THostImage* image) {
  qthost::EnsureGuiApplication();
  auto* mime = new QMimeData;
  for (const auto& [type, bytes] : data) {
    if (type == "text/plain")
      mime->setText(QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size())));
    else
      mime->setData(QString::fromStdString(type), QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  }
  if (image && image->Width > 0 && image->Height > 0) {
    QImage img(image->Width, image->Height, QImage::Format_ARGB32);
    for (int y = 0; y < image->Height; ++y)
      std::copy_n(image->Argb.data() + static_cast<std::size_t>(y) * image->Width, image->Width,
                  reinterpret_cast<std::uint32_t*>(img.scanLine(y)));
    mime->setImageData(img);
  }
  QGuiApplication::clipboard()->setMimeData(mime);
}

bool ClipboardHas(const std::string& type) {
  qthost::EnsureGuiApplication();
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return false;
  if (type == "text/plain") return m->hasText();
  return m->hasFormat(QString::fromStdString(type));
}

std::string ClipboardGet(const std::string& type) {
  qthost::EnsureGuiApplication();
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m) return {};
  if (type == "text/plain") return m->text().toUtf8().toStdString();
  QByteArray b = m->data(QString::fromStdString(type));
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

bool ClipboardGetImage(THostImage& out) {
  qthost::EnsureGuiApplication();
  const QMimeData* m = QGuiApplication::clipboard()->mimeData();
  if (!m || !m->hasImage()) return false;
  QImage img = qvariant_cast<QImage>(m->imageData()).convertToFormat(QImage::Format_ARGB32);
  if (img.isNull()) return false;
  out.Width = img.width();
  out.Height = img.height();
  out.Argb.resize(static_cast<std::size_t>(out.Width) * out.Height);
  for (int y = 0; y < out.Height; ++y)
    std::copy_n(reinterpret_cast<const std::uint32_t*>(img.constScanLine(y)), out.Width,
                out.Argb.data() + static_cast<std::size_t>(y) * out.Width);
  return true;
}

bool OpenUrl(const std::string& url) {
  // The argument vector goes to the desktop's opener as it stands: no shell
  // ever sees the address.
  return QProcess::startDetached(QStringLiteral("xdg-open"), QStringList{QString::fromUtf8(url.c_str())});
}

}  // namespace qtui
