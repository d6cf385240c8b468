#include "app/GradientPanel.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QWindow>

namespace tto::app {

GradientPanel::GradientPanel(const QColor& start, const QColor& mid, const QColor& end,
                             QWidget* parent)
    : QWidget(parent), start_(start), mid_(mid), end_(end) {
  // The gradient covers every pixel, so nothing beneath needs painting first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::SetAlignment(Align align) {
  if (align == align_) return;
  align_ = align;
  if (QWidget* parent = parentWidget()) {
    if (align_ == Align::Client) {
      parent->installEventFilter(this);
      FillParent();
    } else {
      parent->removeEventFilter(this);
    }
  }
}

void GradientPanel::FillParent() {
  if (QWidget* parent = parentWidget()) setGeometry(parent->rect());
}

bool GradientPanel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parentWidget() && event->type() == QEvent::Resize && align_ == Align::Client) {
    FillParent();
  }
  return QWidget::eventFilter(watched, event);
}

bool GradientPanel::event(QEvent* event) {
  // A panel with a native window of its own carries its name on it, so that tools that
  // look at the display (xwininfo) can tell the panels apart.
  if (event->type() == QEvent::WinIdChange && windowHandle() != nullptr) {
    windowHandle()->setTitle(objectName());
  }
  return QWidget::event(event);
}

void GradientPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0.0, start_);
  gradient.setColorAt(0.5, mid_);
  gradient.setColorAt(1.0, end_);
  painter.fillRect(rect(), gradient);
}

}  // namespace tto::app
