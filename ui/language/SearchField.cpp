#include "ui/language/SearchField.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>

#include "core/Ink.h"
#include "platform/Appearance.h"
#include "ui/kit/Clickable.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"
#include "ui/menu/Paint.h"

namespace {

constexpr qreal kOuterX = 8;
constexpr qreal kOuterY = 4;
constexpr qreal kInnerX = 8;
constexpr qreal kHeight = 24;
constexpr qreal kSymbol = 10;
constexpr qreal kGap = 6;

class ClearButton : public kit::Clickable {
 public:
  using kit::Clickable::Clickable;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    kit::drawSymbol(p, kit::Symbol::clear, rect(), kSymbol, QFont::Normal, Ink::faint());
  }
};

}  // namespace

SearchField::SearchField(QWidget* parent) : QWidget(parent), edit_(new QLineEdit(this)), clear_(new ClearButton(this)) {
  setFixedHeight(int(kHeight + 2 * kOuterY));
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  edit_->setFrame(false);
  edit_->setFont(kit::font(11.5, QFont::Normal));
  edit_->setAttribute(Qt::WA_MacShowFocusRect, false);
  edit_->setObjectName(QStringLiteral("query"));
  clear_->setObjectName(QStringLiteral("clear"));
  clear_->setFocusPolicy(Qt::NoFocus);
  clear_->onClick = [this] { edit_->clear(); };
  clear_->setVisible(false);
  connect(edit_, &QLineEdit::textChanged, this, &SearchField::textChanged);
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, &SearchField::refreshColors);
  refreshColors();
}

void SearchField::setPlaceholder(const QString& text) { edit_->setPlaceholderText(text); }

void SearchField::setClearVisible(bool visible) {
  if (visible == !clear_->isHidden()) return;
  clear_->setVisible(visible);
  place();
}

void SearchField::refreshColors() {
  QPalette palette = edit_->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, Qt::transparent);
    palette.setColor(group, QPalette::Window, Qt::transparent);
    palette.setColor(group, QPalette::Text, Ink::text());
    palette.setColor(group, QPalette::PlaceholderText, Ink::faint());
    palette.setColor(group, QPalette::Highlight, Ink::seal());
    palette.setColor(group, QPalette::HighlightedText, Ink::hanjiLight());
  }
  edit_->setPalette(palette);
  update();
}

void SearchField::place() {
  const qreal left = kOuterX + kInnerX + kSymbol + kGap;
  qreal right = width() - kOuterX - kInnerX;
  if (!clear_->isHidden()) {
    clear_->setGeometry(menu::visual(this, QRectF(right - kSymbol - 4, kOuterY, kSymbol + 8, kHeight)).toRect());
    right -= kSymbol + kGap;
  }
  edit_->setGeometry(menu::visual(this, QRectF(left, kOuterY, std::max<qreal>(1, right - left), kHeight)).toRect());
}

void SearchField::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  place();
}

void SearchField::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LayoutDirectionChange) place();
  QWidget::changeEvent(event);
}

void SearchField::paintEvent(QPaintEvent*) {
  QPainter p(this);
  kit::fillWithInnerBorder(p, QRectF(kOuterX, kOuterY, width() - 2 * kOuterX, kHeight), 6, Ink::fill(),
                           Qt::transparent, 0);
  kit::drawSymbol(p, kit::Symbol::magnifier,
                  menu::visual(this, QRectF(kOuterX + kInnerX, kOuterY, kSymbol, kHeight)), kSymbol,
                  QFont::DemiBold, Ink::faint());
}
