#pragma once
#include <functional>

#include "ui/kit/Clickable.h"

// One chip of the fast/accurate switch: seal-filled with light semibold text
// while selected, a soft fill under the pointer otherwise. A click always runs
// the action, also on the selected chip.
class ModeChip : public kit::Clickable {
  Q_OBJECT
 public:
  ModeChip(const QString& title, bool selected, std::function<void()> action, QWidget* parent = nullptr);

  void setTitle(const QString& title);
  void setSelected(bool selected);
  bool selected() const { return selected_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QFont font() const;

  QString title_;
  bool selected_;
};
