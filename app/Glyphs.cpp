#include "app/Glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPixmap>
#include <QPolygonF>

namespace tto::app {

namespace {

QPixmap BlankGlyph() {
  QPixmap pixmap(kGlyphSize, kGlyphSize);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QIcon CheckMarkGlyph() {
  QPixmap pixmap = BlankGlyph();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QPen pen(QColor(0x00, 0x80, 0x00), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  const QPointF stroke[] = {{3.0, 9.5}, {7.0, 13.5}, {15.0, 4.0}};
  painter.drawPolyline(stroke, 3);
  return QIcon(pixmap);
}

QIcon DoorGlyph() {
  QPixmap pixmap = BlankGlyph();
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);

  // The doorway, dark, in its frame.
  painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.0));
  painter.setBrush(QColor(0x00, 0x00, 0x80));
  painter.drawRect(QRectF(5.5, 1.5, 9.0, 15.0));

  // The door leaf, swung open towards the viewer from the left jamb.
  const QPolygonF leaf({{5.5, 1.5}, {1.5, 3.5}, {1.5, 16.5}, {5.5, 16.5}});
  painter.setPen(QPen(QColor(0x40, 0x40, 0x00), 1.0));
  painter.setBrush(QColor(0xC0, 0xA0, 0x20));
  painter.drawPolygon(leaf);

  // The handle.
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x20, 0x20, 0x20));
  painter.drawEllipse(QPointF(3.0, 10.0), 0.9, 0.9);
  return QIcon(pixmap);
}

}  // namespace tto::app
