#pragma once
#include <QWidget>
#include <functional>

// A widget whose whole frame is one button: it tracks hover and press, and
// activates on a release inside it or on Space/Return while focused.
// Subclasses paint themselves from hovered() and pressed().
namespace kit {

class Clickable : public QWidget {
  Q_OBJECT
 public:
  explicit Clickable(QWidget* parent = nullptr);

  bool hovered() const { return hovered_; }
  // True while the button is held down with the pointer over the widget.
  bool pressed() const { return pressed_ && pressInside_; }

  // Called after clicked() on every activation.
  std::function<void()> onClick;

 signals:
  void clicked();
  void hoveredChanged(bool hovered);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void setHovered(bool hovered);
  void activate();

  bool hovered_ = false;
  bool pressed_ = false;
  bool pressInside_ = false;
};

}  // namespace kit
