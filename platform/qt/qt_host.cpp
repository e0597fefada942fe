#include "platform/qt/qt_host.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>

#include <cstdlib>

namespace qthost {

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // The argument block must outlive the application object.
  static int argc = 1;
  static char arg0[] = "orvelan";
  static char* argv[] = {arg0, nullptr};
  new QApplication(argc, argv);
  InstallGraphics();
}

std::string PlatformName() {
  EnsureGuiApplication();
  return QGuiApplication::platformName().toStdString();
}

std::vector<std::string> FontFamilies() {
  EnsureGuiApplication();
  std::vector<std::string> out;
  for (const QString& f : QFontDatabase::families()) out.push_back(f.toStdString());
  return out;
}

}  // namespace qthost
