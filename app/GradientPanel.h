#pragma once

#include <QColor>
#include <QWidget>

namespace tto::app {

// A panel that paints a three-colour gradient from top to bottom and holds other
// controls. Like the windowed panels it stands for, it can be aligned to fill its
// parent's client area; then it follows every resize of the parent.
class GradientPanel : public QWidget {
  Q_OBJECT

 public:
  enum class Align { None, Client };

  GradientPanel(const QColor& start, const QColor& mid, const QColor& end,
                QWidget* parent = nullptr);

  QColor StartColor() const { return start_; }
  QColor MidColor() const { return mid_; }
  QColor EndColor() const { return end_; }

  Align Alignment() const { return align_; }
  void SetAlignment(Align align);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FillParent();

  QColor start_;
  QColor mid_;
  QColor end_;
  Align align_ = Align::None;
};

}  // namespace tto::app
