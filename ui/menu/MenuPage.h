#pragma once
#include <QWidget>

// A page of the status menu. Pages tell the menu when their content may have
// changed size, so the panel can be fitted again.
class MenuPage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

 signals:
  void contentChanged();
};
