#include "lookup/program_picture_qt.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>

namespace vestral {

namespace {

const QColor kBody{38, 70, 120};
const QColor kBodyLight{78, 118, 178};
const QColor kGlass{196, 222, 240};
const QColor kTyre{40, 40, 44};
const QColor kRim{190, 194, 200};
const QColor kShell{52, 52, 58};
const QColor kPin{232, 190, 70};
const QColor kCable{30, 30, 34};

// The connector in a 100 x 70 box: a trapezoid shell with two rows of eight pins.
void drawConnector(QPainter& p) {
  QPainterPath shell;
  shell.moveTo(6, 10);
  shell.lineTo(94, 10);
  shell.lineTo(84, 62);
  shell.lineTo(16, 62);
  shell.closeSubpath();
  p.setPen(QPen(kShell.darker(140), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(kShell);
  p.drawPath(shell);
  p.setPen(Qt::NoPen);
  p.setBrush(kPin);
  for (int row = 0; row < 2; ++row) {
    const qreal y = row == 0 ? 24 : 44;
    const qreal left = row == 0 ? 17 : 22;
    const qreal step = row == 0 ? 9.4 : 8.0;
    for (int i = 0; i < 8; ++i) p.drawEllipse(QPointF(left + step * i, y), 3.2, 3.2);
  }
}

void drawWheel(QPainter& p, QPointF c) {
  p.setPen(Qt::NoPen);
  p.setBrush(kTyre);
  p.drawEllipse(c, 10.5, 10.5);
  p.setBrush(kRim);
  p.drawEllipse(c, 5.0, 5.0);
  p.setBrush(kTyre);
  p.drawEllipse(c, 1.6, 1.6);
}

// The car in a 125 x 70 box, seen from the side, with a cable from the connector
// under its dashboard to a plug in the top right corner.
void drawCar(QPainter& p) {
  QPainterPath body;
  body.moveTo(4, 54);
  body.lineTo(4, 44);
  body.cubicTo(5, 38, 14, 36, 30, 34);   // bonnet
  body.lineTo(42, 22);                   // windscreen
  body.cubicTo(48, 18, 74, 17, 82, 21);  // roof
  body.lineTo(96, 33);                   // rear window
  body.cubicTo(112, 34, 120, 37, 121, 44);
  body.lineTo(121, 54);
  body.closeSubpath();
  QLinearGradient paint(0, 18, 0, 56);
  paint.setColorAt(0, kBodyLight);
  paint.setColorAt(1, kBody);
  p.setPen(QPen(kBody.darker(150), 1.2));
  p.setBrush(paint);
  p.drawPath(body);

  QPainterPath glass;
  glass.moveTo(45, 24);
  glass.cubicTo(50, 21, 72, 20, 79, 23);
  glass.lineTo(89, 32);
  glass.lineTo(37, 32);
  glass.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(kGlass);
  p.drawPath(glass);
  p.setBrush(kBody);
  p.drawRect(QRectF(61, 21, 2.5, 12));  // pillar between the windows

  drawWheel(p, QPointF(28, 54));
  drawWheel(p, QPointF(99, 54));

  // Cable from under the dashboard up to the plug.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(kCable, 2.2, Qt::SolidLine, Qt::RoundCap));
  QPainterPath cable;
  cable.moveTo(40, 36);
  cable.cubicTo(52, 44, 70, 8, 98, 12);
  p.drawPath(cable);
  p.save();
  p.translate(96, 2);
  p.scale(0.27, 0.27);
  drawConnector(p);
  p.restore();
}

}  // namespace

QPixmap ProgramPicture(int width, int height, qreal devicePixelRatio) {
  QPixmap pm(QSize(width, height) * devicePixelRatio);
  pm.setDevicePixelRatio(devicePixelRatio);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(width / 125.0, height / 70.0);
  drawCar(p);
  return pm;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int side : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 100.0, side / 100.0);
    p.translate(0, 15);
    drawConnector(p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

void SetProgramIcon() {
  if (QApplication::windowIcon().isNull()) QApplication::setWindowIcon(ProgramIcon());
}

}  // namespace vestral
