// Renders the program's icon as the hicolor theme wants it:
// vestral_icons FOLDER NAME writes FOLDER/<n>x<n>/apps/NAME.png for each size drawn.

#include <QDir>
#include <QGuiApplication>
#include <QIcon>

#include <cstdio>

#include "lookup/program_picture_qt.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: vestral_icons FOLDER NAME\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir out(QString::fromLocal8Bit(argv[1]));
  const QIcon icon = vestral::ProgramIcon();
  for (const QSize& size : icon.availableSizes()) {
    const QString folder = QString("%1x%2/apps").arg(size.width()).arg(size.height());
    const QString path = out.filePath(folder + "/" + QString::fromLocal8Bit(argv[2]) + ".png");
    if (!out.mkpath(folder) || !icon.pixmap(size).save(path)) {
      std::fprintf(stderr, "vestral_icons: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  return 0;
}
