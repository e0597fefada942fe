#include "platform/qt/qt_host.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdlib>
#include <cstring>
#include <string>

namespace qthost {

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Fully hinted text puts stems on whole pixels only with the classic
  // TrueType interpreter; the newer one hints heights alone.
  const char* ft = std::getenv("FREETYPE_PROPERTIES");
  if (!ft)
    setenv("FREETYPE_PROPERTIES", "truetype:interpreter-version=35", 1);
  else if (!std::strstr(ft, "interpreter-version"))
    setenv("FREETYPE_PROPERTIES", (std::string(ft) + " truetype:interpreter-version=35").c_str(), 1);
  // The argument block must outlive the application object.
  static int argc = 1;
  static char arg0[] = "orvelan";
  static char* argv[] = {arg0, nullptr};
  new QApplication(argc, argv);
  // The toolkit's own dialogs (file dialogs, their questions) speak German
  // like the program.
  auto* german = new QTranslator(QCoreApplication::instance());
  if (german->load(QLocale(QLocale::German, QLocale::Germany), "qtbase", "_",
                   QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(german);
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
