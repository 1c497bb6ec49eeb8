#pragma once
#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QUuid>
#include <QWidget>
#include <functional>
#include <vector>

#include "toast/AnimationClock.h"
#include "toast/ToastLayout.h"

class AppMarkView;
class DraftEditor;
class MarchingFrame;
class StampCheck;
class ToastButton;
class ToastModel;

// The toast's card: mark, title row, preview or explanation, busy line,
// buttons or editor, on a rounded panel with a soft shadow in its margin. It
// shows the model and changes nothing itself except the editor's draft; each
// button calls one of its actions.
class ToastView : public QWidget {
  Q_OBJECT
 public:
  struct Actions {
    std::function<void()> toggleTable;
    std::function<void()> toggleJoin;
    std::function<void()> edit;
    std::function<void()> commitEdit;
    std::function<void()> cancelEdit;
    std::function<void()> undo;
    std::function<void()> open;
    std::function<void()> retryAccurate;
    std::function<void()> sameSpot;
  };

  ToastView(ToastModel& model, Actions actions, QWidget* parent = nullptr);
  ~ToastView() override;

  // The layout of the model as it is now.
  const ToastLayout& cardLayout() const;
  // The card's outline in view coordinates (a shape mask uses it).
  QPainterPath cardPath() const;

  // Draws the drop shadow in the margin; only worth it with a compositor.
  void setShadowed(bool on);
  bool shadowed() const { return shadowed_; }

  void setClock(AnimationClock clock);
  // Puts the marks in their end state at once (snapshots).
  void settle();

  // The children, for the controller and tests.
  const std::vector<ToastButton*>& buttons() const { return buttons_; }
  ToastButton* button(ToastAction action) const;
  DraftEditor* editor() const { return editor_; }
  StampCheck* stamp() const { return stamp_; }
  MarchingFrame* marching() const { return marching_; }
  QWidget* markWidget() const;

  // The preview text the user has selected with the pointer (empty: none).
  QString selectedText() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

 signals:
  // A press on the card that no button or editor took.
  void cardPressed();
  // The fitting size may have changed.
  void contentChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void modelChanged();
  void ensureLaidOut() const;
  void placeChildren();
  void run(ToastAction action) const;
  const QImage& shadowImage(qreal dpr) const;
  // The preview block under a point, or null.
  const ToastLayout::Block* previewAt(const QPointF& point) const;

  ToastModel& model_;
  Actions actions_;
  mutable ToastLayout layout_;
  mutable bool dirty_ = true;
  bool placePending_ = false;
  bool shadowed_ = true;
  QUuid stampShown_;
  AnimationClock clock_;
  MarchingFrame* marching_ = nullptr;
  StampCheck* stamp_ = nullptr;
  AppMarkView* appMark_ = nullptr;
  DraftEditor* editor_ = nullptr;
  std::vector<ToastButton*> buttons_;
  int selectFrom_ = 0;  // a selection in the preview paragraph
  int selectTo_ = 0;
  bool selecting_ = false;
  QString selectableText_;  // the preview text the selection positions refer to
  mutable QImage shadow_;
  mutable QSize shadowSize_;
};
