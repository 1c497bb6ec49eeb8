#include "toast/ToastView.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

#include "core/AppMarkView.h"
#include "core/Fonts.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"
#include "toast/DraftEditor.h"
#include "toast/MarchingFrame.h"
#include "toast/StampCheck.h"
#include "toast/ToastButton.h"
#include "toast/ToastModel.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/kit/Text.h"

namespace {

constexpr qreal kCardRadius = 12;

QColor colorOf(ToastLayout::Role role) {
  switch (role) {
    case ToastLayout::Role::text: return Ink::text();
    case ToastLayout::Role::sub: return Ink::sub();
    case ToastLayout::Role::faint: return Ink::faint();
    case ToastLayout::Role::sealText: return Ink::sealText();
    case ToastLayout::Role::onSeal: return Ink::hanjiLight();
  }
  return Ink::text();
}

void drawLine(QPainter& p, const ToastLayout::Line& line) {
  if (line.text.isEmpty() || line.rect.width() <= 0) return;
  kit::LineOptions options;
  options.letterSpacing = line.letterSpacing;
  kit::drawLine(p, line.rect, line.text, line.font, colorOf(line.role),
                line.align | Qt::AlignAbsolute | Qt::AlignVCenter, options);
}

}  // namespace

ToastView::ToastView(ToastModel& model, Actions actions, QWidget* parent)
    : QWidget(parent), model_(model), actions_(std::move(actions)), clock_(animation::steadySeconds) {
  setAttribute(Qt::WA_TranslucentBackground);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  marching_ = new MarchingFrame(this);
  stamp_ = new StampCheck(this);
  appMark_ = new AppMarkView(AppMark::State::empty, 24, this);
  appMark_->setAttribute(Qt::WA_TransparentForMouseEvents);
  editor_ = new DraftEditor(this);
  connect(editor_, &QPlainTextEdit::textChanged, this, [this] { model_.setDraft(editor_->toPlainText()); });
  connect(editor_, &DraftEditor::commitRequested, this, [this] { run(ToastAction::commitEdit); });
  connect(&model_, &ToastModel::changed, this, &ToastView::modelChanged);
  connect(&Settings::shared(), &Settings::changed, this, &ToastView::modelChanged);
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, [this] {
    editor_->restyle();
    update();
  });
  modelChanged();
  placeChildren();
}

ToastView::~ToastView() = default;

void ToastView::modelChanged() {
  dirty_ = true;
  // A selection survives changes that keep the text under it, such as the
  // preview growing while the pointer rests on the card mid-drag.
  const QString selectable = model_.kind() == ToastModel::Kind::picked ? model_.preview() : QString();
  if (selectable != selectableText_) {
    selectableText_ = selectable;
    selectFrom_ = selectTo_ = 0;
    selecting_ = false;
  }
  if (model_.kind() == ToastModel::Kind::picked && model_.stampID() != stampShown_) {
    stampShown_ = model_.stampID();
    stamp_->land();
  }
  // Children move once the burst of changes of one update is over.
  if (!placePending_) {
    placePending_ = true;
    QTimer::singleShot(0, this, [this] {
      if (placePending_) placeChildren();
    });
  }
  updateGeometry();
  update();
  emit contentChanged();
}

void ToastView::ensureLaidOut() const {
  if (!dirty_) return;
  const Lang lang = Settings::shared().language();
  const Strings texts = L::table(lang);
  layout_ = ToastLayout::make(model_, texts, Settings::shared().fastMode(), lang.isRTL(),
                              Fonts::script() == Fonts::Script::korean);
  dirty_ = false;
}

const ToastLayout& ToastView::cardLayout() const {
  ensureLaidOut();
  return layout_;
}

QSize ToastView::sizeHint() const {
  ensureLaidOut();
  // Callers measure to fit the window: the children follow at once.
  if (placePending_) const_cast<ToastView*>(this)->placeChildren();
  return layout_.fitting;
}

