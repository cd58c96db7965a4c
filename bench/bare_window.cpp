// The yardstick of the lookup window's start: a bare Qt Widgets window of the same size,
// shown as soon as the application exists.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare"));
  window.setFixedSize(533, 199);
  window.show();
  return app.exec();
}
