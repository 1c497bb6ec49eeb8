#include "toast/ToastModel.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "core/Settings.h"
#include "core/Strings.h"

ToastModel::ToastModel(QObject* parent) : QObject(parent) {}

template <typename T>
void ToastModel::assign(T& field, T value) {
  if (field == value) return;
  field = std::move(value);
  emit changed();
}

void ToastModel::setKind(Kind kind) { assign(kind_, kind); }
void ToastModel::setBusyCPU(std::optional<int> percent) { assign(busyCPU_, percent); }
void ToastModel::setAsTable(bool on) { assign(asTable_, on); }
void ToastModel::setJoined(bool on) { assign(joined_, on); }
void ToastModel::setHovering(bool on) { assign(hovering_, on); }
void ToastModel::setEditing(bool on) { assign(editing_, on); }
void ToastModel::setDraft(const QString& text) { assign(draft_, text); }
void ToastModel::setEdited(std::optional<QString> text) { assign(edited_, std::move(text)); }

void ToastModel::newStamp() {
  stampID_ = QUuid::createUuid();
  emit changed();
}

void ToastModel::setResult(Recognized result) {
  result_ = std::move(result);
  emit changed();
}

QString ToastModel::copiedText() const {
  if (edited_) return *edited_;
  if (tableShown()) return result_.table->tsv();
  return joined_ ? result_.joinedText() : result_.text();
}

QString ToastModel::preview() const {
  if (!tableShown() || edited_) return copiedText();
  QStringList rows;
  const auto& all = result_.table->rows;
  for (size_t i = 0; i < all.size() && i < 3; ++i) rows << all[i].join(QStringLiteral("  \u00B7  "));
  return rows.join(QLatin1Char('\n'));
}

QString ToastModel::meta() const {
  const Strings texts = L::table(Settings::shared().language());
  if (edited_) return texts.editedMeta(text::graphemeCount(copiedText()));
  if (tableShown()) return texts.tableMeta(qsizetype(result_.table->rows.size()), result_.table->columnCount());
  const long long lines = joined_ ? 1 : (long long)result_.lines.size();
  QString meta = texts.textMeta(lines, text::graphemeCount(copiedText()));
  if (!result_.codes.empty()) {
    const bool anyQR = std::any_of(result_.codes.begin(), result_.codes.end(), [](const Code& c) { return c.isQR; });
    meta = (anyQR ? texts.qr : texts.barcode) + QStringLiteral(" \u00B7 ") + meta;
  }
  return meta;
}

std::optional<QUrl> ToastModel::link() const {
  if (!edited_) {
    for (const Code& code : result_.codes) {
      if (auto url = openable(code.payload)) return url;
    }
  }
  return openable(copiedText());
}

std::optional<QUrl> ToastModel::openable(const QString& raw) {
  const QString text = text::trimWhitespaceAndNewlines(raw);
  if (text.isEmpty() || text.contains(QLatin1Char('\n'))) return std::nullopt;
  const QUrl url(text, QUrl::TolerantMode);
  if (!url.isValid()) return std::nullopt;
  static const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                                   QStringLiteral("tel"),  QStringLiteral("sms"),   QStringLiteral("facetime")};
  if (!schemes.contains(url.scheme().toLower())) return std::nullopt;
  return url;
}

void ToastModel::writeClipboard(QClipboard* clipboard) {
  if (!clipboard) clipboard = QGuiApplication::clipboard();
  if (!clipboard) return;
  auto* data = new QMimeData;
  if (edited_) {
    data->setText(*edited_);
  } else if (tableShown()) {
    data->setText(result_.table->tsv());
    data->setHtml(result_.table->html());
  } else {
    data->setText(copiedText());
  }
  written_ = ClipboardBackup::of(data);
  clipboard->setMimeData(data);
}

bool ToastModel::clipboardUnchanged(QClipboard* clipboard) const {
  return written_ && ClipboardBackup::ofOwnClipboard(clipboard) == written_;
}
