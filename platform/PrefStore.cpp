#include "platform/PrefStore.h"

#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

#include "platform/SignalExit.h"

Q_LOGGING_CATEGORY(lcPrefs, "tarvok.preferences", QtInfoMsg)

namespace {

// Each value is stored as "<type>:<text>". A value without a known prefix was
// written by hand or by something else and reads as plain text.
const QString kBool = QStringLiteral("bool:");
const QString kInt = QStringLiteral("int:");
const QString kDouble = QStringLiteral("double:");
const QString kString = QStringLiteral("str:");
const QString kList = QStringLiteral("list:");

QVariant decode(const QString& raw) {
  if (raw.startsWith(kBool)) return QVariant(raw.mid(kBool.size()) == QLatin1String("true"));
  if (raw.startsWith(kInt)) {
    bool ok = false;
    const qint64 v = raw.mid(kInt.size()).toLongLong(&ok);
    return ok ? QVariant(v) : QVariant();
  }
  if (raw.startsWith(kDouble)) {
    bool ok = false;
    const double v = raw.mid(kDouble.size()).toDouble(&ok);
    return ok ? QVariant(v) : QVariant();
  }
  if (raw.startsWith(kString)) return QVariant(raw.mid(kString.size()));
  if (raw.startsWith(kList)) {
    const QJsonDocument doc = QJsonDocument::fromJson(raw.mid(kList.size()).toUtf8());
    if (!doc.isArray()) return QVariant();
    QStringList list;
    for (const QJsonValue& item : doc.array()) {
      if (!item.isString()) return QVariant();
      list << item.toString();
    }
    return QVariant(list);
  }
  return QVariant(raw);
}

QString configHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString stateHome() {
  const QByteArray env = qgetenv("XDG_STATE_HOME");
  if (!env.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(env))) {
    return QString::fromLocal8Bit(env);
  }
  return QDir::homePath() + QStringLiteral("/.local/state");
}

}  // namespace

PrefStore::PrefStore(const QString& filePath) { open(filePath); }

PrefStore::~PrefStore() = default;

PrefStore& PrefStore::standard() {
  static PrefStore store(configHome() + QStringLiteral("/tarvok/tarvok.conf"));
  return store;
}

PrefStore& PrefStore::state() {
  static PrefStore store(stateHome() + QStringLiteral("/tarvok/state.conf"));
  return store;
}

QString PrefStore::filePath() const {
  std::lock_guard guard(lock_);
  return path_;
}

void PrefStore::useFile(const QString& filePath) {
  std::lock_guard guard(lock_);
  if (settings_) settings_->sync();
  open(filePath);
}

void PrefStore::open(const QString& path) {
  path_ = path;
  settings_.reset();
  memoryOnly_ = false;
  memory_.clear();
  QDir().mkpath(QFileInfo(path).absolutePath());
  unreadable_ = preffile::problem(path);
  if (unreadable_.isEmpty()) settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
  seen_ = preffile::stamp(path);
}

bool PrefStore::writable() {
  if (memoryOnly_) return false;
  // Changed behind our back (by hand, by another program): judged again.
  if (preffile::stamp(path_) != seen_) unreadable_ = preffile::problem(path_);
  if (!unreadable_.isEmpty()) {
    const QString kept = preffile::setAside(path_);
    if (kept.isEmpty() && preffile::stamp(path_).exists) {
      memoryOnly_ = true;
      settings_.reset();
      qCWarning(lcPrefs).noquote() << QStringLiteral("%1 cannot be read (%2) nor moved aside; tarvok goes on with "
                                                     "default settings and saves no change")
                                          .arg(path_, unreadable_);
      return false;
    }
    if (!kept.isEmpty())
      qCWarning(lcPrefs).noquote() << QStringLiteral("%1 cannot be read (%2); it is kept as %3 and tarvok goes on "
                                                     "with default settings")
                                          .arg(path_, unreadable_, kept);
    unreadable_.clear();
    settings_.reset();  // what it read of the old file must not be written into the new one
  }
  if (!settings_) settings_ = std::make_unique<QSettings>(path_, QSettings::IniFormat);
  return true;
}

void PrefStore::registerDefaults(const QVariantMap& defaults) {
  std::lock_guard guard(lock_);
  for (auto it = defaults.begin(); it != defaults.end(); ++it) defaults_.insert(it.key(), it.value());
}

