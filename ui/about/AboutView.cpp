#include "ui/about/AboutView.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QPainter>
#include <cmath>

#include "core/AppMark.h"
#include "core/Fonts.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Appearance.h"
#include "platform/Bundle.h"
#include "ui/onboarding/ObButton.h"

namespace {

// Only web addresses: Info.json is data, and anything else (a file, a
// custom scheme) would make a link button run something on this machine.
QUrl webAddress(const QString& key) {
  const QUrl url(Bundle::infoString(key).trimmed(), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
    return {};
  return url;
}

}  // namespace

AboutView::AboutView(QWidget* parent) : QWidget(parent) {
  openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
  project_ = new ObButton(QStringLiteral("GitHub"), false, [this] {
    if (openUrl) openUrl(repo());
  }, this);
  project_->setObjectName(QStringLiteral("project"));
  privacy_ = new ObButton(QStringLiteral("PRIVACY.md"), false, [this] {
    if (openUrl) openUrl(privacy());
  }, this);
  privacy_->setObjectName(QStringLiteral("privacy"));
  connect(&Appearance::notifier(), &Appearance::Notifier::changed, this, &AboutView::refresh);
  refresh();
}

QUrl AboutView::repo() { return webAddress(QStringLiteral("TQProjectURL")); }

QUrl AboutView::privacy() {
  const QUrl configured = webAddress(QStringLiteral("TQPrivacyURL"));
  if (!configured.isEmpty()) return configured;
  // Without an address the statement that comes with the program is shown:
  // it tells what reports hold, which matters whether or not they are set up.
  const QString shipped = Bundle::resource(QStringLiteral("PRIVACY.md"));
  if (shipped.isEmpty() || !QFileInfo(shipped).isFile()) return {};
  return QUrl::fromLocalFile(shipped);
}

QRectF AboutView::visual(const QRectF& r) const {
  if (layoutDirection() != Qt::RightToLeft) return r;
  return QRectF(width() - r.right(), r.top(), r.width(), r.height());
}

QSize AboutView::sizeHint() const {
  return {int(std::ceil(layout_.size.width())), int(std::ceil(layout_.size.height()))};
}

void AboutView::place(QWidget* widget, const QRectF& leading) {
  widget->setVisible(!leading.isEmpty());
  if (!leading.isEmpty()) widget->setGeometry(visual(leading).toAlignedRect());
}

void AboutView::refresh() {
  const Lang lang = Settings::shared().language();
  const QString code = lang.resolved().rawValue();
  about::Inputs in;
  in.body = L::table(lang).aboutBody;
  in.rtl = lang.isRTL();
  in.korean = Fonts::scriptFor(code) == Fonts::Script::korean;
  in.romanisation = code != QLatin1String("ko");
  in.projectLink = !repo().isEmpty();
  in.privacyLink = !privacy().isEmpty();
  layout_ = about::layOut(in);
  setLayoutDirection(in.rtl ? Qt::RightToLeft : Qt::LeftToRight);
  resize(sizeHint());
  updateGeometry();
  place(project_, layout_.project);
  place(privacy_, layout_.privacy);
  update();
}

void AboutView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), Ink::panel());
  p.setRenderHint(QPainter::Antialiasing);
  for (const PlacedText& t : layout_.texts) t.block.paint(p, visual(t.rect()).topLeft(), t.color);
  p.setOpacity(0.9);
  AppMark::draw(p, visual(layout_.appMark), AppMark::State::picked, 0, true);
}