QPainterPath ToastView::cardPath() const { return kit::continuousRect(cardLayout().card, kCardRadius); }

void ToastView::setShadowed(bool on) {
  if (on == shadowed_) return;
  shadowed_ = on;
  update();
}

void ToastView::setClock(AnimationClock clock) {
  clock_ = animation::orSteady(std::move(clock));
  marching_->setClock(clock_);
  stamp_->setClock(clock_);
  appMark_->setClock(clock_);
}

void ToastView::settle() { stamp_->finish(); }

QWidget* ToastView::markWidget() const {
  switch (cardLayout().mark) {
    case ToastLayout::Mark::marching: return marching_;
    case ToastLayout::Mark::stamp: return stamp_;
    case ToastLayout::Mark::appMark: return appMark_;
  }
  return appMark_;
}

ToastButton* ToastView::button(ToastAction action) const {
  for (size_t i = 0; i < buttons_.size() && i < layout_.buttons.size(); ++i) {
    if (buttons_[i]->isVisibleTo(this) && layout_.buttons[i].spec.action == action) return buttons_[i];
  }
  return nullptr;
}

void ToastView::placeChildren() {
  placePending_ = false;
  ensureLaidOut();
  const ToastLayout& l = layout_;
  setLayoutDirection(l.rtl ? Qt::RightToLeft : Qt::LeftToRight);
  if (size() != l.fitting) resize(l.fitting);

  QWidget* mark = markWidget();
  for (QWidget* w : {static_cast<QWidget*>(marching_), static_cast<QWidget*>(stamp_), static_cast<QWidget*>(appMark_)}) {
    w->setVisible(w == mark);
  }
  const QPointF centre = l.markRect.center();
  mark->move(int(std::lround(centre.x() - mark->width() / 2.0)), int(std::lround(centre.y() - mark->height() / 2.0)));

  while (buttons_.size() < l.buttons.size()) {
    auto* b = new ToastButton(this);
    const size_t index = buttons_.size();
    b->onClick = [this, index] {
      if (index < layout_.buttons.size()) run(layout_.buttons[index].spec.action);
    };
    buttons_.push_back(b);
  }
  for (size_t i = 0; i < buttons_.size(); ++i) {
    ToastButton* b = buttons_[i];
    if (i >= l.buttons.size()) {
      b->hide();
      continue;
    }
    b->setTitle(l.buttons[i].spec.title);
    b->setStrong(l.buttons[i].spec.strong);
    b->setToolTip(l.buttons[i].spec.help);
    b->setGeometry(l.buttons[i].rect.toAlignedRect());
    b->show();
  }

  const bool editing = !l.editorBox.isEmpty();
  if (editing) {
    editor_->setDraft(model_.draft());
    editor_->setGeometry(l.editorText.toAlignedRect());
  }
  editor_->setVisible(editing);
  update();
}

void ToastView::run(ToastAction action) const {
  const std::function<void()>* f = nullptr;
  switch (action) {
    case ToastAction::toggleTable: f = &actions_.toggleTable; break;
    case ToastAction::toggleJoin: f = &actions_.toggleJoin; break;
    case ToastAction::edit: f = &actions_.edit; break;
    case ToastAction::commitEdit: f = &actions_.commitEdit; break;
    case ToastAction::cancelEdit: f = &actions_.cancelEdit; break;
    case ToastAction::undo: f = &actions_.undo; break;
    case ToastAction::open: f = &actions_.open; break;
    case ToastAction::retryAccurate: f = &actions_.retryAccurate; break;
    case ToastAction::sameSpot: f = &actions_.sameSpot; break;
  }
  if (f && *f) {
    auto call = *f;  // the action may rebuild what holds it
    call();
  }
}

const ToastLayout::Block* ToastView::previewAt(const QPointF& point) const {
  const ToastLayout& l = cardLayout();
  if (model_.kind() != ToastModel::Kind::picked || l.blocks.empty()) return nullptr;
  const ToastLayout::Block& b = l.blocks.front();
  return QRectF(b.topLeft, QSizeF(b.paragraph->width(), b.paragraph->height())).contains(point) ? &b : nullptr;
}

