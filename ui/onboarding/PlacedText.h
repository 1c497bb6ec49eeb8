#pragma once
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include "ui/kit/Text.h"

// A laid-out text, the top-left corner of its block in a view measured from
// the view's leading edge, and its ink.
struct PlacedText {
  QString text;
  kit::TextBlock block;
  QPointF at;
  QColor color;
  QRectF rect() const { return {at, QSizeF(block.width(), block.height())}; }
};
