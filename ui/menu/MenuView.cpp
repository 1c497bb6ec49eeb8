#include "ui/menu/MenuView.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"
#include "platform/LoginItem.h"
#include "ui/kit/Shadow.h"
#include "ui/kit/Shapes.h"
#include "ui/language/LanguagePage.h"
#include "ui/language/UILanguagePage.h"
#include "ui/menu/LanguageSummary.h"
#include "ui/menu/MainPage.h"
#include "ui/menu/MainWidth.h"

namespace {
constexpr qreal kRadius = 12;
constexpr qreal kShadowRadius = 14;
constexpr qreal kShadowDrop = 8;
}  // namespace

MenuView::MenuView(Settings& settings, MenuState& state, Actions actions, QWidget* parent)
    : QWidget(parent),
      settings_(settings),
      state_(state),
      actions_(std::move(actions)),
      login_(LoginItem::isEnabled()),
      seenManual_(settings.ocrManual()),
      seenLanguage_(settings.language()),
      seenFast_(settings.fastMode()) {
  setAttribute(Qt::WA_TranslucentBackground);
  setFocusPolicy(Qt::StrongFocus);
  setLayoutDirection(settings_.language().isRTL() ? Qt::RightToLeft : Qt::LeftToRight);
  connect(&settings_, &Settings::changed, this, &MenuView::settingsChanged);
  connect(&state_, &MenuState::pageChanged, this, [this] {
    buildPage();
    requestRelayout(true);
  });
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, [this] {
    update();
    for (QWidget* w : findChildren<QWidget*>()) w->update();
  });
  buildPage();
  reportedSize_ = sizeHint();
}

void MenuView::buildPage() {
  // The old page may be the sender of the click that brought us here.
  if (page_) {
    page_->hide();
    page_->deleteLater();
  }
  switch (state_.page()) {
    case MenuState::Page::main: {
      MainPage::Actions a{actions_.capture, actions_.record, actions_.about, actions_.quit,
                          [this] { state_.setPage(MenuState::Page::language); },
                          [this] {
                            if (warmUp_) warmUp_();
                          }};
      page_ = new MainPage(settings_, {[this] { return login_; }, [this](bool on) { setLogin(on); }}, std::move(a),
                           this);
      break;
    }
    case MenuState::Page::language:
      page_ = new LanguagePage(settings_,
                               {[this] { state_.setPage(MenuState::Page::main); },
                                [this] { state_.setPage(MenuState::Page::uiLanguage); }},
                               this);
      break;
    case MenuState::Page::uiLanguage:
      page_ = new UILanguagePage(settings_, [this] { state_.setPage(MenuState::Page::language); }, this);
      break;
  }
  connect(page_, &MenuPage::contentChanged, this, [this] { requestRelayout(false); });
  placePage();
  if (isVisible()) page_->show();
}

// Reads the service's real state back, so a refused change springs back.
void MenuView::setLogin(bool on) {
  LoginItem::setEnabled(on);
  login_ = LoginItem::isEnabled();
}

qreal MenuView::plateWidth() const {
  if (state_.page() != MenuState::Page::main) return menu::kLanguagePageWidth;
  const Strings t = L::table(settings_.language());
  return menu::mainWidth(t, settings_.shortcut().caps(), menu::languageSummary(settings_.language(), t));
}

QSize MenuView::sizeHint() const {
  const int plate = int(std::ceil(plateWidth()));
  const int pageW = plate - 2 * kInset;
  const int pageH = page_ ? (page_->hasHeightForWidth() ? page_->heightForWidth(pageW) : page_->sizeHint().height()) : 0;
  return {plate + 2 * kOuter, pageH + 2 * kInset + 2 * kOuter};
}

QRectF MenuView::plateRect() const {
  return QRectF(kOuter, kOuter, width() - 2 * kOuter, height() - 2 * kOuter);
}

QPainterPath MenuView::plateShape() const { return kit::continuousRect(plateRect(), kRadius); }

void MenuView::placePage() {
  if (!page_) return;
  const int plate = int(std::ceil(plateWidth()));
  page_->setGeometry(kOuter + kInset, kOuter + kInset, plate - 2 * kInset,
                     std::max(0, height() - 2 * (kOuter + kInset)));
}

void MenuView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  placePage();
}

void MenuView::settingsChanged() {
  const bool manual = settings_.ocrManual();
  const Lang language = settings_.language();
  const bool fast = settings_.fastMode();
  const bool force = manual != seenManual_ || !(language == seenLanguage_) || fast != seenFast_;
  seenManual_ = manual;
  seenLanguage_ = language;
  seenFast_ = fast;
  setLayoutDirection(language.isRTL() ? Qt::RightToLeft : Qt::LeftToRight);
  update();
  // Other changes (a shortcut note, a longer shortcut) ask only when the size changed.
  requestRelayout(force);
}

void MenuView::requestRelayout(bool force) {
  relayoutForced_ = relayoutForced_ || force;
  if (relayoutPending_) return;
  relayoutPending_ = true;
  QMetaObject::invokeMethod(this, &MenuView::runRelayout, Qt::QueuedConnection);
}

void MenuView::runRelayout() {
  relayoutPending_ = false;
  const bool force = relayoutForced_;
  relayoutForced_ = false;
  const QSize size = sizeHint();
  if (!force && size == reportedSize_) return;
  reportedSize_ = size;
  updateGeometry();
  if (actions_.relayout) actions_.relayout();
}

void MenuView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Q && event->modifiers() == Qt::ControlModifier) {
    if (actions_.quit) actions_.quit();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MenuView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  const QRectF plate = plateRect();
  if (plate.isEmpty()) return;
  // The shadow is costly to blur and hidden under the plate; repaints of rows
  // inside the plate leave it out.
  if (!plate.adjusted(kRadius, kRadius, -kRadius, -kRadius).contains(QRectF(event->rect()))) {
    kit::drawShadow(p, plate, kRadius, kShadowRadius, QPointF(0, kShadowDrop), QColor(0, 0, 0, int(std::lround(0.26 * 255))));
  }
  kit::fillWithInnerBorder(p, plate, kRadius, Ink::panel(), Ink::border(), 1);
}

QSize fitToContent(QWidget* window, QWidget* content) {
  if (!window || !content) return {};
  const QSize size = content->sizeHint();
  if (content != window) content->setGeometry(QRect(QPoint(0, 0), size));
  window->resize(size);
  return size;
}
