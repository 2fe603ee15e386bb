#include "ui/controls/qt/bitmap_button.h"

#include <QMouseEvent>
#include <QPainter>

BitmapButton::BitmapButton(QWidget* parent) : QAbstractButton(parent) {
  // The pointer's moves over the button change its face, not only presses.
  setAttribute(Qt::WA_Hover);
  setFocusPolicy(Qt::NoFocus);
}

void BitmapButton::setSkin(tarsil::BitButtonState& state,
                           const std::array<const QImage*, 4>& pictures, QRect area) {
  state_ = &state;
  pictures_ = pictures;
  area_ = area;
  setGeometry(area);
  update();
}

tarsil::ButtonFace BitmapButton::face() const {
  return state_ != nullptr ? state_->face(!isEnabled()) : tarsil::ButtonFace::kNormal;
}

void BitmapButton::paintEvent(QPaintEvent*) {
  const QImage* picture = pictures_[static_cast<std::size_t>(face())];
  if (picture == nullptr || picture->isNull()) return;
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), *picture, QRect(area_.topLeft(), size()));
}

void BitmapButton::enterEvent(QEnterEvent* event) {
  // Qt reports the pointer's arrival and its leaving as such: the hover
  // face shows at once.
  if (state_ != nullptr) {
    state_->mouseMove(true);
    state_->mouseHover();
    update();
  }
  QAbstractButton::enterEvent(event);
}

void BitmapButton::leaveEvent(QEvent* event) {
  if (state_ != nullptr) {
    state_->mouseLeave();
    update();
  }
  QAbstractButton::leaveEvent(event);
}

void BitmapButton::mousePressEvent(QMouseEvent* event) {
  if (state_ != nullptr && event->button() == Qt::LeftButton) {
    state_->buttonDown();
    update();
  }
  QAbstractButton::mousePressEvent(event);
}

void BitmapButton::mouseReleaseEvent(QMouseEvent* event) {
  if (state_ != nullptr && event->button() == Qt::LeftButton) {
    state_->buttonUp(rect().contains(event->position().toPoint()));
    update();
  }
  // The click reaches the owner now, which may change the state again.
  QAbstractButton::mouseReleaseEvent(event);
}
