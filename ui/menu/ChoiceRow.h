#pragma once
#include <functional>
#include <optional>

#include "ui/kit/Clickable.h"

// The selectable row of the language pages: a radio or check mark, a title
// with an optional second line that wraps, and an optional short text at the
// trailing end. Selected rows (and rows under the pointer) get a soft fill;
// only the title's ink tells the two apart. The row decides nothing: a click
// runs its action.
class ChoiceRow : public kit::Clickable {
  Q_OBJECT
 public:
  struct Mark {
    enum class Kind { radio, check };
    Kind kind = Kind::radio;
    bool on = false;
    static Mark radio(bool on) { return {Kind::radio, on}; }
    static Mark check(bool on) { return {Kind::check, on}; }
    friend bool operator==(const Mark&, const Mark&) = default;
  };

  struct Spec {
    Mark mark = {};
    QString title = {};
    std::optional<QString> sub = std::nullopt;
    std::optional<QString> trailing = std::nullopt;
    bool selected = false;
    std::optional<qreal> height = std::nullopt;  // minimum height in place of the default
    friend bool operator==(const Spec&, const Spec&) = default;
  };

  ChoiceRow(Spec spec, std::function<void()> action, QWidget* parent = nullptr);

  const Spec& spec() const { return spec_; }
  // Updates what the row shows; the hover state stays.
  void setSpec(const Spec& spec);

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  qreal textWidthFor(qreal rowWidth) const;

  Spec spec_;
};
