#pragma once

#include <QLabel>
#include <QPoint>
#include <QString>
#include <QTimer>

// The tooltip that names the key under the pointer: a small window of its
// own, in the skin's pale yellow, that breaks lines where the text does (a
// macro key's second line says how its macro plays). Its window title is
// its text, so that tools that read window names read what it says.
class KeyTooltip {
 public:
  KeyTooltip();

  // The text for the pointer at `globalPointer`; an empty one hides the tooltip.
  void setText(const QString& text, QPoint globalPointer);
  void hide();

  const QString& text() const { return text_; }

 private:
  QLabel label_;
  QTimer showTimer_;
  QString text_;
};
