#include "ui/main/qt/key_tooltip.h"

#include <QPalette>

namespace {

// The pointer's own picture covers this much below its tip.
constexpr int kBelowPointer = 20;  // pixels
constexpr int kInitialDelay = 50;  // milliseconds, as on Windows
constexpr int kMaxWidth = 600;     // pixels

}  // namespace

KeyTooltip::KeyTooltip() : label_(nullptr, Qt::ToolTip | Qt::FramelessWindowHint) {
  label_.setAttribute(Qt::WA_ShowWithoutActivating);
  label_.setMaximumWidth(kMaxWidth);
  label_.setTextFormat(Qt::PlainText);
  label_.setMargin(3);
  label_.setFrameStyle(QFrame::Box | QFrame::Plain);
  QPalette palette = label_.palette();
  palette.setColor(QPalette::Window, QColor(255, 255, 224));
  palette.setColor(QPalette::WindowText, Qt::black);
  label_.setPalette(palette);
  label_.setAutoFillBackground(true);
  showTimer_.setSingleShot(true);
  showTimer_.setInterval(kInitialDelay);
  QObject::connect(&showTimer_, &QTimer::timeout, &label_, [this] { label_.show(); });
}

void KeyTooltip::setText(const QString& text, QPoint globalPointer) {
  if (text.isEmpty()) {
    hide();
    text_.clear();
    return;
  }
  if (text == text_ && (label_.isVisible() || showTimer_.isActive())) return;
  text_ = text;
  label_.setText(text);
  label_.setWindowTitle(text);
  label_.adjustSize();
  label_.move(globalPointer + QPoint(0, kBelowPointer));
  if (!label_.isVisible()) showTimer_.start();
}

void KeyTooltip::hide() {
  showTimer_.stop();
  label_.hide();
}
