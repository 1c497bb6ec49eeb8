#pragma once
#include <QMargins>
#include <QWidget>

#include "ui/menu/Paint.h"

// The menu's passive pieces: rules, section headings and wrapping notes.

// A 1 px line in the rule ink, inset 8 either side and 4 above and below.
class Rule : public QWidget {
  Q_OBJECT
 public:
  explicit Rule(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {16, 9}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A small faint heading over a group of rows. Letter-spaced, except in a
// right-to-left interface, where spacing would break up joined letters.
class SectionHeader : public QWidget {
  Q_OBJECT
 public:
  // `size` in logical pixels; `top` and `bottom` are the space around the text.
  SectionHeader(qreal size, qreal top, qreal bottom, QWidget* parent = nullptr);

  void setText(const QString& text);
  QString text() const { return text_; }
  qreal letterSpacing() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QString text_;
  qreal size_;
  qreal top_;
  qreal bottom_;
};

// Text that wraps onto as many lines as it needs, never cut short; its
// height follows the width it is given. Insets are leading, top, trailing, bottom.
class Note : public QWidget {
  Q_OBJECT
 public:
  Note(qreal size, menu::Tone tone, QMargins insets, QWidget* parent = nullptr);

  void setText(const QString& text);
  void setTone(menu::Tone tone);
  QString text() const { return text_; }
  menu::Tone tone() const { return tone_; }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  qreal size_;
  menu::Tone tone_;
  QMargins insets_;
};
