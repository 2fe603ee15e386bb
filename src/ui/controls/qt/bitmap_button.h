#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QRect>

#include <array>

#include "ui/controls/bit_button_state.h"

// A skin button: each face is the button's own area cut from one of four
// whole-window pictures (normal, hover, pressed, disabled), chosen by
// BitButtonState from the pointer's events. The owner keeps the state, so
// it can choose and deselect toggle buttons itself.
class BitmapButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit BitmapButton(QWidget* parent = nullptr);

  // `area` is where the button sits on the pictures (and on its window).
  void setSkin(tarsil::BitButtonState& state, const std::array<const QImage*, 4>& pictures,
               QRect area);
  // The face painted now.
  tarsil::ButtonFace face() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  tarsil::BitButtonState* state_ = nullptr;
  std::array<const QImage*, 4> pictures_{};
  QRect area_;
};