QVariant PrefStore::object(const QString& key) const {
  std::lock_guard guard(lock_);
  const QVariant raw = settings_ ? settings_->value(key) : memory_.contains(key) ? QVariant(memory_.value(key)) : QVariant();
  if (raw.isValid()) {
    // INI hands back a list when a value written by hand holds commas.
    const QString text = raw.typeId() == QMetaType::QStringList
                             ? raw.toStringList().join(QLatin1Char(','))
                             : raw.toString();
    const QVariant value = decode(text);
    if (value.isValid()) return value;
  }
  return defaults_.value(key);
}

bool PrefStore::contains(const QString& key) const { return object(key).isValid(); }

bool PrefStore::boolValue(const QString& key) const {
  const QVariant v = object(key);
  switch (v.typeId()) {
    case QMetaType::Bool:
      return v.toBool();
    case QMetaType::LongLong:
    case QMetaType::Int:
      return v.toLongLong() != 0;
    case QMetaType::Double:
      return v.toDouble() != 0.0;
    case QMetaType::QString: {
      const QString s = v.toString().trimmed().toLower();
      return s == QLatin1String("true") || s == QLatin1String("yes") || s.toLongLong() != 0;
    }
    default:
      return false;
  }
}

qint64 PrefStore::integer(const QString& key) const {
  const QVariant v = object(key);
  switch (v.typeId()) {
    case QMetaType::Bool:
      return v.toBool() ? 1 : 0;
    case QMetaType::LongLong:
    case QMetaType::Int:
      return v.toLongLong();
    case QMetaType::Double:
      return static_cast<qint64>(v.toDouble());
    case QMetaType::QString:
      return v.toString().trimmed().toLongLong();
    default:
      return 0;
  }
}

std::optional<QString> PrefStore::string(const QString& key) const {
  const QVariant v = object(key);
  switch (v.typeId()) {
    case QMetaType::QString:
      return v.toString();
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::Double:
      return v.toString();
    default:
      return std::nullopt;
  }
}

std::optional<QStringList> PrefStore::stringList(const QString& key) const {
  const QVariant v = object(key);
  if (v.typeId() == QMetaType::QStringList) return v.toStringList();
  return std::nullopt;
}

void PrefStore::write(const QList<QPair<QString, QString>>& entries) {
  // A console run ended by a signal leaves no half-saved file beside it.
  SignalExit::Hold hold;
  std::lock_guard guard(lock_);
  if (!writable()) {
    for (const auto& [key, encoded] : entries) memory_.insert(key, encoded);
    return;
  }
  for (const auto& [key, encoded] : entries) settings_->setValue(key, encoded);
  sync();
}

void PrefStore::sync() {
  settings_->sync();
  seen_ = preffile::stamp(path_);
  // The old file stands when a save fails (a read-only folder, a full disk).
  const bool failed = settings_->status() != QSettings::NoError;
  if (failed && !saveFailed_) {
    const QString folder = QFileInfo(path_).absolutePath();
    const QString why = ::access(QFile::encodeName(folder).constData(), W_OK) != 0
                            ? QStringLiteral("its folder cannot be written")
                            : QStringLiteral("the disk may be full");
    qCWarning(lcPrefs).noquote() << QStringLiteral("%1 could not be saved (%2); changes hold until tarvok quits")
                                        .arg(path_, why);
  }
  saveFailed_ = failed;
}

void PrefStore::setBool(const QString& key, bool value) {
  write({{key, kBool + (value ? QStringLiteral("true") : QStringLiteral("false"))}});
}

void PrefStore::setInteger(const QString& key, qint64 value) { setIntegers({{key, value}}); }

void PrefStore::setIntegers(const QList<QPair<QString, qint64>>& values) {
  QList<QPair<QString, QString>> entries;
  for (const auto& [key, value] : values) entries.append({key, kInt + QString::number(value)});
  write(entries);
}

void PrefStore::setDouble(const QString& key, double value) {
  write({{key, kDouble + QString::number(value, 'g', 17)}});
}

void PrefStore::setString(const QString& key, const QString& value) { write({{key, kString + value}}); }

void PrefStore::setStringList(const QString& key, const QStringList& value) {
  write({{key, kList + QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(value))
                                             .toJson(QJsonDocument::Compact))}});
}

void PrefStore::remove(const QString& key) {
  SignalExit::Hold hold;
  std::lock_guard guard(lock_);
  if (!writable()) {
    memory_.remove(key);
    return;
  }
  settings_->remove(key);
  sync();
}
