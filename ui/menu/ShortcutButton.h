#pragma once
#include <functional>

#include "ui/kit/Clickable.h"

class Settings;

// The trailing part of the pick row: the current shortcut as key caps beside
// a small "change" hint; a "change" button face under the pointer; the
// press-keys prompt while a new shortcut is being recorded. A click runs the
// action in every face.
class ShortcutButton : public kit::Clickable {
  Q_OBJECT
 public:
  enum class Face { recording, hover, resting };

  ShortcutButton(Settings& settings, std::function<void()> action, QWidget* parent = nullptr);

  // The pointer is over the surrounding row.
  void setRowHover(bool hover);
  bool rowHover() const { return rowHover_; }
  Face face() const;

  // The frame is as wide as the widest face, so the click target does not
  // jump when the face changes under the pointer.
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  // The resting face's natural width (without the 8 px padding around it).
  static qreal restingWidth(const QString& changeText, const QStringList& caps);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void refresh();
  qreal faceWidth(Face face) const;

  Settings& settings_;
  bool rowHover_ = false;
};
