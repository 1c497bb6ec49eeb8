#pragma once
#include <functional>

#include "ui/kit/Clickable.h"
#include "ui/menu/SealCheck.h"

class ModeChip;
class Settings;
class ShortcutButton;

// The composite rows of the main page.

// A label with a check box at its trailing end, 28 high. Only the box reacts
// to clicks. A dimmed row is drawn faded and its box is disabled.
class ToggleRow : public QWidget {
  Q_OBJECT
 public:
  ToggleRow(SealCheck::Binding binding, QWidget* parent = nullptr);

  void setTexts(const QString& label, const QString& onText, const QString& offText);
  void setDimmed(bool dimmed);
  bool dimmed() const { return !isEnabled(); }
  QString label() const { return label_; }
  SealCheck* check() const { return check_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void place();

  QString label_;
  SealCheck* check_;
};

// The recognition mode: a label and a two-chip switch, fast and accurate.
class ModeRow : public QWidget {
  Q_OBJECT
 public:
  ModeRow(std::function<void()> chooseFast, std::function<void()> chooseAccurate, QWidget* parent = nullptr);

  void setTexts(const QString& label, const QString& fast, const QString& accurate);
  void setFast(bool fast);
  ModeChip* fastChip() const { return fast_; }
  ModeChip* accurateChip() const { return accurate_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QRectF switchRect() const;  // from the leading edge
  void place();

  QString label_;
  ModeChip* fast_;
  ModeChip* accurate_;
};

// The panel's primary action: the pick button across the row and the
// shortcut button at its trailing end, on a soft fill, 32 high.
class PickRow : public QWidget {
  Q_OBJECT
 public:
  PickRow(Settings& settings, std::function<void()> capture, std::function<void()> record,
          QWidget* parent = nullptr);

  void setPickText(const QString& text);
  kit::Clickable* pickButton() const { return pick_; }
  ShortcutButton* shortcutButton() const { return shortcut_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  kit::Clickable* pick_;
  ShortcutButton* shortcut_;
};

// The app mark, the app's name in the display face and the tagline, which
// gives way first when space is short.
class MenuHeader : public QWidget {
  Q_OBJECT
 public:
  explicit MenuHeader(QWidget* parent = nullptr);
  void setTexts(const QString& name, const QString& tagline);
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString name_;
  QString tagline_;
};
