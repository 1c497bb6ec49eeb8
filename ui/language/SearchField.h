#pragma once
#include <QWidget>

class QLineEdit;
namespace kit {
class Clickable;
}

// The search field of the interface-language page: a lens, a borderless text
// field on a soft rounded fill, and a clear button while there is a query.
class SearchField : public QWidget {
  Q_OBJECT
 public:
  explicit SearchField(QWidget* parent = nullptr);

  QLineEdit* edit() const { return edit_; }
  kit::Clickable* clearButton() const { return clear_; }
  void setPlaceholder(const QString& text);
  void setClearVisible(bool visible);
  // Takes the inks of the current appearance.
  void refreshColors();

  QSize sizeHint() const override { return {200, 32}; }

 signals:
  void textChanged(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void place();

  QLineEdit* edit_;
  kit::Clickable* clear_;
};
