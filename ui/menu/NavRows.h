#pragma once
#include <functional>

#include "ui/kit/Clickable.h"

// A row that leads to another page: a title, a faint one-line summary and a
// forward chevron, 28 high, softly filled under the pointer.
class NavRow : public kit::Clickable {
  Q_OBJECT
 public:
  NavRow(std::function<void()> action, QWidget* parent = nullptr);

  void setTexts(const QString& title, const QString& summary);
  QString title() const { return title_; }
  QString summary() const { return summary_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
  QString summary_;
};

// The row that returns to the previous page: a back chevron and the page's
// title in semibold, 30 high, with no hover fill.
class BackRow : public kit::Clickable {
  Q_OBJECT
 public:
  BackRow(std::function<void()> action, QWidget* parent = nullptr);

  // The title shown and the name assistive tools read ("Back").
  void setTexts(const QString& title, const QString& accessibleName);
  QString title() const { return title_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString title_;
};
