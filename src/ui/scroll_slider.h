#pragma once

#include <QScrollBar>

namespace kurvimo {

// A horizontal scroll bar whose keys act at once and exactly once: the arrows move it by its small
// change, Page Up and Page Down by its large change, Home and End to its ends.
class ScrollSlider final : public QScrollBar {
  Q_OBJECT

 public:
  explicit ScrollSlider(QWidget *parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent *event) override;
};

}  // namespace kurvimo
