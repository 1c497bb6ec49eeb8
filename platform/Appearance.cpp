#include "platform/Appearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>

namespace Appearance {
namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearanceNs = QStringLiteral("org.freedesktop.appearance");
const QString kColorScheme = QStringLiteral("color-scheme");
const QString kGnomeNs = QStringLiteral("org.gnome.desktop.interface");
const QString kAnimations = QStringLiteral("enable-animations");

// A portal that is missing or hung must not stall start-up or a repaint.
constexpr int kTimeoutMs = 200;

// Read answers a variant inside a variant (older portals); unwrap to the value.
QVariant unwrap(QVariant value) {
  while (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
    value = value.value<QDBusVariant>().variant();
  }
  return value;
}

std::optional<QVariant> portalRead(const QString& ns, const QString& key) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return std::nullopt;
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Read"));
  call << ns << key;
  const QDBusMessage reply = bus.call(call, QDBus::Block, kTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
  const QVariant value = unwrap(reply.arguments().constFirst());
  if (!value.isValid()) return std::nullopt;
  return value;
}

// A portal setting: read once, then kept current by the portal's change signal.
struct Cached {
  bool read = false;
  std::optional<QVariant> value;
};

struct State {
  std::optional<bool> forcedDark;
  std::optional<bool> forcedReduce;
  SettingSource source;  // empty: the real portal
  Cached scheme;
  Cached animations;
};

State& state() {
  static State s;
  return s;
}

}  // namespace

// Receives the portal's change signal; QtDBus needs a slot for that.
class PortalWatcher : public QObject {
  Q_OBJECT
 public:
  static void ensure() {
    static PortalWatcher* watcher = nullptr;
    if (watcher) return;
    watcher = new PortalWatcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
      // The whole message, not typed arguments: a slot taking QDBusVariant
      // failed to connect now and then (measured), silently.
      bus.connect(kService, kPath, kInterface, QStringLiteral("SettingChanged"), watcher,
                  SLOT(onSettingChanged(QDBusMessage)));
    }
  }

 private slots:
  void onSettingChanged(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() != 3) return;
    const QString ns = args[0].toString();
    const QString key = args[1].toString();
    const QVariant raw = args[2];
    State& s = state();
    if (s.source) return;  // a test source stands in; ignore the real desktop
    Cached* setting = ns == kAppearanceNs && key == kColorScheme ? &s.scheme
                      : ns == kGnomeNs && key == kAnimations     ? &s.animations
                                                                 : nullptr;
    if (!setting) return;
    *setting = {true, unwrap(raw)};
    emit notifier().changed();
  }
};

namespace {

std::optional<QVariant> read(const QString& ns, const QString& key) {
  State& s = state();
  if (s.source) return s.source(ns, key);
  PortalWatcher::ensure();
  return portalRead(ns, key);
}

const std::optional<QVariant>& cached(Cached& setting, const QString& ns, const QString& key) {
  if (!setting.read) setting = {true, read(ns, key)};
  return setting.value;
}

bool paletteIsDark() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

}  // namespace

bool isDark() {
  State& s = state();
  if (s.forcedDark) return *s.forcedDark;
  if (const auto& scheme = cached(s.scheme, kAppearanceNs, kColorScheme)) {
    bool ok = false;
    const uint value = scheme->toUInt(&ok);
    // 1 prefers dark, 2 prefers light; 0 states no preference, so the
    // palette (which a dark Qt theme darkens) decides.
    if (ok && value == 1) return true;
    if (ok && value == 2) return false;
  }
  return paletteIsDark();
}

void setForced(std::optional<bool> dark) {
  const bool before = isDark();
  state().forcedDark = dark;
  if (isDark() != before) emit notifier().changed();
}

bool reduceMotion() {
  State& s = state();
  if (s.forcedReduce) return *s.forcedReduce;
  const auto& animations = cached(s.animations, kGnomeNs, kAnimations);
  return animations && animations->metaType() == QMetaType::fromType<bool>() && !animations->toBool();
}

void setReduceMotionForced(std::optional<bool> reduce) {
  const bool before = reduceMotion();
  state().forcedReduce = reduce;
  if (reduceMotion() != before) emit notifier().changed();
}

void setSettingSource(SettingSource source) {
  State& s = state();
  s.source = std::move(source);
  s.scheme = {};
  s.animations = {};
  emit notifier().changed();
}

Notifier& notifier() {
  static Notifier* n = new Notifier;
  return *n;
}

}  // namespace Appearance

#include "Appearance.moc"
