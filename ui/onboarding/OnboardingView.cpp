#include "ui/onboarding/OnboardingView.h"

#include <QPainter>
#include <cmath>

#include "core/AppMark.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "platform/Appearance.h"
#include "ui/kit/KeyCap.h"
#include "ui/kit/Shapes.h"
#include "ui/onboarding/ObButton.h"
#include "ui/onboarding/OnboardingModel.h"
#include "ui/onboarding/StepMark.h"

using onboarding::StepMark;

OnboardingView::OnboardingView(OnboardingModel& model, Settings& settings, Actions actions, QWidget* parent)
    : QWidget(parent), model_(model), settings_(settings), actions_(std::move(actions)) {
  const char* markNames[] = {"shortcutMark", "permissionMark", "reportsMark"};
  for (size_t i = 0; i < marks_.size(); ++i) {
    marks_[i] = new StepMark(this);
    marks_[i]->setObjectName(QLatin1String(markNames[i]));
  }
  marks_[2]->setToggle([this] { settings_.setReports(!settings_.reports()); });

  change_ = button("change", false, &Actions::changeShortcut);
  openSettings_ = button("openSettings", true, &Actions::openSettings);
  relaunch_ = button("relaunch", false, &Actions::relaunch);
  later_ = button("later", false, &Actions::later);
  try_ = button("try", true, &Actions::try_);

  connect(&model_, &OnboardingModel::changed, this, &OnboardingView::refresh);
  connect(&settings_, &Settings::changed, this, &OnboardingView::refresh);
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, &OnboardingView::refresh);
  refresh();
}

ObButton* OnboardingView::button(const char* name, bool strong, std::function<void()> Actions::*action) {
  // The action is looked up at click time, so the button never holds a stale copy.
  auto* b = new ObButton(QString(), strong, [this, action] {
    if (actions_.*action) (actions_.*action)();
  }, this);
  b->setObjectName(QLatin1String(name));
  return b;
}

QRectF OnboardingView::visual(const QRectF& r) const {
  if (layoutDirection() != Qt::RightToLeft) return r;
  return QRectF(width() - r.right(), r.top(), r.width(), r.height());
}

void OnboardingView::place(QWidget* widget, const QRectF& leading) {
  widget->setVisible(!leading.isEmpty());
  if (!leading.isEmpty()) widget->setGeometry(visual(leading).toAlignedRect());
}

QSize OnboardingView::sizeHint() const {
  return {int(std::ceil(layout_.size.width())), int(std::ceil(layout_.size.height()))};
}

void OnboardingView::refresh() {
  const onboarding::Inputs in = onboarding::Inputs::read(model_, settings_);
  layout_ = onboarding::layOut(in);
  setLayoutDirection(in.rtl ? Qt::RightToLeft : Qt::LeftToRight);
  const Strings& s = in.strings;

  change_->setTitle(s.change);
  change_->setStrong(layout_.changeStrong);
  openSettings_->setTitle(s.obOpenSettings);
  relaunch_->setTitle(s.obRelaunch);
  later_->setTitle(layout_.laterTitle);
  try_->setTitle(layout_.tryTitle);
  try_->setEnabled(layout_.ready);
  try_->setOpacity(layout_.ready ? 1.0 : 0.4);

  const QString titles[] = {s.obShortcut, s.obPermission, s.obReports};
  for (size_t i = 0; i < marks_.size(); ++i) {
    marks_[i]->setMark(layout_.markKinds[i]);
    marks_[i]->setAccessibleName(titles[i]);
  }

  // The size first, so that mirrored positions use the final width.
  resize(sizeHint());
  updateGeometry();
  for (size_t i = 0; i < marks_.size(); ++i) place(marks_[i], layout_.marks[i]);
  place(change_, layout_.change);
  place(openSettings_, layout_.openSettings);
  place(relaunch_, layout_.relaunch);
  place(later_, layout_.later);
  place(try_, layout_.tryButton);
  update();
}

void OnboardingView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Ink::panel());
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::SmoothPixmapTransform);
  AppMark::draw(p, visual(layout_.appMark), AppMark::State::picked, 0, true);
  for (const QRectF& rule : layout_.rules) p.fillRect(visual(rule), Ink::rule());
  for (const PlacedText& t : layout_.texts) t.block.paint(p, visual(t.rect()).topLeft(), t.color);
  if (!layout_.caps.isEmpty()) {
    // The whole row moves with the direction, the caps inside it do not.
    kit::keycap::paintRow(p, visual(layout_.caps).topLeft(), layout_.capTexts);
  }
  if (!layout_.prompt.isEmpty()) {
    const QRectF r = visual(layout_.prompt);
    kit::fillWithInnerBorder(p, r, 4, Qt::transparent, Ink::seal(), 1);
    kit::LineOptions options;
    options.direction = layoutDirection();
    kit::drawLine(p, r, layout_.promptText, kit::font(11, QFont::Medium), Ink::seal(), Qt::AlignCenter, options);
  }
}