QString ToastView::selectedText() const {
  const ToastLayout& l = cardLayout();
  if (selectFrom_ == selectTo_ || l.blocks.empty()) return {};
  return l.blocks.front().paragraph->text(selectFrom_, selectTo_);
}

// The preview can be selected with the pointer; a selection becomes the X
// primary selection, which a middle click pastes, as selected text does
// everywhere on this desktop.
void ToastView::mousePressEvent(QMouseEvent* event) {
  if (!cardPath().contains(event->position())) {
    QWidget::mousePressEvent(event);
    return;
  }
  if (event->button() == Qt::LeftButton) {
    if (const ToastLayout::Block* b = previewAt(event->position())) {
      selecting_ = true;
      selectFrom_ = selectTo_ = b->paragraph->cursorAt(event->position() - b->topLeft);
      update();
    }
  }
  event->accept();
  emit cardPressed();
}

void ToastView::mouseMoveEvent(QMouseEvent* event) {
  const ToastLayout& l = cardLayout();
  if (!selecting_ || l.blocks.empty()) return;
  const ToastLayout::Block& b = l.blocks.front();
  selectTo_ = b.paragraph->cursorAt(event->position() - b.topLeft);
  update();
}

void ToastView::mouseReleaseEvent(QMouseEvent* event) {
  if (!selecting_) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  selecting_ = false;
  const QString text = selectedText();
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!text.isEmpty() && clipboard && clipboard->supportsSelection()) clipboard->setText(text, QClipboard::Selection);
}

// Blurring is the costly part of a frame, and the stamp's landing repaints
// the card many times a second: the shadow is kept until the card changes size.
const QImage& ToastView::shadowImage(qreal dpr) const {
  const QSize size = layout_.fitting;
  if (shadow_.isNull() || shadowSize_ != size || shadow_.devicePixelRatio() != dpr) {
    shadow_ = QImage(QSize(int(std::ceil(size.width() * dpr)), int(std::ceil(size.height() * dpr))),
                     QImage::Format_ARGB32_Premultiplied);
    shadow_.setDevicePixelRatio(dpr);
    shadow_.fill(Qt::transparent);
    QPainter p(&shadow_);
    kit::drawShadow(p, layout_.card, kCardRadius, 12, QPointF(0, 6), QColor(0, 0, 0, 56));
    shadowSize_ = size;
  }
  return shadow_;
}

void ToastView::paintEvent(QPaintEvent*) {
  ensureLaidOut();
  const ToastLayout& l = layout_;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  if (shadowed_) p.drawImage(QPointF(0, 0), shadowImage(p.device()->devicePixelRatioF()));
  kit::fillWithInnerBorder(p, l.card, kCardRadius, Ink::panel(), Ink::border(), 1);

  for (const QRectF& rule : l.rules) p.fillRect(rule, Ink::rule());
  drawLine(p, l.title);
  drawLine(p, l.sub);
  QColor highlight = Ink::seal();
  highlight.setAlphaF(0.25);
  for (size_t i = 0; i < l.blocks.size(); ++i) {
    const auto& block = l.blocks[i];
    const bool selectable = i == 0 && model_.kind() == ToastModel::Kind::picked;
    block.paragraph->paint(p, block.topLeft, colorOf(block.role), selectable ? selectFrom_ : 0,
                           selectable ? selectTo_ : 0, highlight);
  }
  for (const auto& cell : l.cells) drawLine(p, cell);
  if (!l.busyDot.isEmpty()) {
    p.setPen(Qt::NoPen);
    p.setBrush(Ink::seal());
    p.drawEllipse(l.busyDot);
    for (const auto& line : l.busy) drawLine(p, line);
  }
  if (!l.editorBox.isEmpty()) p.fillPath(kit::continuousRect(l.editorBox, 6), Ink::fill());
}
