#include "ui/kit/Render.h"

#include <QLayout>
#include <QWidget>
#include <cmath>

namespace kit {

QImage renderWidget(QWidget* widget, qreal dpr) {
  if (!widget) return {};
  widget->ensurePolished();
  if (QLayout* layout = widget->layout()) layout->activate();
  if (widget->size().isEmpty() || !widget->testAttribute(Qt::WA_Resized)) widget->adjustSize();
  const QSize logical = widget->size();
  if (logical.isEmpty()) return {};
  QImage image(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr)),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

}  // namespace kit
