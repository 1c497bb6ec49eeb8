#pragma once
#include <functional>
#include <optional>

#include "ui/kit/Clickable.h"

// A full-width action row: a title and an optional short hint at the trailing
// end, faint at rest and full ink under the pointer, 28 high.
class MenuRow : public kit::Clickable {
  Q_OBJECT
 public:
  MenuRow(const QString& title, std::optional<QString> trailing, std::function<void()> action,
          QWidget* parent = nullptr);

  void setTitle(const QString& title);
  void setTrailing(std::optional<QString> trailing);
  QString title() const { return title_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  std::optional<QString> trailing_;
};
