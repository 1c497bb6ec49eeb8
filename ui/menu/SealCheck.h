#pragma once
#include <functional>

#include "ui/kit/Clickable.h"

// The check box at the trailing end of a toggle row: the check-box figure at
// the trailing edge of a 36 x 28 frame, the whole frame clickable. It keeps no
// value of its own: it reads and flips the caller's binding.
class SealCheck : public kit::Clickable {
  Q_OBJECT
 public:
  struct Binding {
    std::function<bool()> get;
    std::function<void(bool)> set;
  };

  SealCheck(Binding binding, const QString& label, QWidget* parent = nullptr);

  bool isOn() const { return binding_.get && binding_.get(); }
  // The row's text, for assistive tools only; the texts for on and off.
  void setLabel(const QString& label, const QString& onText, const QString& offText);
  // What assistive tools read as the box's value: the on or off text.
  QString valueText() const { return isOn() ? onText_ : offText_; }
  // Re-reads the bound value after it changed elsewhere.
  void refresh();

  QSize sizeHint() const override { return {36, 28}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void flip();

  Binding binding_;
  QString onText_;
  QString offText_;
};
